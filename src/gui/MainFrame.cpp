#include "gui/MainFrame.h"

#include "gui/AboutDlg.h"
#include "gui/AppIcons.h"
#include "gui/AppStrings.h"
#include "gui/CommandIds.h"
#include "gui/ProfileSettings.h"
#include "gui/SensorLimitsDlg.h"
#include "gui/StatusBar.h"
#include "gui/WinTesselTestDoc.h"
#include "gui/WinTesselTestView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScreen>
#include <QShortcut>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTimer>
#include <QToolBar>

namespace {

const QString kAllFilesFilter = QStringLiteral("All Files (*.*)");

// Asks for a file name under the filter "All Files (*.*)", which on the desktop this
// program comes from matches every name, a dot in it or not. Qt's own dialog takes the
// pattern literally and would hide the names without a dot, so its list is left
// unfiltered; a native dialog does as its platform does.
QString AskForFileName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption,
                       const QString& suggestion) {
    QFileDialog dialog(parent, caption, suggestion, kAllFilesFilter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (auto* list = dialog.findChild<QFileSystemModel*>()) {
        list->setNameFilters({});
    }
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

struct Accelerator {
    QKeySequence keys;
    int commandId;
};

// The menu bar takes the keyboard on a lone Alt, as on the desktop this program comes
// from, whatever the style's own habit.
class MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        // The style marks an item only while its menu is open; the item the keyboard is
        // on must show as well.
        if (element == CE_MenuBarItem && widget != nullptr && widget->hasFocus() &&
            (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem marked = *item;
                marked.state |= State_Sunken;
                QProxyStyle::drawControl(element, &marked, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

CMainFrame::CMainFrame(CWinTesselTestDoc& document, ProfileSettings& profile)
    : m_document(document), m_profile(profile) {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowIcon(AppIcons::ApplicationIcon());
    connect(&m_document, &CWinTesselTestDoc::TitleChanged, this, &CMainFrame::UpdateCaption);
}

CMainFrame::~CMainFrame() {
    // The view goes first, closing its ports, while the frame's other parts still exist.
    delete m_view;
    m_view = nullptr;
}

int CMainFrame::OnCreate() {
    m_view = new CWinTesselTestView(this);
    setCentralWidget(m_view);
    CreateCommands();
    CreateMenuBar();
    if (!CreateToolBar() || !CreateStatusBar()) {
        return -1;
    }
    CreateAccelerators();
    UpdateCaption(m_document.Title());
    return 0;
}

QAction* CMainFrame::AddCommand(int commandId, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("ID_%1").arg(commandId));
    action->setData(commandId);
    action->setStatusTip(AppStrings::Prompt(commandId));
    const QString tooltip = AppStrings::Tooltip(commandId);
    if (!tooltip.isEmpty()) {
        action->setToolTip(tooltip);
    }
    m_commands.insert(commandId, action);
    return action;
}

void CMainFrame::CreateCommands() {
    using namespace CommandId;
    CWinTesselTestView* view = m_view;

    connect(AddCommand(MidiInPortSelect, QStringLiteral("Midi In Port Select")),
            &QAction::triggered, view, &CWinTesselTestView::OnMidiInPortSelect);
    connect(AddCommand(MidiOutPortSelect, QStringLiteral("Midi Out Port Select")),
            &QAction::triggered, view, &CWinTesselTestView::OnMidiOutPortSelect);
    connect(AddCommand(StripStatistics, QStringLiteral("Strip Statistics")), &QAction::triggered,
            view, &CWinTesselTestView::OnStripStatistics);
    connect(AddCommand(GetSetupInformation, QStringLiteral("Get Setup Information")),
            &QAction::triggered, view, [view] { view->OnGetSetupInformation(); });
    connect(AddCommand(StartTimer, QStringLiteral("StartTimer")), &QAction::triggered, view,
            [view] { view->StartPollTimer(); });
    connect(AddCommand(StopTimer, QStringLiteral("StopTimer")), &QAction::triggered, view,
            [view] { view->StopPollTimer(); });
    // The poll timer sends the scan requests; the menu item is never enabled.
    AddCommand(ScanDump, QStringLiteral("ScanDump"))->setEnabled(false);
    connect(AddCommand(ClearScreen, QStringLiteral("Clear Screen")), &QAction::triggered, view,
            [view] { view->OnClearScreen(); });
    // The marked menu-bar items keep their mark: the program never changes it.
    for (int id : {StartTimer, StopTimer, ClearScreen}) {
        QAction* action = m_commands.value(id);
        action->setCheckable(true);
        action->setChecked(true);
        connect(action, &QAction::toggled, action, [action] { action->setChecked(true); });
    }

    // File items with ids of their own: nothing handles them, so they stay grayed.
    for (auto [id, text] : {std::pair{MenuFileNew, "&New\tCtrl+N"},
                            {MenuFileOpen, "&Open...\tCtrl+O"},
                            {MenuFilePrint, "&Print...\tCtrl+P"},
                            {MenuFilePrintPreview, "Print Pre&view"},
                            {MenuFilePrintSetup, "P&rint Setup..."},
                            {MenuRecentFile, "Recent File"}}) {
        AddCommand(id, QString::fromLatin1(text))->setEnabled(false);
    }

    connect(AddCommand(FileNew, QStringLiteral("New")), &QAction::triggered, this,
            &CMainFrame::OnFileNew);
    connect(AddCommand(FileOpen, QStringLiteral("Open")), &QAction::triggered, this,
            &CMainFrame::OnFileOpen);
    connect(AddCommand(FileSave, QStringLiteral("&Save\tCtrl+S")), &QAction::triggered, this,
            &CMainFrame::OnFileSave);
    connect(AddCommand(FileSaveAs, QStringLiteral("Save &As...")), &QAction::triggered, this,
            &CMainFrame::OnFileSaveAs);
    connect(AddCommand(FilePrint, QStringLiteral("Print")), &QAction::triggered, view,
            &CWinTesselTestView::OnFilePrint);
    connect(AddCommand(AppExit, QStringLiteral("E&xit")), &QAction::triggered, this,
            &QWidget::close);
    connect(AddCommand(AppAbout, QStringLiteral("&About WinTesselTest...")), &QAction::triggered,
            this, &CMainFrame::OnAppAbout);

    // Edit commands have no handler anywhere: the framework shows them disabled.
    for (auto [id, text] : {std::pair{EditUndo, "&Undo\tCtrl+Z"},
                            {EditCut, "Cu&t\tCtrl+X"},
                            {EditCopy, "&Copy\tCtrl+C"},
                            {EditPaste, "&Paste\tCtrl+V"}}) {
        AddCommand(id, QString::fromLatin1(text))->setEnabled(false);
    }
    AddCommand(ViewToolbar, QStringLiteral("&Toolbar"))->setCheckable(true);
    AddCommand(ViewStatusBar, QStringLiteral("&Status Bar"))->setCheckable(true);
    connect(AddCommand(ViewSensorLimits, QStringLiteral("Sensor &Limits...")), &QAction::triggered,
            this, &CMainFrame::OnSensorLimits);
    connect(AddCommand(ViewSensorChart, QStringLiteral("Sensor &Chart")), &QAction::triggered,
            m_view, &CWinTesselTestView::OnSensorChart);
}

void CMainFrame::CreateMenuBar() {
    using namespace CommandId;
    QMenuBar* bar = menuBar();
    for (int id : {MidiInPortSelect, MidiOutPortSelect, StartTimer, StopTimer, StripStatistics,
                   GetSetupInformation}) {
        bar->addAction(m_commands.value(id));
    }

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    for (int id : {MenuFileNew, MenuFileOpen, FileSave, FileSaveAs, 0, MenuFilePrint,
                   MenuFilePrintPreview, MenuFilePrintSetup, 0, MenuRecentFile, 0, AppExit}) {
        id == 0 ? static_cast<void>(file->addSeparator()) : file->addAction(m_commands.value(id));
    }

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    for (int id : {EditUndo, 0, EditCut, EditCopy, EditPaste}) {
        id == 0 ? static_cast<void>(edit->addSeparator()) : edit->addAction(m_commands.value(id));
    }
    edit->menuAction()->setEnabled(false);

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    view->addAction(m_commands.value(ViewToolbar));
    view->addAction(m_commands.value(ViewStatusBar));
    view->addSeparator();
    view->addAction(m_commands.value(ViewSensorLimits));
    view->addAction(m_commands.value(ViewSensorChart));

    bar->addAction(m_commands.value(ScanDump));
    bar->addAction(m_commands.value(ClearScreen));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    help->addAction(m_commands.value(AppAbout));

    auto* style = new MenuBarStyle;
    style->setParent(bar);
    bar->setStyle(style);
}

void CMainFrame::ActivateMenuBar() {
    // F10 does what a lone Alt does: the menu bar takes the keyboard with its first item
    // highlighted, and Escape gives the keyboard back.
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(this, &override);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(this, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &release);
}

bool CMainFrame::CreateToolBar() {
    using namespace CommandId;
    m_wndToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_wndToolBar->setObjectName(QStringLiteral("AFX_IDW_TOOLBAR"));
    m_wndToolBar->setIconSize(QSize(AppIcons::kToolbarImageWidth, AppIcons::kToolbarImageHeight));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : {FileNew, FileOpen, FileSave, 0, EditCut, EditCopy, EditPaste, 0, FilePrint, 0,
                   AppAbout}) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = m_commands.value(id);
        action->setIcon(AppIcons::ToolbarImage(id));
        m_wndToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    QAction* toggle = m_commands.value(ViewToolbar);
    toggle->setChecked(true);
    connect(toggle, &QAction::triggered, m_wndToolBar, &QWidget::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    m_wndStatusBar = new CStatusBar(this);
    setStatusBar(m_wndStatusBar);
    QAction* toggle = m_commands.value(CommandId::ViewStatusBar);
    toggle->setChecked(true);
    connect(toggle, &QAction::triggered, m_wndStatusBar, &QWidget::setVisible);
    return true;
}

void CMainFrame::CreateAccelerators() {
    using namespace CommandId;
    const Accelerator table[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), FileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_O), FileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_S), FileSave},
        {QKeySequence(Qt::CTRL | Qt::Key_P), FilePrint},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), EditUndo},
        {QKeySequence(Qt::CTRL | Qt::Key_X), EditCut},
        {QKeySequence(Qt::CTRL | Qt::Key_C), EditCopy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), EditPaste},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), EditUndo},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), EditCut},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), EditCopy},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), EditPaste},
        {QKeySequence(Qt::Key_F6), NextPane},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), PrevPane},
    };
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, &CMainFrame::ActivateMenuBar);
    for (const Accelerator& accelerator : table) {
        auto* shortcut = new QShortcut(accelerator.keys, this);
        const int id = accelerator.commandId;
        // A command without a handler is disabled or absent: its keys then do nothing.
        connect(shortcut, &QShortcut::activated, this, [this, id] {
            if (QAction* action = m_commands.value(id); action && action->isEnabled()) {
                action->trigger();
            }
        });
    }
}

