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

void refuse(CalibrationResult& r, CalibrationProblem problem, bool across, double value)
{
    if (r.problem != CalibrationProblem::None)
        return;
    r.problem = problem;
    r.across = across;
    r.value = value;
}

bool inScale(double scale)
{
    return scale >= ScaleMin - LimitSlack && scale <= ScaleMax + LimitSlack;
}

// The limits a correction must keep, checked direction by direction as the four distances always
// were; a page printed reduced both ways is named as that before any limit.
void checkLimits(CalibrationResult& r)
{
    const Calibration& c = r.calibration;
    const double printedX = 10000 / c.scaleX, printedY = 10000 / c.scaleY;
    if (printedX <= ReducedPrintSize + LimitSlack && printedY <= ReducedPrintSize + LimitSlack)
        refuse(r, CalibrationProblem::ReducedPrint, printedX >= printedY, std::max(printedX, printedY));
    const struct {
        double offset, scale;
        bool across;
    } axes[] = {{c.offsetX, c.scaleX, true}, {c.offsetY, c.scaleY, false}};
    for (const auto& a : axes) {
        if (!inScale(a.scale))
            refuse(r, CalibrationProblem::ScaleOutOfRange, a.across, a.scale);
        if (!(std::fabs(a.offset) <= OffsetLimit + LimitSlack))
            refuse(r, CalibrationProblem::OffsetOutOfRange, a.across, a.offset);
    }
    if (!(std::fabs(c.rotation) <= RotationLimit + LimitSlack))
        refuse(r, CalibrationProblem::RotationOutOfRange, true, c.rotation);
}

// A printer that puts a nominal position p at a + b·p is undone by scale = 100 / b % and
// offset = −a / b mm.
void solve(double m1, double m2, double p1, double p2, bool across, CalibrationResult& r, double& offset,
           double& scale)
{
    if (!std::isfinite(m1) || !std::isfinite(m2))
        return refuse(r, CalibrationProblem::NotANumber, across, 0);
    if (!(m2 > m1))
        return refuse(r, CalibrationProblem::MarksOutOfOrder, across, 0);
    const double b = (m2 - m1) / (p2 - p1);
    const double a = m1 - b * p1;
    scale = 100 / b;
    offset = -a / b;
}

constexpr double Degree = 3.14159265358979323846 / 180;

// Where the printer that c undoes puts the nominal point p: the inverse of
// printed = o + R(φ)·S·p, that is S⁻¹·R(−φ)·(p − o).
void printedPoint(const Calibration& c, double px, double py, double& x, double& y)
{
    const double cs = std::cos(c.rotation * Degree), sn = std::sin(c.rotation * Degree);
    const double ux = px - c.offsetX, uy = py - c.offsetY;
    x = (cs * ux + sn * uy) / (c.scaleX / 100);
    y = (-sn * ux + cs * uy) / (c.scaleY / 100);
}

// Solves the n×n system a·x = b in place by elimination with partial pivoting; false when singular.
template <int N>
bool solveLinear(double (&a)[N][N], double (&b)[N])
{
    for (int col = 0; col < N; ++col) {
        int pivot = col;
        for (int row = col + 1; row < N; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (!(std::fabs(a[pivot][col]) > 1e-300))
            return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int row = col + 1; row < N; ++row) {
            const double f = a[row][col] / a[col][col];
            for (int k = col; k < N; ++k)
                a[row][k] -= f * a[col][k];
            b[row] -= f * b[col];
        }
    }
    for (int row = N - 1; row >= 0; --row) {
        for (int k = row + 1; k < N; ++k)
            b[row] -= a[row][k] * b[k];
        b[row] /= a[row][row];
    }
    return true;
}

// Least squares over the eight distances, in the parameters of the correction itself (offsets,
// scale factors, rotation), by Gauss–Newton from the four-distance answer. The model is nearly
// linear for the small angles a printer makes, so a few steps reach the rounding of a double.
Calibration fitCrosses(const CalibrationCrosses& m, const CalibrationCrosses& p, Calibration c)
{
    for (int step = 0; step < 20; ++step) {
        const double cs = std::cos(c.rotation * Degree), sn = std::sin(c.rotation * Degree);
        const double sx = c.scaleX / 100, sy = c.scaleY / 100;
        double jtj[5][5] = {}, jtr[5] = {};
        for (int i = 0; i < 4; ++i) {
            const double ux = p.x[i] - c.offsetX, uy = p.y[i] - c.offsetY;
            const double vx = cs * ux + sn * uy, vy = -sn * ux + cs * uy;
            // Rows of the Jacobian in (offsetX, offsetY, sx, sy, rotation in radians).
            const double rows[2][5] = {{-cs / sx, -sn / sx, -vx / (sx * sx), 0, vy / sx},
                                       {sn / sy, -cs / sy, 0, -vy / (sy * sy), -vx / sy}};
            const double residual[2] = {vx / sx - m.x[i], vy / sy - m.y[i]};
            for (int k = 0; k < 2; ++k)
                for (int a = 0; a < 5; ++a) {
                    jtr[a] -= rows[k][a] * residual[k];
                    for (int b = 0; b < 5; ++b)
                        jtj[a][b] += rows[k][a] * rows[k][b];
                }
        }
        if (!solveLinear(jtj, jtr))
            break;
        c.offsetX += jtr[0];
        c.offsetY += jtr[1];
        c.scaleX = (sx + jtr[2]) * 100;
        c.scaleY = (sy + jtr[3]) * 100;
        c.rotation += jtr[4] / Degree;
        if (std::fabs(jtr[0]) + std::fabs(jtr[1]) < 1e-12 && std::fabs(jtr[2]) + std::fabs(jtr[3]) + std::fabs(jtr[4]) < 1e-14)
            break;
    }
    return c;
}

