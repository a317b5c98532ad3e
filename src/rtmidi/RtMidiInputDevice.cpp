#include "rtmidi/RtMidiInputDevice.h"

#include "rtmidi/JackServerWatch.h"
#include "rtmidi/RtMidiApi.h"
#include "services/MidiServices.h"

RtMidiInputDevice::~RtMidiInputDevice() {
    if (m_in) {
        m_in->cancelCallback();
    }
}

MidiResult RtMidiInputDevice::Open(unsigned index, const std::string& expectedName) {
    if (!m_in) {
        try {
            m_in = std::make_unique<RtMidiIn>(m_api, "WinTesselTest");
        } catch (const RtMidiError& error) {
            return ResultOfRtMidiError(error.getType());
        }
        // With an error callback set, RtMidi reports instead of throwing.
        m_in->setErrorCallback(OnError, this);
        m_in->ignoreTypes(false, true, true); // SysEx in; clock and active sensing out
        m_in->setCallback(OnMessage, this);
    }

    // Port numbers are positions in a list read afresh: the device listed under this
    // number must still be the one named.
    BeginCall();
    const bool present = index < m_in->getPortCount() && m_in->getPortName(index) == expectedName;
    if (!present) {
        EndCall();
        return MidiResult::NoDevice;
    }
    m_in->openPort(index, "in");
    MidiResult result = EndCall();
    if (result == MidiResult::NoError && !m_in->isPortOpen()) {
        result = MidiResult::NoDevice;
    }
    if (result != MidiResult::NoError) {
        BeginCall();
        m_in->closePort();
        EndCall();
        m_port.WaitForDeliveries();
    }
    return result;
}

void RtMidiInputDevice::Close() {
    if (m_in) {
        BeginCall();
        m_in->closePort();
        EndCall();
    }
}

void RtMidiInputDevice::Abandon() {
    if (m_in) {
        KeepAbandoned(m_in.release());
    }
}

void RtMidiInputDevice::OnMessage(double, std::vector<unsigned char>* message,
                                  void* self) noexcept {
    static_cast<RtMidiInputDevice*>(self)->m_port.Receive(message->data(), message->size());
}

void RtMidiInputDevice::OnError(RtMidiError::Type type, const std::string&, void* self) noexcept {
    auto* device = static_cast<RtMidiInputDevice*>(self);
    if (device->m_windowCall.load() && std::this_thread::get_id() == device->m_callThread.load()) {
        device->m_callFailed = true;
        device->m_callError = type;
        return;
    }
    // Reported while receiving: a transport error for the application to see.
    device->m_port.ReceiveEvent(kMimError, static_cast<uintptr_t>(type));
}

void RtMidiInputDevice::BeginCall() {
    m_callFailed = false;
    m_callThread = std::this_thread::get_id();
    m_windowCall.store(true);
}

MidiResult RtMidiInputDevice::EndCall() {
    m_windowCall.store(false);
    return m_callFailed ? ResultOfRtMidiError(m_callError) : MidiResult::NoError;
}
