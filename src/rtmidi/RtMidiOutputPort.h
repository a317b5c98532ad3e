#pragma once

#include "ports/MidiServices.h"

#include <RtMidi.h>

#include <cstdint>
#include <memory>
#include <string>

// One RtMidi output connection. The RtMidiOut object is kept for the life of the
// backend and reused by later opens, so a port chosen again and again does not make a
// new client of the MIDI system each time. Window thread only.
class RtMidiOutputPort {
public:
    explicit RtMidiOutputPort(RtMidi::Api api) : m_api(api) {}

    // Opens port `index`, which the last listing named `expectedName`.
    MidiResult Open(MidiHandle handle, unsigned index, const std::string& expectedName);
    // RtMidi copies the message, so the bytes are free when this returns.
    MidiResult Send(const uint8_t* bytes, size_t size);
    MidiResult Close();
    MidiHandle Handle() const { return m_handle; }
    // The MIDI system went away: the RtMidi object is abandoned, never called again;
    // sends fail until the port is closed, and the next open makes a new one.
    void AbandonClient();

private:
    static void OnError(RtMidiError::Type type, const std::string& text, void* self);

    RtMidi::Api m_api;
    std::unique_ptr<RtMidiOut> m_out;
    MidiHandle m_handle = 0;
    bool m_failed = false;
    RtMidiError::Type m_error = RtMidiError::UNSPECIFIED;
};
