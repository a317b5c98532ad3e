#pragma once

#include "scanner/ScannerView.h"
#include "stats/StripStatsMonitor.h"

#include <chrono>
#include <cstdint>
#include <functional>

// The view without a window: the same Scanner state, port choices and monitor as the
// window program's view, with a plain timer loop on the calling thread in place of
// the window system's timer.
class HeadlessView final : public ScannerView {
public:
    // Every poll timer runs at `period`, whatever period it is asked for: the runner's
    // user chooses it.
    explicit HeadlessView(std::chrono::milliseconds period);
    ~HeadlessView() override;
    HeadlessView(const HeadlessView&) = delete;
    HeadlessView& operator=(const HeadlessView&) = delete;

    // What a run of the timer does between ticks: `waitUntil` waits for a tick's time
    // and says false to end the run there; `afterTick` is told the ticks so far.
    struct TimerHooks {
        std::function<bool(std::chrono::steady_clock::time_point)> waitUntil;
        std::function<void(int)> afterTick;
    };

    // Delivers `ticks` ticks of the running poll timer to OnTimer, one period apart
    // counted from the timer's start; stops early when the timer is stopped or a hook
    // says so. Returns the ticks delivered.
    int RunTimer(int ticks, const TimerHooks& hooks = {});
    void WaitOnePeriod() const;

    StripStatsMonitor& Monitor() { return m_monitor; }

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t milliseconds) override;
    void PlatformKillTimer(uint32_t timerId) override;
    void InvalidateView() override {}

private:
    std::chrono::milliseconds m_period;
    uint32_t m_timerId = 0; // 0 while no timer runs
    std::chrono::steady_clock::time_point m_nextTick;
    PortDeviceChoice m_inPort;
    PortDeviceChoice m_outPort;
    StripStatsMonitor m_monitor{this};
};
