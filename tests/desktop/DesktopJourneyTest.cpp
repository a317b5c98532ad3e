// The window program as a person meets it: the real executable on a desktop with a window
// manager (see with-desktop.sh), driven with real mouse and keyboard events through
// xdotool, looked at through screenshots of the X server. Every step leaves a picture in
// WT_SHOT_DIR for a person to look at.

#include "gui/DialogUnits.h"
#include "picture/ViewPainter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

const QString kProgram = QStringLiteral(WT_PROGRAM);
const QString kShotDir = QStringLiteral(WT_SHOT_DIR);
constexpr QRgb kWhite = 0xFFFFFFFF;

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString Xdotool(const QStringList& arguments) {
    return Run(QStringLiteral("xdotool"), arguments);
}

// The visible top-level window with exactly this title, or "" after `ms`.
QString WaitForWindow(const QString& title, int ms = 10000) {
    QString found;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            found = Xdotool({"search", "--onlyvisible", "--name",
                             QStringLiteral("^%1$").arg(QRegularExpression::escape(title))})
                        .section('\n', 0, 0);
            return !found.isEmpty();
        },
        ms));
    return found;
}

bool WaitUntilGone(const QString& title, int ms = 5000) {
    return QTest::qWaitFor(
        [&] {
            return Xdotool({"search", "--onlyvisible", "--name",
                            QStringLiteral("^%1$").arg(QRegularExpression::escape(title))})
                .isEmpty();
        },
        ms);
}

bool WaitUntilActive(const QString& window, int ms = 5000) {
    return QTest::qWaitFor([&] { return Xdotool({"getactivewindow"}) == window; }, ms);
}

// A left click at a point of a window's client area.
void Click(const QString& window, QPoint at) {
    Xdotool({"mousemove", "--sync", "--window", window, QString::number(at.x()),
             QString::number(at.y()), "click", "1"});
}

void Keys(const QStringList& keys) {
    Xdotool(QStringList({"key", "--clearmodifiers", "--delay", "60"}) + keys);
}

QImage Grab(const QString& window) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(window.toULongLong())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Where a window's client area lies on the screen. (xdotool's geometry adds the window
// manager's frame offset twice; xwininfo's absolute corner is the client's.)
QRect OnScreen(const QString& window) {
    QRect where;
    for (const QString& line : Run(QStringLiteral("xwininfo"), {"-id", window}).split('\n')) {
        const QString label = line.section(':', 0, 0).trimmed();
        const int value = line.section(':', 1).trimmed().toInt();
        if (label == QLatin1String("Absolute upper-left X")) {
            where.moveLeft(value);
        } else if (label == QLatin1String("Absolute upper-left Y")) {
            where.moveTop(value);
        } else if (label == QLatin1String("Width")) {
            where.setWidth(value);
        } else if (label == QLatin1String("Height")) {
            where.setHeight(value);
        }
    }
    return where;
}

