#include "render/SensorTrace.h"

#include "render/ChartText.h"
#include "render/SensorChart.h"

#include <QFont>
#include <QLine>
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
    Layout();
}

SensorTrace SensorTrace::Resized(QSize size) const {
    SensorTrace trace = *this;
    trace.m_size = size;
    trace.Layout();
    return trace;
}

void SensorTrace::Layout() {
    const QSize size = m_size;
    m_low = 0;
    m_high = 1;
    m_reach = 3;
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

void SensorTrace::DrawLine(QPainter& painter, const QRegion& area) const {
    const QRect plot = m_linePlot;
    const int baseline = plot.y() + plot.height();
    const int range = m_high - m_low;
    const int step = range <= 10 ? 1 : range <= 25 ? 5 : range <= 60 ? 10 : range <= 130 ? 20 : 50;
    painter.setPen(kAxisColour);
    for (int v = (m_low + step - 1) / step * step; v <= m_high; v += step) {
        const int y = ValueY(v);
        painter.fillRect(QRect(plot.x(), y, plot.width(), 1), kGridColour);
        DrawChartText(painter, QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                      QString::number(v), area);
    }

    // `shift` moves a label off another one at the same height.
    auto level = [&](double value, const QColor& colour, const QString& name, int shift) {
        painter.setPen(colour);
        const QRect label = LevelLabelRect(value, shift);
        if (value < m_low || value > m_high) {
            DrawChartText(
                painter, label, Qt::AlignLeft | Qt::AlignVCenter,
                name + (value > m_high ? QStringLiteral(" above") : QStringLiteral(" below")),
                area);
            return;
        }
        painter.fillRect(QRect(plot.x(), ValueY(value), plot.width(), 1), colour);
        DrawChartText(painter, label, Qt::AlignLeft | Qt::AlignVCenter, name, area);
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
    if (n > 0 && (area.isEmpty() || area.intersects(m_linePlot.adjusted(-3, -3, 3, 3)))) {
        painter.setPen(QPen(kSampleColour, 1));
        if (n == 1) {
            painter.drawEllipse(SamplePoint(0), 2, 2);
        }
        // Only the segments in the part being repainted: the rest would be clipped away.
        std::vector<QLine> segments;
        segments.reserve(static_cast<size_t>(n));
        for (int j = 1; j < n; ++j) {
            const QLine segment(SamplePoint(j - 1), SamplePoint(j));
            if (area.isEmpty() || area.intersects(QRect(segment.p1(), segment.p2()).normalized())) {
                segments.push_back(segment);
            }
        }
        painter.drawLines(segments.data(), static_cast<int>(segments.size()));
    }
    painter.fillRect(QRect(plot.x() - 1, plot.y(), 1, plot.height() + 1), kAxisColour);
    painter.fillRect(QRect(plot.x(), baseline, plot.width(), 1), kAxisColour);
    painter.setPen(kAxisColour);
    DrawChartText(painter, QRect(plot.x(), baseline + 2, plot.width(), 14),
                  Qt::AlignLeft | Qt::AlignTop,
                  n == 0 ? QStringLiteral("no scan yet") : QStringLiteral("oldest"), area);
    if (n > 0) {
        DrawChartText(painter, QRect(plot.x(), baseline + 2, plot.width(), 14),
                      Qt::AlignRight | Qt::AlignTop, QStringLiteral("latest (%1 scans)").arg(n),
                      area);
    }
}

void SensorTrace::DrawHistogram(QPainter& painter, const QRegion& area) const {
    const QRect plot = m_histPlot;
    const int baseline = plot.y() + plot.height();
    painter.setPen(kAxisColour);
    DrawChartText(painter, QRect(plot.x(), plot.y() - 16, plot.width(), 14),
                  Qt::AlignLeft | Qt::AlignBottom,
                  QStringLiteral("Deviations from the mean byte %1 (largest count %2)")
                      .arg(static_cast<int>(m_s.meanByte))
                      .arg(m_largestCount),
                  area);
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
            DrawChartText(painter, QRect(centre - 20, baseline + 2, 40, 14),
                          Qt::AlignHCenter | Qt::AlignTop,
                          d > 0 ? QStringLiteral("+%1").arg(d) : QString::number(d), area);
        }
    }
    painter.fillRect(QRect(plot.x(), baseline, plot.width(), 1), kAxisColour);
}

