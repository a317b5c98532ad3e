#include "cli/Messages.h"

#include "services/DeviceLookup.h"

#include <cstdio>

void PrintError(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: %s\n", EscapedControlCharacters(text).c_str());
}

void PrintNote(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: note: %s\n", EscapedControlCharacters(text).c_str());
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
