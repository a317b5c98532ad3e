#include "cli/CliHelp.h"

#include "cli/CliArguments.h"

namespace {

constexpr const char* kProgramHelp =
    "Usage: wintesseltest-cli COMMAND [OPTION...]\n"
    "Runs a QZ4 diagnostic session without a window: the same port operations, decoder,\n"
    "poll cycle, statistics, report and picture as WinTesselTest.\n"
    "\n"
    "Commands:\n"
    "  ports    list the MIDI input and output devices\n"
    "  decode   decode .syx files of received bytes (a capture, say)\n"
    "  scan     open a QZ4, poll it for a number of ticks and report\n"
    "\n"
    "  wintesseltest-cli COMMAND --help   the options of a command\n"
    "  wintesseltest-cli --version        the version\n"
    "\n"
    "Exit status: 0 success; 1 a --max-* limit was exceeded; 2 bad usage; 3 a device\n"
    "could not be found or opened, or reported a MIDI error or went away during the\n"
    "scan; 4 a file could not be read or written. When several apply, the first of\n"
    "2, 3, 4, 1 wins.\n";

constexpr const char* kPortsHelp =
    "Usage: wintesseltest-cli ports\n"
    "Lists every MIDI device, one per line: 'in <index>: <name>' for each input, then\n"
    "'out <index>: <name>' for each output. The QZ4 Simulator is listed last in each\n"
    "direction. When the MIDI system can't be reached, only the simulator is listed and\n"
    "a note on standard error says why. WINTESSELTEST_MIDI_API (alsa, jack) forces the\n"
    "MIDI system; an unknown name is refused as bad usage (status 2), by scan too.\n";

std::string OutputOptionsHelp(CliCommand command) {
    return "\nOutput, in this order, after the work:\n"
           "  (always)          the Message log lines written after the six welcome lines\n" +
           OptionHelp(command, true) + "Files are replaced whole or not at all.\n";
}

constexpr const char* kDecodeHelp =
    "Usage: wintesseltest-cli decode [OUTPUT OPTIONS] [LIMITS] [--setup] FILE...\n"
    "Decodes raw MIDI bytes, as a .syx file or a capture of 'scan --capture' holds them,\n"
    "as if they had arrived at the input port: each file in turn, 512 bytes per input\n"
    "event, one decoder run after each. No port is opened. LIMITS are the --max-*\n"
    "options below, OUTPUT OPTIONS those under Output.\n"
    "\n";

constexpr const char* kScanHelp =
    "Usage: wintesseltest-cli scan [OUTPUT OPTIONS] [LIMITS] [--in DEV] [--out DEV]\n"
    "           [--ticks N] [--period MS] [--setup] [--capture FILE] [--sim-sensors N]\n"
    "           [--sim-seed S] [--sim-fault FAULT]... [--sim-still]\n"
    "Opens the input and then the output device, optionally gets the setup information,\n"
    "runs the poll timer for N ticks, waits one more period, closes the input and then\n"
    "the output, decodes what is left and reports. LIMITS are the --max-* options\n"
    "below, OUTPUT OPTIONS those under Output.\n"
    "\n";

} // namespace

std::string HelpText(CliCommand command) {
    switch (command) {
    case CliCommand::Ports:
        return kPortsHelp;
    case CliCommand::Decode:
    case CliCommand::Scan:
        return (command == CliCommand::Decode ? kDecodeHelp : kScanHelp) +
               OptionHelp(command, false) + OutputOptionsHelp(command);
    case CliCommand::None:
        break;
    }
    return kProgramHelp;
}
