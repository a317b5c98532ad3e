#include "gui/CommandLineInfo.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
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
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
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

    void anUnknownOptionIsNamedAndRejected() {
        const Run run = RunProgram({"--frobnicate"});
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("--frobnicate"), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
