#include "render/SensorChart.h"

#include "render/ChartText.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

const QColor SensorChart::kFailingColour(255, 0, 0);
const QColor SensorChart::kBarColour(120, 120, 120);
const QColor SensorChart::kLimitColour(0, 0, 255);

namespace {

const QColor kGridColour(225, 225, 225);
const QColor kAxisColour(0, 0, 0);

constexpr int kLeft = 56; // the scale's numbers
constexpr int kRight = 16;
constexpr int kTitle = 24; // the chart's title line
constexpr int kRowTitle = 18;
constexpr int kIndexBand = 26; // the sensor numbers under each row
constexpr int kFontPixels = 11;

// A step of 1, 2 or 5 times a power of ten that divides `top` into about `ticks` parts,
// whole for a row of whole numbers.
double NiceStep(double top, int ticks, bool whole) {
    const double raw = top / ticks;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    }
    return whole ? std::max(1.0, std::round(step)) : step;
}

int Decimals(double step) {
    return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

} // namespace

QString ChartNumber(double value, int decimals) {
    // QString::number is the C locale's, whatever the user's is.
    return QString::number(value, 'f', decimals);
}

SensorChart::SensorChart(const StripStatsWorkArea& stats, const LimitOptions& limits, QSize size)
    : m_size(size), m_scans(stats.S), m_limits(limits) {
    const int analysed = std::clamp(stats.N, 0, StripStatsWorkArea::kMaxSensors);
    m_fails.assign(static_cast<size_t>(analysed), false);
    for (int i = 0; i < analysed; ++i) {
        m_rms.push_back(stats.SensorRms[i]);
        m_swing.push_back(SensorSwing(stats, i));
    }
    for (const SensorFailure& failure : FailingSensors(stats, limits.Sensors())) {
        m_fails[static_cast<size_t>(failure.sensor)] = true;
    }

    Layout();
}

SensorChart SensorChart::Resized(QSize size) const {
    SensorChart chart = *this;
    chart.m_size = size;
    chart.Layout();
    return chart;
}

void SensorChart::Layout() {
    const QSize size = m_size;
    const int analysed = Sensors();
    const int width = std::max(0, size.width() - kLeft - kRight);
    const int plotHeight =
        std::max(0, (size.height() - kTitle - 2 * kRowTitle - 2 * kIndexBand) / 2);
    m_rmsPlot = QRect(kLeft, kTitle + kRowTitle, width, plotHeight);
    m_swingPlot =
        QRect(kLeft, m_rmsPlot.y() + plotHeight + kIndexBand + kRowTitle, width, plotHeight);

    const int ticks = std::clamp(plotHeight / 40, 2, 8);
    for (Row row : {Row::Rms, Row::Swing}) {
        double largest = row == Row::Rms ? 0.5 : 4;
        for (int i = 0; i < analysed; ++i) {
            largest = std::max(largest, Value(row, i));
        }
        largest = std::max(largest, LimitOf(row).value_or(0));
        const double step = NiceStep(largest, ticks, row == Row::Swing);
        const double top = step * std::ceil(largest / step);
        (row == Row::Rms ? m_rmsStep : m_swingStep) = step;
        (row == Row::Rms ? m_rmsTop : m_swingTop) = top;
    }
}

double SensorChart::Value(Row row, int sensor) const {
    const auto i = static_cast<size_t>(sensor);
    return row == Row::Rms ? static_cast<double>(m_rms[i]) : m_swing[i];
}

std::optional<double> SensorChart::LimitOf(Row row) const {
    if (row == Row::Rms) {
        return m_limits.maxSensorRms ? std::optional<double>(m_limits.maxSensorRms->value)
                                     : std::nullopt;
    }
    return m_limits.maxSensorSwing ? std::optional<double>(m_limits.maxSensorSwing->value)
                                   : std::nullopt;
}

double SensorChart::Slot() const {
    return Sensors() == 0 ? 0 : static_cast<double>(m_rmsPlot.width()) / Sensors();
}

int SensorChart::ValueY(Row row, double value) const {
    const QRect plot = PlotRect(row);
    const double fraction = std::clamp(value / ScaleTop(row), 0.0, 1.0);
    return plot.y() + plot.height() - static_cast<int>(std::lround(fraction * plot.height()));
}

QRect SensorChart::BarRect(Row row, int sensor) const {
    const QRect plot = PlotRect(row);
    const double slot = Slot();
    const int left = plot.x() + static_cast<int>(std::floor((sensor + 0.15) * slot));
    const int right = plot.x() + static_cast<int>(std::floor((sensor + 0.85) * slot));
    const int top = ValueY(row, Value(row, sensor));
    const int baseline = plot.y() + plot.height();
    return QRect(left, top, std::max(1, right - left), baseline - top);
}

int SensorChart::SensorAt(QPoint point) const {
    if (Sensors() == 0) {
        return -1;
    }
    for (Row row : {Row::Rms, Row::Swing}) {
        const QRect plot = PlotRect(row);
        if (point.x() >= plot.x() && point.x() < plot.x() + plot.width() && point.y() >= plot.y() &&
            point.y() <= plot.y() + plot.height()) {
            const int sensor = static_cast<int>((point.x() - plot.x()) / Slot());
            return std::min(sensor, Sensors() - 1);
        }
    }
    return -1;
}

