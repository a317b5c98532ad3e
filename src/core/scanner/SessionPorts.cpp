#include "scanner/SessionPorts.h"

#include "ports/DeviceLookup.h"
#include "ports/SimulatorServices.h"
#include "scanner/ScannerView.h"

#include <algorithm>
#include <cassert>

int ChooseDevice(const std::vector<std::string>& names, const std::string& query,
                 const char* direction, std::string* error) {
    if (query.empty()) {
        // Listed after the real devices: the last of its name is the built-in one.
        const auto found = std::find(names.rbegin(), names.rend(), SimulatorServices::kDeviceName);
        if (found == names.rend()) {
            *error = std::string("the ") + direction + " device '" +
                     SimulatorServices::kDeviceName + "' is not listed";
            return -1;
        }
        return static_cast<int>(names.rend() - found - 1);
    }
    const std::vector<int> matches = MatchDevices(names, query);
    if (matches.size() == 1) {
        return matches.front();
    }
    *error = (matches.empty() ? std::string("no ") + direction + " device matches '"
                              : std::string("several ") + direction + " devices match '") +
             query + "'";
    return -1;
}

SessionPortFailure OpenSessionPorts(ScannerView& view, const std::vector<std::string>& inputs,
                                    int input, const std::vector<std::string>& outputs,
                                    int output) {
    assert(view.m_pInPortDlg != nullptr && view.m_pOutPortDlg != nullptr);
    view.m_pInPortDlg->m_nDevices = static_cast<int>(inputs.size());
    view.m_pInPortDlg->m_nDevice = input;
    view.OpenMidiIn();
    if (view.m_bInOpen == 0) {
        return SessionPortFailure::Input;
    }
    view.m_pOutPortDlg->m_nDevices = static_cast<int>(outputs.size());
    view.m_pOutPortDlg->m_nDevice = output;
    view.OpenMidiOut();
    return view.m_bOutOpen == 0 ? SessionPortFailure::Output : SessionPortFailure::None;
}
