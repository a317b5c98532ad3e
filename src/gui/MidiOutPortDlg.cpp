#include "gui/MidiOutPortDlg.h"

#include "gui/WinTesselTestView.h"
#include "services/MidiServices.h"

#include <cstdio>

CWinTesselTestView* OutPortView = nullptr;

CMidiOutPortDlg::CMidiOutPortDlg(CWinTesselTestView* view)
    : CMidiPortDlg(view, {"Midi Output Port Select", "Squelch Port", "1002"}) {
    OutPortView = view;
}

int CMidiOutPortDlg::FillDeviceList() {
    if (List() == nullptr) {
        return 0;
    }
    MidiServices& services = CurrentMidiServices();
    m_nDevices = static_cast<int>(services.OutGetNumDevs());
    MidiOutCaps caps{};
    for (int device = 0; device < m_nDevices; ++device) {
        services.OutGetDevCaps(static_cast<uint32_t>(device), &caps);
        AppendLine(QString::fromLocal8Bit(caps.szPname));
    }
    if (IsPortOpen()) {
        SelectLineWithoutNotification(m_nDevice);
    }
    char countLine[32];
    std::snprintf(countLine, sizeof countLine, "TesselHistoryCount %d",
                  OutPortView != nullptr ? OutPortView->m_scanCount : 0);
    AppendLine(QString::fromLatin1(countLine));
    return 0;
}

bool CMidiOutPortDlg::IsPortOpen() const {
    return OutPortView != nullptr && OutPortView->m_bOutOpen;
}

void CMidiOutPortDlg::OpenPort() {
    OutPortView->OpenMidiOut();
}

void CMidiOutPortDlg::ClosePort() {
    OutPortView->CloseMidiOut();
}
