#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

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

    void Draw(QPainter& painter) const;
    QImage Image() const;

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
    void DrawLine(QPainter& painter) const;
    void DrawHistogram(QPainter& painter) const;

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
