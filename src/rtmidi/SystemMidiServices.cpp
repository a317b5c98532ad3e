#include "rtmidi/SystemMidiServices.h"

SystemMidiServices::SystemMidiServices(const SimulatorOptions& simulator,
                                       const std::string& forcedApi)
    : m_real(forcedApi), m_simulator(simulator) {}

SystemMidiServices::~SystemMidiServices() {
    if (&CurrentMidiServices() == &m_composite) {
        SetMidiServices(nullptr);
    }
}
