#pragma once

#include "labeldata/Calibration.h"
#include "labeldata/Tlabelpar.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <cstdint>

class QPainter;

namespace sheet {

// What the test sheet says about whose layout it is.
struct SheetTitles {
    QString group;
    QString style;
};

// A printer's correction, kept in labeldata beside the arithmetic that makes it and the styles it
// corrects.
using labeldata::Calibration;
using labeldata::OffsetLimit;
using labeldata::ScaleMax;
using labeldata::ScaleMin;

// Why a style cannot be put on a page; each program words it for its own user.
enum class SheetProblem {
    None,
    NoSheet,  // a sheet width or height of 0
    NoLabels, // rows or columns below 1
    TooManyLabels, // more than MaxLabels: a file may hold 65535 × 65535
};
// As many as the editor's largest grid, 1000 × 1000.
inline constexpr int64_t MaxLabels = 1000 * 1000;
SheetProblem problemOf(const Tlabelpar& style);

// "台紙 210.00 × 297.00 mm / ラベル 91.00 × 55.00 mm / 2 列 × 5 行 / 余白 … / 間隔 …"
QString sizeCaption(const Tlabelpar& style);

// The sheet itself as the page: its exact size, never a standard one near it, and no margins.
QPageLayout pageLayout(const Tlabelpar& style);
QPageLayout pageLayout(const QSizeF& paperMm);

// Lets the painter draw in millimetres from the sheet's corner, moved and scaled as the printer's
// correction says. Every page printed for a sheet goes through here.
void setSheetTransform(QPainter& painter, const Calibration& calibration);

// Draws the test sheet of a drawable style on the painter's current page, whose top left corner
// is the sheet's. Lengths are the style's own, unrounded; the calibration maps every mark.
void drawTestSheet(QPainter& painter, const Tlabelpar& style, const SheetTitles& titles,
                   const Calibration& calibration = {});

inline constexpr double RulerLength = 100;

} // namespace sheet
