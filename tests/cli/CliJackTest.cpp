#include "CliProcess.h"
#include "Qz4SimProcess.h"

#include <gtest/gtest.h>

#include <regex>

// Run by tests/jack/with-jackd.sh, which starts a JACK server of its own; skipped
// without one.
TEST(CliAcrossJack, ScanOfQz4simAcrossJackDecodesEveryReply) {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    if (server == nullptr) {
        GTEST_SKIP() << "needs a JACK server: run under tests/jack/with-jackd.sh";
    }
    const std::string name = "wtcli" + std::to_string(getpid());
    Qz4SimProcess sim(name);
    ASSERT_TRUE(sim.Ready());

    const CliRun run = RunCli({"scan", "--in", name, "--out", name, "--setup", "--ticks", "10",
                               "--period", "100", "--state"},
                              {{{"JACK_DEFAULT_SERVER", server}}, {}, {}, {}, false});

    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 8u) << run.out;
    const std::string port = ".*" + name + ".*";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("In Open " + port + " "))) << lines[0];
    EXPECT_TRUE(std::regex_match(
        lines[1], std::regex("Out Open " + port + " The operation completed successfully.")))
        << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("In Close " + port + " "))) << lines[2];
    EXPECT_TRUE(std::regex_match(
        lines[3], std::regex("Out Close " + port + " The operation completed successfully.")))
        << lines[3];
    EXPECT_EQ(lines[4], "sysex Unprepare header function ");
    EXPECT_EQ(lines[5], "scanCount 10");
    EXPECT_EQ(lines[6], "scanLength 122");
    // Get Setup Information went across too: the calibration was copied.
    EXPECT_EQ(lines[10].rfind("calibHigh ", 0), 0u);
    EXPECT_EQ(lines[10].find("calibHigh 0 "), std::string::npos) << lines[10];
    EXPECT_EQ(sim.Stop(), 0);
}
