#include "labeldata/Tlabelpar.h"

#include "labeldata/StyleFields.h"

#include <cmath>
#include <limits>
#include <stdexcept>

int32_t Tlabelpar::MmToMilExtended(double length)
{
    // No rounding to double between the steps: 1000 mm must give 39370, 11 mm 433.
    const long double mil = static_cast<long double>(length) / 254.0L * 10000.0L + 0.5L;
    if (std::isnan(mil))
        return 0;
    // Beyond 32 bits the cast would be undefined; such lengths are far outside any sheet.
    if (mil >= 2147483648.0L)
        return std::numeric_limits<int32_t>::max();
    if (mil <= -2147483649.0L)
        return std::numeric_limits<int32_t>::min();
    // Truncate toward zero without a direct long double to integer cast: that switches the x87
    // rounding mode twice and made saving a large set many times slower. Adding and taking away
    // 1.5 * 2^63 leaves the nearest integer, exactly, in the 64-bit significand.
    constexpr long double shift = 0x1.8p63L;
    long double whole = (mil + shift) - shift;
    if (mil >= 0 && whole > mil)
        whole -= 1;
    else if (mil < 0 && whole < mil)
        whole += 1;
    return static_cast<int32_t>(static_cast<double>(whole)); // exact: |whole| < 2^31 + 1
}

void Tlabelpar::ReadRecord(std::string_view image, size_t offset)
{
    using namespace labeldata;
    if (offset > image.size() || image.size() - offset < tpl::RecordReadSize)
        throw std::out_of_range("label record lies beyond the end of the template image");
    // The record mark is skipped unchecked.
    const auto* words = reinterpret_cast<const unsigned char*>(image.data() + offset + tpl::RecordWordsOffset);
    // Unrolled, each field's place in the style is a constant; a full set reads 786,420 of them.
#pragma GCC unroll 12
    for (const StyleField& f : StyleFields) {
        const auto word = uint16_t(words[2 * f.word] | (words[2 * f.word + 1] << 8));
        if (f.isLength())
            this->*f.length = MilToMm(word);
        else
            this->*f.count = word;
    }
}
