#include "labeldata/Calibration.h"

#include "labeldata/StyleFields.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace labeldata {

namespace {

// Limits are compared with this much room, so that marks measured to give exactly 105 % pass.
constexpr double LimitSlack = 1e-9;

struct Axis {
    double scale = 1; // a factor, not percent
    double offset = 0;
    double lead = 0;
    double size = 0;
    double gap = 0;
    double trail = 0;
    double sheet = 0;
    int32_t count = 0;
};

long double toMils(long double mm)
{
    return mm * 10000.0L / 254.0L;
}

// How far the stored grid puts the worst label edge from its target; the edges move linearly
// along the row, so the first and the last label bound it.
long double worstEdge(int64_t lead, int64_t size, int64_t pitch, long double tLead, long double tSize,
                      long double tPitch, int32_t count)
{
    long double worst = 0;
    for (const int64_t j : {int64_t(0), int64_t(count) - 1}) {
        const long double start = (long double)(lead + j * pitch) - (tLead + j * tPitch);
        const long double end = start + (long double)size - tSize;
        worst = std::max({worst, std::fabs(start), std::fabs(end)});
    }
    return worst;
}

} // namespace

GridSteps gridSteps(long double tLeadMm, long double tSizeMm, long double tGapMm, double sheetMm, int32_t count,
                    double trailMm)
{
    const long double tLead = toMils(tLeadMm), tSize = toMils(tSizeMm), tGap = toMils(tGapMm);
    GridSteps m;
    m.lead = std::llround(tLead);
    m.size = std::llround(tSize);
    m.gap = std::llround(tGap);
    if (count >= 2) {
        // Rounding each length alone lets the pitch's error grow along the row. A few steps
        // either way of the size and the pitch, each with the lead that centres the row's
        // errors on its target, find the grid whose worst edge is nearest.
        const long double tPitch = tSize + tGap;
        const int64_t lead0 = m.lead, size0 = m.size, pitch0 = std::llround(tPitch);
        const long double far = (long double)count - 1;
        long double best = -1;
        int bestMoves = 0;
        for (int dw = -2; dw <= 2; ++dw)
            for (int dp = -2; dp <= 2; ++dp) {
                const int64_t size = size0 + dw, pitch = pitch0 + dp;
                if (size < 0 || pitch < size)
                    continue;
                // The edges' errors apart from the lead's: first and last starts and ends.
                const long double ePitch = pitch - tPitch, eSize = size - tSize;
                const long double low = std::min({0.0L, eSize, far * ePitch, far * ePitch + eSize});
                const long double high = std::max({0.0L, eSize, far * ePitch, far * ePitch + eSize});
                const long double ideal = tLead - (low + high) / 2;
                for (const int64_t lead : {int64_t(std::floor(ideal)), int64_t(std::ceil(ideal))}) {
                    if (lead < 0)
                        continue;
                    const long double worst = worstEdge(lead, size, pitch, tLead, tSize, tPitch, count);
                    const int moves = std::abs(dw) + std::abs(dp) + int(std::llabs(lead - lead0));
                    if (best < 0 || worst < best - 1e-9L || (worst < best + 1e-9L && moves < bestMoves)) {
                        best = worst;
                        bestMoves = moves;
                        m.lead = lead;
                        m.size = size;
                        m.gap = pitch - size;
                    }
                }
            }
    }
    m.lead = std::max<int64_t>(m.lead, 0);
    m.size = std::max<int64_t>(m.size, 0);
    m.gap = std::max<int64_t>(m.gap, 0);
    const int64_t sheet = MmToMil(sheetMm);
    if (count >= 1)
        m.trail = sheet - m.lead - int64_t(count) * m.size - int64_t(count - 1) * m.gap;
    else
        m.trail = MmToMil(trailMm);
    return m;
}

