#include "SysexFeed.h"
#include "decoder/SysexDecoderState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using SysexDecoder = SysexDecoderFixture;

struct LoggedFramesCase {
    const char* name;
    Bytes bytes;
    std::vector<std::string> lines;
};

class SysexDecoderLogs : public SysexDecoderFixture,
                         public ::testing::WithParamInterface<LoggedFramesCase> {};

TEST_P(SysexDecoderLogs, FramesAppendExactlyTheseLines) {
    Deliver(*view, GetParam().bytes);
    EXPECT_EQ(NewLines(), GetParam().lines);
}

const LoggedFramesCase kLoggedFrames[] = {
    {"TextLineOverTwoFrames", {0xF0, 0x09, 0x10, 0x41, 0xF7, 0xF0, 0x09, 0x10, 0x0A, 0xF7}, {"A"}},
    {"F7ItselfIsATextCharacter", {0xF0, 0x09, 0x10, 0xF7, 0xF0, 0x09, 0x10, 0x0A, 0xF7}, {"\xF7"}},
    {"TextKeepsPercentSignsAndCarriageReturn", TextFrames("50%d done\r\n"), {"50%d done\r"}},
    {"NulEndsTheStoredTextLine", TextFrames(std::string("ab\0cd\nef\n", 9)), {"ab", "ef"}},
    {"TextWithoutLineFeedStaysUnlogged", TextFrames("pending"), {}},
    {"PeekRequestLength",
     {0xF0, 0x09, 0x2F, 0x04, 0x03, 0x02, 0x01, 0xF7},
     {"EEPROM PEEK request length 1234 "}},
    {"NibbleBytesIgnoreTheirUpperBits",
     {0xF0, 0x09, 0x2F, 0x74, 0x13, 0x22, 0x41, 0xF7},
     {"EEPROM PEEK request length 1234 "}},
    {"PokeAcknowledgeLength",
     {0xF0, 0x09, 0x32, 0x0F, 0x0F, 0x00, 0x00, 0xF7},
     {"EEPROM POKE Acknowledge length 00ff"}},
    {"PokeRequestAddressLengthAndData",
     {0xF0, 0x09, 0x31, 0x00, 0x00, 0x00, 0x01, 0x00, // address 0x01000
      0x02, 0x00, 0x00, 0x00,                         // length 0x0002
      0x05, 0x0A,                                     // data 0xA5
      0x0F, 0x00,                                     // data 0x0F
      0xF7},
     {"EEPROM POKE Request address 01000 length 0002 a5  f"}},
    {"PokeRequestOddPayloadTakesF7AsHighNibble",
     {0xF0, 0x09, 0x31, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0xF7},
     {"EEPROM POKE Request address 00001 length 0001 73"}},
    {"EepromDumpCommands",
     {0xF0, 0x09, 0x27, 0xF7, 0xF0, 0x09, 0x2A, 0x05, 0xF7},
     {"eeprom dump no argument", "eeprom dump no argument"}},
    {"IgnoredCommands", {0xF0, 0x09, 0x12, 0x01, 0xF7, 0xF0, 0x09, 0x13, 0xF7}, {}},
    {"CommandWithoutRow",
     {0xF0, 0x09, 0x14, 0xF7},
     {"unimplemented or undefined wendmoor/corvane sysex number f00914"}},
    {"WrongDeviceByte",
     {0xF0, 0x0A, 0x15, 0x01, 0x02, 0xF7},
     {"unimplemented or undefined wendmoor/corvane sysex number f00a15"}},
    {"BytesBeforeF0StartTheFrame",
     {0x01, 0x02, 0xF0, 0x09, 0x27, 0xF7},
     {"unimplemented or undefined wendmoor/corvane sysex number  102f0"}},
    {"LoneF7ReadsTheHeaderLeftByTheFrameBefore",
     {0xF0, 0x09, 0x14, 0xF7, 0xF7},
     {"unimplemented or undefined wendmoor/corvane sysex number f00914",
      "unimplemented or undefined wendmoor/corvane sysex number f70914"}},
    {"ShortTextFrameNeverMatchesTheTextRow",
     {0xF0, 0x09, 0x10, 0x41, 0xF7, 0xF0, 0x09, 0xF7},
     {"unimplemented or undefined wendmoor/corvane sysex number f009f7"}},
};

