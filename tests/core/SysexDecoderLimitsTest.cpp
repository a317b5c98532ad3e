#include "SysexFeed.h"
#include "decoder/SysexDecoderState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using SysexDecoderLimits = SysexDecoderFixture;

// A scan frame of exactly `totalBytes`, F0 to F7, every value 0x11.
Bytes ScanFrameOfSize(size_t totalBytes) {
    return Frame(0x15, Bytes(totalBytes - 4, 0x01));
}

struct FrameSizeCase {
    size_t totalBytes;
    bool decoded;
};

class SysexFrameSize : public SysexDecoderFixture,
                       public ::testing::WithParamInterface<FrameSizeCase> {};

TEST_P(SysexFrameSize, FramesUpTo8192BytesAreDecodedAndLongerOnesDropped) {
    Deliver(*view, ScanFrameOfSize(GetParam().totalBytes));
    Deliver(*view, ScanFrame({0x23}));

    const bool decoded = GetParam().decoded;
    EXPECT_EQ(view->m_scanCount, decoded ? 2 : 1);
    Bytes expected(ScannerState::kValues, decoded ? 0x11 : 0x00);
    expected[0] = 0x23;
    EXPECT_EQ(Values(), expected);
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Boundary, SysexFrameSize,
                         ::testing::Values(FrameSizeCase{8191, true}, FrameSizeCase{8192, true},
                                           FrameSizeCase{8193, false}, FrameSizeCase{20000, false}),
                         [](const auto& testCase) {
                             return std::to_string(testCase.param.totalBytes) + "Bytes";
                         });

struct TextLineCase {
    int characters;
    int stored;
    int logged;
};

class SysexTextLineLength : public SysexDecoderFixture,
                            public ::testing::WithParamInterface<TextLineCase> {};

TEST_P(SysexTextLineLength, LongLinesKeep1023CharactersAndLogTheFirst511) {
    std::string text;
    for (int i = 0; i < GetParam().characters; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    Deliver(*view, TextFrames(text));
    EXPECT_EQ(TextLineLength, GetParam().stored);
    EXPECT_EQ(std::string(TextLine, static_cast<size_t>(TextLineLength)),
              text.substr(0, static_cast<size_t>(GetParam().stored)));

    Deliver(*view, TextFrames("\nnext\n"));
    EXPECT_EQ(NewLines(), (std::vector<std::string>{
                              text.substr(0, static_cast<size_t>(GetParam().logged)), "next"}));
}

INSTANTIATE_TEST_SUITE_P(Boundary, SysexTextLineLength,
                         ::testing::Values(TextLineCase{511, 511, 511}, TextLineCase{512, 512, 511},
                                           TextLineCase{1023, 1023, 511},
                                           TextLineCase{1024, 1023, 511},
                                           TextLineCase{3000, 1023, 511}),
                         [](const auto& testCase) {
                             return std::to_string(testCase.param.characters) + "Characters";
                         });

class SysexScanLength : public SysexDecoderFixture, public ::testing::WithParamInterface<int> {};

TEST_P(SysexScanLength, ValuesPastThe140thAreIgnored) {
    Bytes values(static_cast<size_t>(GetParam()));
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<uint8_t>(i + 1);
    }
    Deliver(*view, ScanFrame(values));

    EXPECT_EQ(view->m_scanLength, 140);
    EXPECT_EQ(Values(), Bytes(values.begin(), values.begin() + 140));
    EXPECT_EQ(view->m_history[139][0], 140);
    EXPECT_EQ(HistoryRow(140), Bytes(ScannerState::kHistoryScans, 0));
}

INSTANTIATE_TEST_SUITE_P(Boundary, SysexScanLength, ::testing::Values(140, 141, 255));

TEST_F(SysexDecoderLimits, SetupWordsPastThe2050thAreIgnored) {
    std::vector<int> words(2051);
    for (size_t w = 0; w < words.size(); ++w) {
        words[w] = static_cast<int>((w * 7) & 0xFF);
    }
    Deliver(*view, SetupInformationFrame(words));
    EXPECT_EQ(std::vector<int>(std::begin(view->m_setupWords), std::end(view->m_setupWords)),
              std::vector<int>(words.begin(), words.begin() + 2050));
}

TEST_F(SysexDecoderLimits, SetupTextIsCutTo126BytesAndItsLineFeed) {
    Bytes text(126, 'x');
    Deliver(*view, Frame(0x11, text));
    EXPECT_EQ(std::string(StagingLine), std::string(126, 'x') + "\n");

    text.push_back('y');
    Deliver(*view, Frame(0x11, text));
    EXPECT_EQ(std::string(StagingLine), std::string(126, 'x') + "\n");
}

TEST_F(SysexDecoderLimits, PokeRequestLineIsCutToItsFirst511Characters) {
    Bytes payload{0x05, 0x04, 0x03, 0x02, 0x01, // address 0x12345
                  0x08, 0x0C, 0x00, 0x00};      // length 0x00C8
    for (int j = 0; j < 200; ++j) {
        payload.push_back(0x0B); // data 0xAB, low nibble first
        payload.push_back(0x0A);
    }
    Deliver(*view, Frame(0x31, payload));

    std::string full = "EEPROM POKE Request address 12345 length 00C8";
    for (int j = 0; j < 200; ++j) {
        full += " ab";
    }
    EXPECT_EQ(NewLines(), std::vector<std::string>{full.substr(0, 511)});
}

} // namespace
