#include "render/OffscreenDC.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace {

// A fresh device context's colours: black text on an opaque white background.
const QColor kBackground(Qt::white);
// kBackground as a 32-bit image holds it: every byte 0xFF, which memset writes fastest.
constexpr unsigned char kBackgroundByte = 0xFF;
const QColor kTextColour(Qt::black);

// Printers and PDF writers: devices made of pages.
bool IsPrinting(const QPainter& dc) {
    return dynamic_cast<const QPagedPaintDevice*>(dc.device()) != nullptr;
}

// Images and the window's backing store: pixels in memory, drawn by Qt's raster engine
// exactly as it draws into an image of the same format.
bool IsRasterTarget(const QPainter& dc) {
    const QPaintEngine* engine = dc.paintEngine();
    return engine != nullptr && engine->type() == QPaintEngine::Raster;
}

} // namespace

COffscreenDC::COffscreenDC(QPainter& target, const QRect& clipBox)
    : m_pTargetDC(&target), m_rect(clipBox), m_bPrinting(IsPrinting(target)),
      m_bOffscreen(!m_bPrinting && !IsRasterTarget(target)), m_dc(&target) {
    if (m_bOffscreen) {
        // The image has as many pixels as the target shows for the area, so text and
        // one-pixel outlines stay as sharp on a high-density screen as a direct paint.
        const qreal ratio = target.device() != nullptr ? target.device()->devicePixelRatioF() : 1.0;
        const QSize pixels(qCeil(m_rect.width() * ratio), qCeil(m_rect.height() * ratio));
        m_bitmap = QImage(pixels, QImage::Format_RGB32);
        m_bitmap.setDevicePixelRatio(ratio);
        m_memoryDC.begin(&m_bitmap);
        // Logical coordinates mean the same here as on the target.
        m_memoryDC.translate(-m_rect.topLeft());
        m_bitmapOrigin = m_rect.topLeft();
        m_dc = &m_memoryDC;
        SetUpText(target.font());
        return;
    }
    if (!m_bPrinting) {
        FindDirectPixels(target.hasClipping());
    }
    if (m_direct.bits == nullptr) {
        PreparePainter();
    }
}

COffscreenDC::~COffscreenDC() {
    if (m_bOffscreen) {
        m_memoryDC.end();
        if (m_narrowed) {
            // Only the areas were drawn; the rest of the image holds nothing.
            m_pTargetDC->save();
            m_pTargetDC->setClipRegion(m_areas, Qt::IntersectClip);
            m_pTargetDC->drawImage(m_bitmapOrigin, m_bitmap);
            m_pTargetDC->restore();
        } else {
            m_pTargetDC->drawImage(m_bitmapOrigin, m_bitmap);
        }
    } else if (m_painterReady) {
        m_pTargetDC->restore();
        m_pTargetDC->restore();
    }
}

void COffscreenDC::SetUpText(const QFont& targetFont) {
    // The text keeps its screen size in pixels on every target, so an image or a printed
    // page shows the screen's picture unscaled, one logical unit per device pixel.
    QFont font = targetFont;
    font.setPixelSize(QFontInfo(font).pixelSize());
    m_dc->setFont(font);
    m_dc->setPen(kTextColour);
    m_dc->setBackground(kBackground);
    m_dc->setBackgroundMode(Qt::OpaqueMode);
}

void COffscreenDC::PreparePainter() {
    if (m_painterReady) {
        if (m_painterClipPending) {
            m_pTargetDC->restore();
            m_pTargetDC->save();
            m_pTargetDC->setClipRect(m_rect, Qt::IntersectClip);
            m_painterClipPending = false;
        }
        return;
    }
    // The caller's painter gets its state back at the end: once for the text settings,
    // once more for the clip of each area.
    m_pTargetDC->save();
    SetUpText(m_pTargetDC->font());
    m_pTargetDC->save();
    if (!m_bPrinting || m_narrowed) {
        // Nothing outside the area changes, as with an image of the area's size.
        m_pTargetDC->setClipRect(m_rect, Qt::IntersectClip);
    }
    m_painterReady = true;
    m_painterClipPending = false;
}

