#include "labeldata/Tlabelpar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string recordWithWords(const std::vector<uint16_t>& words)
{
    std::string image(4, '\x77'); // record mark, never read
    for (uint16_t w : words) {
        image.push_back(char(w & 0xFF));
        image.push_back(char(w >> 8));
    }
    return image;
}

} // namespace

TEST(Tlabelpar, LengthsMoveToTheNearestThousandthOfAnInch)
{
    struct Row { double mm; int32_t word; double loaded; };
    const Row rows[] = {
        {0, 0, 0},          {11, 433, 10.9982},   {14, 551, 13.9954},
        {25.4, 1000, 25.4}, {55, 2165, 54.991},   {91, 3583, 91.0082},
        {210, 8268, 210.0072}, {297, 11693, 297.0022}, {1000, 39370, 999.998},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mm);
        EXPECT_EQ(MmToMil(r.mm), r.word);
        EXPECT_DOUBLE_EQ(MilToMm(uint16_t(r.word)), r.loaded);
        EXPECT_EQ(MmToMil(MilToMm(uint16_t(r.word))), r.word);
    }
}

TEST(Tlabelpar, EveryWordReadsBackAsItself)
{
    // Loading and saving without a change must write the same words.
    for (uint32_t v = 0; v <= 65535; ++v) {
        const double mm = MilToMm(uint16_t(v));
        ASSERT_GE(mm, 0.0) << v;
        ASSERT_EQ(MmToMil(mm), int32_t(v)) << v;
    }
    EXPECT_DOUBLE_EQ(MilToMm(32768), 832.3072);
    EXPECT_DOUBLE_EQ(MilToMm(65535), 1664.589);
}

TEST(Tlabelpar, EveryWordGivesTheCorrectlyRoundedQuotient)
{
    // A length read from a file is v * 254 / 10000 rounded once to a double: the same double on
    // every build, whether read alone or as part of a record.
    std::string image = recordWithWords(std::vector<uint16_t>(13, 0));
    for (uint32_t v = 0; v <= 65535; ++v) {
        const double quotient = double(v * 254u) / 10000.0;
        ASSERT_EQ(MilToMm(uint16_t(v)), quotient) << v;
        for (size_t i = 0; i < 13; ++i) {
            image[4 + 2 * i] = char(v & 0xFF);
            image[5 + 2 * i] = char(v >> 8);
        }
        Tlabelpar s;
        s.ReadRecord(image, 0);
        const double lengths[] = {s.SheetWidth, s.SheetHeight, s.LeftMargin, s.TopMargin,
                                  s.RightMargin, s.BottomMargin, s.HorizontalSpacing,
                                  s.VerticalSpacing, s.LabelWidth, s.LabelHeight};
        for (double mm : lengths)
            ASSERT_EQ(mm, quotient) << v;
    }
}

TEST(Tlabelpar, EveryTwoDecimalLengthGoesToTheNearestThousandth)
{
    // k hundredths of a millimetre are exactly 100k / 254 thousandths; + 0.5, truncated.
    for (int64_t k = -100000; k <= 100000; ++k) {
        const int64_t expected = (100 * k + 127) / 254; // integer division truncates toward zero
        ASSERT_EQ(MmToMil(double(k) / 100), expected) << k;
    }
}

TEST(Tlabelpar, HalfwayRoundsUpAndNegativeTruncatesTowardZero)
{
    struct Row { double mm; int32_t word; };
    const Row rows[] = {
        {0.0381, 2},             // 1.5 thousandths rounds up
        {0.0635, 3},             // 2.5
        {0.3175, 13},            // 12.5
        {25.4127, 1001},         // 1000.5
        {-1.7 * 0.0254, -1},     // -1.7 + 0.5 truncates to -1
        {-0.7 * 0.0254, 0},
        {-1, -38},
        {1664.6144, 65536},      // one past the word; the writer keeps the low 16 bits
    };
    for (const Row& r : rows)
        EXPECT_EQ(MmToMil(r.mm), r.word) << r.mm;
}

