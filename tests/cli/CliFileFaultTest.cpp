// --report onto a file system that takes nothing more: the error is reported, the old
// report stays as it was, and nothing half-written is left beside it.

#include "CliProcess.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace {

enum class Fault { FullDisk, ReadOnly };

// A folder on a small file system of its own when mounting is allowed (as root), else
// a folder without write permission, which covers both faults the same way.
class UnwritableFolder {
public:
    UnwritableFolder(const std::string& path, Fault fault) : m_path(path) {
        mkdir(path.c_str(), 0700);
        m_mounted = geteuid() == 0 && mount("tmpfs", path.c_str(), "tmpfs", 0, "size=16k") == 0;
        m_fault = m_mounted ? fault : Fault::ReadOnly;
    }
    ~UnwritableFolder() {
        if (m_mounted) {
            umount2(m_path.c_str(), MNT_DETACH);
        } else {
            chmod(m_path.c_str(), 0700);
        }
    }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // Writes the old file, then takes away the room for anything else.
    void Seal(const std::string& oldFile, const std::string& bytes) {
        std::ofstream(oldFile, std::ios::binary) << bytes;
        if (!m_mounted) {
            chmod(m_path.c_str(), 0500);
        } else if (m_fault == Fault::ReadOnly) {
            mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        } else {
            std::ofstream filler(m_path + "/filler", std::ios::binary);
            const std::string block(1024, 'f');
            while (filler.write(block.data(), block.size()) && filler.flush()) {
            }
        }
    }
    Fault ActualFault() const { return m_fault; }

private:
    std::string m_path;
    bool m_mounted = false;
    Fault m_fault = Fault::ReadOnly;
};

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

TEST_P(CliReportFault, ReportsTheErrorWithStatus4AndLeavesTheOldReportWhole) {
    TempDir dir;
    const std::string folder = dir / "reports";
    const std::string path = folder + "/report.wtt";
    const std::string old(3000, 'o');
    UnwritableFolder unwritable(folder, GetParam());
    unwritable.Seal(path, old);

    const CliRun run =
        RunCli({"scan", "--ticks", "5", "--period", "5", "--state", "--report", path});

    EXPECT_EQ(run.status, 4);
    // A folder that takes no file is found out before the scan; a full disk only when
    // the report is written, after it.
    if (unwritable.ActualFault() == Fault::FullDisk) {
        EXPECT_EQ(run.err,
                  "wintesseltest-cli: can't write '" + path + "': No space left on device\n");
        std::vector<std::string> lines = Lines(run.out);
        ASSERT_EQ(lines.size(), kPortLines.size() + 7) << run.out; // and the --state lines
        EXPECT_EQ(lines[kPortLines.size()], "scanCount 5");
        lines.resize(kPortLines.size());
        EXPECT_EQ(lines, kPortLines);
    } else {
        EXPECT_EQ(run.err, "wintesseltest-cli: can't write '" + path + "': Existing file " + path +
                               " is not writable\n");
        EXPECT_EQ(Lines(run.out), kPortLines);
    }
    EXPECT_EQ(ReadBytes(path), old);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, unwritable.ActualFault() == Fault::FullDisk
                         ? (std::vector<std::string>{"filler", "report.wtt"})
                         : std::vector<std::string>{"report.wtt"});
}

// Both at the end of the scan: the report can't be written and a limit is exceeded. The
// file error wins, its message and the limit's both show, and nothing is left behind.
TEST(CliReportFaultAndLimit, AFullDiskAndAnExceededLimitEndWithStatus4AndNoFileLeft) {
    TempDir dir;
    const std::string folder = dir / "reports";
    const std::string path = folder + "/report.wtt";
    UnwritableFolder unwritable(folder, Fault::FullDisk);
    if (unwritable.ActualFault() != Fault::FullDisk) {
        GTEST_SKIP() << "a full file system needs a tmpfs mount, which this user may not make";
    }
    unwritable.Seal(path, "old");

    const CliRun run =
        RunCli({"scan", "--ticks", "5", "--period", "5", "--max-swing", "0", "--report", path});

    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("can't write '" + path + "'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Max Deviation Swing: "), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(path), "old");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "report.wtt"}));
}

INSTANTIATE_TEST_SUITE_P(OntoAFolder, CliReportFault,
                         ::testing::Values(Fault::FullDisk, Fault::ReadOnly),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return info.param == Fault::FullDisk ? std::string("FullDisk")
                                                                  : std::string("ReadOnly");
                         });

} // namespace
