#include "numberedit/NumberText.h"

#include "toolkit/Errors.h"
#include "Separators.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace {

// Rewrites a text written with "." and "," into the separators in force.
QString local(const char* text)
{
    QString result = QString::fromUtf8(text);
    for (QChar& c : result) {
        if (c == u'.')
            c = DecimalSeparator();
        else if (c == u',')
            c = ThousandSeparator();
    }
    return result;
}

const QChar kNarrowNoBreakSpace(0x202F);

struct SeparatorCase
{
    QChar decimal, thousand;
};
const SeparatorCase kSeparatorCases[] = {{u'.', u','}, {u',', u'.'}, {u',', kNarrowNoBreakSpace}};

} // namespace

TEST(NumberText, PlainTextNeverHasAnExponent)
{
    for (const SeparatorCase& seps : kSeparatorCases) {
        Separators sep(seps.decimal, seps.thousand);
        const struct { long double value; const char* text; } rows[] = {
            {1.5e-5L, "0.000015"},
            {-1.5e-5L, "-0.000015"},
            {0.00001L, "0.00001"},
            {1.5e20L, "150000000000000000000"},
            {1e15L, "1000000000000000"},
            {-1.25L, "-1.25"},
            {0, "0"},
        };
        for (const auto& row : rows)
            EXPECT_EQ(TNumberText::FloatToPlainText(row.value), local(row.text)) << row.text;
    }
}

TEST(NumberText, RoundTextRoundsOnDecimalDigitsByMode)
{
    for (const SeparatorCase& seps : kSeparatorCases) {
        Separators sep(seps.decimal, seps.thousand);
        const struct { const char* text; int digits; TRoundMode mode; const char* result; } rows[] = {
            {"1.005", 2, rmRound, "1.01"},
            {"1.004", 2, rmRound, "1.00"},
            {"2.345", 2, rmDown, "2.34"},
            {"2.341", 2, rmUp, "2.35"},
            {"2.340", 2, rmUp, "2.34"},
            {"9.996", 2, rmRound, "10.00"},
            {"-1.96", 1, rmRound, "-2.0"},
            {"12.5", 0, rmRound, "13."},
            {"1.5", 3, rmRound, "1.5"},
            {"1.5", 3, rmUp, "1.5"},
            {"-2.349", 2, rmDown, "-2.34"},
            {"-2.349", 2, rmUp, "-2.35"},
            {"-2.349", 2, rmRound, "-2.35"},
            {"0.125", 2, rmRound, "0.13"},
            {"-0.125", 2, rmRound, "-0.13"},
            {"0.125", 2, rmDown, "0.12"},
            {"9.999", 2, rmRound, "10.00"},
            {"-0.996", 2, rmRound, "-1.00"},
            {".996", 2, rmRound, "1.00"},
            {"-.996", 2, rmRound, "-1.00"},
            {"+9.996", 2, rmRound, "10.00"},
            {"-0.5", 0, rmRound, "-1."},
            {"1,234.567", 2, rmDown, "1234.56"},
            {"1,234.567", -1, rmDown, "1234.567"},
            {"12", 2, rmRound, "12"},
            {"12.", 2, rmRound, "12."},
            // Beyond 64 bits the carry still works on the digits.
            {"99999999999999999999.5", 0, rmRound, "100000000000000000000."},
        };
        for (const auto& row : rows)
            EXPECT_EQ(TNumberText::RoundText(local(row.text), row.digits, row.mode), local(row.result))
                << row.text << " " << row.digits << " " << int(row.mode);
    }
}

TEST(NumberText, ParseTextReadsBothKindsAndCleansTheText)
{
    Separators sep(u'.', u',');
    const struct { const char* text; TNumberType type; bool validMinus; std::optional<long double> value; const char* cleaned; } rows[] = {
        {"", ntDecimal, false, 0, ""},
        {"-", ntDecimal, false, 0, "-"},
        {"+", ntHex, false, 0, "+"},
        {"1,234.5", ntDecimal, false, 1234.5L, "1234.5"},
        {"1,234", ntDecimal, false, 1234, "1234"},
        {",", ntDecimal, false, 0, ""},
        {".", ntDecimal, false, 0, "."},
        {"-.", ntDecimal, false, 0, "-."},
        {"-12", ntDecimal, false, -12, "-12"},
        {"9223372036854775807", ntDecimal, false, 9223372036854775807.0L, nullptr},
        {"99999999999999999999", ntDecimal, false, 99999999999999999999.0L, nullptr},
        {"-99999999999999999999", ntDecimal, false, -99999999999999999999.0L, nullptr},
        {"5-3", ntDecimal, false, std::nullopt, nullptr},
        {"ff", ntHex, false, 255, nullptr},
        {"FFFFFFFF", ntHex, false, -1, nullptr},
        {"80000000", ntHex, false, -2147483648.0L, nullptr},
        {"100000000", ntHex, false, std::nullopt, nullptr},
        {"FFFFFFFF", ntHex, true, 4294967295.0L, nullptr},
        {"-FF", ntHex, true, -255, nullptr},
        {"-8000000000000000", ntHex, true, -9223372036854775808.0L, nullptr},
        {"-FF", ntHex, false, std::nullopt, nullptr},
        {"G", ntHex, false, std::nullopt, nullptr},
    };
    for (const auto& row : rows) {
        QString text = QString::fromLatin1(row.text);
        if (row.value) {
            EXPECT_EQ(TNumberText::ParseText(text, row.type, row.validMinus), *row.value) << row.text;
            if (row.cleaned) {
                EXPECT_EQ(text, QString::fromLatin1(row.cleaned)) << row.text;
            }
        } else {
            EXPECT_THROW(TNumberText::ParseText(text, row.type, row.validMinus), EConvertError) << row.text;
        }
    }
}

