#include "FrameFixture.h"
#include "ProcessStateGuard.h"
#include "decoder/SysexDecoderState.h"
#include "gui/CommandIds.h"
#include "gui/DemoStart.h"
#include "gui/SensorChartDlg.h"
#include "gui/SensorViewDlg.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "render/SensorChart.h"
#include "sim/Qz4Model.h"
#include "sim/SimulatorServices.h"

#include <QAction>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

constexpr uint8_t kScanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};
constexpr uint8_t kSetupInformationRequest[] = {0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7};
constexpr uint8_t kCommand2ARequest[] = {0xF0, 0x09, 0x2A, 0xF7};

// The simulator installed as the only MIDI devices, with a frame on top.
struct SimulatorFixture {
    SimulatorOptions options;
    std::unique_ptr<SimulatorServices> simulator;
    std::optional<ProcessStateGuard> state;
    std::unique_ptr<FrameFixture> f;

    explicit SimulatorFixture(std::vector<SensorFault> faults = {}, bool still = false) {
        options.seed = 7;
        options.faults = std::move(faults);
        options.still = still;
        simulator = std::make_unique<SimulatorServices>(options);
        state.emplace(simulator.get());
        f = std::make_unique<FrameFixture>();
    }
    CWinTesselTestView& View() { return f->View(); }
};

// The values of the scan packet that answers the `count`-th scan request of a box that
// first answered Get Setup Information.
std::vector<uint8_t> ExpectedScan(const SimulatorOptions& options, int count) {
    Qz4Model model(options);
    model.Respond(kSetupInformationRequest, sizeof kSetupInformationRequest);
    model.Respond(kCommand2ARequest, sizeof kCommand2ARequest);
    std::vector<uint8_t> packet;
    for (int i = 0; i < count; ++i) {
        packet = model.Respond(kScanRequest, sizeof kScanRequest);
    }
    std::vector<uint8_t> values;
    for (size_t p = 3; p + 1 < packet.size(); p += 2) {
        values.push_back(static_cast<uint8_t>((packet[p] & 0x0F) << 4 | (packet[p + 1] & 0x0F)));
    }
    return values;
}

constexpr QRgb kRed = qRgb(255, 0, 0);

// The sensors whose column (x 10 + 10i to 19 + 10i, in the normalised row) shows red.
std::vector<int> RedColumns(CWinTesselTestView& view) {
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<int> red;
    for (int i = 0; i < view.m_stripLength; ++i) {
        bool found = false;
        for (int x = 10 + 10 * i; x <= 19 + 10 * i && !found; ++x) {
            for (int y = 106; y <= 600 && !found; ++y) {
                found = image.pixel(x, y) == kRed;
            }
        }
        if (found) {
            red.push_back(i);
        }
    }
    return red;
}

} // namespace

class LivePollTest : public QObject {
    Q_OBJECT
private slots:
    void demoStartFollowsTheSimulatorWithItsCalibration() {
        SimulatorFixture s;
        QString error;
        QVERIFY2(StartDemo(s.View(), &error), qPrintable(error));
        QCOMPARE(s.View().m_bTimerOn, 1);
        QTRY_VERIFY_WITH_TIMEOUT(s.View().m_scanCount >= 8, 5000);
        s.View().StopPollTimer();
        // For looking at the live view by eye: WT_SCREENSHOT_DIR=/tmp/shots.
        if (const QString dir = qEnvironmentVariable("WT_SCREENSHOT_DIR"); !dir.isEmpty()) {
            QVERIFY(s.f->frame->grab().save(dir + QStringLiteral("/live-view.png")));
        }

        CWinTesselTestView& view = s.View();
        QCOMPARE(view.m_scanLength, 122);
        const std::vector<uint8_t> expected = ExpectedScan(s.options, view.m_scanCount);
        QCOMPARE(std::vector<uint8_t>(view.m_values, view.m_values + 122), expected);
        const int column = (view.m_scanCount - 1) & 0xFF;
        for (int i = 0; i < 122; ++i) {
            QCOMPARE(view.m_history[i][column], expected[i]);
        }

        const Qz4Model model(s.options);
        for (int j = 0; j < 122; ++j) {
            QCOMPARE(view.m_calibLow[j], model.CalibLow(j));
            QCOMPARE(view.m_calibHigh[j], model.CalibHigh(j));
        }
        QCOMPARE(view.m_setupRequested, 0);
        QCOMPARE(view.m_setupTextPending, 0);
    }

