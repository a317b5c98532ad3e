#include "cli/HeadlessView.h"

#include <algorithm>
#include <thread>

HeadlessView::HeadlessView(std::chrono::milliseconds period) : m_period(period) {
    m_pInPortDlg = &m_inPort;
    m_pOutPortDlg = &m_outPort;
    m_pStatsDlg = &m_monitor;
}

HeadlessView::~HeadlessView() {
    ClosePortsAtShutdown();
}

uint32_t HeadlessView::PlatformSetTimer(uint32_t id, uint32_t /*milliseconds*/) {
    m_timerId = id;
    m_nextTick = std::chrono::steady_clock::now() + m_period;
    return id;
}

void HeadlessView::PlatformKillTimer(uint32_t timerId) {
    if (timerId != 0 && timerId == m_timerId) {
        m_timerId = 0;
    }
}

int HeadlessView::RunTimer(int ticks, const TimerHooks& hooks) {
    int delivered = 0;
    while (delivered < ticks && m_timerId != 0) {
        if (hooks.waitUntil) {
            if (!hooks.waitUntil(m_nextTick)) {
                break;
            }
        } else {
            std::this_thread::sleep_until(m_nextTick);
        }
        // A late tick does not bring a burst of ticks after it, as with a window timer.
        m_nextTick = std::max(m_nextTick + m_period, std::chrono::steady_clock::now());
        OnTimer(m_timerId);
        ++delivered;
        if (hooks.afterTick) {
            hooks.afterTick(delivered);
        }
    }
    return delivered;
}

void HeadlessView::WaitOnePeriod() const {
    std::this_thread::sleep_for(m_period);
}
