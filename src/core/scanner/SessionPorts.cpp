#include "scanner/SessionPorts.h"

#include "scanner/ScannerView.h"

#include <algorithm>
#include <cassert>

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
