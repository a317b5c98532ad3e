#include "stats/SensorWatch.h"

#include "scanner/ScannerState.h"

SensorWatch::SensorWatch() : m_stats(std::make_unique<StripStatsWorkArea>()) {}

void SensorWatch::Judge(ScannerState& view) {
    if (!Watching() || view.m_scanCount <= 0) {
        m_hasStats = false;
        m_verdict = {};
        // Only the flags this watch set: a runner flags its view itself, at its end.
        if (m_flagged) {
            view.m_failingSensors.reset();
            m_flagged = false;
        }
        return;
    }
    StripStats(view, *m_stats);
    m_hasStats = true;
    m_verdict = JudgeLimits(*m_stats, m_limits);
    view.m_failingSensors = FailingSensorFlags(m_verdict.failingSensors);
    m_flagged = true;
}
