#include "app/WinTesselTestApp.h"

#include "app/AppIcons.h"
#include "app/AppLock.h"
#include "app/AppStrings.h"
#include "app/AutomationServer.h"
#include "app/ClassRegistration.h"
#include "app/CommandLineInfo.h"
#include "app/DemoStart.h"
#include "app/MainFrame.h"
#include "app/WinTesselTestDoc.h"
#include "app/WinTesselTestView.h"
#include "midi/SystemMidiServices.h"

#include <QDBusConnection>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

namespace {

bool HasDisplay() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

CWinTesselTestApp::CWinTesselTestApp(int& argc, char** argv) : QApplication(argc, argv) {
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
    SetMidiServices(nullptr);
    m_midi.reset();
    m_profile.Save();
}

QString CWinTesselTestApp::VersionText() {
    return QStringLiteral("WinTesselTest Application %1\n").arg(QStringLiteral(WT_VERSION));
}

QString CWinTesselTestApp::UsageText() {
    return QStringLiteral(
               "Usage: wintesseltest [FILE | /Automation | /Embedding]\n"
               "  FILE         open FILE as the document (its content is not read)\n"
               "  --demo       open the QZ4 Simulator both ways, get its setup and poll it\n"
               "  /Automation  serve the document class on the session D-Bus, with no\n"
               "               window (/Embedding does the same; '-' may stand for '/')\n"
               "  --version    print the version and exit\n"
               "  --help       print this help and exit\n"
               "Automation class %1 (\"%2\"):\n"
               "  class id               %3\n"
               "  dispatch interface id  %4\n"
               "  registered for D-Bus activation by every plain start\n")
        .arg(ClassRegistration::DocumentTypeId(), ClassRegistration::DocumentTypeName(),
             QLatin1String(ClassRegistration::kDocumentClassId),
             QLatin1String(ClassRegistration::kDocumentDispatchId));
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
}

void CWinTesselTestApp::Fail(const QString& message, int status) {
    std::fprintf(stderr, "wintesseltest: %s\n", qPrintable(message));
    m_exitStatus = status;
}

bool CWinTesselTestApp::InitInstance() {
    m_profile.Load();

    const CommandLineInfo command = ParseCommandLine(arguments().mid(1));
    switch (command.shell) {
    case CommandLineInfo::Shell::Version:
        std::fputs(qPrintable(VersionText()), stdout);
        return false;
    case CommandLineInfo::Shell::Help:
        std::fputs(qPrintable(UsageText()), stdout);
        return false;
    case CommandLineInfo::Shell::Error:
        Fail(command.error + QStringLiteral("\n") + UsageText(), 2);
        return false;
    case CommandLineInfo::Shell::Automation:
    case CommandLineInfo::Shell::Embedding:
        return StartAutomated();
    case CommandLineInfo::Shell::FileNew:
    case CommandLineInfo::Shell::FileOpen:
        break;
    }

    // Without a session bus the class can't be served, but the window is still wanted.
    if (QDBusConnection::sessionBus().isConnected()) {
        QString error;
        if (!ClassRegistration::UpdateRegistry(&error)) {
            std::fprintf(stderr, "wintesseltest: %s\n", qPrintable(error));
        }
    }
    m_midi = std::make_unique<SystemMidiServices>();
    SetMidiServices(&m_midi->Services());
    if (!ProcessShellCommand(command.fileName)) {
        return false;
    }
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
        return false;
    }
    return true;
}
