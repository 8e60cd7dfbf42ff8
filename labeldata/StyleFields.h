#pragma once

// The twelve numbers of a label style, described once: everything that reads, writes, checks or
// edits them walks this table instead of naming them again.
#include "labeldata/TemplateFormat.h"
#include "labeldata/Tlabelpar.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace labeldata {

enum class FieldKind { Length, Count };

// The editor's limits: lengths in millimetres, counts of rows and columns.
inline constexpr double LengthMin = 0;
inline constexpr double LengthMax = 1000;
inline constexpr int32_t CountMin = 1;
inline constexpr int32_t CountMax = 1000;

struct StyleField {
    std::string_view key;         // JSON key; with '_' read as a space, the English name
    FieldKind kind;
    double Tlabelpar::* length;   // set for lengths (millimetres, stored through MmToMil)
    int32_t Tlabelpar::* count;   // set for counts (stored as they are)
    size_t word;                  // its 16-bit word in the record, counted after the mark
    double min;
    double max;

    constexpr bool isLength() const { return kind == FieldKind::Length; }
    double value(const Tlabelpar& style) const { return isLength() ? style.*length : double(style.*count); }
};

namespace detail {
constexpr StyleField lengthField(std::string_view key, double Tlabelpar::* member, size_t word)
{
    return {key, FieldKind::Length, member, nullptr, word, LengthMin, LengthMax};
}
constexpr StyleField countField(std::string_view key, int32_t Tlabelpar::* member, size_t word)
{
    return {key, FieldKind::Count, nullptr, member, word, double(CountMin), double(CountMax)};
}
} // namespace detail

// In the style's declaration order, which is also the order of the JSON text.
inline constexpr std::array<StyleField, 12> StyleFields{{
    detail::lengthField("sheet_width", &Tlabelpar::SheetWidth, 0),
    detail::lengthField("sheet_height", &Tlabelpar::SheetHeight, 1),
    detail::lengthField("label_width", &Tlabelpar::LabelWidth, 11),
    detail::lengthField("label_height", &Tlabelpar::LabelHeight, 12),
    detail::lengthField("vertical_spacing", &Tlabelpar::VerticalSpacing, 10),
    detail::lengthField("horizontal_spacing", &Tlabelpar::HorizontalSpacing, 9),
    detail::countField("rows", &Tlabelpar::Rows, 7),
    detail::countField("columns", &Tlabelpar::Columns, 6),
    detail::lengthField("left_margin", &Tlabelpar::LeftMargin, 2),
    detail::lengthField("top_margin", &Tlabelpar::TopMargin, 3),
    detail::lengthField("right_margin", &Tlabelpar::RightMargin, 4),
    detail::lengthField("bottom_margin", &Tlabelpar::BottomMargin, 5),
}};

// Words the format reserves; they are written as zero and never read.
inline constexpr size_t RecordWords = 14;

// The field stored in a record word, or -1 for a reserved word.
constexpr int fieldAtWord(size_t word)
{
    for (size_t i = 0; i < StyleFields.size(); ++i)
        if (StyleFields[i].word == word)
            return int(i);
    return -1;
}

// The field whose member is m, or -1.
constexpr int fieldOf(double Tlabelpar::* m)
{
    for (size_t i = 0; i < StyleFields.size(); ++i)
        if (StyleFields[i].length == m)
            return int(i);
    return -1;
}
constexpr int fieldOf(int32_t Tlabelpar::* m)
{
    for (size_t i = 0; i < StyleFields.size(); ++i)
        if (StyleFields[i].count == m)
            return int(i);
    return -1;
}

static_assert(tpl::RecordWordsOffset + 2 * RecordWords + 18 + 2 == tpl::RecordSize);
static_assert([] {
    for (size_t w = 0; w < RecordWords; ++w) {
        int seen = 0;
        for (const StyleField& f : StyleFields)
            seen += f.word == w;
        if (seen > 1)
            return false;
    }
    return true;
}(), "two fields share a record word");
static_assert(tpl::RecordReadSize == tpl::RecordWordsOffset + 2 * 13, "the read part ends after the last field");

} // namespace labeldata
