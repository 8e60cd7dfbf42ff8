#pragma once

#include "labeldata/Tlabelpar.h"

#include <cstdint>

namespace labeldata {

// A printer's correction: printed position = offset + scale × position, per direction.
struct Calibration {
    double offsetX = 0; // millimetres
    double offsetY = 0;
    double scaleX = 100; // percent
    double scaleY = 100;

    bool operator==(const Calibration&) const = default;
};

inline constexpr double OffsetLimit = 20; // ± millimetres
inline constexpr double ScaleMin = 95;    // percent
inline constexpr double ScaleMax = 105;

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

enum class CalibrationProblem {
    None,
    NotANumber,      // a mark that is no finite number
    MarksOutOfOrder, // the second mark of a direction not beyond the first
    OffsetOutOfRange,
    ScaleOutOfRange,
};

struct CalibrationResult {
    Calibration calibration;     // meaningful only without a problem
    CalibrationProblem problem = CalibrationProblem::None;
    bool across = true;          // the direction the problem is in: across (x) or down (y)
    double value = 0;            // the offending offset (mm) or scale (%)

    bool ok() const { return problem == CalibrationProblem::None; }
};

// A printer that puts a nominal position p at a + b·p, seen through two marks per direction,
// is undone by scale = 100 / b % and offset = −a / b mm.
CalibrationResult calibrationFromMarks(const CalibrationMarks& measured, double paperWidth, double paperHeight);

enum class CorrectionProblem {
    None,
    NegativeLength, // the offset would put the first label before the sheet's edge
    LengthTooLong,  // a length beyond what a style holds
};

struct CorrectedStyle {
    Tlabelpar style;
    CorrectionProblem problem = CorrectionProblem::None;
    bool across = true;

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
