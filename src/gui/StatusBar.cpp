#include "gui/StatusBar.h"

#include "gui/AppStrings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

namespace {
constexpr int kIndicatorIds[3] = {59137, 59138, 59139};
} // namespace

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("AFX_IDW_STATUS_BAR"));
    setSizeGripEnabled(true);
    m_messagePane = new QLabel(this);
    m_messagePane->setObjectName(QStringLiteral("messagePane"));
    addWidget(m_messagePane, 1);
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(AppStrings::Load(kIndicatorIds[i]), this);
        pane->setObjectName(AppStrings::Load(kIndicatorIds[i]));
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        addPermanentWidget(pane);
        m_indicators[i] = pane;
    }
    SetMessage(QString());
    ShowLockIndicators(ReadX11LockIndicators());
    // A lock key pressed here, or in another program before coming back.
    qApp->installEventFilter(this);
}

bool CStatusBar::eventFilter(QObject* watched, QEvent* event) {
    bool changed = false;
    if (event->type() == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        changed = key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock;
    } else if (event->type() == QEvent::ApplicationStateChange) {
        changed = static_cast<QApplicationStateChangeEvent*>(event)->applicationState() ==
                  Qt::ApplicationActive;
    }
    if (changed) {
        ShowLockIndicators(ReadX11LockIndicators());
    }
    return QStatusBar::eventFilter(watched, event);
}

void CStatusBar::ShowLockIndicators(const std::optional<LockIndicators>& states) {
    const bool on[3] = {states && states->capsLock, states && states->numLock,
                        states && states->scrollLock};
    for (int i = 0; i < 3; ++i) {
        m_indicators[i]->setEnabled(states.has_value());
        m_indicators[i]->setText(!states || on[i] ? AppStrings::Load(kIndicatorIds[i]) : QString());
    }
}

void CStatusBar::SetMessage(const QString& prompt, bool commandHighlighted) {
    const bool idle = prompt.isEmpty() && !commandHighlighted;
    m_messagePane->setText(idle ? AppStrings::Load(AppStrings::kIdleMessage) : prompt);
}

QString CStatusBar::Message() const {
    return m_messagePane->text();
}

QLabel* CStatusBar::Indicator(int id) const {
    for (QLabel* pane : m_indicators) {
        if (pane->objectName() == AppStrings::Load(id)) {
            return pane;
        }
    }
    return nullptr;
}
