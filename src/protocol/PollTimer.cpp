#include "scanner/ScannerView.h"

namespace {
constexpr uint32_t kPollTimerId = 1;
constexpr uint32_t kPollPeriodMs = 120;
} // namespace

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