INSTANTIATE_TEST_SUITE_P(Frames, SysexDecoderLogs, ::testing::ValuesIn(kLoggedFrames),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(SysexDecoder, FirstTextFrameAloneAppendsNothing) {
    Deliver(*view, {0xF0, 0x09, 0x10, 0x41, 0xF7});
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
    EXPECT_EQ(std::string(TextLine, static_cast<size_t>(TextLineLength)), "A");
}

TEST_F(SysexDecoder, FrameSplitOverTwoRunsIsDecodedOnceAtItsF7) {
    Deliver(*view, {0xF0, 0x09, 0x15, 0x01, 0x02});
    EXPECT_EQ(view->m_scanCount, 0);

    Deliver(*view, {0x03, 0x04, 0xF7});
    EXPECT_EQ(view->m_scanCount, 1);
    EXPECT_EQ(view->m_scanLength, 2);
    EXPECT_EQ(Values(), ValuesStartingWith({0x12, 0x34}));

    view->ProcessMidiInput();
    EXPECT_EQ(view->m_scanCount, 1);
}

TEST_F(SysexDecoder, ScanPacketStoresValuesHighNibbleFirstInValuesAndHistory) {
    Deliver(*view, {0xF0, 0x09, 0x15, 0x01, 0x02, 0x03, 0x04, 0xF7});

    EXPECT_EQ(Values(), ValuesStartingWith({0x12, 0x34}));
    EXPECT_EQ(view->m_scanLength, 2);
    EXPECT_EQ(view->m_scanCount, 1);
    EXPECT_EQ(view->m_history[0][0], 0x12);
    EXPECT_EQ(view->m_history[1][0], 0x34);
    EXPECT_EQ(HistoryRow(2), Bytes(ScannerState::kHistoryScans, 0));
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

TEST_F(SysexDecoder, ScanPacketWithOddPayloadTakesF7AsLowNibble) {
    Deliver(*view, {0xF0, 0x09, 0x15, 0x01, 0x02, 0x03, 0xF7});
    EXPECT_EQ(view->m_scanLength, 2);
    EXPECT_EQ(Values(), ValuesStartingWith({0x12, 0x37}));
}

TEST_F(SysexDecoder, ScanPacketWithoutValuesStillCounts) {
    Deliver(*view, ScanFrame({0x55, 0x66, 0x77}));
    Deliver(*view, {0xF0, 0x09, 0x15, 0xF7});

    EXPECT_EQ(view->m_scanLength, 0);
    EXPECT_EQ(view->m_scanCount, 2);
    EXPECT_EQ(Values(), ValuesStartingWith({0x55, 0x66, 0x77}));
}

TEST_F(SysexDecoder, ShorterScanKeepsTheValuesOfSensorsBeyondIt) {
    Deliver(*view, Concat({ScanFrame({1, 2, 3, 4}), ScanFrame({9})}));
    EXPECT_EQ(view->m_scanLength, 1);
    EXPECT_EQ(Values(), ValuesStartingWith({9, 2, 3, 4}));
}

TEST_F(SysexDecoder, HistoryAfter300PacketsHoldsTheLastInColumn43) {
    for (int packet = 1; packet <= 300; ++packet) {
        RecordLongData(*view, ScanFrame({static_cast<uint8_t>(packet), 0xEE}));
    }
    view->ProcessMidiInput();

    // Column c holds the newest packet p with (p - 1) mod 256 == c.
    Bytes expected(ScannerState::kHistoryScans);
    for (int c = 0; c < ScannerState::kHistoryScans; ++c) {
        const int packet = c <= 43 ? 257 + c : c + 1;
        expected[c] = static_cast<uint8_t>(packet);
    }
    EXPECT_EQ(view->m_scanCount, 300);
    EXPECT_EQ(view->m_history[0][43], static_cast<uint8_t>(300));
    EXPECT_EQ(HistoryRow(0), expected);
    EXPECT_EQ(HistoryRow(1), Bytes(ScannerState::kHistoryScans, 0xEE));
    EXPECT_EQ(HistoryRow(2), Bytes(ScannerState::kHistoryScans, 0));
}

TEST_F(SysexDecoder, SetupTextStaysInTheStagingLineAndClearsThePendingFlag) {
    view->m_setupTextPending = 1;
    Deliver(*view, Frame(0x11, {'Q', 'Z', '4', ' ', '%', 'd'}));
    EXPECT_STREQ(StagingLine, "QZ4 %d\n");
    EXPECT_EQ(view->m_setupTextPending, 0);
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

std::vector<int> SetupWords(int count, int offset) {
    std::vector<int> words(static_cast<size_t>(count));
    for (int w = 0; w < count; ++w) {
        words[w] = (w + offset) & 0xFF;
    }
    return words;
}

TEST_F(SysexDecoder, SetupInformationWithoutRequestRefreshesWordsOnly) {
    Deliver(*view, SetupInformationFrame(SetupWords(300, 0)));

    std::vector<int> expected = SetupWords(300, 0);
    expected.resize(ScannerState::kSetupWords, 0);
    EXPECT_EQ(std::vector<int>(std::begin(view->m_setupWords), std::end(view->m_setupWords)),
              expected);
    EXPECT_EQ(Bytes(std::begin(view->m_calibLow), std::end(view->m_calibLow)),
              Bytes(ScannerState::kValues, 0));
    EXPECT_EQ(Bytes(std::begin(view->m_calibHigh), std::end(view->m_calibHigh)),
              Bytes(ScannerState::kValues, 0));
    EXPECT_EQ(view->m_setupRequested, 0);
}

TEST_F(SysexDecoder, CalibrationIsCopiedOnlyByTheFirstSetupInformationAfterTheText) {
    // The flags as Get Setup Information leaves them.
    view->m_setupTextPending = 1;
    view->m_setupRequested = 1;
    view->m_useSetupCalib = 1;
    const Bytes zeros(ScannerState::kValues, 0);
    const auto low = [&] {
        return Bytes(std::begin(view->m_calibLow), std::end(view->m_calibLow));
    };
    const auto high = [&] {
        return Bytes(std::begin(view->m_calibHigh), std::end(view->m_calibHigh));
    };

    Deliver(*view, SetupInformationFrame(SetupWords(300, 1)));
    EXPECT_EQ(low(), zeros);
    EXPECT_EQ(high(), zeros);
    EXPECT_EQ(view->m_setupRequested, 1);
    EXPECT_EQ(view->m_setupWords[12], 13);

    Deliver(*view, Frame(0x11, {'o', 'k'}));
    Deliver(*view, SetupInformationFrame(SetupWords(300, 0)));
    Bytes expectedLow = zeros;
    Bytes expectedHigh = zeros;
    for (int j = 0; j < 122; ++j) {
        expectedHigh[j] = static_cast<uint8_t>(12 + j); // words 12 to 133
        expectedLow[j] = static_cast<uint8_t>(178 + j); // words 178 to 299
    }
    EXPECT_EQ(low(), expectedLow);
    EXPECT_EQ(high(), expectedHigh);
    EXPECT_EQ(view->m_setupRequested, 0);

    Deliver(*view, SetupInformationFrame(SetupWords(300, 7)));
    EXPECT_EQ(view->m_setupWords[12], 19);
    EXPECT_EQ(low(), expectedLow);
    EXPECT_EQ(high(), expectedHigh);
}

TEST_F(SysexDecoder, CalibrationCopyWaitsForUseSetupCalibButStillConsumesTheRequest) {
    view->m_setupRequested = 1;
    view->m_useSetupCalib = 0;
    Deliver(*view, SetupInformationFrame(SetupWords(300, 0)));
    EXPECT_EQ(view->m_setupRequested, 0);
    EXPECT_EQ(Bytes(std::begin(view->m_calibHigh), std::end(view->m_calibHigh)),
              Bytes(ScannerState::kValues, 0));
}

TEST_F(SysexDecoder, ShortSetupInformationLeavesLaterWordsAsTheyWere) {
    Deliver(*view, SetupInformationFrame(SetupWords(20, 100)));
    Deliver(*view, SetupInformationFrame({1, 2}));
    std::vector<int> expected = SetupWords(20, 100);
    expected[0] = 1;
    expected[1] = 2;
    expected.resize(ScannerState::kSetupWords, 0);
    EXPECT_EQ(std::vector<int>(std::begin(view->m_setupWords), std::end(view->m_setupWords)),
              expected);
}

TEST_F(SysexDecoder, EveryRunAsksForOneRepaint) {
    view->ProcessMidiInput();
    Deliver(*view, ScanFrame({1}));
    EXPECT_EQ(view->invalidations, 2);
}

} // namespace
