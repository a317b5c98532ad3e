#include "midi/CompositeMidiServices.h"
#include "MidiTestSupport.h"
#include "midi/MidiMessageKinds.h"
#include "midi/ScriptedMidiServices.h"
#include "midi/SendLongMessage.h"
#include "midi/SimulatorServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RealAndSimulated {
    ScriptedMidiServices real{{"Keyboard", "Interface In"}, {"Interface Out"}};
    SimulatorServices simulator;
    CompositeMidiServices composite{real, simulator};
};

class CompositeMidiServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        ResetMidiPortLayer();
        SetMidiServices(&backends.composite);
        view.m_pInPortDlg = &inDialog;
        view.m_pOutPortDlg = &outDialog;
    }
    void TearDown() override {
        view.ClosePortsAtShutdown();
        SetMidiServices(nullptr);
        ResetMidiPortLayer();
    }

    RealAndSimulated backends;
    PortDeviceChoice inDialog;
    PortDeviceChoice outDialog;
    TestView view;
};

std::vector<std::string> InputNames(MidiServices& services) {
    std::vector<std::string> names;
    const uint32_t count = services.InGetNumDevs();
    for (uint32_t device = 0; device < count; ++device) {
        MidiInCaps caps{};
        services.InGetDevCaps(device, &caps);
        names.emplace_back(caps.szPname);
    }
    return names;
}

std::vector<std::string> OutputNames(MidiServices& services) {
    std::vector<std::string> names;
    const uint32_t count = services.OutGetNumDevs();
    for (uint32_t device = 0; device < count; ++device) {
        MidiOutCaps caps{};
        services.OutGetDevCaps(device, &caps);
        names.emplace_back(caps.szPname);
    }
    return names;
}

TEST_F(CompositeMidiServicesTest, ListsTheRealDevicesFirstAndThenTheSimulator) {
    EXPECT_EQ(InputNames(backends.composite),
              (std::vector<std::string>{"Keyboard", "Interface In", "QZ4 Simulator"}));
    EXPECT_EQ(OutputNames(backends.composite),
              (std::vector<std::string>{"Interface Out", "QZ4 Simulator"}));
}

TEST_F(CompositeMidiServicesTest, TheSimulatorAnswersThroughTheCompositeWithItsHandles) {
    InputNames(backends.composite);
    OutputNames(backends.composite);
    inDialog.m_nDevice = 2;
    outDialog.m_nDevice = 1;
    view.OpenMidiIn();
    view.OpenMidiOut();
    const uint8_t scanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};

    SendLongMessage(2, scanRequest);
    ASSERT_TRUE(WaitUntil([] { return PendingEvents().size() >= 2; }));

    const std::vector<CallbackEvent> events = PendingEvents();
    EXPECT_EQ(Kinds(events), (std::vector<uint32_t>{kMimOpen, kMimLongData}));
    for (const CallbackEvent& event : events) {
        EXPECT_EQ(event.handle, MidiInHandle);
    }
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "In Open QZ4 Simulator ",
                              "Out Open QZ4 Simulator The operation completed successfully."}));
    EXPECT_FALSE(backends.real.InputOpen());
}

TEST_F(CompositeMidiServicesTest, ARealDeviceIsOpenedInItsOwnBackend) {
    inDialog.m_nDevice = 1;
    view.OpenMidiIn();
    SkipPendingInput();

    backends.real.InjectSysex({0xF0, 0x7E, 0x00, 0xF7});

    EXPECT_TRUE(backends.real.InputOpen());
    EXPECT_EQ(PendingBytes(), (std::vector<uint8_t>{0xF0, 0x7E, 0x00, 0xF7}));
    EXPECT_EQ(PendingEvents().at(0).handle, MidiInHandle);
}

TEST_F(CompositeMidiServicesTest, ANumberPastTheLastDeviceFailsToOpen) {
    outDialog.m_nDevice = 2; // the output dialog's count line
    view.OpenMidiOut();

    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(),
              std::vector<std::string>{"Out Open  There is no MIDI device with this number."});
}

} // namespace
