#pragma once

#include "labeldata/Tlabelpar.h"

#include <array>

namespace labeldata {

// The alignment sheet's scales: ticks every half millimetre from −3 to +3 mm across each outer
// edge of the four corner labels, read where the real label's cut line crosses them.
inline constexpr double ReadingLimit = 3;      // ± millimetres
inline constexpr double ReadingStep = 0.25;    // what a user reads to
inline constexpr double SkewLimit = 0.5;       // the two readings of one edge further apart: crooked

// Where a scale stands: its corner label and which of its outer edges it crosses.
enum class AlignmentEdge { Left, Top, Right, Bottom };
struct AlignmentScale {
    bool lastRow = false;
    bool lastColumn = false;
    AlignmentEdge edge = AlignmentEdge::Left;
};

// The eight scales in the order they are read: row 1 column 1 left and top, row 1 last column
// right and top, last row column 1 left and bottom, last row last column right and bottom.
inline constexpr std::array<AlignmentScale, 8> AlignmentScales{{
    {false, false, AlignmentEdge::Left},
    {false, false, AlignmentEdge::Top},
    {false, true, AlignmentEdge::Right},
    {false, true, AlignmentEdge::Top},
    {true, false, AlignmentEdge::Left},
    {true, false, AlignmentEdge::Bottom},
    {true, true, AlignmentEdge::Right},
    {true, true, AlignmentEdge::Bottom},
}};

// Millimetres, positive to the right and downwards as the printed sheet is seen.
using AlignmentReadings = std::array<double, 8>;

enum class AlignmentProblem {
    None,
    NotANumber,        // a reading that is no finite number
    ReadingOutOfRange, // beyond ±ReadingLimit
    NoLabels,          // no sheet or no labels to align
    NegativeMargin,    // the first label would start before the sheet's edge
    NegativeSize,      // the labels would shrink to nothing
    LeavesSheet,       // the labels would end beyond the sheet's far edge
};

struct AlignedStyle {
    Tlabelpar style;                  // meaningful only without a problem
    AlignmentProblem problem = AlignmentProblem::None;
    int reading = -1;                 // the offending reading's index, for the first two problems
    bool across = true;               // the direction of the others
    // Per edge (AlignmentEdge order): its two readings differ by more than SkewLimit, so the
    // sheet went through the printer at an angle. The fit still takes their mean.
    std::array<bool, 4> skewed{};

    bool ok() const { return problem == AlignmentProblem::None; }
    bool anySkewed() const { return skewed[0] || skewed[1] || skewed[2] || skewed[3]; }
};

// The style moved onto the real labels: per direction the first label's margin moves by the
// near edge's mean reading, the span from the first label's near edge to the last one's far edge
// grows by far − near, which the spacing takes while it stays at 0 or more and the label size
// beyond that (a single label: the size), and the far margin is what the sheet leaves. Lengths
// are chosen in the file's steps as gridSteps chooses them; a direction whose readings are all 0
// keeps its lengths as they are. The name and sheet are kept.
AlignedStyle alignedStyle(const Tlabelpar& style, const AlignmentReadings& readings);

} // namespace labeldata
