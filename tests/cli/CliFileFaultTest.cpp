// The runner's files when things go wrong: a file system that takes nothing more, two
// outputs or an output and an input that are one file, inputs that are streams, a
// standard output that fails, names that are not UTF-8.

#include "CliProcess.h"
#include "SysexFeed.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Fault { FullDisk, ReadOnly };

bool WriteWhole(const char* path, const std::string& text) {
    std::ofstream file(path);
    return static_cast<bool>(file << text << std::flush);
}

// Small file systems of the tests' own need the right to mount. The test process moves
// into a mount namespace of its own: as root where it may, else inside a user namespace
// in which it is root. Its mounts are then seen by it and by the programs it starts,
// and by nobody else. Empty when that worked, else why it didn't.
std::string EnterPrivateMounts() {
    static const std::string why = []() -> std::string {
        if (unshare(CLONE_NEWNS) != 0) {
            const uid_t uid = getuid();
            const gid_t gid = getgid();
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                return std::string("neither mount rights nor a user namespace: ") +
                       std::strerror(errno);
            }
            if (!WriteWhole("/proc/self/setgroups", "deny") ||
                !WriteWhole("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                !WriteWhole("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
                return "the user namespace's identity maps could not be written";
            }
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return std::string("the mounts could not be made private: ") + std::strerror(errno);
        }
        return "";
    }();
    return why;
}

