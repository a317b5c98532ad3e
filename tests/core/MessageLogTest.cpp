#include "MidiTestSupport.h"
#include "ProcessStateGuard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MessageLogTest : public ::testing::Test {
protected:
    ProcessStateGuard state;
};

TEST_F(MessageLogTest, AppendFormatsWhileAppendTextKeepsPercentSigns) {
    MessageLog.Append("In Open %s ", "QZ4 Simulator");
    MessageLog.AppendText("load 100%s done %d");
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"In Open QZ4 Simulator ", "load 100%s done %d"}));
}

TEST_F(MessageLogTest, AppendToLastCompletesTheNewestLine) {
    MessageLog.AppendText("first");
    MessageLog.Append("Out Open %s ", "Port A");
    MessageLog.AppendToLast("The operation completed successfully.");
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              "first", "Out Open Port A The operation completed successfully."}));
}

TEST_F(MessageLogTest, LinesAreCutTo511Characters) {
    const std::string longText(700, 'y');
    MessageLog.AppendText(longText.c_str());
    MessageLog.Append("%s", longText.c_str());
    MessageLog.AppendText(std::string(500, 'z').c_str());
    MessageLog.AppendToLast(std::string(100, 't').c_str());
    EXPECT_EQ(std::string(MessageLog.Line(0)), std::string(511, 'y'));
    EXPECT_EQ(std::string(MessageLog.Line(1)), std::string(511, 'y'));
    EXPECT_EQ(std::string(MessageLog.Line(2)), std::string(500, 'z') + std::string(11, 't'));
}

TEST_F(MessageLogTest, PastTheTableTheNewestLinesWrapToTheOldestEntries) {
    for (int i = 0; i < 600; ++i) {
        MessageLog.Append("line %d", i);
    }
    EXPECT_EQ(MessageLog.LogCount, 600);
    EXPECT_STREQ(MessageLog.Line(599), "line 599");
    EXPECT_STREQ(MessageLog.Line(600 - 512), "line 88");
    EXPECT_STREQ(MessageLog.LogLines[599 - 512], "line 599");
}

TEST_F(MessageLogTest, ClearStartsAgainAtTheFirstEntry) {
    MessageLog.AppendText("old");
    MessageLog.Clear();
    EXPECT_EQ(MessageLog.LogCount, 0);
    MessageLog.AppendText("new");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"new"});
    EXPECT_STREQ(MessageLog.LogLines[0], "new");
}

TEST_F(MessageLogTest, AppendToLastOnAnEmptyLogWritesNothing) {
    MessageLog.AppendToLast("tail");
    EXPECT_EQ(MessageLog.LogCount, 0);
    MessageLog.AppendText("head");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"head"});
}

struct Collector : MessageLogTable::LineObserver {
    std::vector<std::string> lines;
    void OnLineCompleted(const char* text) override { lines.emplace_back(text); }
};

TEST_F(MessageLogTest, ObserverSeesEveryCompletedLineWholeAcrossWrapAndClear) {
    Collector collector;
    MessageLog.SetObserver(&collector);
    MessageLog.AppendFirstPiece("Out Open %s ", "A");
    EXPECT_TRUE(collector.lines.empty()); // half a line is not told
    MessageLog.AppendToLast("ok");
    ASSERT_EQ(collector.lines.size(), 1u); // told whole, before any next line starts
    MessageLog.AppendFirstPiece("In Open FAILED  ");
    MessageLog.Append("%d", 0);
    ASSERT_EQ(collector.lines.size(), 3u); // a lone first piece, and a line at once
    EXPECT_EQ(collector.lines[1], "In Open FAILED  ");
    collector.lines.erase(collector.lines.begin() + 1, collector.lines.end());
    for (int i = 0; i < 520; ++i) {
        MessageLog.Append("%d", i);
    }
    MessageLog.Clear();
    MessageLog.AppendText("after clear");
    MessageLog.FlushObserver();
    ASSERT_EQ(collector.lines.size(), 522u);
    EXPECT_EQ(collector.lines.front(), "Out Open A ok");
    EXPECT_EQ(collector.lines[520], "519");
    EXPECT_EQ(collector.lines.back(), "after clear");
}

} // namespace
