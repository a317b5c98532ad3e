#include "PrivateSessionBus.h"
#include "gui/WinTesselTestApp.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/types.h>

namespace {

constexpr char kBusName[] = "WinTesselTest.Document";
constexpr int kWaitMs = 10000;
// Runs this binary as the window program, which then reports the windows it shows.
constexpr char kRunAppSwitch[] = "--run-app";

const QString kOleInitFailedLine = QStringLiteral(
    "wintesseltest: OLE initialization failed.  Make sure that the OLE libraries are the "
    "correct version.\n");

bool WaitUntil(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, kWaitMs);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList CommandLineOf(qint64 pid) {
    const QByteArray cmdline = ReadAll(QStringLiteral("/proc/%1/cmdline").arg(pid));
    QStringList words;
    for (const QByteArray& word : cmdline.split('\0')) {
        words.append(QString::fromLocal8Bit(word));
    }
    words.removeLast();
    return words;
}

QString ReadLine(QProcess& process) {
    WaitUntil(
        [&process] { return process.canReadLine() || process.state() == QProcess::NotRunning; });
    return QString::fromLocal8Bit(process.readLine());
}

// An automation client: a connection of its own, hence a unique bus name of its own.
class BusClient {
public:
    BusClient(const QString& address, const QString& name) : m_name(name) {
        QDBusConnection::connectToBus(address, name);
    }
    ~BusClient() { Leave(); }
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    QDBusMessage CreateInstance() const {
        return Call(QString::fromLatin1(kBusName), QStringLiteral("/"),
                    QStringLiteral("WinTesselTest.ClassFactory"), QStringLiteral("CreateInstance"));
    }
    QDBusMessage Release(const QString& server, const QString& document) const {
        return Call(server, document, QStringLiteral("WinTesselTest.Document"),
                    QStringLiteral("Release"));
    }
    void Leave() { QDBusConnection::disconnectFromBus(m_name); }

private:
    QDBusMessage Call(const QString& service, const QString& path, const QString& interface,
                      const QString& method) const {
        return QDBusConnection(m_name).call(
            QDBusMessage::createMethodCall(service, path, interface, method), QDBus::Block,
            kWaitMs);
    }

    QString m_name;
};

int RunApp(int argc, char** argv) {
    CWinTesselTestApp app(argc, argv);
    if (!app.InitInstance()) {
        return app.ExitStatus();
    }
    QStringList shown;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        if (window->isVisible()) {
            shown.append(QString::fromLatin1(window->metaObject()->className()));
        }
    }
    std::sort(shown.begin(), shown.end());
    std::printf("visible windows:%s\n", qPrintable(shown.isEmpty() ? "" : ' ' + shown.join(' ')));
    std::fflush(stdout);
    return CWinTesselTestApp::exec();
}

} // namespace

class AutomationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        const QString root = m_folder.path();
        QVERIFY(QDir().mkpath(root + "/runtime"));
        QFile::setPermissions(root + "/runtime",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_environment.insert("HOME", root + "/home");
        m_environment.insert("XDG_CONFIG_HOME", root + "/config");
        m_environment.insert("XDG_DATA_HOME", root + "/data");
        m_environment.insert("XDG_RUNTIME_DIR", root + "/runtime");
        m_environment.remove("DBUS_SESSION_BUS_ADDRESS");
        QString error;
        QVERIFY2(m_bus.Start(root, root + "/data/dbus-1/services", m_environment, &error),
                 qPrintable(error));
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        m_observer = std::make_unique<BusClient>(m_bus.Address(), "observer");
        m_program = QFileInfo(QStringLiteral(WT_PROGRAM)).canonicalFilePath();
    }

    void init() { QFile::remove(ActivationFile()); }

    void cleanup() {
        // A failed test must not leave activated servers behind.
        for (const qint64 pid : m_activated) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        m_activated.clear();
    }

    void aPlainStartRenewsTheActivationFileForThisProgram() {
        const QByteArray stale = "[D-BUS Service]\nName=WinTesselTest.Document\nExec=/old\n";
        QDir().mkpath(QFileInfo(ActivationFile()).absolutePath());
        QFile file(ActivationFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stale);
        file.close();

        QVERIFY(PlainStartRegisters());

        QCOMPARE(ReadAll(ActivationFile()),
                 "# WinTes Document, class {c0f98149-41ff-4441-a9e9-f3fe6f794b59}\n"
                 "[D-BUS Service]\n"
                 "Name=WinTesselTest.Document\n"
                 "Exec=" +
                     m_program.toUtf8() + " /Automation\n");
    }

    void anAutomationStartShowsNoWindowServesOneCreationAndEndsOnRelease() {
        QProcess app;
        app.setProcessEnvironment(m_environment);
        app.start(QCoreApplication::applicationFilePath(), {kRunAppSwitch, "/Automation"});
        QCOMPARE(ReadLine(app), QStringLiteral("visible windows:\n"));
        QVERIFY(WaitUntil([this] { return NameHasOwner(); }));
        const QString server = Bus().interface()->serviceOwner(kBusName);
        QCOMPARE(qint64(Bus().interface()->servicePid(server)), app.processId());

        BusClient client(m_bus.Address(), "client");
        const QDBusMessage created = client.CreateInstance();
        QCOMPARE(created.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(created.service(), server);
        QCOMPARE(created.arguments(),
                 QVariantList{QVariant::fromValue(QDBusObjectPath("/Document/1"))});
        QVERIFY2(!NameHasOwner(), "the name is given up after a creation");
        QVERIFY2(!app.waitForFinished(300), "the document keeps the process");

        QCOMPARE(client.Release(server, "/Document/1").type(), QDBusMessage::ReplyMessage);
        QVERIFY(app.waitForFinished(kWaitMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(app.readAllStandardError(), QByteArray());
    }

    void anEmbeddingStartEndsWhenItsCreatorLeavesTheBus() {
        QProcess app;
        app.setProcessEnvironment(m_environment);
        app.start(m_program, {"-EMBEDDING"});
        QVERIFY(WaitUntil([this] { return NameHasOwner(); }));

        BusClient client(m_bus.Address(), "client");
        const QDBusMessage created = client.CreateInstance();
        QCOMPARE(created.type(), QDBusMessage::ReplyMessage);
        QVERIFY2(!app.waitForFinished(300), "the document keeps the process");

        client.Leave();
        QVERIFY(app.waitForFinished(kWaitMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
    }

    void eachCreationActivatesAProcessOfItsOwnThatEndsWithItsDocument() {
        QVERIFY(PlainStartRegisters());
        BusClient first(m_bus.Address(), "first");
        BusClient second(m_bus.Address(), "second");

        const QDBusMessage firstCreated = first.CreateInstance();
        QCOMPARE(firstCreated.type(), QDBusMessage::ReplyMessage);
        const qint64 firstPid = Activated(firstCreated.service());
        const QDBusMessage secondCreated = second.CreateInstance();
        QCOMPARE(secondCreated.type(), QDBusMessage::ReplyMessage);
        const qint64 secondPid = Activated(secondCreated.service());

        QVERIFY(firstPid != secondPid);
        QCOMPARE(CommandLineOf(firstPid), QStringList({m_program, "/Automation"}));
        QCOMPARE(CommandLineOf(secondPid), QStringList({m_program, "/Automation"}));
        QCOMPARE(secondCreated.arguments(),
                 QVariantList{QVariant::fromValue(QDBusObjectPath("/Document/1"))});

        QCOMPARE(first.Release(firstCreated.service(), "/Document/1").type(),
                 QDBusMessage::ReplyMessage);
        QVERIFY(WaitUntil([firstPid] { return !ProcessRunning(firstPid); }));
        QVERIFY2(ProcessRunning(secondPid), "the second document keeps its own process");

        second.Leave();
        QVERIFY(WaitUntil([secondPid] { return !ProcessRunning(secondPid); }));
    }

    void anAutomationStartWithoutABusEndsWithTheOleMessage_data() {
        QTest::addColumn<QString>("option");
        QTest::newRow("/Automation") << "/Automation";
        QTest::newRow("/Embedding") << "/Embedding";
        QTest::newRow("-automation") << "-automation";
    }

    void anAutomationStartWithoutABusEndsWithTheOleMessage() {
        QFETCH(QString, option);
        QProcess app;
        app.setProcessEnvironment(WithoutBus());
        app.start(m_program, {option});
        QVERIFY(app.waitForFinished(kWaitMs));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(app.readAllStandardError()), kOleInitFailedLine);
        QCOMPARE(app.readAllStandardOutput(), QByteArray());
    }

    void aPlainStartWithoutABusShowsItsWindowAndRegistersNothing() {
        QProcess app;
        app.setProcessEnvironment(WithoutBus());
        app.start(QCoreApplication::applicationFilePath(), {kRunAppSwitch});
        QCOMPARE(ReadLine(app), QStringLiteral("visible windows: CMainFrame\n"));
        QVERIFY(!QFile::exists(ActivationFile()));
        app.kill();
        app.waitForFinished();
    }

private:
    QString ActivationFile() const {
        return m_folder.path() + "/data/dbus-1/services/WinTesselTest.Document.service";
    }

    QDBusConnection Bus() const { return QDBusConnection(QStringLiteral("observer")); }

    bool NameHasOwner() const { return Bus().interface()->isServiceRegistered(kBusName).value(); }

    QProcessEnvironment WithoutBus() const {
        QProcessEnvironment environment = m_environment;
        environment.insert("DBUS_SESSION_BUS_ADDRESS",
                           "unix:path=" + m_folder.path() + "/no-bus-here");
        return environment;
    }

    // The pid of an activated server, which the test then answers for.
    qint64 Activated(const QString& uniqueName) {
        const qint64 pid = Bus().interface()->servicePid(uniqueName).value();
        m_activated.append(pid);
        return pid;
    }

    // Runs the real program once, as a user would, until it has registered the class.
    bool PlainStartRegisters() {
        const QByteArray before = ReadAll(ActivationFile());
        QProcess app;
        app.setProcessEnvironment(m_environment);
        app.start(m_program, {});
        const bool registered = WaitUntil([this, &before] {
            const QByteArray now = ReadAll(ActivationFile());
            return !now.isEmpty() && now != before;
        });
        app.terminate();
        app.waitForFinished();
        return registered;
    }

    QTemporaryDir m_folder;
    QProcessEnvironment m_environment;
    PrivateSessionBus m_bus;
    std::unique_ptr<BusClient> m_observer;
    QString m_program;
    QList<qint64> m_activated;
};

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], kRunAppSwitch) == 0) {
        int appArgc = argc - 1;
        return RunApp(appArgc, argv + 1);
    }
    QCoreApplication app(argc, argv);
    AutomationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "AutomationTest.moc"
