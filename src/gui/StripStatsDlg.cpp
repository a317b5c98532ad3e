#include "gui/StripStatsDlg.h"

#include "gui/DialogUnits.h"
#include "gui/ListBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace {

struct Placement {
    int id;
    const char* text;
    int x, y, width, height;
};

// Template 103, in its control order, which is also the tab order.
constexpr Placement kButtons[] = {
    {1, "OK", 294, 11, 50, 14},
    {2, "Cancel", 294, 25, 50, 14},
    {3, "122 Note system", 179, 11, 62, 14},
    {6, "73 Note system", 179, 25, 62, 14},
    {7, "88 Note system", 179, 39, 62, 14},
    {8, "61 Note system", 179, 53, 62, 14},
    {1004, "Clear data and Restart", 267, 42, 77, 14},
    {1012, "Copy Stats to Buffer", 251, 110, 89, 14},
};
constexpr Placement kList = {1011, "", 244, 65, 100, 40};
// Each label with the edit field beside it.
constexpr Placement kLabelledEdits[][2] = {
    {{0, "Number Of Scans", 19, 14, 77, 8}, {1015, "", 112, 13, 40, 12}},
    {{0, "Mean of all Tessels", 19, 28, 77, 8}, {1003, "", 112, 26, 40, 12}},
    {{0, "Avg Deviation", 19, 42, 77, 8}, {1005, "", 112, 40, 40, 12}},
    {{0, "Max Deviation Swing", 19, 56, 77, 8}, {1006, "", 112, 54, 40, 12}},
    {{0, "Max Positive Deviation", 19, 70, 77, 8}, {1010, "", 112, 68, 40, 12}},
    {{0, "Max Negative Deviation", 19, 84, 77, 8}, {1007, "", 112, 82, 40, 12}},
    {{0, "Dead On Samples", 19, 98, 77, 8}, {1008, "", 112, 96, 101, 12}},
    {{0, "Samples +/- 1", 19, 112, 77, 8}, {1009, "", 112, 110, 101, 12}},
    {{0, "Samples +/- 2", 19, 126, 77, 8}, {1014, "", 112, 124, 101, 12}},
    {{0, "3 or greater deviation", 16, 140, 77, 8}, {1013, "", 112, 138, 101, 12}},
};
constexpr int kTemplateWidth = 351;
constexpr int kTemplateHeight = 165;

const char* const kEnterNumber = "Please enter a number.";
const char* const kEnterInteger = "Please enter an integer.";

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

// Blanks and tabs around a number are allowed; anything else that is not part of it
// makes the field invalid.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && blank(text[first])) {
        ++first;
    }
    while (last > first && blank(text[last - 1])) {
        --last;
    }
    return text.mid(first, last - first);
}

bool ParseFloat(const QString& text, float* value) {
    bool ok = false;
    const double parsed = QLocale::c().toDouble(TrimBlanks(text), &ok);
    if (ok) {
        *value = static_cast<float>(parsed);
    }
    return ok;
}

bool ParseInt(const QString& text, int* value) {
    bool ok = false;
    const int parsed = QLocale::c().toInt(TrimBlanks(text), &ok);
    if (ok) {
        *value = parsed;
    }
    return ok;
}

} // namespace

CStripStatsDlg::CStripStatsDlg(ScannerView* view, QWidget* parent)
    : QDialog(parent), StripStatsMonitor(view),
      m_clipboard([] { return QGuiApplication::clipboard(); }) {
    setObjectName(QStringLiteral("CStripStatsDlg"));
    setWindowTitle(QStringLiteral("Tessel Strip Statistic Monitor"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(DialogUnits::TemplateFont());
    CreateControls();
}

CStripStatsDlg::~CStripStatsDlg() = default;

void CStripStatsDlg::CreateControls() {
    const DialogUnits units(font());
    setFixedSize(units.Size(kTemplateWidth, kTemplateHeight));
    const auto place = [&](QWidget* control, const Placement& p) {
        control->setGeometry(units.Rect(p.x, p.y, p.width, p.height));
        if (p.id != 0) {
            control->setObjectName(QStringLiteral("control%1").arg(p.id));
            m_controls.insert(p.id, control);
        }
    };

    for (const Placement& p : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(p.text), this);
        place(button, p);
    }
    auto* ok = static_cast<QPushButton*>(m_controls.value(1));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CStripStatsDlg::OnOK);
    connect(static_cast<QPushButton*>(m_controls.value(2)), &QPushButton::clicked, this,
            &CStripStatsDlg::OnCancel);
    // Lambdas rather than member pointers: the handlers of the window-free base class
    // are then called on the base itself, not through a pointer to the dialog.
    const auto onClick = [this](int id, auto handler) {
        connect(static_cast<QPushButton*>(m_controls.value(id)), &QPushButton::clicked, this,
                handler);
    };
    onClick(3, [this] { OnNoteSystem122(); });
    onClick(6, [this] { OnNoteSystem73(); });
    onClick(7, [this] { OnNoteSystem88(); });
    onClick(8, [this] { OnNoteSystem61(); });
    onClick(1012, [this] { OnCopyStats(); });
    // 1004 "Clear data and Restart" has no handler: pressing it does nothing.

    m_list = new CListBox(this);
    m_list->setFrameShape(QFrame::Box);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    place(m_list, kList);

    for (const auto& [label, edit] : kLabelledEdits) {
        auto* text = new QLabel(QString::fromLatin1(label.text), this);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(text, label);
        auto* field = new QLineEdit(this);
        field->installEventFilter(this);
        place(field, edit);
    }
}

