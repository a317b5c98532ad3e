#pragma once

#include "services/MidiServices.h"

#include <cstdint>
#include <map>
#include <memory>

// Lists the devices of a first backend (the real MIDI system) and then those of a
// second (the simulator), and passes each call to the backend that owns the device or
// handle. A device number means what the last count said: the first backend's share
// is read at each count and kept until the next, so a listing and the open that
// follows it agree on which backend a number names.
class CompositeMidiServices final : public MidiServices {
public:
    CompositeMidiServices(MidiServices& first, MidiServices& second);
    ~CompositeMidiServices() override;

    uint32_t InGetNumDevs() override;
    MidiResult InGetDevCaps(uint32_t device, MidiInCaps* caps) override;
    MidiResult InOpen(MidiHandle* handle, uint32_t device, MidiInProc callback,
                      uintptr_t instance) override;
    MidiResult InStart(MidiHandle handle) override;
    MidiResult InPrepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InUnprepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult InAddBuffer(MidiHandle handle, MidiHeader* header) override;
    MidiResult InReset(MidiHandle handle) override;
    MidiResult InClose(MidiHandle handle) override;

    uint32_t OutGetNumDevs() override;
    MidiResult OutGetDevCaps(uint32_t device, MidiOutCaps* caps) override;
    MidiResult OutOpen(MidiHandle* handle, uint32_t device, MidiOutProc callback,
                       uintptr_t instance) override;
    MidiResult OutPrepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutUnprepareHeader(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutLongMsg(MidiHandle handle, MidiHeader* header) override;
    MidiResult OutClose(MidiHandle handle) override;

    std::string UnavailableReason() const override { return m_first.UnavailableReason(); }

private:
    // The callback and instance of one open input, for the callback that stands
    // between a backend and the application: the application sees this composite's
    // handles, never a backend's.
    struct InputRoute {
        MidiInProc callback;
        uintptr_t instance;
        int backend;
    };
    static void RouteInput(MidiHandle handle, uint32_t message, uintptr_t instance,
                           uintptr_t dwParam1, uintptr_t dwParam2);

    // A composite handle is the backend's handle shifted left by one, with the backend
    // in the lowest bit: decoded without a lookup, so inside the callback too.
    static MidiHandle Encode(MidiHandle inner, int backend) {
        return inner << 1 | static_cast<MidiHandle>(backend);
    }
    MidiServices& Backend(MidiHandle handle) const { return handle & 1 ? m_second : m_first; }
    static MidiHandle Inner(MidiHandle handle) { return handle >> 1; }

    MidiServices& m_first;
    MidiServices& m_second;
    bool m_inCounted = false;
    bool m_outCounted = false;
    uint32_t m_firstInCount = 0;
    uint32_t m_firstOutCount = 0;
    std::map<MidiHandle, std::unique_ptr<InputRoute>> m_inputRoutes;
};
