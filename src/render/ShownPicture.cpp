#include "render/ShownPicture.h"

#include "log/MessageLog.h"
#include "picture/ViewPainter.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Changed areas are gathered into tiles of this many logical units: one tick moves a few
// pixels of many bars and markers, and the window system's region of so many small
// rectangles at different heights would split into hundreds of bands, each repainted
// and sent to the display on its own. Smaller tiles send fewer pixels in more pieces: at
// 8, a poll tick of the simulator repaints about a fortieth of the picture.
constexpr int kTile = 8;

} // namespace

// The tiles that `areas` touch within `bounds`, as rectangles of whole tiles, one per
// run of touched tiles in a row of tiles, from the top and from the left. Its buffers
// are kept from one tick to the next.
QRegion ShownPicture::TiledRegion(const std::vector<ViewRect>& areas, const QRect& bounds) {
    const int columns = (bounds.width() + kTile - 1) / kTile;
    const int rows = (bounds.height() + kTile - 1) / kTile;
    if (columns <= 0 || rows <= 0) {
        return {};
    }
    std::vector<uint8_t>& touched = m_touched;
    touched.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
    for (const ViewRect& a : areas) {
        const int left = std::max(a.left, bounds.left()) - bounds.left();
        const int top = std::max(a.top, bounds.top()) - bounds.top();
        const int right = std::min(a.right, bounds.right() + 1) - bounds.left();
        const int bottom = std::min(a.bottom, bounds.bottom() + 1) - bounds.top();
        if (left >= right || top >= bottom) {
            continue;
        }
        for (int row = top / kTile; row <= (bottom - 1) / kTile; ++row) {
            std::fill_n(touched.begin() + row * columns + left / kTile,
                        (right - 1) / kTile - left / kTile + 1, uint8_t{1});
        }
    }
    std::vector<QRect>& runs = m_runs;
    runs.clear();
    for (int row = 0; row < rows; ++row) {
        const uint8_t* tiles =
            touched.data() + static_cast<size_t>(row) * static_cast<size_t>(columns);
        for (int column = 0; column < columns;) {
            if (tiles[column] == 0) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns && tiles[column] != 0) {
                ++column;
            }
            runs.push_back(QRect(bounds.left() + first * kTile, bounds.top() + row * kTile,
                                 (column - first) * kTile, kTile) &
                           bounds);
        }
    }
    // Rows of tiles are bands of equal height, each run apart from the next: the form
    // setRects() takes as it is.
    QRegion region;
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

QRegion ShownPicture::Update(const ScannerState& state, const QRect& bounds, int textHeight) {
    m_next.SetTextHeight(textHeight);
    m_next.Clear();
    PaintScannerView(state, MessageLog, m_next);
    m_changed.clear();
    const bool comparable = m_next.ChangedAreas(m_shown, m_changed);
    std::swap(m_shown, m_next);
    if (!comparable) {
        return QRegion(bounds);
    }
    return m_changed.empty() ? QRegion() : TiledRegion(m_changed, bounds);
}
