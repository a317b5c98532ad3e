// wintesseltest-cli: a QZ4 diagnostic session from a shell or a script, on the same
// core as the window program.

#include "cli/CliArguments.h"
#include "cli/CliHelp.h"
#include "cli/Commands.h"
#include "cli/Messages.h"
#include "cli/Signals.h"
#include "cli/StandardOutput.h"
#include "files/StandardDescriptors.h"
#include "rtmidi/SystemMidiServices.h"
#include "services/DeviceLookup.h"
#include "services/MidiServices.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

ExitStatus Run(const CliArguments& arguments) {
    if (arguments.help) {
        PrintOut(HelpText(arguments.command));
        return ExitStatus::Success;
    }
    if (arguments.version) {
        PrintOut(std::string("wintesseltest-cli ") + WT_VERSION + "\n");
        return ExitStatus::Success;
    }
    switch (arguments.command) {
    case CliCommand::Ports:
        return RunPorts();
    case CliCommand::Decode:
        return RunDecode(arguments);
    case CliCommand::Scan:
        return RunScan(arguments);
    case CliCommand::None:
        break;
    }
    return ExitStatus::Usage;
}

// Results that did not reach standard output are a failed run: a full disk or a broken
// device gives a message and status 4. A reader that went away (`| head -1`) ends the
// program quietly, by the signal, as Unix tools end.
ExitStatus CheckStandardOutput(ExitStatus status) {
    const int code = StandardOutputError();
    if (code == 0) {
        return status;
    }
    if (code == EPIPE) {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
    PrintError(std::string("can't write standard output: ") + std::strerror(code));
    return MoreSevere(status, ExitStatus::File);
}

} // namespace

int main(int argc, char** argv) {
    // Before anything can open a file and take one of their numbers.
    if (ReopenClosedStandardDescriptors().output) {
        NoteStandardOutputClosedAtStart();
    }
    // A library may have ignored it; a closed pipe should end us as it ends any tool.
    std::signal(SIGPIPE, SIG_DFL);
    InstallSignalHandlers();
    const ParsedArguments parsed =
        ParseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        PrintError(parsed.error);
        const CliCommand command = parsed.arguments.command;
        std::fprintf(stderr, "Try 'wintesseltest-cli%s%s --help'.\n",
                     command == CliCommand::None ? "" : " ",
                     command == CliCommand::None ? "" : CommandName(command));
        return static_cast<int>(ExitStatus::Usage);
    }
    return static_cast<int>(CheckStandardOutput(Run(parsed.arguments)));
}
