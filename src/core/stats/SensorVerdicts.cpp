#include "stats/SensorVerdicts.h"

#include <algorithm>
#include <charconv>

std::vector<SensorFailure> FailingSensors(const StripStatsWorkArea& stats,
                                          const SensorLimits& limits) {
    std::vector<SensorFailure> failures;
    const int analysed = std::clamp(stats.N, 0, StripStatsWorkArea::kMaxSensors);
    for (int sensor = 0; sensor < analysed; ++sensor) {
        SensorFailure failure{sensor};
        failure.rms =
            limits.maxRms && static_cast<double>(stats.SensorRms[sensor]) > *limits.maxRms;
        failure.swing = limits.maxSwing && SensorSwing(stats, sensor) > *limits.maxSwing;
        if (failure.rms || failure.swing) {
            failures.push_back(failure);
        }
    }
    return failures;
}

namespace {

template <typename Real> std::string ShortestText(Real value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace

std::string ShortestFloatText(float value) {
    return ShortestText(value);
}

std::string ShortestDoubleText(double value) {
    return ShortestText(value);
}
