#include "services/DeviceLookup.h"
#include "ProcessStateGuard.h"
#include "ScriptedMidiServices.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> kSessionInputs = {"Midi Through", "USB MIDI 1", "QZ4 Simulator"};
const std::vector<std::string> kSessionOutputs = {"USB MIDI 1", "QZ4 Simulator"};

const std::vector<std::string> kNames = {"Midi Through:Port-0 14:0", "qz4sim:qz4sim out 128:0",
                                         "QZ4 Simulator"};

TEST(DeviceLookup, DigitsNameTheDeviceWithThatIndex) {
    EXPECT_EQ(MatchDevices(kNames, "0"), std::vector<int>{0});
    EXPECT_EQ(MatchDevices(kNames, "2"), std::vector<int>{2});
    EXPECT_TRUE(MatchDevices(kNames, "3").empty());
    EXPECT_TRUE(MatchDevices(kNames, "99999999999999999999").empty());
}

TEST(DeviceLookup, OtherTextMatchesEveryNameContainingItWhateverTheCase) {
    EXPECT_EQ(MatchDevices(kNames, "simulator"), std::vector<int>{2});
    EXPECT_EQ(MatchDevices(kNames, "QZ4"), (std::vector<int>{1, 2}));
    EXPECT_TRUE(MatchDevices(kNames, "keyboard").empty());
}

TEST(DeviceLookup, NamesComeFromTheCurrentServicesInDeviceOrder) {
    ScriptedMidiServices services({"In A", "In B"}, {"Out A"});
    const ProcessStateGuard state(&services);
    EXPECT_EQ(InputDeviceNames(), (std::vector<std::string>{"In A", "In B"}));
    EXPECT_EQ(OutputDeviceNames(), std::vector<std::string>{"Out A"});
}

TEST(ChooseDevice, NamesByIndexByPartOfANameOrTheSimulatorWhenNothingIsAsked) {
    std::string error;
    EXPECT_EQ(ChooseDevice(kSessionInputs, "", "input", &error), 2);
    EXPECT_EQ(ChooseDevice(kSessionInputs, "1", "input", &error), 1);
    EXPECT_EQ(ChooseDevice(kSessionInputs, "usb", "input", &error), 1);
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(ChooseDevice(kSessionInputs, "i", "input", &error), -1);
    EXPECT_EQ(error, "several input devices match 'i'");
    EXPECT_EQ(ChooseDevice(kSessionOutputs, "keyboard", "output", &error), -1);
    EXPECT_EQ(error, "no output device matches 'keyboard'");
    EXPECT_EQ(ChooseDevice({"USB MIDI 1"}, "", "output", &error), -1);
    EXPECT_EQ(error, "the output device 'QZ4 Simulator' is not listed");
}

} // namespace
