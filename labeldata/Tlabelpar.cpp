#include "labeldata/Tlabelpar.h"

#include "labeldata/SlabPool.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

// A word times 0.0254 without a division. 0.0254 is split into a head of 37 significant bits,
// so that word * head (16 + 37 bits) is exact, and the rest, whose one rounding is some 2^-89
// of the result. The exact v * 254 / 10000 lies at least 2^-62 (relative) from any point
// halfway between two doubles, so the one rounding of head + rest picks the same double as
// the division would. The test suite compares all 65536 words with the division.
constexpr double MmPerMilHead = std::bit_cast<double>(std::bit_cast<uint64_t>(0.0254) & ~uint64_t(0xFFFF));
// 5000 * head is exact (50 bits) and so is 127 minus it; only the final division rounds.
constexpr double MmPerMilRest = (127.0 - 5000.0 * MmPerMilHead) / 5000.0;

inline double milToMm(uint32_t value)
{
    const double v = double(value);
    return v * MmPerMilHead + v * MmPerMilRest;
}

} // namespace

double MilToMm(uint16_t value) { return milToMm(value); }

int32_t MmToMil(double length)
{
    // Fast path in double precision: its error is far below 1e-6 thousandths here, so when the
    // sum is not that close to a whole number it truncates exactly as the extended one does.
    const double quick = length / 254.0 * 10000.0 + 0.5;
    if (quick > -1e6 && quick < 1e6) {
        const auto whole = static_cast<int32_t>(quick); // toward zero
        const double fraction = std::fabs(quick - whole);
        if (fraction > 1e-6 && fraction < 1 - 1e-6)
            return whole;
    }

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
    if (offset > image.size() || image.size() - offset < RecordReadSize)
        throw std::out_of_range("label record lies beyond the end of the template image");

    // Each word straight from the image: assembled byte by byte, or copied to the stack first,
    // they cost more than the conversions.
    const char* const words = image.data() + offset + 4; // the record mark is skipped unchecked
    auto word = [words](size_t i) {
        uint16_t w;
        std::memcpy(&w, words + 2 * i, sizeof w);
        if constexpr (std::endian::native != std::endian::little)
            w = uint16_t((w >> 8) | (w << 8));
        return w;
    };
    SheetWidth = milToMm(word(0));
    SheetHeight = milToMm(word(1));
    LeftMargin = milToMm(word(2));
    TopMargin = milToMm(word(3));
    RightMargin = milToMm(word(4));
    BottomMargin = milToMm(word(5));
    Columns = word(6);
    Rows = word(7);
    HorizontalSpacing = milToMm(word(9)); // word 8 is reserved
    VerticalSpacing = milToMm(word(10));
    LabelWidth = milToMm(word(11));
    LabelHeight = milToMm(word(12));
}

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_ASAN 1
#endif

#ifndef TESSEL_ASAN
// Built at compile time and never torn down, so styles made or freed during static
// construction or destruction still find it.
union StylePool {
    labeldata::SlabPool pool;
    constexpr StylePool() : pool(sizeof(Tlabelpar)) {}
    ~StylePool() {}
};
constinit StylePool stylePool;
#endif

} // namespace

// Under AddressSanitizer every style is its own heap block, so a use after free or a double
// free is still reported.
void* Tlabelpar::operator new(std::size_t size)
{
#ifdef TESSEL_ASAN
    return ::operator new(size);
#else
    return stylePool.pool.allocate(size);
#endif
}

void Tlabelpar::operator delete(void* style) noexcept
{
#ifdef TESSEL_ASAN
    ::operator delete(style);
#else
    stylePool.pool.deallocate(style);
#endif
}