void COffscreenDC::SetArea(const QRect& area) {
    m_rect = area;
    m_narrowed = true;
    if (m_bOffscreen) {
        if (m_areas.isEmpty()) {
            m_areas = area;
        } else {
            m_areas += area;
        }
        m_memoryDC.setClipRect(area, Qt::ReplaceClip);
        return;
    }
    m_painterClipPending = m_painterReady;
    if (m_direct.bits != nullptr) {
        m_direct.clipIsRect = DeviceClip(area, &m_direct.clip);
    }
    // Rectangles and background written straight into the pixels need nothing of the
    // painter; it is clipped when something goes through it after all, mostly text.
    if (m_direct.bits == nullptr || !m_direct.clipIsRect) {
        PreparePainter();
    }
}

void COffscreenDC::FillBackground() {
    if (m_direct.bits != nullptr && m_direct.clipIsRect) {
        assert(kBackground.rgb() == 0xFFFFFFFF);
        const QRect& clip = m_direct.clip;
        const size_t bytes = static_cast<size_t>(clip.width()) * sizeof(uint32_t);
        uchar* first = m_direct.bits + clip.top() * m_direct.stride + clip.left() * 4;
        if (bytes == static_cast<size_t>(m_direct.stride)) {
            std::memset(first, kBackgroundByte, bytes * static_cast<size_t>(clip.height()));
        } else {
            for (int y = 0; y < clip.height(); ++y) {
                std::memset(first + y * m_direct.stride, kBackgroundByte, bytes);
            }
        }
        return;
    }
    PreparePainter();
    m_dc->fillRect(m_rect, kBackground);
}

void COffscreenDC::SelectBrush(Colorref colour) {
    // The word a 32-bit image holds for the opaque colour, 0xAARRGGBB; the painter's
    // colour is made from it only when a rectangle goes through the painter.
    m_brushPixel =
        0xFF000000u | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

void COffscreenDC::FindDirectPixels(bool targetClipped) {
    const QPainter& dc = *m_pTargetDC;
    // A clip of the caller's, or anything but plain opaque painting, stays the engine's.
    if (targetClipped || dc.compositionMode() != QPainter::CompositionMode_SourceOver ||
        dc.opacity() != 1.0) {
        return;
    }
    QPaintEngine* engine = dc.paintEngine();
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) {
        return;
    }
    // The window's backing store or the image the painter was opened on; both hold
    // 0xAARRGGBB words in these formats, and an opaque colour is the same word in each.
    auto* image = static_cast<QImage*>(device);
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        return;
    }
    // Whole device pixels per logical unit and a whole-pixel offset: the engine then
    // fills exactly the mapped rectangle, as here.
    const QTransform toDevice = dc.deviceTransform();
    const int scale = qRound(toDevice.m11());
    if (toDevice.type() > QTransform::TxScale || scale < 1 || toDevice.m11() != scale ||
        toDevice.m22() != scale || toDevice.dx() != qRound(toDevice.dx()) ||
        toDevice.dy() != qRound(toDevice.dy())) {
        return;
    }
    m_direct.scale = scale;
    m_direct.origin = QPoint(qRound(toDevice.dx()), qRound(toDevice.dy()));
    m_direct.bounds = image->rect();
    // The window system's clip: the part of the window being repainted, in device pixels.
    m_direct.system = engine->systemClip();
    m_direct.clipIsRect = DeviceClip(m_rect, &m_direct.clip);
    // The engine already writes into this buffer; bits() could detach a shared image.
    m_direct.bits = const_cast<uchar*>(image->constBits());
    m_direct.stride = image->bytesPerLine();
}

bool COffscreenDC::DeviceClip(const QRect& area, QRect* clip) {
    *clip = QRect(area.topLeft() * m_direct.scale + m_direct.origin, area.size() * m_direct.scale) &
            m_direct.bounds;
    if (m_direct.system.isEmpty() || clip->isEmpty()) {
        return true;
    }
    // The areas of a repaint are most often the rectangles of the window system's clip,
    // in its order: the search starts after the rectangle the last area was in, so that
    // a repaint of many areas does not search the whole clip for each.
    const QRect* parts = m_direct.system.cbegin();
    const int count = m_direct.system.rectCount();
    for (int k = 0; k < count; ++k) {
        const int i = (m_direct.nextPart + k) % count;
        if (parts[i].contains(*clip)) {
            m_direct.nextPart = (i + 1) % count;
            return true;
        }
    }
    const QRegion inside = m_direct.system & *clip;
    if (inside.rectCount() > 1) {
        return false;
    }
    *clip = inside.boundingRect();
    return true;
}

