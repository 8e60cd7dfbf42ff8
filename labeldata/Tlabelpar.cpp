#include "labeldata/Tlabelpar.h"

#include <cmath>
#include <limits>
#include <stdexcept>

double MilToMm(uint16_t value)
{
    const uint32_t scaled = uint32_t(value) * 254u;
    return double(scaled) / 10000.0;
}

int32_t MmToMil(double length)
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

namespace {

uint16_t wordAt(std::string_view image, size_t offset)
{
    return uint16_t(uint8_t(image[offset]) | (uint8_t(image[offset + 1]) << 8));
}

} // namespace

void Tlabelpar::ReadRecord(std::string_view image, size_t offset)
{
    if (offset > image.size() || image.size() - offset < RecordReadSize)
        throw std::out_of_range("label record lies beyond the end of the template image");

    uint16_t w[13];
    double mm[13];
    for (size_t i = 0; i < 13; ++i)
        w[i] = wordAt(image, offset + 4 + 2 * i); // the record mark is skipped unchecked
    // One loop of independent divisions, which the compiler can pair up.
    for (size_t i = 0; i < 13; ++i)
        mm[i] = double(uint32_t(w[i]) * 254u) / 10000.0; // as MilToMm
    SheetWidth = mm[0];
    SheetHeight = mm[1];
    LeftMargin = mm[2];
    TopMargin = mm[3];
    RightMargin = mm[4];
    BottomMargin = mm[5];
    Columns = w[6];
    Rows = w[7];
    HorizontalSpacing = mm[9];
    VerticalSpacing = mm[10];
    LabelWidth = mm[11];
    LabelHeight = mm[12];
}
