#pragma once

#include "gui/X11LockIndicators.h"

#include <QStatusBar>

#include <optional>

class QLabel;

// The status bar: a message pane showing "Ready" when idle and the prompt of the
// highlighted menu item or button, then the CAP, NUM and SCRL indicators.
class CStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CStatusBar(QWidget* parent);

    // Shows the prompt of the highlighted menu item or button, which may be empty; with
    // nothing highlighted, an empty prompt shows "Ready".
    void SetMessage(const QString& prompt, bool commandHighlighted = false);
    QString Message() const;
    QLabel* Indicator(int id) const;
    // Each indicator shows its text while its lock is on and is blank while it is off;
    // with the states unknown, the texts stay, dimmed.
    void ShowLockIndicators(const std::optional<LockIndicators>& states);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_messagePane;
    QLabel* m_indicators[3];
};
