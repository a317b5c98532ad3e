#pragma once

#include <cstddef>
#include <optional>
#include <string>

// One input read as a stream, never held whole: a file, a FIFO, or standard input
// when the path is "-".
class InputFile {
public:
    // Opens `path`; false with `error` naming it and the reason.
    bool Open(const std::string& path, std::string* error);
    ~InputFile();
    InputFile() = default;
    InputFile(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile& operator=(InputFile&&) = delete;

    // Fills `buffer` with up to `size` bytes, fewer only at the end of the input.
    // Returns the count, or -1 with `error` set on a read error.
    long Read(unsigned char* buffer, size_t size, std::string* error);

    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    bool m_standardInput = false;
    std::string m_path;
};

// Which file a path names, by device and inode; nothing when it does not exist.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Whether two paths name the same file: the same device and inode when both exist,
// else the same absolute path once "." and ".." are taken out.
bool SamePlace(const std::string& a, const std::string& b);
