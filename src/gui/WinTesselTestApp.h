#pragma once

#include "gui/ProfileSettings.h"
#include "log/MessageLog.h"

#include <QApplication>
#include <QTimer>

#include <memory>
#include <optional>

class AutomationServer;
class CMainFrame;
class CWinTesselTestDoc;
class SystemMidiServices;

// The application object: start-up, the one document and its frame, and shutdown.
class CWinTesselTestApp : public QApplication {
    Q_OBJECT
public:
    CWinTesselTestApp(int& argc, char** argv);
    ~CWinTesselTestApp() override;

    // Start-up; false ends the program with ExitStatus().
    bool InitInstance();
    int ExitStatus() const { return m_exitStatus; }

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CWinTesselTestDoc* Document() const { return m_document.get(); }
    ProfileSettings& Profile() { return m_profile; }

    static QString VersionText();
    static QString UsageText();
    // Before the application object exists: a start that shows no window (automation,
    // --help, --version) must not need a display either.
    static void PreparePlatform(int argc, char** argv);
    // --version, --help and a command line that can't be used are answered on the
    // terminal, with no application object needed; the exit status then, or nothing
    // when the command line asks for a start.
    static std::optional<int> AnswerWithoutStarting(const QStringList& arguments);

private:
    // Creates the document and its frame, opening `fileName` when one is given.
    bool ProcessShellCommand(const QString& fileName);
    // Serves the document class on the session bus, with no window.
    bool StartAutomated();
    // Ends an automation process once no document is held and no window is shown.
    void OnReleasedAll();
    void Fail(const QString& message, int status);

    ProfileSettings m_profile;
    bool m_profileInUse = false;
    // Writes the Message log to standard output; outlives the view, whose closing lines
    // come last.
    std::unique_ptr<MessageLogTable::LineObserver> m_logEcho;
    QTimer* m_logEchoFlush = nullptr;
    // The MIDI devices the window's view talks to; they outlive the view.
    std::unique_ptr<SystemMidiServices> m_midi;
    std::unique_ptr<CWinTesselTestDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<AutomationServer> m_server;
    int m_exitStatus = 0;
};
