#pragma once

#include <cstdint>

// Result codes of the MIDI device services. The numbers follow the platform's MIDI
// services, so that a code seen in a log or a debugger means the same thing there.
enum class MidiResult : uint32_t {
    NoError = 0,
    Error = 1,
    BadDeviceId = 2,
    NotEnabled = 3,
    Allocated = 4,
    InvalidHandle = 5,
    NoDriver = 6,
    NoMemory = 7,
    NotSupported = 8,
    BadErrorNumber = 9,
    InvalidFlag = 10,
    InvalidParameter = 11,
    Unprepared = 64,
    StillPlaying = 65,
    NotReady = 67,
    NoDevice = 68,
};

// The text shown for a result code; never null. A number outside the enumeration
// gets the text of BadErrorNumber.
const char* MidiResultText(MidiResult result);
