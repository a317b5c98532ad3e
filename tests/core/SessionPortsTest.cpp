#include "scanner/SessionPorts.h"
#include "MidiTestSupport.h"
#include "ScriptedMidiServices.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::vector<std::string> kInputs = {"Midi Through", "USB MIDI 1", "QZ4 Simulator"};
const std::vector<std::string> kOutputs = {"USB MIDI 1", "QZ4 Simulator"};

using SessionPorts = PortLayerFixture<ScriptedMidiServices>;

TEST_F(SessionPorts, OpensTheInputThenTheOutputRecordingEachInItsDialog) {
    EXPECT_EQ(OpenSessionPorts(view, kInputs, 1, kOutputs, 0), SessionPortFailure::None);
    EXPECT_EQ(view.m_bInOpen, 1);
    EXPECT_EQ(view.m_bOutOpen, 1);
    EXPECT_EQ(inDialog.m_nDevice, 1);
    EXPECT_EQ(inDialog.m_nDevices, 3);
    EXPECT_EQ(outDialog.m_nDevice, 0);
    EXPECT_EQ(outDialog.m_nDevices, 2);
    const auto& calls = services.Calls();
    const auto inOpen = std::find(calls.begin(), calls.end(), "InOpen");
    const auto outOpen = std::find(calls.begin(), calls.end(), "OutOpen");
    ASSERT_NE(outOpen, calls.end());
    EXPECT_LT(inOpen, outOpen);
}

TEST_F(SessionPorts, AnInputThatFailsToOpenLeavesTheOutputUntouched) {
    services.FailNextInOpen(MidiResult::Allocated);
    EXPECT_EQ(OpenSessionPorts(view, kInputs, 0, kOutputs, 0), SessionPortFailure::Input);
    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    const auto& calls = services.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "OutOpen"), 0);
    EXPECT_EQ(LogLines().back(), "In Open FAILED  The MIDI device is already in use.");
}

TEST_F(SessionPorts, AnOutputThatFailsToOpenLeavesTheInputOpenForTheCaller) {
    services.FailNextOutOpen(MidiResult::NoDevice);
    EXPECT_EQ(OpenSessionPorts(view, kInputs, 0, kOutputs, 1), SessionPortFailure::Output);
    EXPECT_EQ(view.m_bInOpen, 1);
    EXPECT_EQ(view.m_bOutOpen, 0);
}

} // namespace
