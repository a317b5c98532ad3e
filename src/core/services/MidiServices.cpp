#include "services/MidiServices.h"

#include <atomic>
#include <cstdio>

namespace {

// What the process has before a program installs its services: no device at all.
class NoMidiServices final : public MidiServices {
public:
    uint32_t InGetNumDevs() override { return 0; }
    MidiResult InGetDevCaps(uint32_t, MidiInCaps*) override { return MidiResult::BadDeviceId; }
    MidiResult InOpen(MidiHandle*, uint32_t, MidiInProc, uintptr_t) override {
        return MidiResult::BadDeviceId;
    }
    MidiResult InStart(MidiHandle) override { return MidiResult::InvalidHandle; }
    MidiResult InPrepareHeader(MidiHandle, MidiHeader*) override {
        return MidiResult::InvalidHandle;
    }
    MidiResult InUnprepareHeader(MidiHandle, MidiHeader*) override {
        return MidiResult::InvalidHandle;
    }
    MidiResult InAddBuffer(MidiHandle, MidiHeader*) override { return MidiResult::InvalidHandle; }
    MidiResult InReset(MidiHandle) override { return MidiResult::InvalidHandle; }
    MidiResult InClose(MidiHandle) override { return MidiResult::InvalidHandle; }
    uint32_t OutGetNumDevs() override { return 0; }
    MidiResult OutGetDevCaps(uint32_t, MidiOutCaps*) override { return MidiResult::BadDeviceId; }
    MidiResult OutOpen(MidiHandle*, uint32_t, MidiOutProc, uintptr_t) override {
        return MidiResult::BadDeviceId;
    }
    MidiResult OutPrepareHeader(MidiHandle, MidiHeader*) override {
        return MidiResult::InvalidHandle;
    }
    MidiResult OutUnprepareHeader(MidiHandle, MidiHeader*) override {
        return MidiResult::InvalidHandle;
    }
    MidiResult OutLongMsg(MidiHandle, MidiHeader*) override { return MidiResult::InvalidHandle; }
    MidiResult OutClose(MidiHandle) override { return MidiResult::InvalidHandle; }
};

NoMidiServices BuiltInServices;
std::atomic<MidiServices*> InstalledServices{&BuiltInServices};

} // namespace

MidiResult MidiServices::GetErrorText(MidiResult result, char* text, uint32_t size) {
    if (text == nullptr || size == 0) {
        return MidiResult::InvalidParameter;
    }
    std::snprintf(text, size, "%s", MidiResultText(result));
    return MidiResult::NoError;
}

void SetMidiServices(MidiServices* services) {
    InstalledServices.store(services != nullptr ? services : &BuiltInServices,
                            std::memory_order_release);
}

MidiServices& CurrentMidiServices() {
    return *InstalledServices.load(std::memory_order_acquire);
}