// A folder on a 16 KiB file system of its own, made full or read-only once sealed.
class UnwritableFolder {
public:
    UnwritableFolder(const std::string& path, Fault fault) : m_path(path), m_fault(fault) {
        mkdir(path.c_str(), 0700);
        m_mounted = mount("tmpfs", path.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~UnwritableFolder() {
        if (m_mounted) {
            umount2(m_path.c_str(), MNT_DETACH);
        }
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    bool Mounted() const { return m_mounted; }

    // Writes the old file, then takes away the room for anything else.
    void Seal(const std::string& oldFile, const std::string& bytes) {
        std::ofstream(oldFile, std::ios::binary) << bytes;
        if (m_fault == Fault::ReadOnly) {
            mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        } else {
            std::ofstream filler(m_path + "/filler", std::ios::binary);
            const std::string block(1024, 'f');
            while (filler.write(block.data(), block.size()) && filler.flush()) {
            }
        }
    }

private:
    std::string m_path;
    Fault m_fault;
    bool m_mounted = false;
};

std::vector<std::string> ProgramMessages(const std::string& err) {
    std::vector<std::string> messages;
    for (const std::string& line : Lines(err)) {
        if (line.rfind("wintesseltest-cli: ", 0) == 0) {
            messages.push_back(line);
        }
    }
    return messages;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void PrintTo(Fault fault, std::ostream* out) {
    *out << (fault == Fault::FullDisk ? "FullDisk" : "ReadOnly");
}

const std::vector<std::string> kPortLines = {
    "In Open QZ4 Simulator ",
    "Out Open QZ4 Simulator The operation completed successfully.",
    "In Close QZ4 Simulator ",
    "Out Close QZ4 Simulator The operation completed successfully.",
    "sysex Unprepare header function ",
};

class CliReportFault : public ::testing::TestWithParam<Fault> {};

#define SKIP_WITHOUT_PRIVATE_MOUNTS()                                                              \
    if (const std::string why = EnterPrivateMounts(); !why.empty()) {                              \
        GTEST_SKIP() << "a small file system of the test's own can't be mounted here: " << why;    \
    }

TEST_P(CliReportFault, ReportsTheErrorWithStatus4AndLeavesTheOldReportWhole) {
    SKIP_WITHOUT_PRIVATE_MOUNTS();
    TempDir dir;
    const std::string folder = dir / "reports";
    const std::string path = folder + "/report.wtt";
    const std::string old(3000, 'o');
    UnwritableFolder unwritable(folder, GetParam());
    ASSERT_TRUE(unwritable.Mounted());
    unwritable.Seal(path, old);

    const CliRun run =
        RunCli({"scan", "--ticks", "5", "--period", "5", "--state", "--report", path});

    EXPECT_EQ(run.status, 4);
    // One message of the program's: its words, then the system's reason, whose wording
    // is not ours to test (a MIDI library may add lines of its own).
    const std::vector<std::string> ours = ProgramMessages(run.err);
    ASSERT_EQ(ours.size(), 1u) << run.err;
    EXPECT_EQ(ours[0].rfind("wintesseltest-cli: can't write '" + path + "': ", 0), 0u) << run.err;
    // A folder that takes no file is found out before the scan; a full disk only when
    // the report is written, after it.
    std::vector<std::string> lines = Lines(run.out);
    if (GetParam() == Fault::FullDisk) {
        ASSERT_EQ(lines.size(), kPortLines.size() + 7) << run.out; // and the --state lines
        EXPECT_EQ(lines[kPortLines.size()], "scanCount 5");
        lines.resize(kPortLines.size());
    }
    EXPECT_EQ(lines, kPortLines);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(NamesIn(folder), GetParam() == Fault::FullDisk
                                   ? (std::vector<std::string>{"filler", "report.wtt"})
                                   : std::vector<std::string>{"report.wtt"});
}

// Both at the end of the scan: the report can't be written and a limit is exceeded. The
// file error wins, its message and the limit's both show, and nothing is left behind.
TEST(CliReportFaultAndLimit, AFullDiskAndAnExceededLimitEndWithStatus4AndNoFileLeft) {
    SKIP_WITHOUT_PRIVATE_MOUNTS();
    TempDir dir;
    const std::string folder = dir / "reports";
    const std::string path = folder + "/report.wtt";
    UnwritableFolder unwritable(folder, Fault::FullDisk);
    ASSERT_TRUE(unwritable.Mounted());
    unwritable.Seal(path, "old");

    const CliRun run =
        RunCli({"scan", "--ticks", "5", "--period", "5", "--max-swing", "0", "--report", path});

    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("wintesseltest-cli: can't write '" + path + "': "), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Max Deviation Swing: "), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{"filler", "report.wtt"}));
}

INSTANTIATE_TEST_SUITE_P(OntoAFolder, CliReportFault,
                         ::testing::Values(Fault::FullDisk, Fault::ReadOnly),
                         [](const ::testing::TestParamInfo<Fault>& testCase) {
                             return testCase.param == Fault::FullDisk ? std::string("FullDisk")
                                                                      : std::string("ReadOnly");
                         });

TEST(CliFiles, OutputsThatAreOneFileOrAnInputAreRefusedBeforeAnyWork) {
    TempDir dir;
    WriteBytes(dir / "in.syx", {0xF0, 0x09, 0x15, 0x00, 0x0A, 0xF7});
    const std::string input = dir / "in.syx";
    // Another name of the input, found out by device and inode.
    const std::string spelledOtherwise = dir / "alias.syx";
    ASSERT_EQ(symlink(input.c_str(), spelledOtherwise.c_str()), 0);

    const CliRun twice = RunCli(
        {"scan", "--ticks", "1", "--period", "5", "--report", dir / "out", "--png", dir / "./out"});
    const CliRun overInput = RunCli({"decode", "--report", spelledOtherwise, input});
    const CliRun captureOverJson =
        RunCli({"scan", "--ticks", "1", "--json", dir / "x", "--capture", dir / "x"});

    EXPECT_EQ(twice.status, 2);
    EXPECT_EQ(twice.err,
              "wintesseltest-cli: --report and --png name one file: '" + dir / "./out" + "'\n");
    EXPECT_EQ(overInput.status, 2);
    EXPECT_EQ(overInput.err, "wintesseltest-cli: --report '" + spelledOtherwise +
                                 "' would replace the input '" + input + "'\n");
    EXPECT_EQ(captureOverJson.status, 2);

    // `decode - --report in.syx < in.syx`: standard input is the file it is.
    CliEnvironment fromInput;
    fromInput.stdinPath = input;
    const CliRun overStandardInput = RunCli({"decode", "--report", input, "-"}, fromInput);
    EXPECT_EQ(overStandardInput.status, 2);
    EXPECT_EQ(overStandardInput.err,
              "wintesseltest-cli: --report '" + input + "' would replace the input '-'\n");

    // Two new files, one named through a link to their folder.
    ASSERT_EQ(symlink(dir.Path().c_str(), (dir / "here").c_str()), 0);
    const CliRun throughLink =
        RunCli({"decode", input, "--report", dir / "new.wtt", "--json", dir / "here/new.wtt"});
    EXPECT_EQ(throughLink.status, 2) << throughLink.err;

    // The usual way to throw outputs away.
    const CliRun discarded = RunCli(
        {"decode", input, "--report", "/dev/null", "--png", "/dev/null", "--json", "/dev/null"});
    EXPECT_EQ(discarded.status, 0) << discarded.err;

    EXPECT_EQ(ReadBytes(input), std::string("\xF0\x09\x15\x00\x0A\xF7", 6));
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"alias.syx", "here", "in.syx"}));
}

// What the shell set up is the user's: `>> history.log` is added to, `>&-` is an error
// that no file of the program's can take the place of.
TEST(CliFiles, TheShellsDescriptorsAreWrittenThroughAndAClosedOneIsAnError) {
    TempDir dir;
    const std::string capture = dir / "capture.syx";
    WriteBytes(capture, Concat({ScanFrame({10}), ScanFrame({11}), ScanFrame({9})}));
    const CliRun plain = RunCli({"decode", capture, "--stats", "--report", dir / "plain.wtt"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string report = ReadBytes(dir / "plain.wtt");
    ASSERT_FALSE(report.empty());

    for (const std::string name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        const std::string history = dir / "history.log";
        std::ofstream(history, std::ios::binary) << "an earlier run\n";
        CliEnvironment append;
        append.stdoutPath = history;
        append.stdoutAppend = true;
        const CliRun run = RunCli({"decode", capture, "--stats", "--report", name}, append);
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_EQ(ReadBytes(history), "an earlier run\n" + plain.out + report) << name;
    }

    CliEnvironment into;
    into.stdoutPath = dir / "out.json";
    std::ofstream(into.stdoutPath) << "";
    const CliRun json = RunCli({"decode", capture, "--json", "/dev/stdout", "--stats"}, into);
    EXPECT_EQ(json.status, 0) << json.err;
    const std::string written = ReadBytes(into.stdoutPath);
    ASSERT_EQ(written.rfind(plain.out, 0), 0u) << written; // the log and figures first
    EXPECT_EQ(written.substr(plain.out.size()).rfind("{\n  \"format\"", 0), 0u) << written;

    CliEnvironment closed;
    closed.stdoutClosedAtStart = true;
    const CliRun withoutOutput =
        RunCli({"decode", capture, "--stats", "--report", dir / "closed.wtt"}, closed);
    EXPECT_EQ(withoutOutput.status, 4);
    EXPECT_EQ(withoutOutput.err, "wintesseltest-cli: can't write standard output: " +
                                     std::string(std::strerror(EBADF)) + "\n");
    EXPECT_EQ(ReadBytes(dir / "closed.wtt"), report);

    // While it runs, descriptor 1 is /dev/null, which no file of the program's or of a
    // MIDI library's can take from it.
    LiveCli scan({"scan", "--ticks", "100000", "--period", "2"}, true, closed);
    ASSERT_TRUE(scan.WaitForError(" 1 of 100000 ticks")) << scan.SoFar().err;
    EXPECT_EQ(std::filesystem::read_symlink("/proc/" + std::to_string(scan.Pid()) + "/fd/1"),
              "/dev/null");
    scan.Signal(SIGINT);
    EXPECT_EQ(scan.Finish().status, 130);
}

TEST(CliFiles, DecodeReadsAFifoAndStandardInputAsStreams) {
    TempDir dir;
    const Bytes capture = Concat({ScanFrame({10}), ScanFrame({11}), ScanFrame({9})});
    WriteBytes(dir / "capture.syx", capture);
    const CliRun fromFile = RunCli({"decode", "--state", dir / "capture.syx"});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;

    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { WriteBytes(fifo, capture); });
    const CliRun fromFifo = RunCli({"decode", "--state", fifo});
    writer.join();

    CliEnvironment standardInput;
    standardInput.stdinPath = dir / "capture.syx";
    const CliRun fromStdin = RunCli({"decode", "--state", "-"}, standardInput);

    EXPECT_EQ(fromFifo.status, 0) << fromFifo.err;
    EXPECT_EQ(fromFifo.out, fromFile.out);
    EXPECT_EQ(fromStdin.status, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, fromFile.out);

    // More inputs than the program may hold open at once: one is open at a time.
    std::vector<std::string> many{"decode", "--stats"};
    for (int i = 0; i < 100; ++i) {
        const std::string path = dir / ("part" + std::to_string(i) + ".syx");
        WriteBytes(path, ScanFrame({static_cast<uint8_t>(i % 3 + 9)}));
        many.push_back(path);
    }
    CliEnvironment fewFiles;
    fewFiles.openFiles = 40;
    const CliRun manyInputs = RunCli(many, fewFiles);
    EXPECT_EQ(manyInputs.status, 0) << manyInputs.err;
    EXPECT_NE(manyInputs.out.find("Number Of Scans: 100"), std::string::npos) << manyInputs.out;
}

TEST(CliFiles, AStandardOutputThatFailsIsAnErrorAndAClosedPipeEndsQuietly) {
    TempDir dir;
    WriteBytes(dir / "capture.syx", Concat({ScanFrame({10}), ScanFrame({11})}));
    CliEnvironment full;
    full.stdoutPath = "/dev/full";
    CliEnvironment closed;
    closed.stdoutClosed = true;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"decode", "--state", "--stats", dir / "capture.syx"},
          std::vector<std::string>{"ports"}, std::vector<std::string>{"--help"}}) {
        const CliRun run = RunCli(args, full);
        EXPECT_EQ(run.status, 4) << args[0];
        EXPECT_EQ(ProgramMessages(run.err).back(),
                  "wintesseltest-cli: can't write standard output: " +
                      std::string(std::strerror(ENOSPC)))
            << args[0];
    }
    const CliRun run = RunCli({"decode", "--state", "--stats", dir / "capture.syx"}, closed);
    EXPECT_EQ(run.signal, SIGPIPE);
    EXPECT_EQ(run.err, "");
}

TEST(CliFiles, NamesThatAreNotUtf8AreUsedAsGiven) {
    TempDir dir;
    const std::string input = dir / "in\xff.syx";
    const std::string report = dir / "out\xff.wtt";
    WriteBytes(input, Concat({ScanFrame({10}), ScanFrame({12})}));

    const CliRun run = RunCli({"decode", "--report", report, input});

    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"in\xff.syx", "out\xff.wtt"}));
}

} // namespace