// What the screen shows over a window's client area, whatever window lies on top.
QImage GrabScreen(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// A window's picture once it has been drawn and stays as it is for a moment.
QImage WaitForStill(const QString& window, int ms = 5000) {
    constexpr int kStillFor = 150;
    QImage last = Grab(window);
    QElapsedTimer unchanged;
    unchanged.start();
    static_cast<void>(QTest::qWaitFor(
        [&] {
            QImage now = Grab(window);
            if (now != last || now.isNull()) {
                last = std::move(now);
                unchanged.restart();
                return false;
            }
            return unchanged.elapsed() >= kStillFor;
        },
        ms));
    return last;
}

// The whole screen, for a person to look at.
void Shot(const QString& name) {
    QDir().mkpath(kShotDir);
    const QString path = kShotDir + QLatin1Char('/') + name + QStringLiteral(".png");
    QVERIFY2(QGuiApplication::primaryScreen()->grabWindow(0).save(path), qPrintable(path));
    qInfo("screenshot: %s", qPrintable(path));
}

// Where two pictures of one window differ; empty when they are the same.
QRect Difference(const QImage& a, const QImage& b) {
    QRect box;
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    for (int y = 0; y < height; ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (rowA[x] != rowB[x]) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

// The sensors whose columns in the view's normalised row show red, in a picture of the
// main window whose view starts at row `viewTop`.
QList<int> RedColumns(const QImage& window, int viewTop) {
    constexpr QRgb kRed = 0xFFFF0000;
    QList<int> sensors;
    const int bottom = std::min(window.height() - 1, viewTop + kColumnFoot);
    const int right = std::min(window.width(), kPictureWidth);
    for (int y = viewTop + kColumnTop; y <= bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(window.constScanLine(y));
        for (int x = 10; x < right; ++x) {
            const int sensor = (x - 10) / 10;
            if (row[x] == kRed && !sensors.contains(sensor)) {
                sensors << sensor;
            }
        }
    }
    std::sort(sensors.begin(), sensors.end());
    return sensors;
}

bool HasRed(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        if (std::any_of(row, row + picture.width(),
                        [](QRgb pixel) { return pixel == 0xFFFF0000; })) {
            return true;
        }
    }
    return false;
}

// A window that shows something: a window not drawn yet is all one colour.
bool Drawn(const QImage& picture) {
    if (picture.isNull()) {
        return false;
    }
    const QRgb first = picture.pixel(0, 0);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        if (std::any_of(row, row + picture.width(), [&](QRgb pixel) { return pixel != first; })) {
            return true;
        }
    }
    return false;
}

// The view's rows in a picture of the main window: its white background, between the
// grey toolbar and status bar, seen down the column left of the first bar.
std::pair<int, int> ViewRows(const QImage& window) {
    constexpr int kColumn = 4;
    int top = 0;
    while (top < window.height() && window.pixel(kColumn, top) != kWhite) {
        ++top;
    }
    int bottom = window.height() - 1;
    while (bottom > top && window.pixel(kColumn, bottom) != kWhite) {
        --bottom;
    }
    return {top, bottom};
}

// The menu bar as the program lays it out: the same items in the same style and font,
// so the positions of its items are those of the program's menu bar.
class MenuBarLayout {
public:
    explicit MenuBarLayout(int width) {
        for (const char* text : {"Midi In Port Select", "Midi Out Port Select", "StartTimer",
                                 "StopTimer", "Strip Statistics", "Get Setup Information"}) {
            m_items.insert(QLatin1String(text), m_bar.addAction(QLatin1String(text)));
        }
        for (const char* text : {"&File", "&Edit", "&View"}) {
            m_items.insert(QLatin1String(text), m_bar.addMenu(QLatin1String(text))->menuAction());
        }
        m_items.value("&Edit")->setEnabled(false);
        m_items.insert("ScanDump", m_bar.addAction(QStringLiteral("ScanDump")));
        m_items.value("ScanDump")->setEnabled(false);
        m_items.insert("Clear Screen", m_bar.addAction(QStringLiteral("Clear Screen")));
        m_items.insert("&Help", m_bar.addMenu(QStringLiteral("&Help"))->menuAction());
        m_bar.resize(width, m_bar.sizeHint().height());
    }
    int WidthOfAllItems() const { return m_bar.sizeHint().width(); }
    int Height() const { return m_bar.height(); }
    QPoint Centre(const QString& item) const {
        return m_bar.actionGeometry(m_items.value(item)).center();
    }

private:
    QMenuBar m_bar;
    QHash<QString, QAction*> m_items;
};

// The program under test, its Message log read from its standard output.
class Program {
public:
    explicit Program(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home.path());
        environment.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        environment.insert("XDG_DATA_HOME", m_home.filePath("data"));
        environment.insert("XDG_RUNTIME_DIR", m_home.path());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        // The QZ4 Simulator alone, first in both lists: the MIDI system asked for is a
        // JACK server of a name nobody runs, and none is started.
        environment.insert("WINTESSELTEST_MIDI_API", "jack");
        environment.insert("JACK_NO_START_SERVER", "1");
        environment.insert("JACK_DEFAULT_SERVER", "wintesseltest-journey-none");
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        m_process.setProcessEnvironment(environment);
        m_process.start(kProgram, arguments);
    }
    ~Program() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    // The log lines written so far.
    const QStringList& Lines() {
        m_pending += m_process.readAllStandardOutput();
        while (true) {
            const qsizetype end = m_pending.indexOf('\n');
            if (end < 0) {
                break;
            }
            m_lines << QString::fromLatin1(m_pending.left(end));
            m_pending.remove(0, end + 1);
        }
        return m_lines;
    }
    bool WaitForLine(const QString& start, int ms = 5000, int from = 0) {
        return QTest::qWaitFor(
            [&] {
                const QStringList& lines = Lines();
                return std::any_of(lines.begin() + std::min<qsizetype>(from, lines.size()),
                                   lines.end(),
                                   [&](const QString& line) { return line.startsWith(start); });
            },
            ms);
    }
    bool WaitForExit(int ms = 10000) { return m_process.waitForFinished(ms); }
    int ExitCode() const { return m_process.exitCode(); }
    QProcess::ExitStatus ExitStatus() const { return m_process.exitStatus(); }
    // Standard error so far.
    QString Errors() {
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_errors;
    }
    QString Home() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
    QString m_errors;
};

