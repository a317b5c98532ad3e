#pragma once

#include "services/MidiResult.h"

#include <RtMidi.h>

#include <functional>
#include <string>
#include <vector>

// Which of RtMidi's APIs to use, and whether it can be reached. Constructing RtMidi
// objects for an API whose server is absent prints to standard error or throws, so
// each API is probed quietly first.

// The APIs to try, in order: the named one alone ("alsa", "jack", ...), else the one
// WINTESSELTEST_MIDI_API names, else ALSA and then JACK. An unknown name gives no API
// and a reason in `error`.
std::vector<RtMidi::Api> CandidateMidiApis(const std::string& forced, std::string* error);

// False with a reason when the API's server or device can't be reached.
bool MidiApiReachable(RtMidi::Api api, std::string* reason);

// The MIDI API a program works with, chosen the same way by every program: the first
// candidate that is reachable and that `use` (when given) can start on. Without one,
// `api` is UNSPECIFIED and `reason` says why, naming each API tried;
// `unknownName` tells a misspelt API name from an unreachable system.
struct MidiApiChoice {
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    bool unknownName = false;
    std::string reason;
};
MidiApiChoice ChooseMidiApi(const std::string& forced,
                            const std::function<bool(RtMidi::Api, std::string*)>& use = {});

MidiResult ResultOfRtMidiError(RtMidiError::Type type);
