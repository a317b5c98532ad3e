#pragma once

#include <QDialog>

// The About box, dialog 100: run modally by the application's About command.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
