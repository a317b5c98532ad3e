#include "rtmidi/RtMidiInputPort.h"

RtMidiInputPort::RtMidiInputPort(RtMidi::Api api) : m_device(MakeSystemInputDevice(api, m_port)) {}

RtMidiInputPort::~RtMidiInputPort() {
    if (const MidiHandle handle = Handle(); handle != 0) {
        m_port.Reset(handle);
        m_port.Close(handle);
    }
    m_port.StopReceiving();
    m_port.WaitForDeliveries();
    m_device.reset(); // the connection's callbacks end with it, before the port goes
}

MidiResult RtMidiInputPort::Open(MidiHandle handle, unsigned index, const std::string& expectedName,
                                 MidiInProc callback, uintptr_t instance) {
    if (const MidiResult refused = m_port.CanOpen(handle, callback);
        refused != MidiResult::NoError) {
        return refused;
    }
    if (const MidiResult result = m_device->Open(index, expectedName);
        result != MidiResult::NoError) {
        return result;
    }
    m_worker.RunAndWait([&] { m_source = expectedName; });
    return m_port.Open(handle, callback, instance);
}

void RtMidiInputPort::ReportLossOf(const char* portName, uint32_t code) {
    m_worker.RunAndWait([&] {
        if (m_source == portName) {
            m_port.Lose(code);
        }
    });
}

void RtMidiInputPort::AbandonClient() {
    m_port.StopReceiving();
    m_device->Abandon();
}
