#include "cli/StandardOutput.h"

#include <cerrno>
#include <cstdio>

namespace {

int FirstError = 0;

} // namespace

void PrintOut(std::string_view text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if ((!written || std::fflush(stdout) != 0) && FirstError == 0) {
        FirstError = errno != 0 ? errno : EIO;
    }
}

void NoteStandardOutputClosedAtStart() {
    FirstError = EBADF;
}

int StandardOutputError() {
    errno = 0;
    if (FirstError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        FirstError = errno != 0 ? errno : EIO;
    }
    return FirstError;
}
