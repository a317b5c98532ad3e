#include "GermanLocale.h"
#include "Repainted.h"

#include "render/SensorChart.h"

#include <QGuiApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

using Row = SensorChart::Row;

// Four sensors over ten scans: RMS 0.5, 3, 4 and 1; swings 2, 3, 5 and 1.
std::unique_ptr<StripStatsWorkArea> FourSensors() {
    auto stats = std::make_unique<StripStatsWorkArea>();
    stats->N = 4;
    stats->S = 10;
    const float rms[] = {0.5f, 3.0f, 4.0f, 1.0f};
    const int swing[] = {2, 3, 5, 1};
    for (int i = 0; i < 4; ++i) {
        stats->SensorRms[i] = rms[i];
        stats->SensorMin[i] = 100;
        stats->SensorMax[i] = static_cast<uint8_t>(100 + swing[i]);
    }
    return stats;
}

LimitOptions RmsLimit(const std::string& text) {
    LimitOptions limits;
    limits.maxSensorRms = ParseRealLimit(text);
    return limits;
}

QColor Pixel(const QImage& image, QPoint at) {
    return image.pixelColor(at);
}

QPoint Centre(const QRect& rect) {
    return {rect.x() + rect.width() / 2, rect.y() + rect.height() / 2};
}

TEST(SensorChart, AFailingSensorsBarsAreRedInBothRowsAndTheOthersNeutral) {
    const auto stats = FourSensors();
    const SensorChart chart(*stats, RmsLimit("3"), QSize(600, 400));
    const QImage image = chart.Image();

    for (Row row : {Row::Rms, Row::Swing}) {
        for (int i = 0; i < 4; ++i) {
            const QRect bar = chart.BarRect(row, i);
            ASSERT_GT(bar.height(), 2) << i;
            // Sensor 1 sits at the limit: it passes.
            EXPECT_EQ(Pixel(image, Centre(bar)),
                      i == 2 ? QColor(255, 0, 0) : SensorChart::kBarColour)
                << "sensor " << i;
        }
    }
}

TEST(SensorChart, TheLimitLineLiesAtTheLimitsHeightOnTheBarThatReachesIt) {
    const auto stats = FourSensors();
    const SensorChart chart(*stats, RmsLimit("3"), QSize(600, 400));
    const QImage image = chart.Image();
    const QRect plot = chart.PlotRect(Row::Rms);
    const int baseline = plot.y() + plot.height();

    const int lineY = chart.ValueY(Row::Rms, 3.0);
    EXPECT_EQ(baseline - lineY,
              static_cast<int>(std::lround(3.0 / chart.ScaleTop(Row::Rms) * plot.height())));
    // The bar of sensor 1, whose RMS is the limit, ends at the line.
    EXPECT_EQ(chart.BarRect(Row::Rms, 1).top(), lineY);
    // Between bars 0 and 1 the line is drawn across the plot, and only one row high.
    const int between =
        (chart.BarRect(Row::Rms, 0).right() + chart.BarRect(Row::Rms, 1).left()) / 2;
    EXPECT_EQ(Pixel(image, {between, lineY}), SensorChart::kLimitColour);
    EXPECT_NE(Pixel(image, {between, lineY - 1}), SensorChart::kLimitColour);
    EXPECT_NE(Pixel(image, {between, lineY + 1}), SensorChart::kLimitColour);
    // The swing row has no limit: no line anywhere in it.
    const QRect swingPlot = chart.PlotRect(Row::Swing);
    for (int y = swingPlot.y(); y < swingPlot.y() + swingPlot.height(); ++y) {
        EXPECT_NE(Pixel(image, {between, y}), SensorChart::kLimitColour) << y;
    }
}

