#pragma once

#include "labeldata/Alignment.h"
#include "sheet/TestSheet.h"

#include <QByteArray>
#include <QDate>
#include <QString>

class QPainter;

namespace sheet {

// What the alignment sheet says about itself in its middle.
struct AlignmentSheetText {
    SheetTitles titles;
    QString printer; // empty for a PDF
    QDate date;
};

// A scale's ticks: every AlignmentTickStep from −ReadingLimit to +ReadingLimit, this wide and long.
inline constexpr double AlignmentTickStep = 0.5;
inline constexpr double AlignmentTickWidth = 0.1;
inline constexpr double AlignmentTickZero = 4;   // at the edge's nominal place
inline constexpr double AlignmentTickWhole = 3;  // at whole millimetres
inline constexpr double AlignmentTickHalf = 2;
// Nothing but the ticks within this distance of a scale's line, along AlignmentBandLength
// either side of the edge.
inline constexpr double AlignmentBand = 2.2;
inline constexpr double AlignmentBandLength = 3.5;

// "①" … "⑧": how the sheet numbers reading k (AlignmentScales order).
QString readingMark(int k);
// "左端", "上端", "右端", "下端".
QString alignmentEdgeName(labeldata::AlignmentEdge edge);

// Where scale k (AlignmentScales order) crosses its edge: its centre, in millimetres of the
// style's sheet, and whether its line runs across (a scale of a left or right edge).
struct ScalePlace {
    double x = 0;
    double y = 0;
    bool across = true;
};
ScalePlace scalePlace(const Tlabelpar& style, int scale);

// Draws the alignment sheet of a drawable style on the painter's current page, whose top left
// corner is the sheet's, moved and scaled by the calibration as the test sheet is: two scales
// in each corner label, a note there of which to read, and in the middle how to read them.
// No label outlines: the real labels' cut lines are what is read.
void drawAlignmentSheet(QPainter& painter, const Tlabelpar& style, const AlignmentSheetText& text,
                        const Calibration& calibration = {});

// The sheet as a PDF of the sheet's size. Throws std::invalid_argument for a style with a
// sheet problem.
QByteArray alignmentSheetPdf(const Tlabelpar& style, const AlignmentSheetText& text, const Calibration& calibration = {});
// Writes it as labeldata::writeFileDurably writes. Throws labeldata::FileError.
void writeAlignmentSheetPdf(const QString& path, const Tlabelpar& style, const AlignmentSheetText& text,
                            const Calibration& calibration = {});

} // namespace sheet
