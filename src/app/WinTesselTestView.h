#pragma once

#include "scanner/ScannerView.h"

#include <QBasicTimer>
#include <QWidget>

#include <memory>

class StripStatsMonitor;

// The one view: holds the Scanner state, paints it and runs the scanner commands.
class CWinTesselTestView : public QWidget, public ScannerView {
    Q_OBJECT
public:
    explicit CWinTesselTestView(QWidget* parent = nullptr);
    ~CWinTesselTestView() override;

public slots:
    void OnFilePrint();

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t milliseconds) override;
    void PlatformKillTimer(uint32_t timerId) override;
    void InvalidateView() override;

    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_pollTimer;
    uint32_t m_pollTimerId = 0;
    std::unique_ptr<StripStatsMonitor> m_statsDlg;
};
