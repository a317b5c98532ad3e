#pragma once

#include "services/DriverThread.h"
#include "services/HeaderQueue.h"
#include "services/MidiServices.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

// What a backend's input device does when its port closes; the rest of an input port is
// the same for every backend and lives in InputPort. A device hands what it receives to
// its port (InputPort::Receive and the calls beside it) on whatever thread it receives on.
class InputDevice {
public:
    virtual ~InputDevice() = default;
    // Closes the device. A delivery it began earlier may still run when this returns:
    // the port waits for that itself.
    virtual void Release() {}
};

// One input port's handle, its queued buffers and the rules of its events, shared by every
// backend so that all of them answer a call and deliver input alike:
// - a header without bytes (a null pointer or a length of 0) is refused with
//   InvalidParameter when prepared and when added; a null header is InvalidParameter;
//   a header must be prepared to be added (Unprepared), can't be added while queued or
//   unprepared while queued (StillPlaying); a full queue is NoMemory;
// - a call with a handle other than the open one is InvalidHandle;
// - input reaches the callback from Start until a reset, the close or a loss; the
//   device's input in between is dropped;
// - a SysEx goes into the queued buffers, each returned when it is full and at the end
//   of what arrived; a byte that finds no buffer queued is lost;
// - reset returns every queued buffer with 0 bytes; close fails with StillPlaying while a
//   buffer is queued;
// - the port's own events (open, reset, close, loss) are delivered on `events`, a thread
//   that is never the window thread, with none of the device's deliveries running, so the
//   callback never runs on two threads at once and never after Close has returned.
// The calls are made on the window thread, except the three buffer calls, which the input
// callback makes too, and the Receive calls, which the device makes on its own thread;
// neither of those allocates or locks.
class InputPort {
public:
    InputPort(InputDevice& device, DriverThread& events) : m_device(device), m_events(events) {}

    // The handle while open, else 0. Read on the device's thread too.
    MidiHandle Handle() const { return m_handle.load(std::memory_order_acquire); }
    bool IsOpen() const { return Handle() != 0; }
    int QueuedBuffers() const { return m_buffers.Count(); }

    // Whether Open would refuse these (InvalidParameter, or Allocated while open), for a
    // caller to ask before it opens its device.
    MidiResult CanOpen(MidiHandle handle, MidiInProc callback) const;
    // The port is open under `handle` on a device the caller has opened.
    MidiResult Open(MidiHandle handle, MidiInProc callback, uintptr_t instance);
    MidiResult Start(MidiHandle handle);
    MidiResult PrepareHeader(MidiHandle handle, MidiHeader* header);
    MidiResult UnprepareHeader(MidiHandle handle, MidiHeader* header);
    MidiResult AddBuffer(MidiHandle handle, MidiHeader* header);
    // Reset and Close wait, with no deadline, until the device is out of a delivery it is
    // in: a callback that runs after its port was closed would write into the rings of an
    // input that is gone.
    MidiResult Reset(MidiHandle handle);
    MidiResult Close(MidiHandle handle);
    // The device, or the system it belongs to, went away: input stops, for good until the
    // port is opened again, and the callback gets one kMimError with `code`. Nothing when
    // the port is not open or has already lost its device. From any thread.
    void Lose(uint32_t code);
    // Input stops until the next Start, without an event and without waiting.
    void StopReceiving() { m_receiving.store(false); }
    // Returns once the device is in no delivery, however long that takes.
    void WaitForDeliveries() const;

    // On the device's thread: no allocation, no lock.
    // Whether the device's input reaches the callback now.
    bool Receiving() const noexcept { return m_receiving.load(); }
    // A message as a MIDI system hands it over, status byte first; a long SysEx may come
    // in pieces, the later ones starting with data bytes. Real-time bytes inside a SysEx
    // are left out of it.
    void Receive(const uint8_t* bytes, size_t size) noexcept;
    // An event the device has sorted itself (kMimData, kMimError).
    void ReceiveEvent(uint32_t message, uintptr_t dwParam1) noexcept;
    // Long data the device has framed itself, returned in the queued buffers as `message`
    // events; empty data still returns a buffer. Returns how many bytes were lost: all of
    // them while input is stopped, else those that found no buffer.
    size_t ReceiveLongData(const uint8_t* bytes, size_t size, uint32_t message) noexcept;

private:
    // Counts a delivery of the device in for as long as it runs; accepted while receiving.
    class Delivery {
    public:
        explicit Delivery(const InputPort& port) noexcept;
        ~Delivery();
        Delivery(const Delivery&) = delete;
        Delivery& operator=(const Delivery&) = delete;
        bool Accepted() const noexcept { return m_accepted; }

    private:
        const InputPort& m_port;
        bool m_accepted;
    };

    bool Owns(MidiHandle handle) const { return handle != 0 && handle == Handle(); }
    // Stops input and waits for the device's deliveries; on the events thread.
    void Quiesce();
    // Returns queued buffers, each filled with what fits of the bytes, leaving out
    // real-time bytes when asked. Returns the bytes that found no buffer.
    size_t ReturnInBuffers(const uint8_t* bytes, size_t size, uint32_t message,
                           bool skipRealTime) noexcept;
    void Deliver(uint32_t message, uintptr_t dwParam1) noexcept;

    InputDevice& m_device;
    DriverThread& m_events;
    std::atomic<MidiHandle> m_handle{0};
    // Written on the events thread while no delivery runs, read by the deliveries.
    MidiInProc m_callback = nullptr;
    uintptr_t m_instance = 0;
    std::atomic<int64_t> m_startNanoseconds{0};
    std::atomic<bool> m_lost{false};

    // Sequentially consistent, both: a delivery counts itself in before it looks at
    // m_receiving, the port clears m_receiving before it looks at the count.
    std::atomic<bool> m_receiving{false};
    mutable std::atomic<int> m_inFlight{0};

    HeaderQueue m_buffers;
    bool m_inSysex = false; // the device's thread, or the events thread while none runs
};