void SensorChart::DrawRow(QPainter& painter, Row row, const QRegion& area) const {
    const QRect plot = PlotRect(row);
    const int baseline = plot.y() + plot.height();
    const double step = ScaleStep(row);
    const int decimals = Decimals(step);

    painter.setPen(kAxisColour);
    DrawChartText(painter, QRect(plot.x(), plot.y() - kRowTitle, plot.width(), kRowTitle),
                  Qt::AlignLeft | Qt::AlignVCenter,
                  row == Row::Rms ? QStringLiteral("RMS deviation")
                                  : QStringLiteral("Swing (largest minus smallest sample)"),
                  area);

    // The scale: a grid line and a number at each step.
    const int ticks = static_cast<int>(std::lround(ScaleTop(row) / step));
    for (int k = 0; k <= ticks; ++k) {
        const int y = ValueY(row, k * step);
        if (k > 0) {
            painter.fillRect(QRect(plot.x(), y, plot.width(), 1), kGridColour);
        }
        painter.setPen(kAxisColour);
        DrawChartText(painter, QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                      ChartNumber(k * step, decimals), area);
    }

    for (int i = 0; i < Sensors(); ++i) {
        const QRect bar = BarRect(row, i);
        if (bar.height() > 0) {
            painter.fillRect(bar, Fails(i) ? kFailingColour : kBarColour);
        }
    }
    painter.fillRect(QRect(plot.x() - 1, plot.y(), 1, plot.height() + 1), kAxisColour);
    painter.fillRect(QRect(plot.x(), baseline, plot.width(), 1), kAxisColour);

    // The sensor numbers, as many as fit.
    const double slot = Slot();
    int every = 1;
    for (int candidate : {1, 2, 5, 10, 20, 50, 100}) {
        every = candidate;
        if (candidate * slot >= 24) {
            break;
        }
    }
    painter.setPen(kAxisColour);
    for (int i = 0; i < Sensors(); i += every) {
        const int centre = plot.x() + static_cast<int>((i + 0.5) * slot);
        DrawChartText(painter, QRect(centre - 20, baseline + 2, 40, 14),
                      Qt::AlignHCenter | Qt::AlignTop, QString::number(i), area);
    }

    if (const std::optional<double> limit = LimitOf(row)) {
        const int y = ValueY(row, *limit);
        painter.fillRect(QRect(plot.x(), y, plot.width(), 1), kLimitColour);
        const std::string& text =
            row == Row::Rms ? m_limits.maxSensorRms->text : m_limits.maxSensorSwing->text;
        painter.setPen(kLimitColour);
        DrawChartText(painter, QRect(plot.x(), y - 15, plot.width() - 2, 14),
                      Qt::AlignRight | Qt::AlignBottom,
                      QStringLiteral("limit ") + QString::fromStdString(text), area);
    }
}

void SensorChart::Draw(QPainter& painter, const QRegion& area) const {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), m_size), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(kFontPixels);
    painter.setFont(font);
    painter.setPen(kAxisColour);
    const QString title =
        Sensors() == 0
            ? QStringLiteral("No scan to analyse")
            : QStringLiteral("Sensors 0 to %1 over %2 scans: %3 failing (red), limits in blue")
                  .arg(Sensors() - 1)
                  .arg(m_scans)
                  .arg(Failing());
    DrawChartText(painter, QRect(kLeft, 0, std::max(0, m_size.width() - kLeft), kTitle),
                  Qt::AlignLeft | Qt::AlignVCenter, title, area);
    DrawRow(painter, Row::Rms, area);
    DrawRow(painter, Row::Swing, area);
    painter.restore();
}

int SensorChart::Failing() const {
    return static_cast<int>(std::count(m_fails.begin(), m_fails.end(), true));
}

bool SensorChart::SameFrame(const SensorChart& other) const {
    auto sameLimit = [](const auto& a, const auto& b) {
        return a.has_value() == b.has_value() &&
               (!a || (a->value == b->value && a->text == b->text));
    };
    return m_size == other.m_size && Sensors() == other.Sensors() && m_rmsTop == other.m_rmsTop &&
           m_rmsStep == other.m_rmsStep && m_swingTop == other.m_swingTop &&
           m_swingStep == other.m_swingStep &&
           sameLimit(m_limits.maxSensorRms, other.m_limits.maxSensorRms) &&
           sameLimit(m_limits.maxSensorSwing, other.m_limits.maxSensorSwing);
}

QRegion SensorChart::ChangedArea(const SensorChart& before) const {
    if (!SameFrame(before)) {
        return QRegion(QRect(QPoint(0, 0), m_size));
    }
    QRegion changed;
    if (m_scans != before.m_scans || Failing() != before.Failing()) {
        changed += QRect(0, 0, m_size.width(), kTitle);
    }
    for (int i = 0; i < Sensors(); ++i) {
        for (Row row : {Row::Rms, Row::Swing}) {
            const QRect now = BarRect(row, i);
            const QRect then = before.BarRect(row, i);
            if (now != then || Fails(i) != before.Fails(i)) {
                changed += now.united(then);
            }
        }
    }
    return changed;
}

QImage SensorChart::Image() const {
    QImage image(m_size, QImage::Format_RGB32);
    QPainter painter(&image);
    Draw(painter);
    painter.end();
    return image;
}
