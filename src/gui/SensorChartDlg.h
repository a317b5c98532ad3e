#pragma once

#include "render/SensorChart.h"

#include <QDialog>

#include <memory>

class SensorChart;

// "Sensor Chart": every analysed sensor's RMS deviation and swing against the limits,
// drawn at the window's own size. Modeless, owned by its owner for its life; the close
// box only hides it. A left click on a sensor's column names that sensor.
class CSensorChartDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSensorChartDlg(QWidget* parent = nullptr);
    ~CSensorChartDlg() override;

    // `stats` is copied: the chart shows the computation of the latest tick.
    void Update(const StripStatsWorkArea& stats, const LimitOptions& limits);
    // The chart as the window draws it now.
    SensorChart Chart() const;

    QSize sizeHint() const override;

signals:
    void SensorChosen(int sensor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // What the window shows: the figures are copied out of the view's work area, so the
    // chart stays as it was until the next tick.
    std::unique_ptr<SensorChart> m_chart;
};
