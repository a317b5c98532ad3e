#include "gui/WinTesselTestView.h"

#include "gui/MidiInPortDlg.h"
#include "gui/MidiOutPortDlg.h"
#include "gui/SensorChartDlg.h"
#include "gui/SensorViewDlg.h"
#include "gui/StripStatsDlg.h"
#include "picture/PrintScale.h"
#include "picture/ViewPainter.h"
#include "render/ViewRendering.h"

#include <QBackingStore>
#include <QEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegion>
#include <QTimerEvent>
#include <QtMath>

#include <algorithm>
#include <cassert>

CWinTesselTestView::CWinTesselTestView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CWinTesselTestView"));
    // OnDraw paints every pixel of the area, so the window system never erases it
    // first: no flicker at the poll rate.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    m_inPortDlg = std::make_unique<CMidiInPortDlg>(this);
    m_pInPortDlg = m_inPortDlg.get();
    m_outPortDlg = std::make_unique<CMidiOutPortDlg>(this);
    m_pOutPortDlg = m_outPortDlg.get();
    m_statsDlg = std::make_unique<CStripStatsDlg>(this, this);
    m_pStatsDlg = m_statsDlg.get();
    RepaintWhatItUncovers(m_statsDlg.get());
    m_sensorDlg = std::make_unique<CSensorViewDlg>(this);
    m_chartDlg = std::make_unique<CSensorChartDlg>(this);
    for (QWidget* window :
         {static_cast<QWidget*>(m_sensorDlg.get()), static_cast<QWidget*>(m_chartDlg.get())}) {
        RepaintWhatItUncovers(window);
    }
    connect(m_chartDlg.get(), &CSensorChartDlg::SensorChosen, this,
            &CWinTesselTestView::OpenSensor);
    // A click in the picture gives the view the keys that choose a sensor.
    setFocusPolicy(Qt::ClickFocus);
}

CWinTesselTestView::~CWinTesselTestView() {
    for (QWidget* window :
         {static_cast<QWidget*>(m_sensorDlg.get()), static_cast<QWidget*>(m_chartDlg.get())}) {
        window->removeEventFilter(this);
    }
    m_sensorDlg.reset();
    m_chartDlg.reset();
    ClosePortsAtShutdown();
    m_pInPortDlg = nullptr;
    m_inPortDlg.reset();
    m_pOutPortDlg = nullptr;
    m_outPortDlg.reset();
    m_pStatsDlg = nullptr;
    m_statsDlg.reset();
}

uint32_t CWinTesselTestView::PlatformSetTimer(uint32_t id, uint32_t milliseconds) {
    m_pollTimer.start(static_cast<int>(milliseconds), Qt::PreciseTimer, this);
    m_pollTimerId = id;
    return id;
}

void CWinTesselTestView::PlatformKillTimer(uint32_t timerId) {
    if (timerId != 0 && timerId == m_pollTimerId) {
        m_pollTimer.stop();
        m_pollTimerId = 0;
    }
}

void CWinTesselTestView::InvalidateView() {
    UpdateChangedParts(QRegion(), !m_painting && isVisible());
    UpdateSensorWindows();
}

void CWinTesselTestView::UpdateSensorWindows() {
    const bool sensorShown = m_sensorDlg != nullptr && m_sensorDlg->isVisible();
    const bool chartShown = m_chartDlg != nullptr && m_chartDlg->isVisible();
    if (!sensorShown && !chartShown) {
        return;
    }
    // Before the first scan there are no statistics: the windows show none.
    static const StripStatsWorkArea noStats{};
    const StripStatsWorkArea& stats = Watch().HasStats() ? Watch().Stats() : noStats;
    if (sensorShown) {
        m_sensorDlg->Update(*this, stats, Watch().Limits());
    }
    if (chartShown) {
        m_chartDlg->Update(stats, Watch().Limits());
    }
}

void CWinTesselTestView::ShowSensorWindow(QWidget* window) {
    const bool wasShown = window->isVisible();
    window->show();
    window->raise();
    window->activateWindow();
    if (!wasShown) {
        // Computed now, not at the next tick: the poll may be stopped.
        Watch().Judge(*this);
        UpdateSensorWindows();
    }
}

void CWinTesselTestView::OnSensorChart() {
    ShowSensorWindow(m_chartDlg.get());
}

void CWinTesselTestView::OpenSensor(int sensor) {
    m_chosenSensor = sensor;
    m_sensorDlg->SetSensor(sensor);
    ShowSensorWindow(m_sensorDlg.get());
}

void CWinTesselTestView::mousePressEvent(QMouseEvent* event) {
    // Sensor i's column, from the top of the normalised row down to the baseline.
    const QPoint at = event->position().toPoint();
    const int sensor = (at.x() - 10) / 10;
    const bool inColumn = at.x() >= 10 && at.y() >= 106 && at.y() <= 600;
    if (event->button() == Qt::LeftButton && inColumn && sensor < m_stripLength) {
        OpenSensor(sensor);
        return;
    }
    QWidget::mousePressEvent(event);
}

