#pragma once

#include <cstddef>
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

// Whether `path` could be opened and read, found out without holding it open, so that
// a missing input is reported before any work and inputs are then opened one by one.
bool CanReadInputFile(const std::string& path, std::string* error);

// Whether `path` is a regular file that opens for reading; if not, `reason` says why:
// the system's text, or "not a regular file" for a FIFO, a device or a folder. Never
// waits: the kind is asked before the open, which does not block, and what opened is
// looked at again in case the name was swapped in between.
bool CanOpenRegularFile(const std::string& path, std::string* reason);
