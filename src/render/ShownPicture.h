#pragma once

#include "picture/PictureRecord.h"

#include <QRect>
#include <QRegion>

#include <cstdint>
#include <vector>

struct ScannerState;

// What the view's window shows, kept as the recorded picture, and the parts of the
// window that a new state of the view changes: a poll tick moves a few pixels of some
// bars and markers, and only those parts need a repaint and a transfer to the display.
class ShownPicture {
public:
    // Records the picture of `state` and the Message log as the one shown, and returns
    // the part of `bounds` (the window) where its pixels differ from those of the
    // picture recorded before: nothing when none do, all of `bounds` the first time.
    // `textHeight` is the height of a line of the view's text.
    QRegion Update(const ScannerState& state, const QRect& bounds, int textHeight);

    const PictureRecord& Picture() const { return m_shown; }

private:
    QRegion TiledRegion(const std::vector<ViewRect>& areas, const QRect& bounds);

    PictureRecord m_shown;
    PictureRecord m_next;
    std::vector<ViewRect> m_changed;
    std::vector<uint8_t> m_touched; // of TiledRegion: a flag per tile
    std::vector<QRect> m_runs;
};
