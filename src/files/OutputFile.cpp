#include "files/OutputFile.h"

#include "files/FilePaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

// The name of the temporary file that exists while a replacement is under way, for a
// signal handler to remove: a fixed buffer, since the handler may not allocate.
char PendingTemporary[PATH_MAX + 1];
volatile sig_atomic_t TemporaryPending = 0;

void SetPendingTemporary(const std::string& path) {
    if (path.size() < sizeof PendingTemporary) {
        std::memcpy(PendingTemporary, path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        TemporaryPending = 1;
    }
}

void ClearPendingTemporary() {
    TemporaryPending = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

std::string Describe(const std::string& path, const std::string& why) {
    return "can't write '" + path + "': " + why;
}

std::string FolderOf(const std::string& resolved) {
    const size_t slash = resolved.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : resolved.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        written += static_cast<size_t>(count);
    }
    return true;
}

bool IsOwnRegularFile(const ResolvedPath& target) {
    return target.kind == ResolvedPath::Kind::Existing && S_ISREG(target.status.st_mode) &&
           target.status.st_uid == geteuid();
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The new file's bytes and its metadata: the group first, since giving a file a group
// clears its set-id bits.
bool Fill(int fd, const ResolvedPath& target, std::string_view bytes) {
    const bool exists = target.kind == ResolvedPath::Kind::Existing;
    if (exists) {
        // Only a member of the group (or root) may give it; otherwise the file takes
        // the user's group, as a copy would.
        [[maybe_unused]] const int ignored =
            fchown(fd, static_cast<uid_t>(-1), target.status.st_gid);
    }
    const mode_t mode = exists ? target.status.st_mode & 07777 : NewFileMode();
    return fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
}

std::string RandomTemporaryName(const std::string& folder) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<size_t> letter(0, sizeof kLetters - 2);
    std::string name = (folder == "/" ? "" : folder) + "/.wt-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[letter(random)];
    }
    return name;
}

// Gives an unnamed file a name; fails with EEXIST when the name is taken.
bool LinkUnnamed(int fd, const std::string& name) {
    if (linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true; // allowed with CAP_DAC_READ_SEARCH
    }
    if (errno == EEXIST) {
        return false;
    }
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

enum class Step { Done, Failed, Unsupported };

// The unnamed way: nothing has a name until the bytes are all on disk. A new file takes
// its name at once; a replacement goes through a temporary name and a rename.
Step ReplaceThroughUnnamedFile(const std::string& path, const ResolvedPath& target,
                               std::string_view bytes, std::string* error) {
    const std::string folder = FolderOf(target.path);
    const int fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Step::Unsupported;
    }
    if (!Fill(fd, target, bytes)) {
        *error = Describe(path, std::strerror(errno));
        close(fd);
        return Step::Failed;
    }
    if (target.kind == ResolvedPath::Kind::Missing && LinkUnnamed(fd, target.path)) {
        close(fd);
        return Step::Done;
    }
    std::string temporary;
    int linkError = EEXIST;
    for (int attempt = 0; attempt < 100 && linkError == EEXIST; ++attempt) {
        temporary = RandomTemporaryName(folder);
        linkError = LinkUnnamed(fd, temporary) ? 0 : errno;
    }
    close(fd);
    if (linkError == EEXIST) {
        *error = Describe(path, std::strerror(EEXIST));
        return Step::Failed;
    }
    if (linkError != 0) {
        return Step::Unsupported; // no way to name it: nothing was made
    }
    SetPendingTemporary(temporary);
    const bool renamed = rename(temporary.c_str(), target.path.c_str()) == 0;
    const int renameError = errno;
    if (!renamed) {
        unlink(temporary.c_str());
    }
    ClearPendingTemporary();
    if (!renamed) {
        *error = Describe(path, std::strerror(renameError));
        return Step::Failed;
    }
    return Step::Done;
}

