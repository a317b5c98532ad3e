#pragma once

#include "render/ShownPicture.h"
#include "scanner/ScannerView.h"

#include <QBasicTimer>
#include <QWidget>

#include <memory>

class CMidiInPortDlg;
class CMidiOutPortDlg;
class CSensorChartDlg;
class CSensorViewDlg;
class CStripStatsDlg;
class QPainter;
class QPrinter;
class QRect;
class QRegion;

// The one view: holds the Scanner state, paints it and runs the scanner commands.
class CWinTesselTestView : public QWidget, public ScannerView {
    Q_OBJECT
public:
    explicit CWinTesselTestView(QWidget* parent = nullptr);
    ~CWinTesselTestView() override;

    // Draws the picture on `dc` over `clipBox`, for the screen and for the printer.
    void OnDraw(QPainter& dc, const QRect& clipBox);
    // The print dialog: true when the user chose to print.
    bool OnPreparePrinting(QPrinter& printer);
    // Prints the picture on one page of `printer`.
    void OnPrint(QPrinter& printer);

    // From now on, whenever `window` is hidden, the part of the view it covered is
    // painted anew.
    void RepaintWhatItUncovers(QWidget* window);
    // The frame is being destroyed: the windows of the view's dialogs go with it, and
    // none of them runs what its closing would (a port dialog's squelch).
    void DestroyDialogWindows();

public slots:
    void OnFilePrint();
    void OnMidiInPortSelect();
    void OnMidiOutPortSelect();
    void OnStripStatistics();
    // View > Sensor Chart.
    void OnSensorChart();
    // Opens "Sensor i", or aims the one already open at sensor i.
    void OpenSensor(int sensor);

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t milliseconds) override;
    void PlatformKillTimer(uint32_t timerId) override;
    void InvalidateView() override;

    QSize sizeHint() const override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Records the picture of the current state and repaints the parts of the window
    // where it differs from the picture last recorded, except those of `beingPainted`:
    // `now`, or through a request the event loop serves later.
    void UpdateChangedParts(const QRegion& beingPainted, bool now);
    // Gives the sensor windows that are shown the statistics of the latest tick.
    void UpdateSensorWindows();
    void ShowSensorWindow(QWidget* window);

    QBasicTimer m_pollTimer;
    uint32_t m_pollTimerId = 0;
    std::unique_ptr<CMidiInPortDlg> m_inPortDlg;
    std::unique_ptr<CMidiOutPortDlg> m_outPortDlg;
    std::unique_ptr<CStripStatsDlg> m_statsDlg;
    std::unique_ptr<CSensorViewDlg> m_sensorDlg;
    std::unique_ptr<CSensorChartDlg> m_chartDlg;
    int m_chosenSensor = 0; // of Left, Right and Enter on the view
    // What the window shows once the repaints asked for are done.
    ShownPicture m_shown;
    int m_textHeight = 0; // of the view's font, found when first needed
    bool m_painting = false;
    bool m_recorded = false; // a repaint of UpdateChangedParts: the state is recorded
};
