#pragma once

#include <cstdint>
#include <initializer_list>

enum TNumberType : std::uint8_t { ntDecimal = 0, ntHex = 1 };
enum TRoundMode : std::uint8_t { rmDown = 0, rmRound = 1, rmUp = 2 };
enum TLimitOption : std::uint8_t { loMax = 0, loMin = 1 };

// Set of limit options; stored as one byte, bit 0 = loMax, bit 1 = loMin.
class TLimitOptions
{
public:
    constexpr TLimitOptions() = default;
    constexpr TLimitOptions(std::initializer_list<TLimitOption> options)
    {
        for (TLimitOption option : options)
            FBits |= std::uint8_t(1u << option);
    }

    constexpr bool contains(TLimitOption option) const { return (FBits >> option) & 1u; }
    constexpr std::uint8_t bits() const { return FBits; }
    static constexpr TLimitOptions fromBits(std::uint8_t bits)
    {
        TLimitOptions options;
        options.FBits = bits & 3u;
        return options;
    }
    constexpr bool operator==(const TLimitOptions&) const = default;

private:
    std::uint8_t FBits = 0;
};