void SensorTrace::Draw(QPainter& painter, const QRegion& area) const {
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), m_size), Qt::white);
    QFont font = painter.font();
    font.setPixelSize(kFontPixels);
    painter.setFont(font);
    painter.setPen(kAxisColour);
    DrawChartText(painter, QRect(kLeft, 0, std::max(0, m_size.width() - kLeft), kTitle),
                  Qt::AlignLeft | Qt::AlignVCenter,
                  m_s.analysed ? QStringLiteral("Samples over the statistics window")
                               : QStringLiteral("Samples (not analysed)"),
                  area);
    DrawLine(painter, area);
    if (m_s.analysed) {
        DrawHistogram(painter, area);
    }
    painter.restore();
}

bool SensorTrace::SameFrame(const SensorTrace& other) const {
    return m_size == other.m_size && m_s.analysed == other.m_s.analysed && m_low == other.m_low &&
           m_high == other.m_high && m_reach == other.m_reach &&
           m_largestCount == other.m_largestCount && m_s.meanByte == other.m_s.meanByte &&
           m_s.calibLow == other.m_s.calibLow && m_s.calibHigh == other.m_s.calibHigh;
}

std::vector<SensorTrace::LineTile> SensorTrace::LineTiles() const {
    std::vector<LineTile> tiles(static_cast<size_t>(m_linePlot.width() / kLineTile + 1));
    const int n = static_cast<int>(m_s.samples.size());
    for (int j = 1; j < n; ++j) {
        const QPoint p = SamplePoint(j - 1);
        const QPoint q = SamplePoint(j);
        const int first = (std::min(p.x(), q.x()) - m_linePlot.x()) / kLineTile;
        const int last = (std::max(p.x(), q.x()) - m_linePlot.x()) / kLineTile;
        for (int t = first; t <= last; ++t) {
            LineTile& tile = tiles[static_cast<size_t>(t)];
            tile.top = std::min({tile.top, p.y(), q.y()});
            tile.bottom = std::max({tile.bottom, p.y(), q.y()});
            for (int v : {p.x(), p.y(), q.x(), q.y()}) {
                tile.print = tile.print * 1000003u + static_cast<uint32_t>(v);
            }
        }
    }
    return tiles;
}

QRect SensorTrace::LevelLabelRect(double value, int shift) const {
    const QRect plot = m_linePlot;
    if (value < m_low || value > m_high) {
        const int y = value > m_high ? plot.y() : plot.y() + plot.height() - 14;
        return QRect(plot.x() + plot.width() + 4, y + shift, kRight - 4, 14);
    }
    return QRect(plot.x() + plot.width() + 4, ValueY(value) - 8 + shift, kRight - 4, 16);
}

QRegion SensorTrace::ChangedArea(const SensorTrace& before) const {
    if (!SameFrame(before)) {
        return QRegion(QRect(QPoint(0, 0), m_size));
    }
    QRegion changed;
    const int n = static_cast<int>(m_s.samples.size());
    if (n <= 1 || before.m_s.samples.size() <= 1) {
        // The marker of a single sample, which reaches past the plot's edges.
        changed += m_linePlot.adjusted(-3, -3, 3, 3);
    } else if (m_s.samples != before.m_s.samples) {
        // Where the line moved, tile by tile: the rows it crossed there before and now.
        const std::vector<LineTile> now = LineTiles();
        const std::vector<LineTile> then = before.LineTiles();
        for (size_t t = 0; t < now.size(); ++t) {
            if (now[t].print != then[t].print) {
                const int top = std::min(now[t].top, then[t].top);
                const int bottom = std::max(now[t].bottom, then[t].bottom);
                changed += QRect(m_linePlot.x() + static_cast<int>(t) * kLineTile, top, kLineTile,
                                 bottom - top + 1);
            }
        }
    }
    if (m_s.analysed) {
        const int y = ValueY(m_s.mean);
        const int yBefore = before.ValueY(before.m_s.mean);
        if (y != yBefore) {
            changed += QRect(m_linePlot.x(), y, m_linePlot.width(), 1);
            changed += QRect(m_linePlot.x(), yBefore, m_linePlot.width(), 1);
        }
        if (y != yBefore || ChartNumber(m_s.mean, 2) != ChartNumber(before.m_s.mean, 2)) {
            changed += LevelLabelRect(m_s.mean, 0);
            changed += before.LevelLabelRect(before.m_s.mean, 0);
        }
        for (int d = -m_reach; d <= m_reach; ++d) {
            if (Count(d) != before.Count(d)) {
                changed += HistogramBar(d).united(before.HistogramBar(d));
            }
        }
    }
    if (m_s.samples.size() != before.m_s.samples.size()) {
        changed +=
            QRect(m_linePlot.x(), m_linePlot.y() + m_linePlot.height() + 2, m_linePlot.width(), 14);
    }
    return changed;
}

QImage SensorTrace::Image() const {
    QImage image(m_size, QImage::Format_RGB32);
    QPainter painter(&image);
    Draw(painter);
    painter.end();
    return image;
}
