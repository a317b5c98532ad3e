#include "render/ViewRendering.h"

#include "log/MessageLog.h"
#include "picture/PictureRecord.h"
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

void DrawPictureRecord(QPainter& target, const QRegion& region, const PictureRecord& picture) {
    if (region.isEmpty()) {
        return;
    }
    COffscreenDC dc(target, region.boundingRect());
    for (const QRect& area : region) {
        dc.SetArea(area);
        picture.Replay(dc, {area.left(), area.top(), area.right() + 1, area.bottom() + 1});
    }
}

QImage RenderViewImage(const ScannerState& state, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    DrawScannerView(painter, QRect(QPoint(0, 0), size), state);
    painter.end();
    return image;
}