QLineEdit* CStripStatsDlg::Edit(int id) const {
    return static_cast<QLineEdit*>(m_controls.value(id));
}

void CStripStatsDlg::ShowStatistics() {
    ComputeStatistics();
    Create();
}

void CStripStatsDlg::Create() {
    ClearHistogramLines();
    m_list->clear();
    m_hasWindow = true;
    UpdateData(false);
    show();
    raise();
    activateWindow();
}

void CStripStatsDlg::DestroyWindow() {
    if (!m_hasWindow) {
        return;
    }
    hide();
    m_list->clear();
    ClearHistogramLines();
    for (const auto& pair : kLabelledEdits) {
        Edit(pair[1].id)->clear();
    }
    m_hasWindow = false;
}

namespace {

// A line edit keeps its cursor at the end of a text set from the program and so shows
// its tail; an edit field set by the dialog shows the start of a long figure instead.
void ShowFromStart(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
}

} // namespace

bool CStripStatsDlg::UpdateData(bool saveAndValidate) {
    const auto fail = [this](int id, const char* message) {
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                             QString::fromLatin1(message));
        QLineEdit* field = Edit(id);
        field->setFocus();
        field->selectAll();
        return false;
    };
    const auto exchangeInt = [&](int id, int& member) {
        if (!saveAndValidate) {
            ShowFromStart(Edit(id), QString::number(member));
            return true;
        }
        return ParseInt(Edit(id)->text(), &member) || fail(id, kEnterInteger);
    };
    const auto exchangeText = [&](int id, std::string& member) {
        if (saveAndValidate) {
            member = ToLatin1(Edit(id)->text());
        } else {
            ShowFromStart(Edit(id), FromLatin1(member));
        }
    };

    if (saveAndValidate) {
        if (!ParseFloat(Edit(1005)->text(), &m_avgDeviation)) {
            return fail(1005, kEnterNumber);
        }
    } else {
        ShowFromStart(Edit(1005), FromLatin1(FormatDialogFloat(m_avgDeviation)));
    }
    if (!exchangeInt(1006, m_maxSwing) || !exchangeInt(1003, m_meanAll) ||
        !exchangeInt(1007, m_maxNegDeviation) || !exchangeInt(1010, m_maxPosDeviation)) {
        return false;
    }
    if (saveAndValidate) {
        const QListWidgetItem* selected = m_list->currentItem();
        m_histSelection = selected != nullptr && selected->isSelected() ? ToLatin1(selected->text())
                                                                        : std::string();
    } else {
        m_list->clearSelection();
        const QString wanted = FromLatin1(m_histSelection);
        for (int row = 0; !wanted.isEmpty() && row < m_list->count(); ++row) {
            if (m_list->item(row)->text().startsWith(wanted, Qt::CaseInsensitive)) {
                m_list->setCurrentRow(row);
                break;
            }
        }
    }
    exchangeText(1008, m_deadOn);
    exchangeText(1009, m_plusMinus1);
    exchangeText(1014, m_plusMinus2);
    exchangeText(1013, m_threeOrMore);
    exchangeText(1015, m_numScans);
    return true;
}

void CStripStatsDlg::OnOK() {
    if (UpdateData(true)) {
        QDialog::accept();
    }
}

void CStripStatsDlg::OnCancel() {
    QDialog::reject();
}

void CStripStatsDlg::accept() {
    OnOK();
}

void CStripStatsDlg::reject() {
    OnCancel();
}

void CStripStatsDlg::OnCopyStats() {
    const std::string text = CopyStats();
    const std::vector<std::string>& lines = HistogramLines();
    for (auto n = static_cast<size_t>(m_list->count()); n < lines.size(); ++n) {
        m_list->addItem(FromLatin1(lines[n]));
    }
    // Without a clipboard to be had, it is left as it was.
    if (QClipboard* clipboard = m_clipboard()) {
        clipboard->setText(FromLatin1(text));
    }
}

bool CStripStatsDlg::eventFilter(QObject* watched, QEvent* event) {
    // The fields take typed digits only; pasting and the program's own text are not
    // restricted.
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool typed = !text.isEmpty() && text[0].isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
        const bool digits =
            std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (typed && !digits) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
