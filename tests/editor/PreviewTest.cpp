#include "editor/Preview.h"

#include "PreviewReference.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);

// The window's defaults: an A4 sheet with five rows and two columns of 91 x 55 mm labels.
PreviewInput a4()
{
    PreviewInput in;
    in[&Tlabelpar::SheetWidth] = 210;
    in[&Tlabelpar::SheetHeight] = 297;
    in[&Tlabelpar::LabelWidth] = 91;
    in[&Tlabelpar::LabelHeight] = 55;
    in[&Tlabelpar::Rows] = 5;
    in[&Tlabelpar::Columns] = 2;
    in[&Tlabelpar::LeftMargin] = 14;
    in[&Tlabelpar::RightMargin] = 14;
    in[&Tlabelpar::TopMargin] = 11;
    in[&Tlabelpar::BottomMargin] = 11;
    return in;
}

QImage surface(int w = 249, int h = 289)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3)); // every run must repaint all of it
    return image;
}

QImage drawn(const PreviewInput& in, int w = 249, int h = 289)
{
    QImage image = surface(w, h);
    DrawPreview(image, in);
    return image;
}

// The sheet's rectangle as drawn, (l, t, r, b) with r and b one past the outline: the box
// around the black pixels off the surface's own top row and left column.
QRect sheetOf(const QImage& image)
{
    int l = INT32_MAX, t = INT32_MAX, r = -1, b = -1;
    for (int y = 1; y < image.height(); ++y)
        for (int x = 1; x < image.width(); ++x)
            if (image.pixel(x, y) == Black) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x + 1);
                b = std::max(b, y + 1);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b)); // QRect(QPoint, QPoint) holds l,t,r,b
}

std::vector<int> redInRow(const QImage& image, int y)
{
    std::vector<int> xs;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == Red)
            xs.push_back(x);
    return xs;
}

std::vector<int> redInColumn(const QImage& image, int x)
{
    std::vector<int> ys;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == Red)
            ys.push_back(y);
    return ys;
}

// True when (l, t, r, b) shows as one label: blue outline, white inside.
::testing::AssertionResult isLabel(const QImage& image, int l, int t, int r, int b)
{
    for (int y = t; y < b; ++y)
        for (int x = l; x < r; ++x) {
            const bool edge = x == l || x == r - 1 || y == t || y == b - 1;
            if (image.pixel(x, y) != (edge ? Blue : White))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is "
                                                     << QString::number(image.pixel(x, y), 16).toStdString();
        }
    return ::testing::AssertionSuccess();
}

int count(const QImage& image, QRgb color)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        n += static_cast<int>(std::count(line, line + image.width(), color));
    }
    return n;
}

::testing::AssertionResult samePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), a.width() * sizeof(QRgb)) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return ::testing::AssertionFailure()
                    << "first difference at " << x << "," << y << ": "
                    << QString::number(a.pixel(x, y), 16).toStdString() << " vs "
                    << QString::number(b.pixel(x, y), 16).toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PreviewTest, DefaultA4Layout)
{
    const QImage image = drawn(a4());

    EXPECT_EQ(sheetOf(image), QRect(QPoint(25, 5), QPoint(223, 285)));
    // Margin lines start on the sheet outline: their first dots mark where they are.
    EXPECT_EQ(redInRow(image, 5), (std::vector<int>{38, 209}));
    EXPECT_EQ(redInColumn(image, 25), (std::vector<int>{15, 274}));
    // Dotted, every other pixel, and stopping short of the far sheet edge.
    EXPECT_EQ(image.pixel(38, 7), Red);
    EXPECT_EQ(image.pixel(38, 6), White);
    EXPECT_EQ(image.pixel(38, 284), Black);
    EXPECT_EQ(image.pixel(222, 15), Black);

    EXPECT_TRUE(isLabel(image, 38, 15, 125, 68));
    EXPECT_TRUE(isLabel(image, 124, 15, 210, 68));
    EXPECT_TRUE(isLabel(image, 124, 222, 210, 275));
    // Labels that meet share one border column.
    EXPECT_EQ(image.pixel(124, 40), Blue);
    EXPECT_EQ(image.pixel(123, 40), White);
    EXPECT_EQ(image.pixel(125, 40), White);

    // The background's outline shows only on the surface's top row and left column.
    EXPECT_EQ(image.pixel(0, 0), Black);
    EXPECT_EQ(image.pixel(248, 0), Black);
    EXPECT_EQ(image.pixel(0, 288), Black);
    EXPECT_EQ(image.pixel(248, 288), White);
    EXPECT_EQ(image.pixel(1, 1), White);
}

