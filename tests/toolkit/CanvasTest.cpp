#include "toolkit/Canvas.h"

#include "toolkit/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <utility>

namespace {

const QRgb Grey = qRgb(128, 128, 128);
const QRgb Pen = qRgb(255, 0, 0);
const QRgb Brush = qRgb(0, 0, 255);

QImage greyImage(int w = 12, int h = 10)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Grey);
    return image;
}

std::set<std::pair<int, int>> pixelsOf(const QImage& image, QRgb color)
{
    std::set<std::pair<int, int>> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == color)
                found.insert({x, y});
    return found;
}

} // namespace

// A rectangle covers l <= x < r and t <= y < b: outline on its first and last column and row,
// brush inside, nothing outside; whatever lies off the image is simply cut away.
TEST(CanvasTest, RectangleCoversExactlyItsPixels)
{
    constexpr int64_t Far = int64_t{1} << 50;
    struct Case {
        const char* name;
        int64_t l, t, r, b;
    };
    const Case cases[] = {
        {"inside", 2, 3, 7, 8},
        {"one pixel", 4, 4, 5, 5},
        {"one column", 4, 1, 5, 6},
        {"one row", 1, 4, 9, 5},
        {"two by two, no inside", 3, 3, 5, 5},
        {"over the left and top edges", -3, -2, 4, 5},
        {"over the right and bottom edges", 8, 6, 20, 30},
        {"bigger than the image", -1, -1, 13, 11},
        {"far coordinates", -Far, -Far, Far, Far},
        {"wholly off the image", 20, 20, 30, 30},
        {"empty: right equals left", 5, 2, 5, 8},
        {"empty: right before left", 7, 2, 3, 8},
        {"empty: bottom before top", 2, 7, 8, 3},
        {"extreme int64", std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::min(),
         std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = greyImage();
        TCanvas canvas(image);
        canvas.SetPenColor(QColor::fromRgb(Pen));
        canvas.SetBrushColor(QColor::fromRgb(Brush));
        canvas.Rectangle(c.l, c.t, c.r, c.b);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool inside = c.l <= x && x < c.r && c.t <= y && y < c.b;
                const bool outline = inside && (x == c.l || x == c.r - 1 || y == c.t || y == c.b - 1);
                const QRgb want = outline ? Pen : inside ? Brush : Grey;
                ASSERT_EQ(image.pixel(x, y), want) << "at " << x << "," << y;
            }
        }
    }
}

TEST(CanvasTest, DottedRectangleOutlineLeavesTheBrushBetweenDots)
{
    QImage image = greyImage();
    TCanvas canvas(image);
    canvas.SetPenColor(QColor::fromRgb(Pen));
    canvas.SetBrushColor(QColor::fromRgb(Brush));
    canvas.SetPenStyle(psDot);
    canvas.Rectangle(1, 1, 8, 6);
    // Every corner gets a dot, and neighbours along a side alternate.
    for (auto [x, y] : {std::pair{1, 1}, {7, 1}, {1, 5}, {7, 5}})
        EXPECT_EQ(image.pixel(x, y), Pen) << x << "," << y;
    EXPECT_EQ(image.pixel(2, 1), Brush);
    EXPECT_EQ(image.pixel(1, 2), Brush);
    EXPECT_EQ(image.pixel(4, 3), Brush);
    EXPECT_EQ(image.pixel(0, 0), Grey);
}

// A line starts on its first point and stops one pixel before its end point, in any direction.
TEST(CanvasTest, LineLeavesOutItsEndPoint)
{
    using Pixels = std::set<std::pair<int, int>>;
    struct Case {
        const char* name;
        int64_t x1, y1, x2, y2;
        Pixels want;
    };
    const Case cases[] = {
        {"rightwards", 2, 3, 6, 3, {{2, 3}, {3, 3}, {4, 3}, {5, 3}}},
        {"leftwards", 6, 3, 2, 3, {{6, 3}, {5, 3}, {4, 3}, {3, 3}}},
        {"downwards", 4, 1, 4, 4, {{4, 1}, {4, 2}, {4, 3}}},
        {"upwards", 4, 4, 4, 1, {{4, 4}, {4, 3}, {4, 2}}},
        {"diagonal", 1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}}},
        {"zero length", 5, 5, 5, 5, {}},
        {"one step", 5, 5, 6, 5, {{5, 5}}},
        {"clipped at the left", -5, 2, 2, 2, {{0, 2}, {1, 2}}},
        {"past the image both ways", -100, 9, 100, 9,
         {{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}, {6, 9}, {7, 9}, {8, 9}, {9, 9}, {10, 9}, {11, 9}}},
        {"never crosses the image", -10, -1, 30, -1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = greyImage();
        TCanvas canvas(image);
        canvas.SetPenColor(QColor::fromRgb(Pen));
        canvas.MoveTo(c.x1, c.y1);
        canvas.LineTo(c.x2, c.y2);
        EXPECT_EQ(pixelsOf(image, Pen), c.want);
    }
}

