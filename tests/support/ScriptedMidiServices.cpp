#include "ScriptedMidiServices.h"

#include "services/MidiServices.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

template <typename Caps, typename Device>
MidiResult FillCaps(const std::vector<Device>& devices, uint32_t device, Caps* caps) {
    if (device >= devices.size()) {
        return MidiResult::BadDeviceId;
    }
    if (caps == nullptr) {
        return MidiResult::InvalidParameter;
    }
    *caps = Caps{};
    std::snprintf(caps->szPname, sizeof caps->szPname, "%s", devices[device].name.c_str());
    return MidiResult::NoError;
}

} // namespace

ScriptedMidiServices::ScriptedMidiServices(std::vector<std::string> inputs,
                                           std::vector<std::string> outputs) {
    for (auto& name : inputs) {
        m_inputs.push_back(Device{std::move(name)});
    }
    for (auto& name : outputs) {
        m_outputs.push_back(Device{std::move(name)});
    }
}

void ScriptedMidiServices::VanishInput(uint32_t device) {
    m_inputs.at(device).vanished = true;
}

void ScriptedMidiServices::VanishOutput(uint32_t device) {
    m_outputs.at(device).vanished = true;
}

void ScriptedMidiServices::CompleteHeldSends() {
    for (MidiHeader* header : m_held) {
        m_sent.emplace_back(header->lpData, header->lpData + header->dwBufferLength);
        header->dwFlags |= kMidiHeaderDone;
    }
    m_held.clear();
}

void ScriptedMidiServices::InjectShortMessage(uint32_t packed) {
    m_thread.RunAndWait([&] { m_input.Port().ReceiveEvent(kMimData, packed); });
}

void ScriptedMidiServices::InjectError(uint32_t dwParam1) {
    m_thread.RunAndWait([&] { m_input.Port().ReceiveEvent(kMimError, dwParam1); });
}

void ScriptedMidiServices::InjectSysex(const std::vector<uint8_t>& bytes) {
    m_thread.RunAndWait([&] {
        m_inputBytesLost +=
            m_input.Port().ReceiveLongData(bytes.data(), bytes.size(), kMimLongData);
    });
}

void ScriptedMidiServices::InjectLongError(const std::vector<uint8_t>& partial) {
    m_thread.RunAndWait([&] {
        m_inputBytesLost +=
            m_input.Port().ReceiveLongData(partial.data(), partial.size(), kMimLongError);
    });
}

void ScriptedMidiServices::Record(const char* call) {
    if (!m_thread.IsCurrentThread()) {
        m_calls.emplace_back(call);
    }
}

MidiResult ScriptedMidiServices::TakeFailure(MidiResult& failure) {
    return std::exchange(failure, MidiResult::NoError);
}

uint32_t ScriptedMidiServices::InGetNumDevs() {
    return static_cast<uint32_t>(m_inputs.size());
}

MidiResult ScriptedMidiServices::InGetDevCaps(uint32_t device, MidiInCaps* caps) {
    return FillCaps(m_inputs, device, caps);
}

MidiResult ScriptedMidiServices::InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                                        uintptr_t instance) {
    Record("InOpen");
    if (const MidiResult failure = TakeFailure(m_inOpenFailure); failure != MidiResult::NoError) {
        return failure;
    }
    if (device >= m_inputs.size()) {
        return MidiResult::BadDeviceId;
    }
    if (m_inputs[device].vanished) {
        return MidiResult::NoDevice;
    }
    if (handle == nullptr) {
        return MidiResult::InvalidParameter;
    }
    const MidiHandle opened = m_lastHandle + 1;
    const MidiResult result = m_input.Port().Open(opened, callback, instance);
    if (result == MidiResult::NoError) {
        m_lastHandle = opened;
        *handle = opened;
    }
    return result;
}

MidiResult ScriptedMidiServices::InStart(MidiHandle handle) {
    Record("InStart");
    return m_input.Port().Start(handle);
}

MidiResult ScriptedMidiServices::InPrepareHeader(MidiHandle handle, MidiHeader* header) {
    Record("InPrepareHeader");
    return m_input.Port().PrepareHeader(handle, header);
}

MidiResult ScriptedMidiServices::InUnprepareHeader(MidiHandle handle, MidiHeader* header) {
    Record("InUnprepareHeader");
    return m_input.Port().UnprepareHeader(handle, header);
}

MidiResult ScriptedMidiServices::InAddBuffer(MidiHandle handle, MidiHeader* header) {
    Record("InAddBuffer");
    const MidiResult result = m_input.Port().AddBuffer(handle, header);
    if (m_errorOnceReceiving) {
        const uint32_t code = *m_errorOnceReceiving;
        m_errorOnceReceiving.reset();
        InjectError(code);
    }
    return result;
}

MidiResult ScriptedMidiServices::InReset(MidiHandle handle) {
    Record("InReset");
    return m_input.Port().Reset(handle);
}

MidiResult ScriptedMidiServices::InClose(MidiHandle handle) {
    Record("InClose");
    if (const MidiResult failure = TakeFailure(m_inCloseFailure); failure != MidiResult::NoError) {
        return failure;
    }
    return m_input.Port().Close(handle);
}

uint32_t ScriptedMidiServices::OutGetNumDevs() {
    return static_cast<uint32_t>(m_outputs.size());
}

MidiResult ScriptedMidiServices::OutGetDevCaps(uint32_t device, MidiOutCaps* caps) {
    return FillCaps(m_outputs, device, caps);
}

MidiResult ScriptedMidiServices::OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc,
                                         uintptr_t) {
    Record("OutOpen");
    if (const MidiResult failure = TakeFailure(m_outOpenFailure); failure != MidiResult::NoError) {
        return failure;
    }
    if (device >= m_outputs.size()) {
        return MidiResult::BadDeviceId;
    }
    if (m_outputs[device].vanished) {
        return MidiResult::NoDevice;
    }
    const MidiResult result = m_output.Open(handle, m_lastHandle + 1);
    if (result == MidiResult::NoError) {
        ++m_lastHandle;
    }
    return result;
}

MidiResult ScriptedMidiServices::OutLongMsg(MidiHandle handle, MidiHeader* header) {
    Record("OutLongMsg");
    return m_output.Send(handle, header);
}

MidiResult ScriptedMidiServices::Transmit(MidiHeader& header) {
    if (m_holdSends) {
        m_held.push_back(&header);
        return MidiResult::NoError;
    }
    m_sent.emplace_back(header.lpData, header.lpData + header.dwBufferLength);
    return MidiResult::NoError;
}

bool ScriptedMidiServices::Holds(const MidiHeader* header) const {
    return std::find(m_held.begin(), m_held.end(), header) != m_held.end();
}

MidiResult ScriptedMidiServices::OutClose(MidiHandle handle) {
    Record("OutClose");
    return m_output.Close(handle);
}
