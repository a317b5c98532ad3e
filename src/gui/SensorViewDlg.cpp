#include "gui/SensorViewDlg.h"

#include "render/SensorTrace.h"
#include "scanner/ScannerState.h"
#include "stats/SensorVerdicts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Paints the trace of whatever the dialog shows, at its own size.
class SensorTraceWidget : public QWidget {
public:
    explicit SensorTraceWidget(CSensorViewDlg* dlg) : QWidget(dlg), m_dlg(dlg) {
        setMinimumSize(320, 240);
    }
    QSize sizeHint() const override { return {560, 400}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        SensorTrace(m_dlg->Samples(), size()).Draw(painter);
    }

private:
    CSensorViewDlg* m_dlg;
};

QString FloatText(float value) {
    return QString::fromStdString(ShortestFloatText(value));
}

} // namespace

CSensorViewDlg::CSensorViewDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_stats(std::make_unique<StripStatsWorkArea>()) {
    m_picture = new SensorTraceWidget(this);
    m_figures = new QLabel(this);
    m_figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_figures->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_figures);
    Refresh();
}

CSensorViewDlg::~CSensorViewDlg() = default;

QSize CSensorViewDlg::sizeHint() const {
    return {600, 560};
}

void CSensorViewDlg::Update(const ScannerState& state, const StripStatsWorkArea& stats,
                            const LimitOptions& limits) {
    *m_stats = stats;
    m_limits = limits;
    m_scanCount = state.m_scanCount;
    m_scanLength = std::clamp(state.m_scanLength, 0, ScannerState::kValues);
    std::copy(std::begin(state.m_calibLow), std::end(state.m_calibLow), m_calibLow.begin());
    std::copy(std::begin(state.m_calibHigh), std::end(state.m_calibHigh), m_calibHigh.begin());

    // The history is a ring of 256 columns: once it is full, the oldest scan sits where
    // the next one goes.
    const int scans = std::clamp(m_scanCount, 0, ScannerState::kHistoryScans);
    const int oldest =
        m_scanCount > ScannerState::kHistoryScans ? m_scanCount % ScannerState::kHistoryScans : 0;
    m_samples.assign(static_cast<size_t>(std::max(m_scanLength, stats.N)), {});
    for (size_t i = 0; i < m_samples.size(); ++i) {
        const bool analysed = static_cast<int>(i) < stats.N;
        const int count = analysed ? stats.S : scans;
        std::vector<uint8_t>& row = m_samples[i];
        row.resize(static_cast<size_t>(count));
        for (int j = 0; j < count; ++j) {
            const int column = (oldest + j) % ScannerState::kHistoryScans;
            row[static_cast<size_t>(j)] =
                analysed ? stats.StatsWindow[i][column] : state.m_history[i][column];
        }
    }
    Refresh();
}

void CSensorViewDlg::SetSensor(int sensor) {
    m_sensor = std::clamp(sensor, 0, ScannerState::kValues - 1);
    Refresh();
}

SensorSamples CSensorViewDlg::Samples() const {
    SensorSamples s;
    const auto i = static_cast<size_t>(m_sensor);
    if (i < m_samples.size()) {
        s.samples = m_samples[i];
    }
    if (m_sensor < m_stats->N) {
        s.analysed = true;
        s.mean = m_stats->SensorMean[i];
        s.meanByte = m_stats->SensorMeanByte[i];
        s.calibLow = m_calibLow[i];
        s.calibHigh = m_calibHigh[i];
    }
    return s;
}

QString CSensorViewDlg::FiguresText() const {
    const auto i = static_cast<size_t>(m_sensor);
    if (m_sensor >= m_stats->N) {
        const int samples = i < m_samples.size() ? static_cast<int>(m_samples[i].size()) : 0;
        return QStringLiteral("Not analysed: the statistics take sensors 0 to %1.\n"
                              "Samples: %2")
            .arg(StripStatsWorkArea::kMaxSensors - 1)
            .arg(samples);
    }
    QStringList failed;
    for (const SensorFailure& failure : FailingSensors(*m_stats, m_limits.Sensors())) {
        if (failure.sensor == m_sensor) {
            if (failure.rms) {
                failed << QStringLiteral("rms");
            }
            if (failure.swing) {
                failed << QStringLiteral("swing");
            }
        }
    }
    const QString verdict = !m_limits.HasSensorLimits() ? QStringLiteral("no sensor limit set")
                            : failed.isEmpty()          ? QStringLiteral("none")
                                                        : failed.join(QStringLiteral(", "));
    return QStringLiteral("Samples: %1\n"
                          "Mean: %2\n"
                          "Min: %3\n"
                          "Max: %4\n"
                          "Swing: %5\n"
                          "RMS: %6\n"
                          "Calibration low: %7\n"
                          "Calibration high: %8\n"
                          "Failed limits: %9")
        .arg(m_stats->S)
        .arg(FloatText(m_stats->SensorMean[i]))
        .arg(static_cast<int>(m_stats->SensorMin[i]))
        .arg(static_cast<int>(m_stats->SensorMax[i]))
        .arg(SensorSwing(*m_stats, m_sensor))
        .arg(FloatText(m_stats->SensorRms[i]))
        .arg(static_cast<int>(m_calibLow[i]))
        .arg(static_cast<int>(m_calibHigh[i]))
        .arg(verdict);
}

void CSensorViewDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        // The arrows walk the analysed sensors; from one past them (opened by a click)
        // Left walks back in and Right stays.
        const int last = std::max(m_stats->N - 1, m_sensor);
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        SetSensor(std::clamp(m_sensor + step, 0, std::max(0, last)));
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSensorViewDlg::Refresh() {
    setWindowTitle(QStringLiteral("Sensor %1").arg(m_sensor));
    m_figures->setText(FiguresText());
    m_picture->update();
}
