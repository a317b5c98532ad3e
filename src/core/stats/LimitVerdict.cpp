#include "stats/LimitVerdict.h"

#include "stats/StripStatsMonitor.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace {

// The number at the start of `text`, read the same in every locale; 0 when none.
double ParseDecimal(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// No sign, no hex, no inf or nan. A number past the largest double, or one that is not
// 0 but too small to be told from it, is refused rather than taken as its nearest; a
// subnormal such as 1e-310 is a number like any.
bool ParseLimit(const std::string& text, double* value) {
    size_t at = 0;
    const auto digits = [&text, &at] {
        const size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ++at;
        }
        return at - start;
    };
    size_t mantissaDigits = digits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        if (digits() == 0) {
            return false;
        }
    }
    if (at != text.size()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return result.ec == std::errc() && result.ptr == end;
}

} // namespace

SensorLimits LimitOptions::Sensors() const {
    SensorLimits limits;
    if (maxSensorRms) {
        limits.maxRms = maxSensorRms->value;
    }
    if (maxSensorSwing) {
        limits.maxSwing = maxSensorSwing->value;
    }
    return limits;
}

std::optional<Limit<double>> ParseRealLimit(const std::string& text) {
    double value = 0;
    if (!ParseLimit(text, &value)) {
        return std::nullopt;
    }
    return Limit<double>{value, text};
}

std::optional<Limit<int>> ParseWholeLimit(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value > 255) {
        return std::nullopt;
    }
    return Limit<int>{static_cast<int>(value), text};
}

LimitVerdict JudgeLimits(const StripStatsWorkArea& stats, const LimitOptions& limits) {
    LimitVerdict verdict;
    if (limits.maxAvgDeviation) {
        const std::string shown = FormatDialogFloat(stats.AvgDeviation);
        if (ParseDecimal(shown) > limits.maxAvgDeviation->value) {
            verdict.messages.push_back("Avg Deviation: " + shown + " exceeds " +
                                       limits.maxAvgDeviation->text);
        }
    }
    if (limits.maxSwing && stats.MaxSwing > limits.maxSwing->value) {
        verdict.messages.push_back("Max Deviation Swing: " + std::to_string(stats.MaxSwing) +
                                   " exceeds " + limits.maxSwing->text);
    }
    verdict.stripFailed = !verdict.messages.empty();

    verdict.failingSensors = FailingSensors(stats, limits.Sensors());
    for (const SensorFailure& failure : verdict.failingSensors) {
        const std::string sensor = "sensor " + std::to_string(failure.sensor) + ": ";
        if (failure.rms) {
            verdict.messages.push_back(sensor + "rms " +
                                       ShortestFloatText(stats.SensorRms[failure.sensor]) +
                                       " exceeds " + limits.maxSensorRms->text);
        }
        if (failure.swing) {
            verdict.messages.push_back(sensor + "swing " +
                                       std::to_string(SensorSwing(stats, failure.sensor)) +
                                       " exceeds " + limits.maxSensorSwing->text);
        }
    }
    return verdict;
}

std::bitset<ScannerState::kValues> FailingSensorFlags(const std::vector<SensorFailure>& failures) {
    std::bitset<ScannerState::kValues> flags;
    for (const SensorFailure& failure : failures) {
        flags.set(static_cast<size_t>(failure.sensor));
    }
    return flags;
}
