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
            run.out.section('\n', 0, 0),
            QStringLiteral(
                "Usage: wintesseltest [--demo] [--echo-log] [FILE | /Automation | /Embedding]"));
        const CommandLineInfo parsed = ParseCommandLine({"--demo", "--echo-log"});
        QVERIFY(parsed.demo && parsed.echoLog);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
