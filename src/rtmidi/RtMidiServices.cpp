#include "rtmidi/RtMidiServices.h"

#include "rtmidi/RtMidiApi.h"

#include <cstdio>

namespace {

void IgnoreListingError(RtMidiError::Type, const std::string&, void*) {}

template <typename Caps>
MidiResult FillCaps(const std::vector<std::string>& names, uint32_t device, Caps* caps) {
    if (device >= names.size()) {
        return MidiResult::BadDeviceId;
    }
    if (caps == nullptr) {
        return MidiResult::InvalidParameter;
    }
    *caps = Caps{};
    std::snprintf(caps->szPname, sizeof caps->szPname, "%s", names[device].c_str());
    return MidiResult::NoError;
}

template <typename Client> std::vector<std::string> PortNames(Client& client) {
    std::vector<std::string> names;
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        names.push_back(client.getPortName(i));
    }
    return names;
}

} // namespace

RtMidiServices::RtMidiServices(const std::string& forcedApi) {
    const MidiApiChoice choice = ChooseMidiApi(
        forcedApi, [this](RtMidi::Api api, std::string* why) { return Connect(api, why); });
    if (choice.api == RtMidi::UNSPECIFIED) {
        m_unavailable = choice.unknownName ? "no MIDI system can be reached (" + choice.reason + ")"
                                           : choice.reason;
    }
}

RtMidiServices::~RtMidiServices() {
    LetGoOfLostServer();
    // Ports still open are closed first, as a driver closes its devices when it goes:
    // the input's callback hears of its close while everything it may touch exists.
    for (const auto& input : m_inputs) {
        if (input && input->Handle() != 0) {
            input->Port().Reset(input->Handle());
            input->Port().Close(input->Handle());
        }
    }
    for (const auto& output : m_outputs) {
        if (output && output->Handle() != 0) {
            output->Port().Close(output->Handle());
        }
    }
}

bool RtMidiServices::Connect(RtMidi::Api api, std::string* reason) {
    try {
        auto in = std::make_unique<RtMidiIn>(api, "WinTesselTest");
        auto out = std::make_unique<RtMidiOut>(api, "WinTesselTest");
        in->setErrorCallback(IgnoreListingError, nullptr);
        out->setErrorCallback(IgnoreListingError, nullptr);
        m_listIn = std::move(in);
        m_listOut = std::move(out);
    } catch (const RtMidiError& error) {
        *reason = error.getMessage();
        return false;
    }
    m_api = api;
    m_unavailable.clear();
    m_serverLost = false;
    if (api == RtMidi::UNIX_JACK) {
        m_watch = JackServerWatch::Start(OnPortGone, this);
    }
    return true;
}

void RtMidiServices::LetGoOfLostServer() {
    if (!m_watch || !m_watch->ServerGone()) {
        return;
    }
    for (auto& port : m_inputs) {
        if (port) {
            port->ReportLoss(RtMidiError::DRIVER_ERROR);
            port->AbandonClient();
        }
    }
    for (auto& port : m_outputs) {
        if (port) {
            port->AbandonClient();
        }
    }
    KeepAbandoned(m_listIn.release());
    KeepAbandoned(m_listOut.release());
    m_watch.reset();
    m_serverLost = true;
    m_inListed = m_outListed = false;
    m_unavailable = "no MIDI system can be reached (" + RtMidi::getApiDisplayName(m_api) +
                    ": the server went away)";
}

void RtMidiServices::FollowServer() {
    LetGoOfLostServer();
    if (!m_serverLost) {
        return;
    }
    std::string why;
    if (!MidiApiReachable(m_api, &why) || !Connect(m_api, &why)) {
        m_unavailable =
            "no MIDI system can be reached (" + RtMidi::getApiDisplayName(m_api) + ": " + why + ")";
    }
}

void RtMidiServices::OnPortGone(const char* portName, void* self) {
    for (auto& slot : static_cast<RtMidiServices*>(self)->m_inputSlots) {
        if (RtMidiInputPort* port = slot.load(std::memory_order_acquire)) {
            port->ReportLossOf(portName, RtMidiError::INVALID_DEVICE);
        }
    }
}

RtMidiInputPort* RtMidiServices::Input(MidiHandle handle) const {
    RtMidiInputPort* port = m_inputSlots[SlotOf(handle)].load(std::memory_order_acquire);
    return port != nullptr && handle != 0 && port->Handle() == handle ? port : nullptr;
}

RtMidiOutputPort* RtMidiServices::Output(MidiHandle handle) const {
    RtMidiOutputPort* port = m_outputs[SlotOf(handle)].get();
    return port != nullptr && handle != 0 && port->Handle() == handle ? port : nullptr;
}

