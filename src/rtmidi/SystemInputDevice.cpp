#include "rtmidi/SystemInputDevice.h"

#include "rtmidi/JackInputDevice.h"
#include "rtmidi/RtMidiInputDevice.h"

std::unique_ptr<SystemInputDevice> MakeSystemInputDevice(RtMidi::Api api, InputPort& port) {
    if (api == RtMidi::UNIX_JACK) {
        return std::make_unique<JackInputDevice>(port);
    }
    return std::make_unique<RtMidiInputDevice>(api, port);
}
