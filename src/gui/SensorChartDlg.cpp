#include "gui/SensorChartDlg.h"

#include "render/SensorChart.h"

#include <QMouseEvent>
#include <QPainter>

CSensorChartDlg::CSensorChartDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_stats(std::make_unique<StripStatsWorkArea>()) {
    setWindowTitle(QStringLiteral("Sensor Chart"));
    setMinimumSize(320, 240);
}

CSensorChartDlg::~CSensorChartDlg() = default;

QSize CSensorChartDlg::sizeHint() const {
    // Room for 88 sensors' numbers every fifth column and a readable scale.
    return {900, 480};
}

void CSensorChartDlg::Update(const StripStatsWorkArea& stats, const LimitOptions& limits) {
    *m_stats = stats;
    m_limits = limits;
    update();
}

SensorChart CSensorChartDlg::Chart() const {
    return SensorChart(*m_stats, m_limits, size());
}

void CSensorChartDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Chart().Draw(painter);
}

void CSensorChartDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int sensor = Chart().SensorAt(event->position().toPoint());
        if (sensor >= 0) {
            emit SensorChosen(sensor);
            event->accept();
            return;
        }
    }
    QDialog::mousePressEvent(event);
}
