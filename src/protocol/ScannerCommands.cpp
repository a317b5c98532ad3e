#include "midi/SendLongMessage.h"
#include "scanner/ScannerView.h"

const uint8_t ScanRequest[4] = {0xF0, 0x09, 0x2B, 0xF7};

void ScannerView::OnScanDump() {
    SendLongMessage(2, ScanRequest);
}

void ScannerView::OnGetSetupInformation() {
    const uint8_t setupInformationRequest[6] = {0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
    const uint8_t command2ARequest[4] = {0xF0, 0x09, 0x2A, 0xF7};

    m_setupTextPending = 1;
    SendLongMessage(4, setupInformationRequest);
    m_setupRequested = 1;
    m_useSetupCalib = 1;
    SendLongMessage(2, command2ARequest);
}
