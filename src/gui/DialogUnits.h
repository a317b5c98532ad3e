#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog-template units to pixels by the metrics of the dialog's font, the
// way dialog templates are laid out: a horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    // The font dialog templates name: "MS Sans Serif" 8, or the closest sans serif.
    static QFont TemplateFont();

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};