// Ends the program as a user does, with Alt+F4 on its frame; true when it ended normally
// with status 0.
bool CloseWithAltF4(Program& program, const QString& frame) {
    Xdotool({"windowactivate", "--sync", frame});
    if (!WaitUntilActive(frame)) {
        return false;
    }
    Keys({"alt+F4"});
    return program.WaitForExit() && program.ExitStatus() == QProcess::NormalExit &&
           program.ExitCode() == 0;
}

// A port dialog's geometry, from its template in dialog units.
struct PortDialogLayout {
    DialogUnits units{DialogUnits::TemplateFont()};
    QPoint FirstLine() const {
        const QRect list = units.Rect(7, 7, 143, 49);
        return {list.left() + 30,
                list.top() + 3 + QFontMetrics(DialogUnits::TemplateFont()).height() / 2};
    }
    QPoint Ok() const { return units.Rect(193, 7, 50, 14).center(); }
    QPoint Squelch() const { return units.Rect(193, 25, 50, 14).center(); }
};

} // namespace

class DesktopJourneyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
                 "run on an X display: tests/desktop/with-desktop.sh");
    }

    void aFirstSessionFromStartToClose() {
        Program program({"--echo-log"});
        const QString frame = WaitForWindow(QStringLiteral("Untitled - WinTesselTest"));
        QVERIFY2(!frame.isEmpty(), qPrintable(program.Errors()));
        QVERIFY(program.WaitForLine(QStringLiteral("don't forget to click")));
        QVERIFY(WaitUntilActive(frame));
        const QImage first = WaitForStill(frame);
        Shot(QStringLiteral("01-first-start"));

        // The first window shows the whole picture and every menu-bar item.
        const MenuBarLayout menu(first.width());
        const auto [viewTop, viewBottom] = ViewRows(first);
        qInfo("first window: %dx%d, view rows %d to %d, menu items %d wide", first.width(),
              first.height(), viewTop, viewBottom, menu.WidthOfAllItems());
        QVERIFY(first.width() >= kPictureWidth);
        QVERIFY(viewBottom - viewTop + 1 >= kPictureHeight);
        QVERIFY(first.width() >= menu.WidthOfAllItems());
        const qsizetype welcomeLines = program.Lines().size();
        QCOMPARE(welcomeLines, 6);

        // The lock indicators: CAP shows while Caps Lock is on and goes with it. (Without
        // --clearmodifiers: xdotool would toggle the lock around its own key.)
        {
            const QRect panes(first.width() - 300, first.height() - 24, 300, 24);
            const QImage off = Grab(frame).copy(panes);
            Xdotool({"key", "Caps_Lock"});
            QVERIFY2(QTest::qWaitFor([&] { return Grab(frame).copy(panes) != off; }),
                     "the CAP pane did not change with Caps Lock on");
            Shot(QStringLiteral("01a-caps-lock-on"));
            Xdotool({"key", "Caps_Lock"});
            QVERIFY2(QTest::qWaitFor([&] { return Grab(frame).copy(panes) == off; }),
                     "the CAP pane did not go blank again with Caps Lock off");
        }
        // The pointer rests on the status bar between the steps, where it lights nothing up.
        const QPoint restingPlace(first.width() / 2, first.height() - 4);
        const auto logBand = [&](const QImage& window) {
            return window.copy(0, viewTop, kPictureWidth, kLogSlots * kLogSlotHeight);
        };

        // Each port dialog: shown and active below the menu bar, nothing chosen; a click on
        // the QZ4 Simulator opens it; OK hides the dialog.
        const PortDialogLayout dialogLayout;
        const struct {
            const char* menuItem;
            const char* title;
            const char* opened;
        } ports[] = {{"Midi In Port Select", "Midi Inout Port Select", "In Open QZ4 Simulator"},
                     {"Midi Out Port Select", "Midi Output Port Select", "Out Open QZ4 Simulator"}};
        int shot = 2;
        for (const auto& port : ports) {
            const qsizetype linesBefore = program.Lines().size();
            Click(frame, restingPlace);
            WaitForStill(frame);
            const QRect menuBarOnScreen(OnScreen(frame).topLeft(),
                                        QSize(first.width(), menu.Height()));
            const QImage menuBarBefore = GrabScreen(menuBarOnScreen);
            Click(frame, menu.Centre(QLatin1String(port.menuItem)));
            const QString dialog = WaitForWindow(QLatin1String(port.title));
            QVERIFY2(!dialog.isEmpty(), port.title);
            QVERIFY2(WaitUntilActive(dialog), port.title);
            Xdotool({"mousemove", "--sync", "--window", frame, QString::number(restingPlace.x()),
                     QString::number(restingPlace.y())});
            WaitForStill(dialog);
            QCOMPARE(program.Lines().size(), linesBefore);
            // The window manager may place the dialog a moment after it is drawn.
            QRect covered;
            static_cast<void>(QTest::qWaitFor([&] {
                covered = Difference(menuBarBefore, GrabScreen(menuBarOnScreen));
                return covered.isEmpty();
            }));
            Shot(
                QStringLiteral("%1-%2-shown").arg(shot++, 2, 10, QLatin1Char('0')).arg(port.title));
            QVERIFY2(covered.isEmpty(),
                     qPrintable(QStringLiteral("%1 covers the menu bar at (%2,%3) %4x%5")
                                    .arg(port.title)
                                    .arg(covered.x())
                                    .arg(covered.y())
                                    .arg(covered.width())
                                    .arg(covered.height())));
            Click(dialog, dialogLayout.FirstLine());
            QVERIFY2(program.WaitForLine(QLatin1String(port.opened)),
                     qPrintable(program.Lines().join('\n')));
            WaitForStill(dialog);
            Shot(QStringLiteral("%1-%2-chosen")
                     .arg(shot++, 2, 10, QLatin1Char('0'))
                     .arg(port.title));
            Click(dialog, dialogLayout.Ok());
            QVERIFY2(WaitUntilGone(QLatin1String(port.title)), port.title);
        }
        QCOMPARE(program.Lines().size(), welcomeLines + 2);

        // Squelch with the timer stopped: nothing asks the view for a repaint, yet the part
        // the dialog uncovers shows the log as it now stands, with the close line.
        {
            Click(frame, restingPlace);
            const QImage before = WaitForStill(frame);
            Click(frame, menu.Centre(QStringLiteral("Midi In Port Select")));
            const QString dialog = WaitForWindow(QStringLiteral("Midi Inout Port Select"));
            QVERIFY(!dialog.isEmpty());
            QVERIFY(WaitUntilActive(dialog));
            WaitForStill(dialog);
            const auto mark = static_cast<int>(program.Lines().size());
            Click(dialog, dialogLayout.Squelch());
            QVERIFY(program.WaitForLine(QStringLiteral("In Close QZ4 Simulator "), 5000, mark));
            QVERIFY(WaitUntilGone(QStringLiteral("Midi Inout Port Select")));
            QVERIFY2(QTest::qWaitFor([&] { return logBand(Grab(frame)) != logBand(before); }),
                     "the log band still shows the lines from before the squelch");
            Shot(QStringLiteral("05a-squelched-close-line-shown"));

            // The input again, for the poll below.
            Click(frame, menu.Centre(QStringLiteral("Midi In Port Select")));
            const QString again = WaitForWindow(QStringLiteral("Midi Inout Port Select"));
            QVERIFY(!again.isEmpty());
            QVERIFY(WaitUntilActive(again));
            Click(again, dialogLayout.FirstLine());
            QVERIFY(program.WaitForLine(QStringLiteral("In Open QZ4 Simulator"), 5000, mark));
            Click(again, dialogLayout.Ok());
            QVERIFY(WaitUntilGone(QStringLiteral("Midi Inout Port Select")));
        }

        // Get Setup Information and StartTimer: the bar rows move, nothing else does.
        Click(frame, menu.Centre(QStringLiteral("Get Setup Information")));
        Xdotool({"mousemove", "--sync", "--window", frame, QString::number(restingPlace.x()),
                 QString::number(restingPlace.y())});
        const QImage still = WaitForStill(frame);
        Click(frame, menu.Centre(QStringLiteral("StartTimer")));
        QElapsedTimer clock;
        clock.start();
        QRect moved;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                moved = Difference(still, Grab(frame));
                return !moved.isEmpty();
            },
            2000));
        qInfo("the bars moved %lld ms after StartTimer, within (%d,%d) %dx%d", clock.elapsed(),
              moved.x(), moved.y(), moved.width(), moved.height());
        QVERIFY2(!moved.isEmpty(), "the bars did not move within 2 s of StartTimer");
        Xdotool({"mousemove", "--sync", "--window", frame, QString::number(restingPlace.x()),
                 QString::number(restingPlace.y())});
        // Each tick from now on changes the bar rows and nothing else.
        for (int tick = 0; tick < 3; ++tick) {
            const QImage live = Grab(frame);
            QRect changed;
            static_cast<void>(QTest::qWaitFor(
                [&] {
                    changed = Difference(live, Grab(frame));
                    return !changed.isEmpty();
                },
                2000));
            QVERIFY(!changed.isEmpty());
            QVERIFY2(changed.top() >= viewTop + kColumnTop &&
                         changed.bottom() < viewTop + kPictureHeight &&
                         changed.right() < kPictureWidth,
                     "something outside the bar rows changed while polling");
        }
        Shot(QStringLiteral("06-live-view"));

        // Strip Statistics and Copy Stats to Buffer: 256 lines for another program.
        Click(frame, menu.Centre(QStringLiteral("Strip Statistics")));
        const QString monitor = WaitForWindow(QStringLiteral("Tessel Strip Statistic Monitor"));
        QVERIFY(!monitor.isEmpty());
        QVERIFY(WaitUntilActive(monitor));
        WaitForStill(monitor);
        Shot(QStringLiteral("07-statistic-monitor"));
        QGuiApplication::clipboard()->clear();
        Click(monitor, dialogLayout.units.Rect(251, 110, 89, 14).center());
        QStringList copied;
        QTRY_VERIFY_WITH_TIMEOUT((copied = QGuiApplication::clipboard()->text().split(
                                      QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                                         .size() == 256,
                                 5000);
        QVERIFY(copied.first().startsWith(QStringLiteral("item   0: ")));
        Click(monitor, dialogLayout.units.Rect(294, 11, 50, 14).center()); // OK
        QVERIFY(WaitUntilGone(QStringLiteral("Tessel Strip Statistic Monitor")));

        // File, Save As, a name: the file holds the scan report.
        const QString report = QDir(program.Home()).filePath(QStringLiteral("journey-report.wtt"));
        const QRect frameOnScreen = OnScreen(frame);
        const QImage menuClosed = GrabScreen(frameOnScreen);
        Click(frame, menu.Centre(QStringLiteral("&File")));
        QVERIFY2(QTest::qWaitFor([&] {
                     return Difference(menuClosed, GrabScreen(frameOnScreen)).bottom() >
                            3 * menu.Height();
                 }),
                 "the File menu did not open");
        Keys({"a"});
        const QString saveAs = WaitForWindow(QStringLiteral("Save As"));
        QVERIFY(!saveAs.isEmpty());
        QVERIFY(WaitUntilActive(saveAs));
        WaitForStill(saveAs);
        Shot(QStringLiteral("08-save-as"));
        Keys({"ctrl+a"});
        Xdotool({"type", "--delay", "20", report});
        Keys({"Return"});
        QVERIFY(!WaitForWindow(QStringLiteral("journey-report.wtt - WinTesselTest")).isEmpty());
        Shot(QStringLiteral("09-saved"));
        QFile saved(report);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.size() > 3);
        QCOMPARE(static_cast<uint8_t>(bytes[0]), 0xFF); // a report past 254 bytes
        const int length = static_cast<uint8_t>(bytes[1]) | static_cast<uint8_t>(bytes[2]) << 8;
        QCOMPARE(bytes.size(), 3 + length);
        const QByteArray text = bytes.mid(3);
        QVERIFY2(text.contains("Total Number Of Samples ") && text.contains(" Mean Value "),
                 text.left(400).constData());

        // Closing the window while the output's dialog is shown ends the program: the input
        // closes with its log line, the output silently, and the dialog squelches nothing.
        Click(frame, menu.Centre(QStringLiteral("Midi Out Port Select")));
        const QString outDialog = WaitForWindow(QStringLiteral("Midi Output Port Select"));
        QVERIFY(!outDialog.isEmpty());
        QVERIFY(WaitUntilActive(outDialog));
        WaitForStill(outDialog);
        Shot(QStringLiteral("09a-closing-with-the-output-dialog-shown"));
        const qsizetype beforeExit = program.Lines().size();
        QVERIFY(CloseWithAltF4(program, frame));
        QStringList portLines;
        for (const QString& line : program.Lines().mid(beforeExit)) {
            if (line.startsWith(QLatin1String("In ")) || line.startsWith(QLatin1String("Out "))) {
                portLines << line;
            }
        }
        QCOMPARE(portLines, QStringList({QStringLiteral("In Close QZ4 Simulator ")}));
    }

    void aFaultySensorIsFlaggedAloneAndOpensItsOwnWindow() {
        // The simulator's keys at rest and one noisy sensor: against an RMS limit of 3 only
        // that sensor fails, so no hardware fault is needed to see a flag.
        Program program(
            {"--demo", "--sim-still", "--sim-fault", "23:noisy:20", "--max-sensor-rms", "3"});
        const QString frame = WaitForWindow(QStringLiteral("Untitled - WinTesselTest"));
        QVERIFY2(!frame.isEmpty(), qPrintable(program.Errors()));
        QVERIFY(WaitUntilActive(frame));
        // The demo polls from the start, so the window never holds still: what the step
        // waits for is the whole view painted in it.
        QImage first;
        QVERIFY(QTest::qWaitFor(
            [&] {
                first = Grab(frame);
                const auto [top, bottom] = ViewRows(first);
                return bottom - top + 1 >= kPictureHeight;
            },
            5000));
        const auto [viewTop, viewBottom] = ViewRows(first);
        const MenuBarLayout menu(first.width());
        const QPoint restingPlace(first.width() / 2, first.height() - 4);
        Xdotool({"mousemove", "--sync", "--window", frame, QString::number(restingPlace.x()),
                 QString::number(restingPlace.y())});

        // The limit needs a few ticks of samples before it can judge: wait for the flag.
        constexpr int kFaulty = 23;
        QList<int> flagged;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                flagged = RedColumns(Grab(frame), viewTop);
                return flagged == QList<int>{kFaulty};
            },
            20000));
        QVERIFY2(flagged == QList<int>{kFaulty},
                 qPrintable(QStringLiteral("red columns: %1").arg([&] {
                     QStringList names;
                     for (int sensor : flagged) {
                         names << QString::number(sensor);
                     }
                     return names.join(' ');
                 }())));

        // A click low in the column, under the normalised row, still means that sensor.
        Click(frame, {10 + 10 * kFaulty + 5, viewTop + 500});
        const QString sensorWindow = WaitForWindow(QStringLiteral("Sensor %1").arg(kFaulty));
        QVERIFY2(!sensorWindow.isEmpty(), qPrintable(program.Errors()));
        QVERIFY(QTest::qWaitFor([&] { return Drawn(Grab(sensorWindow)); }));
        // Modeless: the view keeps flagging the sensor behind it.
        QTRY_VERIFY_WITH_TIMEOUT(RedColumns(Grab(frame), viewTop) == QList<int>{kFaulty}, 5000);
        Shot(QStringLiteral("10-sensor-view"));

        // View > Sensor Chart from the main window's menu bar, the Sensor window still shown.
        Xdotool({"windowactivate", "--sync", frame});
        QVERIFY(WaitUntilActive(frame));
        const QPoint viewItem = menu.Centre(QStringLiteral("&View"));
        // Below the View item lie the toolbar and the log band, which stay as they are while
        // the bars move: the open menu is the only change there.
        const QRect underTheItem(OnScreen(frame).topLeft() +
                                     QPoint(viewItem.x() - 10, menu.Height() + 2),
                                 QSize(60, 2 * menu.Height()));
        const QImage menuClosed = GrabScreen(underTheItem);
        Click(frame, viewItem);
        QVERIFY2(QTest::qWaitFor([&] { return GrabScreen(underTheItem) != menuClosed; }),
                 "the View menu did not open");
        Keys({"c"});
        const QString chart = WaitForWindow(QStringLiteral("Sensor Chart"));
        QVERIFY2(!chart.isEmpty(), qPrintable(program.Errors()));
        QVERIFY2(QTest::qWaitFor([&] { return HasRed(Grab(chart)); }),
                 "the Sensor Chart shows no red bar");
        QVERIFY(!WaitForWindow(QStringLiteral("Sensor %1").arg(kFaulty)).isEmpty());
        Shot(QStringLiteral("11-sensor-chart"));

        QVERIFY(CloseWithAltF4(program, frame));
    }

    void aFileThatCannotBeOpenedIsShownInAMessageBox() {
        Program program({QStringLiteral("/nonexistent/folder/report.wtt")});
        const QString box = WaitForWindow(QStringLiteral("WinTesselTest"));
        QVERIFY2(!box.isEmpty(), qPrintable(program.Errors()));
        QVERIFY(WaitUntilActive(box));
        WaitForStill(box);
        Shot(QStringLiteral("10-file-open-failure"));
        QVERIFY(!program.WaitForExit(200)); // the box waits for the user
        Keys({"Return"});
        QVERIFY(program.WaitForExit());
        QCOMPARE(program.ExitCode(), 1);
        QVERIFY(program.Errors().contains(QStringLiteral("/nonexistent/folder/report.wtt")));
    }
};

QTEST_MAIN(DesktopJourneyTest)
#include "DesktopJourneyTest.moc"
