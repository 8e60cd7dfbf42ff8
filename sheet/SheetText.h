#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>

// Text on a page drawn in millimetres, shared by the test sheet, the calibration page and the
// alignment sheet.
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

// "プリンター: NAME" in a page's heading; a page saved as a PDF names no printer.
inline QString printerLine(const QString& printer)
{
    return QStringLiteral("プリンター: %1").arg(printer.isEmpty() ? QStringLiteral("(なし: PDF)") : printer);
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

// Lines as one block centred in the box, at the largest size up to maxSize that fits it; false,
// and nothing drawn, when even minSize does not.
inline bool drawCentredLines(QPainter& p, const QStringList& lines, const QRectF& box, double maxSize, double minSize,
                             double lineSpacing)
{
    if (!(box.width() > 0) || !(box.height() > 0) || lines.isEmpty())
        return false;
    const QFontMetricsF unit(sheetFont(1));
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, unit.horizontalAdvance(line) / TextUnits);
    double size = std::min(maxSize, box.height() / (lineSpacing * lines.size()));
    if (widest > 0)
        size = std::min(size, box.width() / widest);
    if (!(size >= minSize))
        return false;
    const QFont font = sheetFont(size);
    const double ascent = QFontMetricsF(font).ascent() / TextUnits;
    const double top = box.top() + (box.height() - size * lineSpacing * lines.size()) / 2;
    const double left = box.left() + (box.width() - widest * size) / 2;
    for (qsizetype k = 0; k < lines.size(); ++k)
        drawText(p, font, left, top + ascent + k * size * lineSpacing, lines[k]);
    return true;
}

} // namespace sheet::text
