#include "protocol/SysexDecoderStages.h"
#include "scanner/ScannerView.h"

void ScannerView::ProcessMidiInput() {
    ConsumeInputBytes(*this);
    RunEventDiagnostics();
    InvalidateView();
}
