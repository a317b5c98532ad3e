#include "gui/MidiInPortDlg.h"

#include "gui/WinTesselTestView.h"
#include "services/MidiServices.h"

CWinTesselTestView* InPortView = nullptr;

CMidiInPortDlg::CMidiInPortDlg(CWinTesselTestView* view)
    : CMidiPortDlg(view, {"Midi Inout Port Select", "Squelch Input", "1001"}) {
    InPortView = view;
}

int CMidiInPortDlg::FillDeviceList() {
    if (List() == nullptr) {
        return 0;
    }
    MidiServices& services = CurrentMidiServices();
    m_nDevices = static_cast<int>(services.InGetNumDevs());
    if (m_nDevices == 0) {
        return 0;
    }
    // A capabilities call that fails leaves the record as it was: the line then
    // repeats the name it held last.
    MidiInCaps caps{};
    for (int device = 0; device < m_nDevices; ++device) {
        services.InGetDevCaps(static_cast<uint32_t>(device), &caps);
        AppendLine(QString::fromLocal8Bit(caps.szPname));
    }
    if (IsPortOpen()) {
        SelectLineWithoutNotification(m_nDevice);
    }
    return 0;
}

bool CMidiInPortDlg::IsPortOpen() const {
    return InPortView != nullptr && InPortView->m_bInOpen;
}

void CMidiInPortDlg::OpenPort() {
    InPortView->OpenMidiIn();
}

void CMidiInPortDlg::ClosePort() {
    InPortView->CloseMidiIn();
}
