#pragma once

#include "picture/ViewCanvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>

// The device context the view paints through. On the screen (or any other target that
// is not a printer) it draws into an off-screen image as large as the area being
// repainted and copies it to the target in one transfer when it goes away, so the
// window never shows a half-drawn picture. On a printer it draws straight onto the
// target. Lives on the stack for one paint.
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
    bool m_bOffscreen;
    QPainter m_memoryDC;
    QPainter* m_dc; // where drawing goes: m_memoryDC, or the target when printing
    QColor m_brush;
    int m_ascent = 0;
};
