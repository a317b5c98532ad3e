#pragma once

#include "services/DriverThread.h"
#include "services/HeaderQueue.h"
#include "services/MidiServices.h"

#include <cstddef>
#include <cstdint>

// One input device of a backend that plays its own driver on a DriverThread (the
// simulator, the scripted test backend): the open, start, buffer, reset and close calls
// of the services, and the delivery of events to the input callback on that thread.
// The port's state is written only on the driver thread, in jobs the calling thread
// waits for, so the window thread sees it settled after each call.
class DriverInputPort {
public:
    explicit DriverInputPort(DriverThread& thread) : m_thread(thread) {}

    // Allocated while the port is open.
    MidiResult Open(MidiHandle handle, MidiInProc callback, uintptr_t instance);
    MidiResult Start(MidiHandle handle);
    MidiResult PrepareHeader(MidiHandle handle, MidiHeader* header);
    MidiResult UnprepareHeader(MidiHandle handle, MidiHeader* header);
    MidiResult AddBuffer(MidiHandle handle, MidiHeader* header);
    MidiResult Reset(MidiHandle handle);
    MidiResult Close(MidiHandle handle);
    bool IsOpen() const { return m_handle != 0; }
    int QueuedBuffers() const { return m_buffers.Count(); }

    // On the driver thread only.
    bool Receiving() const { return m_handle != 0 && m_started; }
    void Deliver(uint32_t message, uintptr_t dwParam1);
    // Returns the bytes in the queued buffers, at most a buffer's length per return, as
    // `message` events. Returns the number of bytes that found no buffer and were lost.
    size_t DeliverLongData(const uint8_t* bytes, size_t size, uint32_t message);

private:
    bool Owns(MidiHandle handle) const { return handle != 0 && handle == m_handle; }

    DriverThread& m_thread;
    MidiHandle m_handle = 0;
    MidiInProc m_callback = nullptr;
    uintptr_t m_instance = 0;
    bool m_started = false;
    DriverThread::Clock::time_point m_startTime;
    HeaderQueue m_buffers;
};
