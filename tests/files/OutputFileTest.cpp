// Where an output's bytes go, and what becomes of what was there.

#include "files/OutputFile.h"
#include "files/FilePaths.h"
#include "files/InputFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

class Folder {
public:
    explicit Folder(mode_t mode = 0700) {
        std::string pattern = (std::filesystem::temp_directory_path() / "wt-files-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
        chmod(m_path.c_str(), mode);
    }
    ~Folder() { std::filesystem::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }
    size_t Count() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::string m_path;
};

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void Write(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << bytes;
    chmod(path.c_str(), mode);
}

struct stat StatusOf(const std::string& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return status;
}

bool Root() {
    return geteuid() == 0;
}

TEST(OutputFile, ANewFileOrTheUsersOwnIsReplacedWholeAndKeepsItsBits) {
    Folder folder;
    std::string error;
    ASSERT_TRUE(WriteOutputFile(folder / "new.wtt", "fresh", &error)) << error;
    EXPECT_EQ(Read(folder / "new.wtt"), "fresh");

    Write(folder / "kept.wtt", "old", 0640);
    const ino_t before = StatusOf(folder / "kept.wtt").st_ino;
    ASSERT_TRUE(WriteOutputFile(folder / "kept.wtt", "new", &error)) << error;
    EXPECT_EQ(Read(folder / "kept.wtt"), "new");
    EXPECT_EQ(StatusOf(folder / "kept.wtt").st_mode & 07777, 0640u);
    EXPECT_NE(StatusOf(folder / "kept.wtt").st_ino, before); // replaced, not rewritten

    // Read-only: root may replace it, and it stays read-only; others may not.
    Write(folder / "read-only.wtt", "old", 0444);
    EXPECT_EQ(WriteOutputFile(folder / "read-only.wtt", "new", &error), Root()) << error;
    EXPECT_EQ(Read(folder / "read-only.wtt"), Root() ? "new" : "old");
    EXPECT_EQ(StatusOf(folder / "read-only.wtt").st_mode & 07777, 0444u);

    // Paths are bytes: a name that is not UTF-8 is kept as it is.
    const std::string latin1 = folder / "r\xe9sum\xe9.wtt";
    ASSERT_TRUE(WriteOutputFile(latin1, "bytes", &error)) << error;
    EXPECT_EQ(Read(latin1), "bytes");

    // A name as long as names go, made and then replaced.
    const std::string longest = folder / std::string(255, 'n');
    ASSERT_TRUE(WriteOutputFile(longest, "first", &error)) << error;
    ASSERT_TRUE(WriteOutputFile(longest, "second", &error)) << error;
    EXPECT_EQ(Read(longest), "second");
    EXPECT_EQ(folder.Count(), 5u); // no temporary file left beside them

    if (Root()) {
        // A shared report keeps the group it was given, and its set-group-id bit.
        const std::string shared = folder / "shared.wtt";
        Write(shared, "old");
        ASSERT_EQ(chown(shared.c_str(), 0, kNobody), 0);
        ASSERT_EQ(chmod(shared.c_str(), 02664), 0);
        ASSERT_TRUE(WriteOutputFile(shared, "new", &error)) << error;
        EXPECT_EQ(Read(shared), "new");
        EXPECT_EQ(StatusOf(shared).st_gid, kNobody);
        EXPECT_EQ(StatusOf(shared).st_mode & 07777, 02664u);
    }
}

// Standard output pointed at a file for the length of a test.
class StandardOutputInto {
public:
    explicit StandardOutputInto(const std::string& path)
        : m_saved((std::fflush(stdout), dup(STDOUT_FILENO))) {
        const int file = open(path.c_str(), O_WRONLY | O_APPEND);
        dup2(file, STDOUT_FILENO);
        close(file);
    }
    ~StandardOutputInto() {
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
    StandardOutputInto(const StandardOutputInto&) = delete;
    StandardOutputInto& operator=(const StandardOutputInto&) = delete;

private:
    int m_saved;
};

struct DescriptorCase {
    const char* name;
    std::string (*output)(const std::string& history); // the name the output is given
};

class OutputFileOnStandardOutput : public ::testing::TestWithParam<DescriptorCase> {};

// `... --report /dev/stdout >> history.log`: the shell's file is added to, in order
// with what the program printed, never replaced.
TEST_P(OutputFileOnStandardOutput, IsWrittenThroughTheDescriptorAfterWhatWasPrinted) {
    Folder folder;
    const std::string history = folder / "history.log";
    Write(history, "kept\n");
    ASSERT_EQ(symlink(history.c_str(), (folder / "link").c_str()), 0);
    const ino_t inode = StatusOf(history).st_ino;
    std::string error;
    bool written = false;
    {
        StandardOutputInto redirected(history);
        std::fputs("printed\n", stdout); // still in the stream's buffer
        written = WriteOutputFile(GetParam().output(history), "report\n", &error);
    }
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(Read(history), "kept\nprinted\nreport\n");
    EXPECT_EQ(StatusOf(history).st_ino, inode);
    EXPECT_EQ(folder.Count(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OutputFileOnStandardOutput,
    ::testing::Values(
        DescriptorCase{"DevStdout", [](const std::string&) { return std::string("/dev/stdout"); }},
        DescriptorCase{"DevFd1", [](const std::string&) { return std::string("/dev/fd/1"); }},
        DescriptorCase{"ProcSelfFd1",
                       [](const std::string&) { return std::string("/proc/self/fd/1"); }},
        DescriptorCase{
            "ProcPidFd1",
            [](const std::string&) { return "/proc/" + std::to_string(getpid()) + "/fd/1"; }},
        DescriptorCase{"TheFileItself", [](const std::string& history) { return history; }},
        DescriptorCase{"ALinkToTheFile",
                       [](const std::string& history) {
                           return history.substr(0, history.rfind('/')) + "/link";
                       }}),
    [](const ::testing::TestParamInfo<DescriptorCase>& testCase) { return testCase.param.name; });

// A write killed at any moment leaves the old file or the new one, and nothing beside.
TEST(OutputFile, AWriteKilledAnywhereLeavesNoTemporaryFile) {
    Folder folder;
    const std::string target = folder / "big.wtt";
    Write(target, "old");
    const std::string bytes(4 << 20, 'b');
    for (int round = 0; round < 5; ++round) {
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(started[0]);
            std::string error;
            for (int i = 0;; ++i) {
                WriteOutputFile(target, bytes, &error);
                if (i == 0) {
                    [[maybe_unused]] const ssize_t told = write(started[1], "", 1);
                }
            }
        }
        close(started[1]);
        char told = 0;
        ASSERT_EQ(read(started[0], &told, 1), 1); // one whole write is done
        close(started[0]);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(folder.Count(), 1u) << "round " << round;
        EXPECT_EQ(Read(target), bytes);
    }
}

TEST(OutputFile, AFailureSaysWhichPathAndLeavesNothing) {
    Folder folder;
    std::string error;
    const std::string missing = folder / "no/such/folder/out.wtt";

    EXPECT_FALSE(CanWriteOutputFile(missing, &error));
    EXPECT_EQ(error.rfind("can't write '" + missing + "': ", 0), 0u) << error;
    error.clear();
    EXPECT_FALSE(WriteOutputFile(missing, "bytes", &error));
    EXPECT_EQ(error.rfind("can't write '" + missing + "': ", 0), 0u) << error;
    EXPECT_FALSE(CanWriteOutputFile(folder.Path(), &error)); // a folder
    EXPECT_EQ(folder.Count(), 0u);

    // A relative name in a working folder that was removed is no name in the root.
    const std::filesystem::path working = std::filesystem::current_path();
    {
        Folder removed;
        ASSERT_EQ(chdir(removed.Path().c_str()), 0);
    }
    EXPECT_FALSE(WriteOutputFile("wt-orphan.wtt", "bytes", &error));
    EXPECT_FALSE(std::filesystem::exists("/wt-orphan.wtt"));
    std::filesystem::current_path(working);
}

TEST(OutputFile, AFifoOrADeviceIsWrittenInPlaceNeverReplaced) {
    Folder folder;
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string error;

    EXPECT_TRUE(CanWriteOutputFile(fifo, &error)) << error;
    ASSERT_TRUE(WriteOutputFile(fifo, "through the pipe", &error)) << error;

    char received[64] = {};
    EXPECT_EQ(read(reader, received, sizeof received), 16);
    EXPECT_STREQ(received, "through the pipe");
    close(reader);
    EXPECT_TRUE(S_ISFIFO(StatusOf(fifo).st_mode));

    // A twin of /dev/null where devices can be made.
    const std::string device = folder / "null";
    const bool devicesCanBeMade = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (devicesCanBeMade) {
        ASSERT_TRUE(WriteOutputFile(device, "gone", &error)) << error;
        EXPECT_TRUE(S_ISCHR(StatusOf(device).st_mode));
        EXPECT_EQ(StatusOf(device).st_rdev, makedev(1, 3));
    }
    EXPECT_EQ(folder.Count(), devicesCanBeMade ? 2u : 1u);
}

TEST(OutputFile, AnotherUsersFileIsWrittenInPlaceAndStaysTheirs) {
    if (!Root()) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    Folder folder;
    const std::string theirs = folder / "theirs.wtt";
    Write(theirs, "their old text", 0664);
    ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
    const ino_t inode = StatusOf(theirs).st_ino;
    std::string error;

    ASSERT_TRUE(WriteOutputFile(theirs, "new", &error)) << error;

    EXPECT_EQ(Read(theirs), "new");
    EXPECT_EQ(StatusOf(theirs).st_ino, inode);
    EXPECT_EQ(StatusOf(theirs).st_uid, kNobody);
    EXPECT_EQ(StatusOf(theirs).st_mode & 07777, 0664u);
}

// As the kernel's protected-symlinks rule: in a sticky folder that all may write (as
// /tmp), a link that another user planted is not followed.
TEST(OutputFile, ALinkIsFollowedOnlyWhereTheKernelWouldFollowIt) {
    Folder victimFolder;
    const std::string victim = victimFolder / "victim";
    Write(victim, "precious", 0644);
    std::string error;

    Folder own;
    ASSERT_EQ(symlink(victim.c_str(), (own / "mine").c_str()), 0);
    ASSERT_TRUE(WriteOutputFile(own / "mine", "through my link", &error)) << error;
    EXPECT_EQ(Read(victim), "through my link");
    EXPECT_TRUE(S_ISLNK(StatusOf(own / "mine").st_mode)); // the link itself stays

    if (!Root()) {
        GTEST_SKIP() << "a link of another user's needs root to plant";
    }
    Write(victim, "precious", 0644);
    Folder shared(01777);
    const std::string planted = shared / "report.wtt";
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    ASSERT_EQ(lchown(planted.c_str(), kNobody, kNobody), 0);

    EXPECT_FALSE(CanWriteOutputFile(planted, &error));
    EXPECT_EQ(error.rfind("can't write '" + planted + "': a symbolic link", 0), 0u) << error;
    EXPECT_FALSE(WriteOutputFile(planted, "attack", &error));
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_TRUE(S_ISLNK(StatusOf(planted).st_mode));

    // Nor is a planted link to a folder followed on the way to the file.
    Folder victims(0755);
    Write(victims / "v.txt", "precious");
    const std::string plantedFolder = shared / "ld";
    ASSERT_EQ(symlink(victims.Path().c_str(), plantedFolder.c_str()), 0);
    ASSERT_EQ(lchown(plantedFolder.c_str(), kNobody, kNobody), 0);
    EXPECT_FALSE(CanWriteOutputFile(plantedFolder + "/v.txt", &error));
    EXPECT_FALSE(WriteOutputFile(plantedFolder + "/v.txt", "attack", &error));
    EXPECT_NE(error.find("is not followed"), std::string::npos) << error;
    EXPECT_FALSE(WriteOutputFile(plantedFolder + "/../x/../ld/new.txt", "attack", &error));
    EXPECT_EQ(Read(victims / "v.txt"), "precious");
    EXPECT_EQ(victims.Count(), 1u);

    // The same link in a folder that is not shared is the folder owner's business.
    Folder unshared(0755);
    const std::string other = unshared / "report.wtt";
    ASSERT_EQ(symlink(victim.c_str(), other.c_str()), 0);
    ASSERT_EQ(lchown(other.c_str(), kNobody, kNobody), 0);
    ASSERT_TRUE(WriteOutputFile(other, "followed", &error)) << error;
    EXPECT_EQ(Read(victim), "followed");
}

TEST(InputFile, ReadsInWholeEventsFromAFileOrAFifo) {
    Folder folder;
    Write(folder / "capture.syx", std::string(1100, 'x'));
    InputFile input;
    std::string error;
    ASSERT_TRUE(input.Open(folder / "capture.syx", &error)) << error;
    unsigned char event[512];
    EXPECT_EQ(input.Read(event, sizeof event, &error), 512);
    EXPECT_EQ(input.Read(event, sizeof event, &error), 512);
    EXPECT_EQ(input.Read(event, sizeof event, &error), 76);
    EXPECT_EQ(input.Read(event, sizeof event, &error), 0);

    InputFile missing;
    EXPECT_FALSE(missing.Open(folder / "missing.syx", &error));
    EXPECT_EQ(error.rfind("can't read '" + folder / "missing.syx" + "': ", 0), 0u) << error;
    EXPECT_FALSE(InputFile().Open(folder.Path(), &error));

    EXPECT_TRUE(SamePlace(folder / "capture.syx",
                          folder / "../" +
                              std::filesystem::path(folder.Path()).filename().string() +
                              "/capture.syx"));
    EXPECT_TRUE(SamePlace(folder / "a/../new.wtt", folder / "new.wtt"));
    EXPECT_FALSE(SamePlace(folder / "capture.syx", folder / "other.syx"));
    // Two new files, one named through a link to its folder.
    ASSERT_EQ(symlink(folder.Path().c_str(), (folder / "here").c_str()), 0);
    EXPECT_TRUE(SamePlace(folder / "here/new.wtt", folder / "new.wtt"));
    // A device takes any number of outputs.
    EXPECT_FALSE(SamePlace("/dev/null", "/dev/null"));

    EXPECT_TRUE(CanReadInputFile(folder / "capture.syx", &error)) << error;
    EXPECT_TRUE(CanReadInputFile("-", &error)) << error;
    EXPECT_FALSE(CanReadInputFile(folder / "missing.syx", &error));
    EXPECT_FALSE(CanReadInputFile(folder.Path(), &error));
}

} // namespace
