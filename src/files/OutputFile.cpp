#include "files/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

std::string Describe(const std::string& path, const std::string& why) {
    return "can't write '" + path + "': " + why;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The kernel's protected-symlinks rule: in a sticky, world-writable folder such as
// /tmp, a link is followed only by its owner, or when the folder's owner owns it.
// Following a link ourselves would bypass the kernel's check, so we make it here.
bool MayFollow(const std::string& link, const struct stat& linkStatus) {
    if (linkStatus.st_uid == geteuid()) {
        return true;
    }
    struct stat folder {};
    if (stat(FolderOf(link).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || folder.st_uid == linkStatus.st_uid;
}

// Where the bytes of an output go: the path with the links at its end resolved.
struct Target {
    std::string path;
    bool exists = false;
    struct stat status {};
};

bool Resolve(const std::string& path, Target* target, std::string* error) {
    constexpr int kMaxLinks = 40; // as the kernel allows
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                *error = Describe(path, std::strerror(errno));
                return false;
            }
            target->path = current;
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            target->path = current;
            target->exists = true;
            target->status = status;
            return true;
        }
        if (!MayFollow(current, status)) {
            *error = Describe(path, "a symbolic link that another user owns in a shared folder "
                                    "(sticky and writable by all) is not followed");
            return false;
        }
        char destination[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), destination, sizeof destination);
        if (length < 0 || length == static_cast<ssize_t>(sizeof destination)) {
            *error = Describe(path, std::strerror(length < 0 ? errno : ENAMETOOLONG));
            return false;
        }
        const std::string next(destination, static_cast<size_t>(length));
        current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
    }
    *error = Describe(path, std::strerror(ELOOP));
    return false;
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

bool IsOwnRegularFile(const Target& target) {
    return target.exists && S_ISREG(target.status.st_mode) && target.status.st_uid == geteuid();
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A temporary file beside the target, renamed over it once complete.
bool ReplaceWhole(const std::string& path, const Target& target, std::string_view bytes,
                  std::string* error) {
    if (target.exists && access(target.path.c_str(), W_OK) != 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    std::string temporary = target.path + ".wt-XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    const mode_t mode = target.exists ? target.status.st_mode & 07777 : NewFileMode();
    const bool written = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    const int writeError = errno;
    if (close(fd) != 0 || !written) {
        *error = Describe(path, std::strerror(written ? errno : writeError));
        unlink(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), target.path.c_str()) != 0) {
        *error = Describe(path, std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool WriteInPlace(const std::string& path, const Target& target, std::string_view bytes,
                  std::string* error) {
    const bool regular = S_ISREG(target.status.st_mode);
    const int fd = open(target.path.c_str(),
                        O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW | (regular ? O_TRUNC : 0));
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

} // namespace

bool WriteOutputFile(const std::string& path, std::string_view bytes, std::string* error) {
    Target target;
    if (!Resolve(path, &target, error)) {
        return false;
    }
    if (!target.exists || IsOwnRegularFile(target)) {
        return ReplaceWhole(path, target, bytes, error);
    }
    return WriteInPlace(path, target, bytes, error);
}

bool CanWriteOutputFile(const std::string& path, std::string* error) {
    Target target;
    if (!Resolve(path, &target, error)) {
        return false;
    }
    if (target.exists && S_ISDIR(target.status.st_mode)) {
        *error = Describe(path, std::strerror(EISDIR));
        return false;
    }
    const bool replaced = !target.exists || IsOwnRegularFile(target);
    if ((target.exists && access(target.path.c_str(), W_OK) != 0) ||
        (replaced && access(FolderOf(target.path).c_str(), W_OK | X_OK) != 0)) {
        *error = Describe(path, std::strerror(errno));
        return false;
    }
    return true;
}
