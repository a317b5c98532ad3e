#include "app/WinTesselTestApp.h"

#include "app/AppIcons.h"
#include "app/AppStrings.h"
#include "app/CommandLineInfo.h"
#include "app/MainFrame.h"
#include "app/WinTesselTestDoc.h"

#include <QMessageBox>
#include <cstdio>

CWinTesselTestApp::CWinTesselTestApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(AppStrings::Load(AppStrings::kAppName));
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    setApplicationVersion(QStringLiteral(WT_VERSION));
    setWindowIcon(AppIcons::ApplicationIcon());
    // Modeless dialogs are top-level windows too; only the frame's closing ends the program.
    setQuitOnLastWindowClosed(false);
}

CWinTesselTestApp::~CWinTesselTestApp() {
    m_frame.reset();
    m_document.reset();
    m_profile.Save();
}

QString CWinTesselTestApp::VersionText() {
    return QStringLiteral("WinTesselTest Application %1\n").arg(QStringLiteral(WT_VERSION));
}

QString CWinTesselTestApp::UsageText() {
    return QStringLiteral("Usage: wintesseltest [FILE]\n"
                          "  FILE         open FILE as the document (its content is not read)\n"
                          "  --version    print the version and exit\n"
                          "  --help       print this help and exit\n");
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
        Fail(QStringLiteral("automation starts are not supported by this build"), 2);
        return false;
    case CommandLineInfo::Shell::FileNew:
    case CommandLineInfo::Shell::FileOpen:
        break;
    }

    if (!ProcessShellCommand(command.fileName)) {
        return false;
    }
    m_frame->show();
    return true;
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
