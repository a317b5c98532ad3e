#pragma once

// The runner's exit statuses. When several apply, an interruption wins, then the
// first in the order Usage, Device, File, LimitExceeded; see MoreSevere.
enum class ExitStatus {
    Success = 0,
    LimitExceeded = 1,
    Usage = 2,
    Device = 3,
    File = 4,
    // A scan ended early by SIGINT or SIGTERM: 128 and the signal, as the shell says.
    Interrupted = 130,
    Terminated = 143,
};

// The status that wins when both apply.
constexpr ExitStatus MoreSevere(ExitStatus a, ExitStatus b) {
    constexpr auto rank = [](ExitStatus s) {
        switch (s) {
        case ExitStatus::Interrupted:
        case ExitStatus::Terminated:
            return 5;
        case ExitStatus::Usage:
            return 4;
        case ExitStatus::Device:
            return 3;
        case ExitStatus::File:
            return 2;
        case ExitStatus::LimitExceeded:
            return 1;
        case ExitStatus::Success:
            break;
        }
        return 0;
    };
    return rank(a) >= rank(b) ? a : b;
}
