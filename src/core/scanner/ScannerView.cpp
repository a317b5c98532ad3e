#include "scanner/ScannerView.h"

#include "decoder/SysexDecoderStages.h"
#include "log/MessageLog.h"
#include "ports/SendLongMessage.h"

namespace {
constexpr uint32_t kPollTimerId = 1;
constexpr uint32_t kPollPeriodMs = 120;
} // namespace

// Ticks in progress on the window thread. A tick dispatched by a message loop nested
// inside another tick finds it nonzero and does nothing.
uint8_t TickDepth = 0;

const uint8_t ScanRequest[4] = {0xF0, 0x09, 0x2B, 0xF7};

void ScannerView::StartPollTimer() {
    if (m_bTimerOn != 0) {
        return;
    }
    // Marked running even when the timer service refuses: StopTimer then kills the
    // stored 0, which does nothing, and the state table stays as the menu expects.
    m_nTimerId = PlatformSetTimer(kPollTimerId, kPollPeriodMs);
    m_bTimerOn = 1;
}

void ScannerView::StopPollTimer() {
    if (m_bTimerOn == 1) {
        PlatformKillTimer(m_nTimerId);
        m_bTimerOn = 0;
    }
}

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

void ScannerView::ProcessMidiInput() {
    ConsumeInputBytes(*this);
    RunEventDiagnostics();
    // Before the repaint, so that the flags shown are those of the scans shown.
    m_sensorWatch.Judge(*this);
    InvalidateView();
}

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

void ScannerView::SetSensorLimits(const LimitOptions& limits) {
    m_sensorWatch.SetLimits(limits);
    m_sensorWatch.Judge(*this);
    InvalidateView();
}

void ScannerView::OnClearScreen() {
    MessageLog.Clear();
    InvalidateView();
}
