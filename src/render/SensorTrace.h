#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <climits>
#include <cstdint>
#include <vector>

class QPainter;

// What one sensor's own view draws: its samples over the statistics window, oldest first,
// and, for an analysed sensor, the figures its lines and histogram are drawn against.
struct SensorSamples {
    std::vector<uint8_t> samples;
    bool analysed = false;
    float mean = 0;
    uint8_t meanByte = 0; // the reference of every deviation, as the statistics take it
    uint8_t calibLow = 0;
    uint8_t calibHigh = 0;
};

// One sensor's samples as a line with its mean and calibration as horizontal lines, and
// below it a histogram of its deviations from its mean byte. A sensor that was not
// analysed gets the line only.
class SensorTrace {
public:
    static const QColor kSampleColour;
    static const QColor kMeanColour;
    static const QColor kCalibColour;
    static const QColor kHistogramColour;

    SensorTrace(SensorSamples samples, QSize size);
    // The same samples laid out at another size.
    SensorTrace Resized(QSize size) const;

    // Draws the whole trace onto `painter` over (0, 0) to its size; with an `area`, the
    // part of a window being repainted, what lies wholly outside it is left out.
    void Draw(QPainter& painter, const QRegion& area = QRegion()) const;
    QImage Image() const;
    // Where this trace looks different from `before` on screen, so that a window that
    // repaints at every tick sends only that: the line, the level labels and the
    // histogram bars that moved, or everything when the size or a scale moved.
    QRegion ChangedArea(const SensorTrace& before) const;

    QRect LinePlot() const { return m_linePlot; }
    QRect HistogramPlot() const { return m_histPlot; }
    // Where sample j is drawn.
    QPoint SamplePoint(int j) const;
    // The pixel row of a sample value on the line's scale.
    int ValueY(double value) const;
    // The deviations shown, from -Reach() to +Reach(), and how often each occurs.
    int Reach() const { return m_reach; }
    int Count(int deviation) const;
    QRect HistogramBar(int deviation) const;

private:
    // The line plot's columns are compared kLineTile at a time: where the line crosses
    // them, from `top` to `bottom`, and a fingerprint of its segments there.
    static constexpr int kLineTile = 8;
    struct LineTile {
        int top = INT_MAX;
        int bottom = INT_MIN;
        uint32_t print = 0;
    };
    std::vector<LineTile> LineTiles() const;
    // Where the name of a horizontal line at `value` goes: beside the line, or at the
    // plot's top or bottom edge for a level off the scale.
    QRect LevelLabelRect(double value, int shift) const;
    void Layout();
    bool SameFrame(const SensorTrace& other) const;
    void DrawLine(QPainter& painter, const QRegion& area) const;
    void DrawHistogram(QPainter& painter, const QRegion& area) const;

    SensorSamples m_s;
    QSize m_size;
    QRect m_linePlot;
    QRect m_histPlot;
    int m_low = 0; // the line's scale
    int m_high = 1;
    int m_reach = 3;
    std::vector<int> m_counts; // index deviation + m_reach
    int m_largestCount = 1;
};