// Dots fall on every other pixel counted from the start point, also where the start lies off
// the image, and the gaps keep what was there before.
TEST(CanvasTest, DottedLineCountsFromItsStart)
{
    struct Case {
        const char* name;
        int64_t x1, x2;
        std::set<std::pair<int, int>> want;
    };
    const Case cases[] = {
        {"from the image", 1, 8, {{1, 0}, {3, 0}, {5, 0}, {7, 0}}},
        {"from an even offset off the image", -4, 6, {{0, 0}, {2, 0}, {4, 0}}},
        {"from an odd offset off the image", -3, 6, {{1, 0}, {3, 0}, {5, 0}}},
        {"from far off the image", -(int64_t{1} << 40) - 1, 4, {{1, 0}, {3, 0}}},
        {"backwards", 9, 2, {{9, 0}, {7, 0}, {5, 0}, {3, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = greyImage(12, 1);
        TCanvas canvas(image);
        canvas.SetPenColor(QColor::fromRgb(Pen));
        canvas.SetPenStyle(psDot);
        canvas.MoveTo(c.x1, 0);
        canvas.LineTo(c.x2, 0);
        EXPECT_EQ(pixelsOf(image, Pen), c.want);
        EXPECT_EQ(pixelsOf(image, Pen).size() + pixelsOf(image, Grey).size(), 12u);
    }
}

TEST(CanvasTest, ConvertsImagesOfOtherFormats)
{
    for (auto format : {QImage::Format_RGB888, QImage::Format_Indexed8, QImage::Format_Grayscale8}) {
        QImage image(6, 4, format);
        if (format == QImage::Format_Indexed8)
            image.setColorTable({qRgb(0, 0, 0)});
        image.fill(0);
        TCanvas canvas(image);
        canvas.SetPenColor(Qt::white);
        canvas.SetBrushColor(Qt::red);
        canvas.Rectangle(0, 0, 6, 4);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << format;
        EXPECT_EQ(image.pixel(2, 2), qRgb(255, 0, 0)) << format;
    }
}

// A canvas kept across a resize of its image (the control's bitmap is replaced when the control
// changes size) draws within the new image, never past it.
TEST(CanvasTest, FollowsItsImageWhenItIsReplaced)
{
    QImage image = greyImage(40, 30);
    TCanvas canvas(image);
    image = greyImage(5, 4);
    EXPECT_EQ(canvas.Width(), 5);
    canvas.SetBrushColor(QColor::fromRgb(Brush));
    canvas.Rectangle(0, 0, 40, 30);
    canvas.MoveTo(0, 20);
    canvas.LineTo(39, 1);
    EXPECT_EQ(image.size(), QSize(5, 4));
    EXPECT_EQ(image.pixel(2, 2), Brush);
}

// The control's bitmap has the control's size even before it is first shown, and a paint
// shows the bitmap unchanged.
TEST(ImageTest, PictureFollowsTheControlAndIsShownOneToOne)
{
    TImage image;
    image.setGeometry(8, 64, 249, 289);
    EXPECT_EQ(image.Picture().size(), QSize(249, 289));
    EXPECT_EQ(image.Picture().pixel(100, 100), qRgb(255, 255, 255));

    TCanvas canvas(image.Picture());
    canvas.SetPenColor(Qt::blue);
    canvas.MoveTo(0, 10);
    canvas.LineTo(249, 10);
    const QImage shown = image.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(249, 289));
    EXPECT_EQ(shown.pixel(0, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(248, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(248, 11), qRgb(255, 255, 255));

    image.resize(50, 40);
    EXPECT_EQ(image.Picture().size(), QSize(50, 40));
}
