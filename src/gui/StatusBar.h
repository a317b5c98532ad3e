#pragma once

#include <QStatusBar>

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

private:
    QLabel* m_messagePane;
    QLabel* m_indicators[3];
};
