#pragma once

#include "stats/LimitVerdict.h"
#include "stats/StripStats.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class QPainter;

// Every analysed sensor's RMS deviation and swing as two rows of bars, sensor index
// along x, with the per-sensor limits as horizontal lines; a failing sensor's bars are
// red in both rows, so that the same sensor is found in each. Made from a copy of the
// figures, so that it stays as it was when the statistics are computed again.
class SensorChart {
public:
    enum class Row { Rms, Swing };

    static const QColor kFailingColour; // RGB 255 0 0
    static const QColor kBarColour;
    static const QColor kLimitColour;

    SensorChart(const StripStatsWorkArea& stats, const LimitOptions& limits, QSize size);
    // The same figures laid out at another size.
    SensorChart Resized(QSize size) const;

    // Draws the whole chart onto `painter` over (0, 0) to its size; with an `area`, the
    // part of a window being repainted, what lies wholly outside it is left out. Text
    // needs a QGuiApplication.
    void Draw(QPainter& painter, const QRegion& area = QRegion()) const;
    QImage Image() const;
    // Where this chart looks different from `before` on screen, so that a window that
    // repaints at every tick sends only that: the bars that moved or changed colour and
    // the title, or the whole chart when its size, scale or limits moved.
    QRegion ChangedArea(const SensorChart& before) const;

    int Sensors() const { return static_cast<int>(m_rms.size()); }
    bool Fails(int sensor) const { return m_fails[static_cast<size_t>(sensor)]; }
    // The sensor whose column holds `point`, in either row from its top to its baseline;
    // -1 when none does.
    int SensorAt(QPoint point) const;
    // Where a sensor's bar lies; empty for a bar of height 0.
    QRect BarRect(Row row, int sensor) const;
    // The pixel row of `value` on a row's scale: its baseline for 0.
    int ValueY(Row row, double value) const;
    // The row's plot area: bars stand on its bottom edge.
    QRect PlotRect(Row row) const { return row == Row::Rms ? m_rmsPlot : m_swingPlot; }
    // The top of the row's scale and the distance between its labelled values.
    double ScaleTop(Row row) const { return row == Row::Rms ? m_rmsTop : m_swingTop; }

private:
    void Layout();
    void DrawRow(QPainter& painter, Row row, const QRegion& area) const;
    double Value(Row row, int sensor) const;
    std::optional<double> LimitOf(Row row) const;
    double ScaleStep(Row row) const { return row == Row::Rms ? m_rmsStep : m_swingStep; }
    double Slot() const;
    bool SameFrame(const SensorChart& other) const;
    int Failing() const;

    QSize m_size;
    int m_scans = 0;
    std::vector<float> m_rms;
    std::vector<int> m_swing;
    std::vector<bool> m_fails;
    LimitOptions m_limits;
    QRect m_rmsPlot;
    QRect m_swingPlot;
    double m_rmsTop = 1;
    double m_rmsStep = 1;
    double m_swingTop = 1;
    double m_swingStep = 1;
};

// A number of an axis, with `decimals` digits after a decimal point in every locale.
QString ChartNumber(double value, int decimals);
