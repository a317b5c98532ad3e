#include "app/WinTesselTestView.h"

#include <QPaintEvent>
#include <QPainter>

// Until the scanner picture is drawn here, the view shows its background.
void CWinTesselTestView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
}

void CWinTesselTestView::OnFilePrint() {}
