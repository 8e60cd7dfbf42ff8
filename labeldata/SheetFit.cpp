#include "labeldata/SheetFit.h"

namespace labeldata {

namespace {

void measure(double lead, int32_t count, double size, double gap, double trail, double sheet, long double& used,
             bool& fits, double& overflow)
{
    if (count < 1)
        return;
    used = (long double)lead + (long double)count * size + (long double)(count - 1) * gap + trail;
    fits = !(used > (long double)sheet + FitTolerance);
    overflow = fits ? 0 : double(used - (long double)sheet);
}

} // namespace

SheetFit sheetFit(const Tlabelpar& s)
{
    SheetFit fit;
    fit.sheetAcross = s.SheetWidth;
    fit.sheetDown = s.SheetHeight;
    measure(s.LeftMargin, s.Columns, s.LabelWidth, s.HorizontalSpacing, s.RightMargin, s.SheetWidth, fit.usedAcross,
            fit.fitsAcross, fit.overflowAcross);
    measure(s.TopMargin, s.Rows, s.LabelHeight, s.VerticalSpacing, s.BottomMargin, s.SheetHeight, fit.usedDown,
            fit.fitsDown, fit.overflowDown);
    return fit;
}

std::vector<MarginIntrusion> boxInMargins(double left, double top, double right, double bottom, double paperWidth,
                                          double paperHeight, const PrinterMargins& m)
{
    const struct {
        PaperEdge edge;
        double depth;
        double margin;
    } edges[] = {{PaperEdge::Left, m.left - left, m.left},
                 {PaperEdge::Top, m.top - top, m.top},
                 {PaperEdge::Right, right - (paperWidth - m.right), m.right},
                 {PaperEdge::Bottom, bottom - (paperHeight - m.bottom), m.bottom}};
    std::vector<MarginIntrusion> found;
    for (const auto& e : edges)
        if (e.depth > MarginTolerance)
            found.push_back({-1, -1, e.edge, e.depth, e.margin});
    return found;
}

std::vector<MarginIntrusion> labelsInMargins(const Tlabelpar& s, double paperWidth, double paperHeight,
                                             const PrinterMargins& margins)
{
    std::vector<MarginIntrusion> found;
    for (int32_t row = 0; row < s.Rows; ++row) {
        const double top = s.TopMargin + row * (s.LabelHeight + s.VerticalSpacing);
        for (int32_t column = 0; column < s.Columns; ++column) {
            const double left = s.LeftMargin + column * (s.LabelWidth + s.HorizontalSpacing);
            for (MarginIntrusion i : boxInMargins(left, top, left + s.LabelWidth, top + s.LabelHeight, paperWidth,
                                                  paperHeight, margins)) {
                i.row = row;
                i.column = column;
                found.push_back(i);
            }
        }
    }
    return found;
}

} // namespace labeldata
