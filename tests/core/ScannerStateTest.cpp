#include "TestView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(ScannerState, NewViewHoldsTheDefaultsAndWritesSixWelcomeLines) {
    ResetProcessState();
    TestView view;

    EXPECT_EQ(view.m_bTimerOn, 0);
    EXPECT_EQ(view.m_nTimerId, 0u);
    EXPECT_EQ(view.m_bInOpen, 0);
    EXPECT_EQ(view.m_bOutOpen, 0);
    EXPECT_EQ(view.m_scanCount, 0);
    EXPECT_EQ(view.m_scanLength, 0);
    EXPECT_EQ(view.m_calibCount, 122);
    EXPECT_EQ(view.m_setupTextPending, 0);
    EXPECT_EQ(view.m_setupRequested, 0);
    EXPECT_EQ(view.m_useSetupCalib, 1);
    EXPECT_EQ(view.m_stripLength, 93);
    const auto allZero = [](const auto& array) {
        return std::all_of(std::begin(array), std::end(array), [](auto v) { return v == 0; });
    };
    EXPECT_TRUE(allZero(view.m_values));
    EXPECT_TRUE(allZero(view.m_calibLow));
    EXPECT_TRUE(allZero(view.m_calibHigh));
    EXPECT_TRUE(allZero(view.m_setupWords));
    for (const auto& row : view.m_history) {
        EXPECT_TRUE(allZero(row));
    }

    ASSERT_EQ(MessageLog.LogCount, 6);
    EXPECT_STREQ(MessageLog.Line(0),
                 "This software requires bidirectional comunication with the QZ4 scanner box.");
    EXPECT_STREQ(MessageLog.Line(1), "Activate the MIDI IN and MIDI out channels and connect the "
                                     "MIDI cables from the conputer to the QZ4");
    EXPECT_STREQ(MessageLog.Line(2), "Start the timer to show graphic display.");
    EXPECT_STREQ(MessageLog.Line(3), MessageLog.Line(0));
    EXPECT_STREQ(MessageLog.Line(4), "Set the strip length by using strip statistics menu");
    EXPECT_STREQ(MessageLog.Line(5),
                 "don't forget to click the 'get setup information' to 'normalize' the display");
}

} // namespace
