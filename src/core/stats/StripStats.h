#pragma once

#include <cstdint>

struct ScannerState;

// The results of the latest statistics computation, shared by the strip statistic
// monitor and the scan report. One instance for the program, zero at start; every
// computation overwrites it.
struct StripStatsWorkArea {
    static constexpr int kMaxSensors = 88;
    static constexpr int kMaxScans = 256;

    int32_t N = 0; // sensors analysed
    int32_t S = 0; // scans analysed
    uint8_t StatsWindow[kMaxSensors][kMaxScans] = {};
    float SensorMean[kMaxSensors] = {};
    uint8_t SensorMeanByte[kMaxSensors] = {}; // the reference of every deviation
    uint8_t SensorMax[kMaxSensors] = {};
    uint8_t SensorMin[kMaxSensors] = {};
    float SensorSumSq[kMaxSensors] = {};
    float SensorRms[kMaxSensors] = {};
    // Indexed by the deviation as an unsigned byte: 1..127 positive, 255..128 is -1..-128.
    int32_t DeviationHist[256] = {};
    float RmsSquareSum = 0.0f;
    float MeanTotal = 0.0f;

    int32_t MaxSwing = 0;
    int32_t MaxPosDeviation = 0;
    int32_t MaxNegDeviation = 0;
    float AvgDeviation = 0.0f;
    float MeanAll = 0.0f;
    int32_t TotalSamples = 0; // N x S

    int32_t DeadOnCount() const { return DeviationHist[0]; }
    int32_t PlusOneCount() const { return DeviationHist[1]; }
    int32_t MinusOneCount() const { return DeviationHist[255]; }
    int32_t PlusTwoCount() const { return DeviationHist[2]; }
    int32_t MinusTwoCount() const { return DeviationHist[254]; }
    // Every deviation from +3 to +127 and from -128 to -3.
    int32_t ThreeOrMoreCount() const;
    // count x 100 / TotalSamples, 0 when no sample was analysed.
    double Percentage(int32_t count) const;
};

extern StripStatsWorkArea StripStatsWork;

// Computes the statistics of the first 88 sensors over the latest 256 scans of the
// view that StatsView names, into StripStatsWork. With no sample at all every mean and
// deviation is 0.
void StripStats();

// The same computation into a work area of the caller's, leaving the program's one as
// the monitor and the report left it: a view that judges its sensors on every tick
// does so without changing what the monitor copies to the clipboard.
void StripStats(const ScannerState& view, StripStatsWorkArea& work);
