#include "CliProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

namespace {

struct StatusCase {
    const char* name;
    std::vector<std::string> args; // "@" stands for the test's own directory
    int status;
    const char* errorPattern; // a regular expression that standard error must contain
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class CliExitStatus : public ::testing::TestWithParam<StatusCase> {};

const char* const kFastScan[] = {"--ticks", "3", "--period", "5"};

std::vector<std::string> Scan(std::initializer_list<std::string> more) {
    std::vector<std::string> args{"scan"};
    args.insert(args.end(), std::begin(kFastScan), std::end(kFastScan));
    args.insert(args.end(), more);
    return args;
}

} // namespace

TEST_P(CliExitStatus, EndsWithTheStatusOfWhatWentWrongAndSaysWhy) {
    TempDir dir;
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args) {
        if (arg.rfind("@", 0) == 0) {
            arg = dir / arg.substr(1);
        }
    }
    WriteBytes(dir / "good.syx", {0xF0, 0x09, 0x15, 0x00, 0x0A, 0xF7});

    const CliRun run = RunCli(args);

    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_TRUE(std::regex_search(run.err, std::regex(GetParam().errorPattern))) << run.err;
    // Whatever failed, no file is left half-written: only the input is there.
    if (run.status != 0 && run.status != 1) {
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"good.syx"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, CliExitStatus,
    ::testing::Values(
        StatusCase{"NoCommand", {}, 2, "missing command"},
        StatusCase{"UnknownCommand", {"frobnicate"}, 2, "'frobnicate'"},
        StatusCase{"UnknownOption", {"scan", "--bogus"}, 2, "unknown option '--bogus'"},
        StatusCase{"OptionOfAnotherCommand",
                   {"decode", "--ticks", "3", "@good.syx"},
                   2,
                   "decode: unknown option '--ticks'"},
        StatusCase{"MissingValue", {"scan", "--ticks"}, 2, "'--ticks' needs a value"},
        StatusCase{"BadValue", {"scan", "--period", "fast"}, 2, "'fast' for '--period'"},
        StatusCase{"BadSize", {"decode", "--size", "12by7", "@good.syx"}, 2, "'12by7'"},
        StatusCase{"DecodeWithoutFile", {"decode", "--stats"}, 2, "missing FILE"},
        StatusCase{"PortsWithArgument", {"ports", "extra"}, 2, "unexpected argument 'extra'"},
        StatusCase{"NoDeviceMatches", Scan({"--in", "no such box"}), 3,
                   "no input device matches 'no such box'[^]*in 0: QZ4 Simulator\nout 0: QZ4 "
                   "Simulator\n"},
        StatusCase{"IndexOutOfRange", Scan({"--out", "7"}), 3, "no output device matches '7'"},
        StatusCase{"UnreadableInput", {"decode", "@missing.syx"}, 4, "can't read '.*missing.syx'"},
        StatusCase{"UnwritableReport", Scan({"--report", "@no/dir/r.wtt"}), 4,
                   "can't write '.*no/dir/r.wtt'"},
        StatusCase{
            "UnwritablePicture", {"decode", "--png", "@no/p.png", "@good.syx"}, 4, "can't write"},
        StatusCase{"UnwritableCapture", Scan({"--capture", "@no/c.syx"}), 4, "can't write"},
        StatusCase{"UnwritableDocument", Scan({"--json", "@no/d.json"}), 4, "can't write"},
        StatusCase{"BadFault", Scan({"--sim-fault", "23:loud:4"}), 2,
                   "^wintesseltest-cli: scan: bad value '23:loud:4' for '--sim-fault': expected "
                   "I:noisy:A or I:stuck:V \\(I a sensor from 0 to 1023, A and V from 0 to "
                   "255\\)\n"},
        StatusCase{"FaultOfDecode",
                   {"decode", "--sim-fault", "1:stuck:2", "@good.syx"},
                   2,
                   "decode: unknown option '--sim-fault'"},
        StatusCase{"UnwritableChart", Scan({"--chart", "@no/c.png"}), 4, "can't write"},
        StatusCase{"ChartOnThePicture", Scan({"--chart", "@p.png", "--png", "@p.png"}), 2,
                   "--png and --chart name one file"},
        StatusCase{"SensorSwingOutOfRange",
                   {"decode", "--max-sensor-swing", "256", "@good.syx"},
                   2,
                   "'256' for '--max-sensor-swing'"},
        StatusCase{"SensorRmsNotANumber", Scan({"--max-sensor-rms", "-1"}), 2,
                   "'-1' for '--max-sensor-rms'"},
        // Limits are decimal numbers from 0 up, read alike in every locale.
        StatusCase{"LimitInHex",
                   {"decode", "--max-sensor-rms", "0x10", "@good.syx"},
                   2,
                   "^wintesseltest-cli: decode: bad value '0x10' for '--max-sensor-rms': expected "
                   "a number from 0 up\nTry 'wintesseltest-cli decode --help'.\n$"},
        StatusCase{"LimitWithPlusSign",
                   {"decode", "--max-avg-deviation", "+1", "@good.syx"},
                   2,
                   "'\\+1' for '--max-avg-deviation'"},
        StatusCase{"LimitInfinite",
                   {"decode", "--max-sensor-rms", "inf", "@good.syx"},
                   2,
                   "'inf' for '--max-sensor-rms'"},
        StatusCase{"LimitPastTheLargestDouble",
                   {"decode", "--max-sensor-rms", "1e309", "@good.syx"},
                   2,
                   "'1e309' for '--max-sensor-rms'"},
        StatusCase{"LimitTooSmallToTellFromZero",
                   {"decode", "--max-sensor-rms", "1e-400", "@good.syx"},
                   2,
                   "'1e-400' for '--max-sensor-rms'"},
        StatusCase{"LimitOfZeroWithAnyExponent",
                   {"decode", "--max-sensor-rms", "0e-400", "@good.syx"},
                   0,
                   "^$"},
        StatusCase{
            "LimitWithPointAndExponentForms",
            {"decode", "--max-avg-deviation", "1.", "--max-sensor-rms", ".5E+1", "@good.syx"},
            0,
            "^$"},
        // Paths and arguments reach standard error with their control characters escaped.
        StatusCase{"PathWithControlCharacters",
                   {"decode", "@no\x1b]0;title\x07"
                              "back\\slash\x9b.syx"},
                   4,
                   R"(can't read '[^']*/no\\x1b\]0;title\\x07back\\slash\\x9b\.syx')"},
        StatusCase{"ArgumentWithControlCharacters", Scan({"--in", "box\x1b[2J"}), 3,
                   R"(no input device matches 'box\\x1b\[2J')"},
        StatusCase{"VersionWithArgument",
                   {"--version", "extra"},
                   2,
                   "^wintesseltest-cli: unexpected argument 'extra'\nTry 'wintesseltest-cli "
                   "--help'.\n$"},
        // Limits are quoted as they were written.
        StatusCase{"SwingAboveLimit", Scan({"--max-swing", "000"}), 1,
                   "^wintesseltest-cli: Max Deviation Swing: [0-9]+ exceeds 000\n$"},
        StatusCase{"AverageAboveLimit", Scan({"--max-avg-deviation", "0.0012345678"}), 1,
                   "^wintesseltest-cli: Avg Deviation: [0-9.]+ exceeds 0\\.0012345678\n$"},
        StatusCase{"WithinLimits", Scan({"--max-swing", "255", "--max-avg-deviation", "200"}), 0,
                   "^$"},
        StatusCase{"UsageBeforeDevice", Scan({"--in", "no such box", "--bogus"}), 2, "--bogus"},
        StatusCase{"DeviceBeforeFile", Scan({"--in", "no such box", "--report", "@no/r.wtt"}), 3,
                   "no input device"},
        StatusCase{"FileBeforeLimit", Scan({"--max-swing", "0", "--report", "@no/r.wtt"}), 4,
                   "can't write"},
        StatusCase{"UnreadableBeforeUnwritable",
                   {"decode", "@missing.syx", "--report", "@no/r.wtt"},
                   4,
                   "can't read"}),
    [](const ::testing::TestParamInfo<StatusCase>& testCase) { return testCase.param.name; });

TEST(CliHelp, ProgramAndEveryCommandExplainThemselves) {
    const CliRun program = RunCli({"--help"});
    const CliRun scan = RunCli({"scan", "--help"});
    const CliRun decode = RunCli({"help", "decode"});
    const CliRun ports = RunCli({"ports", "-h"});

    EXPECT_EQ(program.status, 0);
    EXPECT_NE(program.out.find("Exit status"), std::string::npos);
    EXPECT_EQ(scan.status, 0);
    EXPECT_EQ(scan.out.rfind("Usage: wintesseltest-cli scan", 0), 0u);
    EXPECT_NE(scan.out.find("--max-swing N"), std::string::npos);
    EXPECT_EQ(decode.out.rfind("Usage: wintesseltest-cli decode", 0), 0u);
    EXPECT_EQ(ports.out.rfind("Usage: wintesseltest-cli ports", 0), 0u);
}

// The package, the man pages and every program carry the version of project().
TEST(CliVersion, TheRunnerAndTheSimulatorSayTheProjectVersion) {
    const CliRun runner = RunCli({"--version"});
    EXPECT_EQ(runner.status, 0);
    EXPECT_EQ(runner.out, "wintesseltest-cli " WT_VERSION "\n");

    FILE* simulator = popen("'" QZ4SIM_PATH "' --version", "r");
    ASSERT_NE(simulator, nullptr);
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, simulator) != nullptr;
    EXPECT_EQ(pclose(simulator), 0);
    EXPECT_TRUE(read);
    EXPECT_STREQ(line, "qz4sim " WT_VERSION "\n");
}

