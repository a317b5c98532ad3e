#include "CliProcess.h"
#include "SysexFeed.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace {

// `name` and the 140 values, these first and the rest 0.
std::string NumbersLine(const char* name, const std::vector<int>& first = {}) {
    std::string line = name;
    for (int i = 0; i < ScannerState::kValues; ++i) {
        line += " " + std::to_string(i < static_cast<int>(first.size()) ? first[i] : 0);
    }
    return line + "\n";
}

std::string StateLines(int scanCount, int scanLength, const std::vector<int>& values,
                       const std::vector<int>& calibLow = {},
                       const std::vector<int>& calibHigh = {}) {
    return "scanCount " + std::to_string(scanCount) + "\nscanLength " + std::to_string(scanLength) +
           "\nstripLength 93\n" + NumbersLine("values", values) +
           NumbersLine("calibLow", calibLow) + NumbersLine("calibHigh", calibHigh) +
           "inputLost 0 0\n";
}

// The clipboard text of one press of "Copy Stats to Buffer": every deviation with its
// count, 0 to 127 and then -128 to -1.
std::string ClipboardText(const std::map<int, int>& counts) {
    std::string text;
    for (int k = 0; k < 256; ++k) {
        const int deviation = k < 128 ? k : k - 256;
        const auto found = counts.find(deviation);
        char line[64];
        std::snprintf(line, sizeof line, "item%4d:  %3d %5d\r\n", k, deviation,
                      found == counts.end() ? 0 : found->second);
        text += line;
    }
    return text;
}

// One histogram line of the report: " %4d " per column.
std::string Columns(const std::vector<int>& numbers) {
    std::string line;
    for (int n : numbers) {
        char column[16];
        std::snprintf(column, sizeof column, " %4d ", n);
        line += column;
    }
    return line + "\n";
}

std::string WithLengthPrefix(const std::string& text) {
    if (text.size() < 255) {
        return std::string(1, static_cast<char>(text.size())) + text;
    }
    EXPECT_LT(text.size(), 65534u);
    return std::string{'\xFF', static_cast<char>(text.size() & 0xFF),
                       static_cast<char>(text.size() >> 8)} +
           text;
}

} // namespace

