#include "gui/WinTesselTestApp.h"

#include "gui/AppIcons.h"
#include "gui/AppLock.h"
#include "gui/AppStrings.h"
#include "gui/AutomationServer.h"
#include "gui/ClassRegistration.h"
#include "gui/CommandLineInfo.h"
#include "gui/DemoStart.h"
#include "gui/MainFrame.h"
#include "gui/WinTesselTestDoc.h"
#include "gui/WinTesselTestView.h"
#include "rtmidi/SystemMidiServices.h"

#include <QDBusConnection>
#include <QMessageBox>

#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

// A transcript of the session for a terminal or a script: every Message log line, also
// those the view's seven lines have long scrolled past.
class LogEcho final : public MessageLogTable::LineObserver {
public:
    void OnLineCompleted(const char* text) override {
        std::fputs(text, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

bool HasDisplay() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// The profile's limits with those of the command line in their place, each on its own.
LimitOptions RunLimits(LimitOptions limits, const LimitOptions& given) {
    if (given.maxAvgDeviation) {
        limits.maxAvgDeviation = given.maxAvgDeviation;
    }
    if (given.maxSwing) {
        limits.maxSwing = given.maxSwing;
    }
    if (given.maxSensorRms) {
        limits.maxSensorRms = given.maxSensorRms;
    }
    if (given.maxSensorSwing) {
        limits.maxSensorSwing = given.maxSensorSwing;
    }
    return limits;
}

} // namespace

CWinTesselTestApp::CWinTesselTestApp(int& argc, char** argv) : QApplication(argc, argv) {
    // QApplication has just set the C library's locale from the environment. The window
    // may speak the user's language, but numbers keep their decimal point: the figures
    // and reports are read by scripts and on other machines.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(AppStrings::Load(AppStrings::kAppName));
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setApplicationVersion(QStringLiteral(WT_VERSION));
    setWindowIcon(AppIcons::ApplicationIcon());
    // Modeless dialogs are top-level windows too; only the frame's closing ends the program.
    setQuitOnLastWindowClosed(false);
}

CWinTesselTestApp::~CWinTesselTestApp() {
    AppLock::SetReleasedAllHandler(nullptr);
    m_frame.reset();
    m_document.reset();
    if (m_logEcho != nullptr) {
        MessageLog.FlushObserver();
        MessageLog.SetObserver(nullptr);
    }
    SetMidiServices(nullptr);
    m_midi.reset();
    // A start that only printed its version or help, or refused its command line, was
    // no session: it leaves the profile as it found it.
    if (m_profileInUse) {
        m_profile.Save();
    }
}

QString CWinTesselTestApp::VersionText() {
    return QStringLiteral("WinTesselTest Application %1\n").arg(QStringLiteral(WT_VERSION));
}

QString CWinTesselTestApp::UsageText() {
    return QStringLiteral(
               "Usage: wintesseltest [--demo] [--echo-log] [--sim-fault FAULT]... [--sim-still]\n"
               "         [--max-avg-deviation X] [--max-swing N] [--max-sensor-rms X]\n"
               "         [--max-sensor-swing N] [FILE | /Automation | /Embedding]\n"
               "  FILE         open FILE as the document (its content is not read)\n"
               "  --demo       open the QZ4 Simulator both ways, get its setup and poll it\n"
               "  --echo-log   also write each Message log line to standard output\n"
               "  --sim-fault FAULT\n"
               "               make the simulator's sensor I noisy (I:noisy:A adds a whole\n"
               "               number from -A to A to every value) or stuck (I:stuck:V holds\n"
               "               it at V); may be given again\n"
               "  --sim-still  keep the simulator's keys at rest: only its noise and faults\n"
               "               move the values\n"
               "  --max-avg-deviation X, --max-swing N\n"
               "               limits of Avg Deviation and Max Deviation Swing\n"
               "  --max-sensor-rms X, --max-sensor-swing N\n"
               "               limits of each sensor's RMS deviation and swing: a sensor\n"
               "               above one is flagged in red in the view\n"
               "               (the four limits replace those of View > Sensor Limits for\n"
               "               this run only; X a number from 0 up, N from 0 to 255)\n"
               "  /Automation  serve the document class on the session D-Bus, with no\n"
               "               window (/Embedding does the same; '-' may stand for '/')\n"
               "  --version    print the version and exit\n"
               "  --help       print this help and exit\n"
               "Automation class %1 ('%2'):\n"
               "  class id               %3\n"
               "  dispatch interface id  %4\n"
               "  registered for D-Bus activation by every plain start\n")
        .arg(ClassRegistration::DocumentTypeId(), ClassRegistration::DocumentTypeName(),
             QLatin1String(ClassRegistration::kDocumentClassId),
             QLatin1String(ClassRegistration::kDocumentDispatchId));
}

std::optional<int> CWinTesselTestApp::AnswerWithoutStarting(const QStringList& arguments) {
    const CommandLineInfo command = ParseCommandLine(arguments);
    switch (command.shell) {
    case CommandLineInfo::Shell::Version:
        std::fputs(qPrintable(VersionText()), stdout);
        return 0;
    case CommandLineInfo::Shell::Help:
        std::fputs(qPrintable(UsageText()), stdout);
        return 0;
    case CommandLineInfo::Shell::Error:
        // One line that names the fault, as the runner does; the help is one option away.
        std::fprintf(stderr, "wintesseltest: %s\nTry 'wintesseltest --help'.\n",
                     qPrintable(command.error));
        return 2;
    default:
        return std::nullopt;
    }
}

void CWinTesselTestApp::PreparePlatform(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    const CommandLineInfo::Shell shell = ParseCommandLine(arguments).shell;
    const bool showsWindow =
        shell == CommandLineInfo::Shell::FileNew || shell == CommandLineInfo::Shell::FileOpen;
    if (!showsWindow && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // While polling, the view repaints a few small parts of itself at every tick. Through
    // X11 shared memory, Qt has to wait for the X server before each paint over what it
    // sent the tick before (a round trip and two thread switches); sending those few
    // kilobytes over the connection costs less. A value already set is left alone; other
    // platforms ignore the variable.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

void CWinTesselTestApp::Fail(const QString& message, int status) {
    std::fprintf(stderr, "wintesseltest: %s\n", qPrintable(message));
    m_exitStatus = status;
}

bool CWinTesselTestApp::InitInstance() {
    m_profile.Load();

    if (const std::optional<int> status = AnswerWithoutStarting(arguments().mid(1))) {
        m_exitStatus = *status;
        return false;
    }
    const CommandLineInfo command = ParseCommandLine(arguments().mid(1));
    switch (command.shell) {
    case CommandLineInfo::Shell::Version:
    case CommandLineInfo::Shell::Help:
    case CommandLineInfo::Shell::Error:
        return false; // answered above
    case CommandLineInfo::Shell::Automation:
    case CommandLineInfo::Shell::Embedding:
        m_profileInUse = true;
        return StartAutomated();
    case CommandLineInfo::Shell::FileNew:
    case CommandLineInfo::Shell::FileOpen:
        break;
    }
    m_profileInUse = true;

    // Without a session bus the class can't be served, but the window is still wanted.
    if (QDBusConnection::sessionBus().isConnected()) {
        QString error;
        if (!ClassRegistration::UpdateRegistry(&error)) {
            std::fprintf(stderr, "wintesseltest: %s\n", qPrintable(error));
        }
    }
    if (command.echoLog) {
        m_logEcho = std::make_unique<LogEcho>();
        MessageLog.SetObserver(m_logEcho.get());
        // A line is reported when the next one starts; an operation writes its lines at
        // once, so a line left alone for a moment is complete.
        m_logEchoFlush = new QTimer(this);
        connect(m_logEchoFlush, &QTimer::timeout, this, [] { MessageLog.FlushObserver(); });
        m_logEchoFlush->start(100);
    }
    m_midi = std::make_unique<SystemMidiServices>(command.simulator);
    SetMidiServices(&m_midi->Services());
    if (!ProcessShellCommand(command.fileName)) {
        return false;
    }
    m_frame->View()->SetSensorLimits(RunLimits(m_profile.SensorLimits(), command.limits));
    m_frame->resize(m_frame->FirstSize());
    m_frame->show();
    if (command.demo) {
        QString error;
        if (!StartDemo(*m_frame->View(), &error)) {
            std::fprintf(stderr, "wintesseltest: --demo: %s\n", qPrintable(error));
        }
    }
    return true;
}

bool CWinTesselTestApp::StartAutomated() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        const QString message = AppStrings::Load(AppStrings::kOleInitFailed);
        if (HasDisplay()) {
            QMessageBox box(QMessageBox::Warning, applicationName(), message, QMessageBox::Ok);
            box.exec();
            m_exitStatus = 1;
        } else {
            Fail(message, 1);
        }
        return false;
    }
    AppLock::SetReleasedAllHandler([this] {
        QMetaObject::invokeMethod(this, &CWinTesselTestApp::OnReleasedAll, Qt::QueuedConnection);
    });
    m_server = std::make_unique<AutomationServer>(bus);
    QString error;
    if (!m_server->RegisterAll(&error)) {
        Fail(error, 1);
        return false;
    }
    return true;
}

void CWinTesselTestApp::OnReleasedAll() {
    const QWidgetList windows = topLevelWidgets();
    const bool windowShown = std::any_of(windows.begin(), windows.end(),
                                         [](const QWidget* w) { return w->isVisible(); });
    if (AppLock::Count() == 0 && !windowShown) {
        quit();
    }
}

bool CWinTesselTestApp::ProcessShellCommand(const QString& fileName) {
    m_document = std::make_unique<CWinTesselTestDoc>();
    m_frame = std::make_unique<CMainFrame>(*m_document, m_profile);
    if (m_frame->OnCreate() == -1) {
        Fail(QStringLiteral("the main window could not be created"), 1);
        return false;
    }
    if (fileName.isEmpty()) {
        return m_document->OnNewDocument();
    }
    QString error;
    if (!m_frame->OpenDocumentFile(fileName, &error)) {
        Fail(error, 1);
        // A start from the desktop has no terminal to read the message on.
        if (HasDisplay()) {
            QMessageBox box(QMessageBox::Critical, applicationName(), error, QMessageBox::Ok);
            box.exec();
        }
        return false;
    }
    return true;
}
