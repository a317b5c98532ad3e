#include "render/ChartText.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QThread>

namespace {

// The texts of the application's charts: axis numbers, titles and labels, a few hundred at
// most. Every text goes through a kept layout, even one drawn only once, so that a text
// lands on the same pixels whichever way it was drawn before. The bound keeps a window
// that shows ever new numbers from growing without end.
struct TextLayouts {
    static constexpr qsizetype kMostTexts = 1024;
    QFont font;
    QHash<QString, QStaticText> texts;

    const QStaticText& For(const QString& text, const QFont& painterFont) {
        if (painterFont != font || texts.size() >= kMostTexts) {
            texts.clear();
            font = painterFont;
        }
        auto found = texts.find(text);
        if (found == texts.end()) {
            QStaticText layout(text);
            layout.setTextFormat(Qt::PlainText);
            layout.setPerformanceHint(QStaticText::AggressiveCaching);
            layout.prepare(QTransform(), font);
            found = texts.insert(text, layout);
        }
        return *found;
    }
};

// The application's layouts, freed with it: a font must not outlive the application.
// Null on any other thread, which draws its texts without them.
TextLayouts* ApplicationLayouts() {
    static TextLayouts* layouts = nullptr;
    const QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return nullptr;
    }
    if (layouts == nullptr) {
        layouts = new TextLayouts;
        qAddPostRoutine([] {
            delete layouts;
            layouts = nullptr;
        });
    }
    return layouts;
}

} // namespace

void DrawChartText(QPainter& painter, const QRect& rect, int flags, const QString& text,
                   const QRegion& area) {
    if (!area.isEmpty() && !area.intersects(rect)) {
        return;
    }
    TextLayouts* layouts = ApplicationLayouts();
    if (layouts == nullptr) {
        painter.drawText(rect, flags, text);
        return;
    }
    const QStaticText& layout = layouts->For(text, painter.font());
    const QSizeF size = layout.size();
    qreal x = rect.x();
    if (flags & Qt::AlignRight) {
        x = rect.x() + rect.width() - size.width();
    } else if (flags & Qt::AlignHCenter) {
        x = rect.x() + (rect.width() - size.width()) / 2;
    }
    qreal y = rect.y();
    if (flags & Qt::AlignBottom) {
        y = rect.y() + rect.height() - size.height();
    } else if (flags & Qt::AlignVCenter) {
        y = rect.y() + (rect.height() - size.height()) / 2;
    }
    // Like drawText, a text larger than its rectangle is cut at its edges.
    const bool fits = size.width() <= rect.width() && size.height() <= rect.height();
    if (!fits) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
    }
    painter.drawStaticText(QPointF(x, y), layout);
    if (!fits) {
        painter.restore();
    }
}