void RtMidiServices::ListInputs() {
    FollowServer();
    m_inNames = m_listIn ? PortNames(*m_listIn) : std::vector<std::string>{};
    m_inListed = true;
}

void RtMidiServices::ListOutputs() {
    FollowServer();
    m_outNames = m_listOut ? PortNames(*m_listOut) : std::vector<std::string>{};
    m_outListed = true;
}

uint32_t RtMidiServices::InGetNumDevs() {
    ListInputs();
    return static_cast<uint32_t>(m_inNames.size());
}

MidiResult RtMidiServices::InGetDevCaps(uint32_t device, MidiInCaps* caps) {
    if (!m_inListed) {
        ListInputs();
    }
    return FillCaps(m_inNames, device, caps);
}

MidiResult RtMidiServices::InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                                  uintptr_t instance) {
    LetGoOfLostServer();
    if (!m_inListed) {
        ListInputs();
    }
    if (device >= m_inNames.size()) {
        return MidiResult::BadDeviceId;
    }
    if (handle == nullptr || callback == nullptr) {
        return MidiResult::InvalidParameter;
    }
    for (int slot = 0; slot < kMaxOpenPorts; ++slot) {
        if (m_inputs[slot] && m_inputs[slot]->Handle() != 0) {
            continue;
        }
        if (!m_inputs[slot]) {
            m_inputs[slot] = std::make_unique<RtMidiInputPort>(m_api);
            m_inputSlots[slot].store(m_inputs[slot].get(), std::memory_order_release);
        }
        const MidiHandle opened = NewHandle(slot);
        const MidiResult result =
            m_inputs[slot]->Open(opened, device, m_inNames[device], callback, instance);
        if (result == MidiResult::NoError) {
            *handle = opened;
        }
        return result;
    }
    return MidiResult::NoMemory;
}

MidiResult RtMidiServices::InStart(MidiHandle handle) {
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().Start(handle) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::InPrepareHeader(MidiHandle handle, MidiHeader* header) {
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().PrepareHeader(handle, header) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::InUnprepareHeader(MidiHandle handle, MidiHeader* header) {
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().UnprepareHeader(handle, header)
                           : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::InAddBuffer(MidiHandle handle, MidiHeader* header) {
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().AddBuffer(handle, header) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::InReset(MidiHandle handle) {
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().Reset(handle) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::InClose(MidiHandle handle) {
    LetGoOfLostServer();
    RtMidiInputPort* port = Input(handle);
    return port != nullptr ? port->Port().Close(handle) : MidiResult::InvalidHandle;
}

uint32_t RtMidiServices::OutGetNumDevs() {
    ListOutputs();
    return static_cast<uint32_t>(m_outNames.size());
}

MidiResult RtMidiServices::OutGetDevCaps(uint32_t device, MidiOutCaps* caps) {
    if (!m_outListed) {
        ListOutputs();
    }
    return FillCaps(m_outNames, device, caps);
}

MidiResult RtMidiServices::OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc, uintptr_t) {
    LetGoOfLostServer();
    if (!m_outListed) {
        ListOutputs();
    }
    if (device >= m_outNames.size()) {
        return MidiResult::BadDeviceId;
    }
    if (handle == nullptr) {
        return MidiResult::InvalidParameter;
    }
    for (int slot = 0; slot < kMaxOpenPorts; ++slot) {
        if (m_outputs[slot] && m_outputs[slot]->Handle() != 0) {
            continue;
        }
        if (!m_outputs[slot]) {
            m_outputs[slot] = std::make_unique<RtMidiOutputPort>(m_api);
        }
        return m_outputs[slot]->Open(handle, NewHandle(slot), device, m_outNames[device]);
    }
    return MidiResult::NoMemory;
}

MidiResult RtMidiServices::OutPrepareHeader(MidiHandle handle, MidiHeader* header) {
    RtMidiOutputPort* port = Output(handle);
    return port != nullptr ? port->Port().Prepare(handle, header) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::OutUnprepareHeader(MidiHandle handle, MidiHeader* header) {
    RtMidiOutputPort* port = Output(handle);
    return port != nullptr ? port->Port().Unprepare(handle, header) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::OutLongMsg(MidiHandle handle, MidiHeader* header) {
    LetGoOfLostServer();
    RtMidiOutputPort* port = Output(handle);
    return port != nullptr ? port->Port().Send(handle, header) : MidiResult::InvalidHandle;
}

MidiResult RtMidiServices::OutClose(MidiHandle handle) {
    LetGoOfLostServer();
    RtMidiOutputPort* port = Output(handle);
    return port != nullptr ? port->Port().Close(handle) : MidiResult::InvalidHandle;
}
