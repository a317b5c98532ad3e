#include "gui/CommandLineInfo.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run {
    // False when the program had to be killed: it did not end by itself.
    bool finished;
    int status;
    QString out;
    QString err;
};

Run RunProgram(const QStringList& arguments, const QString& configHome = QString()) {
    QProcess process;
    if (!configHome.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
        environment.insert(QStringLiteral("HOME"), configHome);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(WT_PROGRAM), arguments);
    const bool finished = process.waitForFinished(20000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    return {finished, process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void switchesAreMatchedInAnyCaseWithSlashOrDash() {
        using Shell = CommandLineInfo::Shell;
        QCOMPARE(ParseCommandLine({"/Automation"}).shell, Shell::Automation);
        QCOMPARE(ParseCommandLine({"-EMBEDDING"}).shell, Shell::Embedding);
        QCOMPARE(ParseCommandLine({"--version"}).shell, Shell::Version);
        QCOMPARE(ParseCommandLine({}).shell, Shell::FileNew);
        const CommandLineInfo open = ParseCommandLine({"/tmp/report"});
        QCOMPARE(open.shell, Shell::FileOpen);
        QCOMPARE(open.fileName, QStringLiteral("/tmp/report"));
        const CommandLineInfo demo = ParseCommandLine({"--demo"});
        QCOMPARE(demo.shell, Shell::FileNew);
        QVERIFY(demo.demo);
        QVERIFY(!demo.echoLog);
        QVERIFY(ParseCommandLine({"--echo-log", "/tmp/report"}).echoLog);
        QCOMPARE(ParseCommandLine({"--frobnicate"}).shell, Shell::Error);
        QCOMPARE(ParseCommandLine({"a", "b"}).shell, Shell::Error);
    }

    void versionNamesTheProductAndFileVersion() {
        const Run run = RunProgram({"--version"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("WinTesselTest Application " WT_VERSION "\n"));
    }

    void aFileThatCannotBeOpenedEndsTheStartWithAClearMessage() {
        const Run run = RunProgram({"/nonexistent/folder/report.wtt"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("/nonexistent/folder/report.wtt"), qPrintable(run.err));
    }

    void aNameThatIsNotARegularFileIsRefusedWithoutWaitingOnIt_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << QStringLiteral("fifo");
        QTest::newRow("device") << QStringLiteral("device");
        QTest::newRow("folder") << QStringLiteral("folder");
    }

    // A FIFO would hold the start until something wrote to it, before any window.
    void aNameThatIsNotARegularFileIsRefusedWithoutWaitingOnIt() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = QStringLiteral("/dev/null");
        if (kind == QStringLiteral("fifo")) {
            path = dir.filePath(QStringLiteral("scans.fifo"));
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QStringLiteral("folder")) {
            path = dir.filePath(QStringLiteral("scans"));
            QVERIFY(QDir().mkdir(path));
        }
        const Run run = RunProgram({path});
        QVERIFY2(run.finished, "the start did not end");
        QCOMPARE(run.status, 1);
        // Qt may have a word of its own to say on standard error too.
        const QString message =
            QStringLiteral("wintesseltest: Cannot open %1: not a regular file").arg(path);
        QVERIFY2(run.err.split('\n').contains(message), qPrintable(run.err));
    }

    void onlyAStartThatRunsWritesTheProfile() {
        QTemporaryDir home;
        const QString profile =
            home.filePath("Local AppWizard-Generated Applications/WinTesselTest.conf");
        QCOMPARE(RunProgram({"--version"}, home.path()).status, 0);
        QCOMPARE(RunProgram({"--help"}, home.path()).status, 0);
        QCOMPARE(RunProgram({"--frobnicate"}, home.path()).status, 2);
        QVERIFY2(!QFile::exists(profile), qPrintable(profile));
        // A start that got as far as its window's document keeps its profile, even when
        // the file it was given can't be opened.
        QCOMPARE(RunProgram({"/nonexistent/folder/report.wtt"}, home.path()).status, 1);
        QVERIFY2(QFile::exists(profile), qPrintable(profile));
    }

    void anUnknownOptionIsNamedAndRejectedInOneLineWithAPointerToTheHelp() {
        const Run run = RunProgram({"--frobnicate"});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        // Qt may have a word of its own to say on standard error too.
        const QStringList lines = run.err.split('\n');
        const qsizetype named = lines.indexOf("wintesseltest: unknown option: --frobnicate");
        QVERIFY2(named >= 0, qPrintable(run.err));
        QCOMPARE(lines.value(named + 1), QStringLiteral("Try 'wintesseltest --help'."));
        QVERIFY2(!run.err.contains("Usage:"), qPrintable(run.err));
    }

    void helpsUsageLineNamesEveryOption() {
        const Run run = RunProgram({"--help"});
        QCOMPARE(run.status, 0);
        QCOMPARE(
            run.out.section('\n', 0, 2),
            QStringLiteral(
                "Usage: wintesseltest [--demo] [--echo-log] [--sim-fault FAULT]... [--sim-still]\n"
                "         [--max-avg-deviation X] [--max-swing N] [--max-sensor-rms X]\n"
                "         [--max-sensor-swing N] [FILE | /Automation | /Embedding]"));
        const CommandLineInfo parsed = ParseCommandLine({"--demo", "--echo-log"});
        QVERIFY(parsed.demo && parsed.echoLog);
    }

    void faultsAndLimitsAreTakenSpacedOrAfterAnEqualsSignAndKeepTheirText() {
        const CommandLineInfo info =
            ParseCommandLine({"--demo", "--sim-fault", "23:noisy:20", "--sim-fault=5:stuck:0",
                              "--sim-still", "--max-avg-deviation", "0.5", "--max-swing=7",
                              "--max-sensor-rms", "3.0", "--MAX-SENSOR-SWING=12"});
        QCOMPARE(info.shell, CommandLineInfo::Shell::FileNew);
        QVERIFY(info.demo);
        QVERIFY(info.simulator.still);
        const std::vector<SensorFault> faults = {{23, SensorFault::Kind::Noisy, 20},
                                                 {5, SensorFault::Kind::Stuck, 0}};
        QVERIFY(info.simulator.faults == faults);
        QCOMPARE(info.limits.maxAvgDeviation->value, 0.5);
        QCOMPARE(info.limits.maxSwing->value, 7);
        QCOMPARE(info.limits.maxSensorRms->value, 3.0);
        QCOMPARE(info.limits.maxSensorRms->text, std::string("3.0"));
        QCOMPARE(info.limits.maxSensorSwing->value, 12);

        const CommandLineInfo plain = ParseCommandLine({"--demo"});
        QVERIFY(!plain.simulator.still && plain.simulator.faults.empty());
        QVERIFY(!plain.limits.maxAvgDeviation && !plain.limits.maxSwing &&
                !plain.limits.HasSensorLimits());
    }

    void aBadValueIsNamedInOneLineWithAPointerToTheHelp_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("fault") << QStringList{"--sim-fault", "23:loud:20"}
                               << QStringLiteral("bad value '23:loud:20' for '--sim-fault': "
                                                 "expected I:noisy:A or I:stuck:V (I a sensor "
                                                 "from 0 to 1023, A and V from 0 to 255)");
        QTest::newRow("real") << QStringList{"--max-sensor-rms=-1"}
                              << QStringLiteral(
                                     "bad value '-1' for '--max-sensor-rms': expected a number "
                                     "from 0 up");
        QTest::newRow("whole") << QStringList{"--max-swing", "256"}
                               << QStringLiteral("bad value '256' for '--max-swing': expected a "
                                                 "whole number from 0 to 255");
        QTest::newRow("missing") << QStringList{"--demo", "--max-avg-deviation"}
                                 << QStringLiteral(
                                        "option '--max-avg-deviation' needs a value (X)");
        QTest::newRow("switch with a value")
            << QStringList{"--sim-still=1"}
            << QStringLiteral("option '--sim-still' takes no value");
    }

    void aBadValueIsNamedInOneLineWithAPointerToTheHelp() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = RunProgram(arguments);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.out, QString());
        const QStringList lines = run.err.split('\n');
        const qsizetype named = lines.indexOf("wintesseltest: " + message);
        QVERIFY2(named >= 0, qPrintable(run.err));
        QCOMPARE(lines.value(named + 1), QStringLiteral("Try 'wintesseltest --help'."));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
