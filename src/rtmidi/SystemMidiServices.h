#pragma once

#include "rtmidi/RtMidiServices.h"
#include "services/CompositeMidiServices.h"
#include "sim/SimulatorOptions.h"
#include "sim/SimulatorServices.h"

#include <string>

// The device services a program runs on: the real MIDI system's devices first, then
// the "QZ4 Simulator". A program's main() makes one, before any view and outliving
// them all, and installs Services() with SetMidiServices; the destructor uninstalls
// them if they are still installed.
class SystemMidiServices {
public:
    explicit SystemMidiServices(const SimulatorOptions& simulator = {},
                                const std::string& forcedApi = {});
    ~SystemMidiServices();
    SystemMidiServices(const SystemMidiServices&) = delete;
    SystemMidiServices& operator=(const SystemMidiServices&) = delete;

    MidiServices& Services() { return m_composite; }
    SimulatorServices& Simulator() { return m_simulator; }
    // Why no real device is listed, for a note; empty when the MIDI system was reached.
    std::string UnavailableReason() const { return m_real.UnavailableReason(); }

private:
    RtMidiServices m_real;
    SimulatorServices m_simulator;
    CompositeMidiServices m_composite{m_real, m_simulator};
};
