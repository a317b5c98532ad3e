#include "files/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string Describe(const std::string& path, int code) {
    return "can't read '" + path + "': " + std::strerror(code);
}

} // namespace

bool InputFile::Open(const std::string& path, std::string* error) {
    m_path = path;
    if (path == "-") {
        m_fd = STDIN_FILENO;
        m_standardInput = true;
        return true;
    }
    m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        *error = Describe(path, errno);
        return false;
    }
    struct stat status {};
    if (fstat(m_fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        *error = Describe(path, EISDIR);
        return false;
    }
    return true;
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(other.m_fd), m_standardInput(other.m_standardInput), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

InputFile::~InputFile() {
    if (m_fd >= 0 && !m_standardInput) {
        close(m_fd);
    }
}

long InputFile::Read(unsigned char* buffer, size_t size, std::string* error) {
    size_t filled = 0;
    while (filled < size) {
        const ssize_t count = read(m_fd, buffer + filled, size - filled);
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            *error = Describe(m_path, errno);
            return -1;
        }
        filled += static_cast<size_t>(count);
    }
    return static_cast<long>(filled);
}

bool CanReadInputFile(const std::string& path, std::string* error) {
    if (path == "-") {
        return true;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || access(path.c_str(), R_OK) != 0) {
        *error = Describe(path, errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        *error = Describe(path, EISDIR);
        return false;
    }
    return true;
}

bool CanOpenRegularFile(const std::string& path, std::string* reason) {
    static const char* const kNotRegular = "not a regular file";
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        *reason = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *reason = kNotRegular;
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *reason = std::strerror(errno);
        return false;
    }
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    close(fd);
    if (!regular) {
        *reason = kNotRegular;
    }
    return regular;
}
