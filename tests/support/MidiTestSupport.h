#pragma once

#include "ProcessStateGuard.h"
#include "TestView.h"
#include "WaitUntil.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "services/MidiServices.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// What the rings hold that nobody has read yet, without reading it.
inline std::vector<CallbackEvent> PendingEvents() {
    std::vector<CallbackEvent> events;
    const uint32_t end = EventWriteCount.load(std::memory_order_acquire);
    for (uint32_t n = EventReadCount.load(); n != end; ++n) {
        events.push_back(CallbackEventRing[n & (kCallbackEventRingSize - 1)]);
    }
    return events;
}

inline std::vector<uint8_t> PendingBytes() {
    std::vector<uint8_t> bytes;
    const uint32_t end = ByteWriteCount.load(std::memory_order_acquire);
    for (uint32_t n = ByteReadCount.load(); n != end; ++n) {
        bytes.push_back(InputByteRing[n & (kInputByteRingSize - 1)]);
    }
    return bytes;
}

// Reads everything pending, as the decoder would, without decoding it.
inline void SkipPendingInput() {
    ByteReadCount.store(ByteWriteCount.load(std::memory_order_acquire), std::memory_order_release);
    EventReadCount.store(EventWriteCount.load(std::memory_order_acquire),
                         std::memory_order_release);
}

inline std::vector<uint32_t> Kinds(const std::vector<CallbackEvent>& events) {
    std::vector<uint32_t> kinds;
    for (const CallbackEvent& event : events) {
        kinds.push_back(event.message);
    }
    return kinds;
}

inline std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    for (int32_t n = 0; n < MessageLog.LogCount; ++n) {
        lines.emplace_back(MessageLog.Line(n));
    }
    return lines;
}

// The device services a fixture installs; a test's own bundle of services names its entry.
template <typename Services> MidiServices& Installed(Services& services) {
    return services;
}

// A view with both port dialogs and the given device services installed, over a clean
// process state; what a test leaves open is closed the way the view's destructor does.
template <typename Services> class PortLayerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        view.m_pInPortDlg = &inDialog;
        view.m_pOutPortDlg = &outDialog;
    }
    void TearDown() override { view.ClosePortsAtShutdown(); }

    int OpenInput(int device) {
        inDialog.m_nDevice = device;
        return view.OpenMidiIn();
    }
    void OpenOutput(int device) {
        outDialog.m_nDevice = device;
        view.OpenMidiOut();
    }

    Services services;
    PortDeviceChoice inDialog;
    PortDeviceChoice outDialog;
    TestView view;
    // Last: made after the view, so the view's welcome lines are gone before a test
    // starts; gone before the view, as the services must be.
    ProcessStateGuard state{&Installed(services)};
};