namespace {

GridSteps correctAxis(const Axis& a)
{
    GridSteps m = gridSteps(a.offset + (long double)a.scale * a.lead, (long double)a.scale * a.size,
                            (long double)a.scale * a.gap, a.sheet, a.count, a.trail);
    // Labels that grow past the sheet leave no far margin; the fit rule then says so.
    m.trail = std::max<int64_t>(m.trail, 0);
    return m;
}

void solve(double m1, double m2, double p1, double p2, bool across, CalibrationResult& r, double& offset,
           double& scale)
{
    if (r.problem != CalibrationProblem::None)
        return;
    auto refuse = [&](CalibrationProblem problem, double value) {
        r.problem = problem;
        r.across = across;
        r.value = value;
    };
    if (!std::isfinite(m1) || !std::isfinite(m2))
        return refuse(CalibrationProblem::NotANumber, 0);
    if (!(m2 > m1))
        return refuse(CalibrationProblem::MarksOutOfOrder, 0);
    const double b = (m2 - m1) / (p2 - p1);
    const double a = m1 - b * p1;
    scale = 100 / b;
    offset = -a / b;
    if (!(scale >= ScaleMin - LimitSlack && scale <= ScaleMax + LimitSlack))
        return refuse(CalibrationProblem::ScaleOutOfRange, scale);
    if (!(std::fabs(offset) <= OffsetLimit + LimitSlack))
        return refuse(CalibrationProblem::OffsetOutOfRange, offset);
}

} // namespace

CalibrationMarks nominalMarks(double paperWidth, double paperHeight)
{
    return {CalibrationMarkInset, paperWidth - CalibrationMarkInset, CalibrationMarkInset,
            paperHeight - CalibrationMarkInset};
}

CalibrationResult calibrationFromMarks(const CalibrationMarks& m, double paperWidth, double paperHeight)
{
    const CalibrationMarks p = nominalMarks(paperWidth, paperHeight);
    CalibrationResult r;
    solve(m.left, m.right, p.left, p.right, true, r, r.calibration.offsetX, r.calibration.scaleX);
    solve(m.top, m.bottom, p.top, p.bottom, false, r, r.calibration.offsetY, r.calibration.scaleY);
    if (!r.ok())
        r.calibration = {};
    return r;
}

CorrectedStyle correctedStyle(const Tlabelpar& s, const Calibration& c)
{
    CorrectedStyle result;
    result.style = s;
    const Axis across{c.scaleX / 100, c.offsetX, s.LeftMargin, s.LabelWidth, s.HorizontalSpacing, s.RightMargin,
                      s.SheetWidth, s.Columns};
    const Axis down{c.scaleY / 100, c.offsetY, s.TopMargin, s.LabelHeight, s.VerticalSpacing, s.BottomMargin,
                    s.SheetHeight, s.Rows};
    const int64_t most = MmToMil(LengthMax);
    struct {
        const Axis& axis;
        double& lead;
        double& size;
        double& gap;
        double& trail;
        bool across;
    } axes[] = {{across, result.style.LeftMargin, result.style.LabelWidth, result.style.HorizontalSpacing,
                 result.style.RightMargin, true},
                {down, result.style.TopMargin, result.style.LabelHeight, result.style.VerticalSpacing,
                 result.style.BottomMargin, false}};
    for (auto& x : axes) {
        const long double lead = x.axis.offset + (long double)x.axis.scale * x.axis.lead;
        if (!std::isfinite(double(lead)) || toMils(lead) < -0.5L) {
            result.problem = CorrectionProblem::NegativeLength;
            result.across = x.across;
            return result;
        }
        const GridSteps m = correctAxis(x.axis);
        if (std::max({m.lead, m.size, m.gap, m.trail}) > most) {
            result.problem = CorrectionProblem::LengthTooLong;
            result.across = x.across;
            return result;
        }
        x.lead = MilToMm(uint16_t(m.lead));
        x.size = MilToMm(uint16_t(m.size));
        x.gap = MilToMm(uint16_t(m.gap));
        x.trail = MilToMm(uint16_t(m.trail));
    }
    return result;
}

} // namespace labeldata