// Scale from the tighter side, centring from the sheet size as typed, extent from it rounded.
TEST(PreviewTest, SheetPlacement)
{
    struct Case {
        const char* name;
        Extended width, height;
        QRect sheet;
    };
    const Case cases[] = {
        {"portrait A4", 210, 297, QRect(QPoint(25, 5), QPoint(223, 285))},
        {"landscape A4", 297, 210, QRect(QPoint(5, 60), QPoint(245, 230))},
        {"width 211.6", 211.6L, 297, QRect(QPoint(25, 5), QPoint(225, 285))},
        {"width 212", 212, 297, QRect(QPoint(24, 5), QPoint(224, 285))},
        {"square fills the width", 100, 100, QRect(QPoint(5, 25), QPoint(245, 265))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PreviewInput in = a4();
        in[&Tlabelpar::SheetWidth] = c.width;
        in[&Tlabelpar::SheetHeight] = c.height;
        in[&Tlabelpar::Rows] = 0; // keep the outline clear of labels
        EXPECT_EQ(sheetOf(drawn(in)), c.sheet);
    }
}

TEST(PreviewTest, LengthsRoundToWholeMillimetresHalfToEven)
{
    // At the A4 scale 12 mm lands 11 pixels in, 13 mm 12 pixels and 14 mm 13 pixels.
    struct Case {
        Extended left;
        int x;
    };
    const Case cases[] = {
        {12.49L, 36}, {12.5L, 36}, {12.51L, 37}, {13, 37}, {13.49L, 37}, {13.5L, 38}, {14.5L, 38}, {14.51L, 39},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.left));
        PreviewInput in = a4();
        in[&Tlabelpar::LeftMargin] = c.left;
        in[&Tlabelpar::Rows] = 0;
        EXPECT_EQ(redInRow(drawn(in), 5).front(), c.x);
    }

    struct Rounding {
        Extended v;
        int64_t want;
    };
    const Rounding rounding[] = {
        {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-3.5L, -4}, {0.5L, 0}, {-0.5L, 0}, {1.5L, 2},
        {2.4999L, 2}, {2.5001L, 3}, {-7.2L, -7}, {0, 0},
        {std::numeric_limits<Extended>::quiet_NaN(), 0},
        {1e30L, int64_t{1} << 40}, {-std::numeric_limits<Extended>::infinity(), -(int64_t{1} << 40)},
    };
    for (const auto& r : rounding)
        EXPECT_EQ(RoundHalfEven(r.v), r.want) << static_cast<double>(r.v);
}

TEST(PreviewTest, DegenerateSheets)
{
    {
        SCOPED_TRACE("both sizes 0: the blank surface and nothing else");
        PreviewInput in = a4();
        in[&Tlabelpar::SheetWidth] = 0;
        in[&Tlabelpar::SheetHeight] = 0;
        const QImage image = drawn(in);
        EXPECT_EQ(count(image, Black), 249 + 289 - 1);
        EXPECT_EQ(count(image, White), 248 * 288);
    }
    {
        SCOPED_TRACE("width 0: the sheet is a line");
        PreviewInput in = a4();
        in[&Tlabelpar::SheetWidth] = 0;
        in[&Tlabelpar::Rows] = 0;
        const QImage image = drawn(in);
        EXPECT_EQ(sheetOf(image), QRect(QPoint(124, 5), QPoint(125, 285)));
    }
}

