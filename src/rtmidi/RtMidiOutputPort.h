#pragma once

#include "services/MidiServices.h"
#include "services/OutputPort.h"

#include <RtMidi.h>

#include <cstdint>
#include <memory>
#include <string>

// One RtMidi output connection. The RtMidiOut object is kept for the life of the
// backend and reused by later opens, so a port chosen again and again does not make a
// new client of the MIDI system each time. Window thread only.
class RtMidiOutputPort final : private OutputDevice {
public:
    explicit RtMidiOutputPort(RtMidi::Api api) : m_api(api) {}

    // Opens port `index`, which the last listing named `expectedName`, as `newHandle`.
    MidiResult Open(MidiHandle* handle, MidiHandle newHandle, unsigned index,
                    const std::string& expectedName);
    // Headers, sends and closing, by the rules every backend shares.
    OutputPort& Port() { return m_port; }
    MidiHandle Handle() const { return m_port.Handle(); }
    // The MIDI system went away: the RtMidi object is abandoned, never called again;
    // sends fail until the port is closed, and the next open makes a new one.
    void AbandonClient();

private:
    // RtMidi copies the message, so the bytes are free when this returns.
    MidiResult Transmit(MidiHeader& header) override;
    MidiResult Release() override;
    static void OnError(RtMidiError::Type type, const std::string& text, void* self);

    RtMidi::Api m_api;
    std::unique_ptr<RtMidiOut> m_out;
    OutputPort m_port{*this};
    bool m_failed = false;
    RtMidiError::Type m_error = RtMidiError::UNSPECIFIED;
};
