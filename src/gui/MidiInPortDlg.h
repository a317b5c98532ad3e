#pragma once

#include "gui/MidiPortDlg.h"

class CWinTesselTestView;

// "Midi Inout Port Select": lists the MIDI input devices and opens the chosen one.
class CMidiInPortDlg : public CMidiPortDlg {
public:
    explicit CMidiInPortDlg(CWinTesselTestView* view);

    int FillDeviceList() override;

protected:
    bool IsPortOpen() const override;
    void OpenPort() override;
    void ClosePort() override;
};

// The view that the input port dialog was made for.
extern CWinTesselTestView* InPortView;
