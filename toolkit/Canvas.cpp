#include "toolkit/Canvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Keeps every difference and r - 1 of clamped coordinates inside int64_t.
constexpr int64_t CoordinateLimit = int64_t{1} << 61;

int64_t clampCoordinate(int64_t v)
{
    return std::clamp(v, -CoordinateLimit, CoordinateLimit);
}

} // namespace

TCanvas::TCanvas(QImage& image)
    : FImage(image)
{
    prepare();
}

// The image may have been replaced since the last operation: take its size afresh.
void TCanvas::prepare()
{
    const auto format = FImage.format();
    if (!FImage.isNull() && format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
        && format != QImage::Format_ARGB32_Premultiplied)
        FImage = FImage.convertToFormat(QImage::Format_RGB32);
    FWidth = FImage.width();
    FHeight = FImage.height();
}

QRgb TCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height())
        return 0;
    return reinterpret_cast<const QRgb*>(FImage.constScanLine(y))[x];
}

void TCanvas::plot(int64_t x, int64_t y, QRgb color)
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    reinterpret_cast<QRgb*>(FImage.scanLine(static_cast<int>(y)))[x] = color;
}

void TCanvas::fillSpan(int64_t y, int64_t xFrom, int64_t xTo, QRgb color)
{
    if (y < 0 || y >= FHeight)
        return;
    xFrom = std::max<int64_t>(xFrom, 0);
    xTo = std::min<int64_t>(xTo, FWidth);
    if (xFrom >= xTo)
        return;
    auto* line = reinterpret_cast<QRgb*>(FImage.scanLine(static_cast<int>(y)));
    std::fill(line + xFrom, line + xTo, color);
}

void TCanvas::Rectangle(int64_t l, int64_t t, int64_t r, int64_t b)
{
    l = clampCoordinate(l);
    t = clampCoordinate(t);
    r = clampCoordinate(r);
    b = clampCoordinate(b);
    if (r <= l || b <= t)
        return;
    prepare();

    const int64_t yFrom = std::max<int64_t>(t, 0);
    const int64_t yTo = std::min<int64_t>(b, FHeight);
    for (int64_t y = yFrom; y < yTo; ++y)
        fillSpan(y, l, r, FBrushColor);

    if (FPenStyle == psSolid) {
        fillSpan(t, l, r, FPenColor);
        fillSpan(b - 1, l, r, FPenColor);
        for (int64_t y = yFrom; y < yTo; ++y) {
            plot(l, y, FPenColor);
            plot(r - 1, y, FPenColor);
        }
        return;
    }

    // Dotted outline: every other pixel, counted from the top-left corner, so the corners
    // and both ends of each side agree whichever side reaches them.
    auto dot = [&](int64_t x, int64_t y) {
        if (((x - l) + (y - t)) % 2 == 0)
            plot(x, y, FPenColor);
    };
    const int64_t xFrom = std::max<int64_t>(l, 0);
    const int64_t xTo = std::min<int64_t>(r, FWidth);
    for (int64_t x = xFrom; x < xTo; ++x) {
        dot(x, t);
        dot(x, b - 1);
    }
    for (int64_t y = yFrom; y < yTo; ++y) {
        dot(l, y);
        dot(r - 1, y);
    }
}

void TCanvas::MoveTo(int64_t x, int64_t y)
{
    FPenX = clampCoordinate(x);
    FPenY = clampCoordinate(y);
    FDotPhase = 0;
}

void TCanvas::LineTo(int64_t x, int64_t y)
{
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    const int64_t x1 = FPenX;
    const int64_t y1 = FPenY;
    FPenX = x;
    FPenY = y;

    const int64_t dx = x - x1;
    const int64_t dy = y - y1;
    const int64_t adx = std::llabs(dx);
    const int64_t ady = std::llabs(dy);
    const bool xMajor = adx >= ady;
    const int64_t steps = xMajor ? adx : ady; // pixels 0 .. steps - 1; the end point is left out
    if (steps == 0)
        return;
    prepare();

    // Along the major axis pixel i sits at start + sign * i; only the i that land on the
    // image are visited, so a line of any length costs at most one image side.
    const int64_t majorStart = xMajor ? x1 : y1;
    const int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t majorSize = xMajor ? FWidth : FHeight;
    int64_t iFrom;
    int64_t iTo; // inclusive
    if (majorSign > 0) {
        iFrom = -majorStart;
        iTo = majorSize - 1 - majorStart;
    } else {
        iFrom = majorStart - (majorSize - 1);
        iTo = majorStart;
    }
    iFrom = std::max<int64_t>(iFrom, 0);
    iTo = std::min<int64_t>(iTo, steps - 1);

    const int64_t minorStart = xMajor ? y1 : x1;
    const int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t minorDelta = xMajor ? ady : adx;
    for (int64_t i = iFrom; i <= iTo; ++i) {
        if (FPenStyle == psDot && (FDotPhase + static_cast<uint64_t>(i)) % 2 != 0)
            continue;
        // Minor offset i * minorDelta / steps rounded half up; 128 bits because both factors
        // may be near 2^62.
        const __int128 num = static_cast<__int128>(2) * i * minorDelta + steps;
        const auto offset = static_cast<int64_t>(num / (static_cast<__int128>(2) * steps));
        const int64_t major = majorStart + majorSign * i;
        const int64_t minor = minorStart + minorSign * offset;
        if (xMajor)
            plot(major, minor, FPenColor);
        else
            plot(minor, major, FPenColor);
    }
    FDotPhase += static_cast<uint64_t>(steps);
}
