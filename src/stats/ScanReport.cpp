#include "stats/ScanReport.h"

#include "scanner/ScannerView.h"
#include "stats/StatsView.h"

namespace {

constexpr const char* kNoScanInstructions[] = {
    "the scanner report is not available\n",
    "Run the scan dump:\n",
    " 1> Connect the QZ4 midi out to your computer midi in \n",
    " 2> Connect your computer midi out to the QZ4 midi in \n",
    " 3> open the MidiInput port \n",
    " 4> open the MidiOut port \n",
    " 5> Start the Timer \n",
    " 6> Stop the Timer \n",
    "\n",
};

} // namespace

std::string BuildScanReport() {
    ScannerView& view = *StatsView;
    view.ProcessMidiInput();

    std::string text = "\n";
    if (view.m_scanCount == 0) {
        for (const char* line : kNoScanInstructions) {
            text += line;
        }
        view.ProcessMidiInput();
        return text;
    }
    return text;
}
