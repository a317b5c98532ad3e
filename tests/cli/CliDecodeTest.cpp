#include "CliProcess.h"
#include "ExampleTexts.h"
#include "GermanLocale.h"
#include "SysexFeed.h"
#include "stats/LengthPrefixedString.h"

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

// The figures as --stats prints them, one "label: value" line each.
std::string StatsLines(const LabelledFieldList& fields) {
    std::string lines;
    for (const auto& [label, value] : fields) {
        lines += label + ": " + value + "\n";
    }
    return lines;
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
    EXPECT_EQ(run.out, StateLines(4, 1, {10}) + StatsLines(kOneSensorExampleFields) +
                           ClipboardText({{0, 2}, {1, 1}, {-1, 1}}));
    EXPECT_EQ(ReadBytes(dir / "steady.wtt"), LengthPrefixedString(kOneSensorExampleReport));
}

TEST(CliDecode, NoScanGivesZeroFiguresAndTheInstructionsReport) {
    TempDir dir;
    WriteBytes(dir / "empty.syx", {});

    const CliRun run =
        RunCli({"decode", "--stats", "--report", dir / "none.wtt", dir / "empty.syx"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, StatsLines(kEmptyWindowFields));
    EXPECT_EQ(ReadBytes(dir / "none.wtt"), LengthPrefixedString(kNoScanReport));
}

// The picture's Qt application sets the C library's locale from the environment; the
// figures and the limits' verdict must not change with it.
TEST(CliDecode, OnAGermanDesktopStatsAndLimitsKeepTheirDecimalPointAlsoWithAPicture) {
    const GermanLocale& german = GermanLocale::Get();
    if (!german.Available()) {
        GTEST_SKIP() << german.Reason();
    }
    TempDir dir;
    WriteBytes(dir / "steady.syx",
               Concat({ScanFrame({10}), ScanFrame({11}), ScanFrame({9}), ScanFrame({10})}));
    CliEnvironment environment;
    environment.set = german.Environment();

    const CliRun plain = RunCli({"decode", "--stats", dir / "steady.syx"}, environment);
    const CliRun picture = RunCli({"decode", "--stats", "--png", dir / "steady.png",
                                   "--max-avg-deviation", "0.5", dir / "steady.syx"},
                                  environment);

    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, StatsLines(kOneSensorExampleFields));
    EXPECT_EQ(picture.out, plain.out);
    EXPECT_EQ(picture.status, 1);
    EXPECT_EQ(picture.err, "wintesseltest-cli: Avg Deviation: 0.707107 exceeds 0.5\n");
    EXPECT_EQ(ReadBytes(dir / "steady.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(CliDecode, LogLinesPrecedeTheStateInOrderAndFramesSpanFilesAndEventCuts) {
    TempDir dir;
    // 600 bytes of text frames put the next frames across the first 512-byte cut.
    const Bytes first = Concat({TextFrames(std::string(119, 'x') + "\n"),
                                Bytes{0xF0, 0x09, 0x10, 0x41, 0xF7, 0xF0, 0x09, 0x10}});
    const Bytes second = Concat({
        Bytes{0x0A, 0xF7},                                     // ends the frame of file one
        Bytes{0xF0, 0x09, 0x2F, 0x04, 0x03, 0x02, 0x01, 0xF7}, // peek, length 0x1234
        Bytes{0xF0, 0x09, 0x14, 0xF7},                         // no such command
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
                           "unimplemented or undefined wendmoor/corvane sysex number f00914\n" +
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
