#pragma once

#include "stats/WrittenReports.h"

#include <QHash>
#include <QMainWindow>

class CStatusBar;
class ProfileSettings;
class CWinTesselTestDoc;
class CWinTesselTestView;
class QAction;
class QToolBar;

// The main window: menu bar, toolbar, status bar and the one view.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CWinTesselTestDoc& document, ProfileSettings& profile);
    ~CMainFrame() override;

    // Creates the view, the toolbar and the status bar; -1 when one of them fails.
    int OnCreate();

    CWinTesselTestView* View() const { return m_view; }
    CWinTesselTestDoc& Document() const { return m_document; }
    // The action that carries a command id, or null. Menu items, toolbar buttons and
    // accelerators that share an id share the action.
    QAction* CommandAction(int commandId) const { return m_commands.value(commandId); }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    CStatusBar* StatusBar() const { return m_wndStatusBar; }

    // The command handlers: New, Open, Save and Save As ask for names here.
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnAppAbout();
    // View > Sensor Limits: the limits the view judges its sensors by, kept in the
    // profile. The dialog shows those of this run, the command line's among them.
    void OnSensorLimits();
    // The keyboard's way into the menu bar (F10).
    void ActivateMenuBar();

    // The size the frame opens at: the view's whole picture with the menu bar, toolbar
    // and status bar around it, within the screen's free area. The frame stays resizable.
    QSize FirstSize() const;
    static QSize FirstSize(QSize wanted, QSize available, QSize decoration);

    // Opens a file the way Open does; shows no dialog. False with `error` set on failure.
    bool OpenDocumentFile(const QString& path, QString* error);
    bool SaveDocumentAs(const QString& path, QString* error);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateCommands();
    void CreateMenuBar();
    bool CreateToolBar();
    bool CreateStatusBar();
    void CreateAccelerators();
    QAction* AddCommand(int commandId, const QString& text);
    void UpdateCaption(const QString& documentTitle);
    // A menu is open or a menu-bar item is highlighted.
    bool IsMenuHighlighted() const;
    // Save onto a file this run has not written: true when the user agrees to replace it.
    bool AllowsReplacing(const QString& path);

    CWinTesselTestDoc& m_document;
    ProfileSettings& m_profile;
    CStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    CWinTesselTestView* m_view = nullptr;
    QHash<int, QAction*> m_commands;
    WrittenReports m_writtenReports;
};
