#pragma once

#include "labeldata/Tlabelpar.h"

#include <cstdint>

namespace labeldata {

// A printer's correction: printed position = offset + rotation × scale × position, the rotation
// about the paper's top-left corner.
struct Calibration {
    double offsetX = 0; // millimetres
    double offsetY = 0;
    double scaleX = 100; // percent
    double scaleY = 100;
    double rotation = 0; // degrees, clockwise as the page is seen (y down)

    bool operator==(const Calibration&) const = default;
};

inline constexpr double OffsetLimit = 20; // ± millimetres
inline constexpr double ScaleMin = 95;    // percent
inline constexpr double ScaleMax = 105;
inline constexpr double RotationLimit = 2; // ± degrees: 10 mm at the far corner of A4
// A page that came out at this size or smaller both ways was printed reduced ("fit to page").
inline constexpr double ReducedPrintSize = 98.5; // percent
// How close a corrected style puts every label edge; a rotation it cannot hold that moves a label
// further is worth a word.
inline constexpr double CorrectionTolerance = 0.1; // mm
// Eight distances that a fit misses by more than this were measured badly.
inline constexpr double ResidualWarning = 0.15; // mm

// The values within those limits; a value that is no number becomes the neutral one.
Calibration clamped(const Calibration& calibration);

// The calibration page's crosses stand this far in from each edge of the paper.
inline constexpr double CalibrationMarkInset = 10;

// What the user measured with a ruler on the printed calibration page, in millimetres from the
// paper's left or top edge: the vertical lines of the left and right crosses, the horizontal lines
// of the upper and lower crosses.
struct CalibrationMarks {
    double left = CalibrationMarkInset;
    double right = 0;
    double top = CalibrationMarkInset;
    double bottom = 0;
};

// The marks where a perfect printer puts them on paper of that size.
CalibrationMarks nominalMarks(double paperWidth, double paperHeight);

// Each cross on its own, in the order upper-left, upper-right, lower-left, lower-right: from the
// paper's left edge to its vertical line (x) and from its top edge to its horizontal line (y).
struct CalibrationCrosses {
    double x[4] = {};
    double y[4] = {};
};
CalibrationCrosses nominalCrosses(double paperWidth, double paperHeight);
// Where a printer that this correction undoes puts the crosses.
CalibrationCrosses printedCrosses(const Calibration& calibration, double paperWidth, double paperHeight);

enum class CalibrationProblem {
    None,
    NotANumber,      // a mark that is no finite number
    MarksOutOfOrder, // the second mark of a direction not beyond the first
    OffsetOutOfRange,
    ScaleOutOfRange,
    RotationOutOfRange,
    ReducedPrint, // both ways at ReducedPrintSize or less: printed with "fit to page"
};

struct CalibrationResult {
    Calibration calibration;     // meaningful only without a problem
    CalibrationProblem problem = CalibrationProblem::None;
    bool across = true;          // the direction the problem is in: across (x) or down (y)
    double value = 0;            // the offending offset (mm), scale (%), rotation (°) or printed size (%)
    double residual = 0;         // mm: the largest distance the fit misses; 0 with four distances

    bool ok() const { return problem == CalibrationProblem::None; }
};

// A printer that puts a nominal position p at a + b·p, seen through two marks per direction,
// is undone by scale = 100 / b % and offset = −a / b mm.
CalibrationResult calibrationFromMarks(const CalibrationMarks& measured, double paperWidth, double paperHeight);
// From eight distances: offset, scale per direction and one rotation fitted by least squares to
// where the printer put the crosses; the residual tells a skewed sheet from a misread distance.
CalibrationResult calibrationFromCrosses(const CalibrationCrosses& measured, double paperWidth, double paperHeight);

// How far a rotation about the paper's top-left corner moves the point (x, y) mm from it.
double rotationMovement(double degrees, double x, double y);

enum class CorrectionProblem {
    None,
    NegativeLength, // the offset would put the first label before the sheet's edge
    LengthTooLong,  // a length beyond what a style holds
};

struct CorrectedStyle {
    Tlabelpar style;
    CorrectionProblem problem = CorrectionProblem::None;
    bool across = true;
    // A style holds no rotation: how far the correction's rotation would move the label grid's
    // farthest corner, which the corrected style leaves where it is.
    double rotationMissed = 0; // mm

    bool ok() const { return problem == CorrectionProblem::None; }
};

// A row (or column) of labels in the file's 0.0254 mm steps.
struct GridSteps {
    int64_t lead = 0;
    int64_t size = 0;
    int64_t gap = 0;
    int64_t trail = 0; // what the sheet leaves; below 0 when the labels leave it
};

// The steps that put every label edge of a row of count labels as close as they allow to its
// target: lead + j × (size + gap) and that plus size, in millimetres. The lead, size and gap
// stay at 0 or more; a row of no labels keeps its far margin.
GridSteps gridSteps(long double lead, long double size, long double gap, double sheet, int32_t count, double trail);

// The style a program that prints uncorrected must be given so that this printer puts the
// labels where the style puts them: the first label's margins become offset + scale × margin,
// label sizes and spacings are multiplied by the scale, the sheet stays and the far margins take
// what the grid leaves. The lengths are chosen in the file's 0.0254 mm steps so that every label
// edge of the stored grid lands as close to its place as the steps allow. The name is kept.
CorrectedStyle correctedStyle(const Tlabelpar& style, const Calibration& calibration);

} // namespace labeldata