TEST(NumberText, ValueToIntegerRoundsByModeAndSaturates)
{
    const struct { long double value; TRoundMode mode; int32_t result; } rows[] = {
        {255.6L, rmRound, 256},
        {255.6L, rmDown, 255},
        {255.1L, rmUp, 256},
        {-2.5L, rmRound, -3},
        {-2.5L, rmDown, -2},
        {0.00001L, rmRound, 0},
        {3e9L, rmRound, std::numeric_limits<int32_t>::max()},
        {-3e9L, rmRound, std::numeric_limits<int32_t>::min()},
        {1e15L, rmDown, std::numeric_limits<int32_t>::max()},
        {-1e25L, rmDown, std::numeric_limits<int32_t>::min()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TNumberText::ValueToInteger(row.value, row.mode), row.result) << double(row.value);
}

TEST(NumberText, FormatValueShowsTheEditorFieldsWithTwoFixedDecimals)
{
    for (const SeparatorCase& seps : kSeparatorCases) {
        Separators sep(seps.decimal, seps.thousand);
        TNumberFormat field;
        field.Figure = 2;
        field.Fixed = true;
        field.RoundMode = rmRound;
        TNumberFormat grouped = field;
        grouped.Comma = true;
        const struct { long double value; const TNumberFormat* format; const char* text; long double shown; } rows[] = {
            {91, &field, "91.00", 91},
            {12.345L, &field, "12.35", 12.35L},
            {0.004L, &field, "0.00", 0},
            {1000, &grouped, "1,000.00", 1000},
            {-0.5L, &grouped, "-0.50", -0.5L},
            {1234567.891L, &grouped, "1,234,567.89", 1234567.89L},
            {9.999L, &field, "10.00", 10},
            {-0.996L, &field, "-1.00", -1},
        };
        for (const auto& row : rows) {
            const auto formatted = TNumberText::FormatValue(row.value, false, *row.format);
            EXPECT_EQ(formatted.Text, local(row.text)) << row.text;
            EXPECT_EQ(formatted.Value, row.shown) << row.text;
        }
    }
}

TEST(NumberText, FormatValueWithOtherSettings)
{
    Separators sep(u'.', u',');
    const auto make = [](int figure, bool fixed, bool comma, TRoundMode mode, bool zeroVisible = true) {
        TNumberFormat f;
        f.Figure = figure;
        f.Fixed = fixed;
        f.Comma = comma;
        f.RoundMode = mode;
        f.ZeroVisible = zeroVisible;
        return f;
    };
    const struct { long double value; TNumberFormat format; bool plus; const char* text; } rows[] = {
        {1.25L, make(-1, false, false, rmDown), false, "1.25"},
        {3, make(-1, false, false, rmDown), false, "3"},
        {1234.5L, make(-1, false, true, rmDown), false, "1,234.5"},
        {1.5L, make(-1, true, false, rmDown), false, "1.5"},
        {12.5L, make(0, false, false, rmRound), false, "13"},
        {12.5L, make(0, true, false, rmRound), false, "13"},
        {12.5L, make(0, true, false, rmDown), false, "12"},
        {12, make(3, true, false, rmDown), false, "12.000"},
        {0.00001L, make(-1, false, false, rmDown), false, "0.00001"},
        {0, make(-1, false, false, rmDown, false), false, ""},
        {0.004L, make(2, true, false, rmRound, false), false, ""},
        {1234, make(2, true, false, rmRound), true, "+1234.00"},
        {-5, make(2, true, false, rmRound), true, "-5.00"},
        {1e20L, make(2, true, true, rmRound), false, "100,000,000,000,000,000,000.00"},
        {5e9L, make(-1, false, true, rmRound), false, "5,000,000,000"},
        {1e20L, make(-1, false, false, rmRound), false, "100000000000000000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TNumberText::FormatValue(row.value, row.plus, row.format).Text, QString::fromLatin1(row.text))
            << row.text;
    // A value beyond 64 bits reads back as the number it shows.
    EXPECT_EQ(TNumberText::FormatValue(1e20L, false, make(-1, false, false, rmDown)).Value, 1e20L);
}

TEST(NumberText, FormatValueInHexadecimal)
{
    const auto make = [](int figure, bool validMinus, TRoundMode mode = rmRound) {
        TNumberFormat f;
        f.NumberType = ntHex;
        f.Figure = figure;
        f.ValidMinus = validMinus;
        f.RoundMode = mode;
        return f;
    };
    const struct { long double value; TNumberFormat format; const char* text; long double shown; } rows[] = {
        {255.6L, make(-1, false), "100", 256},
        {255.6L, make(4, false), "0100", 256},
        {255.6L, make(4, false, rmDown), "00FF", 255},
        {-1, make(-1, false), "FFFFFFFF", -1},
        {-255, make(-1, true), "-FF", -255},
        {-255, make(4, true), "-00FF", -255},
        {0, make(-1, false), "0", 0},
        {5e9L, make(-1, false), "7FFFFFFF", 2147483647},
        {5e9L, make(-1, true), "12A05F200", 5e9L},
        {1e30L, make(-1, true), "7FFFFFFFFFFFFFFF", 9223372036854775807.0L},
        {-1e30L, make(-1, true), "-8000000000000000", -9223372036854775808.0L},
    };
    for (const auto& row : rows) {
        const auto formatted = TNumberText::FormatValue(row.value, false, row.format);
        EXPECT_EQ(formatted.Text, QString::fromLatin1(row.text)) << row.text;
        EXPECT_EQ(formatted.Value, row.shown) << row.text;
    }
}
