#include "cli/ScanDocument.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Objects keep their keys in the order written, and numbers with a fraction are held
// as the 32-bit floats they are; Printed writes them.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, int64_t,
                                  uint64_t, float>;

// A whole number prints without the ".0" a float would get.
Json Number(float value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15f) {
        return Json(static_cast<int64_t>(value));
    }
    return Json(value);
}

// The library's compact text, but each float as ShortestFloatText writes it, so that a
// figure reads the same here as in the lines on standard error.
std::string Printed(const Json& value) {
    std::string text;
    if (value.is_object()) {
        // Appended piece by piece: GCC 12 at -O3 takes `"{" + std::string&&` for an
        // overlapping copy and warns.
        for (auto member = value.begin(); member != value.end(); ++member) {
            text += text.empty() ? '{' : ',';
            text += Json(member.key()).dump();
            text += ':';
            text += Printed(member.value());
        }
        return text.empty() ? "{}" : text + "}";
    }
    if (value.is_array()) {
        for (const Json& element : value) {
            text += text.empty() ? '[' : ',';
            text += Printed(element);
        }
        return text.empty() ? "[]" : text + "]";
    }
    if (value.is_number_float()) {
        const float number = value.get<float>();
        return std::isfinite(number) ? ShortestFloatText(number) : "null";
    }
    return value.dump();
}

// The limits are doubles, as the verdict compares them, not 32-bit floats: each is the
// shortest text of the double the user's text read as.
std::string Limits(const LimitOptions& limits) {
    const auto real = [](const std::optional<Limit<double>>& limit) {
        return limit ? ShortestDoubleText(limit->value) : std::string("null");
    };
    const auto whole = [](const std::optional<Limit<int>>& limit) {
        return limit ? std::to_string(limit->value) : std::string("null");
    };
    return "{\"maxAvgDeviation\":" + real(limits.maxAvgDeviation) +
           ",\"maxSwing\":" + whole(limits.maxSwing) +
           ",\"maxSensorRms\":" + real(limits.maxSensorRms) +
           ",\"maxSensorSwing\":" + whole(limits.maxSensorSwing) + "}";
}

Json Strip(const StripStatsWorkArea& w) {
    Json strip;
    strip["sensors"] = w.N;
    strip["scans"] = w.S;
    strip["samples"] = w.TotalSamples;
    strip["meanOfAllSensors"] = Number(w.MeanAll);
    strip["avgDeviation"] = Number(w.AvgDeviation);
    strip["maxSwing"] = w.MaxSwing;
    strip["maxPositiveDeviation"] = w.MaxPosDeviation;
    strip["maxNegativeDeviation"] = w.MaxNegDeviation;
    strip["deadOn"] = w.DeadOnCount();
    strip["plus1"] = w.PlusOneCount();
    strip["minus1"] = w.MinusOneCount();
    strip["plus2"] = w.PlusTwoCount();
    strip["minus2"] = w.MinusTwoCount();
    strip["threeOrMore"] = w.ThreeOrMoreCount();
    return strip;
}

Json Sensors(const ScanFacts& facts) {
    const StripStatsWorkArea& w = *facts.stats;
    const ScannerState& state = *facts.state;
    Json sensors = Json::array();
    const int analysed = std::clamp(w.N, 0, StripStatsWorkArea::kMaxSensors);
    for (int i = 0; i < analysed; ++i) {
        Json fails = Json::array();
        for (const SensorFailure& failure : facts.failingSensors) {
            if (failure.sensor == i) {
                if (failure.rms) {
                    fails.push_back("rms");
                }
                if (failure.swing) {
                    fails.push_back("swing");
                }
            }
        }
        Json sensor;
        sensor["index"] = i;
        sensor["mean"] = Number(w.SensorMean[i]);
        sensor["meanByte"] = w.SensorMeanByte[i];
        sensor["min"] = w.SensorMin[i];
        sensor["max"] = w.SensorMax[i];
        sensor["swing"] = SensorSwing(w, i);
        sensor["rms"] = Number(w.SensorRms[i]);
        sensor["calibLow"] = state.m_calibLow[i];
        sensor["calibHigh"] = state.m_calibHigh[i];
        sensor["fails"] = std::move(fails);
        sensors.push_back(std::move(sensor));
    }
    return sensors;
}

// One line for each key, and one for each sensor: short enough to read, and a test
// rig's line tools find a sensor's figures on a line of their own.
std::string Laid(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string text = "{\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        text += "  " + Json(entries[i].first).dump() + ": " + entries[i].second +
                (i + 1 < entries.size() ? ",\n" : "\n");
    }
    return text + "}\n";
}

std::string OnePerLine(const Json& objects) {
    if (objects.empty()) {
        return "[]";
    }
    std::string text = "[\n";
    for (size_t i = 0; i < objects.size(); ++i) {
        text += "    " + Printed(objects[i]) + (i + 1 < objects.size() ? ",\n" : "\n");
    }
    return text + "  ]";
}

} // namespace

std::string BuildScanDocument(const ScanFacts& facts) {
    const StripStatsWorkArea& w = *facts.stats;
    const ScannerState& state = *facts.state;

    const Json histogram(
        std::vector<int32_t>(std::begin(w.DeviationHist), std::end(w.DeviationHist)));
    const bool failed = facts.stripFailed || !facts.failingSensors.empty();
    return Laid({
        {"format", Printed("wintesseltest-scan/1")},
        {"scanCount", Printed(state.m_scanCount)},
        {"scanLength", Printed(state.m_scanLength)},
        {"stripLength", Printed(state.m_stripLength)},
        {"inputLost", Printed(Json{{"bytes", facts.bytesLost}, {"events", facts.eventsLost}})},
        {"strip", Printed(Strip(w))},
        {"histogram", Printed(histogram)},
        {"sensors", OnePerLine(Sensors(facts))},
        {"limits", Limits(*facts.limits)},
        {"verdict", Printed(failed ? "fail" : "pass")},
    });
}
