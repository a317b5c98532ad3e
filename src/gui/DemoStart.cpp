#include "gui/DemoStart.h"

#include "gui/WinTesselTestView.h"
#include "ports/DeviceLookup.h"
#include "ports/SimulatorServices.h"

#include <algorithm>

namespace {

// The simulator is listed after the real devices: take the last device of its name.
int SimulatorDevice(const std::vector<std::string>& names) {
    const auto found = std::find(names.rbegin(), names.rend(), SimulatorServices::kDeviceName);
    return found == names.rend() ? -1 : static_cast<int>(names.rend() - found - 1);
}

} // namespace

bool StartDemo(CWinTesselTestView& view, QString* error) {
    const int input = SimulatorDevice(InputDeviceNames());
    const int output = SimulatorDevice(OutputDeviceNames());
    if (input < 0 || output < 0 || view.m_pInPortDlg == nullptr || view.m_pOutPortDlg == nullptr) {
        *error = QStringLiteral("the QZ4 Simulator is not listed");
        return false;
    }
    view.m_pInPortDlg->m_nDevice = input;
    view.OpenMidiIn();
    view.m_pOutPortDlg->m_nDevice = output;
    view.OpenMidiOut();
    if (!view.m_bInOpen || !view.m_bOutOpen) {
        *error = QStringLiteral("the QZ4 Simulator could not be opened");
        return false;
    }
    view.OnGetSetupInformation();
    view.StartPollTimer();
    view.update();
    return true;
}
