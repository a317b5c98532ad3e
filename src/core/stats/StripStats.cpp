#include "stats/StripStats.h"

#include "scanner/ScannerView.h"
#include "stats/StripStatsMonitor.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

constinit StripStatsWorkArea StripStatsWork;

int32_t StripStatsWorkArea::ThreeOrMoreCount() const {
    int32_t count = 0;
    for (int k = 3; k <= 253; ++k) {
        count += DeviationHist[k];
    }
    return count;
}

double StripStatsWorkArea::Percentage(int32_t count) const {
    if (TotalSamples == 0) {
        return 0.0;
    }
    return static_cast<double>(count) * 100.0 / TotalSamples;
}

namespace {

// A quotient over an empty window has no meaning; it shows as 0.
float Quotient(float sum, int32_t divisor) {
    return divisor == 0 ? 0.0f : sum / static_cast<float>(divisor);
}

void AnalyseSensor(StripStatsWorkArea& w, int i) {
    const uint8_t* samples = w.StatsWindow[i];
    for (int j = 0; j < w.S; ++j) {
        w.SensorMean[i] += samples[j];
    }
    w.SensorMean[i] = Quotient(w.SensorMean[i], w.S);
    const uint8_t meanByte = static_cast<uint8_t>(w.SensorMean[i]);
    w.SensorMeanByte[i] = meanByte;
    w.SensorMax[i] = meanByte;
    w.SensorMin[i] = meanByte;
    for (int j = 0; j < w.S; ++j) {
        const uint8_t v = samples[j];
        const uint8_t deviationByte = static_cast<uint8_t>(v - meanByte);
        const int d = static_cast<int8_t>(deviationByte);
        w.SensorMax[i] = std::max(w.SensorMax[i], v);
        w.SensorMin[i] = std::min(w.SensorMin[i], v);
        if (v != meanByte) {
            w.SensorSumSq[i] += static_cast<float>(d * d);
        }
        ++w.DeviationHist[deviationByte];
    }
    w.SensorRms[i] = std::sqrt(Quotient(w.SensorSumSq[i], w.S));
}

} // namespace

void StripStats() {
    assert(StatsView != nullptr); // recorded by the monitor's construction
    StripStats(*StatsView, StripStatsWork);
}

void StripStats(const ScannerState& view, StripStatsWorkArea& w) {
    w.N = std::clamp(view.m_scanLength, 0, StripStatsWorkArea::kMaxSensors);
    w.S = std::clamp(view.m_scanCount, 0, StripStatsWorkArea::kMaxScans);

    for (int i = 0; i < w.N; ++i) {
        std::memcpy(w.StatsWindow[i], view.m_history[i], static_cast<size_t>(w.S));
        w.SensorMean[i] = 0.0f;
        w.SensorMax[i] = 0;
        w.SensorMin[i] = 0;
        w.SensorSumSq[i] = 0.0f;
    }
    std::memset(w.DeviationHist, 0, sizeof w.DeviationHist);

    for (int i = 0; i < w.N; ++i) {
        AnalyseSensor(w, i);
    }

    w.RmsSquareSum = 0.0f;
    w.MeanTotal = 0.0f;
    w.MaxSwing = 0;
    w.MaxPosDeviation = 0;
    w.MaxNegDeviation = 0;
    for (int i = 0; i < w.N; ++i) {
        w.RmsSquareSum += w.SensorRms[i] * w.SensorRms[i];
        w.MeanTotal += w.SensorMean[i];
        w.MaxSwing = std::max(w.MaxSwing, w.SensorMax[i] - w.SensorMin[i]);
        w.MaxPosDeviation = std::max(w.MaxPosDeviation, w.SensorMax[i] - w.SensorMeanByte[i]);
        w.MaxNegDeviation = std::max(w.MaxNegDeviation, w.SensorMeanByte[i] - w.SensorMin[i]);
    }
    w.AvgDeviation = std::sqrt(Quotient(w.RmsSquareSum, w.N));
    w.MeanAll = Quotient(w.MeanTotal, w.N);
    w.TotalSamples = w.N * w.S;
}
