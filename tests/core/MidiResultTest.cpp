#include "services/MidiResult.h"
#include "services/MidiServices.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr MidiResult kAllResults[] = {
    MidiResult::NoError,        MidiResult::Error,        MidiResult::BadDeviceId,
    MidiResult::NotEnabled,     MidiResult::Allocated,    MidiResult::InvalidHandle,
    MidiResult::NoDriver,       MidiResult::NoMemory,     MidiResult::NotSupported,
    MidiResult::BadErrorNumber, MidiResult::InvalidFlag,  MidiResult::InvalidParameter,
    MidiResult::Unprepared,     MidiResult::StillPlaying, MidiResult::NotReady,
    MidiResult::NoDevice,
};

TEST(MidiResult, EveryCodeHasATextOfItsOwnThatFitsTheLogsRoom) {
    std::set<std::string> texts;
    for (MidiResult result : kAllResults) {
        const std::string text = MidiResultText(result);
        EXPECT_FALSE(text.empty());
        EXPECT_LT(text.size(), 128u);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(kAllResults));
    EXPECT_STREQ(MidiResultText(MidiResult::NoError), "The operation completed successfully.");
}

TEST(MidiResult, ANumberWithoutACodeGetsTheUnknownNumberText) {
    EXPECT_STREQ(MidiResultText(static_cast<MidiResult>(4711)),
                 MidiResultText(MidiResult::BadErrorNumber));
}

TEST(MidiResult, TheErrorTextIsCutToTheRoomGiven) {
    char text[12];

    EXPECT_EQ(MidiServices::GetErrorText(MidiResult::NoError, text, sizeof text),
              MidiResult::NoError);

    EXPECT_STREQ(text, "The operati");
    EXPECT_EQ(MidiServices::GetErrorText(MidiResult::NoError, text, 0),
              MidiResult::InvalidParameter);
}

} // namespace