void CWinTesselTestView::keyPressEvent(QKeyEvent* event) {
    const int last = std::max(0, static_cast<int>(m_stripLength) - 1);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        m_chosenSensor =
            std::clamp(m_chosenSensor + (event->key() == Qt::Key_Left ? -1 : 1), 0, last);
        // An open sensor window follows, so that the choice can be seen.
        if (m_sensorDlg->isVisible()) {
            m_sensorDlg->SetSensor(m_chosenSensor);
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenSensor(m_chosenSensor);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CWinTesselTestView::UpdateChangedParts(const QRegion& beingPainted, bool now) {
    if (m_textHeight == 0) {
        m_textHeight = fontMetrics().height();
    }
    const QRegion changed = m_shown.Update(*this, rect(), m_textHeight) - beingPainted;
    if (changed.isEmpty()) {
        return;
    }
    if (now) {
        // A tick's change is painted and sent to the display at once, not through a
        // posted request that wakes the event loop once more. That paint has just
        // recorded the state it draws.
        m_recorded = true;
        repaint(changed);
        m_recorded = false;
    } else {
        update(changed);
    }
}

void CWinTesselTestView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_textHeight = 0;
        update();
    }
    QWidget::changeEvent(event);
}

void CWinTesselTestView::DestroyDialogWindows() {
    m_inPortDlg->DestroyWindow();
    m_outPortDlg->DestroyWindow();
    m_statsDlg->DestroyWindow();
    m_sensorDlg->hide();
    m_chartDlg->hide();
}

void CWinTesselTestView::RepaintWhatItUncovers(QWidget* window) {
    window->installEventFilter(this);
}

bool CWinTesselTestView::eventFilter(QObject* watched, QEvent* event) {
    const bool sensorWindow = watched == m_sensorDlg.get() || watched == m_chartDlg.get();
    if (sensorWindow && event->type() == QEvent::Show) {
        // While a sensor window is shown, every tick computes the view's own statistics.
        Watch().AddReader();
    } else if (sensorWindow && event->type() == QEvent::Hide) {
        Watch().RemoveReader();
    }
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        // The window system gives the uncovered part back from the window's backing store
        // without a paint, which would hide what the log gained while the window was up
        // (the squelch's close line, say).
        const auto* window = static_cast<const QWidget*>(watched);
        if (window->isWindow()) {
            const QRect covered(mapFromGlobal(window->frameGeometry().topLeft()),
                                window->frameGeometry().size());
            update(covered & rect());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CWinTesselTestView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_pollTimer.timerId()) {
        OnTimer(m_pollTimerId);
    } else {
        QWidget::timerEvent(event);
    }
}

namespace {

// Every use of the menu command gives a new window with a freshly read device list.
void ShowPortDialog(CMidiPortDlg* dialog) {
    // The view makes both dialog objects before it can receive a command.
    assert(dialog != nullptr);
    if (dialog == nullptr) {
        return;
    }
    dialog->DestroyWindow();
    if (dialog->Create()) {
        dialog->FillDeviceList();
    }
}

} // namespace

void CWinTesselTestView::OnMidiInPortSelect() {
    ShowPortDialog(m_inPortDlg.get());
}

void CWinTesselTestView::OnMidiOutPortSelect() {
    ShowPortDialog(m_outPortDlg.get());
}

// Every use of the menu command computes afresh into a new window.
void CWinTesselTestView::OnStripStatistics() {
    if (m_statsDlg->HasWindow()) {
        m_statsDlg->DestroyWindow();
    }
    m_statsDlg->ShowStatistics();
}

QSize CWinTesselTestView::sizeHint() const {
    return QSize(kPictureWidth, kPictureHeight);
}

void CWinTesselTestView::paintEvent(QPaintEvent* event) {
    m_painting = true;
    QPainter painter(this);
    // The state may have changed without a repaint request (a test, a dialog): this
    // paint draws the current picture, and the parts of the window that differ from what
    // it shows are asked for now, but for those this paint puts into the window itself
    // (a grab of the view paints elsewhere).
    if (!m_recorded) {
        QBackingStore* store = backingStore();
        const bool intoWindow =
            store != nullptr && painter.paintEngine()->paintDevice() == store->paintDevice();
        UpdateChangedParts(intoWindow ? event->region() : QRegion(), false);
    }
    DrawPictureRecord(painter, event->region(), m_shown.Picture());
    painter.end();
    m_painting = false;
}

void CWinTesselTestView::OnDraw(QPainter& dc, const QRect& clipBox) {
    DrawScannerView(dc, clipBox, *this);
}

void CWinTesselTestView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    if (OnPreparePrinting(printer)) {
        OnPrint(printer);
    }
}

bool CWinTesselTestView::OnPreparePrinting(QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

void CWinTesselTestView::OnPrint(QPrinter& printer) {
    QPainter dc;
    if (!dc.begin(&printer)) {
        return;
    }
    // The screen's size on paper, or less where that would not fit; one picture unit per
    // printer dot would leave a picture a few centimetres wide.
    const double scale = PrintScale(kPictureWidth, kPictureHeight, printer.width(),
                                    printer.height(), printer.resolution());
    dc.scale(scale, scale);
    // The text too: a point size would grow with the printer's resolution, on top of
    // the scale.
    QFont screenFont = font();
    screenFont.setPixelSize(QFontInfo(font()).pixelSize());
    dc.setFont(screenFont);
    // One page, drawn straight onto the printer: nothing asks it for another.
    OnDraw(dc, QRect(0, 0, qFloor(printer.width() / scale), qFloor(printer.height() / scale)));
    dc.end();
}
