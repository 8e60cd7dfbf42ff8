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
    return static_cast<int32_t>(mil); // truncates toward zero
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
    for (size_t i = 0; i < 13; ++i)
        w[i] = wordAt(image, offset + 4 + 2 * i); // the record mark is skipped unchecked
    SheetWidth = MilToMm(w[0]);
    SheetHeight = MilToMm(w[1]);
    LeftMargin = MilToMm(w[2]);
    TopMargin = MilToMm(w[3]);
    RightMargin = MilToMm(w[4]);
    BottomMargin = MilToMm(w[5]);
    Columns = w[6];
    Rows = w[7];
    HorizontalSpacing = MilToMm(w[9]);
    VerticalSpacing = MilToMm(w[10]);
    LabelWidth = MilToMm(w[11]);
    LabelHeight = MilToMm(w[12]);
}
