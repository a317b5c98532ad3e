#include "stats/StripStats.h"
#include "ProcessStateGuard.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "stats/LimitVerdict.h"
#include "stats/SensorVerdicts.h"
#include "stats/StripStatsMonitor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

class StripStatsTest : public ::testing::Test {
protected:
    void SetUp() override { StatsView = &view; }
    void TearDown() override { StatsView = nullptr; }

    TestView view;
    const StripStatsWorkArea& w = StripStatsWork;
    ProcessStateGuard state; // last, so the view's welcome lines go too
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
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(StripStatsTest, AWorkAreaOfTheCallersOwnLeavesTheProgramsAlone) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    auto own = std::make_unique<StripStatsWorkArea>();

    StripStats(view, *own);

    EXPECT_EQ(w.S, 0);
    EXPECT_EQ(own->S, 4);
    EXPECT_EQ(own->SensorRms[0], std::sqrt(0.5f));
    EXPECT_EQ(own->MaxSwing, 2);
}

LimitOptions AllFour(const char* avg, const char* swing, const char* rms, const char* sensorSwing) {
    return {ParseRealLimit(avg), ParseWholeLimit(swing), ParseRealLimit(rms),
            ParseWholeLimit(sensorSwing)};
}

// Avg Deviation shows as 0.707107, above the float 0.70710677 itself: the shown figure
// is judged, so a limit of 0.7071068 fails it while the sensor's RMS passes it.
TEST_F(StripStatsTest, TheVerdictNamesEachFigureAboveItsLimitStripFirstThenBySensor) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    StripStats();

    const LimitVerdict failed = JudgeLimits(w, AllFour("0.7071068", "1", "0.5", "01"));
    EXPECT_EQ(failed.messages, (std::vector<std::string>{
                                   "Avg Deviation: 0.707107 exceeds 0.7071068",
                                   "Max Deviation Swing: 2 exceeds 1",
                                   "sensor 0: rms 0.70710677 exceeds 0.5",
                                   "sensor 0: swing 2 exceeds 01",
                               }));
    EXPECT_TRUE(failed.stripFailed);
    ASSERT_EQ(failed.failingSensors.size(), 1u);
    EXPECT_TRUE(failed.failingSensors[0].rms && failed.failingSensors[0].swing);
    EXPECT_TRUE(FailingSensorFlags(failed.failingSensors).test(0));

    const LimitVerdict passed = JudgeLimits(w, AllFour("0.707107", "2", "0.7071068", "2"));
    EXPECT_FALSE(passed.Failed());
    EXPECT_FALSE(passed.stripFailed);
    EXPECT_TRUE(passed.failingSensors.empty());
    EXPECT_FALSE(JudgeLimits(w, LimitOptions{}).Failed());
}

TEST(LimitText, IsDecimalOnlyAndKeptAsWritten) {
    for (const char* good : {"3", "0.5", ".5", "5.", "1e-310", "1E+3", "007"}) {
        const std::optional<Limit<double>> limit = ParseRealLimit(good);
        ASSERT_TRUE(limit) << good;
        EXPECT_EQ(limit->text, good);
    }
    EXPECT_EQ(ParseRealLimit("1e-310")->value, 1e-310);
    for (const char* bad :
         {"", "-1", "+1", "0x10", "inf", "nan", "1,5", "1e", "1e400", "1e-400", ".", "1 "}) {
        EXPECT_FALSE(ParseRealLimit(bad)) << bad;
    }
    EXPECT_EQ(ParseWholeLimit("255")->value, 255);
    EXPECT_EQ(ParseWholeLimit("01")->text, "01");
    for (const char* bad : {"", "256", "-1", "1.0", "99999999999999999999"}) {
        EXPECT_FALSE(ParseWholeLimit(bad)) << bad;
    }
}

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
    [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace

TEST_F(StripStatsTest, TheViewFlagsItsSensorsAtEachDecodeWhileAPerSensorLimitIsSet) {
    LimitOptions limits;
    limits.maxSensorRms = ParseRealLimit("0.5");
    view.SetSensorLimits(limits);
    EXPECT_TRUE(view.m_failingSensors.none()); // no scan yet

    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    view.ProcessMidiInput(); // the tick after them

    EXPECT_TRUE(view.m_failingSensors.test(0));
    EXPECT_EQ(view.m_failingSensors.count(), 1u);
    ASSERT_TRUE(view.Watch().HasStats());
    EXPECT_EQ(view.Watch().Stats().SensorRms[0], std::sqrt(0.5f));
    EXPECT_EQ(view.Watch().Verdict().messages,
              std::vector<std::string>{"sensor 0: rms 0.70710677 exceeds 0.5"});
    EXPECT_EQ(w.S, 0); // the monitor's figures are the user's to compute

    const int repaints = view.invalidations;
    view.SetSensorLimits({});
    EXPECT_TRUE(view.m_failingSensors.none());
    EXPECT_FALSE(view.Watch().HasStats());
    EXPECT_EQ(view.invalidations, repaints + 1);
}

TEST_F(StripStatsTest, WithNothingWatchingADecodeComputesNothingAndLeavesTheFlagsAlone) {
    view.m_failingSensors.set(5); // as a runner flags its view at its end
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    view.ProcessMidiInput(); // the tick after them

    EXPECT_FALSE(view.Watch().HasStats());
    EXPECT_EQ(view.m_failingSensors.count(), 1u);
    EXPECT_TRUE(view.m_failingSensors.test(5));
}

TEST_F(StripStatsTest, AReaderGetsTheStatisticsEachDecodeWithNoSensorFlagged) {
    view.Watch().AddReader();
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    view.ProcessMidiInput(); // the tick after them

    ASSERT_TRUE(view.Watch().HasStats());
    EXPECT_EQ(view.Watch().Stats().S, 4);
    EXPECT_EQ(view.Watch().Stats().MaxSwing, 2);
    EXPECT_TRUE(view.m_failingSensors.none());

    view.Watch().RemoveReader();
    ReceiveOneSensorScans(view, {10});
    view.ProcessMidiInput();
    EXPECT_FALSE(view.Watch().HasStats());
}
