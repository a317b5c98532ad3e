#pragma once

#include "picture/ViewCanvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>

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
    // From here on, the area being painted is `area` instead: a repaint of several parts
    // sets up its text and target once and paints the parts one after the other.
    void SetArea(const QRect& area);
    ~COffscreenDC() override;
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    void FillBackground() override;
    void SelectBrush(Colorref colour) override;
    void Rectangle(const ViewRect& rect) override;
    void TextOut(int x, int y, const char* text, int length) override;

private:
    // A 32-bit image that the target's raster engine draws into, when the context may
    // write its pixels itself: rectangles are most of the picture, narrow and tall, and
    // the engine fills them row by row with a call per row; writing the rows here gives
    // the same pixels several times faster.
    struct DirectPixels {
        uchar* bits = nullptr; // null: every rectangle goes through the painter
        qsizetype stride = 0;
        int scale = 1;           // device pixels per logical unit
        QPoint origin;           // the device pixel of logical (0, 0)
        QRect bounds;            // the image's pixels
        QRegion system;          // the window system's clip, in device pixels; empty for none
        int nextPart = 0;        // the rectangle of `system` where the next area is looked for
        QRect clip;              // the device pixels the context may change,
        bool clipIsRect = false; // when they are one rectangle
    };
    void FindDirectPixels(bool targetClipped);
    // The font and colours of text on m_dc.
    void SetUpText(const QFont& targetFont);
    // Readies the target's painter for drawing through it, text and all, clipped to the
    // area: done when first needed, as most repaints of a poll tick draw nothing there.
    void PreparePainter();
    // The device pixels of `area` that may change, into `clip`; false when they are not
    // one rectangle.
    bool DeviceClip(const QRect& area, QRect* clip);
    void FillRectangleDirectly(const ViewRect& r) const;

    QImage m_bitmap;
    QPainter* m_pTargetDC = nullptr;
    QRect m_rect;
    bool m_bPrinting = false;
    bool m_bOffscreen = false; // drawing goes to m_bitmap, copied to the target at the end
    QPainter m_memoryDC;
    QPainter* m_dc = nullptr;          // where drawing goes: m_memoryDC, or the target itself
    bool m_narrowed = false;           // SetArea was called
    bool m_painterReady = false;       // PreparePainter has set up the target's painter
    bool m_painterClipPending = false; // which is not clipped to m_rect yet
    QRegion m_areas;                   // off-screen: the areas drawn since, to be copied
    QPoint m_bitmapOrigin;             // off-screen: where the image goes on the target
    uint32_t m_brushPixel = 0xFF000000;
    DirectPixels m_direct;
    int m_ascent = -1; // of the text font on m_dc, once the first text needs it
};
