#include "sim/SimulatorOptions.h"

#include <charconv>

namespace {

bool ParseNumber(std::string_view text, int max, int* value) {
    if (text.empty() || text.find_first_not_of("0123456789") != text.npos) {
        return false;
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), *value);
    return result.ec == std::errc() && *value <= max;
}

} // namespace

std::optional<SensorFault> ParseSensorFault(const std::string& text, std::string* error) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    SensorFault fault;
    if (second != std::string::npos) {
        const std::string_view view(text);
        const std::string_view kind = view.substr(first + 1, second - first - 1);
        const bool kindKnown = kind == "noisy" || kind == "stuck";
        fault.kind = kind == "noisy" ? SensorFault::Kind::Noisy : SensorFault::Kind::Stuck;
        if (kindKnown &&
            ParseNumber(view.substr(0, first), SimulatorOptions::kMaxSensors - 1, &fault.sensor) &&
            ParseNumber(view.substr(second + 1), 255, &fault.amount)) {
            return fault;
        }
    }
    *error = "bad fault '" + text + "': expected " + kSensorFaultSyntax;
    return std::nullopt;
}
