#pragma once

#include "scanner/ScannerState.h"
#include "stats/LimitVerdict.h"
#include "stats/StripStats.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

struct SensorSamples;

// "Sensor i": one sensor's samples over the statistics window, the histogram of its
// deviations and its figures. Modeless, owned by the view for its life; the close box
// only hides it. It shows what the view's latest Update gave it, so a re-aim between
// ticks needs no new computation. Ctrl+C copies the figures.
class CSensorViewDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSensorViewDlg(QWidget* parent = nullptr);
    ~CSensorViewDlg() override;

    // `stats` must be the view's latest computation over `state`.
    void Update(const ScannerState& state, const StripStatsWorkArea& stats,
                const LimitOptions& limits);
    void SetSensor(int sensor);
    int Sensor() const { return m_sensor; }

    // The figures as the window shows them, one per line.
    QString FiguresText() const;
    // What the picture draws for the sensor shown.
    SensorSamples Samples() const;

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Refresh();
    // How many samples the shown sensor has.
    int SampleCount() const;

    int m_sensor = 0;
    int m_scanLength = 0;
    int m_scanCount = 0;
    std::unique_ptr<StripStatsWorkArea> m_stats;
    // The view's rings of every sensor's latest scans, beyond the analysed ones too.
    using HistoryRings =
        std::array<std::array<uint8_t, ScannerState::kHistoryScans>, ScannerState::kHistorySensors>;
    std::unique_ptr<HistoryRings> m_history;
    std::array<uint8_t, ScannerState::kValues> m_calibLow = {};
    std::array<uint8_t, ScannerState::kValues> m_calibHigh = {};
    LimitOptions m_limits;
    class TraceWidget;
    class FiguresWidget;
    TraceWidget* m_picture = nullptr;
    FiguresWidget* m_figures = nullptr;
};
