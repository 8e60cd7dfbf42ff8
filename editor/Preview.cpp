#include "editor/Preview.h"

#include "editor/PreviewGeometry.h"
#include "toolkit/Canvas.h"
#include "toolkit/Conversions.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Pixel positions saturate here: far beyond any surface, yet sums of a few stay in int64_t.
constexpr int64_t PositionLimit = int64_t{1} << 40;
// Whole-millimetre lengths are held to this, so L + j * (LW + HS) + LW fits in int64_t for
// every 32-bit column index.
constexpr int64_t LengthLimit = 1'000'000'000;

int64_t saturate(Extended v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<Extended>(PositionLimit))
        return PositionLimit;
    if (v <= -static_cast<Extended>(PositionLimit))
        return -PositionLimit;
    return static_cast<int64_t>(v);
}

int64_t truncate(Extended v)
{
    return saturate(std::trunc(v));
}

int64_t wholeMillimetres(Extended v)
{
    return std::clamp(RoundHalfEven(v), -LengthLimit, LengthLimit);
}

using namespace previewColor;

// Last index in [0, count) for which a predicate that holds on a prefix is true, or -1,
// searched onwards from an index already known to pass (or -1): the strides double until one
// fails, then the gap is halved.
template <typename Pred>
int64_t lastTrue(int64_t known, int64_t count, Pred pred)
{
    int64_t lo = known;
    int64_t hi = count;
    for (int64_t stride = 1; lo + stride < count; stride *= 2) {
        if (!pred(lo + stride)) {
            hi = lo + stride;
            break;
        }
        lo += stride;
    }
    while (hi - lo > 1) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid))
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// For each pixel position along one axis: the last label index covering it (-1 for none) and
// whether that label has its outline there. Both ends of a label move in the same direction
// as the index grows (towards larger pixels when the step is not negative), so the labels
// starting at or before a pixel form a prefix, and the last covering label is the last of
// that prefix if it reaches the pixel. Walking the pixels in the direction in which the prefix
// only grows lets each search start where the previous one ended.
template <typename From, typename To>
void coverage(int size, int64_t count, int64_t step, From from, To to,
              std::vector<int64_t>& last, std::vector<char>& edge)
{
    last.assign(size, -1);
    edge.assign(size, 0);
    if (count <= 0)
        return;
    int64_t known = -1;
    for (int i = 0; i < size; ++i) {
        const int p = step >= 0 ? i : size - 1 - i;
        int64_t n;
        if (step >= 0) {
            n = known = lastTrue(known, count, [&](int64_t j) { return from(j) <= p; });
            if (n < 0 || to(n) < p)
                continue;
        } else {
            n = known = lastTrue(known, count, [&](int64_t j) { return to(j) >= p; });
            if (n < 0 || from(n) > p)
                continue;
        }
        last[p] = n;
        edge[p] = (from(n) == p || to(n) == p) ? 1 : 0;
    }
}

} // namespace

PreviewGeometry measurePreview(const QImage& surface, const PreviewInput& in)
{
    PreviewGeometry g;
    g.width = surface.width();
    g.height = surface.height();
    // Too small a surface leaves no room for the 10-pixel border the scale is built on.
    if (g.width <= 10 || g.height <= 10)
        return g;

    const Extended a = in[&Tlabelpar::SheetHeight] / static_cast<Extended>(g.height - 10);
    const Extended b = in[&Tlabelpar::SheetWidth] / static_cast<Extended>(g.width - 10);
    // Kept in extended precision: as a double, 297 / 279 comes out a hair small and the
    // default A4 sheet would start one row higher.
    g.k = a > b ? a : b;
    // Both sheet sizes 0 (or no usable size at all) leave nothing to scale: blank surface.
    if (!(g.k > 0) || !std::isfinite(g.k))
        return g;
    g.hasSheet = true;

    const int64_t sw = wholeMillimetres(in[&Tlabelpar::SheetWidth]);
    const int64_t sh = wholeMillimetres(in[&Tlabelpar::SheetHeight]);
    g.x0 = truncate((static_cast<Extended>(g.width) - in[&Tlabelpar::SheetWidth] / g.k) / 2);
    g.y0 = truncate((static_cast<Extended>(g.height) - in[&Tlabelpar::SheetHeight] / g.k) / 2);
    g.x1 = g.toX(sw);
    g.y1 = g.toY(sh);

    g.left = wholeMillimetres(in[&Tlabelpar::LeftMargin]);
    g.top = wholeMillimetres(in[&Tlabelpar::TopMargin]);
    g.xl = g.toX(g.left);
    g.xr = g.toX(sw - wholeMillimetres(in[&Tlabelpar::RightMargin]));
    g.yt = g.toY(g.top);
    g.yb = g.toY(sh - wholeMillimetres(in[&Tlabelpar::BottomMargin]));

    g.labelWidth = wholeMillimetres(in[&Tlabelpar::LabelWidth]);
    g.labelHeight = wholeMillimetres(in[&Tlabelpar::LabelHeight]);
    g.stepX = g.labelWidth + wholeMillimetres(in[&Tlabelpar::HorizontalSpacing]);
    g.stepY = g.labelHeight + wholeMillimetres(in[&Tlabelpar::VerticalSpacing]);
    g.rows = in[&Tlabelpar::Rows];
    g.columns = in[&Tlabelpar::Columns];
    return g;
}