TEST(CliDecode, OneSensorOverFourScansGivesTheMonitorsFiguresHistogramAndReport) {
    TempDir dir;
    WriteBytes(dir / "steady.syx",
               Concat({ScanFrame({10}), ScanFrame({11}), ScanFrame({9}), ScanFrame({10})}));

    const CliRun run = RunCli({"decode", "--state", "--stats", "--histogram", "--report",
                               dir / "steady.wtt", dir / "steady.syx"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, StateLines(4, 1, {10}) +
                           "Number Of Scans:   4\n"
                           "Mean of all Tessels: 10\n"
                           "Avg Deviation: 0.707107\n"
                           "Max Deviation Swing: 2\n"
                           "Max Positive Deviation: 1\n"
                           "Max Negative Deviation: 1\n"
                           "Dead On Samples: 2   50.00 percent\n"
                           "Samples +/- 1: +1 = 1   -1 = 1  total % 50.000 \n"
                           "Samples +/- 2: +2 = 0   -2 = 0  total % 0.000\n"
                           "3 or greater deviation: # >= 3 0 total % 0.000\n" +
                           ClipboardText({{0, 2}, {1, 1}, {-1, 1}}));

    std::vector<int> positive(32);
    std::vector<int> positiveCounts(32, 0);
    std::vector<int> negative(31);
    std::vector<int> negativeCounts(31, 0);
    for (int k = 0; k < 32; ++k) {
        positive[k] = k;
    }
    for (int k = 0; k < 31; ++k) {
        negative[k] = -1 - k;
    }
    positiveCounts[0] = 2;
    positiveCounts[1] = 1;
    negativeCounts[0] = 1;
    const std::string text =
        "\n"
        "Total Number Of Samples 4\n"
        "Dead On Samples 50.00 percent\n"
        "Deviation +1 Samples 25.00 percent\n"
        "Deviation -1 Samples 25.00 percent\n"
        "Average Deviation 0.71\n"
        " Mean Value 10.00\n"
        "Tessel # 000 Mean  10.0000 Mean 010  Max,Min,dif 011 009 2   10  11   9  10\n" +
        Columns(positive) + Columns(positiveCounts) + Columns(negative) + Columns(negativeCounts);
    EXPECT_EQ(ReadBytes(dir / "steady.wtt"), WithLengthPrefix(text));
}

TEST(CliDecode, NoScanGivesZeroFiguresAndTheInstructionsReport) {
    TempDir dir;
    WriteBytes(dir / "empty.syx", {});

    const CliRun run =
        RunCli({"decode", "--stats", "--report", dir / "none.wtt", dir / "empty.syx"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Number Of Scans:   0\n"
                       "Mean of all Tessels: 0\n"
                       "Avg Deviation: 0\n"
                       "Max Deviation Swing: 0\n"
                       "Max Positive Deviation: 0\n"
                       "Max Negative Deviation: 0\n"
                       "Dead On Samples: 0   00.00 percent\n"
                       "Samples +/- 1: +1 = 0   -1 = 0  total % 0.000 \n"
                       "Samples +/- 2: +2 = 0   -2 = 0  total % 0.000\n"
                       "3 or greater deviation: # >= 3 0 total % 0.000\n");
    const std::string report = ReadBytes(dir / "none.wtt");
    EXPECT_EQ(report.size(), 267u);
    EXPECT_EQ(report, std::string("\xFF\x08\x01") +
                          "\n"
                          "the scanner report is not available\n"
                          "Run the scan dump:\n"
                          " 1> Connect the QZ4 midi out to your computer midi in \n"
                          " 2> Connect your computer midi out to the QZ4 midi in \n"
                          " 3> open the MidiInput port \n"
                          " 4> open the MidiOut port \n"
                          " 5> Start the Timer \n"
                          " 6> Stop the Timer \n"
                          "\n");
}

TEST(CliDecode, EveryPacketKindWritesItsLineAndFramesSpanFilesAndEventCuts) {
    TempDir dir;
    // 600 bytes of text frames put the next frames across the first 512-byte cut.
    const Bytes first = Concat({TextFrames(std::string(119, 'x') + "\n"),
                                Bytes{0xF0, 0x09, 0x10, 0x41, 0xF7, 0xF0, 0x09, 0x10}});
    const Bytes second = Concat({
        Bytes{0x0A, 0xF7},                                     // ends the frame of file one
        Bytes{0xF0, 0x09, 0x2F, 0x04, 0x03, 0x02, 0x01, 0xF7}, // peek, length 0x1234
        Bytes{0xF0, 0x09, 0x32, 0x0F, 0x0F, 0x00, 0x00, 0xF7}, // poke acknowledge, 0x00FF
        Bytes{0xF0, 0x09, 0x31,                                // poke request
              0x00, 0x00, 0x00, 0x01, 0x00,                    // address 0x01000
              0x02, 0x00, 0x00, 0x00,                          // length 2
              0x05, 0x0A, 0x0F, 0x00, 0xF7},                   // data 0xA5, 0x0F
        Bytes{0xF0, 0x09, 0x14, 0xF7},                         // no such command
        Bytes{0xF0, 0x09, 0x27, 0xF7},                         // EEPROM dump
        Bytes{0xF0, 0x09, 0x12, 0xF7},                         // ignored
        Bytes{0xF0, 0x09, 0x15, 0x01, 0x02, 0x03, 0x04, 0xF7}, // scan: 0x12, 0x34
    });
    ASSERT_GT(first.size(), 512u);
    WriteBytes(dir / "one.syx", first);
    WriteBytes(dir / "two.syx", second);

    const CliRun run = RunCli({"decode", dir / "one.syx", dir / "two.syx", "--state"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string(119, 'x') + "\n" +
                           "A\n"
                           "EEPROM PEEK request length 1234 \n"
                           "EEPROM POKE Acknowledge length 00ff\n"
                           "EEPROM POKE Request address 01000 length 0002 a5  f\n"
                           "unimplemented or undefined wendmoor/corvane sysex number f00914\n"
                           "eeprom dump no argument\n" +
                           StateLines(1, 2, {0x12, 0x34}));
}

namespace {

struct SetupCase {
    std::vector<std::string> extra;
    bool copied;
};

class CliDecodeSetup : public ::testing::TestWithParam<SetupCase> {};

} // namespace

TEST_P(CliDecodeSetup, SetupTextThenSetupInformationCopiesCalibrationOnlyAfterGetSetup) {
    // Upper bounds in words 12 to 133, lower bounds in words 178 to 299.
    std::vector<int> words(300, 0);
    std::vector<int> low(122);
    std::vector<int> high(122);
    for (int j = 0; j < 122; ++j) {
        high[j] = 200 + j % 50;
        low[j] = 10 + j % 20;
        words[12 + j] = high[j];
        words[178 + j] = low[j];
    }
    TempDir dir;
    WriteBytes(dir / "setup.syx",
               Concat({Frame(0x11, {'Q', 'Z', '4', '\n'}), SetupInformationFrame(words)}));
    std::vector<std::string> args{"decode", "--state", dir / "setup.syx"};
    args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());

    const CliRun run = RunCli(args);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, GetParam().copied ? StateLines(0, 0, {}, low, high) : StateLines(0, 0, {}));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithout, CliDecodeSetup,
                         ::testing::Values(SetupCase{{"--setup"}, true}, SetupCase{{}, false}));
