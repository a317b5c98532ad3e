#include "ProcessStateGuard.h"
#include "RecordingCanvas.h"
#include "TestView.h"

#include "picture/PrintScale.h"
#include "picture/ViewPainter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RecordingCanvas Paint(const ScannerState& state) {
    RecordingCanvas canvas;
    PaintScannerView(state, MessageLog, canvas);
    return canvas;
}

std::vector<DrawnText> BandOf(const std::vector<std::string>& slots) {
    std::vector<DrawnText> texts;
    for (size_t a = 0; a < slots.size(); ++a) {
        if (!slots[a].empty()) {
            texts.push_back({0, 14 * static_cast<int>(a), slots[a]});
        }
    }
    return texts;
}

class ViewPainterTest : public ::testing::Test {
protected:
    ProcessStateGuard state;
};

TEST_F(ViewPainterTest, StartUpPictureShowsTheWelcomeLinesAndFlatBarsForNinetyThreeSensors) {
    TestView view;
    const RecordingCanvas canvas = Paint(view);

    EXPECT_EQ(canvas.backgroundFills, 1);
    EXPECT_EQ(canvas.drawnBeforeBackground, 0);
    EXPECT_EQ(canvas.texts,
              BandOf({
                  "",
                  "This software requires bidirectional comunication with the QZ4 scanner box.",
                  "Activate the MIDI IN and MIDI out channels and connect the MIDI cables from "
                  "the conputer to the QZ4",
                  "Start the timer to show graphic display.",
                  "This software requires bidirectional comunication with the QZ4 scanner box.",
                  "Set the strip length by using strip statistics menu",
                  "don't forget to click the 'get setup information' to 'normalize' the display",
              }));

    std::vector<DrawnRect> expected;
    for (int x = 10; x <= 930; x += 10) {
        expected.push_back({kWhiteBrush, {x, 600, x + 5, 600}}); // bar of zero height
        expected.push_back({kGreenBrush, {x, 595, x + 5, 600}}); // high mark on the baseline
        expected.push_back({kBlueBrush, {x, 595, x + 5, 600}});  // low mark over it
    }
    for (int x = 10; x <= 930; x += 10) {
        expected.push_back({kWhiteBrush, {x, 106, x + 8, 372}}); // column
        expected.push_back({kGreenBrush, {x, 366, x + 8, 372}}); // marker at the foot
    }
    EXPECT_EQ(canvas.rects, expected);
}

TEST_F(ViewPainterTest, ASensorDrawsBarHighMarkLowMarkThenColumnAndMarker) {
    TestView view;
    view.m_stripLength = 2;
    view.m_values[1] = 100;
    view.m_calibLow[1] = 30;
    view.m_calibHigh[1] = 200;

    // s = (70 * 256) / 170 = 105
    EXPECT_EQ(Paint(view).rects, (std::vector<DrawnRect>{
                                     {kWhiteBrush, {10, 600, 15, 600}},
                                     {kGreenBrush, {10, 595, 15, 600}},
                                     {kBlueBrush, {10, 595, 15, 600}},
                                     {kWhiteBrush, {20, 600, 25, 500}},
                                     {kGreenBrush, {20, 395, 25, 400}},
                                     {kBlueBrush, {20, 565, 25, 570}},
                                     {kWhiteBrush, {10, 106, 18, 372}},
                                     {kGreenBrush, {10, 366, 18, 372}},
                                     {kWhiteBrush, {20, 106, 28, 372}},
                                     {kGreenBrush, {20, 261, 28, 267}},
                                 }));
}

struct MarkerCase {
    uint8_t v;
    uint8_t lo;
    uint8_t hi;
    int top;
    int bottom;
};

class MarkerPosition : public ::testing::TestWithParam<MarkerCase> {
protected:
    ProcessStateGuard state;
};

TEST_P(MarkerPosition, MarkerOfTheOnlySensorSpansTheExpectedRows) {
    const MarkerCase c = GetParam();
    TestView view;
    view.m_stripLength = 1;
    view.m_values[0] = c.v;
    view.m_calibLow[0] = c.lo;
    view.m_calibHigh[0] = c.hi;

    const RecordingCanvas canvas = Paint(view);

    ASSERT_EQ(canvas.rects.size(), 5u);
    EXPECT_EQ(canvas.rects[4], (DrawnRect{kGreenBrush, {10, c.top, 18, c.bottom}}));
}

