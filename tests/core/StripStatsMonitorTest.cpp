#include "stats/StripStatsMonitor.h"
#include "ExampleTexts.h"
#include "GermanLocale.h"
#include "ProcessStateGuard.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "stats/ScanReport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using Fields = LabelledFieldList;

class StripStatsMonitorTest : public ::testing::Test {
protected:
    TestView view;
    StripStatsMonitor monitor{&view};
    ProcessStateGuard state; // last, so the view's welcome lines go too
};

// The whole process in the German locale, as a Qt application object leaves it on a
// German desktop; the locale found before is put back after.
class GermanProcessLocale {
public:
    explicit GermanProcessLocale(const GermanLocale& german)
        : m_before(std::setlocale(LC_ALL, nullptr)) {
        if (!german.LocPath().empty()) {
            setenv("LOCPATH", german.LocPath().c_str(), 1);
        }
        m_set = std::setlocale(LC_ALL, GermanLocale::kName) != nullptr;
    }
    ~GermanProcessLocale() { std::setlocale(LC_ALL, m_before.c_str()); }
    GermanProcessLocale(const GermanProcessLocale&) = delete;
    GermanProcessLocale& operator=(const GermanProcessLocale&) = delete;

    bool Set() const { return m_set; }

private:
    std::string m_before;
    bool m_set = false;
};

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

TEST_F(StripStatsMonitorTest, OneSensorExampleShowsItsTenFigures) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();

    EXPECT_EQ(monitor.LabelledFields(), kOneSensorExampleFields);
    EXPECT_EQ(monitor.m_avgDeviation, 0.70710677f);
    EXPECT_EQ(monitor.m_meanAll, 10);
    EXPECT_EQ(monitor.m_histSelection, "");
}

TEST_F(StripStatsMonitorTest, FiguresAndReportKeepTheirDecimalPointInAGermanProcess) {
    const GermanLocale& german = GermanLocale::Get();
    if (!german.Available()) {
        GTEST_SKIP() << german.Reason();
    }
    const GermanProcessLocale inGerman(german);
    ASSERT_TRUE(inGerman.Set());
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_STREQ(probe, "0,5") << "the process does not write numbers the German way";

    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();

    EXPECT_EQ(monitor.LabelledFields(), kOneSensorExampleFields);
    EXPECT_EQ(BuildScanReport(), kOneSensorExampleReport);
}

TEST_F(StripStatsMonitorTest, CopyStatsListsEveryDeviationWithItsCount) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();
    const std::string text = monitor.CopyStats();

    EXPECT_EQ(text.find('\0'), std::string::npos);
    const std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "item   0:    0     2");
    EXPECT_EQ(lines[1], "item   1:    1     1");
    EXPECT_EQ(lines[2], "item   2:    2     0");
    EXPECT_EQ(lines[127], "item 127:  127     0");
    EXPECT_EQ(lines[128], "item 128:  -128     0");
    EXPECT_EQ(lines[254], "item 254:   -2     0");
    EXPECT_EQ(lines[255], "item 255:   -1     1");
    // 22 bytes a line, one more for each of -100 to -128.
    EXPECT_EQ(text.size(), 256u * 22 + 29);

    ASSERT_EQ(monitor.HistogramLines().size(), 256u);
    EXPECT_EQ(monitor.HistogramLines()[0], "   0     2");
    EXPECT_EQ(monitor.HistogramLines()[255], "  -1     1");
}

TEST_F(StripStatsMonitorTest, TwoPressesListTheHistogramTwiceNumberedTo511) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();
    const std::string first = monitor.CopyStats();
    const std::vector<std::string> lines = SplitCrLf(monitor.CopyStats());

    ASSERT_EQ(lines.size(), 512u);
    const std::vector<std::string> firstLines = SplitCrLf(first);
    for (size_t n = 0; n < 256; ++n) {
        EXPECT_EQ(lines[n], firstLines[n]);
        EXPECT_EQ(lines[n + 256].substr(10), firstLines[n].substr(10));
    }
    EXPECT_EQ(lines[256], "item 256:    0     2");
    EXPECT_EQ(lines[511], "item 511:   -1     1");
}

