#include "cli/CliHelp.h"

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
    "could not be found or opened; 4 a file could not be read or written. When several\n"
    "apply, the first of 2, 3, 4, 1 wins.\n";

constexpr const char* kPortsHelp =
    "Usage: wintesseltest-cli ports\n"
    "Lists every MIDI device, one per line: 'in <index>: <name>' for each input, then\n"
    "'out <index>: <name>' for each output. The QZ4 Simulator is listed last in each\n"
    "direction. When the MIDI system can't be reached, only the simulator is listed and\n"
    "a note on standard error says why. WINTESSELTEST_MIDI_API (alsa, jack) forces the\n"
    "MIDI system.\n";

constexpr const char* kOutputOptionsHelp =
    "\nOutput, in this order, after the work:\n"
    "  (always)          the Message log lines written after the six welcome lines\n"
    "  --state           scanCount, scanLength, stripLength, the 140 values, calibLow,\n"
    "                    calibHigh and inputLost <bytes> <events>\n"
    "  --stats           the ten figures of the strip statistic monitor\n"
    "  --histogram       the text 'Copy Stats to Buffer' puts on the clipboard (CR LF)\n"
    "  --report FILE     write the scan report that File Save writes\n"
    "  --png FILE        write the view's picture as PNG (no display needed)\n"
    "  --size WxH        the picture's size (default 1300x640)\n"
    "Files are replaced whole or not at all.\n";

constexpr const char* kDecodeHelp =
    "Usage: wintesseltest-cli decode [OUTPUT OPTIONS] [--setup] FILE...\n"
    "Decodes raw MIDI bytes, as a .syx file or a capture of 'scan --capture' holds them,\n"
    "as if they had arrived at the input port: each file in turn, 512 bytes per input\n"
    "event, one decoder run after each. No port is opened.\n"
    "\n"
    "  --setup           run Get Setup Information first, so that a setup-text packet\n"
    "                    followed by a setup-information packet copies the calibration\n";

constexpr const char* kScanHelp =
    "Usage: wintesseltest-cli scan [OUTPUT OPTIONS] [--in DEV] [--out DEV] [--ticks N]\n"
    "           [--period MS] [--setup] [--capture FILE] [--sim-sensors N] [--sim-seed S]\n"
    "           [--max-avg-deviation X] [--max-swing N]\n"
    "Opens the input and then the output device, optionally gets the setup information,\n"
    "runs the poll timer for N ticks, waits one more period, closes the input and then\n"
    "the output, decodes what is left and reports.\n"
    "\n"
    "  --in DEV, --out DEV   the devices: an index when all digits, otherwise a part of\n"
    "                    the name (any case) that matches exactly one device; default\n"
    "                    the QZ4 Simulator ('wintesseltest-cli ports' lists them)\n"
    "  --ticks N         poll timer ticks (default 300)\n"
    "  --period MS       poll period in milliseconds (default 120)\n"
    "  --setup           run Get Setup Information before the first tick\n"
    "  --capture FILE    write every byte the decoder took, in order; 'decode FILE'\n"
    "                    rebuilds the same state and statistics from it\n"
    "  --sim-sensors N   values per scan of the QZ4 Simulator (default 122)\n"
    "  --sim-seed S      the simulator's noise and key motion (default 1)\n"
    "  --max-avg-deviation X   status 1 when Avg Deviation is above X\n"
    "  --max-swing N     status 1 when Max Deviation Swing is above N\n"
    "                    (each figure above its limit gives a line on standard error)\n";

} // namespace

std::string HelpText(CliCommand command) {
    switch (command) {
    case CliCommand::Ports:
        return kPortsHelp;
    case CliCommand::Decode:
        return std::string(kDecodeHelp) + kOutputOptionsHelp;
    case CliCommand::Scan:
        return std::string(kScanHelp) + kOutputOptionsHelp;
    case CliCommand::None:
        break;
    }
    return kProgramHelp;
}