TEST(PreviewTest, LabelCountsOfZeroOrLessDrawNoLabels)
{
    const std::pair<int32_t, int32_t> counts[] = {{0, 2}, {5, 0}, {-3, 2}, {5, -1}, {INT32_MIN, INT32_MIN}};
    for (auto [rows, columns] : counts) {
        SCOPED_TRACE(std::to_string(rows) + " x " + std::to_string(columns));
        PreviewInput in = a4();
        in[&Tlabelpar::Rows] = rows;
        in[&Tlabelpar::Columns] = columns;
        const QImage image = drawn(in);
        EXPECT_EQ(count(image, Blue), 0);
        EXPECT_EQ(sheetOf(image), QRect(QPoint(25, 5), QPoint(223, 285)));
        EXPECT_EQ(redInRow(image, 5), (std::vector<int>{38, 209}));
    }
}

TEST(PreviewTest, LabelsRunPastTheSheetToTheSurfaceEdge)
{
    PreviewInput in = a4();
    in[&Tlabelpar::Rows] = 1;
    in[&Tlabelpar::Columns] = 3; // the third column starts past the sheet's right edge
    const QImage image = drawn(in);
    // Third label from x = 25 + round(196 / k) = 209 to 25 + round(287 / k) = 295: cut at 249.
    for (int x = 210; x < 249; ++x) {
        EXPECT_EQ(image.pixel(x, 15), Blue) << x;
        EXPECT_EQ(image.pixel(x, 40), White) << x;
    }
    EXPECT_EQ(image.pixel(209, 40), Blue);
    // The white inside of the later label covers the sheet's right outline.
    EXPECT_EQ(image.pixel(222, 40), White);
}

// The fast preview must show exactly what drawing every label in turn shows.
TEST(PreviewTest, MatchesDrawingEveryLabelInOrder)
{
    std::mt19937_64 random(20240611);
    auto pick = [&](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(random); };
    auto hundredths = [&](int64_t lo, int64_t hi) { return static_cast<Extended>(pick(lo * 100, hi * 100)) / 100; };
    auto length = [&]() -> Extended {
        switch (pick(0, 5)) {
        case 0: return 0;
        case 1: return hundredths(0, 3);               // sub-pixel
        case 2: return static_cast<Extended>(pick(0, 40)) + 0.5L; // half-millimetre ties
        case 3: return hundredths(0, 1000);            // anything the fields allow
        case 4: return hundredths(-60, 0);             // overlapping labels
        default: return hundredths(0, 120);
        }
    };
    auto sheetSize = [&]() -> Extended {
        switch (pick(0, 4)) {
        case 0: return 0;
        case 1: return hundredths(0, 1);  // tiny: huge scale
        case 2: return 1000;
        default: return hundredths(1, 400);
        }
    };
    const QSize sizes[] = {{249, 289}, {249, 289}, {249, 289}, {40, 23}, {11, 11}, {10, 50}};

    int withLabels = 0;
    for (int n = 0; n < 2000; ++n) {
        PreviewInput in;
        in[&Tlabelpar::SheetWidth] = sheetSize();
        in[&Tlabelpar::SheetHeight] = sheetSize();
        in[&Tlabelpar::LabelWidth] = length();
        in[&Tlabelpar::LabelHeight] = length();
        in[&Tlabelpar::HorizontalSpacing] = length();
        in[&Tlabelpar::VerticalSpacing] = length();
        in[&Tlabelpar::LeftMargin] = length();
        in[&Tlabelpar::RightMargin] = length();
        in[&Tlabelpar::TopMargin] = length();
        in[&Tlabelpar::BottomMargin] = length();
        in[&Tlabelpar::Rows] = static_cast<int32_t>(pick(-2, 40));
        in[&Tlabelpar::Columns] = static_cast<int32_t>(pick(-2, 40));
        if (pick(0, 29) == 0) {
            in[&Tlabelpar::Rows] = static_cast<int32_t>(pick(100, 300));
            in[&Tlabelpar::Columns] = static_cast<int32_t>(pick(100, 300));
        }
        const QSize size = sizes[pick(0, std::size(sizes) - 1)];

        QImage fast = surface(size.width(), size.height());
        QImage reference = surface(size.width(), size.height());
        DrawPreview(fast, in);
        DrawPreviewInOrder(reference, in);
        withLabels += count(fast, Blue) > 0;
        const auto describe = [&] {
            std::ostringstream out;
            out << "layout " << n << ": sheet " << double(in[&Tlabelpar::SheetWidth]) << " x " << double(in[&Tlabelpar::SheetHeight])
            << ", label " << double(in[&Tlabelpar::LabelWidth]) << " x " << double(in[&Tlabelpar::LabelHeight]) << ", spacing "
            << double(in[&Tlabelpar::HorizontalSpacing]) << " / " << double(in[&Tlabelpar::VerticalSpacing]) << ", margins "
            << double(in[&Tlabelpar::LeftMargin]) << " " << double(in[&Tlabelpar::TopMargin]) << " " << double(in[&Tlabelpar::RightMargin]) << " "
            << double(in[&Tlabelpar::BottomMargin]) << ", " << in[&Tlabelpar::Rows] << " x " << in[&Tlabelpar::Columns] << " on "
            << size.width() << " x " << size.height();
            return out.str();
        };
        ASSERT_TRUE(samePixels(fast, reference)) << describe();
        // The QPainter drawing the benchmark compares against must be the same picture too.
        if (n % 10 == 0 && int64_t(in[&Tlabelpar::Rows]) * int64_t(in[&Tlabelpar::Columns]) <= 5000) {
            QImage painted = surface(size.width(), size.height());
            DrawPreviewPainter(painted, in);
            ASSERT_TRUE(samePixels(painted, reference)) << "QPainter, " << describe();
        }
    }
    EXPECT_GT(withLabels, 600); // the table really exercised the labels
}

