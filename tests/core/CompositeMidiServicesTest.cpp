#include "services/CompositeMidiServices.h"
#include "MidiTestSupport.h"
#include "ScriptedMidiServices.h"
#include "ports/SendLongMessage.h"
#include "services/DeviceLookup.h"
#include "services/MidiServices.h"
#include "sim/SimulatorServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RealAndSimulated {
    ScriptedMidiServices real{{"Keyboard", "Interface In"}, {"Interface Out"}};
    SimulatorServices simulator;
    CompositeMidiServices composite{real, simulator};
};

// The fixture installs the composite.
MidiServices& Installed(RealAndSimulated& backends) {
    return backends.composite;
}

using CompositeMidiServicesTest = PortLayerFixture<RealAndSimulated>;

TEST_F(CompositeMidiServicesTest, ListsTheRealDevicesFirstAndThenTheSimulator) {
    EXPECT_EQ(InputDeviceNames(),
              (std::vector<std::string>{"Keyboard", "Interface In", "QZ4 Simulator"}));
    EXPECT_EQ(OutputDeviceNames(), (std::vector<std::string>{"Interface Out", "QZ4 Simulator"}));
}

TEST_F(CompositeMidiServicesTest, TheSimulatorAnswersThroughTheCompositeWithItsHandles) {
    InputDeviceNames();
    OutputDeviceNames();
    OpenInput(2);
    OpenOutput(1);
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
    EXPECT_FALSE(services.real.InputOpen());
}

TEST_F(CompositeMidiServicesTest, ARealDeviceIsOpenedInItsOwnBackend) {
    OpenInput(1);
    SkipPendingInput();

    services.real.InjectSysex({0xF0, 0x7E, 0x00, 0xF7});

    EXPECT_TRUE(services.real.InputOpen());
    EXPECT_EQ(PendingBytes(), (std::vector<uint8_t>{0xF0, 0x7E, 0x00, 0xF7}));
    EXPECT_EQ(PendingEvents().at(0).handle, MidiInHandle);
}

TEST_F(CompositeMidiServicesTest, ANumberPastTheLastDeviceFailsToOpen) {
    OpenOutput(2); // the output dialog's count line

    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(LogLines(),
              std::vector<std::string>{"Out Open  There is no MIDI device with this number."});
}

} // namespace
