#include "picture/PictureRecord.h"

#include <algorithm>
#include <cstring>

namespace {

// Far enough to the right of any line of text for any window.
constexpr int kTextRight = 1 << 24;

// The columns of the replay index: a call reaching into at most two of them is listed
// in each, anything else among the wide calls. The picture's bars and markers are a few
// units wide; 64 columns reach beyond the widest picture.
constexpr int kColumnWidth = 32;
constexpr int kColumns = 64;

bool Overlap(const ViewRect& a, const ViewRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void AddIfNotEmpty(const ViewRect& r, std::vector<ViewRect>& areas) {
    if (!r.IsEmpty()) {
        areas.push_back(r);
    }
}

// The pixels that differ between a rectangle drawn as `a` and drawn as `b` with the same
// brush (both normalised). When a single edge moved, only the rows or columns between
// its two places change, with the outline row or column beside them: the rest of the
// outline and the inside are the same in both. Otherwise both rectangles.
void RectangleChange(const ViewRect& a, const ViewRect& b, std::vector<ViewRect>& areas) {
    if (a.IsEmpty() || b.IsEmpty()) {
        AddIfNotEmpty(a, areas);
        AddIfNotEmpty(b, areas);
        return;
    }
    const bool sameLeft = a.left == b.left;
    const bool sameRight = a.right == b.right;
    const bool sameTop = a.top == b.top;
    const bool sameBottom = a.bottom == b.bottom;
    if (sameLeft && sameRight && sameBottom) {
        areas.push_back({a.left, std::min(a.top, b.top), a.right, std::max(a.top, b.top) + 1});
    } else if (sameLeft && sameRight && sameTop) {
        areas.push_back(
            {a.left, std::min(a.bottom, b.bottom) - 1, a.right, std::max(a.bottom, b.bottom)});
    } else if (sameTop && sameBottom && sameRight) {
        areas.push_back({std::min(a.left, b.left), a.top, std::max(a.left, b.left) + 1, a.bottom});
    } else if (sameTop && sameBottom && sameLeft) {
        areas.push_back(
            {std::min(a.right, b.right) - 1, a.top, std::max(a.right, b.right), a.bottom});
    } else {
        areas.push_back(a);
        areas.push_back(b);
    }
}

} // namespace

void PictureRecord::Clear() {
    m_calls.clear();
    m_text.clear();
    m_indexed = false;
    m_brush = 0;
}

void PictureRecord::FillBackground() {
    m_calls.push_back({Kind::Background, 0, {}, 0, 0});
    m_indexed = false;
}

void PictureRecord::SelectBrush(Colorref colour) {
    m_brush = colour;
}

void PictureRecord::Rectangle(const ViewRect& rect) {
    m_calls.push_back({Kind::Rectangle, m_brush, rect, 0, 0});
    m_indexed = false;
}

void PictureRecord::TextOut(int x, int y, const char* text, int length) {
    const auto start = static_cast<uint32_t>(m_text.size());
    const auto bytes = static_cast<uint32_t>(std::max(length, 0));
    m_text.append(text, bytes);
    m_calls.push_back({Kind::Text, 0, {x, y, x, y}, start, bytes});
    m_indexed = false;
}

ViewRect PictureRecord::Reach(const Call& call) const {
    switch (call.kind) {
    case Kind::Background:
        return {-kTextRight, -kTextRight, kTextRight, kTextRight};
    case Kind::Rectangle:
        return call.rect.Normalised();
    case Kind::Text:
        break;
    }
    const int x = call.rect.left;
    const int y = call.rect.top;
    return {x - m_textHeight, y - m_textHeight, kTextRight, y + 2 * m_textHeight};
}

bool PictureRecord::SameText(const Call& a, const PictureRecord& other, const Call& b) const {
    return a.length == b.length &&
           std::memcmp(m_text.data() + a.text, other.m_text.data() + b.text, a.length) == 0;
}

bool PictureRecord::ChangedAreas(const PictureRecord& before, std::vector<ViewRect>& areas) const {
    if (m_calls.size() != before.m_calls.size() || m_textHeight != before.m_textHeight) {
        return false;
    }
    for (size_t i = 0; i < m_calls.size(); ++i) {
        if (m_calls[i].kind != before.m_calls[i].kind) {
            return false;
        }
    }
    for (size_t i = 0; i < m_calls.size(); ++i) {
        const Call& now = m_calls[i];
        const Call& was = before.m_calls[i];
        switch (now.kind) {
        case Kind::Background:
            break;
        case Kind::Rectangle:
            if (now.brush != was.brush) {
                AddIfNotEmpty(was.rect.Normalised(), areas);
                AddIfNotEmpty(now.rect.Normalised(), areas);
            } else if (!(now.rect == was.rect)) {
                RectangleChange(was.rect.Normalised(), now.rect.Normalised(), areas);
            }
            break;
        case Kind::Text:
            if (!(now.rect == was.rect) || !SameText(now, before, was)) {
                areas.push_back(before.Reach(was));
                areas.push_back(Reach(now));
            }
            break;
        }
    }
    return true;
}

void PictureRecord::IndexReaches() const {
    m_reaches.clear();
    m_wide.clear();
    for (std::vector<uint32_t>& column : m_columns) {
        column.clear();
    }
    m_columns.resize(kColumns);
    for (size_t i = 0; i < m_calls.size(); ++i) {
        const ViewRect reach = Reach(m_calls[i]);
        m_reaches.push_back(reach);
        // An empty reach at x still overlaps an area around x.
        const int first = reach.left / kColumnWidth;
        const int last = (std::max(reach.right, reach.left + 1) - 1) / kColumnWidth;
        if (reach.left < 0 || last >= kColumns || last - first > 1) {
            m_wide.push_back(static_cast<uint32_t>(i));
            continue;
        }
        for (int column = first; column <= last; ++column) {
            m_columns[static_cast<size_t>(column)].push_back(static_cast<uint32_t>(i));
        }
    }
    m_indexed = true;
}

void PictureRecord::Draw(const Call& call, ViewCanvas& canvas, bool& brushSelected,
                         Colorref& selected) const {
    switch (call.kind) {
    case Kind::Background:
        canvas.FillBackground();
        break;
    case Kind::Rectangle:
        if (!brushSelected || call.brush != selected) {
            canvas.SelectBrush(call.brush);
            selected = call.brush;
            brushSelected = true;
        }
        canvas.Rectangle(call.rect);
        break;
    case Kind::Text:
        canvas.TextOut(call.rect.left, call.rect.top, m_text.data() + call.text,
                       static_cast<int>(call.length));
        break;
    }
}

void PictureRecord::Replay(ViewCanvas& canvas, const ViewRect& area) const {
    if (!m_indexed) {
        IndexReaches();
    }
    bool brushSelected = false;
    Colorref selected = 0;
    const int column = area.left / kColumnWidth;
    if (area.left < 0 || area.right <= area.left || (area.right - 1) / kColumnWidth != column ||
        column >= kColumns) {
        for (size_t i = 0; i < m_calls.size(); ++i) {
            if (Overlap(m_reaches[i], area)) {
                Draw(m_calls[i], canvas, brushSelected, selected);
            }
        }
        return;
    }
    // Every call reaching into the area is in its column's list or among the wide ones;
    // both lists are in drawing order, so merging them keeps it.
    const std::vector<uint32_t>& narrow = m_columns[static_cast<size_t>(column)];
    auto n = narrow.begin();
    auto w = m_wide.begin();
    while (n != narrow.end() || w != m_wide.end()) {
        const uint32_t i = w == m_wide.end() || (n != narrow.end() && *n < *w) ? *n++ : *w++;
        if (Overlap(m_reaches[i], area)) {
            Draw(m_calls[i], canvas, brushSelected, selected);
        }
    }
}