// Lengths typed or computed anywhere, halfway cases and their neighbours one ulp away included,
// convert exactly as the sum in extended precision truncated toward zero.
TEST(Tlabelpar, AnyLengthConvertsAsInExtendedPrecision)
{
    const auto reference = [](double mm) {
        return int32_t(std::trunc(static_cast<long double>(mm) / 254.0L * 10000.0L + 0.5L));
    };
    std::vector<double> lengths;
    for (int k = -70000; k <= 70000; ++k) {
        const double halfway = (k + 0.5) * 0.0254;
        lengths.insert(lengths.end(), {halfway, std::nextafter(halfway, 1e9), std::nextafter(halfway, -1e9)});
    }
    uint64_t state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        lengths.push_back((double(state >> 11) / double(1ULL << 53) - 0.5) * 4000);
    }
    for (double mm : lengths)
        ASSERT_EQ(MmToMil(mm), reference(mm)) << mm;
}

TEST(Tlabelpar, LengthsBeyondAnyIntegerConvertWithoutUndefinedBehaviour)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(MmToMil(std::nan("")), 0);
    EXPECT_EQ(MmToMil(inf), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(MmToMil(-inf), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(MmToMil(1e30), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(MmToMil(-1e30), std::numeric_limits<int32_t>::min());
}

TEST(Tlabelpar, ReadRecordTakesTheWordsInTheRecordsOwnOrder)
{
    // sheet w, sheet h, left, top, right, bottom, columns, rows, reserved, hspace, vspace, label w, label h
    const std::string image = "pad" + recordWithWords({8268, 11693, 551, 433, 1000, 2000, 2, 5, 0xFFFF,
                                                       100, 200, 3583, 2165});
    Tlabelpar s;
    s.ReadRecord(image, 3);
    EXPECT_DOUBLE_EQ(s.SheetWidth, 210.0072);
    EXPECT_DOUBLE_EQ(s.SheetHeight, 297.0022);
    EXPECT_DOUBLE_EQ(s.LeftMargin, 13.9954);
    EXPECT_DOUBLE_EQ(s.TopMargin, 10.9982);
    EXPECT_DOUBLE_EQ(s.RightMargin, 25.4);
    EXPECT_DOUBLE_EQ(s.BottomMargin, 50.8);
    EXPECT_EQ(s.Columns, 2);
    EXPECT_EQ(s.Rows, 5);
    EXPECT_DOUBLE_EQ(s.HorizontalSpacing, 2.54);
    EXPECT_DOUBLE_EQ(s.VerticalSpacing, 5.08);
    EXPECT_DOUBLE_EQ(s.LabelWidth, 91.0082);
    EXPECT_DOUBLE_EQ(s.LabelHeight, 54.991);
    EXPECT_TRUE(s.Name.empty());
}

TEST(Tlabelpar, ReadRecordReadsCountsAndLengthsUnsigned)
{
    const std::string image = recordWithWords({40000, 65535, 0, 0, 0, 0, 32768, 65535, 0, 0, 0, 39370, 0});
    Tlabelpar s;
    s.ReadRecord(image, 0);
    EXPECT_DOUBLE_EQ(s.SheetWidth, 1016.0);
    EXPECT_DOUBLE_EQ(s.SheetHeight, 1664.589);
    EXPECT_EQ(s.Columns, 32768);
    EXPECT_EQ(s.Rows, 65535);
    EXPECT_DOUBLE_EQ(s.LabelWidth, 999.998);
}

TEST(Tlabelpar, ReadRecordPastTheEndChangesNothing)
{
    const std::string image = recordWithWords({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    struct Row { std::string_view image; size_t offset; };
    const Row rows[] = {
        {std::string_view(image).substr(0, 29), 0}, // one byte short
        {image, 1},
        {image, 1000},
        {image, size_t(-1)},
    };
    for (const Row& r : rows) {
        Tlabelpar s;
        s.Rows = 42;
        EXPECT_THROW(s.ReadRecord(r.image, r.offset), std::out_of_range) << r.offset;
        EXPECT_EQ(s.Rows, 42);
        EXPECT_EQ(s.SheetWidth, 0);
    }
}
