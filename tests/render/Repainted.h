#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>

// What a window shows after a tick that repaints only `now.ChangedArea(before)` over the
// picture `before` left: it must be the whole of `now`.
template <class Picture> QImage Repainted(const Picture& before, const Picture& now) {
    QImage image = before.Image();
    const QRegion area = now.ChangedArea(before);
    QPainter painter(&image);
    painter.setClipRegion(area);
    now.Draw(painter, area);
    painter.end();
    return image;
}
