#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

// Where a path leads, found the way the kernel would find it, but one component at a
// time so that every symbolic link on the way is judged before it is followed. A path
// is bytes, used as given.
struct ResolvedPath {
    enum class Kind {
        Missing,    // nothing there yet; `path` is where a new file would be made
        Existing,   // `path` and `status` name what is there
        Descriptor, // an open descriptor of this process: `descriptor`
        Opened,     // another process's descriptor under /proc: only the kernel can open it
    };
    Kind kind = Kind::Missing;
    std::string path; // free of symbolic links and of "." and ".."
    struct stat status {};
    int descriptor = -1;
};

// Follows a symbolic link anywhere in the path only where the kernel's protected-
// symlinks rule would: the link is the user's own, or its folder is not sticky and
// writable by all, or the folder's owner owns the link. A name of one of this process's
// descriptors (/dev/stdout, /dev/fd/N, /proc/self/fd/N, ...) and a file that is the
// same as standard output or standard error lead to that descriptor, so that what the
// shell set up is written through, never replaced. False with `error` saying why,
// as "can't <verb> '<path>': <reason>".
bool ResolvePath(const std::string& path, const char* verb, ResolvedPath* resolved,
                 std::string* error);

// Which file a path names, for telling whether two paths are one file.
struct FileIdentity {
    bool exists = false;
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool characterDevice = false; // /dev/null and the like: any number may share it
    std::string path;             // where a new file would be made, while none exists
    bool operator==(const FileIdentity& other) const;
};

// An output's identity, through descriptors and links as the write would go.
FileIdentity OutputIdentity(const std::string& path);
// An input's identity; "-" is standard input. Nothing when it can't be read.
std::optional<FileIdentity> InputIdentity(const std::string& path);

// Whether two outputs would write one file; character devices never clash.
bool SamePlace(const std::string& a, const std::string& b);
