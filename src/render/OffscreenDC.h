#pragma once

#include "picture/ViewCanvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <cstdint>

// The device context the view paints through, clipped to the area being repainted. The
// window never shows a half-drawn picture: on the screen the target is the window's
// backing store, memory the window system receives in one transfer after the paint, so
// the context draws straight into it, as into any other image (a raster target); a
// second image would cost a copy of every pixel and its memory. Other targets that are
// not printers get an off-screen image as large as the area, copied to them in one
// transfer when the context goes away. On a printer it draws straight onto the page.
// Lives on the stack for one paint.
class COffscreenDC : public ViewCanvas {
public:
    // `clipBox` is the area being painted, in the target's coordinates.
    COffscreenDC(QPainter& target, const QRect& clipBox);
    ~COffscreenDC() override;
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    void FillBackground() override;
    void SelectBrush(Colorref colour) override;
    void Rectangle(const ViewRect& rect) override;
    void TextOut(int x, int y, const char* text, int length) override;

    static QColor FromColorref(Colorref colour);

private:
    // A 32-bit image that the target's raster engine draws into, when the context may
    // write its pixels itself: rectangles are most of the picture, narrow and tall, and
    // the engine fills them row by row with a call per row; writing the rows here gives
    // the same pixels several times faster.
    struct DirectPixels {
        uchar* bits = nullptr; // null: every rectangle goes through the painter
        qsizetype stride = 0;
        int scale = 1; // device pixels per logical unit
        QPoint origin; // the device pixel of logical (0, 0)
        QRect clip;    // the device pixels the context may change
    };
    void FindDirectPixels(bool targetClipped);
    void FillRectangleDirectly(const ViewRect& r) const;

    QImage m_bitmap;
    QPainter* m_pTargetDC;
    QRect m_rect;
    bool m_bOffscreen; // drawing goes to m_bitmap, copied to the target at the end
    QPainter m_memoryDC;
    QPainter* m_dc; // where drawing goes: m_memoryDC, or the target itself
    QColor m_brush;
    uint32_t m_brushPixel = 0xFF000000;
    DirectPixels m_direct;
    int m_ascent = 0;
};
