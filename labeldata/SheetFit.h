#pragma once

#include "labeldata/Tlabelpar.h"

#include <vector>

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

// The bands along the paper's edges that a printer cannot print, in millimetres.
struct PrinterMargins {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool operator==(const PrinterMargins&) const = default;
};

enum class PaperEdge { Left, Top, Right, Bottom };

// Something to be printed that reaches into a printer's margin: the edge of the paper, how far
// it reaches in (millimetres beyond the printable area) and that edge's margin.
struct MarginIntrusion {
    int row = -1;    // a label's, from 0
    int column = -1;
    PaperEdge edge = PaperEdge::Left;
    double depth = 0;
    double margin = 0;
};

// Less than this inside a margin is rounding of the printer's sizes, not a cut-off outline.
inline constexpr double MarginTolerance = 0.01;

// How far a box (left, top, right, bottom, from the paper's top left corner) reaches into the
// margins of paper of that size, edge by edge; nothing for an edge it stays clear of.
std::vector<MarginIntrusion> boxInMargins(double left, double top, double right, double bottom, double paperWidth,
                                          double paperHeight, const PrinterMargins& margins);

// The label outlines of a style printed from the paper's top left corner that reach into the
// margins, row by row, each with its row and column.
std::vector<MarginIntrusion> labelsInMargins(const Tlabelpar& style, double paperWidth, double paperHeight,
                                             const PrinterMargins& margins);

} // namespace labeldata
