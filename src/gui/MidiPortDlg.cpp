#include "gui/MidiPortDlg.h"

#include "gui/DialogUnits.h"
#include "gui/ListBox.h"
#include "gui/WinTesselTestView.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include <functional>

namespace {

// The device list. It tells its owner only about a line the user chose, with the mouse
// or the keyboard: a list view on its own makes its first line current when it gets the
// focus, and filling or marking the list from the program must not open anything either.
class PortList : public CListBox {
public:
    PortList(QWidget* parent, std::function<void()> onUserChoice)
        : CListBox(parent), m_onUserChoice(std::move(onUserChoice)) {}

protected:
    void focusInEvent(QFocusEvent* event) override {
        // Skips the item view's own focus handling, which would make a line current.
        QAbstractScrollArea::focusInEvent(event);
        viewport()->update();
    }
    void mousePressEvent(QMouseEvent* event) override {
        CListBox::mousePressEvent(event);
        // A click on a line is a choice even when the line is already selected: after a
        // failed open, choosing the same device again tries again.
        if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr) {
            m_onUserChoice();
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const int before = currentRow();
        CListBox::mouseMoveEvent(event);
        NotifyWhenMovedFrom(before);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        NotifyWhenMovedFrom(before);
    }

private:
    void NotifyWhenMovedFrom(int before) {
        if (currentRow() >= 0 && currentRow() != before) {
            m_onUserChoice();
        }
    }

    std::function<void()> m_onUserChoice;
};

// The modeless window: Escape and the close box both end in reject(), which runs the
// owner's squelch action instead of only hiding.
class PortSelectWindow : public QDialog {
public:
    PortSelectWindow(QWidget* owner, CMidiPortDlg& dialog) : QDialog(owner), m_dialog(dialog) {}
    void accept() override { m_dialog.OnOK(); }
    void reject() override { m_dialog.OnCancel(); }
    void Hide() { QDialog::done(QDialog::Rejected); }

private:
    CMidiPortDlg& m_dialog;
};

// The template places the window at (0, 0) of the owner's client area. A frame's client
// area begins below its menu bar, so the menu bar stays free for the next command.
QPoint ClientAreaOrigin(const QWidget& owner) {
    int top = 0;
    if (const auto* frame = qobject_cast<const QMainWindow*>(&owner)) {
        const auto* bar = qobject_cast<const QMenuBar*>(frame->menuWidget());
        if (bar != nullptr && bar->isVisible() && !bar->isNativeMenuBar()) {
            top = bar->geometry().bottom() + 1;
        }
    }
    return owner.mapToGlobal(QPoint(0, top));
}

} // namespace

CMidiPortDlg::CMidiPortDlg(CWinTesselTestView* view, const Template& dialogTemplate)
    : m_view(view), m_template(dialogTemplate) {}

CMidiPortDlg::~CMidiPortDlg() {
    DestroyWindow();
}

bool CMidiPortDlg::Create() {
    QWidget* owner = m_view != nullptr ? m_view->window() : nullptr;
    auto* window = new PortSelectWindow(owner, *this);
    window->setWindowTitle(QString::fromLatin1(m_template.title));
    window->setModal(false);
    window->setFont(DialogUnits::TemplateFont());
    const DialogUnits du(window->font());
    window->setFixedSize(du.Size(250, 86));

    m_list = new PortList(window, [this] { OnSelchangePortList(); });
    m_list->setObjectName(QString::fromLatin1(m_template.listName));
    m_list->setGeometry(du.Rect(7, 7, 143, 49));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* ok = new QPushButton(QStringLiteral("OK"), window);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setGeometry(du.Rect(193, 7, 50, 14));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, window, [this] { OnOK(); });

    auto* cancel = new QPushButton(QString::fromLatin1(m_template.cancelText), window);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    cancel->setGeometry(du.Rect(193, 25, 50, 14));
    QObject::connect(cancel, &QPushButton::clicked, window, [this] { OnCancel(); });

    if (owner != nullptr) {
        window->move(ClientAreaOrigin(*owner));
    }
    if (m_view != nullptr) {
        m_view->RepaintWhatItUncovers(window);
    }
    m_window = window;
    window->show();
    return true;
}

void CMidiPortDlg::DestroyWindow() {
    delete m_window.data();
    m_window = nullptr;
    m_list = nullptr;
}

void CMidiPortDlg::AppendLine(const QString& text) {
    m_list->insertItem(m_list->count(), text);
}

void CMidiPortDlg::SelectLineWithoutNotification(int index) {
    // Selecting from the program does not notify, as a list box's own selection call.
    const QSignalBlocker blocker(m_list);
    m_list->setCurrentRow(index);
}

void CMidiPortDlg::OnSelchangePortList() {
    if (m_list == nullptr) {
        return;
    }
    const int index = m_list->currentRow();
    if (index < 0) {
        return; // no line is chosen: nothing to open
    }
    if (index == m_nDevice && IsPortOpen()) {
        return;
    }
    if (IsPortOpen()) {
        ClosePort();
    }
    m_nDevice = index;
    OpenPort();
    if (!IsPortOpen()) {
        // No line stays marked for a device that is not open; the log says why.
        const QSignalBlocker blocker(m_list);
        m_list->clearSelection();
        m_list->setCurrentRow(-1);
    }
    if (m_view != nullptr) {
        m_view->update();
    }
}

void CMidiPortDlg::OnOK() {
    if (m_list != nullptr) {
        const QListWidgetItem* selected = m_list->currentItem();
        m_strSelection = selected != nullptr ? selected->text() : QString();
    }
    if (m_window != nullptr) {
        static_cast<PortSelectWindow*>(m_window.data())->Hide();
    }
}

void CMidiPortDlg::OnCancel() {
    if (IsPortOpen()) {
        ClosePort();
    }
    if (m_window != nullptr) {
        static_cast<PortSelectWindow*>(m_window.data())->Hide();
    }
}
