#include "ProcessStateGuard.h"
#include "ReceivedScans.h"
#include "TestView.h"
#include "gui/SensorChartDlg.h"
#include "gui/SensorViewDlg.h"
#include "render/SensorChart.h"
#include "render/SensorTrace.h"
#include "stats/LimitVerdict.h"
#include "stats/SensorVerdicts.h"
#include "stats/StripStats.h"

#include <QClipboard>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

// Sensor 5 of twelve is noisy (up to 12 either side of 100); the others move by one at
// most. Deterministic, so a failure is repeatable.
int BenchValue(int sensor, int scan) {
    unsigned hash = static_cast<unsigned>(sensor * 7919 + scan * 104729 + 1);
    hash ^= hash << 13;
    hash ^= hash >> 17;
    hash ^= hash << 5;
    hash *= 2654435761u;
    if (sensor == 5) {
        return 100 + static_cast<int>((hash >> 8) % 25) - 12;
    }
    return 60 + sensor * 10 + static_cast<int>((hash >> 8) % 3) - 1;
}

LimitOptions Limits(const std::string& rms, const std::string& swing) {
    LimitOptions limits;
    limits.maxSensorRms = ParseRealLimit(rms);
    limits.maxSensorSwing = ParseWholeLimit(swing);
    return limits;
}

QPoint Centre(const QRect& rect) {
    return {rect.x() + rect.width() / 2, rect.y() + rect.height() / 2};
}

} // namespace

class SensorWindowsTest : public QObject {
    Q_OBJECT

private:
    std::optional<ProcessStateGuard> m_state;
    std::unique_ptr<TestView> m_view;
    std::unique_ptr<StripStatsWorkArea> m_stats;

    // What the view does on a tick: computes into its own work area and hands it on.
    void Tick(CSensorViewDlg& dlg, const LimitOptions& limits) {
        StripStats(*m_view, *m_stats);
        dlg.Update(*m_view, *m_stats, limits);
    }
    void ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

private slots:
    void init() {
        m_state.emplace();
        m_view = std::make_unique<TestView>();
        m_stats = std::make_unique<StripStatsWorkArea>();
    }
    void cleanup() {
        m_view.reset();
        m_stats.reset();
        m_state.reset();
    }

    void sensorViewTitleFollowsTheSensorItShows() {
        CSensorViewDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sensor 0"));
        dlg.SetSensor(17);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sensor 17"));
        QVERIFY(!dlg.isModal());
    }

    void leftAndRightStepToNeighboursAndStopAtTheAnalysedEnds() {
        ReceiveScans(*m_view, 3, 4, BenchValue);
        CSensorViewDlg dlg;
        Tick(dlg, {});
        dlg.SetSensor(1);
        ShowActive(dlg);

        QTest::keyClick(&dlg, Qt::Key_Right);
        QTRY_COMPARE(dlg.windowTitle(), QStringLiteral("Sensor 2"));
        QTest::keyClick(&dlg, Qt::Key_Right);
        QCOMPARE(dlg.Sensor(), 2);
        QTest::keyClick(&dlg, Qt::Key_Left);
        QTest::keyClick(&dlg, Qt::Key_Left);
        QTest::keyClick(&dlg, Qt::Key_Left);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sensor 0"));
        QVERIFY(dlg.isVisible());
    }

    void aSensorPastTheAnalysedOnesShowsItsSamplesOnly() {
        ReceiveScans(*m_view, 90, 3, [](int i, int j) { return i + j; });
        CSensorViewDlg dlg;
        Tick(dlg, {});
        dlg.SetSensor(89);
        ShowActive(dlg);

        QCOMPARE(dlg.Samples().samples, (std::vector<uint8_t>{89, 90, 91}));
        QVERIFY(!dlg.Samples().analysed);
        QVERIFY(!dlg.FiguresText().contains(QStringLiteral("Mean")));
        QTest::keyClick(&dlg, Qt::Key_Right);
        QCOMPARE(dlg.Sensor(), 89);
        QTest::keyClick(&dlg, Qt::Key_Left);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sensor 88"));
    }

