#include "cli/Commands.h"
#include "cli/Messages.h"
#include "ports/DeviceLookup.h"
#include "rtmidi/SystemMidiServices.h"

#include <cstdio>

ExitStatus RunPorts() {
    SystemMidiServices system;
    SetMidiServices(&system.Services());
    const std::string list = DeviceListText(InputDeviceNames(), OutputDeviceNames());
    std::fputs(list.c_str(), stdout);
    if (!system.UnavailableReason().empty()) {
        PrintNote(system.UnavailableReason() + "; only the QZ4 Simulator is listed");
    }
    return ExitStatus::Success;
}
