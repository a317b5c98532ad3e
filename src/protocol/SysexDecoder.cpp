#include "scanner/ScannerView.h"

void ScannerView::ProcessMidiInput() {
    InvalidateView();
}
