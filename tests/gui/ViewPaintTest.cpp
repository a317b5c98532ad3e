#include "FrameFixture.h"
#include "gui/CommandIds.h"
#include "picture/ViewPainter.h"
#include "render/ViewRendering.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);

struct Pixel {
    int x;
    int y;
    QColor colour;
    const char* what;
};

void ComparePixels(const QImage& image, const std::vector<Pixel>& pixels) {
    for (const Pixel& p : pixels) {
        const QColor actual = image.pixelColor(p.x, p.y);
        if (actual.rgb() != p.colour.rgb()) {
            QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3): %4, expected %5")
                                 .arg(QLatin1String(p.what))
                                 .arg(p.x)
                                 .arg(p.y)
                                 .arg(actual.name(), p.colour.name())));
        }
    }
}

QImage Screen(CWinTesselTestView& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool RowsAreBlank(const QImage& image, int top, int bottom) {
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() != kWhite.rgb()) {
                return false;
            }
        }
    }
    return true;
}

int PageCount(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page\\b"));
    int count = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next()) {
        ++count;
    }
    return count;
}

} // namespace

class ViewPaintTest : public QObject {
    Q_OBJECT
private slots:
    void windowSystemNeverErasesTheViewBeforeItPaints() {
        FrameFixture f;
        QVERIFY(f.View().testAttribute(Qt::WA_OpaquePaintEvent));
        QVERIFY(f.View().testAttribute(Qt::WA_NoSystemBackground));
        QVERIFY(!f.View().autoFillBackground());
    }

    void startUpPictureHasOutlinedColumnsFootMarkersAndBaselineMarks() {
        FrameFixture f;
        QVERIFY(f.View().width() >= 960 && f.View().height() >= 640);
        const QImage image = Screen(f.View());

        ComparePixels(image, {
                                 {13, 200, kWhite, "column inside"},
                                 {10, 200, kBlack, "column left edge"},
                                 {11, 200, kWhite, "pixel right of the one-pixel left edge"},
                                 {17, 200, kBlack, "column right edge"},
                                 {16, 200, kWhite, "pixel left of the right edge"},
                                 {18, 200, kWhite, "gap between columns"},
                                 {9, 200, kWhite, "background left of the first column"},
                                 {13, 105, kWhite, "above the column"},
                                 {13, 106, kBlack, "column top edge"},
                                 {13, 107, kWhite, "below the column top edge"},
                                 {13, 366, kBlack, "marker top edge"},
                                 {13, 367, kGreen, "marker inside"},
                                 {16, 370, kGreen, "marker inside"},
                                 {13, 371, kBlack, "marker and column bottom edge"},
                                 {13, 372, kWhite, "below the column"},
                                 {12, 594, kWhite, "above the calibration marks"},
                                 {12, 595, kBlack, "mark top edge"},
                                 {12, 596, kBlue, "low mark over the high mark"},
                                 {13, 598, kBlue, "low mark over the high mark"},
                                 {12, 599, kBlack, "mark bottom edge on the baseline"},
                                 {10, 597, kBlack, "mark left edge"},
                                 {14, 597, kBlack, "mark right edge"},
                                 {15, 597, kWhite, "right of the mark"},
                                 {12, 600, kWhite, "below the baseline"},
                                 {930, 200, kBlack, "last column's left edge"},
                                 {933, 368, kGreen, "last marker"},
                                 {933, 597, kBlue, "last low mark"},
                                 {943, 368, kWhite, "no 94th sensor"},
                                 {943, 597, kWhite, "no 94th sensor"},
                             });
        QVERIFY2(RowsAreBlank(image, 0, 14), "top log slot stays empty");
        QVERIFY2(!RowsAreBlank(image, 84, 98), "newest welcome line in the bottom slot");
        QVERIFY2(RowsAreBlank(image, 600, 640), "nothing below the baseline");
    }

    void sampleValuesPaintBarsMarksAndMarkersInTheirColours() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        view.m_values[0] = 100; // bar up to y 500
        view.m_calibLow[0] = 30;
        view.m_calibHigh[0] = 200; // marker 105 px above the foot
        view.m_values[1] = 0;
        view.m_calibLow[1] = 50;
        view.m_calibHigh[1] = 50; // both marks at one place
        const QImage image = Screen(view);

