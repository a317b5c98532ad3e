#pragma once

#include "picture/ViewCanvas.h"

#include <ostream>
#include <string>
#include <vector>

struct DrawnRect {
    Colorref brush;
    ViewRect rect;
    bool operator==(const DrawnRect&) const = default;
};

struct DrawnText {
    int x;
    int y;
    std::string text;
    bool operator==(const DrawnText&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const DrawnRect& r) {
    return out << "{0x" << std::hex << r.brush << std::dec << " (" << r.rect.left << ", "
               << r.rect.top << ", " << r.rect.right << ", " << r.rect.bottom << ")}";
}

inline std::ostream& operator<<(std::ostream& out, const DrawnText& t) {
    return out << "{(" << t.x << ", " << t.y << ") \"" << t.text << "\"}";
}

// Keeps every drawing call, so tests can look at the picture without a display.
class RecordingCanvas : public ViewCanvas {
public:
    int backgroundFills = 0;
    int drawnBeforeBackground = 0;
    std::vector<DrawnRect> rects;
    std::vector<DrawnText> texts;

    void FillBackground() override { ++backgroundFills; }
    void SelectBrush(Colorref colour) override { m_brush = colour; }
    void Rectangle(const ViewRect& rect) override {
        CountEarlyDrawing();
        rects.push_back({m_brush, rect});
    }
    void TextOut(int x, int y, const char* text, int length) override {
        CountEarlyDrawing();
        texts.push_back({x, y, std::string(text, static_cast<size_t>(length))});
    }

private:
    void CountEarlyDrawing() {
        if (backgroundFills == 0) {
            ++drawnBeforeBackground;
        }
    }

    Colorref m_brush = 0x12345678; // no brush selected yet
};
