#include "app/WinTesselTestView.h"

#include "stats/StripStatsMonitor.h"

#include <QTimerEvent>

CWinTesselTestView::CWinTesselTestView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CWinTesselTestView"));
    m_statsDlg = std::make_unique<StripStatsMonitor>(this);
    m_pStatsDlg = m_statsDlg.get();
}

CWinTesselTestView::~CWinTesselTestView() {
    m_pStatsDlg = nullptr;
    m_statsDlg.reset();
}

uint32_t CWinTesselTestView::PlatformSetTimer(uint32_t id, uint32_t milliseconds) {
    m_pollTimer.start(static_cast<int>(milliseconds), Qt::PreciseTimer, this);
    m_pollTimerId = id;
    return id;
}

void CWinTesselTestView::PlatformKillTimer(uint32_t timerId) {
    if (timerId != 0 && timerId == m_pollTimerId) {
        m_pollTimer.stop();
        m_pollTimerId = 0;
    }
}

void CWinTesselTestView::InvalidateView() {
    update();
}

void CWinTesselTestView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_pollTimer.timerId()) {
        OnTimer(m_pollTimerId);
    } else {
        QWidget::timerEvent(event);
    }
}