        ComparePixels(image, {
                                 {12, 550, kWhite, "bar inside"},
                                 {10, 550, kBlack, "bar left edge"},
                                 {14, 550, kBlack, "bar right edge"},
                                 {12, 500, kBlack, "bar top edge"},
                                 {12, 499, kWhite, "above the bar"},
                                 {12, 599, kBlack, "bar bottom edge"},
                                 {12, 397, kGreen, "high mark inside"},
                                 {12, 395, kBlack, "high mark top edge"},
                                 {12, 567, kBlue, "low mark over the bar"},
                                 {13, 261, kBlack, "marker top edge"},
                                 {13, 264, kGreen, "marker inside"},
                                 {13, 266, kBlack, "marker bottom edge"},
                                 {13, 268, kWhite, "column below the marker"},
                                 {13, 367, kWhite, "column foot without marker"},
                                 {22, 547, kBlue, "low mark over the high mark"},
                                 {23, 368, kGreen, "marker of v = 0 at the foot"},
                             });
    }

    void viewShowsExactlyTheOffScreenRendering() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        view.m_stripLength = 127;
        for (int i = 0; i < 127; ++i) {
            view.m_values[i] = static_cast<uint8_t>(i * 2);
            view.m_calibHigh[i] = 250;
        }
        QCOMPARE(Screen(view), RenderViewImage(view, view.size()));
    }

    void aHighDensityScreenGetsItsOwnPixelsAndTheSamePicture() {
        FrameFixture f;
        CWinTesselTestView& view = f.View();
        for (int i = 0; i < view.m_stripLength; ++i) {
            view.m_values[i] = static_cast<uint8_t>(40 + i);
            view.m_calibHigh[i] = 200;
        }
        const QSize logical(kPictureWidth, kPictureHeight);
        const QImage plain = RenderViewImage(view, logical);
        QImage dense(logical * 2, QImage::Format_RGB32);
        dense.setDevicePixelRatio(2.0);
        {
            QPainter painter(&dense);
            view.OnDraw(painter, QRect(QPoint(0, 0), logical));
        }
        // The bars and marks fall on the same logical pixels: every second device pixel
        // of the bar rows is the plain picture's pixel.
        QImage sampled = dense.scaled(logical, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        sampled.setDevicePixelRatio(1.0);
        const QRect bars(0, kColumnTop, logical.width(), logical.height() - kColumnTop);
        QCOMPARE(sampled.copy(bars), plain.copy(bars));
        // The text is drawn at the device's resolution: an image scaled up from the
        // plain one would make every aligned 2x2 block of the log band one colour.
        bool finerThanLogicalPixels = false;
        for (int y = 0; y < 2 * kLogSlots * kLogSlotHeight && !finerThanLogicalPixels; y += 2) {
            for (int x = 0; x < dense.width() && !finerThanLogicalPixels; x += 2) {
                const QRgb first = dense.pixel(x, y);
                finerThanLogicalPixels = dense.pixel(x + 1, y) != first ||
                                         dense.pixel(x, y + 1) != first ||
                                         dense.pixel(x + 1, y + 1) != first;
            }
        }
        QVERIFY(finerThanLogicalPixels);
    }

    void repaintingPartOfTheViewDrawsOnlyThatPartAtTheSamePlace() {
        FrameFixture f;
        const QImage whole = RenderViewImage(f.View(), QSize(200, 640));
        QImage image(200, 640, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QRect part(5, 100, 20, 300);
        {
            QPainter painter(&image);
            f.View().OnDraw(painter, part);
        }

        QCOMPARE(image.copy(part), whole.copy(part));
        QCOMPARE(image.pixelColor(part.left() - 1, part.top()), QColor(Qt::red));
        QCOMPARE(image.pixelColor(part.right() + 1, part.bottom()), QColor(Qt::red));
        QCOMPARE(image.pixelColor(part.left(), part.bottom() + 1), QColor(Qt::red));
    }

    void printingWritesThePictureOnOnePage() {
        FrameFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("view.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);

        f.View().OnPrint(printer);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(PageCount(file.readAll()), 1);
    }

    void printCommandAsksForThePrinterFirst() {
        FrameFixture f;
        bool sawDialog = false;
        QTimer::singleShot(0, [&sawDialog] {
            QWidget* modal = QApplication::activeModalWidget();
            sawDialog = qobject_cast<QPrintDialog*>(modal) != nullptr;
            if (modal != nullptr) {
                modal->close();
            }
        });
        f.frame->CommandAction(CommandId::FilePrint)->trigger();
        QVERIFY(sawDialog);
    }
};

QTEST_MAIN(ViewPaintTest)
#include "ViewPaintTest.moc"
