#pragma once

#include "labeldata/SheetFit.h"

#include <QByteArray>
#include <QDate>
#include <QSizeF>
#include <QString>

#include <vector>

class QPainter;

namespace sheet {

// What the calibration page says about itself in its middle.
struct CalibrationPageText {
    QString paper;   // "A4"; empty for a size without a name
    QString printer; // empty for a PDF
    QDate date;
};

// The crosses and their notes need this much paper; a style's lengths stop at 1000 mm.
inline constexpr double CalibrationPaperMin = 80;
inline constexpr double CalibrationPaperMax = 1000;
bool calibrationPaperUsable(const QSizeF& paperMm);

// Crosses: two arms of this length and width; nothing else is drawn within half the square.
inline constexpr double CrossArm = 10;
inline constexpr double CrossLineWidth = 0.2;
inline constexpr double CrossSquare = 12;

// The crosses whose arms reach into a printer's margins on paper of that size; row and column say
// which cross (0 0 upper left, 0 1 upper right, 1 0 lower left, 1 1 lower right).
std::vector<labeldata::MarginIntrusion> crossesInMargins(const QSizeF& paperMm, const labeldata::PrinterMargins& margins);

// Draws the page on the painter's current page, whose top left corner is the paper's, at
// 100 % and never calibrated: a cross at CalibrationMarkInset from each corner, beside each
// which distance it gives, and in the middle how to measure, the paper, the printer and the date.
void drawCalibrationPage(QPainter& painter, const QSizeF& paperMm, const CalibrationPageText& text);

// The page as a PDF of exactly that paper size. Throws std::invalid_argument for paper the page
// does not fit.
QByteArray calibrationPagePdf(const QSizeF& paperMm, const CalibrationPageText& text);

// Writes it through a temporary file and a rename. Throws labeldata::FileError.
void writeCalibrationPagePdf(const QString& path, const QSizeF& paperMm, const CalibrationPageText& text);

} // namespace sheet
