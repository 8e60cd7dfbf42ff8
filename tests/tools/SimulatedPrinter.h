#pragma once

// A printer simulated on a PDF: poppler draws the page stretched per direction at 100 pixels a
// millimetre, and the shift is added to what is found on it.
#include "labeldata/Tlabelpar.h"

#include "PdfProbe.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <cmath>
#include <memory>
#include <string>

constexpr int PxPerMm = 100; // 2540 dpi

// A printer that puts a nominal position p at a + b·p, per direction.
struct Printer {
    double ax, bx, ay, by;
};

// A part of the page as that printer would put it on paper.
struct Patch {
    int left = 0, top = 0, width = 0, height = 0; // pixels of the stretched page
    pdfprobe::Raster raster;

    double ink(int x, int y) const { return raster.ink(x, y); }
};

// The stretched page's size in pixels: whole pixels, so the scale drawn is near b, not b.
inline QSizeF stretchedPage(QSizeF paperMm, const Printer& pr)
{
    return {std::round(paperMm.width() * pr.bx * PxPerMm), std::round(paperMm.height() * pr.by * PxPerMm)};
}

inline Patch patch(const QString& pdf, QSizeF stretchedPx, QPointF centrePx, QSizeF sizeMm)
{
    Patch p;
    p.width = int(sizeMm.width() * PxPerMm);
    p.height = int(sizeMm.height() * PxPerMm);
    p.left = int(centrePx.x()) - p.width / 2;
    p.top = int(centrePx.y()) - p.height / 2;
    const QByteArray pgm = pdfprobe::run(
        QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-scale-to-x"), QString::number(int(stretchedPx.width())),
         QStringLiteral("-scale-to-y"), QString::number(int(stretchedPx.height())), QStringLiteral("-x"),
         QString::number(p.left), QStringLiteral("-y"), QString::number(p.top), QStringLiteral("-W"),
         QString::number(p.width), QStringLiteral("-H"), QString::number(p.height), pdf});
    p.raster = pdfprobe::fromPgm(pgm);
    return p;
}

inline Patch patch(const QString& pdf, QSizeF stretchedPx, QPointF centrePx, double sizeMm)
{
    return patch(pdf, stretchedPx, centrePx, QSizeF(sizeMm, sizeMm));
}

// The printer's scale as poppler drew it: the stretched page has whole pixels.
inline double actualScale(double paperMm, double b)
{
    return std::round(paperMm * b * PxPerMm) / (paperMm * PxPerMm);
}

inline std::unique_ptr<Tlabelpar> style(std::string name, double sheetW, double sheetH, double labelW, double labelH,
                                        int columns, int rows, double left, double top, double gapX, double gapY)
{
    auto s = std::make_unique<Tlabelpar>();
    s->Name = std::move(name);
    s->SheetWidth = sheetW, s->SheetHeight = sheetH, s->LabelWidth = labelW, s->LabelHeight = labelH;
    s->Columns = columns, s->Rows = rows, s->LeftMargin = left, s->TopMargin = top;
    s->HorizontalSpacing = gapX, s->VerticalSpacing = gapY;
    s->RightMargin = sheetW - left - columns * labelW - (columns - 1) * gapX;
    s->BottomMargin = sheetH - top - rows * labelH - (rows - 1) * gapY;
    return s;
}
