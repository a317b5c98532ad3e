#include "stats/ScanReport.h"
#include "TestView.h"
#include "stats/LengthPrefixedString.h"
#include "stats/StripStatsMonitor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScanReport, WithoutScansItHoldsTheInstructionsIn267FileBytes) {
    ResetProcessState();
    TestView view;
    StripStatsMonitor monitor(&view);

    const std::string text = BuildScanReport();
    EXPECT_EQ(text, "\n"
                    "the scanner report is not available\n"
                    "Run the scan dump:\n"
                    " 1> Connect the QZ4 midi out to your computer midi in \n"
                    " 2> Connect your computer midi out to the QZ4 midi in \n"
                    " 3> open the MidiInput port \n"
                    " 4> open the MidiOut port \n"
                    " 5> Start the Timer \n"
                    " 6> Stop the Timer \n"
                    "\n");
    const std::string file = LengthPrefixedString(text);
    ASSERT_EQ(file.size(), 267u);
    EXPECT_EQ(file.substr(0, 3), std::string("\xFF\x08\x01", 3));
    EXPECT_EQ(view.timersSet, 0);
    EXPECT_EQ(view.m_bTimerOn, 0);
}

} // namespace
