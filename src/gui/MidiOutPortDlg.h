#pragma once

#include "gui/MidiPortDlg.h"

class CWinTesselTestView;

// "Midi Output Port Select": lists the MIDI output devices, then the scan count.
class CMidiOutPortDlg : public CMidiPortDlg {
public:
    explicit CMidiOutPortDlg(CWinTesselTestView* view);

    int FillDeviceList() override;

protected:
    bool IsPortOpen() const override;
    void OpenPort() override;
    void ClosePort() override;
};

// The view that the output port dialog was made for.
extern CWinTesselTestView* OutPortView;
