#include "gui/AppIcons.h"

#include "gui/CommandIds.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// A keyboard strip with one key pressed and its scan bars above: the application.
QPixmap DrawApplicationPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    p.scale(unit, unit);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(QColor(0x20, 0x40, 0x80));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 4, 4);
    const int heights[] = {9, 13, 7, 15, 11, 5};
    for (int i = 0; i < 6; ++i) {
        p.setBrush(i == 3 ? QColor(0, 255, 0) : QColor(255, 255, 255));
        p.drawRect(QRectF(4 + 4.2 * i, 17 - heights[i], 3, heights[i]));
    }
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 19, 26, 9));
    p.setBrush(Qt::black);
    for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(5.5 + 5 * i, 19, 2.4, 5.5));
    }
    return pixmap;
}

QPixmap DrawDocumentPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(6, 2);
    page.lineTo(21, 2);
    page.lineTo(27, 8);
    page.lineTo(27, 30);
    page.lineTo(6, 30);
    page.closeSubpath();
    p.drawPath(page);
    p.setPen(QPen(QColor(0x20, 0x40, 0x80), 1.5));
    for (int y = 12; y <= 26; y += 4) {
        p.drawLine(QPointF(9, y), QPointF(24, y));
    }
    return pixmap;
}

QIcon IconFromPainter(QPixmap (*draw)(int)) {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(draw(size));
    }
    return icon;
}

void DrawToolbarGlyph(QPainter& p, int commandId) {
    p.setPen(Qt::black);
    switch (commandId) {
    case CommandId::FileNew:
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}}));
        p.drawLine(10, 1, 10, 4);
        p.drawLine(10, 4, 13, 4);
        break;
    case CommandId::FileOpen:
        p.setBrush(QColor(255, 255, 0));
        p.drawPolygon(QPolygon({{1, 4}, {5, 4}, {6, 5}, {12, 5}, {12, 13}, {1, 13}}));
        p.setBrush(QColor(128, 128, 0));
        p.drawPolygon(QPolygon({{3, 8}, {15, 8}, {12, 13}, {1, 13}}));
        break;
    case CommandId::FileSave:
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(4, 9, 7, 5);
        break;
    case CommandId::EditCut:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(2, 9, 4, 4);
        p.drawEllipse(9, 9, 4, 4);
        p.drawLine(5, 9, 10, 1);
        p.drawLine(10, 9, 5, 1);
        break;
    case CommandId::EditCopy:
        p.setBrush(Qt::white);
        p.drawRect(1, 1, 8, 9);
        p.drawRect(6, 4, 8, 10);
        break;
    case CommandId::EditPaste:
        p.setBrush(QColor(128, 64, 0));
        p.drawRect(2, 2, 10, 12);
        p.setBrush(Qt::white);
        p.drawRect(7, 6, 7, 8);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(5, 1, 4, 2);
        break;
    case CommandId::FilePrint:
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 8, 6);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(1, 6, 14, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 8, 4);
        break;
    case CommandId::AppAbout:
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(2, 1, 12, 12);
        p.setPen(QColor(0, 0, 160));
        p.drawLine(8, 6, 8, 10);
        p.drawPoint(8, 4);
        break;
    default:
        break;
    }
}

} // namespace

QIcon AppIcons::ApplicationIcon() {
    return IconFromPainter(&DrawApplicationPicture);
}

QIcon AppIcons::DocumentIcon() {
    return IconFromPainter(&DrawDocumentPicture);
}

QPixmap AppIcons::ToolbarImage(int commandId) {
    QPixmap pixmap(kToolbarImageWidth, kToolbarImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    DrawToolbarGlyph(p, commandId);
    return pixmap;
}
