#pragma once

#include "editor/Preview.h"
#include "toolkit/Types.h"

#include <QImage>

#include <cstdint>

class TCanvas;

namespace previewColor {
inline constexpr QRgb Black = qRgb(0, 0, 0);
inline constexpr QRgb Red = qRgb(255, 0, 0);
inline constexpr QRgb Blue = qRgb(0, 0, 255);
inline constexpr QRgb White = qRgb(255, 255, 255);
} // namespace previewColor

// Where the preview puts the sheet, its margins and every label on one surface, worked out
// once per drawing; reference drawings for the tests build on the same numbers.
struct PreviewGeometry {
    int width = 0;
    int height = 0;
    bool hasSheet = false;
    Extended k = 0;
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int64_t xl = 0, xr = 0, yt = 0, yb = 0;
    // Label grid in whole millimetres.
    int64_t left = 0, top = 0, labelWidth = 0, labelHeight = 0, stepX = 0, stepY = 0;
    int32_t rows = 0, columns = 0;

    int64_t toX(int64_t mm) const { return x0 + RoundHalfEven(static_cast<Extended>(mm) / k); }
    int64_t toY(int64_t mm) const { return y0 + RoundHalfEven(static_cast<Extended>(mm) / k); }

    // Label column j covers the pixel columns columnFrom(j) .. columnTo(j), both outlined.
    int64_t columnFrom(int64_t j) const { return toX(left + j * stepX); }
    int64_t columnTo(int64_t j) const { return toX(left + j * stepX + labelWidth); }
    int64_t rowFrom(int64_t i) const { return toY(top + i * stepY); }
    int64_t rowTo(int64_t i) const { return toY(top + i * stepY + labelHeight); }
};

PreviewGeometry measurePreview(const QImage& surface, const PreviewInput& input);

// Background, sheet and dotted margins: everything but the labels.
void drawPreviewSheet(TCanvas& canvas, const PreviewGeometry& g);
