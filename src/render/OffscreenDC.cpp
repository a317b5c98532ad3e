#include "render/OffscreenDC.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QString>
#include <QtMath>

namespace {

// A fresh device context's colours: black text on an opaque white background.
const QColor kBackground(Qt::white);
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
    : m_pTargetDC(&target), m_rect(clipBox),
      m_bOffscreen(!IsPrinting(target) && !IsRasterTarget(target)), m_dc(&target) {
    // The text keeps its screen size in pixels on every target, so an image or a printed
    // page shows the screen's picture unscaled, one logical unit per device pixel.
    QFont font = target.font();
    font.setPixelSize(QFontInfo(font).pixelSize());
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
        m_dc = &m_memoryDC;
    } else {
        m_pTargetDC->save();
        if (!IsPrinting(target)) {
            // Nothing outside the area changes, as with an image of the area's size.
            m_pTargetDC->setClipRect(m_rect, Qt::IntersectClip);
        }
    }
    m_dc->setFont(font);
    m_dc->setPen(kTextColour);
    m_dc->setBackground(kBackground);
    m_dc->setBackgroundMode(Qt::OpaqueMode);
    m_ascent = m_dc->fontMetrics().ascent();
}

COffscreenDC::~COffscreenDC() {
    if (m_bOffscreen) {
        m_memoryDC.end();
        m_pTargetDC->drawImage(m_rect.topLeft(), m_bitmap);
    } else {
        m_pTargetDC->restore();
    }
}

QColor COffscreenDC::FromColorref(Colorref colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void COffscreenDC::FillBackground() {
    m_dc->fillRect(m_rect, kBackground);
}

void COffscreenDC::SelectBrush(Colorref colour) {
    m_brush = FromColorref(colour);
}

void COffscreenDC::Rectangle(const ViewRect& rect) {
    const ViewRect r = rect.Normalised();
    if (r.IsEmpty()) {
        return;
    }
    // Two fills give the one-pixel black outline and the brushed inside exactly, with
    // no pen geometry to round.
    const QRect outer(r.left, r.top, r.right - r.left, r.bottom - r.top);
    m_dc->fillRect(outer, Qt::black);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    if (inner.isValid()) {
        m_dc->fillRect(inner, m_brush);
    }
}

void COffscreenDC::TextOut(int x, int y, const char* text, int length) {
    m_dc->drawText(x, y + m_ascent, QString::fromLatin1(text, length));
}
