// Whether a style's labels fit its sheet, and by how much they overflow when not.
#include "labeldata/SheetFit.h"

#include <gtest/gtest.h>

namespace {

Tlabelpar a4(int columns, int rows, double labelWidth, double labelHeight)
{
    Tlabelpar s;
    s.SheetWidth = 210;
    s.SheetHeight = 297;
    s.LabelWidth = labelWidth;
    s.LabelHeight = labelHeight;
    s.Columns = columns;
    s.Rows = rows;
    s.LeftMargin = s.RightMargin = 14;
    s.TopMargin = s.BottomMargin = 11;
    return s;
}

} // namespace

TEST(SheetFit, OverflowAcrossAndDownIsWhatLeavesTheSheet)
{
    struct Row {
        const char* label;
        Tlabelpar style;
        double spacingAcross;
        bool fitsAcross, fitsDown;
        double overflowAcross, overflowDown;
    };
    const Row rows[] = {
        {"the default A4 layout fills the sheet exactly", a4(2, 5, 91, 55), 0, true, true, 0, 0},
        {"a file's rounding of 0.0127 mm still fits", a4(2, 5, 91.004, 55.001), 0, true, true, 0, 0},
        {"one column too many", a4(3, 5, 91, 55), 0, false, true, 91, 0},
        {"labels 1 mm too tall", a4(2, 5, 91, 56), 0, true, false, 0, 5},
        {"spacing counts between labels only", a4(2, 5, 90, 55), 2, true, true, 0, 0},
        {"spacing that pushes past the edge", a4(2, 5, 90, 55), 3.5, false, true, 1.5, 0},
        {"no columns, no labels across", a4(0, 5, 500, 55), 0, true, true, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        Tlabelpar s = r.style;
        s.HorizontalSpacing = r.spacingAcross;
        const labeldata::SheetFit fit = labeldata::sheetFit(s);
        EXPECT_EQ(fit.fitsAcross, r.fitsAcross);
        EXPECT_EQ(fit.fitsDown, r.fitsDown);
        EXPECT_EQ(fit.fits(), r.fitsAcross && r.fitsDown);
        EXPECT_NEAR(fit.overflowAcross, r.overflowAcross, 1e-9);
        EXPECT_NEAR(fit.overflowDown, r.overflowDown, 1e-9);
    }
}

TEST(SheetFit, LabelEdgesInAPrintersMarginsAreNamedWithHowFarIn)
{
    using labeldata::PaperEdge;
    struct Hit {
        int row, column;
        PaperEdge edge;
        double depth;
    };
    struct Row {
        const char* label;
        Tlabelpar style;
        double paperWidth, paperHeight;
        labeldata::PrinterMargins margins;
        std::vector<Hit> hits;
    };
    Tlabelpar spaced = a4(2, 5, 90, 55);
    spaced.HorizontalSpacing = 2; // the right column ends at 196, 1 mm into a 15 mm margin
    const Row rows[] = {
        {"margins of 11 and 14 mm clear 5 mm margins", a4(2, 5, 91, 55), 210, 297, {5, 5, 5, 5}, {}},
        {"just touching is no intrusion", a4(2, 5, 91, 55), 210, 297, {14, 11, 14, 11}, {}},
        {"every row's left label, 1 mm in", a4(2, 2, 91, 55), 210, 297, {15, 0, 0, 0},
         {{0, 0, PaperEdge::Left, 1}, {1, 0, PaperEdge::Left, 1}}},
        {"the spacing moves the right column in", spaced, 210, 297, {0, 0, 15, 0},
         {{0, 1, PaperEdge::Right, 1}, {1, 1, PaperEdge::Right, 1}, {2, 1, PaperEdge::Right, 1},
          {3, 1, PaperEdge::Right, 1}, {4, 1, PaperEdge::Right, 1}}},
        {"paper shorter than the sheet: the last row at its bottom", a4(1, 5, 154, 55), 182, 280, {0, 0, 0, 4},
         {{4, 0, PaperEdge::Bottom, 10}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        const auto found = labeldata::labelsInMargins(r.style, r.paperWidth, r.paperHeight, r.margins);
        ASSERT_EQ(found.size(), r.hits.size());
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].row, r.hits[i].row);
            EXPECT_EQ(found[i].column, r.hits[i].column);
            EXPECT_EQ(found[i].edge, r.hits[i].edge);
            EXPECT_NEAR(found[i].depth, r.hits[i].depth, 1e-9);
        }
    }
}
