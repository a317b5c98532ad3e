#include "render/SensorTrace.h"

#include "render/SensorChart.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

const QColor SensorTrace::kSampleColour(0, 0, 0);
const QColor SensorTrace::kMeanColour(0, 0, 255);
const QColor SensorTrace::kCalibColour(0, 140, 0);
const QColor SensorTrace::kHistogramColour(120, 120, 120);

namespace {

const QColor kGridColour(225, 225, 225);
const QColor kAxisColour(0, 0, 0);

constexpr int kLeft = 44;   // the scale's numbers
constexpr int kRight = 118; // the names of the horizontal lines
constexpr int kTitle = 20;
constexpr int kGap = 34;    // the sample numbers under the line, then the histogram's title
constexpr int kBottom = 18; // the deviations under the histogram
constexpr int kFontPixels = 11;

int Deviation(uint8_t sample, uint8_t meanByte) {
    return static_cast<int8_t>(static_cast<uint8_t>(sample - meanByte));
}

} // namespace

SensorTrace::SensorTrace(SensorSamples samples, QSize size)
    : m_s(std::move(samples)), m_size(size) {
    const int width = std::max(0, size.width() - kLeft - kRight);
    const int inner = std::max(0, size.height() - kTitle - kGap - kBottom);
    const int lineHeight = m_s.analysed ? inner * 3 / 5 : inner + kGap + kBottom - 16;
    m_linePlot = QRect(kLeft, kTitle, width, lineHeight);
    m_histPlot = m_s.analysed ? QRect(kLeft, kTitle + lineHeight + kGap, width, inner - lineHeight)
                              : QRect();

    // The scale fits the samples alone: a calibration range of 200 would flatten a noise
    // of a few units into a straight line. A calibration level off the scale is named at
    // its edge instead.
    if (!m_s.samples.empty()) {
        const auto [lo, hi] = std::minmax_element(m_s.samples.begin(), m_s.samples.end());
        m_low = *lo;
        m_high = *hi;
    }
    m_low = std::max(0, m_low - 2);
    m_high = std::min(255, std::max(m_high + 2, m_low + 4));

    for (uint8_t v : m_s.samples) {
        m_reach = std::max(m_reach, std::abs(Deviation(v, m_s.meanByte)));
    }
    m_counts.assign(static_cast<size_t>(2 * m_reach + 1), 0);
    if (m_s.analysed) {
        for (uint8_t v : m_s.samples) {
            ++m_counts[static_cast<size_t>(Deviation(v, m_s.meanByte) + m_reach)];
        }
    }
    m_largestCount = std::max(1, *std::max_element(m_counts.begin(), m_counts.end()));
}

int SensorTrace::Count(int deviation) const {
    if (deviation < -m_reach || deviation > m_reach) {
        return 0;
    }
    return m_counts[static_cast<size_t>(deviation + m_reach)];
}

int SensorTrace::ValueY(double value) const {
    const double fraction = std::clamp((value - m_low) / (m_high - m_low), 0.0, 1.0);
    return m_linePlot.y() + m_linePlot.height() -
           static_cast<int>(std::lround(fraction * m_linePlot.height()));
}

QPoint SensorTrace::SamplePoint(int j) const {
    const int n = static_cast<int>(m_s.samples.size());
    const double x = n <= 1 ? m_linePlot.width() / 2.0
                            : static_cast<double>(j) * (m_linePlot.width() - 1) / (n - 1);
    return {m_linePlot.x() + static_cast<int>(std::lround(x)),
            ValueY(m_s.samples[static_cast<size_t>(j)])};
}

QRect SensorTrace::HistogramBar(int deviation) const {
    const double slot = static_cast<double>(m_histPlot.width()) / (2 * m_reach + 1);
    const int k = deviation + m_reach;
    const int left = m_histPlot.x() + static_cast<int>(std::floor((k + 0.1) * slot));
    const int right = m_histPlot.x() + static_cast<int>(std::floor((k + 0.9) * slot));
    const int height = static_cast<int>(
        std::lround(static_cast<double>(Count(deviation)) * m_histPlot.height() / m_largestCount));
    const int baseline = m_histPlot.y() + m_histPlot.height();
    return QRect(left, baseline - height, std::max(1, right - left), height);
}

