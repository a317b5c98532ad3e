#include "cli/Signals.h"

#include "files/OutputFile.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace {

// Read and written by the handler, which may run on any of the program's threads.
std::atomic<bool> ScanArmed{false};
std::atomic<int> InterruptSignal{0};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

// The handler's way to wake the main thread wherever the signal was delivered: a byte
// in this pipe.
int WakePipe[2] = {-1, -1};

constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGUSR1,
                                  SIGUSR2, SIGALRM, SIGXCPU, SIGXFSZ};

void OnSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    if ((signal == SIGINT || signal == SIGTERM) && ScanArmed.load() &&
        InterruptSignal.compare_exchange_strong(none, signal)) {
        [[maybe_unused]] const ssize_t woken = write(WakePipe[1], "", 1);
        errno = savedErrno;
        return;
    }
    RemovePendingTemporaryFile();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
    // Blocked while this handler runs; delivered, and fatal, as soon as it returns.
    raise(signal);
    errno = savedErrno;
}

} // namespace

void InstallSignalHandlers() {
    if (pipe2(WakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        WakePipe[0] = WakePipe[1] = -1;
    }
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        // A signal the caller chose to ignore (nohup) stays ignored.
        if (current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction handler {};
        handler.sa_handler = OnSignal;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        sigaction(signal, &handler, nullptr);
    }
}

void ArmScanInterrupt(bool armed) {
    ScanArmed.store(armed);
}

bool WaitUnlessInterrupted(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (InterruptSignal.load() != 0) {
            return false;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return true;
        }
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                               static_cast<long>(nanoseconds % 1000000000)};
        pollfd wake{WakePipe[0], POLLIN, 0};
        ppoll(&wake, WakePipe[0] >= 0 ? 1 : 0, &timeout, nullptr);
    }
}

int ScanInterruptSignal() {
    return InterruptSignal.load();
}
