#include "files/FilePaths.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <filesystem>
#include <vector>

namespace {

constexpr int kMaxLinks = 40; // as the kernel allows

std::string Describe(const char* verb, const std::string& path, const std::string& why) {
    return std::string("can't ") + verb + " '" + path + "': " + why;
}

std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> components;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string component = path.substr(start, end - start);
        if (!component.empty() && component != ".") {
            components.push_back(std::move(component));
        }
        start = end + 1;
    }
    return components;
}

// `folder` is a resolved folder path: "" stands for the root.
std::string Parent(const std::string& folder) {
    const size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

bool MayFollow(const std::string& folder, const struct stat& link) {
    if (link.st_uid == geteuid()) {
        return true;
    }
    struct stat status {};
    if (stat(folder.empty() ? "/" : folder.c_str(), &status) != 0) {
        return false;
    }
    const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    return !shared || status.st_uid == link.st_uid;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The process whose descriptor folder `folder` is ("/proc/<pid>/fd" or
// "/proc/<pid>/task/<tid>/fd"), or nothing. Its entries are the kernel's own links to
// open files: their text is no path to follow.
std::optional<long> DescriptorFolderOwner(const std::string& folder) {
    const std::deque<std::string> parts = Components(folder);
    const bool processFolder = parts.size() == 3 || (parts.size() == 5 && parts[2] == "task");
    if (!processFolder || parts[0] != "proc" || parts.back() != "fd" || !AllDigits(parts[1])) {
        return std::nullopt;
    }
    return std::strtol(parts[1].c_str(), nullptr, 10);
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Standard output or standard error, when the file is the one the shell gave them.
int StandardDescriptorOf(const struct stat& file) {
    for (const int descriptor : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status {};
        if (fstat(descriptor, &status) == 0 && SameFile(status, file)) {
            return descriptor;
        }
    }
    return -1;
}

// A link's text. The kernel's own links (/proc/self) give no size: the buffer grows.
bool ReadLink(const std::string& link, const struct stat& status, std::string* text) {
    std::vector<char> buffer(std::max<size_t>(static_cast<size_t>(status.st_size) + 1, 256));
    for (;;) {
        const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return false;
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            text->assign(buffer.data(), static_cast<size_t>(length));
            return true;
        }
        if (buffer.size() > 1 << 20) {
            errno = ENAMETOOLONG;
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The working folder as a resolved folder path ("" for the root); nothing when it
// can't be had (it was removed), so that a relative path is never taken from the root.
std::optional<std::string> WorkingFolder() {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::string folder = buffer.data();
    return folder == "/" ? std::string() : folder;
}

} // namespace

bool ResolvePath(const std::string& path, const char* verb, ResolvedPath* resolved,
                 std::string* error) {
    if (path.empty()) {
        *error = Describe(verb, path, std::strerror(ENOENT));
        return false;
    }
    const std::optional<std::string> working =
        path.front() == '/' ? std::optional<std::string>(std::string()) : WorkingFolder();
    if (!working) {
        *error = Describe(verb, path, std::strerror(errno));
        return false;
    }
    std::string folder = *working;
    std::deque<std::string> rest = Components(path);
    if (rest.empty() || path.back() == '/') {
        // A name that can only be a folder.
        *error = Describe(verb, path, std::strerror(EISDIR));
        return false;
    }
    int links = 0;
    while (!rest.empty()) {
        const std::string component = rest.front();
        rest.pop_front();
        if (component == "..") {
            folder = Parent(folder);
            continue;
        }
        const std::string candidate = folder + "/" + component;
        struct stat status {};
        if (lstat(candidate.c_str(), &status) != 0) {
            if (errno == ENOENT && rest.empty()) {
                resolved->kind = ResolvedPath::Kind::Missing;
                resolved->path = candidate;
                return true;
            }
            *error = Describe(verb, path, std::strerror(errno));
            return false;
        }
        if (S_ISLNK(status.st_mode)) {
            if (const std::optional<long> owner = DescriptorFolderOwner(folder)) {
                if (!rest.empty()) {
                    *error = Describe(verb, path, std::strerror(ENOTDIR));
                    return false;
                }
                resolved->path = candidate;
                if (*owner == getpid() && AllDigits(component)) {
                    resolved->kind = ResolvedPath::Kind::Descriptor;
                    resolved->descriptor = std::atoi(component.c_str());
                } else {
                    resolved->kind = ResolvedPath::Kind::Opened;
                    stat(candidate.c_str(), &resolved->status);
                }
                return true;
            }
            if (++links > kMaxLinks) {
                *error = Describe(verb, path, std::strerror(ELOOP));
                return false;
            }
            if (!MayFollow(folder, status)) {
                *error = Describe(verb, path,
                                  "a symbolic link that another user owns in a shared folder "
                                  "(sticky and writable by all) is not followed: '" +
                                      candidate + "'");
                return false;
            }
            std::string next;
            if (!ReadLink(candidate, status, &next)) {
                *error = Describe(verb, path, std::strerror(errno));
                return false;
            }
            std::deque<std::string> spliced = Components(next);
            if (next.empty()) {
                *error = Describe(verb, path, std::strerror(ENOENT));
                return false;
            }
            spliced.insert(spliced.end(), rest.begin(), rest.end());
            rest = std::move(spliced);
            if (next.front() == '/') {
                folder.clear();
            }
            continue;
        }
        if (!rest.empty()) {
            if (!S_ISDIR(status.st_mode)) {
                *error = Describe(verb, path, std::strerror(ENOTDIR));
                return false;
            }
            folder = candidate;
            continue;
        }
        resolved->path = candidate;
        resolved->status = status;
        const int standard = StandardDescriptorOf(status);
        resolved->kind =
            standard >= 0 ? ResolvedPath::Kind::Descriptor : ResolvedPath::Kind::Existing;
        resolved->descriptor = standard;
        return true;
    }
    // The path ended in ".." after all: a folder.
    *error = Describe(verb, path, std::strerror(EISDIR));
    return false;
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    if (exists != other.exists) {
        return false;
    }
    return exists ? device == other.device && inode == other.inode : path == other.path;
}

namespace {

FileIdentity IdentityOfStatus(const struct stat& status) {
    FileIdentity identity;
    identity.exists = true;
    identity.device = static_cast<unsigned long long>(status.st_dev);
    identity.inode = static_cast<unsigned long long>(status.st_ino);
    identity.characterDevice = S_ISCHR(status.st_mode);
    return identity;
}

} // namespace

FileIdentity OutputIdentity(const std::string& path) {
    ResolvedPath resolved;
    std::string ignored;
    if (!ResolvePath(path, "write", &resolved, &ignored)) {
        // It can't be written anyway; its text is all there is to compare.
        std::error_code unused;
        FileIdentity identity;
        identity.path = std::filesystem::absolute(path, unused).lexically_normal().string();
        return identity;
    }
    struct stat status {};
    switch (resolved.kind) {
    case ResolvedPath::Kind::Missing: {
        FileIdentity identity;
        identity.path = resolved.path;
        return identity;
    }
    case ResolvedPath::Kind::Descriptor:
        if (fstat(resolved.descriptor, &status) != 0) {
            FileIdentity identity;
            identity.path = resolved.path;
            return identity;
        }
        return IdentityOfStatus(status);
    case ResolvedPath::Kind::Existing:
    case ResolvedPath::Kind::Opened:
        break;
    }
    return IdentityOfStatus(resolved.status);
}

std::optional<FileIdentity> InputIdentity(const std::string& path) {
    struct stat status {};
    const int result = path == "-" ? fstat(STDIN_FILENO, &status) : stat(path.c_str(), &status);
    if (result != 0) {
        return std::nullopt;
    }
    return IdentityOfStatus(status);
}

bool SamePlace(const std::string& a, const std::string& b) {
    const FileIdentity first = OutputIdentity(a);
    const FileIdentity second = OutputIdentity(b);
    return !first.characterDevice && first == second;
}
