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

namespace labeldata::detail {

inline uint16_t recordWord(const char* words, size_t i)
{
    uint16_t w;
    std::memcpy(&w, words + 2 * i, sizeof w);
    if constexpr (std::endian::native != std::endian::little)
        w = uint16_t((w >> 8) | (w << 8));
    return w;
}

// Walks the record's words in order at compile time. Two neighbouring lengths are converted
// together where the machine has SSE2, by the same multiplications and addition as MilToMm, so
// the doubles are the same: the conversions were most of the time spent per record.
template <size_t W>
inline void readWords(Tlabelpar& style, const char* words)
{
    if constexpr (W < RecordWords) {
        constexpr int f = fieldAtWord(W);
        if constexpr (f < 0) {
            readWords<W + 1>(style, words);
        } else if constexpr (!StyleFields[f].isLength()) {
            style.*(StyleFields[f].count) = recordWord(words, W);
            readWords<W + 1>(style, words);
        } else {
#if defined(__SSE2__)
            constexpr int g = fieldAtWord(W + 1);
            if constexpr (g >= 0 && StyleFields[g].isLength()) {
                uint32_t two;
                std::memcpy(&two, words + 2 * W, sizeof two);
                const __m128d v = _mm_cvtepi32_pd(_mm_unpacklo_epi16(_mm_cvtsi32_si128(int(two)), _mm_setzero_si128()));
                const __m128d mm = _mm_add_pd(_mm_mul_pd(v, _mm_set1_pd(MilToMmHead)), _mm_mul_pd(v, _mm_set1_pd(MilToMmRest)));
                _mm_storel_pd(&(style.*(StyleFields[f].length)), mm);
                _mm_storeh_pd(&(style.*(StyleFields[g].length)), mm);
                readWords<W + 2>(style, words);
                return;
            }
#endif
            style.*(StyleFields[f].length) = MilToMm(recordWord(words, W));
            readWords<W + 1>(style, words);
        }
    }
}

} // namespace labeldata::detail

inline void Tlabelpar::ReadRecord(std::string_view image, size_t offset)
{
    if (offset > image.size() || image.size() - offset < labeldata::tpl::RecordReadSize)
        throwRecordBeyondEnd();
    // Each word straight from the image: assembled byte by byte, or copied to the stack first,
    // they cost more than the conversions. The record mark is skipped unchecked.
    labeldata::detail::readWords<0>(*this, image.data() + offset + labeldata::tpl::RecordWordsOffset);
}
