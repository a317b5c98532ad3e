#include "ports/DeviceLookup.h"
#include "ProcessStateGuard.h"
#include "ScriptedMidiServices.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
