#include "rtmidi/JackInputDevice.h"

#include <string>
#include <vector>

MidiResult JackInputDevice::Open(unsigned index, const std::string& expectedName) {
    if (!m_receiver) {
        std::string why;
        m_receiver = JackMidiReceiver::Open("WinTesselTest", OnEvent, this, &why);
        if (!m_receiver) {
            return MidiResult::NotEnabled;
        }
    }
    const std::vector<std::string> sources = m_receiver->Sources();
    if (index >= sources.size() || sources[index] != expectedName) {
        return MidiResult::NoDevice;
    }
    if (!m_receiver->RegisterPort("in")) {
        return MidiResult::NotEnabled;
    }
    if (!m_receiver->ConnectFrom(expectedName)) {
        m_receiver->UnregisterPort();
        return MidiResult::NoDevice;
    }
    return MidiResult::NoError;
}

void JackInputDevice::Close() {
    if (m_receiver) {
        m_receiver->UnregisterPort();
    }
}

void JackInputDevice::Abandon() {
    JackMidiReceiver::Abandon(std::move(m_receiver));
}

void JackInputDevice::OnEvent(const unsigned char* bytes, size_t size, void* self) noexcept {
    const unsigned char status = bytes[0];
    if (size == 1 && (status == 0xF8 || status == 0xFE)) {
        return; // clock and active sensing stay out, as RtMidi is told for other APIs
    }
    static_cast<JackInputDevice*>(self)->m_port.Receive(bytes, size);
}
