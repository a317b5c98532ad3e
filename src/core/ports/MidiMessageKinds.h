#pragma once

#include <cstdint>

// Kinds of input callback events, with the values the platform's MIDI services use.
constexpr uint32_t kMimOpen = 0x3C1;
constexpr uint32_t kMimClose = 0x3C2;
constexpr uint32_t kMimData = 0x3C3;
constexpr uint32_t kMimLongData = 0x3C4;
constexpr uint32_t kMimError = 0x3C5;
constexpr uint32_t kMimLongError = 0x3C6;
constexpr uint32_t kMimMoreData = 0x3CC;
