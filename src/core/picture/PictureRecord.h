#pragma once

#include "picture/ViewCanvas.h"

#include <cstdint>
#include <string>
#include <vector>

// The view's picture kept as the drawing calls that make it. Two records of successive
// pictures tell which areas changed, so the window repaints only those; a repaint of an
// area draws only the calls whose pixels reach it, in their order, which leaves there
// exactly the pixels of the whole picture.
class PictureRecord final : public ViewCanvas {
public:
    // `textHeight` is the height of a line of text (ascent and descent) in logical
    // units; the pixels of a line are taken to stay within one such height above and
    // below its cell, and anywhere to its right.
    explicit PictureRecord(int textHeight = 0) : m_textHeight(textHeight) {}

    void SetTextHeight(int textHeight) {
        m_textHeight = textHeight;
        m_indexed = false;
    }
    // Forgets every call, keeping the memory for the next picture.
    void Clear();
    bool IsEmpty() const { return m_calls.empty(); }

    void FillBackground() override;
    void SelectBrush(Colorref colour) override;
    void Rectangle(const ViewRect& rect) override;
    void TextOut(int x, int y, const char* text, int length) override;

    // Adds to `areas` rectangles that together cover every pixel that differs between
    // the picture recorded in `before` and this one. False, with nothing added, when
    // the two are not made of the same kinds of calls in the same order (or with text
    // of another height): then any pixel may have changed.
    bool ChangedAreas(const PictureRecord& before, std::vector<ViewRect>& areas) const;

    // Makes on `canvas`, in their order, the calls whose pixels reach `area`: the
    // background, then the rectangles and text that overlap it. The canvas is to cover
    // no more than `area`. Not for two threads at once: the first replay of a picture
    // keeps where each call reaches for the next.
    void Replay(ViewCanvas& canvas, const ViewRect& area) const;

private:
    enum class Kind : uint8_t { Background, Rectangle, Text };
    struct Call {
        Kind kind;
        Colorref brush;  // a rectangle's
        ViewRect rect;   // a rectangle as drawn; for text, the cell's top-left corner
        uint32_t text;   // text: where its bytes start in m_text
        uint32_t length; // and how many there are
    };

    // Every pixel the call can change.
    ViewRect Reach(const Call& call) const;
    bool SameText(const Call& a, const PictureRecord& other, const Call& b) const;
    void IndexReaches() const;
    void Draw(const Call& call, ViewCanvas& canvas, bool& brushSelected, Colorref& selected) const;

    std::vector<Call> m_calls;
    std::string m_text;
    Colorref m_brush = 0;
    int m_textHeight;
    // For replays, found at the first one of a picture: Reach() of each call, and the
    // calls by the columns of the picture their reach lies in. A repaint replays many
    // small areas, most of them within one column, where only a few of the calls reach.
    mutable bool m_indexed = false;
    mutable std::vector<ViewRect> m_reaches;
    mutable std::vector<std::vector<uint32_t>> m_columns;
    mutable std::vector<uint32_t> m_wide; // the background, text, anything wider
};