namespace {

// Writes a row of up to kShortRow words with a few fixed-size moves, overlapping where
// the count is not a multiple of the move: the rows of the picture's rectangles are a
// handful of pixels wide, and a loop sized at run time costs more than the stores.
constexpr int kShortRow = 64;

inline void CopyShortRow(uint32_t* to, const uint32_t* from, int count) {
    if (count >= 8) {
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            std::memcpy(to + i, from + i, 32);
        }
        if (i < count) {
            std::memcpy(to + count - 8, from + count - 8, 32);
        }
    } else if (count >= 4) {
        std::memcpy(to, from, 16);
        std::memcpy(to + count - 4, from + count - 4, 16);
    } else if (count >= 2) {
        std::memcpy(to, from, 8);
        std::memcpy(to + count - 2, from + count - 2, 8);
    } else {
        *to = *from;
    }
}

} // namespace

// The same pixels as the painter's two fills in Rectangle(): the outer rectangle in
// black, then the inside, one logical unit smaller on each side, with the brush; each
// row is written once, from a pattern of the clipped row.
void COffscreenDC::FillRectangleDirectly(const ViewRect& r) const {
    const int s = m_direct.scale;
    const int left = r.left * s + m_direct.origin.x();
    const int right = r.right * s + m_direct.origin.x();
    const int top = r.top * s + m_direct.origin.y();
    const int bottom = r.bottom * s + m_direct.origin.y();
    const QRect& clip = m_direct.clip;
    const int x0 = std::max(left, clip.left());
    const int x1 = std::min(right, clip.right() + 1);
    const int y0 = std::max(top, clip.top());
    const int y1 = std::min(bottom, clip.bottom() + 1);
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    // Rows [y0, insideTop) and [insideBottom, y1) are outline; the rows between have the
    // brushed inside between the columns insideLeft and insideRight.
    const bool hasInside = r.right - r.left > 2 && r.bottom - r.top > 2;
    const int insideTop = hasInside ? std::clamp(top + s, y0, y1) : y1;
    const int insideBottom = hasInside ? std::clamp(bottom - s, insideTop, y1) : y1;
    const int insideLeft = std::clamp(left + s, x0, x1);
    const int insideRight = std::clamp(right - s, insideLeft, x1);
    constexpr uint32_t kBlack = 0xFF000000;
    const int width = x1 - x0;
    const auto row = [this, x0](int y) {
        return reinterpret_cast<uint32_t*>(m_direct.bits + y * m_direct.stride) + x0;
    };

    if (width > kShortRow) {
        for (int y = y0; y < y1; ++y) {
            uint32_t* to = row(y);
            if (y < insideTop || y >= insideBottom) {
                std::fill(to, to + width, kBlack);
            } else {
                std::fill(to, to + (insideLeft - x0), kBlack);
                std::fill(to + (insideLeft - x0), to + (insideRight - x0), m_brushPixel);
                std::fill(to + (insideRight - x0), to + width, kBlack);
            }
        }
        return;
    }
    uint32_t outline[kShortRow];
    uint32_t inside[kShortRow];
    std::fill(outline, outline + width, kBlack);
    std::fill(inside, inside + width, kBlack);
    std::fill(inside + (insideLeft - x0), inside + (insideRight - x0), m_brushPixel);
    for (int y = y0; y < insideTop; ++y) {
        CopyShortRow(row(y), outline, width);
    }
    for (int y = insideTop; y < insideBottom; ++y) {
        CopyShortRow(row(y), inside, width);
    }
    for (int y = insideBottom; y < y1; ++y) {
        CopyShortRow(row(y), outline, width);
    }
}

void COffscreenDC::Rectangle(const ViewRect& rect) {
    const ViewRect r = rect.Normalised();
    if (r.IsEmpty()) {
        return;
    }
    if (m_direct.bits != nullptr && m_direct.clipIsRect) {
        FillRectangleDirectly(r);
        return;
    }
    PreparePainter();
    // Two fills give the one-pixel black outline and the brushed inside exactly, with
    // no pen geometry to round.
    const QRect outer(r.left, r.top, r.right - r.left, r.bottom - r.top);
    m_dc->fillRect(outer, Qt::black);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    if (inner.isValid()) {
        m_dc->fillRect(inner, QColor::fromRgb(m_brushPixel));
    }
}

void COffscreenDC::TextOut(int x, int y, const char* text, int length) {
    PreparePainter();
    if (m_ascent < 0) {
        // Asked of the font only when there is text to place: most repaints of a poll
        // tick have none.
        m_ascent = m_dc->fontMetrics().ascent();
    }
    m_dc->drawText(x, y + m_ascent, QString::fromLatin1(text, length));
}
