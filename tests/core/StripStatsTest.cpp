#include "stats/StripStats.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "stats/SensorVerdicts.h"
#include "stats/StatsView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

class StripStatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessState();
        ResetStripStatsWork();
        StatsView = &view;
    }
    void TearDown() override { StatsView = nullptr; }

    TestView view;
    const StripStatsWorkArea& w = StripStatsWork;
};

std::vector<int> NonZeroHistogram(const StripStatsWorkArea& w) {
    std::vector<int> entries; // index, count pairs
    for (int k = 0; k < 256; ++k) {
        if (w.DeviationHist[k] != 0) {
            entries.push_back(k);
            entries.push_back(w.DeviationHist[k]);
        }
    }
    return entries;
}

TEST_F(StripStatsTest, OneSensorOfFourSamplesGivesItsMeanSpreadAndHistogram) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    StripStats();

    EXPECT_EQ(w.N, 1);
    EXPECT_EQ(w.S, 4);
    EXPECT_EQ(w.SensorMean[0], 10.0f);
    EXPECT_EQ(w.SensorMeanByte[0], 10);
    EXPECT_EQ(w.SensorMax[0], 11);
    EXPECT_EQ(w.SensorMin[0], 9);
    EXPECT_EQ(w.SensorSumSq[0], 2.0f);
    EXPECT_EQ(w.SensorRms[0], std::sqrt(0.5f));
    EXPECT_EQ(NonZeroHistogram(w), (std::vector<int>{0, 2, 1, 1, 255, 1}));
    EXPECT_EQ(w.RmsSquareSum, std::sqrt(0.5f) * std::sqrt(0.5f));
    EXPECT_EQ(w.MeanTotal, 10.0f);
    EXPECT_EQ(w.AvgDeviation, std::sqrt(0.5f));
    EXPECT_EQ(w.MeanAll, 10.0f);
    EXPECT_EQ(w.TotalSamples, 4);
    EXPECT_EQ(w.MaxSwing, 2);
    EXPECT_EQ(w.MaxPosDeviation, 1);
    EXPECT_EQ(w.MaxNegDeviation, 1);
    EXPECT_EQ(w.Percentage(w.DeadOnCount()), 50.0);
}

TEST_F(StripStatsTest, MeanByteIsTheMeanTruncated) {
    ReceiveOneSensorScans(view, {10, 10, 10, 13}); // mean 10.75
    StripStats();
    EXPECT_EQ(w.SensorMean[0], 10.75f);
    EXPECT_EQ(w.SensorMeanByte[0], 10);
    // Deviations 0, 0, 0, +3: the dead-on samples count but add nothing to the squares.
    EXPECT_EQ(NonZeroHistogram(w), (std::vector<int>{0, 3, 3, 1}));
    EXPECT_EQ(w.SensorSumSq[0], 9.0f);
    EXPECT_EQ(w.ThreeOrMoreCount(), 1);
}

TEST_F(StripStatsTest, ADeviationWrapsToASignedByte) {
    ReceiveOneSensorScans(view, {230, 57, 57, 56}); // mean 100
    StripStats();
    EXPECT_EQ(w.SensorMeanByte[0], 100);
    // 230 - 100 = 130 reads as -126; the others are -43, -43, -44.
    EXPECT_EQ(NonZeroHistogram(w), (std::vector<int>{130, 1, 212, 1, 213, 2}));
    EXPECT_EQ(w.SensorSumSq[0], 126.0f * 126 + 43 * 43 + 43 * 43 + 44 * 44);
    EXPECT_EQ(w.ThreeOrMoreCount(), 4);
    // The extremes compare unsigned, so the maxima are not wrapped.
    EXPECT_EQ(w.MaxPosDeviation, 130);
    EXPECT_EQ(w.MaxNegDeviation, 44);
    EXPECT_EQ(w.MaxSwing, 174);
}

TEST_F(StripStatsTest, SamplesAbove127CountAsUnsigned) {
    ReceiveOneSensorScans(view, {200, 202});
    StripStats();
    EXPECT_EQ(w.SensorMeanByte[0], 201);
    EXPECT_EQ(w.SensorMax[0], 202);
    EXPECT_EQ(w.SensorMin[0], 200);
    EXPECT_EQ(w.MaxSwing, 2);
    EXPECT_EQ(w.MaxPosDeviation, 1);
    EXPECT_EQ(w.MaxNegDeviation, 1);
}