void CMainFrame::UpdateCaption(const QString& documentTitle) {
    setWindowTitle(documentTitle + QStringLiteral(" - ") + AppStrings::Load(AppStrings::kAppName));
}

QSize CMainFrame::FirstSize(QSize wanted, QSize available, QSize decoration) {
    return wanted.boundedTo(available - decoration).expandedTo(QSize(1, 1));
}

QSize CMainFrame::FirstSize() const {
    const QSize wanted = sizeHint();
    const QScreen* where = screen();
    if (where == nullptr) {
        return wanted;
    }
    // The window manager adds a title bar and borders outside the frame's own size;
    // before the first show their size is not known, so the style's guess stands in.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return FirstSize(wanted, where->availableGeometry().size(),
                     QSize(2 * border, titleBar + 2 * border));
}

bool CMainFrame::IsMenuHighlighted() const {
    if (menuBar()->activeAction() != nullptr) {
        return true;
    }
    const auto* menu = qobject_cast<const QMenu*>(QApplication::activePopupWidget());
    return menu != nullptr && menu->isVisible();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip && m_wndStatusBar != nullptr) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        // An item without a prompt empties the pane; "Ready" is for when nothing is
        // highlighted. Menus report leaving an item before they finish closing, so the
        // idle text is settled once the event loop has gone round.
        m_wndStatusBar->SetMessage(tip, IsMenuHighlighted());
        if (tip.isEmpty()) {
            QTimer::singleShot(0, this, [this] {
                if (m_wndStatusBar != nullptr && !IsMenuHighlighted() &&
                    m_wndStatusBar->Message().isEmpty()) {
                    m_wndStatusBar->SetMessage(QString());
                }
            });
        }
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The document is never marked modified, so closing never asks to save.
    event->accept();
    // Windows owned by the frame are destroyed with it, not asked to close: the ports
    // close with the view (the input with its lines, the output silently), never through
    // a port dialog's squelch, which the application's closing of every window would run.
    if (m_view != nullptr) {
        m_view->DestroyDialogWindows();
    }
    QApplication::quit();
}

