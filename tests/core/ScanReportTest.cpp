#include "stats/ScanReport.h"
#include "ExampleTexts.h"
#include "ProcessStateGuard.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "stats/LengthPrefixedString.h"
#include "stats/StripStatsMonitor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line feed";
    return lines;
}

// Notes what the work area held whenever the poll timer was killed or set.
class TimerWatchView : public TestView {
public:
    std::vector<int32_t> totalsAtKill;
    std::vector<int32_t> totalsAtSet;

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t milliseconds) override {
        totalsAtSet.push_back(StripStatsWork.TotalSamples);
        return TestView::PlatformSetTimer(id, milliseconds);
    }
    void PlatformKillTimer(uint32_t timerId) override {
        totalsAtKill.push_back(StripStatsWork.TotalSamples);
        TestView::PlatformKillTimer(timerId);
    }
};

class ScanReportTest : public ::testing::Test {
protected:
    TimerWatchView view;
    StripStatsMonitor monitor{&view};
    ProcessStateGuard state; // last, so the view's welcome lines go too
};

TEST_F(ScanReportTest, WithoutScansItHoldsTheInstructionsIn267FileBytes) {
    const std::string text = BuildScanReport();
    EXPECT_EQ(text, kNoScanReport);
    const std::string file = LengthPrefixedString(text);
    ASSERT_EQ(file.size(), 267u);
    EXPECT_EQ(file.substr(0, 3), std::string("\xFF\x08\x01", 3));
    EXPECT_EQ(view.timersSet, 0);
    EXPECT_EQ(view.m_bTimerOn, 0);
}

TEST_F(ScanReportTest, OneSensorExampleGivesTwelveLines) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    EXPECT_EQ(BuildScanReport(), kOneSensorExampleReport);
}

TEST_F(ScanReportTest, SamplesArePrintedThreeWide) {
    ReceiveOneSensorScans(view, {9, 200});
    const std::vector<std::string> lines = SplitLines(BuildScanReport());
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[7], "Tessel # 000 Mean 104.5000 Mean 104  Max,Min,dif 200 009 191    9 200");
}

TEST_F(ScanReportTest, ACountOf10000WidensItsHistogramColumn) {
    ReceiveScans(view, 40, 250, [](int i, int) { return 60 + i; });
    const std::vector<std::string> lines = SplitLines(BuildScanReport());
    ASSERT_EQ(lines.size(), 1u + 6 + 40 + 4);
    EXPECT_EQ(lines[1], "Total Number Of Samples 10000");
    EXPECT_EQ(lines[2], "Dead On Samples 100.00 percent");
    EXPECT_EQ(lines[6], " Mean Value 79.50");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{kPositiveLabels, " 10000 " + Counts({}, 31),
                                        kNegativeLabels, Counts({}, 31)}));
}

TEST_F(ScanReportTest, AFullWindowReportTakesTheSevenBytePrefix) {
    ReceiveScans(view, 88, 256, [](int i, int j) { return (i + j) % 256; });
    const std::string text = BuildScanReport();
    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 1u + 6 + 88 + 4);
    EXPECT_EQ(lines[1], "Total Number Of Samples 22528");
    const std::string first =
        "Tessel # 000 Mean 127.5000 Mean 127  Max,Min,dif 255 000 255    0   1";
    const std::string last =
        "Tessel # 087 Mean 127.5000 Mean 127  Max,Min,dif 255 000 255   87  88";
    EXPECT_EQ(lines[7].substr(0, first.size()), first);
    EXPECT_EQ(lines[7].substr(lines[7].size() - 8), " 254 255");
    EXPECT_EQ(lines[94].substr(0, last.size()), last);
    EXPECT_EQ(lines[94].substr(lines[94].size() - 8), "  85  86");
    // A head of 61 characters, then 256 samples of four.
    EXPECT_EQ(lines[7].size(), 61u + 256 * 4);

    ASSERT_GT(text.size(), 65533u);
    const std::string file = LengthPrefixedString(text);
    const auto byte = [&](size_t n) {
        return static_cast<uint32_t>(static_cast<uint8_t>(file[n]));
    };
    EXPECT_EQ(file.substr(0, 3), "\xFF\xFF\xFF");
    EXPECT_EQ(byte(3) | byte(4) << 8 | byte(5) << 16 | byte(6) << 24, text.size());
    EXPECT_EQ(file.substr(7), text);
}

TEST_F(ScanReportTest, ScansWithoutValuesGiveZeroFiguresAndEmptyHistograms) {
    ReceiveScans(view, 0, 2, [](int, int) { return 0; });
    EXPECT_EQ(BuildScanReport(), "\n"
                                 "Total Number Of Samples 0\n"
                                 "Dead On Samples 0.00 percent\n"
                                 "Deviation +1 Samples 0.00 percent\n"
                                 "Deviation -1 Samples 0.00 percent\n"
                                 "Average Deviation 0.00\n"
                                 " Mean Value 0.00\n" +
                                     kPositiveLabels + "\n" + Counts({}, 32) + "\n" +
                                     kNegativeLabels + "\n" + Counts({}, 31) + "\n");
}

TEST_F(ScanReportTest, ARunningPollTimerIsPausedForTheComputationAndRunsAfter) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    view.StartPollTimer();
    BuildScanReport();

    EXPECT_EQ(view.m_bTimerOn, 1);
    EXPECT_EQ(view.killedTimers, std::vector<uint32_t>{1});
    // Killed before the statistics were computed, set again after.
    EXPECT_EQ(view.totalsAtKill, std::vector<int32_t>{0});
    EXPECT_EQ(view.totalsAtSet, (std::vector<int32_t>{0, 4}));
}

TEST_F(ScanReportTest, AStoppedPollTimerStaysStopped) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    BuildScanReport();

    EXPECT_EQ(view.m_bTimerOn, 0);
    EXPECT_EQ(view.killedTimers, std::vector<uint32_t>{});
    EXPECT_EQ(view.timersSet, 0);
    EXPECT_EQ(StripStatsWork.TotalSamples, 4);
}

TEST_F(ScanReportTest, InputIsDrainedBeforeAndAfterOnlyWithoutScans) {
    BuildScanReport();
    EXPECT_EQ(view.invalidations, 2);
    ReceiveOneSensorScans(view, {10});
    BuildScanReport();
    EXPECT_EQ(view.invalidations, 3);
}

} // namespace