double limited(double v, double low, double high, double otherwise)
{
    return std::isfinite(v) ? std::clamp(v, low, high) : otherwise;
}

} // namespace

Calibration clamped(const Calibration& c)
{
    return {limited(c.offsetX, -OffsetLimit, OffsetLimit, 0), limited(c.offsetY, -OffsetLimit, OffsetLimit, 0),
            limited(c.scaleX, ScaleMin, ScaleMax, 100), limited(c.scaleY, ScaleMin, ScaleMax, 100),
            limited(c.rotation, -RotationLimit, RotationLimit, 0)};
}

CalibrationMarks nominalMarks(double paperWidth, double paperHeight)
{
    return {CalibrationMarkInset, paperWidth - CalibrationMarkInset, CalibrationMarkInset,
            paperHeight - CalibrationMarkInset};
}

CalibrationCrosses nominalCrosses(double paperWidth, double paperHeight)
{
    const CalibrationMarks n = nominalMarks(paperWidth, paperHeight);
    return {{n.left, n.right, n.left, n.right}, {n.top, n.top, n.bottom, n.bottom}};
}

CalibrationCrosses printedCrosses(const Calibration& c, double paperWidth, double paperHeight)
{
    const CalibrationCrosses n = nominalCrosses(paperWidth, paperHeight);
    CalibrationCrosses out;
    for (int i = 0; i < 4; ++i)
        printedPoint(c, n.x[i], n.y[i], out.x[i], out.y[i]);
    return out;
}

CalibrationResult calibrationFromMarks(const CalibrationMarks& m, double paperWidth, double paperHeight)
{
    const CalibrationMarks p = nominalMarks(paperWidth, paperHeight);
    CalibrationResult r;
    solve(m.left, m.right, p.left, p.right, true, r, r.calibration.offsetX, r.calibration.scaleX);
    solve(m.top, m.bottom, p.top, p.bottom, false, r, r.calibration.offsetY, r.calibration.scaleY);
    checkLimits(r);
    if (!r.ok())
        r.calibration = {};
    return r;
}

CalibrationResult calibrationFromCrosses(const CalibrationCrosses& m, double paperWidth, double paperHeight)
{
    CalibrationResult r;
    for (int i = 0; i < 4; ++i)
        if (!std::isfinite(m.x[i]) || !std::isfinite(m.y[i]))
            refuse(r, CalibrationProblem::NotANumber, std::isfinite(m.y[i]), 0);
    // Right beyond left, lower beyond upper, for each pair of crosses.
    for (int i : {0, 2})
        if (!(m.x[i + 1] > m.x[i]))
            refuse(r, CalibrationProblem::MarksOutOfOrder, true, 0);
    for (int i : {0, 1})
        if (!(m.y[i + 2] > m.y[i]))
            refuse(r, CalibrationProblem::MarksOutOfOrder, false, 0);
    if (!r.ok())
        return r;
    // The averages of the four-distance way are where the fit starts.
    const CalibrationMarks averaged{(m.x[0] + m.x[2]) / 2, (m.x[1] + m.x[3]) / 2, (m.y[0] + m.y[1]) / 2,
                                    (m.y[2] + m.y[3]) / 2};
    const CalibrationMarks p4 = nominalMarks(paperWidth, paperHeight);
    solve(averaged.left, averaged.right, p4.left, p4.right, true, r, r.calibration.offsetX, r.calibration.scaleX);
    solve(averaged.top, averaged.bottom, p4.top, p4.bottom, false, r, r.calibration.offsetY, r.calibration.scaleY);
    if (r.ok()) {
        r.calibration = fitCrosses(m, nominalCrosses(paperWidth, paperHeight), r.calibration);
        const CalibrationCrosses fitted = printedCrosses(r.calibration, paperWidth, paperHeight);
        for (int i = 0; i < 4; ++i)
            r.residual = std::max({r.residual, std::fabs(fitted.x[i] - m.x[i]), std::fabs(fitted.y[i] - m.y[i])});
        if (!std::isfinite(r.residual) || !std::isfinite(r.calibration.rotation))
            refuse(r, CalibrationProblem::NotANumber, true, 0);
        checkLimits(r);
    }
    if (!r.ok())
        r.calibration = {};
    return r;
}

double rotationMovement(double degrees, double x, double y)
{
    return 2 * std::hypot(x, y) * std::fabs(std::sin(degrees * Degree / 2));
}

CorrectedStyle correctedStyle(const Tlabelpar& s, const Calibration& c)
{
    CorrectedStyle result;
    result.style = s;
    const double gridRight = s.LeftMargin + s.Columns * s.LabelWidth + std::max(0, s.Columns - 1) * s.HorizontalSpacing;
    const double gridBottom = s.TopMargin + s.Rows * s.LabelHeight + std::max(0, s.Rows - 1) * s.VerticalSpacing;
    result.rotationMissed = rotationMovement(c.rotation, gridRight, gridBottom);
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
