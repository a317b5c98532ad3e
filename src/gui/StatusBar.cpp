#include "gui/StatusBar.h"

#include "gui/AppStrings.h"

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
        // Qt does not report the lock keys' states, so the indicators stay dimmed.
        pane->setEnabled(false);
        addPermanentWidget(pane);
        m_indicators[i] = pane;
    }
    SetMessage(QString());
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
