#pragma once

#include <QListWidget>

// A list of lines that, as a list box, is chosen from with the left button only: a
// right-click neither marks a line nor makes it current, so what OK stores and what
// a later choice compares with stay the user's last choice.
class CListBox : public QListWidget {
public:
    explicit CListBox(QWidget* parent) : QListWidget(parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