void SensorTrace::DrawLine(QPainter& painter) const {
    const QRect plot = m_linePlot;
    const int baseline = plot.y() + plot.height();
    const int range = m_high - m_low;
    const int step = range <= 10 ? 1 : range <= 25 ? 5 : range <= 60 ? 10 : range <= 130 ? 20 : 50;
    painter.setPen(kAxisColour);
    for (int v = (m_low + step - 1) / step * step; v <= m_high; v += step) {
        const int y = ValueY(v);
        painter.fillRect(QRect(plot.x(), y, plot.width(), 1), kGridColour);
        painter.drawText(QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(v));
    }

    // `shift` moves a label off another one at the same height.
    auto level = [&](double value, const QColor& colour, const QString& name, int shift) {
        painter.setPen(colour);
        if (value < m_low || value > m_high) {
            const bool above = value > m_high;
            painter.drawText(QRect(plot.x() + plot.width() + 4,
                                   (above ? plot.y() : plot.y() + plot.height() - 14) + shift,
                                   kRight - 4, 14),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             name + (above ? QStringLiteral(" above") : QStringLiteral(" below")));
            return;
        }
        const int y = ValueY(value);
        painter.fillRect(QRect(plot.x(), y, plot.width(), 1), colour);
        painter.drawText(QRect(plot.x() + plot.width() + 4, y - 8 + shift, kRight - 4, 16),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
    };
    if (m_s.analysed) {
        const int low = m_s.calibLow;
        const int high = m_s.calibHigh;
        const bool together = std::abs(ValueY(low) - ValueY(high)) < 14 ||
                              (low < m_low && high < m_low) || (low > m_high && high > m_high);
        level(low, kCalibColour, QStringLiteral("calib low %1").arg(low), together ? 7 : 0);
        level(high, kCalibColour, QStringLiteral("calib high %1").arg(high), together ? -7 : 0);
        level(m_s.mean, kMeanColour, QStringLiteral("mean ") + ChartNumber(m_s.mean, 2), 0);
    }

    const int n = static_cast<int>(m_s.samples.size());
    if (n > 0) {
        painter.setPen(QPen(kSampleColour, 1));
        if (n == 1) {
            painter.drawEllipse(SamplePoint(0), 2, 2);
        }
        for (int j = 1; j < n; ++j) {
            painter.drawLine(SamplePoint(j - 1), SamplePoint(j));
        }
    }
    painter.fillRect(QRect(plot.x() - 1, plot.y(), 1, plot.height() + 1), kAxisColour);
    painter.fillRect(QRect(plot.x(), baseline, plot.width(), 1), kAxisColour);
    painter.setPen(kAxisColour);
    painter.drawText(QRect(plot.x(), baseline + 2, plot.width(), 14), Qt::AlignLeft | Qt::AlignTop,
                     n == 0 ? QStringLiteral("no scan yet") : QStringLiteral("oldest"));
    if (n > 0) {
        painter.drawText(QRect(plot.x(), baseline + 2, plot.width(), 14),
                         Qt::AlignRight | Qt::AlignTop, QStringLiteral("latest (%1 scans)").arg(n));
    }
}

void SensorTrace::DrawHistogram(QPainter& painter) const {
    const QRect plot = m_histPlot;
    const int baseline = plot.y() + plot.height();
    painter.setPen(kAxisColour);
    painter.drawText(QRect(plot.x(), plot.y() - 16, plot.width(), 14),
                     Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Deviations from the mean byte %1 (largest count %2)")
                         .arg(static_cast<int>(m_s.meanByte))
                         .arg(m_largestCount));
    const double slot = static_cast<double>(plot.width()) / (2 * m_reach + 1);
    int every = 1;
    for (int candidate : {1, 2, 5, 10, 20, 50}) {
        every = candidate;
        if (candidate * slot >= 22) {
            break;
        }
    }
    for (int d = -m_reach; d <= m_reach; ++d) {
        const QRect bar = HistogramBar(d);
        if (bar.height() > 0) {
            painter.fillRect(bar, d == 0 ? kMeanColour : kHistogramColour);
        }
        if (d % every == 0) {
            const int centre = plot.x() + static_cast<int>((d + m_reach + 0.5) * slot);
            painter.drawText(QRect(centre - 20, baseline + 2, 40, 14),
                             Qt::AlignHCenter | Qt::AlignTop,
                             d > 0 ? QStringLiteral("+%1").arg(d) : QString::number(d));
        }
    }
    painter.fillRect(QRect(plot.x(), baseline, plot.width(), 1), kAxisColour);
}

void SensorTrace::Draw(QPainter& painter) const {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), m_size), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(kFontPixels);
    painter.setFont(font);
    painter.setPen(kAxisColour);
    painter.drawText(QRect(kLeft, 0, std::max(0, m_size.width() - kLeft), kTitle),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     m_s.analysed ? QStringLiteral("Samples over the statistics window")
                                  : QStringLiteral("Samples (not analysed)"));
    DrawLine(painter);
    if (m_s.analysed) {
        DrawHistogram(painter);
    }
    painter.restore();
}

QImage SensorTrace::Image() const {
    QImage image(m_size, QImage::Format_RGB32);
    QPainter painter(&image);
    Draw(painter);
    painter.end();
    return image;
}
