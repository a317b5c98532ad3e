#pragma once

#include "scanner/ScannerState.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class CWinTesselTestView;
class QListWidget;

// What the two port selection dialogs share. The object lives as long as the view and
// holds the device chosen last; its modeless window is created and destroyed by the
// view's menu command, and hidden by OK and by the squelch action.
class CMidiPortDlg : public PortDeviceChoice {
public:
    virtual ~CMidiPortDlg();

    // Creates the window and shows it; false when it could not be created.
    bool Create();
    void DestroyWindow();
    QDialog* Window() const { return m_window; }
    QListWidget* List() const { return m_list; }

    virtual int FillDeviceList() = 0;

    // The handlers of the window's controls.
    void OnSelchangePortList();
    void OnOK();
    void OnCancel();

    QString m_strSelection;

protected:
    struct Template {
        const char* title;
        const char* cancelText;
        const char* listName;
    };
    CMidiPortDlg(CWinTesselTestView* view, const Template& dialogTemplate);

    virtual bool IsPortOpen() const = 0;
    virtual void OpenPort() = 0;
    virtual void ClosePort() = 0;

    // Appends a line at the end, so that a line's index is its device index.
    void AppendLine(const QString& text);
    void SelectLineWithoutNotification(int index);

    CWinTesselTestView* m_view;

private:
    Template m_template;
    QPointer<QDialog> m_window;
    QListWidget* m_list = nullptr;
};