void CMainFrame::OnFileNew() {
    m_document.OnNewDocument();
}

void CMainFrame::OnFileOpen() {
    const QString path =
        AskForFileName(this, QFileDialog::AcceptOpen, QStringLiteral("Open"), QString());
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!OpenDocumentFile(path, &error)) {
        QMessageBox::warning(this, AppStrings::Load(AppStrings::kAppName), error);
    }
}

bool CMainFrame::OnFileSave() {
    if (m_document.PathName().isEmpty()) {
        return OnFileSaveAs();
    }
    if (!AllowsReplacing(m_document.PathName())) {
        return false;
    }
    QString error;
    if (!SaveDocumentAs(m_document.PathName(), &error)) {
        QMessageBox::critical(this, AppStrings::Load(AppStrings::kAppName), error);
        return false;
    }
    return true;
}

bool CMainFrame::AllowsReplacing(const QString& path) {
    if (!m_writtenReports.WouldReplaceAnother(QFile::encodeName(path).toStdString())) {
        return true;
    }
    // Asked as Save As asks, the answer that keeps the file first.
    const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(QDir::toNativeSeparators(path));
    return QMessageBox::warning(this, QStringLiteral("Save"), question,
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

bool CMainFrame::OnFileSaveAs() {
    // The dialog starts in the document's folder with its name, or with the title of a
    // document that has no file yet.
    const QString current = m_document.PathName();
    const QString suggestion =
        current.isEmpty() ? m_document.Title() : QFileInfo(current).absoluteFilePath();
    const QString path =
        AskForFileName(this, QFileDialog::AcceptSave, QStringLiteral("Save As"), suggestion);
    if (path.isEmpty()) {
        return false;
    }
    QString error;
    if (!SaveDocumentAs(path, &error)) {
        QMessageBox::critical(this, AppStrings::Load(AppStrings::kAppName), error);
        return false;
    }
    return true;
}

void CMainFrame::OnAppAbout() {
    CAboutDlg about(this);
    if (m_view != nullptr) {
        m_view->RepaintWhatItUncovers(&about);
    }
    about.exec();
}

void CMainFrame::OnSensorLimits() {
    CSensorLimitsDlg dialog(m_view->Watch().Limits(), this);
    m_view->RepaintWhatItUncovers(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        m_profile.SetSensorLimits(dialog.Limits());
        m_view->SetSensorLimits(dialog.Limits());
    }
}

bool CMainFrame::OpenDocumentFile(const QString& path, QString* error) {
    if (!m_document.OnOpenDocument(path, error)) {
        return false;
    }
    m_profile.AddRecentFile(path);
    return true;
}

bool CMainFrame::SaveDocumentAs(const QString& path, QString* error) {
    if (!m_document.OnSaveDocument(path, error)) {
        return false;
    }
    m_writtenReports.Written(QFile::encodeName(path).toStdString());
    m_profile.AddRecentFile(path);
    return true;
}
