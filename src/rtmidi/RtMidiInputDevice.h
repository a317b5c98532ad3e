#pragma once

#include "rtmidi/SystemInputDevice.h"

#include <RtMidi.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// An input through RtMidi, with one RtMidiIn kept for every open. RtMidi may still be
// inside its receive callback when closePort returns; the port waits for that.
class RtMidiInputDevice final : public SystemInputDevice {
public:
    RtMidiInputDevice(RtMidi::Api api, InputPort& port) : m_api(api), m_port(port) {}
    // No callback comes once this returns.
    ~RtMidiInputDevice() override;

    MidiResult Open(unsigned index, const std::string& expectedName) override;
    void Close() override;
    void Abandon() override;

private:
    // On the MIDI system's thread: no allocation, no lock.
    static void OnMessage(double delta, std::vector<unsigned char>* message, void* self) noexcept;
    static void OnError(RtMidiError::Type type, const std::string& text, void* self) noexcept;
    // Around the window thread's RtMidi calls: what RtMidi reports meanwhile is the
    // call's result.
    void BeginCall();
    MidiResult EndCall();

    RtMidi::Api m_api;
    InputPort& m_port;
    std::unique_ptr<RtMidiIn> m_in;

    // Errors RtMidi reports while the window thread is inside one of its calls.
    std::atomic<bool> m_windowCall{false};
    std::atomic<std::thread::id> m_callThread;
    RtMidiError::Type m_callError = RtMidiError::UNSPECIFIED;
    bool m_callFailed = false;
};
