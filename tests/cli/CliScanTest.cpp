#include "CliProcess.h"
#include "GermanLocale.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdlib>

namespace {

const std::vector<std::string> kSimulatorPortLines = {
    "In Open QZ4 Simulator ",
    "Out Open QZ4 Simulator The operation completed successfully.",
    "In Close QZ4 Simulator ",
    "Out Close QZ4 Simulator The operation completed successfully.",
    "sysex Unprepare header function ",
};

// The lines from `first` on that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : Lines(text)) {
        if (line.rfind(prefix, 0) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

// The output after the Message log: what decoding the same bytes must give again.
std::string AfterLog(const std::string& out) {
    const size_t at = out.find("scanCount ");
    return at == std::string::npos ? std::string() : out.substr(at);
}

} // namespace

TEST(CliScan, SimulatorScanEndsWithOneScanPerTickAndThePortAndUnprepareLines) {
    const CliRun run =
        RunCli({"scan", "--ticks", "12", "--period", "5", "--sim-sensors", "30", "--state"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no progress line into a pipe
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), kSimulatorPortLines);
    EXPECT_EQ(lines[5], "scanCount 12");
    EXPECT_EQ(lines[6], "scanLength 30");
}

// A reader of the pipe has each log line the moment it is complete, the two-piece
// "Out Open" line included; SIGTERM then ends the long scan with what it gathered.
TEST(CliScan, LogLinesReachAPipeAsTheyCompleteAndSigtermEndsTheScanWithItsOutputs) {
    TempDir dir;
    LiveCli scan(
        {"scan", "--ticks", "100000", "--period", "2", "--stats", "--json", dir / "scan.json"});

    ASSERT_TRUE(scan.WaitForOutput(kSimulatorPortLines[1] + "\n")) << scan.SoFar().err;
    EXPECT_FALSE(scan.Exited()); // 200 s of scanning are still ahead
    scan.Signal(SIGTERM);
    const CliRun run = scan.Finish();

    EXPECT_EQ(run.status, 143);
    EXPECT_EQ(LinesStartingWith(run.out, "In Close"),
              std::vector<std::string>{kSimulatorPortLines[2]});
    EXPECT_EQ(LinesStartingWith(run.out, "Number Of Scans").size(), 1u) << run.out;
    EXPECT_NE(run.err.find("wintesseltest-cli: the scan was interrupted after "), std::string::npos)
        << run.err;
    EXPECT_EQ(nlohmann::json::parse(ReadBytes(dir / "scan.json"))["verdict"], "pass");
}

// Ctrl+C at a terminal: the progress shows on standard error, and what was gathered is
// still closed and written out; the status says it was interrupted.
TEST(CliScan, CtrlCAtATerminalKeepsWhatWasGatheredAndEndsWith130) {
    TempDir dir;
    LiveCli scan({"scan", "--ticks", "1000000", "--period", "2", "--sim-sensors", "30", "--json",
                  dir / "scan.json", "--report", dir / "scan.wtt"},
                 true);

    ASSERT_TRUE(scan.WaitForError("\r\x1b[Kwintesseltest-cli: scan: 1 of 1000000 ticks"))
        << scan.SoFar().err;
    // The line rewritten once more, some ticks on.
    ASSERT_TRUE(scan.WaitUntil([](const CliRun& run) {
        return run.err.find("scan: ", run.err.find(" 1 of 1000000")) != std::string::npos;
    })) << scan.SoFar().err;
    scan.Signal(SIGINT);
    const CliRun run = scan.Finish();

    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("\r\x1b[K"), std::string::npos); // the line is taken away
    const std::string said = "the scan was interrupted after ";
    const size_t at = run.err.find(said);
    ASSERT_NE(at, std::string::npos) << run.err;
    const int ticks = std::atoi(run.err.c_str() + at + said.size());
    EXPECT_GE(ticks, 2);
    EXPECT_NE(run.err.find(std::to_string(ticks) + " of 1000000 ticks"), std::string::npos);
    const nlohmann::json document = nlohmann::json::parse(ReadBytes(dir / "scan.json"));
    EXPECT_GE(document["scanCount"].get<int>(), ticks - 1);
    EXPECT_LE(document["scanCount"].get<int>(), ticks);
    EXPECT_FALSE(ReadBytes(dir / "scan.wtt").empty());
    EXPECT_EQ(LinesStartingWith(run.out, "Out Close"),
              std::vector<std::string>{kSimulatorPortLines[3]});
}

