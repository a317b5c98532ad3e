#pragma once

#include "picture/ViewCanvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>

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
    QImage m_bitmap;
    QPainter* m_pTargetDC;
    QRect m_rect;
    bool m_bOffscreen; // drawing goes to m_bitmap, copied to the target at the end
    QPainter m_memoryDC;
    QPainter* m_dc; // where drawing goes: m_memoryDC, or the target itself
    QColor m_brush;
    int m_ascent = 0;
};