// Extreme layouts neither overflow nor take long: positions saturate and are cut at the edge.
TEST(PreviewTest, ExtremeLayouts)
{
    {
        SCOPED_TRACE("tiny sheet with 1000 x 1000 labels of 1000 mm");
        PreviewInput in;
        in[&Tlabelpar::SheetWidth] = 0.01L;
        in[&Tlabelpar::SheetHeight] = 0.01L;
        in[&Tlabelpar::LabelWidth] = in[&Tlabelpar::LabelHeight] = 1000;
        in[&Tlabelpar::HorizontalSpacing] = in[&Tlabelpar::VerticalSpacing] = 1000;
        in[&Tlabelpar::LeftMargin] = in[&Tlabelpar::TopMargin] = in[&Tlabelpar::RightMargin] = in[&Tlabelpar::BottomMargin] = 1000;
        in[&Tlabelpar::Rows] = in[&Tlabelpar::Columns] = 1000;
        QImage fast = surface();
        QImage reference = surface();
        DrawPreview(fast, in);
        DrawPreviewInOrder(reference, in);
        EXPECT_TRUE(samePixels(fast, reference));
    }
    {
        SCOPED_TRACE("the largest counts");
        PreviewInput in = a4();
        in[&Tlabelpar::LabelWidth] = in[&Tlabelpar::LabelHeight] = 1;
        in[&Tlabelpar::Rows] = in[&Tlabelpar::Columns] = INT32_MAX;
        const QImage image = drawn(in);
        // 1 mm labels at about a pixel each cover the surface from the margins on.
        EXPECT_EQ(image.pixel(100, 100), Blue);
        EXPECT_EQ(image.pixel(248, 288), Blue);
        EXPECT_EQ(image.pixel(30, 100), White);
    }
    {
        SCOPED_TRACE("values no field allows");
        PreviewInput in = a4();
        in[&Tlabelpar::SheetWidth] = -std::numeric_limits<Extended>::max();
        in[&Tlabelpar::SheetHeight] = std::numeric_limits<Extended>::denorm_min();
        in[&Tlabelpar::LabelWidth] = std::numeric_limits<Extended>::infinity();
        in[&Tlabelpar::HorizontalSpacing] = std::numeric_limits<Extended>::quiet_NaN();
        in[&Tlabelpar::VerticalSpacing] = -1e300L;
        in[&Tlabelpar::Rows] = in[&Tlabelpar::Columns] = INT32_MAX;
        QImage image = surface();
        DrawPreview(image, in); // must simply finish, under the sanitizers too
        EXPECT_EQ(image.pixel(0, 0), Black);
    }
}
