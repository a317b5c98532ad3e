#pragma once

#include "stats/LimitVerdict.h"
#include "stats/StripStats.h"

#include <memory>

struct ScannerState;

// The statistics a view keeps of its own while something watches its sensors: a bench's
// per-sensor limits, or a window that shows the figures. They live in a work area of
// their own, so that the monitor's copy and the scan report stay as the user last
// computed them. While nothing watches, a tick costs nothing.
class SensorWatch {
public:
    SensorWatch();

    const LimitOptions& Limits() const { return m_limits; }
    void SetLimits(const LimitOptions& limits) { m_limits = limits; }

    // A window that reads Stats() on every tick holds a reader while it is open.
    void AddReader() { ++m_readers; }
    void RemoveReader() { --m_readers; }

    bool Watching() const { return m_limits.HasSensorLimits() || m_readers > 0; }

    // Called on every tick, after the scans received are decoded: computes the
    // statistics of `view` while something watches and a scan is held, and flags the
    // sensors above the per-sensor limits in `view.m_failingSensors` (none without one).
    void Judge(ScannerState& view);

    // The latest statistics and their verdict; valid while HasStats().
    bool HasStats() const { return m_hasStats; }
    const StripStatsWorkArea& Stats() const { return *m_stats; }
    const LimitVerdict& Verdict() const { return m_verdict; }

private:
    LimitOptions m_limits = {};
    int m_readers = 0;
    bool m_hasStats = false;
    bool m_flagged = false;
    std::unique_ptr<StripStatsWorkArea> m_stats;
    LimitVerdict m_verdict = {};
};
