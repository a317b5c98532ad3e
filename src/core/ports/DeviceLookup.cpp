#include "ports/DeviceLookup.h"

#include "ports/MidiServices.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::vector<std::string> InputDeviceNames() {
    MidiServices& services = CurrentMidiServices();
    std::vector<std::string> names;
    const uint32_t count = services.InGetNumDevs();
    for (uint32_t device = 0; device < count; ++device) {
        MidiInCaps caps{};
        services.InGetDevCaps(device, &caps);
        names.emplace_back(caps.szPname);
    }
    return names;
}

std::vector<std::string> OutputDeviceNames() {
    MidiServices& services = CurrentMidiServices();
    std::vector<std::string> names;
    const uint32_t count = services.OutGetNumDevs();
    for (uint32_t device = 0; device < count; ++device) {
        MidiOutCaps caps{};
        services.OutGetDevCaps(device, &caps);
        names.emplace_back(caps.szPname);
    }
    return names;
}

std::vector<int> MatchDevices(const std::vector<std::string>& names, const std::string& query) {
    const bool allDigits = !query.empty() && std::all_of(query.begin(), query.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (allDigits) {
        const unsigned long index = query.size() > 9 ? names.size() : std::stoul(query);
        return index < names.size() ? std::vector<int>{static_cast<int>(index)}
                                    : std::vector<int>{};
    }
    std::vector<int> matches;
    const std::string wanted = Lowered(query);
    for (size_t i = 0; i < names.size(); ++i) {
        if (Lowered(names[i]).find(wanted) != std::string::npos) {
            matches.push_back(static_cast<int>(i));
        }
    }
    return matches;
}
