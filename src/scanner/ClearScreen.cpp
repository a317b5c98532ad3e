#include "scanner/MessageLog.h"
#include "scanner/ScannerView.h"

void ScannerView::OnClearScreen() {
    MessageLog.Clear();
    InvalidateView();
}
