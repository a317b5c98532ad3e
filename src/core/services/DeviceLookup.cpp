#include "services/DeviceLookup.h"

#include "services/MidiServices.h"
#include "sim/SimulatorServices.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

unsigned char ByteAt(const std::string& text, size_t at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`, else 0:
// overlong forms, surrogates and code points past U+10FFFF are not well formed.
size_t Utf8SequenceLength(const std::string& text, size_t at) {
    const unsigned char lead = ByteAt(text, at);
    size_t length = 0;
    unsigned char low = 0x80; // the second byte's range, narrower after some leads
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    const unsigned char second = ByteAt(text, at + 1);
    if (second < low || second > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if ((ByteAt(text, at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

std::string Escaped(const std::string& text, bool escapeBackslash) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    const auto escape = [&escaped](unsigned char byte) {
        escaped += "\\x";
        escaped += kHex[byte >> 4];
        escaped += kHex[byte & 0x0F];
    };
    for (size_t i = 0; i < text.size();) {
        const unsigned char byte = ByteAt(text, i);
        if (const size_t length = byte >= 0x80 ? Utf8SequenceLength(text, i) : 0; length > 0) {
            const bool c1Control = byte == 0xC2 && ByteAt(text, i + 1) <= 0x9F;
            for (size_t end = i + length; i < end; ++i) {
                if (c1Control) {
                    escape(ByteAt(text, i));
                } else {
                    escaped += text[i];
                }
            }
            continue;
        }
        const bool control = byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F);
        if (control || (escapeBackslash && byte == '\\')) {
            escape(byte);
        } else {
            escaped += text[i];
        }
        ++i;
    }
    return escaped;
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

int ChooseDevice(const std::vector<std::string>& names, const std::string& query,
                 const char* direction, std::string* error) {
    if (query.empty()) {
        // Listed after the real devices: the last of its name is the built-in one.
        const auto found = std::find(names.rbegin(), names.rend(), SimulatorServices::kDeviceName);
        if (found == names.rend()) {
            *error = std::string("the ") + direction + " device '" +
                     SimulatorServices::kDeviceName + "' is not listed";
            return -1;
        }
        return static_cast<int>(names.rend() - found - 1);
    }
    const std::vector<int> matches = MatchDevices(names, query);
    if (matches.size() == 1) {
        return matches.front();
    }
    *error = (matches.empty() ? std::string("no ") + direction + " device matches '"
                              : std::string("several ") + direction + " devices match '") +
             query + "'";
    return -1;
}

std::string EscapedDeviceName(const std::string& name) {
    return Escaped(name, true);
}

std::string EscapedControlCharacters(const std::string& text) {
    return Escaped(text, false);
}
