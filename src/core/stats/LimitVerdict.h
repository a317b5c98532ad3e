#pragma once

#include "scanner/ScannerState.h"
#include "stats/SensorVerdicts.h"
#include "stats/StripStats.h"

#include <bitset>
#include <optional>
#include <string>
#include <vector>

// A limit: its value, and its text as the user wrote it, which messages quote.
template <typename T> struct Limit {
    T value;
    std::string text;
};

// What a bench allows; a limit not given judges nothing.
struct LimitOptions {
    std::optional<Limit<double>> maxAvgDeviation;
    std::optional<Limit<int>> maxSwing;
    std::optional<Limit<double>> maxSensorRms;
    std::optional<Limit<int>> maxSensorSwing;

    bool HasSensorLimits() const { return maxSensorRms || maxSensorSwing; }
    SensorLimits Sensors() const;
};

// A limit's text: decimal notation only (digits, a point, an exponent), read the same in
// every locale. Nothing for anything else.
std::optional<Limit<double>> ParseRealLimit(const std::string& text);
// A whole number from 0 to 255 in decimal digits. Nothing for anything else.
std::optional<Limit<int>> ParseWholeLimit(const std::string& text);

// The limits exceeded, as the lines that say so: `<label>: <value> exceeds <limit>` for
// the strip's figures (Avg Deviation, Max Deviation Swing), then
// `sensor <i>: rms|swing <value> exceeds <limit>` in sensor order, rms before swing.
struct LimitVerdict {
    std::vector<std::string> messages;
    std::vector<SensorFailure> failingSensors;
    bool stripFailed = false;

    bool Failed() const { return !messages.empty(); }
};

// Judges the latest statistics in `stats`. The average deviation is judged as the
// statistic monitor shows it, six significant digits, so that a bench reading the monitor
// and one reading the verdict never disagree; the other figures as they are.
LimitVerdict JudgeLimits(const StripStatsWorkArea& stats, const LimitOptions& limits);

// The failing sensors as the view flags them (ScannerState::m_failingSensors).
std::bitset<ScannerState::kValues> FailingSensorFlags(const std::vector<SensorFailure>& failures);
