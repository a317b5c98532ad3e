#include "services/MidiResult.h"

const char* MidiResultText(MidiResult result) {
    switch (result) {
    case MidiResult::NoError:
        return "The operation completed successfully.";
    case MidiResult::Error:
        return "The MIDI system reported an unspecified error.";
    case MidiResult::BadDeviceId:
        return "There is no MIDI device with this number.";
    case MidiResult::NotEnabled:
        return "The MIDI driver could not be enabled.";
    case MidiResult::Allocated:
        return "The MIDI device is already in use.";
    case MidiResult::InvalidHandle:
        return "The MIDI port is not open.";
    case MidiResult::NoDriver:
        return "The MIDI system cannot be reached.";
    case MidiResult::NoMemory:
        return "There is not enough memory for the MIDI operation.";
    case MidiResult::NotSupported:
        return "The MIDI device does not support this operation.";
    case MidiResult::BadErrorNumber:
        return "The MIDI error number is unknown.";
    case MidiResult::InvalidFlag:
        return "A flag given to the MIDI system is not valid.";
    case MidiResult::InvalidParameter:
        return "A parameter given to the MIDI system is not valid.";
    case MidiResult::Unprepared:
        return "The MIDI buffer header has not been prepared.";
    case MidiResult::StillPlaying:
        return "MIDI buffers are still queued on the device.";
    case MidiResult::NotReady:
        return "The MIDI device is busy.";
    case MidiResult::NoDevice:
        return "The MIDI device is no longer present.";
    }
    return MidiResultText(MidiResult::BadErrorNumber);
}
