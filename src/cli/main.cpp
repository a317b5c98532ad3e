// wintesseltest-cli: a QZ4 diagnostic session from a shell or a script, on the same
// core as the window program.

#include "cli/CliArguments.h"
#include "cli/CliHelp.h"
#include "cli/Commands.h"
#include "cli/Messages.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

ExitStatus Run(const CliArguments& arguments) {
    if (arguments.help) {
        std::fputs(HelpText(arguments.command).c_str(), stdout);
        return ExitStatus::Success;
    }
    if (arguments.version) {
        std::printf("wintesseltest-cli %s\n", WT_VERSION);
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

} // namespace

int main(int argc, char** argv) {
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
    return static_cast<int>(Run(parsed.arguments));
}