void drawPreviewSheet(TCanvas& canvas, const PreviewGeometry& g)
{
    canvas.SetPenColor(QColor::fromRgb(Black));
    canvas.SetPenStyle(psSolid);
    canvas.SetBrushColor(QColor::fromRgb(White));
    // One pixel past the surface on the right and bottom: only the top and left outline show.
    canvas.Rectangle(0, 0, int64_t{g.width} + 1, int64_t{g.height} + 1);
    if (!g.hasSheet)
        return;

    canvas.Rectangle(g.x0, g.y0, g.x1 + 1, g.y1 + 1);

    canvas.SetPenColor(QColor::fromRgb(Red));
    canvas.SetPenStyle(psDot);
    canvas.MoveTo(g.xl, g.y0);
    canvas.LineTo(g.xl, g.y1);
    canvas.MoveTo(g.xr, g.y0);
    canvas.LineTo(g.xr, g.y1);
    canvas.MoveTo(g.x0, g.yt);
    canvas.LineTo(g.x1, g.yt);
    canvas.MoveTo(g.x0, g.yb);
    canvas.LineTo(g.x1, g.yb);
}

int64_t RoundHalfEven(Extended v)
{
    if (!(std::fabs(v) < static_cast<Extended>(PositionLimit)))
        return saturate(v); // NaN and values at the limits
    // Done by hand rather than with the current rounding mode, which a library may change.
    const auto whole = static_cast<int64_t>(v); // towards zero
    const Extended fraction = v - static_cast<Extended>(whole); // exact below 2^40
    if (fraction > 0.5L || (fraction == 0.5L && (whole & 1) != 0))
        return whole + 1;
    if (fraction < -0.5L || (fraction == -0.5L && (whole & 1) != 0))
        return whole - 1;
    return whole;
}

void DrawPreview(QImage& surface, const PreviewInput& input)
{
    TCanvas canvas(surface);
    const PreviewGeometry g = measurePreview(surface, input);
    drawPreviewSheet(canvas, g);
    if (!g.hasSheet || g.rows <= 0 || g.columns <= 0)
        return;

    // The last label drawn over a pixel wins. Label (i, j) covers it when its row covers y and
    // its column covers x, so the winner is the last covering row with the last covering column.
    std::vector<int64_t> lastColumn, lastRow;
    std::vector<char> columnEdge, rowEdge;
    coverage(g.width, g.columns, g.stepX,
             [&](int64_t j) { return g.columnFrom(j); }, [&](int64_t j) { return g.columnTo(j); },
             lastColumn, columnEdge);
    coverage(g.height, g.rows, g.stepY,
             [&](int64_t i) { return g.rowFrom(i); }, [&](int64_t i) { return g.rowTo(i); },
             lastRow, rowEdge);

    // Every covered row shows one of two patterns over the covered columns: all outline where
    // the row is a label's top or bottom, otherwise the columns' own outline and inside.
    std::vector<QRgb> inside(g.width);
    std::vector<std::pair<int, int>> runs; // covered columns [first, second)
    for (int x = 0; x < g.width; ++x) {
        inside[x] = columnEdge[x] ? Blue : White;
        if (lastColumn[x] < 0)
            continue;
        if (!runs.empty() && runs.back().second == x)
            runs.back().second = x + 1;
        else
            runs.emplace_back(x, x + 1);
    }
    for (int y = 0; y < g.height; ++y) {
        if (lastRow[y] < 0)
            continue;
        auto* line = reinterpret_cast<QRgb*>(surface.scanLine(y));
        for (const auto& [from, to] : runs) {
            if (rowEdge[y])
                std::fill(line + from, line + to, Blue);
            else
                std::copy(inside.begin() + from, inside.begin() + to, line + from);
        }
    }
}

PreviewInput PreviewInput::of(const Tlabelpar& style)
{
    PreviewInput input;
    for (size_t i = 0; i < labeldata::StyleFields.size(); ++i)
        input.values[i] = labeldata::StyleFields[i].value(style);
    return input;
}

QString DescribePreview(const PreviewInput& input)
{
    return QStringLiteral("台紙 %1 × %2 mm、%3 列 × %4 行のラベル")
        .arg(FloatToStr(input[&Tlabelpar::SheetWidth]), FloatToStr(input[&Tlabelpar::SheetHeight]),
             QString::number(input[&Tlabelpar::Columns]), QString::number(input[&Tlabelpar::Rows]));
}