INSTANTIATE_TEST_SUITE_P(
    ViewPainter, MarkerPosition,
    ::testing::Values(MarkerCase{0, 10, 20, 622, 628},     // below lo: s = -256
                      MarkerCase{20, 10, 20, 110, 116},    // at hi: s = 256
                      MarkerCase{10, 10, 20, 366, 372},    // at lo: on the foot
                      MarkerCase{15, 10, 20, 238, 244},    // halfway: s = 128
                      MarkerCase{30, 10, 20, -146, -140},  // above hi: past the top
                      MarkerCase{255, 0, 1, 622, 628},     // 65280 read as 16 bits: -256
                      MarkerCase{254, 0, 1, 878, 884},     // 65024 read as 16 bits: -512
                      MarkerCase{128, 0, 1, 33134, 33140}, // 32768 read as 16 bits: -32768
                      MarkerCase{1, 0, 3, 281, 287},       // 256 / 3 = 85
                      MarkerCase{9, 10, 13, 451, 457},     // -256 / 3 = -85, toward zero
                      MarkerCase{77, 0, 0, 289, 295},      // uncalibrated: s = v
                      MarkerCase{30, 50, 50, 336, 342},    // empty range: s = v
                      MarkerCase{150, 200, 100, 216, 222}, // reversed range: s = v
                      MarkerCase{0, 0, 0, 366, 372}));

TEST(NormalisedHeight, TruncatesTheQuotientToASignedSixteenBitValue) {
    EXPECT_EQ(NormalisedHeight(128, 0, 1), -32768);
    EXPECT_EQ(NormalisedHeight(127, 0, 1), 32512);
    EXPECT_EQ(NormalisedHeight(255, 0, 1), -256);
}

struct StripCase {
    int8_t stripLength;
    int sensors;
};

class StripLength : public ::testing::TestWithParam<StripCase> {
protected:
    ProcessStateGuard state;
};

TEST_P(StripLength, DrawsFiveRectanglesForEachSensorOfTheStrip) {
    const StripCase c = GetParam();
    TestView view;
    view.m_stripLength = c.stripLength;

    std::vector<int> expectedLefts;
    for (int i = 0; i < c.sensors; ++i) {
        expectedLefts.insert(expectedLefts.end(), 3, 10 + 10 * i);
    }
    for (int i = 0; i < c.sensors; ++i) {
        expectedLefts.insert(expectedLefts.end(), 2, 10 + 10 * i);
    }
    std::vector<int> lefts;
    for (const DrawnRect& r : Paint(view).rects) {
        lefts.push_back(r.rect.left);
    }
    EXPECT_EQ(lefts, expectedLefts);
}

INSTANTIATE_TEST_SUITE_P(ViewPainter, StripLength,
                         ::testing::Values(StripCase{127, 127}, StripCase{78, 78},
                                           StripCase{93, 93}, StripCase{66, 66}, StripCase{1, 1},
                                           StripCase{0, 0}, StripCase{-1, 0}, StripCase{-128, 0}));

TEST_F(ViewPainterTest, LogBandShowsTheNewestSevenLinesOldestAtTheTop) {
    TestView view;
    MessageLog.AppendText("seventh");
    MessageLog.Append("eighth %d%%", 8);

    EXPECT_EQ(Paint(view).texts,
              BandOf({
                  "Activate the MIDI IN and MIDI out channels and connect the MIDI cables from "
                  "the conputer to the QZ4",
                  "Start the timer to show graphic display.",
                  "This software requires bidirectional comunication with the QZ4 scanner box.",
                  "Set the strip length by using strip statistics menu",
                  "don't forget to click the 'get setup information' to 'normalize' the display",
                  "seventh",
                  "eighth 8%",
              }));
}

TEST_F(ViewPainterTest, LogBandAfterTheTableWrapsShowsTheNewestSevenLines) {
    for (int i = 0; i < 600; ++i) {
        MessageLog.Append("line %d", i);
    }
    TestView view; // its welcome lines are lines 600 to 605

    EXPECT_EQ(Paint(view).texts,
              BandOf({
                  "line 599",
                  "This software requires bidirectional comunication with the QZ4 scanner box.",
                  "Activate the MIDI IN and MIDI out channels and connect the MIDI cables from "
                  "the conputer to the QZ4",
                  "Start the timer to show graphic display.",
                  "This software requires bidirectional comunication with the QZ4 scanner box.",
                  "Set the strip length by using strip statistics menu",
                  "don't forget to click the 'get setup information' to 'normalize' the display",
              }));
}

