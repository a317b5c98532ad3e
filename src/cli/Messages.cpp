#include "cli/Messages.h"

#include <cstdio>

void PrintError(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: %s\n", text.c_str());
}

void PrintNote(const std::string& text) {
    std::fprintf(stderr, "wintesseltest-cli: note: %s\n", text.c_str());
}
