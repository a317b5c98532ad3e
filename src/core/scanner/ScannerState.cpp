#include "scanner/ScannerState.h"

#include "log/MessageLog.h"

#include <cstring>

// The spellings are the box's own and are kept as they are.
// clang-format off
const char* const kWelcomeLines[6] = {
    "This software requires bidirectional comunication with the QZ4 scanner box.",
    "Activate the MIDI IN and MIDI out channels and connect the MIDI cables from the conputer to the QZ4",
    "Start the timer to show graphic display.",
    "This software requires bidirectional comunication with the QZ4 scanner box.",
    "Set the strip length by using strip statistics menu",
    "don't forget to click the 'get setup information' to 'normalize' the display",
};
// clang-format on

ScannerState::ScannerState() {
    m_bTimerOn = 0;
    m_useSetupCalib = 1;
    m_bOutOpen = 0;
    m_bInOpen = 0;
    m_calibCount = kDefaultCalibCount;
    m_stripLength = kDefaultStripLength;
    m_setupTextPending = 0;
    std::memset(m_values, 0, sizeof m_values);
    std::memset(m_calibLow, 0, sizeof m_calibLow);
    std::memset(m_calibHigh, 0, sizeof m_calibHigh);
    for (const char* line : kWelcomeLines) {
        MessageLog.AppendText(line);
    }
    m_scanCount = 0;
}
