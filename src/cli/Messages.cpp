#include "cli/Messages.h"

#include <cstdio>

void PrintError(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: %s\n", text.c_str());
}

void PrintNote(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: note: %s\n", text.c_str());
}

std::string EscapedDeviceName(const std::string& name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(name.size());
    const auto escape = [&text](unsigned char byte) {
        text += "\\x";
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    };
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool c1Control = byte == 0xC2 && i + 1 < name.size() &&
                               (static_cast<unsigned char>(name[i + 1]) & 0xE0) == 0x80;
        if (c1Control) {
            escape(byte);
            escape(static_cast<unsigned char>(name[++i]));
        } else if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            escape(byte);
        } else {
            text += name[i];
        }
    }
    return text;
}

std::string DeviceListText(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs) {
    std::string text;
    for (size_t i = 0; i < inputs.size(); ++i) {
        text += "in " + std::to_string(i) + ": " + EscapedDeviceName(inputs[i]) + "\n";
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        text += "out " + std::to_string(i) + ": " + EscapedDeviceName(outputs[i]) + "\n";
    }
    return text;
}
