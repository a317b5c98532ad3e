#include "Repainted.h"

#include "render/SensorTrace.h"

#include <gtest/gtest.h>

namespace {

// Deviations from the mean byte 11: -1, +1, -2, +2, 0, 0.
SensorSamples Example() {
    SensorSamples s;
    s.samples = {10, 12, 9, 13, 11, 11};
    s.analysed = true;
    s.mean = 11;
    s.meanByte = 11;
    s.calibLow = 8;
    s.calibHigh = 14;
    return s;
}

} // namespace

TEST(SensorTrace, SamplesRunFromTheOldestOnTheLeftAndHigherValuesHigher) {
    const SensorTrace trace(Example(), QSize(500, 400));
    EXPECT_EQ(trace.SamplePoint(0).x(), trace.LinePlot().x());
    EXPECT_EQ(trace.SamplePoint(5).x(), trace.LinePlot().right());
    EXPECT_LT(trace.SamplePoint(3).y(), trace.SamplePoint(2).y()); // 13 above 9
    const QImage image = trace.Image();
    EXPECT_EQ(image.pixelColor(trace.SamplePoint(3)), SensorTrace::kSampleColour);
}

TEST(SensorTrace, MeanAndCalibrationAreHorizontalLines) {
    const SensorTrace trace(Example(), QSize(500, 400));
    const QImage image = trace.Image();
    const int x = trace.LinePlot().x() + trace.LinePlot().width() / 3 + 1;
    EXPECT_EQ(image.pixelColor(x, trace.ValueY(8)), SensorTrace::kCalibColour);
    EXPECT_EQ(image.pixelColor(x, trace.ValueY(14)), SensorTrace::kCalibColour);
    EXPECT_EQ(image.pixelColor(trace.LinePlot().x() + 1, trace.ValueY(11)),
              SensorTrace::kMeanColour);
}

TEST(SensorTrace, ACalibrationFarFromTheSamplesLeavesTheScaleToTheSamples) {
    SensorSamples s = Example();
    s.calibLow = 0;
    s.calibHigh = 240;
    const SensorTrace trace(s, QSize(500, 400));
    // 9 to 13 keep most of the plot's height.
    EXPECT_GT(trace.ValueY(9) - trace.ValueY(13), trace.LinePlot().height() / 3);
    const QImage image = trace.Image();
    for (int y = trace.LinePlot().top(); y <= trace.LinePlot().bottom(); ++y) {
        EXPECT_NE(image.pixelColor(trace.LinePlot().x() + 1, y), SensorTrace::kCalibColour) << y;
    }
}

TEST(SensorTrace, HistogramCountsEachDeviationFromTheMeanByte) {
    const SensorTrace trace(Example(), QSize(500, 400));
    EXPECT_EQ(trace.Reach(), 3);
    const int expected[] = {0, 1, 1, 2, 1, 1, 0}; // -3 .. +3
    for (int d = -3; d <= 3; ++d) {
        EXPECT_EQ(trace.Count(d), expected[d + 3]) << d;
    }
    const QImage image = trace.Image();
    EXPECT_EQ(trace.HistogramBar(0).height(), trace.HistogramPlot().height());
    EXPECT_EQ(image.pixelColor(trace.HistogramBar(2).center()), SensorTrace::kHistogramColour);
    EXPECT_EQ(trace.HistogramBar(3).height(), 0);
}

TEST(SensorTrace, ASensorNotAnalysedGetsItsSamplesOnly) {
    SensorSamples s = Example();
    s.analysed = false;
    const SensorTrace trace(s, QSize(500, 400));
    EXPECT_TRUE(trace.HistogramPlot().isEmpty());
    EXPECT_EQ(trace.Count(0), 0);
    const QImage image = trace.Image();
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(trace.LinePlot().x() + 5, y);
        EXPECT_NE(c, SensorTrace::kCalibColour) << y;
        EXPECT_NE(c, SensorTrace::kMeanColour) << y;
    }
}

TEST(SensorTrace, ATickRepaintsOnlyWhatMovedAndTheWindowShowsTheWholeNewTrace) {
    // A full ring of a noisy sensor: each tick drops the oldest sample and adds one.
    auto ring = [](int first) {
        SensorSamples s;
        for (int j = 0; j < 256; ++j) {
            s.samples.push_back(static_cast<uint8_t>(120 + (first + j) * 37 % 21));
        }
        s.analysed = true;
        s.mean = 130.2f;
        s.meanByte = 130;
        s.calibLow = 20;
        s.calibHigh = 220;
        return s;
    };
    const QSize size(560, 400);
    const SensorTrace before(ring(0), size);
    EXPECT_TRUE(before.ChangedArea(before).isEmpty());

    SensorSamples shifted = ring(1);
    shifted.mean = 130.25f;
    const SensorTrace now(shifted, size);
    const QRegion area = now.ChangedArea(before);
    EXPECT_FALSE(area.isEmpty());
    // The scale's numbers stay.
    EXPECT_FALSE(area.intersects(QRect(0, 0, now.LinePlot().x() - 3, size.height())));
    EXPECT_EQ(Repainted(before, now), now.Image());

    // A growing window: one more sample, the same scale.
    SensorSamples fewer = ring(0);
    fewer.samples.resize(100);
    SensorSamples more = ring(0);
    more.samples.resize(101);
    const SensorTrace growing(fewer, size);
    const SensorTrace grown(more, size);
    EXPECT_EQ(Repainted(growing, grown), grown.Image());

    // Another sensor, or a sample past the scale: everything is repainted.
    SensorSamples louder = shifted;
    louder.samples.back() = 200;
    const SensorTrace wider(louder, size);
    EXPECT_EQ(wider.ChangedArea(now), QRegion(0, 0, size.width(), size.height()));
    EXPECT_EQ(now.Resized(QSize(600, 420)).Image(), SensorTrace(shifted, QSize(600, 420)).Image());
}
