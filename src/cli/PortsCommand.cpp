#include "cli/Commands.h"
#include "cli/Messages.h"
#include "cli/StandardOutput.h"
#include "ports/DeviceLookup.h"
#include "rtmidi/RtMidiApi.h"
#include "rtmidi/SystemMidiServices.h"

bool MidiApiVariableValid() {
    std::string error;
    if (!CandidateMidiApis({}, &error).empty()) {
        return true;
    }
    PrintError(error);
    return false;
}

ExitStatus RunPorts() {
    if (!MidiApiVariableValid()) {
        return ExitStatus::Usage;
    }
    SystemMidiServices system;
    SetMidiServices(&system.Services());
    const std::string list = DeviceListText(InputDeviceNames(), OutputDeviceNames());
    PrintOut(list);
    if (!system.UnavailableReason().empty()) {
        PrintNote(system.UnavailableReason() + "; only the QZ4 Simulator is listed");
    }
    return ExitStatus::Success;
}