TEST(CliScan, CaptureDecodedAgainRebuildsStateStatisticsAndReport) {
    TempDir dir;
    const CliRun scan = RunCli({"scan", "--setup", "--ticks", "15", "--period", "5", "--capture",
                                dir / "session.syx", "--state", "--stats", "--histogram",
                                "--report", dir / "scan.wtt"});
    const CliRun decode = RunCli({"decode", "--setup", dir / "session.syx", "--state", "--stats",
                                  "--histogram", "--report", dir / "decode.wtt"});

    EXPECT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(decode.status, 0) << decode.err;
    EXPECT_EQ(LinesStartingWith(scan.out, "scanCount"), std::vector<std::string>{"scanCount 15"});
    EXPECT_EQ(LinesStartingWith(scan.out, "calibHigh 0 "), std::vector<std::string>{});
    EXPECT_EQ(decode.out, AfterLog(scan.out));
    EXPECT_EQ(ReadBytes(dir / "decode.wtt"), ReadBytes(dir / "scan.wtt"));
}

TEST(CliScan, BenchSessionWritesReportAndPictureWithoutADisplay) {
    TempDir dir;
    // A desktop's platform named in the environment, but no display: the picture is
    // painted off-screen all the same.
    const CliRun run =
        RunCli({"scan", "--setup", "--ticks", "50", "--period", "5", "--stats", "--report",
                "scan-report.wtt", "--png", "scan-view.png", "--size", "400x300"},
               {{{"QT_QPA_PLATFORM", "xcb"}}, {}, {}, {}, false}, dir / "");

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(LinesStartingWith(run.out, "Number Of Scans:"),
              std::vector<std::string>{"Number Of Scans:  50"});
    const std::string report = ReadBytes(dir / "scan-report.wtt");
    ASSERT_GT(report.size(), 3u);
    const size_t length = static_cast<uint8_t>(report[1]) | static_cast<uint8_t>(report[2]) << 8;
    EXPECT_EQ(report.substr(0, 1), "\xFF");
    EXPECT_EQ(length + 3, report.size());
    EXPECT_EQ(report.substr(3, 29), "\nTotal Number Of Samples 4400");

    const std::string png = ReadBytes(dir / "scan-view.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // IHDR: width and height, big-endian.
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x01\x90\0\0\x01\x2c", 8));
}

TEST(CliScan, OnAGermanDesktopStatsAreTheSameWithAPicture) {
    const GermanLocale& german = GermanLocale::Get();
    if (!german.Available()) {
        GTEST_SKIP() << german.Reason();
    }
    TempDir dir;
    CliEnvironment environment;
    environment.set = german.Environment();
    std::vector<std::string> args = {"scan", "--ticks",       "20", "--period",
                                     "5",    "--sim-sensors", "30", "--stats"};
    const CliRun plain = RunCli(args, environment);
    args.insert(args.end(), {"--png", dir / "scan.png"});
    const CliRun picture = RunCli(args, environment);

    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(picture.status, 0) << picture.err;
    const std::vector<std::string> stats = LinesStartingWith(plain.out, "Avg Deviation: ");
    ASSERT_EQ(stats.size(), 1u);
    // A figure with a fraction, so that its decimal mark shows.
    EXPECT_NE(stats[0].find('.'), std::string::npos) << stats[0];
    const size_t first = plain.out.find("Number Of Scans:");
    ASSERT_NE(first, std::string::npos);
    const size_t firstWithPicture = picture.out.find("Number Of Scans:");
    ASSERT_NE(firstWithPicture, std::string::npos);
    EXPECT_EQ(picture.out.substr(firstWithPicture), plain.out.substr(first));
}
