#include "labeldata/Alignment.h"

#include "labeldata/Calibration.h"
#include "labeldata/StyleFields.h"

#include <cmath>

namespace labeldata {

namespace {

// Half a step: a target this far before the sheet's edge still rounds onto it.
constexpr long double HalfStep = 0.0127L;

struct Fitted {
    AlignmentProblem problem = AlignmentProblem::None;
    bool unchanged = false;
    GridSteps steps;
};

Fitted fitAxis(double lead, double size, double gap, double sheet, int32_t count, double near, double far)
{
    // Edges where the style puts them: its lengths stay as they are, not moved onto other steps.
    if (near == 0 && far == 0)
        return {AlignmentProblem::None, true, {}};
    const long double span = (long double)(count - 1) * ((long double)size + gap) + size;
    const long double wanted = span + far - near;
    long double tSize = size, tGap = gap;
    if (count >= 2) {
        tGap = (wanted - (long double)count * size) / (count - 1);
        // Butted labels: a pitch below the size is the labels' own size.
        if (tGap < 0) {
            tGap = 0;
            tSize = wanted / count;
        }
    } else {
        tSize = wanted;
    }
    const long double tLead = (long double)lead + near;
    Fitted f;
    if (tLead < -HalfStep)
        f.problem = AlignmentProblem::NegativeMargin;
    else if (!(tSize > 0))
        f.problem = AlignmentProblem::NegativeSize;
    else {
        f.steps = gridSteps(tLead, tSize, tGap, sheet, count, 0);
        if (f.steps.trail < 0 || f.steps.lead > MmToMil(LengthMax) || f.steps.size > MmToMil(LengthMax)
            || f.steps.gap > MmToMil(LengthMax) || f.steps.trail > MmToMil(LengthMax))
            f.problem = AlignmentProblem::LeavesSheet;
    }
    return f;
}

} // namespace

AlignedStyle alignedStyle(const Tlabelpar& s, const AlignmentReadings& r)
{
    AlignedStyle result;
    for (int i = 0; i < int(r.size()); ++i) {
        if (!std::isfinite(r[size_t(i)]) || std::fabs(r[size_t(i)]) > ReadingLimit + 1e-9) {
            result.problem = std::isfinite(r[size_t(i)]) ? AlignmentProblem::ReadingOutOfRange
                                                         : AlignmentProblem::NotANumber;
            result.reading = i;
            return result;
        }
    }
    if (!(s.SheetWidth > 0) || !(s.SheetHeight > 0) || s.Columns < 1 || s.Rows < 1) {
        result.problem = AlignmentProblem::NoLabels;
        return result;
    }
    // The two readings of each edge, as AlignmentScales orders them.
    const double left = (r[0] + r[4]) / 2, right = (r[2] + r[6]) / 2;
    const double top = (r[1] + r[3]) / 2, bottom = (r[5] + r[7]) / 2;
    const std::array<std::pair<int, int>, 4> pairs{{{0, 4}, {1, 3}, {2, 6}, {5, 7}}};
    for (size_t e = 0; e < pairs.size(); ++e)
        result.skewed[e] = std::fabs(r[size_t(pairs[e].first)] - r[size_t(pairs[e].second)]) > SkewLimit + 1e-9;

    result.style = s;
    const struct {
        Fitted fit;
        double& lead;
        double& size;
        double& gap;
        double& trail;
        bool across;
    } axes[] = {
        {fitAxis(s.LeftMargin, s.LabelWidth, s.HorizontalSpacing, s.SheetWidth, s.Columns, left, right),
         result.style.LeftMargin, result.style.LabelWidth, result.style.HorizontalSpacing, result.style.RightMargin, true},
        {fitAxis(s.TopMargin, s.LabelHeight, s.VerticalSpacing, s.SheetHeight, s.Rows, top, bottom),
         result.style.TopMargin, result.style.LabelHeight, result.style.VerticalSpacing, result.style.BottomMargin, false},
    };
    for (const auto& x : axes)
        if (x.fit.problem != AlignmentProblem::None) {
            result.problem = x.fit.problem;
            result.across = x.across;
            result.style = s;
            return result;
        }
    for (const auto& x : axes) {
        if (x.fit.unchanged)
            continue;
        x.lead = MilToMm(uint16_t(x.fit.steps.lead));
        x.size = MilToMm(uint16_t(x.fit.steps.size));
        x.gap = MilToMm(uint16_t(x.fit.steps.gap));
        x.trail = MilToMm(uint16_t(x.fit.steps.trail));
    }
    return result;
}

} // namespace labeldata