TEST_F(StripStatsMonitorTest, A300ScanWindowShows256Scans) {
    ReceiveScans(view, 1, 300, [](int, int j) { return j < 44 ? 200 : 7; });
    monitor.ComputeStatistics();
    EXPECT_EQ(monitor.m_numScans, "256");
    EXPECT_EQ(monitor.m_meanAll, 7);
    EXPECT_EQ(monitor.m_maxSwing, 0);
    EXPECT_EQ(monitor.m_deadOn, "256   100.00 percent");
}

TEST_F(StripStatsMonitorTest, ReopeningWithoutNewScansShowsTheSameFigures) {
    ReceiveScans(view, 5, 30, [](int i, int j) { return 40 + i * 3 + (i * j) % 7; });
    monitor.ComputeStatistics();
    const Fields first = monitor.LabelledFields();
    const std::string firstCopy = monitor.CopyStats();

    monitor.ClearHistogramLines();
    monitor.ComputeStatistics();
    EXPECT_EQ(monitor.LabelledFields(), first);
    EXPECT_EQ(monitor.CopyStats(), firstCopy);
}

TEST_F(StripStatsMonitorTest, AReportWhileOpenChangesTheCopiedHistogramButNotTheFigures) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();
    ReceiveOneSensorScans(view, {30}); // mean byte 14: deviations -4, -3, -5, -4, +16
    BuildScanReport();

    EXPECT_EQ(monitor.LabelledFields(), kOneSensorExampleFields);
    const std::vector<std::string> lines = SplitCrLf(monitor.CopyStats());
    EXPECT_EQ(lines[0], "item   0:    0     0");
    EXPECT_EQ(lines[16], "item  16:   16     1");
    EXPECT_EQ(lines[251], "item 251:   -5     1");
    EXPECT_EQ(lines[252], "item 252:   -4     2");
    EXPECT_EQ(lines[253], "item 253:   -3     1");
}

TEST_F(StripStatsMonitorTest, AnEmptyWindowShowsZerosAndTheScanCount) {
    const Fields& zeros = kEmptyWindowFields;
    monitor.ComputeStatistics();
    EXPECT_EQ(monitor.LabelledFields(), zeros);

    // Scans that carried no values: only the scan count shows.
    Fields scansWithoutValues = zeros;
    scansWithoutValues[0].second = "  3";
    ReceiveScans(view, 0, 3, [](int, int) { return 0; });
    monitor.ComputeStatistics();
    EXPECT_EQ(monitor.LabelledFields(), scansWithoutValues);
    EXPECT_EQ(SplitCrLf(monitor.CopyStats())[0], "item   0:    0     0");
}

struct NoteSystemCase {
    void (StripStatsMonitor::*press)();
    int stripLength;
};

class StripStatsNoteSystemTest : public StripStatsMonitorTest,
                                 public ::testing::WithParamInterface<NoteSystemCase> {};

TEST_P(StripStatsNoteSystemTest, ButtonSetsTheStripLengthAndNoFigure) {
    ReceiveOneSensorScans(view, {10, 11, 9, 10});
    monitor.ComputeStatistics();
    (monitor.*GetParam().press)();

    EXPECT_EQ(view.m_stripLength, GetParam().stripLength);
    EXPECT_EQ(view.invalidations, 0);
    EXPECT_EQ(monitor.LabelledFields(), kOneSensorExampleFields);
    monitor.ComputeStatistics();
    EXPECT_EQ(monitor.LabelledFields(), kOneSensorExampleFields);
}

INSTANTIATE_TEST_SUITE_P(FourSystems, StripStatsNoteSystemTest,
                         ::testing::Values(NoteSystemCase{&StripStatsMonitor::OnNoteSystem122, 127},
                                           NoteSystemCase{&StripStatsMonitor::OnNoteSystem73, 78},
                                           NoteSystemCase{&StripStatsMonitor::OnNoteSystem88, 93},
                                           NoteSystemCase{&StripStatsMonitor::OnNoteSystem61, 66}));

} // namespace
