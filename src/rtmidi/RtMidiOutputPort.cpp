#include "rtmidi/RtMidiOutputPort.h"

#include "rtmidi/JackServerWatch.h"
#include "rtmidi/RtMidiApi.h"

void RtMidiOutputPort::OnError(RtMidiError::Type type, const std::string&, void* self) {
    auto* port = static_cast<RtMidiOutputPort*>(self);
    port->m_failed = true;
    port->m_error = type;
}

MidiResult RtMidiOutputPort::Open(MidiHandle* handle, MidiHandle newHandle, unsigned index,
                                  const std::string& expectedName) {
    if (m_port.Handle() != 0) {
        return MidiResult::Allocated;
    }
    if (!m_out) {
        try {
            m_out = std::make_unique<RtMidiOut>(m_api, "WinTesselTest");
        } catch (const RtMidiError& error) {
            return ResultOfRtMidiError(error.getType());
        }
        m_out->setErrorCallback(OnError, this);
    }
    if (index >= m_out->getPortCount() || m_out->getPortName(index) != expectedName) {
        return MidiResult::NoDevice;
    }
    m_failed = false;
    m_out->openPort(index, "out");
    // A warning while opening (JACK opens a port that has just vanished) is a failure.
    if (m_failed || !m_out->isPortOpen()) {
        const MidiResult result = m_failed ? ResultOfRtMidiError(m_error) : MidiResult::NoDevice;
        m_out->closePort();
        return result;
    }
    return m_port.Open(handle, newHandle);
}

MidiResult RtMidiOutputPort::Transmit(MidiHeader& header) {
    if (!m_out) {
        return MidiResult::NoDevice;
    }
    m_failed = false;
    m_out->sendMessage(header.lpData, header.dwBufferLength);
    return m_failed ? ResultOfRtMidiError(m_error) : MidiResult::NoError;
}

MidiResult RtMidiOutputPort::Release() {
    if (m_out) {
        m_out->closePort();
    }
    return MidiResult::NoError;
}

void RtMidiOutputPort::AbandonClient() {
    if (m_out) {
        KeepAbandoned(m_out.release());
    }
}
