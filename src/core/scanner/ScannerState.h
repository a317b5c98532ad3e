#pragma once

#include <bitset>
#include <cstdint>

// What a port selection dialog holds for the port layer: the device chosen last.
struct PortDeviceChoice {
    int m_nDevices = 0;
    int m_nDevice = 0;
};

class StripStatsMonitor;

// Everything the program knows about the QZ4 and its link to it. Held by the view
// and written on the window thread only.
struct ScannerState {
    static constexpr int kValues = 140;
    static constexpr int kHistorySensors = 256;
    static constexpr int kHistoryScans = 256;
    static constexpr int kSetupWords = 2050;
    static constexpr int kDefaultCalibCount = 122;
    static constexpr int8_t kDefaultStripLength = 93;

    int32_t m_bTimerOn = 0;
    uint32_t m_nTimerId = 0;
    int32_t m_bInOpen = 0;
    int32_t m_bOutOpen = 0;
    uint8_t m_history[kHistorySensors][kHistoryScans] = {};
    uint8_t m_values[kValues] = {};
    uint8_t m_calibLow[kValues] = {};
    uint8_t m_calibHigh[kValues] = {};
    int32_t m_scanCount = 0;
    int32_t m_scanLength = 0;
    int32_t m_calibCount = 0;
    int32_t m_setupTextPending = 0;
    int32_t m_setupWords[kSetupWords] = {};
    int32_t m_setupRequested = 0;
    int32_t m_useSetupCalib = 0;
    int8_t m_stripLength = 0;
    PortDeviceChoice* m_pInPortDlg = nullptr;
    PortDeviceChoice* m_pOutPortDlg = nullptr;
    StripStatsMonitor* m_pStatsDlg = nullptr;
    // The sensors above a bench's per-sensor limits, flagged in the picture; none while
    // no such limit is set.
    std::bitset<kValues> m_failingSensors = {};

    // The defaults a new view starts with, set in the view's construction order;
    // the welcome lines go into the Message log. The dialog objects are the
    // owner's to create.
    ScannerState();
    ScannerState(const ScannerState&) = delete;
    ScannerState& operator=(const ScannerState&) = delete;
};

// The six lines every new view writes into the Message log.
extern const char* const kWelcomeLines[6];