    void menuCommandsRunThePollAndFetchTheCalibration() {
        SimulatorFixture s;
        CWinTesselTestView& view = s.View();
        view.m_pInPortDlg->m_nDevice = 0;
        view.OpenMidiIn();
        view.m_pOutPortDlg->m_nDevice = 0;
        view.OpenMidiOut();
        s.f->frame->CommandAction(CommandId::GetSetupInformation)->trigger();
        QCOMPARE(view.m_setupTextPending, 1);
        QCOMPARE(view.m_setupRequested, 1);
        // The replies wait in the rings until a tick decodes them.
        Qz4Model box(s.options);
        const uint32_t replyBytes = static_cast<uint32_t>(
            box.Respond(kSetupInformationRequest, sizeof kSetupInformationRequest).size() +
            box.Respond(kCommand2ARequest, sizeof kCommand2ARequest).size());
        QTRY_COMPARE_WITH_TIMEOUT(ByteWriteCount.load() - ByteReadCount.load(), replyBytes, 5000);
        QCOMPARE(view.m_calibHigh[0], uint8_t{0});

        s.f->frame->CommandAction(CommandId::StartTimer)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(view.m_scanCount >= 3, 5000);
        s.f->frame->CommandAction(CommandId::StopTimer)->trigger();
        const int stoppedAt = view.m_scanCount;
        QCOMPARE(view.m_calibHigh[0], Qz4Model(s.options).CalibHigh(0));
        // A stopped poll shows only as ticks that do not come, so time must pass: more
        // than three of its periods.
        QTest::qWait(400);
        QCOMPARE(view.m_scanCount, stoppedAt);
    }

    void aNoisySensorAboveTheRmsLimitAloneIsFlaggedInRed() {
        SimulatorFixture s({{23, SensorFault::Kind::Noisy, 20}}, true);
        LimitOptions limits;
        limits.maxSensorRms = ParseRealLimit("3");
        s.View().SetSensorLimits(limits);
        QString error;
        QVERIFY2(StartDemo(s.View(), &error), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(s.View().m_scanCount >= 12, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(RedColumns(s.View()), std::vector<int>{23}, 5000);
        QVERIFY(s.View().Watch().HasStats());
        QCOMPARE(s.View().Watch().Verdict().failingSensors.size(), size_t{1});

        // Clearing the limit takes the flag away at once, poll or not.
        s.View().StopPollTimer();
        s.View().SetSensorLimits({});
        QTRY_VERIFY(RedColumns(s.View()).empty());
        QVERIFY(!s.View().Watch().HasStats());
    }

    // The technician's path from the flag to the sensor: a click in its column opens
    // "Sensor i", the keys choose a neighbour, the chart shows it red and a click on
    // another bar re-aims the same window; all of it follows the poll.
    void aClickInAFlaggedColumnOpensItsSensorAndTheChartLeadsToOthers() {
        SimulatorFixture s({{23, SensorFault::Kind::Noisy, 20}}, true);
        LimitOptions limits;
        limits.maxSensorRms = ParseRealLimit("3");
        s.View().SetSensorLimits(limits);
        QString error;
        QVERIFY2(StartDemo(s.View(), &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(RedColumns(s.View()), std::vector<int>{23}, 5000);

        QTest::mouseClick(&s.View(), Qt::LeftButton, {}, QPoint(10 + 10 * 23 + 4, 300));
        auto* sensor = s.View().findChild<CSensorViewDlg*>();
        QVERIFY(sensor != nullptr);
        QTRY_VERIFY(sensor->isVisible());
        QCOMPARE(sensor->windowTitle(), QStringLiteral("Sensor 23"));
        QTRY_VERIFY(sensor->FiguresText().contains(QStringLiteral("rms")));
        const QString before = sensor->FiguresText();
        QTRY_VERIFY(sensor->FiguresText() != before); // updated by the ticks

        QTest::keyClick(&s.View(), Qt::Key_Right);
        QCOMPARE(sensor->windowTitle(), QStringLiteral("Sensor 24"));
        QTest::keyClick(&s.View(), Qt::Key_Left);
        QTest::keyClick(&s.View(), Qt::Key_Left);
        QTest::keyClick(&s.View(), Qt::Key_Return);
        QCOMPARE(sensor->windowTitle(), QStringLiteral("Sensor 22"));

        s.View().OnSensorChart();
        auto* chart = s.View().findChild<CSensorChartDlg*>();
        QVERIFY(chart != nullptr);
        QTRY_VERIFY(chart->isVisible());
        QTRY_VERIFY(chart->Chart().Fails(23));
        QVERIFY(!chart->Chart().Fails(40));
        const QPoint bar = chart->Chart().BarRect(SensorChart::Row::Swing, 40).center();
        QTest::mouseClick(chart, Qt::LeftButton, {}, bar);
        QTRY_COMPARE(sensor->windowTitle(), QStringLiteral("Sensor 40"));

        // With the windows gone, only the limit keeps the statistics running.
        sensor->hide();
        chart->hide();
        s.View().SetSensorLimits({});
        QVERIFY(!s.View().Watch().Watching());
    }

    void withNoLimitTheNoisySensorIsNotFlagged() {
        SimulatorFixture s({{23, SensorFault::Kind::Noisy, 20}}, true);
        QString error;
        QVERIFY2(StartDemo(s.View(), &error), qPrintable(error));
        QTRY_VERIFY_WITH_TIMEOUT(s.View().m_scanCount >= 12, 5000);
        s.View().StopPollTimer();
        QVERIFY(RedColumns(s.View()).empty());
        QVERIFY(s.View().m_failingSensors.none());
        QVERIFY(!s.View().Watch().HasStats());
    }
};

QTEST_MAIN(LivePollTest)
#include "LivePollTest.moc"
