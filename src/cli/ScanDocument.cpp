#include "cli/ScanDocument.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace {

// Objects keep their keys in the order written, and numbers with a fraction are held
// as 32-bit floats, so that each prints as the shortest text of that float rather than
// of the double it would widen to (0.70710677, not 0.7071067690849304).
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, int64_t,
                                  uint64_t, float>;

// A whole number prints without the ".0" the library would add to a float.
Json Number(float value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15f) {
        return Json(static_cast<int64_t>(value));
    }
    return Json(value);
}

template <typename T> Json LimitValue(const std::optional<Limit<T>>& limit) {
    if (!limit) {
        return Json(nullptr);
    }
    if constexpr (std::is_integral_v<T>) {
        return Json(limit->value);
    } else {
        return Number(static_cast<float>(limit->value));
    }
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
std::string Laid(const Json& document) {
    std::string text = "{\n";
    for (auto entry = document.begin(); entry != document.end(); ++entry) {
        text += "  " + Json(entry.key()).dump() + ": ";
        const Json& value = entry.value();
        if (value.is_array() && !value.empty() && value.front().is_object()) {
            text += "[\n";
            for (size_t i = 0; i < value.size(); ++i) {
                text += "    " + value[i].dump() + (i + 1 < value.size() ? ",\n" : "\n");
            }
            text += "  ]";
        } else {
            text += value.dump();
        }
        text += std::next(entry) != document.end() ? ",\n" : "\n";
    }
    return text + "}\n";
}

} // namespace

std::string BuildScanDocument(const ScanFacts& facts) {
    const StripStatsWorkArea& w = *facts.stats;
    const ScannerState& state = *facts.state;
    const LimitOptions& limits = *facts.limits;

    Json document;
    document["format"] = "wintesseltest-scan/1";
    document["scanCount"] = state.m_scanCount;
    document["scanLength"] = state.m_scanLength;
    document["stripLength"] = state.m_stripLength;
    document["inputLost"] = Json{{"bytes", facts.bytesLost}, {"events", facts.eventsLost}};
    document["strip"] = Strip(w);
    document["histogram"] =
        Json(std::vector<int32_t>(std::begin(w.DeviationHist), std::end(w.DeviationHist)));
    document["sensors"] = Sensors(facts);
    Json limitValues;
    limitValues["maxAvgDeviation"] = LimitValue(limits.maxAvgDeviation);
    limitValues["maxSwing"] = LimitValue(limits.maxSwing);
    limitValues["maxSensorRms"] = LimitValue(limits.maxSensorRms);
    limitValues["maxSensorSwing"] = LimitValue(limits.maxSensorSwing);
    document["limits"] = std::move(limitValues);
    document["verdict"] = facts.stripFailed || !facts.failingSensors.empty() ? "fail" : "pass";
    return Laid(document);
}
