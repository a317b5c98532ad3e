#include "cli/ByteCapture.h"
#include "cli/Commands.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "cli/ScanProgress.h"
#include "cli/SessionOutput.h"
#include "cli/Signals.h"
#include "decoder/SysexDecoderState.h"
#include "rtmidi/RtMidiApi.h"
#include "rtmidi/SystemMidiServices.h"
#include "scanner/SessionPorts.h"
#include "services/DeviceLookup.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>

bool MidiApiVariableValid() {
    std::string error;
    if (!CandidateMidiApis({}, &error).empty()) {
        return true;
    }
    PrintError(error);
    return false;
}

namespace {

struct DeviceLists {
    std::vector<std::string> inputs = InputDeviceNames();
    std::vector<std::string> outputs = OutputDeviceNames();
};

void PrintDeviceList(const DeviceLists& devices, const std::string& unavailableReason) {
    if (!unavailableReason.empty()) {
        PrintNote(unavailableReason);
    }
    PrintError("the devices are:");
    std::fputs(DeviceListText(devices.inputs, devices.outputs).c_str(), stderr);
}

// The squelch of both dialogs, input first; then the end of the close is decoded.
void ClosePorts(HeadlessView& view) {
    view.CloseMidiIn();
    view.CloseMidiOut();
    view.ProcessMidiInput();
}

// Runs the poll timer for `ticks` ticks, or until SIGINT or SIGTERM ends it early (also
// one that came while the ports opened); returns the ticks run.
int Poll(HeadlessView& view, LogCollector& log, int ticks) {
    ScanProgress progress(ticks);
    log.SetProgress(&progress);
    HeadlessView::TimerHooks hooks;
    hooks.waitUntil = WaitUnlessInterrupted;
    hooks.afterTick = [&progress](int done) { progress.Show(done); };
    view.StartPollTimer();
    const int ticksRun = view.RunTimer(ticks, hooks);
    ArmScanInterrupt(false);
    view.StopPollTimer();
    progress.Hide();
    log.SetProgress(nullptr);
    return ticksRun;
}

} // namespace

ExitStatus RunScan(const CliArguments& arguments) {
    if (!MidiApiVariableValid()) {
        return ExitStatus::Usage;
    }
    SystemMidiServices system(arguments.scan.simulator);
    return RunScanOn(system.Services(), system.UnavailableReason(), arguments);
}

ExitStatus RunScanOn(MidiServices& services, const std::string& unavailableReason,
                     const CliArguments& arguments) {
    const ScanOptions& scan = arguments.scan;
    OutputRequest outputs;
    outputs.output = arguments.output;
    outputs.capturePath = scan.capturePath;
    if (const std::string clash = OutputPathConflict(outputs, {}); !clash.empty()) {
        PrintError(clash);
        return ExitStatus::Usage;
    }
    SetMidiServices(&services);
    HeadlessView view(std::chrono::milliseconds(scan.periodMs));
    LogCollector log(arguments.output);

    const DeviceLists devices;
    std::string inError;
    std::string outError;
    const int input = ChooseDevice(devices.inputs, scan.inDevice, "input", &inError);
    const int output = ChooseDevice(devices.outputs, scan.outDevice, "output", &outError);
    if (input < 0 || output < 0) {
        for (const std::string* error : {&inError, &outError}) {
            if (!error->empty()) {
                PrintError(*error);
            }
        }
        PrintDeviceList(devices, unavailableReason);
        PrintLog(log);
        return ExitStatus::Device;
    }

    std::optional<ByteCapture> capture;
    if (!scan.capturePath.empty()) {
        capture.emplace();
    }
    // From here on, the ports are closed as at a normal end whenever the scan stops.
    ArmScanInterrupt(true);
    const SessionPortFailure failure =
        OpenSessionPorts(view, devices.inputs, input, devices.outputs, output);
    if (failure != SessionPortFailure::None) {
        const bool inputFailed = failure == SessionPortFailure::Input;
        PrintError(std::string("can't open the ") + (inputFailed ? "input" : "output") +
                   " device '" +
                   EscapedDeviceName(inputFailed ? devices.inputs[static_cast<size_t>(input)]
                                                 : devices.outputs[static_cast<size_t>(output)]) +
                   "'");
        ClosePorts(view);
        PrintDeviceList(devices, unavailableReason);
        PrintLog(log);
        return ExitStatus::Device;
    }

    OutputRequest request;
    request.output = arguments.output;
    request.limits = arguments.limits;
    request.capturePath = scan.capturePath;
    request.capture = capture ? &*capture : nullptr;
    if (!OutputFilesWritable(request)) {
        ClosePorts(view);
        PrintLog(log);
        return ExitStatus::File;
    }

    // An input that reports a MIDI error, or whose device goes away, spoils the scan.
    const int32_t errorsBefore = MidiErrorCount;
    if (arguments.setup) {
        view.OnGetSetupInformation();
    }
    const int ticksRun = Poll(view, log, scan.ticks);
    // The reply to the last request arrives within a period; the close ends input.
    view.WaitOnePeriod();
    ClosePorts(view);
    ExitStatus status = ProduceOutput(view, log, request);
    const int32_t errors = MidiErrorCount - errorsBefore;
    if (errors != 0) {
        PrintError("the input device '" +
                   EscapedDeviceName(devices.inputs[static_cast<size_t>(input)]) + "' reported " +
                   std::to_string(errors) + (errors == 1 ? " MIDI error" : " MIDI errors") +
                   " during the scan (see the log)");
        status = MoreSevere(status, ExitStatus::Device);
    }
    if (const int signal = ScanInterruptSignal(); signal != 0) {
        PrintError("the scan was interrupted after " + std::to_string(ticksRun) + " of " +
                   std::to_string(scan.ticks) + " ticks");
        status = signal == SIGINT ? ExitStatus::Interrupted : ExitStatus::Terminated;
    }
    return status;
}
