#pragma once

#include "rtmidi/JackMidiReceiver.h"
#include "rtmidi/SystemInputDevice.h"

#include <cstddef>
#include <memory>

// A JACK input through a receiver of our own, with one client kept for every open.
class JackInputDevice final : public SystemInputDevice {
public:
    explicit JackInputDevice(InputPort& port) : m_port(port) {}
    // Closing the client ends its process thread: no delivery runs after this.
    ~JackInputDevice() override = default;

    MidiResult Open(unsigned index, const std::string& expectedName) override;
    void Close() override;
    void Abandon() override;

private:
    // On JACK's process thread: no allocation, no lock.
    static void OnEvent(const unsigned char* bytes, size_t size, void* self) noexcept;

    InputPort& m_port;
    std::unique_ptr<JackMidiReceiver> m_receiver;
};