// Where unnamed files can't be made (or named): a named temporary file from the start,
// removed on failure or by a signal handler.
bool ReplaceThroughNamedFile(const std::string& path, const ResolvedPath& target,
                             std::string_view bytes, std::string* error) {
    // A short name of its own: the target's name may already be as long as names go.
    std::string temporary = FolderOf(target.path);
    temporary += temporary == "/" ? ".wt-XXXXXX" : "/.wt-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    SetPendingTemporary(temporary);
    const bool filled = Fill(fd, target, bytes);
    const int fillError = errno;
    const bool closed = close(fd) == 0;
    const int closeError = errno;
    const bool renamed = filled && closed && rename(temporary.c_str(), target.path.c_str()) == 0;
    const int renameError = errno;
    if (!renamed) {
        unlink(temporary.c_str());
    }
    ClearPendingTemporary();
    if (!renamed) {
        *error = Describe(path, std::strerror(!filled   ? fillError
                                              : !closed ? closeError
                                                        : renameError));
    }
    return renamed;
}

bool ReplaceWhole(const std::string& path, const ResolvedPath& target, std::string_view bytes,
                  std::string* error) {
    if (target.kind == ResolvedPath::Kind::Existing && access(target.path.c_str(), W_OK) != 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    switch (ReplaceThroughUnnamedFile(path, target, bytes, error)) {
    case Step::Done:
        return true;
    case Step::Failed:
        return false;
    case Step::Unsupported:
        break;
    }
    return ReplaceThroughNamedFile(path, target, bytes, error);
}

bool WriteInPlace(const std::string& path, const ResolvedPath& target, std::string_view bytes,
                  std::string* error) {
    // Another process's descriptor is opened through the kernel's own link to it, and
    // added to rather than emptied, as writing through the descriptor would.
    const bool opened = target.kind == ResolvedPath::Kind::Opened;
    const bool truncate = !opened && S_ISREG(target.status.st_mode);
    const int fd =
        open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC |
                                      (opened ? O_APPEND : O_NOFOLLOW) | (truncate ? O_TRUNC : 0));
    if (fd < 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    const bool written = WriteAll(fd, bytes);
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
        *error = Describe(path, std::strerror(written ? errno : writeError));
        return false;
    }
    return true;
}

bool DescriptorWritable(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

bool WriteThroughDescriptor(const std::string& path, int descriptor, std::string_view bytes,
                            std::string* error) {
    if (!DescriptorWritable(descriptor)) {
        *error = Describe(path, std::strerror(EBADF));
        return false;
    }
    // What the program printed through its own buffers comes first.
    std::fflush(nullptr);
    if (!WriteAll(descriptor, bytes)) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

bool WriteOutputFile(const std::string& path, std::string_view bytes, std::string* error) {
    ResolvedPath target;
    if (!ResolvePath(path, "write", &target, error)) {
        return false;
    }
    switch (target.kind) {
    case ResolvedPath::Kind::Descriptor:
        return WriteThroughDescriptor(path, target.descriptor, bytes, error);
    case ResolvedPath::Kind::Missing:
        return ReplaceWhole(path, target, bytes, error);
    case ResolvedPath::Kind::Existing:
        if (IsOwnRegularFile(target)) {
            return ReplaceWhole(path, target, bytes, error);
        }
        break;
    case ResolvedPath::Kind::Opened:
        break;
    }
    return WriteInPlace(path, target, bytes, error);
}

bool CanWriteOutputFile(const std::string& path, std::string* error) {
    ResolvedPath target;
    if (!ResolvePath(path, "write", &target, error)) {
        return false;
    }
    switch (target.kind) {
    case ResolvedPath::Kind::Descriptor:
        if (!DescriptorWritable(target.descriptor)) {
            *error = Describe(path, std::strerror(EBADF));
            return false;
        }
        return true;
    case ResolvedPath::Kind::Opened:
        if (access(target.path.c_str(), W_OK) != 0) {
            *error = Describe(path, std::strerror(errno));
            return false;
        }
        return true;
    case ResolvedPath::Kind::Existing:
        if (S_ISDIR(target.status.st_mode)) {
            *error = Describe(path, std::strerror(EISDIR));
            return false;
        }
        if (access(target.path.c_str(), W_OK) != 0) {
            *error = Describe(path, std::strerror(errno));
            return false;
        }
        break;
    case ResolvedPath::Kind::Missing:
        break;
    }
    const bool replaced = target.kind == ResolvedPath::Kind::Missing || IsOwnRegularFile(target);
    if (replaced && access(FolderOf(target.path).c_str(), W_OK | X_OK) != 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    return true;
}

void RemovePendingTemporaryFile() {
    if (TemporaryPending != 0) {
        unlink(PendingTemporary);
        TemporaryPending = 0;
    }
}