// qz4sim refuses a number past its option's range as it refuses one that is not a
// number, rather than take the largest it can hold.
TEST(Qz4simArguments, ANumberOutOfRangeIsBadUsageAndNamed) {
    CliEnvironment simulator;
    simulator.program = QZ4SIM_PATH;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--seed", "99999999999999999999"},
          std::vector<std::string>{"--seed", "18446744073709551616"},
          std::vector<std::string>{"--sensors", "1025"},
          std::vector<std::string>{"--sensors", "99999999999999999999"}}) {
        const CliRun run = RunCli(args, simulator);
        EXPECT_EQ(run.status, 2) << args[0] << " " << args[1];
        EXPECT_EQ(run.err.rfind("qz4sim: bad value '" + args[1] + "' for '" + args[0] + "'\n", 0),
                  0u)
            << run.err;
    }
    const CliRun fault = RunCli({"--still", "--fault", "1:noisy:256"}, simulator);
    EXPECT_EQ(fault.status, 2);
    EXPECT_EQ(fault.err.rfind("qz4sim: bad fault '1:noisy:256': expected I:noisy:A or I:stuck:V "
                              "(I a sensor from 0 to 1023, A and V from 0 to 255)\n",
                              0),
              0u)
        << fault.err;
    // The largest seed is taken: the run goes on to find no MIDI system.
    const CliRun largest = RunCli({"--seed", "18446744073709551615"}, simulator);
    EXPECT_EQ(largest.status, 1) << largest.err;
}

