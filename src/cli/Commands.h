#pragma once

#include "cli/CliArguments.h"
#include "cli/ExitStatus.h"

#include <string>
#include <string_view>

class MidiServices;
class ScannerView;

// False, after a message, when WINTESSELTEST_MIDI_API names no MIDI API that this build
// knows: ports and scan refuse it as bad usage rather than list only the simulator as if
// no MIDI system were there. decode opens no device and does not ask.
bool MidiApiVariableValid();

ExitStatus RunDecode(const CliArguments& arguments);

// Hands `bytes` to the input rings as the input callback would, one returned buffer of
// at most 512 bytes at a time, and decodes after each as a poll tick would.
void FeedReceivedBytes(ScannerView& view, std::string_view bytes);

ExitStatus RunScan(const CliArguments& arguments);

// The scan on the given device services, which list the devices; `unavailableReason`
// is told with the device list when a device can't be had.
ExitStatus RunScanOn(MidiServices& services, const std::string& unavailableReason,
                     const CliArguments& arguments);
