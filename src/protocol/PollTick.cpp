#include "scanner/ScannerView.h"

// Ticks in progress on the window thread. A tick dispatched by a message loop nested
// inside another tick finds it nonzero and does nothing.
uint8_t TickDepth = 0;

void ScannerView::OnTimer(uint32_t /*timerId*/) {
    const uint8_t depth = TickDepth;
    TickDepth = static_cast<uint8_t>(depth + 1);
    if (depth == 0) {
        // Decode first, then ask: the tick shows the answer to the previous request.
        ProcessMidiInput();
        OnScanDump();
        TickDepth = 0;
    }
}
