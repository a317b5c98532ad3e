#include "FrameFixture.h"
#include "picture/ViewPainter.h"
#include "render/ViewRendering.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QtTest>

#include <random>

namespace {

// The regions of the paint events the view receives.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget& view) { view.installEventFilter(this); }
    QList<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            regions.append(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }
};

// What the window shows of the view: its pixels in the frame's backing store, as the
// window system last received them, not a fresh paint.
QImage Shown(FrameFixture& f) {
    CWinTesselTestView& view = f.View();
    const QPoint at = view.mapTo(f.frame.get(), QPoint(0, 0));
    return f.frame->screen()
        ->grabWindow(f.frame->winId(), at.x(), at.y(), view.width(), view.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The whole picture at the view's size and device pixel ratio, painted at once.
QImage Whole(CWinTesselTestView& view) {
    const qreal ratio = view.devicePixelRatioF();
    QImage image(view.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    DrawScannerView(painter, view.rect(), view);
    painter.end();
    return image;
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}

} // namespace

class ViewUpdateTest : public QObject {
    Q_OBJECT
private slots:
    void aTickRepaintsOnlyTheTilesOfWhatChanged() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        Settle();
        PaintWatch watch(view);

        view.m_values[5] = 60;   // sensor 5's bar, x 60 to 64, top from 600 to 540
        view.ProcessMidiInput(); // a tick with nothing received: its repaint request
        Settle();

        QCOMPARE(watch.regions.size(), 1);
        const QRegion painted = watch.regions.first();
        QVERIFY(painted.contains(QPoint(62, 541)));
        QVERIFY(painted.contains(QPoint(62, 599)));
        // The bar's column and its marker (x 60 to 68), in tiles of 8: nothing of the log
        // band, of the neighbouring columns or of the free space to the right.
        const QRect bounds = painted.boundingRect();
        QVERIFY2(bounds.left() == 56 && bounds.right() == 71,
                 qPrintable(QStringLiteral("%1 to %2").arg(bounds.left()).arg(bounds.right())));
        QVERIFY(!painted.contains(QPoint(62, 50)));
        QCOMPARE(Shown(f), Whole(view));
    }

    void aTickThatChangesNothingPaintsNothing() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        Settle();
        PaintWatch watch(view);

        view.ProcessMidiInput();
        Settle();

        QVERIFY(watch.regions.isEmpty());
    }

    void theWindowShowsTheWholePictureAfterManyPartialRepaints() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        std::mt19937 random(17);
        for (int tick = 0; tick < 60; ++tick) {
            for (int k = 0; k < 40; ++k) {
                const int i = static_cast<int>(random() % 127);
                switch (random() % 5) {
                case 0:
                    view.m_calibLow[i] = static_cast<uint8_t>(random());
                    break;
                case 1:
                    view.m_calibHigh[i] = static_cast<uint8_t>(random());
                    break;
                default:
                    view.m_values[i] = static_cast<uint8_t>(view.m_values[i] + random() % 7 - 3);
                    break;
                }
            }
            if (tick % 9 == 4) {
                MessageLog.Append("tick %d: a line for the log band", tick);
            }
            if (tick % 20 == 10) {
                view.m_stripLength = static_cast<int8_t>(60 + random() % 60);
            }
            view.ProcessMidiInput();
            Settle();
            QCOMPARE(Shown(f), Whole(view));
        }
    }

    void aChangeWithoutARepaintRequestReachesTheWindowAfterTheNextPaint() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        Settle();
        for (int i = 0; i < view.m_stripLength; ++i) {
            view.m_values[i] = static_cast<uint8_t>(30 + i);
        }
        // A paint for another reason (here a grab of the view) draws the new state and
        // asks for the rest of what changed.
        QCOMPARE(view.grab().toImage().convertToFormat(QImage::Format_RGB32), Whole(view));
        Settle();

        QCOMPARE(Shown(f), Whole(view));
    }
};

QTEST_MAIN(ViewUpdateTest)
#include "ViewUpdateTest.moc"
