#pragma once

#include <QRect>
#include <QRegion>
#include <QString>

class QPainter;

// Draws one line of text aligned in `rect`, as QPainter::drawText(rect, flags, text) does,
// from a layout kept per text for the painter's font. The diagnosis windows repaint at
// every tick, and shaping the same numbers anew each time cost a tenth of the program's
// processor time. A text outside a non-empty `area`, the part of a window being
// repainted, is not drawn at all.
void DrawChartText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                   const QRegion& area);
