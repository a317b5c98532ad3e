#pragma once

#include "stats/StripStats.h"

#include <optional>
#include <string>
#include <vector>

// Which analysed sensors are too unsteady for a bench's limits: a root-mean-square
// deviation above `maxRms`, or a swing (largest minus smallest sample of the window)
// above `maxSwing`. Unset limits judge nothing.
struct SensorLimits {
    std::optional<double> maxRms;
    std::optional<int> maxSwing;
};

struct SensorFailure {
    int sensor = 0;
    bool rms = false;
    bool swing = false;
};

inline int SensorSwing(const StripStatsWorkArea& stats, int sensor) {
    return stats.SensorMax[sensor] - stats.SensorMin[sensor];
}

// The sensors that fail, in sensor order, from the latest statistics in `stats`. The
// figure itself is judged, exactly: an RMS of 0.70710677 (as shown) passes a limit of
// 0.70710677 and fails one of 0.7071067.
std::vector<SensorFailure> FailingSensors(const StripStatsWorkArea& stats,
                                          const SensorLimits& limits);

// The shortest decimal that reads back as the same 32-bit float, in every locale:
// "0.70710677", "10", "1e-07". Every float a program prints goes through here, so that
// a figure reads the same wherever it appears (where two decimals are equally short,
// other printers may pick the other one: 157.01563 for 157.01562).
std::string ShortestFloatText(float value);

// The same for a double, such as a limit a user gave: "0.707106768", "1e+300".
std::string ShortestDoubleText(double value);