TEST_F(StripStatsTest, OnlyTheFirst88SensorsOfALongScanAreAnalysed) {
    // Sensors past 87 swing wildly; the analysed ones are steady.
    ReceiveScans(view, 100, 3, [](int i, int j) { return i < 88 ? 50 : (j % 2) * 255; });
    StripStats();
    EXPECT_EQ(w.N, 88);
    EXPECT_EQ(w.S, 3);
    EXPECT_EQ(w.TotalSamples, 264);
    EXPECT_EQ(w.MaxSwing, 0);
    EXPECT_EQ(NonZeroHistogram(w), (std::vector<int>{0, 264}));
    EXPECT_EQ(w.MeanTotal, 88 * 50.0f);
}

TEST_F(StripStatsTest, After300ScansTheWindowHoldsTheLatest256) {
    // Scans 0 to 43 read 200 and are overwritten by scans 256 to 299.
    ReceiveScans(view, 2, 300, [](int i, int j) { return j < 44 ? 200 : 7 + i; });
    StripStats();
    EXPECT_EQ(w.S, 256);
    EXPECT_EQ(w.SensorMean[0], 7.0f);
    EXPECT_EQ(w.SensorMean[1], 8.0f);
    EXPECT_EQ(w.MaxSwing, 0);
    EXPECT_EQ(NonZeroHistogram(w), (std::vector<int>{0, 512}));
}

struct EmptyWindowCase {
    const char* name;
    int32_t scanCount;
    int32_t scanLength;
};

class StripStatsEmptyWindowTest : public StripStatsTest,
                                  public ::testing::WithParamInterface<EmptyWindowCase> {};

TEST_P(StripStatsEmptyWindowTest, EveryQuotientIsZero) {
    // Leftovers of an earlier computation must not show through.
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    StripStats();
    view.m_scanCount = GetParam().scanCount;
    view.m_scanLength = GetParam().scanLength;
    StripStats();

    EXPECT_EQ(w.TotalSamples, 0);
    EXPECT_EQ(w.AvgDeviation, 0.0f);
    EXPECT_EQ(w.MeanAll, 0.0f);
    EXPECT_EQ(w.MaxSwing, 0);
    EXPECT_EQ(w.MaxPosDeviation, 0);
    EXPECT_EQ(w.MaxNegDeviation, 0);
    EXPECT_EQ(NonZeroHistogram(w), std::vector<int>{});
    EXPECT_EQ(w.Percentage(w.DeadOnCount()), 0.0);
    for (int i = 0; i < w.N; ++i) {
        EXPECT_EQ(w.SensorMean[i], 0.0f);
        EXPECT_EQ(w.SensorRms[i], 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(NoScanOrNoValues, StripStatsEmptyWindowTest,
                         ::testing::Values(EmptyWindowCase{"NoScanYet", 0, 0},
                                           EmptyWindowCase{"ScansWithoutValues", 5, 0},
                                           EmptyWindowCase{"ValuesWithoutScans", 0, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShortestTextCase {
    const char* name;
    std::string text;     // what the printer gives
    const char* expected; // the shortest decimal that reads back as the same value
};

class ShortestText : public ::testing::TestWithParam<ShortestTextCase> {};

TEST_P(ShortestText, IsTheShortestDecimalThatReadsBackAsTheSameValue) {
    EXPECT_EQ(GetParam().text, GetParam().expected);
}

// 157.015625 lies halfway between the floats' two shortest decimals 157.01562 and
// 157.01563; every float a program prints must name the same one.
INSTANTIATE_TEST_SUITE_P(
    FloatsAndDoubles, ShortestText,
    ::testing::Values(
        ShortestTextCase{"FloatHalfwayBetweenTwoDecimals", ShortestFloatText(157.015625f),
                         "157.01562"},
        ShortestTextCase{"DoubleOfNineDigits", ShortestDoubleText(0.707106768), "0.707106768"},
        ShortestTextCase{"DoubleOfAFloat", ShortestDoubleText(static_cast<double>(0.70710677f)),
                         "0.7071067690849304"},
        ShortestTextCase{"DoublePastTheFloats", ShortestDoubleText(1e300), "1e+300"},
        ShortestTextCase{"SubnormalDouble", ShortestDoubleText(1e-310), "1e-310"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
