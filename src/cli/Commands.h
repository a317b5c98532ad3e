#pragma once

#include "cli/CliArguments.h"
#include "cli/ExitStatus.h"

#include <string>

class MidiServices;

ExitStatus RunPorts();
ExitStatus RunDecode(const CliArguments& arguments);
ExitStatus RunScan(const CliArguments& arguments);

// The scan on the given device services, which list the devices; `unavailableReason`
// is told with the device list when a device can't be had.
ExitStatus RunScanOn(MidiServices& services, const std::string& unavailableReason,
                     const CliArguments& arguments);
