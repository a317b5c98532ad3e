#pragma once

#include "rtmidi/SystemInputDevice.h"
#include "services/DriverThread.h"
#include "services/InputPort.h"
#include "services/MidiServices.h"

#include <RtMidi.h>

#include <cstdint>
#include <memory>
#include <string>

// One input of the real MIDI system with the event contract of the device services: a
// connection of the system's API (SystemInputDevice) hands its input to an InputPort,
// whose own events (open, reset, close, loss), which the MIDI system never gives, come
// from a worker thread of the port's own, one job at a time in the order they were asked
// for. The connection and this port are kept for the life of the backend and reused for
// later opens.
class RtMidiInputPort final : private InputDevice {
public:
    explicit RtMidiInputPort(RtMidi::Api api);
    // Resets and closes the port when open, then ends the connection's callbacks.
    ~RtMidiInputPort() override;
    RtMidiInputPort(const RtMidiInputPort&) = delete;
    RtMidiInputPort& operator=(const RtMidiInputPort&) = delete;

    // Opens port `index`, which the last listing named `expectedName`; a port that is
    // gone or renamed since, or a warning while opening, fails the open.
    MidiResult Open(MidiHandle handle, unsigned index, const std::string& expectedName,
                    MidiInProc callback, uintptr_t instance);
    // Headers, starting, resetting and closing, by the rules every backend shares. Reset
    // and Close wait, with no deadline, until the connection is out of a callback it is
    // in, however long that callback takes.
    InputPort& Port() { return m_port; }
    // The handle while open, else 0. Read on the driver thread too.
    MidiHandle Handle() const { return m_port.Handle(); }

    // The device this port is open on, or the MIDI system, went away: input stops and
    // the callback gets one kMimError with `code` (an RtMidiError::Type), from the port's
    // worker thread. The port stays open until it is closed.
    void ReportLoss(uint32_t code) { m_port.Lose(code); }
    // Reports the loss when the port is open on the device named `portName`.
    void ReportLossOf(const char* portName, uint32_t code);
    // The MIDI system went away: the connection's client is abandoned, never called
    // again; the next open makes a new one.
    void AbandonClient();

private:
    void Release() override { m_device->Close(); }

    // First: the worker outlives every job that the port and the loss reports give it.
    DriverThread m_worker;
    InputPort m_port{*this, m_worker};
    std::unique_ptr<SystemInputDevice> m_device;
    std::string m_source; // the device opened on; written and read on the worker only
};
