#include "render/ViewRendering.h"

#include "log/MessageLog.h"
#include "picture/ViewPainter.h"
#include "render/OffscreenDC.h"

#include <QPainter>

void DrawScannerView(QPainter& target, const QRect& clipBox, const ScannerState& state) {
    if (clipBox.isEmpty()) {
        return;
    }
    COffscreenDC dc(target, clipBox);
    PaintScannerView(state, MessageLog, dc);
}

QImage RenderViewImage(const ScannerState& state, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawScannerView(painter, QRect(QPoint(0, 0), size), state);
    painter.end();
    return image;
}
