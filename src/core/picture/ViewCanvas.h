#pragma once

#include "picture/ViewRect.h"

#include <cstdint>

// A colour laid out as the platform's COLORREF: 0x00BBGGRR.
using Colorref = uint32_t;

// What the view's painting needs of a device context. Coordinates are logical units,
// one per pixel, with the origin at the view's top-left corner and y growing downwards.
class ViewCanvas {
public:
    virtual ~ViewCanvas() = default;

    // Fills the whole area being painted with the target's background colour.
    virtual void FillBackground() = 0;
    // The brush that the following rectangles are filled with.
    virtual void SelectBrush(Colorref colour) = 0;
    // The platform's rectangle: normalised first; its outermost pixels in black, one
    // pixel wide, the inside with the selected brush; an empty one draws nothing.
    virtual void Rectangle(const ViewRect& rect) = 0;
    // `length` bytes of `text`, the top-left of its cell at (x, y), in the default
    // font and colours.
    virtual void TextOut(int x, int y, const char* text, int length) = 0;
};
