#include "app/WinTesselTestView.h"

#include "view/ViewRendering.h"

#include <QPaintEvent>
#include <QPainter>

void CWinTesselTestView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    OnDraw(painter, event->rect());
}

void CWinTesselTestView::OnDraw(QPainter& dc, const QRect& clipBox) {
    DrawScannerView(dc, clipBox, *this);
}
