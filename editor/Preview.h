#pragma once

#include "toolkit/Types.h"

#include <QImage>
#include <QString>

#include <cstdint>

// The values the sheet preview draws, exactly as the window's entry fields hold them
// (millimetres); the preview itself rounds the lengths to whole millimetres.
struct PreviewInput {
    Extended SheetWidth = 0;
    Extended SheetHeight = 0;
    Extended LabelWidth = 0;
    Extended LabelHeight = 0;
    Extended VerticalSpacing = 0;
    Extended HorizontalSpacing = 0;
    int32_t Rows = 0;
    int32_t Columns = 0;
    Extended LeftMargin = 0;
    Extended TopMargin = 0;
    Extended RightMargin = 0;
    Extended BottomMargin = 0;
};

// Nearest integer, a half going to the even neighbour; NaN gives 0 and values beyond
// +-2^40 saturate there, so no later integer arithmetic can overflow.
int64_t RoundHalfEven(Extended v);

// Draws the sheet, its dotted margins and every label onto the whole surface. The labels are
// composed per pixel from their row and column structure, so the cost does not grow with the
// label count; the pixels are those of drawing every label in row order.
void DrawPreview(QImage& surface, const PreviewInput& input);

// The picture in words for a screen reader: "台紙 210 × 297 mm、2 列 × 5 行のラベル".
QString DescribePreview(const PreviewInput& input);
