#pragma once

#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "scanner/ScannerView.h"

#include <cstdint>
#include <vector>

// A view without a window: records timer and repaint requests so tests can look.
class TestView : public ScannerView {
public:
    uint32_t nextTimerId = 1;
    std::vector<uint32_t> killedTimers;
    int invalidations = 0;
    int timersSet = 0;

    using ScannerView::InvalidateView;

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t) override {
        ++timersSet;
        return nextTimerId == 0 ? 0 : id;
    }
    void PlatformKillTimer(uint32_t timerId) override { killedTimers.push_back(timerId); }
    void InvalidateView() override { ++invalidations; }
};
