#pragma once

#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QString>

#include <algorithm>

// Text on a page drawn in millimetres, shared by the test sheet and the calibration page.
namespace sheet::text {

// Text is laid out in hundredths of a millimetre: a font's pixel size is whole units, and whole
// millimetres would be far too coarse.
inline constexpr double TextUnits = 100;

inline QFont sheetFont(double sizeMm)
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(sizeMm * TextUnits + 0.5)));
    return font;
}

// Draws text with its baseline starting at (x, y) millimetres.
inline void drawText(QPainter& p, const QFont& font, double x, double y, const QString& text)
{
    p.save();
    p.translate(x, y);
    p.scale(1 / TextUnits, 1 / TextUnits);
    p.setFont(font);
    p.drawText(QPointF(0, 0), text);
    p.restore();
}

} // namespace sheet::text