TEST(SensorChart, AHitFindsTheSensorOfTheColumnInEitherRow) {
    const auto stats = FourSensors();
    const SensorChart chart(*stats, LimitOptions{}, QSize(600, 400));

    for (Row row : {Row::Rms, Row::Swing}) {
        const QRect plot = chart.PlotRect(row);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(chart.SensorAt(Centre(chart.BarRect(row, i))), i);
            EXPECT_EQ(chart.SensorAt({chart.BarRect(row, i).x(), plot.y()}), i);
        }
        EXPECT_EQ(chart.SensorAt({plot.x() + plot.width() - 1, plot.y() + 1}), 3);
        EXPECT_EQ(chart.SensorAt({plot.x() - 1, plot.y() + 1}), -1); // the scale
        EXPECT_EQ(chart.SensorAt({plot.x() + plot.width(), plot.y() + 1}), -1);
    }
    EXPECT_EQ(chart.SensorAt({300, chart.PlotRect(Row::Rms).y() - 2}), -1); // a title
}

TEST(SensorChart, WithoutAScanNothingIsRedAndNoSensorIsHit) {
    const auto empty = std::make_unique<StripStatsWorkArea>();
    for (QSize size : {QSize(600, 400), QSize(1, 1), QSize(80, 60)}) {
        const SensorChart chart(*empty, RmsLimit("0"), size);
        const QImage image = chart.Image();
        ASSERT_EQ(image.size(), size);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                ASSERT_NE(image.pixelColor(x, y), QColor(255, 0, 0)) << x << "," << y;
            }
        }
        EXPECT_EQ(chart.SensorAt({size.width() / 2, size.height() / 2}), -1);
    }
}

TEST(SensorChart, ATickRepaintsOnlyWhatMovedAndTheWindowShowsTheWholeNewChart) {
    const auto stats = FourSensors();
    const SensorChart before(*stats, RmsLimit("3"), QSize(600, 400));
    EXPECT_TRUE(before.ChangedArea(before).isEmpty());

    // Sensor 0 grows past the limit in the next scan; the scale stays.
    auto next = FourSensors();
    next->S = 11;
    next->SensorRms[0] = 3.5f;
    const SensorChart now(*next, RmsLimit("3"), QSize(600, 400));
    const QRegion area = now.ChangedArea(before);
    EXPECT_TRUE(area.contains(now.BarRect(Row::Rms, 0)));
    EXPECT_TRUE(area.contains(before.BarRect(Row::Rms, 0)));
    EXPECT_TRUE(area.contains(now.BarRect(Row::Swing, 0))); // red now
    for (Row row : {Row::Rms, Row::Swing}) {
        EXPECT_FALSE(area.intersects(now.BarRect(row, 3)));
    }
    int pixels = 0;
    for (const QRect& part : area) {
        pixels += part.width() * part.height();
    }
    EXPECT_LT(pixels, 600 * 400 / 5);
    EXPECT_EQ(Repainted(before, now), now.Image());

    // A new limit or size moves the frame: everything is repainted.
    const SensorChart stricter(*next, RmsLimit("2"), QSize(600, 400));
    EXPECT_EQ(stricter.ChangedArea(now), QRegion(0, 0, 600, 400));
    EXPECT_EQ(Repainted(now, stricter), stricter.Image());
    const SensorChart larger = now.Resized(QSize(700, 400));
    EXPECT_EQ(larger.ChangedArea(now), QRegion(0, 0, 700, 400));
    EXPECT_EQ(larger.Image(), SensorChart(*next, RmsLimit("3"), QSize(700, 400)).Image());
}

TEST(SensorChart, NumbersKeepTheirDecimalPointInAGermanLocale) {
    const GermanLocale& german = GermanLocale::Get();
    if (!german.Available()) {
        GTEST_SKIP() << german.Reason();
    }
    const std::string before = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, GermanLocale::kName);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    EXPECT_EQ(ChartNumber(0.5, 1).toStdString(), "0.5");
    EXPECT_EQ(ChartNumber(1250, 0).toStdString(), "1250");
    EXPECT_EQ(ChartNumber(0.25, 2).toStdString(), "0.25");

    QLocale::setDefault(previous);
    std::setlocale(LC_ALL, before.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication app(argc, argv); // text needs its fonts
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
