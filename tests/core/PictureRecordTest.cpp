#include "ProcessStateGuard.h"
#include "RecordingCanvas.h"
#include "TestView.h"

#include "picture/PictureRecord.h"
#include "picture/ViewPainter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kTextHeight = 15;

PictureRecord Record(const ScannerState& state) {
    PictureRecord picture(kTextHeight);
    PaintScannerView(state, MessageLog, picture);
    return picture;
}

RecordingCanvas Replayed(const PictureRecord& picture, const ViewRect& area) {
    RecordingCanvas canvas;
    picture.Replay(canvas, area);
    return canvas;
}

// The picture's pixels without its text, as the device context draws rectangles: the
// outermost pixels black, the inside with the brush. Only the pixels within `clip` are
// drawn, as a repaint of an area does, and none outside the grid.
class Raster final : public ViewCanvas {
public:
    static constexpr int kWidth = 1400;
    static constexpr int kHeight = 700;
    static constexpr uint32_t kBlack = 0xFF000000;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(kWidth * kHeight, 0);
    ViewRect clip{0, 0, kWidth, kHeight};

    void FillBackground() override { Rectangle(clip, kWhiteBrush, false); }
    void SelectBrush(Colorref colour) override { m_brush = colour; }
    void Rectangle(const ViewRect& rect) override { Rectangle(rect.Normalised(), m_brush, true); }
    void TextOut(int, int, const char*, int) override {}

private:
    void Rectangle(const ViewRect& r, Colorref brush, bool outlined) {
        const int top = std::max({r.top, clip.top, 0});
        const int bottom = std::min({r.bottom, clip.bottom, kHeight});
        const int left = std::max({r.left, clip.left, 0});
        const int right = std::min({r.right, clip.right, kWidth});
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const bool edge = outlined && (x == r.left || x == r.right - 1 || y == r.top ||
                                               y == r.bottom - 1);
                pixels[y * kWidth + x] = edge ? kBlack : brush;
            }
        }
    }

    Colorref m_brush = 0;
};

Raster Rasterise(const ScannerState& state) {
    Raster raster;
    PaintScannerView(state, MessageLog, raster);
    return raster;
}

bool Inside(int x, int y, const std::vector<ViewRect>& areas) {
    for (const ViewRect& a : areas) {
        if (x >= a.left && x < a.right && y >= a.top && y < a.bottom) {
            return true;
        }
    }
    return false;
}

class PictureRecordTest : public ::testing::Test {
protected:
    ProcessStateGuard state;
};

TEST_F(PictureRecordTest, ReplayOverTheWholePictureMakesEveryCallInItsOrder) {
    TestView view;
    view.m_stripLength = 5;
    view.m_values[3] = 90;
    view.m_calibHigh[3] = 200;
    RecordingCanvas direct;
    PaintScannerView(view, MessageLog, direct);

    const RecordingCanvas replayed = Replayed(Record(view), {0, 0, 1300, 640});

    EXPECT_EQ(replayed.backgroundFills, 1);
    EXPECT_EQ(replayed.drawnBeforeBackground, 0);
    EXPECT_EQ(replayed.texts, direct.texts);
    EXPECT_EQ(replayed.rects, direct.rects);
}

TEST_F(PictureRecordTest, ReplayOverAnAreaMakesTheBackgroundAndOnlyTheCallsReachingIt) {
    TestView view;
    view.m_stripLength = 3;
    view.m_values[1] = 100; // bar of sensor 1: {20, 500, 25, 600}

    // Rows 550 to 559 of the second sensor's column: its bar, and its marks on the
    // baseline lie below.
    const RecordingCanvas replayed = Replayed(Record(view), {18, 550, 28, 560});

    EXPECT_EQ(replayed.backgroundFills, 1);
    EXPECT_TRUE(replayed.texts.empty());
    EXPECT_EQ(replayed.rects, (std::vector<DrawnRect>{{kWhiteBrush, {20, 600, 25, 500}}}));
}

TEST_F(PictureRecordTest, ReplayReachesTextOnlyNearItsLine) {
    TestView view;
    const PictureRecord picture = Record(view);

    // The two newest welcome lines sit in the bottom slots, at y = 70 and 84.
    EXPECT_EQ(Replayed(picture, {600, 90, 610, 100}).texts.size(), 2u);
    EXPECT_TRUE(Replayed(picture, {600, 84 + 2 * kTextHeight, 610, 200}).texts.empty());
}

TEST_F(PictureRecordTest, TheSamePictureHasNoChangedArea) {
    TestView view;
    std::vector<ViewRect> areas;
    EXPECT_TRUE(Record(view).ChangedAreas(Record(view), areas));
    EXPECT_TRUE(areas.empty());
}

TEST_F(PictureRecordTest, ABarThatGrowsChangesTheRowsBetweenItsTopsAndTheOldTopOutline) {
    TestView view;
    view.m_values[2] = 40;
    view.m_calibLow[2] = 0;
    view.m_calibHigh[2] = 0; // uncalibrated: the marker stands v above the foot
    const PictureRecord before = Record(view);
    view.m_values[2] = 43;

    std::vector<ViewRect> areas;
    ASSERT_TRUE(Record(view).ChangedAreas(before, areas));
    // The bar's top goes from 560 to 557: rows 557 to 560 change and the rest of the bar
    // stays. The marker moves from rows 326..331 to 323..328: both places change.
    EXPECT_EQ(areas,
              (std::vector<ViewRect>{{30, 557, 35, 561}, {30, 326, 38, 332}, {30, 323, 38, 329}}));
}

