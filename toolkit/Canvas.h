#pragma once

#include <QColor>
#include <QImage>

#include <cstdint>

enum TPenStyle : unsigned char { psSolid = 0, psDot = 1 };

// A drawing surface over a QImage with a one-pixel pen and a solid brush.
// Pixels are written directly, so the results are exact: a rectangle covers l <= x < r and
// t <= y < b, and a line stops one pixel short of its end point. Coordinates are 64-bit so
// that far-off shapes are clipped to the image instead of overflowing.
class TCanvas {
public:
    // The canvas draws on the image itself, whatever size or contents it is given later; an
    // image of another pixel format is converted to a 32-bit one before drawing.
    explicit TCanvas(QImage& image);

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }

    QColor PenColor() const { return QColor::fromRgb(FPenColor); }
    void SetPenColor(const QColor& color) { FPenColor = color.rgb(); }
    TPenStyle PenStyle() const { return FPenStyle; }
    void SetPenStyle(TPenStyle style) { FPenStyle = style; }
    QColor BrushColor() const { return QColor::fromRgb(FBrushColor); }
    void SetBrushColor(const QColor& color) { FBrushColor = color.rgb(); }

    // Fills l <= x < r, t <= y < b with the brush and outlines columns l and r - 1 and rows
    // t and b - 1 with the pen. An empty rectangle (r <= l or b <= t) draws nothing.
    void Rectangle(int64_t l, int64_t t, int64_t r, int64_t b);

    void MoveTo(int64_t x, int64_t y);
    // Draws from the pen position up to, but not including, (x, y) and moves the pen there.
    void LineTo(int64_t x, int64_t y);

    QRgb Pixel(int x, int y) const;

private:
    void prepare();
    void plot(int64_t x, int64_t y, QRgb color);
    void fillSpan(int64_t y, int64_t xFrom, int64_t xTo, QRgb color); // xFrom <= x < xTo

    QImage& FImage;
    // Size of the image as of the current drawing operation.
    int FWidth = 0;
    int FHeight = 0;
    QRgb FPenColor = qRgb(0, 0, 0);
    QRgb FBrushColor = qRgb(255, 255, 255);
    TPenStyle FPenStyle = psSolid;
    int64_t FPenX = 0;
    int64_t FPenY = 0;
    // Index of the next pixel in the dot pattern; a MoveTo starts the pattern afresh.
    uint64_t FDotPhase = 0;
};
