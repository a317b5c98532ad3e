#pragma once

#include "scanner/ScannerState.h"
#include "stats/SensorWatch.h"

#include <cstdint>

// The view's behaviour without a window: the port operations, the SysEx decoder,
// the poll cycle and the scanner commands, all on the Scanner state it inherits.
// The window program's view and the command-line runner derive from it and supply
// what a window system gives: a timer and a repaint request. Window thread only.
class ScannerView : public ScannerState {
public:
    ScannerView() = default;
    virtual ~ScannerView() = default;

    // MIDI port layer.
    int OpenMidiIn();
    int CloseMidiIn();
    void OpenMidiOut();
    void CloseMidiOut();
    // Closes what is open the way the view's destructor does: the input through
    // CloseMidiIn, the output silently. Derived classes call it from their destructor.
    void ClosePortsAtShutdown();

    // SysEx receive decoder.
    void ProcessMidiInput();

    // Poll cycle and scanner commands.
    void StartPollTimer();
    void StopPollTimer();
    void OnTimer(uint32_t timerId);
    void OnScanDump();
    void OnGetSetupInformation();

    void OnClearScreen();

    // The view's own statistics of its sensors, judged at every decode while something
    // watches them; other windows read them from here.
    SensorWatch& Watch() { return m_sensorWatch; }
    const SensorWatch& Watch() const { return m_sensorWatch; }
    // Judges the sensors by `limits` from now on, at once: a flag set or cleared shows
    // without waiting for the poll.
    void SetSensorLimits(const LimitOptions& limits);

protected:
    // The window system's timer: returns the id of a timer that calls OnTimer every
    // `milliseconds`, or 0 when refused.
    virtual uint32_t PlatformSetTimer(uint32_t id, uint32_t milliseconds) = 0;
    virtual void PlatformKillTimer(uint32_t timerId) = 0;
    // Asks for a repaint of the whole view.
    virtual void InvalidateView() = 0;

private:
    SensorWatch m_sensorWatch;
};
