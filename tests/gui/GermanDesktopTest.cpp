// The window program on a German desktop: the statistic monitor and the saved report
// keep their decimal points, while the rest of the process follows the locale. A
// program of its own, because the locale has to be in the environment before the
// application object is made, as it is for a user's start.
#include "ExampleTexts.h"
#include "GermanLocale.h"
#include "gui/CommandIds.h"
#include "gui/MainFrame.h"
#include "gui/StripStatsDlg.h"
#include "gui/WinTesselTestApp.h"
#include "gui/WinTesselTestDoc.h"
#include "gui/WinTesselTestView.h"
#include "ports/InputRings.h"
#include "services/MidiServices.h"
#include "stats/LengthPrefixedString.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

// One sensor's scans as the box sends them, handed to the input rings as the MIDI
// callback does, for the view's next tick to decode.
void ReceiveScanFrames(CWinTesselTestView& view, const std::vector<uint8_t>& samples) {
    for (const uint8_t value : samples) {
        const uint8_t frame[] = {
            0xF0, 0x09, 0x15, static_cast<uint8_t>(value >> 4), static_cast<uint8_t>(value & 0x0F),
            0xF7};
        const CallbackEvent event{0, sizeof frame, kMimLongData, 0, 0};
        QVERIFY(RecordInputEvent(event, frame, sizeof frame));
    }
    view.ProcessMidiInput();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class GermanDesktopTest : public QObject {
    Q_OBJECT
public:
    explicit GermanDesktopTest(CWinTesselTestApp& app) : m_app(app) {}

private slots:
    void initTestCase() {
        const GermanLocale& german = GermanLocale::Get();
        if (!german.Available()) {
            QSKIP(german.Reason().c_str());
        }
        // Not a pass by default: the process really is German, where the program lets it.
        QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
        QCOMPARE(QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr)),
                 QString::fromLatin1(GermanLocale::kName));
        QCOMPARE(QString::fromLatin1(std::setlocale(LC_MESSAGES, nullptr)),
                 QString::fromLatin1(GermanLocale::kName));
        QVERIFY(m_app.MainFrame() != nullptr);
        ReceiveScanFrames(*m_app.MainFrame()->View(), {10, 11, 9, 10});
        QCOMPARE(m_app.MainFrame()->View()->m_scanCount, 4);
    }

    void theStatisticMonitorShowsDecimalPoints() {
        CWinTesselTestView& view = *m_app.MainFrame()->View();
        m_app.MainFrame()->CommandAction(CommandId::StripStatistics)->trigger();
        auto* dlg = view.findChild<CStripStatsDlg*>();
        QVERIFY(dlg != nullptr);
        QVERIFY(dlg->isVisible());
        // The edit boxes in the order of the figures they show.
        const int ids[] = {1015, 1003, 1005, 1006, 1010, 1007, 1008, 1009, 1014, 1013};
        for (size_t n = 0; n < std::size(ids); ++n) {
            const QString shown = qobject_cast<QLineEdit*>(dlg->GetDlgItem(ids[n]))->text();
            QCOMPARE(shown, QString::fromStdString(kOneSensorExampleFields[n].second));
        }
    }

    void theSavedReportHasDecimalPoints() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("german.wtt"));
        QString error;
        QVERIFY2(m_app.Document()->OnSaveDocument(path, &error), qPrintable(error));
        QCOMPARE(ReadAll(path),
                 QByteArray::fromStdString(LengthPrefixedString(kOneSensorExampleReport)));
    }

private:
    CWinTesselTestApp& m_app;
};

int main(int argc, char** argv) {
    const GermanLocale& german = GermanLocale::Get();
    if (german.Available()) {
        setenv("LC_ALL", GermanLocale::kName, 1);
        if (!german.LocPath().empty()) {
            setenv("LOCPATH", german.LocPath().c_str(), 1);
        }
    } else {
        std::printf("no German locale: %s\n", german.Reason().c_str());
    }
    // The machine's MIDI system stays out of it: a JACK server that does not run.
    setenv("WINTESSELTEST_MIDI_API", "jack", 1);
    setenv("JACK_DEFAULT_SERVER", "wt-german-desktop-no-server", 1);

    // Started as the program's main starts it, with no file.
    int appArgc = 1;
    char* appArgv[] = {argv[0], nullptr};
    CWinTesselTestApp::PreparePlatform(appArgc, appArgv);
    CWinTesselTestApp app(appArgc, appArgv);
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the window program did not start\n");
        return app.ExitStatus() != 0 ? app.ExitStatus() : 1;
    }
    GermanDesktopTest test(app);
    return QTest::qExec(&test, argc, argv);
}

#include "GermanDesktopTest.moc"
