#pragma once

#include "labeldata/ByteString.h"
#include "labeldata/TemplateFormat.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Length word of the template file (thousandths of an inch, read unsigned) to millimetres.
inline double MilToMm(uint16_t value);
// Millimetres to thousandths of an inch, rounded half up in extended precision.
inline int32_t MmToMil(double length);

// One label style: the sheet, one label, margins, spacing and grid, and the name shown for it.
class Tlabelpar {
public:
    labeldata::ByteString Name; // raw code page 932 bytes, trailing zero bytes kept
    double SheetWidth = 0;
    double SheetHeight = 0;
    double LabelWidth = 0;
    double LabelHeight = 0;
    double VerticalSpacing = 0;
    double HorizontalSpacing = 0;
    int32_t Rows = 0;
    int32_t Columns = 0;
    double LeftMargin = 0;
    double TopMargin = 0;
    double RightMargin = 0;
    double BottomMargin = 0;

    // Fills the twelve numbers from the record at offset; throws std::out_of_range, changing
    // nothing, when the words it reads are not all inside the image.
    void ReadRecord(std::string_view image, size_t offset);

private:
    friend int32_t MmToMil(double length);
    static int32_t MmToMilExtended(double length);
};

// A word times 0.0254 without a division. 0.0254 is split into a head of 37 significant bits,
// so that word * head (16 + 37 bits) is exact, and the rest, whose one rounding is some 2^-89
// of the result. The exact v * 254 / 10000 lies at least 2^-62 (relative) from any point
// halfway between two doubles, so the one rounding of head + rest picks the same double as
// the division would. The test suite compares all 65536 words with the division.
inline constexpr double MilToMmHead = std::bit_cast<double>(std::bit_cast<uint64_t>(0.0254) & ~uint64_t(0xFFFF));
// 5000 * head is exact (50 bits) and so is 127 minus it; only the final division rounds.
inline constexpr double MilToMmRest = (127.0 - 5000.0 * MilToMmHead) / 5000.0;

inline double MilToMm(uint16_t value)
{
    const double v = double(value);
    return v * MilToMmHead + v * MilToMmRest;
}

inline int32_t MmToMil(double length)
{
    // Fast path in double precision, multiplying instead of dividing: below 1e6 its error is
    // under 1e-9 thousandths, so when the product is not within 1e-6 of a half it rounds half
    // up exactly as the extended one does. Inline, since saving a full file converts 655350
    // lengths; adding and taking away 1.5 * 2^52 leaves the nearest whole number, which is
    // cheaper than truncating and converting back.
    const double quick = length * (10000.0 / 254.0);
    const double nearest = (quick + 0x1.8p52) - 0x1.8p52;
    if (nearest >= 0 && nearest < 1e6 && std::fabs(quick - nearest) < 0.5 - 1e-6) [[likely]]
        return static_cast<int32_t>(nearest);
    return Tlabelpar::MmToMilExtended(length);
}
