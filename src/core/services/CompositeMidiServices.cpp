#include "services/CompositeMidiServices.h"

CompositeMidiServices::CompositeMidiServices(MidiServices& first, MidiServices& second)
    : m_first(first), m_second(second) {}

CompositeMidiServices::~CompositeMidiServices() = default;

void CompositeMidiServices::RouteInput(MidiHandle handle, uint32_t message, uintptr_t instance,
                                       uintptr_t dwParam1, uintptr_t dwParam2) {
    // Runs on the MIDI driver thread: no allocation, no lock, no Qt.
    const auto* route = reinterpret_cast<const InputRoute*>(instance);
    route->callback(Encode(handle, route->backend), message, route->instance, dwParam1, dwParam2);
}

uint32_t CompositeMidiServices::InGetNumDevs() {
    m_firstInCount = m_first.InGetNumDevs();
    m_inCounted = true;
    return m_firstInCount + m_second.InGetNumDevs();
}

MidiResult CompositeMidiServices::InGetDevCaps(uint32_t device, MidiInCaps* caps) {
    if (!m_inCounted) {
        InGetNumDevs();
    }
    return device < m_firstInCount ? m_first.InGetDevCaps(device, caps)
                                   : m_second.InGetDevCaps(device - m_firstInCount, caps);
}

MidiResult CompositeMidiServices::InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                                         uintptr_t instance) {
    if (handle == nullptr || callback == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if (!m_inCounted) {
        InGetNumDevs();
    }
    const int backend = device < m_firstInCount ? 0 : 1;
    MidiServices& services = backend == 0 ? m_first : m_second;
    const uint32_t inner = backend == 0 ? device : device - m_firstInCount;
    auto route = std::make_unique<InputRoute>(InputRoute{callback, instance, backend});
    MidiHandle opened = 0;
    const MidiResult result =
        services.InOpen(&opened, inner, RouteInput, reinterpret_cast<uintptr_t>(route.get()));
    if (result != MidiResult::NoError) {
        return result;
    }
    *handle = Encode(opened, backend);
    m_inputRoutes[*handle] = std::move(route);
    return result;
}

MidiResult CompositeMidiServices::InStart(MidiHandle handle) {
    return Backend(handle).InStart(Inner(handle));
}

MidiResult CompositeMidiServices::InPrepareHeader(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).InPrepareHeader(Inner(handle), header);
}

MidiResult CompositeMidiServices::InUnprepareHeader(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).InUnprepareHeader(Inner(handle), header);
}

MidiResult CompositeMidiServices::InAddBuffer(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).InAddBuffer(Inner(handle), header);
}

MidiResult CompositeMidiServices::InReset(MidiHandle handle) {
    return Backend(handle).InReset(Inner(handle));
}

MidiResult CompositeMidiServices::InClose(MidiHandle handle) {
    const MidiResult result = Backend(handle).InClose(Inner(handle));
    if (result == MidiResult::NoError) {
        m_inputRoutes.erase(handle); // no callback comes after a close that succeeded
    }
    return result;
}

uint32_t CompositeMidiServices::OutGetNumDevs() {
    m_firstOutCount = m_first.OutGetNumDevs();
    m_outCounted = true;
    return m_firstOutCount + m_second.OutGetNumDevs();
}

MidiResult CompositeMidiServices::OutGetDevCaps(uint32_t device, MidiOutCaps* caps) {
    if (!m_outCounted) {
        OutGetNumDevs();
    }
    return device < m_firstOutCount ? m_first.OutGetDevCaps(device, caps)
                                    : m_second.OutGetDevCaps(device - m_firstOutCount, caps);
}

MidiResult CompositeMidiServices::OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                                          uintptr_t instance) {
    if (handle == nullptr) {
        return MidiResult::InvalidParameter;
    }
    if (!m_outCounted) {
        OutGetNumDevs();
    }
    const int backend = device < m_firstOutCount ? 0 : 1;
    MidiServices& services = backend == 0 ? m_first : m_second;
    const uint32_t inner = backend == 0 ? device : device - m_firstOutCount;
    MidiHandle opened = 0;
    const MidiResult result = services.OutOpen(&opened, inner, callback, instance);
    if (result == MidiResult::NoError) {
        *handle = Encode(opened, backend);
    }
    return result;
}

MidiResult CompositeMidiServices::OutPrepareHeader(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).OutPrepareHeader(Inner(handle), header);
}

MidiResult CompositeMidiServices::OutUnprepareHeader(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).OutUnprepareHeader(Inner(handle), header);
}

MidiResult CompositeMidiServices::OutLongMsg(MidiHandle handle, MidiHeader* header) {
    return Backend(handle).OutLongMsg(Inner(handle), header);
}

MidiResult CompositeMidiServices::OutClose(MidiHandle handle) {
    return Backend(handle).OutClose(Inner(handle));
}
