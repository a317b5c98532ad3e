#include "sim/SimulatorServices.h"

#include "services/MidiServices.h"

#include <cstdio>

namespace {

template <typename Caps> MidiResult FillCaps(uint32_t device, Caps* caps) {
    if (device != 0) {
        return MidiResult::BadDeviceId;
    }
    if (caps == nullptr) {
        return MidiResult::InvalidParameter;
    }
    *caps = Caps{};
    std::snprintf(caps->szPname, sizeof caps->szPname, "%s", SimulatorServices::kDeviceName);
    return MidiResult::NoError;
}

} // namespace

SimulatorServices::SimulatorServices(const SimulatorOptions& options)
    : m_latency(options.latency), m_model(options) {}

void SimulatorServices::SetOptions(const SimulatorOptions& options) {
    m_latency = options.latency;
    m_thread.RunAndWait([this, options] { m_model = Qz4Model(options); });
}

MidiResult SimulatorServices::InGetDevCaps(uint32_t device, MidiInCaps* caps) {
    return FillCaps(device, caps);
}

MidiResult SimulatorServices::InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                                     uintptr_t instance) {
    if (device != 0) {
        return MidiResult::BadDeviceId;
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

MidiResult SimulatorServices::OutGetDevCaps(uint32_t device, MidiOutCaps* caps) {
    return FillCaps(device, caps);
}

MidiResult SimulatorServices::OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc, uintptr_t) {
    if (device != 0) {
        return MidiResult::BadDeviceId;
    }
    const MidiResult result = m_output.Open(handle, m_lastHandle + 1);
    if (result == MidiResult::NoError) {
        ++m_lastHandle;
    }
    return result;
}

MidiResult SimulatorServices::Transmit(MidiHeader& header) {
    // Taken at once, so the header and its bytes are free when the call returns.
    std::vector<uint8_t> request(header.lpData, header.lpData + header.dwBufferLength);
    m_thread.Post(m_latency, [this, request = std::move(request)] { Answer(request); });
    return MidiResult::NoError;
}

void SimulatorServices::Answer(const std::vector<uint8_t>& request) {
    const std::vector<uint8_t> reply = m_model.Respond(request.data(), request.size());
    if (reply.empty()) {
        return;
    }
    if (m_input.Port().ReceiveLongData(reply.data(), reply.size(), kMimLongData) > 0) {
        m_repliesLost.fetch_add(1, std::memory_order_relaxed);
    }
}
