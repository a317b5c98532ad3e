#pragma once

#include "scanner/ScannerView.h"

// A view with no window for the benchmarks: timers are granted and never tick, and
// repaint requests are dropped.
class BenchView : public ScannerView {
protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t) override { return id; }
    void PlatformKillTimer(uint32_t) override {}
    void InvalidateView() override {}
};
