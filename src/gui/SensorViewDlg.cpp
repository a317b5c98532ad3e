#include "gui/SensorViewDlg.h"

#include "render/SensorTrace.h"
#include "scanner/ScannerState.h"
#include "stats/SensorVerdicts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

// Paints the trace of whatever the dialog shows, at its own size, and repaints only what
// a new one changes: at every tick the whole picture would be most of a megabyte through
// the window system.
class CSensorViewDlg::TraceWidget : public QWidget {
public:
    explicit TraceWidget(QWidget* parent) : QWidget(parent), m_trace(SensorSamples(), QSize()) {
        setMinimumSize(320, 240);
        // The trace paints every pixel of its area: nothing beneath is painted first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QSize sizeHint() const override { return {560, 400}; }

    void Show(SensorSamples samples) {
        SensorTrace trace(std::move(samples), size());
        update(trace.ChangedArea(m_trace));
        m_trace = std::move(trace);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_trace.Draw(painter, event->region());
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        m_trace = m_trace.Resized(size());
    }

private:
    SensorTrace m_trace;
};

// The figures, a line each, painted by hand: a label per line would have the dialog's
// layout ask every label its size again at each tick.
class CSensorViewDlg::FiguresWidget : public QWidget {
public:
    static constexpr int kLines = 9;

    explicit FiguresWidget(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        return {fontMetrics().averageCharWidth() * 40, LineHeight() * kLines + 4};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    void Show(const QString& text) {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (int i = 0; i < kLines; ++i) {
            const QString line = i < lines.size() ? lines[i] : QString();
            QString& shown = m_lines[static_cast<size_t>(i)];
            if (line != shown) {
                shown = line;
                update(LineRect(i));
            }
        }
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        for (int i = 0; i < kLines; ++i) {
            if (event->region().intersects(LineRect(i))) {
                painter.drawText(LineRect(i), Qt::AlignLeft | Qt::AlignVCenter,
                                 m_lines[static_cast<size_t>(i)]);
            }
        }
    }

private:
    int LineHeight() const { return fontMetrics().lineSpacing(); }
    QRect LineRect(int i) const { return {0, 2 + i * LineHeight(), width(), LineHeight()}; }

    std::array<QString, kLines> m_lines;
};

namespace {

QString FloatText(float value) {
    return QString::fromStdString(ShortestFloatText(value));
}

} // namespace

CSensorViewDlg::CSensorViewDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_stats(std::make_unique<StripStatsWorkArea>()), m_history(std::make_unique<HistoryRings>()) {
    m_picture = new TraceWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_picture, 1);
    m_figures = new FiguresWidget(this);
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

    // Only the shown sensor's samples are put in order, when drawn: a tick copies the
    // rings as they are.
    std::memcpy(m_history->data(), state.m_history, sizeof(state.m_history));
    Refresh();
}

void CSensorViewDlg::SetSensor(int sensor) {
    m_sensor = std::clamp(sensor, 0, ScannerState::kValues - 1);
    Refresh();
}

int CSensorViewDlg::SampleCount() const {
    if (m_sensor < m_stats->N) {
        return m_stats->S;
    }
    if (m_sensor >= std::max(m_scanLength, m_stats->N) ||
        m_sensor >= ScannerState::kHistorySensors) {
        return 0;
    }
    return std::clamp(m_scanCount, 0, ScannerState::kHistoryScans);
}

SensorSamples CSensorViewDlg::Samples() const {
    SensorSamples s;
    const auto i = static_cast<size_t>(m_sensor);
    // The rings hold 256 columns: once full, the oldest scan sits where the next one goes.
    const int oldest =
        m_scanCount > ScannerState::kHistoryScans ? m_scanCount % ScannerState::kHistoryScans : 0;
    const bool analysed = m_sensor < m_stats->N;
    s.samples.resize(static_cast<size_t>(SampleCount()));
    for (size_t j = 0; j < s.samples.size(); ++j) {
        const auto column =
            static_cast<size_t>((oldest + static_cast<int>(j)) % ScannerState::kHistoryScans);
        s.samples[j] = analysed ? m_stats->StatsWindow[i][column] : (*m_history)[i][column];
    }
    if (analysed) {
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
        return QStringLiteral("Not analysed: the statistics take sensors 0 to %1.\n"
                              "Samples: %2")
            .arg(StripStatsWorkArea::kMaxSensors - 1)
            .arg(SampleCount());
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
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(FiguresText());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSensorViewDlg::Refresh() {
    setWindowTitle(QStringLiteral("Sensor %1").arg(m_sensor));
    m_figures->Show(FiguresText());
    m_picture->Show(Samples());
}