TEST_F(PictureRecordTest, ANewLogLineChangesTheTextRowsOfEverySlot) {
    TestView view;
    MessageLog.AppendText("In Open QZ4 Simulator"); // seven lines: every slot has one
    const PictureRecord before = Record(view);
    MessageLog.AppendText("Out Open QZ4 Simulator");

    std::vector<ViewRect> areas;
    ASSERT_TRUE(Record(view).ChangedAreas(before, areas));
    ASSERT_FALSE(areas.empty());
    for (const ViewRect& a : areas) {
        EXPECT_LE(a.top, 84);
        EXPECT_GE(a.bottom, 14);
    }
}

TEST_F(PictureRecordTest, PicturesOfDifferentStripLengthsAreNotCompared) {
    TestView view;
    const PictureRecord before = Record(view);
    view.m_stripLength = 50;

    std::vector<ViewRect> areas;
    EXPECT_FALSE(Record(view).ChangedAreas(before, areas));
    EXPECT_TRUE(areas.empty());
}

// What the window does on each tick: the changed areas found, then each repainted from
// the new picture over what was shown, which must leave the new picture's pixels.
TEST_F(PictureRecordTest, EveryChangedPixelLiesInAChangedAreaAndItsReplayRestoresThem) {
    std::mt19937 random(2024);
    TestView view;
    view.m_stripLength = 127;
    for (int round = 0; round < 40; ++round) {
        const PictureRecord before = Record(view);
        const Raster was = Rasterise(view);
        // A few sensors move by a little or a lot, bounds included, as scans and setup
        // replies do; the strip length stays.
        for (int k = 0; k < 12; ++k) {
            const int i = static_cast<int>(random() % 127);
            const int step = static_cast<int>(random() % 9) - 4;
            switch (random() % 4) {
            case 0:
                view.m_values[i] = static_cast<uint8_t>(random());
                break;
            case 1:
                view.m_calibLow[i] = static_cast<uint8_t>(random());
                break;
            case 2:
                view.m_calibHigh[i] = static_cast<uint8_t>(random());
                break;
            default:
                view.m_values[i] = static_cast<uint8_t>(view.m_values[i] + step);
                break;
            }
        }
        const PictureRecord after = Record(view);
        std::vector<ViewRect> areas;
        ASSERT_TRUE(after.ChangedAreas(before, areas));
        const Raster now = Rasterise(view);
        Raster repainted = was;
        for (const ViewRect& area : areas) {
            repainted.clip = area;
            after.Replay(repainted, area);
        }
        for (int y = 0; y < Raster::kHeight; ++y) {
            for (int x = 0; x < Raster::kWidth; ++x) {
                const size_t p = static_cast<size_t>(y) * Raster::kWidth + x;
                if (was.pixels[p] != now.pixels[p]) {
                    if (!Inside(x, y, areas)) {
                        for (auto& a : areas)
                            if (a.left <= x + 10 && a.right >= x - 10)
                                printf("area %d %d %d %d\n", a.left, a.top, a.right, a.bottom);
                        printf("was %x now %x\n", was.pixels[p], now.pixels[p]);
                    }
                    ASSERT_TRUE(Inside(x, y, areas))
                        << "pixel (" << x << ", " << y << ") changed outside, round " << round;
                }
                ASSERT_EQ(repainted.pixels[p], now.pixels[p])
                    << "pixel (" << x << ", " << y << ") after the repaint, round " << round;
            }
        }
    }
}

// The replay of a small area looks up the calls by column; wider areas and those across
// a column's edge look at every call. All give the whole picture's pixels there.
TEST_F(PictureRecordTest, ReplaysOfAreasWithinAndAcrossColumnsGiveTheWholePicturesPixels) {
    std::mt19937 random(7);
    TestView view;
    view.m_stripLength = 127;
    for (int i = 0; i < 127; ++i) {
        view.m_values[i] = static_cast<uint8_t>(random());
        view.m_calibLow[i] = static_cast<uint8_t>(random() % 100);
        view.m_calibHigh[i] = static_cast<uint8_t>(155 + random() % 100);
    }
    const PictureRecord picture = Record(view);
    const Raster whole = Rasterise(view);
    Raster part;
    for (int size : {8, 24, 40}) {
        for (int top = 0; top + size <= 660; top += 20) {
            for (int left = 0; left + size <= 1320; left += 12) {
                const ViewRect area{left, top, left + size, top + size};
                part.clip = area;
                picture.Replay(part, area);
                for (int y = area.top; y < area.bottom; ++y) {
                    for (int x = area.left; x < area.right; ++x) {
                        const size_t p = static_cast<size_t>(y) * Raster::kWidth + x;
                        ASSERT_EQ(part.pixels[p], whole.pixels[p])
                            << "pixel (" << x << ", " << y << ") of area " << left << ", " << top
                            << " size " << size;
                    }
                }
            }
        }
    }
}

} // namespace