TEST_F(ViewPainterTest, ClearScreenEmptiesTheLogAndItsBandLeavesTheBarsAndAsksForARepaint) {
    TestView view;
    view.m_values[3] = 42;
    const RecordingCanvas before = Paint(view);

    view.OnClearScreen();
    EXPECT_EQ(MessageLog.LogCount, 0);
    EXPECT_EQ(view.invalidations, 1);
    const RecordingCanvas cleared = Paint(view);
    MessageLog.AppendText("next line");
    const RecordingCanvas next = Paint(view);

    EXPECT_EQ(cleared.texts, std::vector<DrawnText>{});
    EXPECT_EQ(cleared.rects, before.rects);
    EXPECT_EQ(next.texts, (std::vector<DrawnText>{{0, 84, "next line"}}));
}

TEST_F(ViewPainterTest, AFailingSensorsColumnIsFilledRedAndNothingElseChanges) {
    TestView view;
    for (int i = 0; i < 93; ++i) {
        view.m_values[i] = static_cast<uint8_t>(100 + i);
        view.m_calibLow[i] = 20;
        view.m_calibHigh[i] = 220;
    }
    const RecordingCanvas unflagged = Paint(view);
    view.m_failingSensors.set(0);
    view.m_failingSensors.set(23);
    view.m_failingSensors.set(92);
    view.m_failingSensors.set(100); // past the strip: not drawn at all

    const RecordingCanvas flagged = Paint(view);

    std::vector<DrawnRect> expected = unflagged.rects;
    for (int i : {0, 23, 92}) {
        // The raw row's three rectangles of all 93 sensors, then two per sensor.
        DrawnRect& column = expected[3 * 93 + 2 * i];
        ASSERT_EQ(column.rect, (ViewRect{10 + 10 * i, 106, 18 + 10 * i, 372}));
        column.brush = kRedBrush;
    }
    EXPECT_EQ(flagged.rects, expected);
    EXPECT_EQ(flagged.texts, unflagged.texts);
    EXPECT_EQ(kRedBrush, 0x000000FFu); // RGB 255 0 0 as 0x00BBGGRR
}

TEST(ViewRect, NormalisingOrdersTheCornersAndEmptinessFollowsTheArea) {
    EXPECT_EQ((ViewRect{10, 600, 15, 500}.Normalised()), (ViewRect{10, 500, 15, 600}));
    EXPECT_EQ((ViewRect{15, 5, 10, 1}.Normalised()), (ViewRect{10, 1, 15, 5}));
    EXPECT_TRUE((ViewRect{10, 600, 15, 600}.IsEmpty()));
    EXPECT_TRUE((ViewRect{10, 5, 10, 9}.IsEmpty()));
    EXPECT_FALSE((ViewRect{10, 5, 11, 6}.IsEmpty()));
}

} // namespace

// A4 at 1200 dpi with 1/4 inch margins: 7.77 x 11.19 inches of printable area.
TEST(PrintScale, APictureWiderThanThePageIsScaledDownToItsWidthKeepingItsProportions) {
    const double scale = PrintScale(kPictureWidth, kPictureHeight, 9324, 13428, 1200);
    EXPECT_DOUBLE_EQ(scale, 9324.0 / kPictureWidth);
    EXPECT_LE(kPictureWidth * scale, 9324.0);
    EXPECT_LE(kPictureHeight * scale, 13428.0);
}

TEST(PrintScale, APictureThatFitsIsPrintedAtTheScreensNinetySixUnitsPerInch) {
    EXPECT_DOUBLE_EQ(PrintScale(kPictureWidth, kPictureHeight, 20000, 13428, 1200), 12.5);
    EXPECT_DOUBLE_EQ(PrintScale(kPictureWidth, kPictureHeight, 1400, 700, 96), 1.0);
}

TEST(PrintScale, ALandscapePageLimitedByItsHeightScalesToTheHeight) {
    const double scale = PrintScale(kPictureWidth, kPictureHeight, 13428, 4000, 1200);
    EXPECT_DOUBLE_EQ(scale, 4000.0 / kPictureHeight);
}

TEST(PrintScale, AnEmptyAreaLeavesTheScreenScale) {
    EXPECT_DOUBLE_EQ(PrintScale(kPictureWidth, kPictureHeight, 0, 0, 600), 6.25);
}
