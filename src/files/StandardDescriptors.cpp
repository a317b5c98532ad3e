#include "files/StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool Closed(int descriptor) {
    return fcntl(descriptor, F_GETFD) == -1 && errno == EBADF;
}

} // namespace

ClosedStandardDescriptors ReopenClosedStandardDescriptors() {
    ClosedStandardDescriptors closed;
    bool* flags[] = {&closed.input, &closed.output, &closed.error};
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (!Closed(descriptor)) {
            continue;
        }
        *flags[descriptor] = true;
        // The lowest free number is this one: the ones below are open by now.
        const int null = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != descriptor) {
            dup2(null, descriptor);
            close(null);
        }
    }
    return closed;
}
