#include "labeldata/Tlabelpar.h"

#include "labeldata/SlabPool.h"

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

void Tlabelpar::throwRecordBeyondEnd()
{
    throw std::out_of_range("label record lies beyond the end of the template image");
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
