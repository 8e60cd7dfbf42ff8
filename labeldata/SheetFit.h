#pragma once

#include "labeldata/Tlabelpar.h"

namespace labeldata {

// Stored lengths move by up to 0.0127 mm, so a layout that fits exactly before saving may be
// this much over afterwards and still fits.
inline constexpr double FitTolerance = 0.01;

// Whether the labels fit the sheet across and down: margins, labels and the spacings between
// them against the sheet's width and height.
struct SheetFit {
    long double usedAcross = 0; // left + columns × width + (columns − 1) × spacing + right
    long double usedDown = 0;
    double sheetAcross = 0;     // the sheet's width and height they were measured against
    double sheetDown = 0;
    bool fitsAcross = true;
    bool fitsDown = true;
    double overflowAcross = 0;  // millimetres beyond the sheet; 0 when it fits
    double overflowDown = 0;

    bool fits() const { return fitsAcross && fitsDown; }
};

// A count below 1 puts no labels in that direction, which always fits.
SheetFit sheetFit(const Tlabelpar& style);

} // namespace labeldata
