#include "app/WinTesselTestView.h"

#include "view/ViewPainter.h"
#include "view/ViewRendering.h"

#include <QPaintEvent>
#include <QPainter>

QSize CWinTesselTestView::sizeHint() const {
    return QSize(kPictureWidth, kPictureHeight);
}

void CWinTesselTestView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    OnDraw(painter, event->rect());
}

void CWinTesselTestView::OnDraw(QPainter& dc, const QRect& clipBox) {
    DrawScannerView(dc, clipBox, *this);
}