    void figuresAreTheWorkAreasWithTheLimitsTheSensorFails() {
        ReceiveScans(*m_view, 3, 4, [](int i, int j) {
            const int noisy[] = {10, 12, 9, 13};
            return i == 1 ? noisy[j] : 50;
        });
        m_view->m_calibLow[1] = 7;
        m_view->m_calibHigh[1] = 201;
        CSensorViewDlg dlg;
        dlg.SetSensor(1);
        Tick(dlg, Limits("1.5", "10"));

        // Deviations -1, +1, -2, +2 from the mean byte 11.
        QCOMPARE(dlg.FiguresText(),
                 QStringLiteral("Samples: 4\n"
                                "Mean: 11\n"
                                "Min: 9\n"
                                "Max: 13\n"
                                "Swing: 4\n"
                                "RMS: %1\n"
                                "Calibration low: 7\n"
                                "Calibration high: 201\n"
                                "Failed limits: rms")
                     .arg(QString::fromStdString(ShortestFloatText(m_stats->SensorRms[1]))));
        QCOMPARE(QString::fromStdString(ShortestFloatText(m_stats->SensorRms[1])),
                 QStringLiteral("1.5811388"));
        QCOMPARE(dlg.Samples().samples, (std::vector<uint8_t>{10, 12, 9, 13}));

        Tick(dlg, Limits("2", "3"));
        QVERIFY(dlg.FiguresText().endsWith(QStringLiteral("Failed limits: swing")));
        dlg.SetSensor(0);
        QVERIFY(dlg.FiguresText().endsWith(QStringLiteral("Failed limits: none")));
        Tick(dlg, {});
        QVERIFY(dlg.FiguresText().endsWith(QStringLiteral("Failed limits: no sensor limit set")));

        // The figures are painted, not selectable: Ctrl+C copies them whole.
        ShowActive(dlg);
        QGuiApplication::clipboard()->clear();
        QTest::keySequence(&dlg, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), dlg.FiguresText());
    }

    void samplesRunFromTheOldestScanOnceTheHistoryWrapsAround() {
        ReceiveScans(*m_view, 1, 300, [](int, int j) { return j % 256; });
        CSensorViewDlg dlg;
        Tick(dlg, {});
        const std::vector<uint8_t> samples = dlg.Samples().samples;
        QCOMPARE(samples.size(), size_t{256});
        QCOMPARE(int{samples.front()}, 300 - 256);
        QCOMPARE(int{samples.back()}, 299 % 256);
    }

    void aClickOnASensorsBarInTheChartChoosesThatSensor() {
        ReceiveScans(*m_view, 12, 40, BenchValue);
        StripStats(*m_view, *m_stats);
        CSensorChartDlg dlg;
        dlg.Update(*m_stats, Limits("2", "8"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Sensor Chart"));
        ShowActive(dlg);
        QSignalSpy chosen(&dlg, &CSensorChartDlg::SensorChosen);

        for (int i : {5, 0, 11}) {
            const QRect bar = dlg.Chart().BarRect(SensorChart::Row::Swing, i);
            QTest::mouseClick(&dlg, Qt::LeftButton, {}, Centre(bar));
            QTRY_COMPARE(chosen.count(), 1);
            QCOMPARE(chosen.takeFirst().at(0).toInt(), i);
        }
        QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseClick(&dlg, Qt::RightButton, {},
                          Centre(dlg.Chart().BarRect(SensorChart::Row::Rms, 3)));
        QCOMPARE(chosen.count(), 0);
    }

    void bothWindowsShowEachTicksWholePictureThoughTheyRepaintOnlyWhatMoved() {
        ReceiveScans(*m_view, 12, 40, BenchValue);
        CSensorChartDlg chart;
        CSensorViewDlg sensor;
        sensor.SetSensor(5);
        auto tick = [&] {
            Tick(sensor, Limits("2", "8"));
            chart.Update(*m_stats, Limits("2", "8"));
        };
        tick();
        ShowActive(chart);
        ShowActive(sensor);
        // What the window system was given, as the offscreen platform keeps it.
        auto onScreen = [](QWidget& window) {
            return window.screen()
                ->grabWindow(window.winId())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        };
        QWidget* trace = nullptr;
        for (QWidget* child : sensor.findChildren<QWidget*>()) {
            if (trace == nullptr || child->height() > trace->height()) {
                trace = child;
            }
        }
        auto traceShown = [&] { return onScreen(sensor).copy(trace->geometry()); };
        auto traceDrawn = [&] { return SensorTrace(sensor.Samples(), trace->size()).Image(); };

        QTRY_COMPARE(onScreen(chart), chart.Chart().Image());
        QTRY_COMPARE(traceShown(), traceDrawn());
        for (int scan = 40; scan < 46; ++scan) {
            ReceiveScans(*m_view, 12, 1, [&](int i, int) { return BenchValue(i, scan); });
            tick();
            QTRY_COMPARE(onScreen(chart), chart.Chart().Image());
            QTRY_COMPARE(traceShown(), traceDrawn());
        }
        chart.resize(chart.width() + 90, chart.height() + 30);
        QTRY_COMPARE(onScreen(chart), chart.Chart().Image());
        QCOMPARE(chart.Chart().Image().size(), chart.size());
    }

    void aFailingSensorsBarIsRedInTheChartWindow() {
        ReceiveScans(*m_view, 12, 40, BenchValue);
        StripStats(*m_view, *m_stats);
        CSensorChartDlg dlg;
        dlg.Update(*m_stats, Limits("2", "8"));
        ShowActive(dlg);

        const QImage image = dlg.grab().toImage();
        const SensorChart chart = dlg.Chart();
        QCOMPARE(image.size(), dlg.size());
        for (SensorChart::Row row : {SensorChart::Row::Rms, SensorChart::Row::Swing}) {
            // Just above the baseline: a limit line may cross a bar's middle.
            const auto foot = [&](int i) {
                const QRect bar = chart.BarRect(row, i);
                return QPoint(bar.center().x(), bar.bottom() - 1);
            };
            QCOMPARE(image.pixelColor(foot(5)), QColor(255, 0, 0));
            QCOMPARE(image.pixelColor(foot(4)), SensorChart::kBarColour);
        }

        if (qEnvironmentVariableIsSet("WT_SHOT_DIR")) {
            const QString dir = qEnvironmentVariable("WT_SHOT_DIR");
            QVERIFY(image.save(dir + QStringLiteral("/sensor-chart.png")));
            CSensorViewDlg view;
            for (int i = 0; i < 12; ++i) {
                m_view->m_calibLow[i] = 40;
                m_view->m_calibHigh[i] = static_cast<uint8_t>(104 + i);
            }
            view.SetSensor(5);
            Tick(view, Limits("2", "8"));
            ShowActive(view);
            QVERIFY(view.grab().save(dir + QStringLiteral("/sensor-5.png")));
            view.SetSensor(4);
            QVERIFY(view.grab().save(dir + QStringLiteral("/sensor-4.png")));
        }
    }
};

QTEST_MAIN(SensorWindowsTest)
#include "SensorWindowsTest.moc"
