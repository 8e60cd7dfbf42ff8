#include "toolkit/Conversions.h"

#include "toolkit/Errors.h"
#include "toolkit/NumberFormat.h"
#include "Separators.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <optional>
#include <string>

namespace {

QString message(const std::exception& error)
{
    return QString::fromUtf8(error.what());
}

} // namespace

TEST(Conversions, GeneralFloatTextHasFifteenDigitsAndSwitchesToExponentAtTheEdges)
{
    Separators sep(u'.', u',');
    const struct { long double value; const char* text; } rows[] = {
        {0, "0"},
        {-0.0L, "0"},
        {1.25L, "1.25"},
        {-1.25L, "-1.25"},
        {91, "91"},
        {0.1L, "0.1"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {0.0001L, "0.0001"},
        {0.000015L, "1.5E-5"},
        {-0.000015L, "-1.5E-5"},
        {1e-5L, "1E-5"},
        {999999999999999.0L, "999999999999999"},
        {1e15L, "1E15"},
        {1.5e20L, "1.5E20"},
        {1234567890123456789.0L, "1.23456789012346E18"},
        {9999999999999999.0L, "1E16"},
        {0.1L + 0.2L, "0.3"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FloatToStr(row.value), QString::fromLatin1(row.text)) << row.text;
}

TEST(Conversions, GeneralFloatTextUsesTheDecimalSeparatorSetting)
{
    Separators sep(u',', u'.');
    EXPECT_EQ(FloatToStr(1234.5L), u"1234,5");
    EXPECT_EQ(FloatToStr(1.5e-5L), u"1,5E-5");
}

TEST(Conversions, FloatParserAcceptsOnlyPlainNumberText)
{
    Separators sep(u'.', u',');
    const struct { const char* text; std::optional<long double> value; } rows[] = {
        {"1.5", 1.5L},
        {"  -2.25  ", -2.25L},
        {"+3", 3},
        {"12", 12},
        {".5", 0.5L},
        {"5.", 5},
        {".", 0},
        {"-.", 0},
        {"1.5E3", 1500},
        {"1.5e-2", 0.015L},
        {"2E+2", 200},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"E5", std::nullopt},
        {"1.5E", std::nullopt},
        {"1,5", std::nullopt},
        {"1.2.3", std::nullopt},
        {"5-3", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1E99999", std::nullopt},
        {"１２", std::nullopt},
    };
    for (const auto& row : rows) {
        const QString text = QString::fromUtf8(row.text);
        if (row.value) {
            EXPECT_EQ(StrToFloat(text), *row.value) << row.text;
        } else {
            try {
                StrToFloat(text);
                ADD_FAILURE() << "accepted " << row.text;
            } catch (const EConvertError& error) {
                EXPECT_EQ(message(error), QStringLiteral("'%1' は浮動小数点数ではありません").arg(text));
            }
        }
    }
}

TEST(Conversions, FloatParserFollowsACommaDecimalSeparator)
{
    Separators sep(u',', u'.');
    EXPECT_EQ(StrToFloat(u"1,5"_qs), 1.5L);
    EXPECT_THROW(StrToFloat(u"1.5"_qs), EConvertError);
}

// The application takes the C library's numeric locale from the user's environment, where
// the decimal point may be a comma; the parser must not depend on it.
TEST(Conversions, FloatParserIgnoresTheCLibrarysNumericLocale)
{
    const std::string previous = setlocale(LC_NUMERIC, nullptr);
    const char* used = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
        if ((used = setlocale(LC_NUMERIC, name)))
            break;
    if (!used || std::string(localeconv()->decimal_point) == ".") {
        setlocale(LC_NUMERIC, previous.c_str());
        GTEST_SKIP() << "no locale with a comma decimal point installed";
    }
    const struct { QChar decimal, thousand; const char* text; long double value; } rows[] = {
        {u'.', u',', "1.5", 1.5L},
        {u'.', u',', "-2.25", -2.25L},
        {u'.', u',', "1.5E3", 1500},
        {u',', u'.', "1,5", 1.5L},
        {u',', u'.', "0,015", 0.015L},
    };
    for (const auto& row : rows) {
        Separators sep(row.decimal, row.thousand);
        EXPECT_EQ(StrToFloat(QString::fromUtf8(row.text)), row.value) << row.text << " under " << used;
    }
    setlocale(LC_NUMERIC, previous.c_str());
}

TEST(Conversions, IntegerParsersReadDecimalAndDollarHexadecimalWithinTheirWidth)
{
    const struct { const char* text; std::optional<int64_t> as32; std::optional<int64_t> as64; } rows[] = {
        {"0", 0, 0},
        {"-17", -17, -17},
        {"+17", 17, 17},
        {"2147483647", 2147483647, 2147483647},
        {"2147483648", std::nullopt, 2147483648LL},
        {"-2147483648", std::numeric_limits<int32_t>::min(), -2147483648LL},
        {"9223372036854775807", std::nullopt, std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", std::nullopt, std::numeric_limits<int64_t>::min()},
        {"9223372036854775808", std::nullopt, std::nullopt},
        {"$ff", 255, 255},
        {"$7FFFFFFF", 2147483647, 2147483647},
        {"$FFFFFFFF", -1, 4294967295LL},
        {"$80000000", std::numeric_limits<int32_t>::min(), 2147483648LL},
        {"$100000000", std::nullopt, 4294967296LL},
        {"$FFFFFFFFFFFFFFFF", std::nullopt, -1},
        {"$10000000000000000", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"$", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"1.0", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {"$G", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        const QString text = QString::fromLatin1(row.text);
        const QString expected = QStringLiteral("'%1' は整数ではありません").arg(text);
        if (row.as32) {
            EXPECT_EQ(StrToInt(text), *row.as32) << row.text;
        } else {
            try {
                StrToInt(text);
                ADD_FAILURE() << "32-bit accepted " << row.text;
            } catch (const EConvertError& error) {
                EXPECT_EQ(message(error), expected);
            }
        }
        if (row.as64) {
            EXPECT_EQ(StrToInt64(text), *row.as64) << row.text;
        } else {
            try {
                StrToInt64(text);
                ADD_FAILURE() << "64-bit accepted " << row.text;
            } catch (const EConvertError& error) {
                EXPECT_EQ(message(error), expected);
            }
        }
    }
}

TEST(Conversions, ThousandsGroupingWorksOnAnyLengthAndAnySeparator)
{
    {
        Separators sep(u'.', u',');
        EXPECT_EQ(FormatThousands(0), u"0");
        EXPECT_EQ(FormatThousands(999), u"999");
        EXPECT_EQ(FormatThousands(1000), u"1,000");
        EXPECT_EQ(FormatThousands(-1234567), u"-1,234,567");
        EXPECT_EQ(FormatThousands(std::numeric_limits<int64_t>::min()), u"-9,223,372,036,854,775,808");
        EXPECT_EQ(GroupThousands(u"-0"_qs), u"0");
        EXPECT_EQ(GroupThousands(u"+0012"_qs), u"12");
        EXPECT_EQ(GroupThousands(u"123456789012345678901"_qs), u"123,456,789,012,345,678,901");
    }
    {
        Separators sep(u',', u'.');
        EXPECT_EQ(FormatThousands(1234567), u"1.234.567");
    }
    {
        Separators sep(u',', QChar(0x202F)); // narrow no-break space
        EXPECT_EQ(FormatThousands(1234), QStringLiteral("1\u202F234"));
    }
}
