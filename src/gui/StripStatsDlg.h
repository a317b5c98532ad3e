#pragma once

#include "stats/StripStatsMonitor.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <utility>

class QClipboard;
class QLineEdit;
class QListWidget;
class ScannerView;

// "Tessel Strip Statistic Monitor", template 103: a modeless dialog that shows a
// snapshot of the strip statistics. The view owns it for its whole life; its window
// exists from a "Strip Statistics" command to the next one, and OK, Cancel and the
// close box only hide it.
class CStripStatsDlg : public QDialog, public StripStatsMonitor {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 103;

    explicit CStripStatsDlg(ScannerView* view, QWidget* parent = nullptr);
    ~CStripStatsDlg() override;

    // Computes the statistics, fills the members, creates the window and shows it.
    void ShowStatistics();
    bool HasWindow() const { return m_hasWindow; }
    void DestroyWindow();

    // Moves the members into the controls, or with `saveAndValidate` the controls
    // into the members; a field that does not parse is reported and fails.
    bool UpdateData(bool saveAndValidate = true);

    QWidget* GetDlgItem(int id) const { return m_controls.value(id); }

    void OnOK();
    void OnCancel();
    void OnCopyStats();

    // Where "Copy Stats to Buffer" puts its text: the application's clipboard, or
    // nullptr when it can't be had, and the clipboard is then left as it was.
    using ClipboardSource = std::function<QClipboard*()>;
    void SetClipboardSource(ClipboardSource source) { m_clipboard = std::move(source); }

public slots:
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void Create();
    QLineEdit* Edit(int id) const;

    QHash<int, QWidget*> m_controls;
    QListWidget* m_list = nullptr;
    bool m_hasWindow = false;
    ClipboardSource m_clipboard;
};
