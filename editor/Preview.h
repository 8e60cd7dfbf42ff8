#pragma once

#include "labeldata/StyleFields.h"
#include "toolkit/Types.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// The values the sheet preview draws, one per field of labeldata::StyleFields, exactly as the
// window's entry fields hold them (lengths in millimetres, in extended precision; rows and
// columns as counts); the preview itself rounds the lengths to whole millimetres.
struct PreviewInput {
    std::array<Extended, labeldata::StyleFields.size()> values{}; // in the table's order

    // A style's own values.
    static PreviewInput of(const Tlabelpar& style);

    Extended& operator[](double Tlabelpar::* field) { return values[index(labeldata::fieldOf(field))]; }
    Extended& operator[](int32_t Tlabelpar::* field) { return values[index(labeldata::fieldOf(field))]; }
    Extended operator[](double Tlabelpar::* field) const { return values[index(labeldata::fieldOf(field))]; }
    int32_t operator[](int32_t Tlabelpar::* field) const
    {
        return static_cast<int32_t>(values[index(labeldata::fieldOf(field))]);
    }

private:
    static size_t index(int field) { return static_cast<size_t>(field); }
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
