#pragma once

#include <chrono>
#include <thread>

// Waits for what another thread or process delivers, looking again every `period`. The
// bound only keeps a broken build from hanging, it is no timing target; the period is
// how often a look is worth its cost, not a time anything needs.
template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds bound = std::chrono::seconds(10),
               std::chrono::microseconds period = std::chrono::microseconds(200)) {
    const auto giveUp = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            return false;
        }
        std::this_thread::sleep_for(period);
    }
    return true;
}
