#include "gui/SensorChartDlg.h"

#include "render/SensorChart.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

CSensorChartDlg::CSensorChartDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_chart(std::make_unique<SensorChart>(StripStatsWorkArea(), LimitOptions(), QSize())) {
    setWindowTitle(QStringLiteral("Sensor Chart"));
    setMinimumSize(320, 240);
    // The chart paints every pixel of the window: no background is painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CSensorChartDlg::~CSensorChartDlg() = default;

QSize CSensorChartDlg::sizeHint() const {
    // Room for 88 sensors' numbers every fifth column and a readable scale.
    return {900, 480};
}

void CSensorChartDlg::Update(const StripStatsWorkArea& stats, const LimitOptions& limits) {
    auto chart = std::make_unique<SensorChart>(stats, limits, size());
    // Only what moved is repainted: at every tick the whole window would be a megabyte
    // and more through the window system.
    const QRegion changed = chart->ChangedArea(*m_chart);
    m_chart = std::move(chart);
    update(changed);
}

SensorChart CSensorChartDlg::Chart() const {
    return *m_chart;
}

void CSensorChartDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_chart = std::make_unique<SensorChart>(m_chart->Resized(size()));
}

void CSensorChartDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    m_chart->Draw(painter, event->region());
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