TEST(CliPorts, WithoutAMidiSystemOnlyTheSimulatorIsListedAndANoteSaysWhy) {
    const CliRun run = RunCli({"ports"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "in 0: QZ4 Simulator\nout 0: QZ4 Simulator\n");
    EXPECT_NE(run.err.find("note: "), std::string::npos) << run.err;
}

// A misspelt API is the user's mistake, not a missing MIDI system.
TEST(CliPorts, AnUnknownApiInTheVariableIsBadUsageOfPortsAndScanButNotOfDecode) {
    TempDir dir;
    WriteBytes(dir / "good.syx", {0xF0, 0x09, 0x15, 0x00, 0x0A, 0xF7});
    CliEnvironment misspelt;
    misspelt.set = {{"WINTESSELTEST_MIDI_API", "jakc"}};

    const CliRun ports = RunCli({"ports"}, misspelt);
    const CliRun scan = RunCli({"scan", "--ticks", "1", "--period", "5"}, misspelt);
    const CliRun decode = RunCli({"decode", "--stats", dir / "good.syx"}, misspelt);

    const std::string message =
        "wintesseltest-cli: unknown MIDI API 'jakc' in WINTESSELTEST_MIDI_API (known: ";
    EXPECT_EQ(ports.status, 2);
    EXPECT_EQ(ports.out, "");
    EXPECT_EQ(ports.err.rfind(message, 0), 0u) << ports.err;
    EXPECT_EQ(scan.status, 2);
    EXPECT_EQ(scan.out, "");
    EXPECT_EQ(scan.err.rfind(message, 0), 0u) << scan.err;
    EXPECT_EQ(decode.status, 0) << decode.err;
    EXPECT_EQ(decode.err, "");
}
