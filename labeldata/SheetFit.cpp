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

} // namespace labeldata
