#include "numberedit/NumberEdit.h"

#include "Separators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Counts OnChange and records the text each time it fires.
struct ChangeLog
{
    explicit ChangeLog(TNumberEdit& edit)
    {
        edit.OnChange = [this, &edit](QObject* sender) {
            EXPECT_EQ(sender, &edit);
            Texts << edit.Text();
        };
    }
    QStringList Texts;
};

// The editor's length fields: two fixed decimals, rounded, between 0 and 1000.
void makeLengthField(TNumberEdit& edit, bool comma = false)
{
    edit.SetFigure(2);
    edit.SetFixed(true);
    edit.SetLimit(true);
    edit.SetLimitOptions({loMax, loMin});
    edit.SetMax(1000);
    edit.SetRoundMode(rmRound);
    if (comma)
        edit.SetComma(true);
}

} // namespace

TEST(NumberEdit, NewControlShowsZeroWithItsDefaults)
{
    TNumberEdit edit;
    EXPECT_EQ(edit.Text(), u"0");
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(edit.Min(), 0);
    EXPECT_EQ(edit.Max(), 0);
    EXPECT_EQ(edit.Figure(), -1);
    EXPECT_EQ(edit.LimitOptions(), TLimitOptions({loMax, loMin}));
    EXPECT_EQ(edit.LimitOptions().bits(), 3);
    EXPECT_FALSE(edit.Limit());
    EXPECT_FALSE(edit.Comma());
    EXPECT_FALSE(edit.Fixed());
    EXPECT_TRUE(edit.ZeroVisible());
    EXPECT_EQ(edit.RoundMode(), rmDown);
    EXPECT_EQ(edit.NumberType(), ntDecimal);
    EXPECT_EQ(edit.Alignment(), taRightJustify);
    EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
    EXPECT_EQ(edit.ImeMode(), imClose);
    EXPECT_FALSE(edit.testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(edit.acceptDrops());
}

TEST(NumberEdit, MinAndMaxKeepMinNotAboveMax)
{
    const struct { long double min, max; bool writeMax; long double written, newMin, newMax; } rows[] = {
        {10, 20, true, 5, 5, 5},
        {0, 5, false, 20, 20, 20},
        {0, 5, true, 7, 0, 7},
        {-3, 5, false, -10, -10, 5},
        {2, 2, true, 2, 2, 2},
    };
    for (const auto& row : rows) {
        TNumberEdit edit;
        edit.SetMax(row.max);
        edit.SetMin(row.min);
        if (row.writeMax)
            edit.SetMax(row.written);
        else
            edit.SetMin(row.written);
        EXPECT_EQ(edit.Min(), row.newMin);
        EXPECT_EQ(edit.Max(), row.newMax);
    }
}

TEST(NumberEdit, ValueIsClampedOnlyWhenLimitIsOnAndOnlyByTheChosenLimits)
{
    TNumberEdit edit;
    edit.SetMax(1000);
    edit.SetValue(5000);
    EXPECT_EQ(edit.Value(), 5000);
    EXPECT_EQ(edit.Text(), u"5000");
    edit.SetLimit(true);
    EXPECT_EQ(edit.Value(), 1000);
    EXPECT_EQ(edit.Text(), u"1000");

    const struct { TLimitOptions options; long double written, stored; } rows[] = {
        {{}, 5000, 5000},
        {{}, -5, -5},
        {{loMax}, 5000, 1000},
        {{loMax}, -5, -5},
        {{loMin}, -5, 0},
        {{loMin}, 5000, 5000},
        {{loMax, loMin}, -5, 0},
        {{loMax, loMin}, 1000.5L, 1000},
    };
    for (const auto& row : rows) {
        edit.SetLimitOptions(row.options);
        edit.SetValue(row.written);
        EXPECT_EQ(edit.Value(), row.stored) << double(row.written) << " options " << int(row.options.bits());
    }
}

TEST(NumberEdit, WritingALimitMovesAValueOnEitherSideToThatLimit)
{
    {
        // loMin off, so -5 is allowed; writing Max moves it to the new Max, not to Min.
        TNumberEdit edit;
        edit.SetMax(100);
        edit.SetLimit(true);
        edit.SetLimitOptions({loMax});
        edit.SetValue(-5);
        ASSERT_EQ(edit.Value(), -5);
        edit.SetMax(50);
        EXPECT_EQ(edit.Value(), 50);
        EXPECT_EQ(edit.Text(), u"50");
    }
    {
        TNumberEdit edit;
        edit.SetMax(100);
        edit.SetLimit(true);
        edit.SetLimitOptions({loMin});
        edit.SetValue(500);
        ASSERT_EQ(edit.Value(), 500);
        edit.SetMin(10);
        EXPECT_EQ(edit.Value(), 10);
        EXPECT_EQ(edit.Text(), u"10");
    }
    {
        // Without the matching option the value and its text stay.
        TNumberEdit edit;
        edit.SetMax(100);
        edit.SetLimit(true);
        edit.SetLimitOptions({loMin});
        edit.SetValue(80);
        edit.SetMax(50);
        EXPECT_EQ(edit.Value(), 80);
        EXPECT_EQ(edit.Text(), u"80");
    }
}

TEST(NumberEdit, WritersFireOnChangeOnlyWhenTheTextChanges)
{
    Separators sep(u'.', u',');
    TNumberEdit edit;
    makeLengthField(edit);
    edit.SetValue(91);
    ASSERT_EQ(edit.Text(), u"91.00");
    ChangeLog log(edit);

    edit.SetValue(91);
    EXPECT_TRUE(log.Texts.isEmpty()) << "an equal value";
    edit.SetValue(91.001L);
    EXPECT_TRUE(log.Texts.isEmpty()) << "a value that shows the same";
    EXPECT_EQ(edit.Value(), 91);

    edit.SetValue(12.345L);
    EXPECT_EQ(log.Texts, QStringList{u"12.35"_qs});
    EXPECT_EQ(edit.Value(), 12.35L);

    log.Texts.clear();
    edit.SetComma(true);
    edit.SetValue(1000);
    EXPECT_EQ(edit.Text(), u"1,000.00");
    edit.SetComma(false);
    EXPECT_EQ(edit.Text(), u"1000.00");
    EXPECT_EQ(log.Texts, QStringList{u"1,000.00"_qs}) << "Comma itself never fires";

    log.Texts.clear();
    edit.SetFigure(1);
    edit.SetFixed(false);
    edit.SetFixed(false);
    EXPECT_EQ(log.Texts, (QStringList{u"1000.0"_qs, u"1000"_qs}));

    log.Texts.clear();
    edit.SetLimit(false);
    edit.SetValue(5000);
    edit.SetLimit(false);
    EXPECT_EQ(log.Texts, QStringList{u"5000"_qs});
}

TEST(NumberEdit, ZeroVisibleHidesZeroWithoutAnOnChange)
{
    Separators sep(u'.', u',');
    TNumberEdit edit;
    edit.SetFigure(2);
    edit.SetFixed(true);
    edit.SetRoundMode(rmRound);
    ChangeLog log(edit);
    edit.SetZeroVisible(false);
    EXPECT_EQ(edit.Text(), u"");
    edit.SetValue(0.004L);
    EXPECT_EQ(edit.Text(), u"");
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_TRUE(log.Texts.isEmpty());
    edit.SetValue(3);
    EXPECT_EQ(edit.Text(), u"3.00");
    edit.SetZeroVisible(true);
    EXPECT_EQ(edit.Text(), u"3.00");
    edit.SetValue(0);
    EXPECT_EQ(edit.Text(), u"0.00");
}

TEST(NumberEdit, NumberTypeConvertsTheValue)
{
    const struct { long double value; TRoundMode mode; int figure; const char* hex; long double hexValue; } rows[] = {
        {255.6L, rmRound, -1, "100", 256},
        {255.6L, rmRound, 4, "0100", 256},
        {255.6L, rmDown, -1, "FF", 255},
        {-1, rmDown, -1, "FFFFFFFF", -1},
        {1e20L, rmDown, -1, "7FFFFFFF", 2147483647},
    };
    for (const auto& row : rows) {
        TNumberEdit edit;
        edit.SetRoundMode(row.mode);
        edit.SetValue(row.value);
        edit.SetFigure(row.figure);
        edit.SetNumberType(ntHex);
        EXPECT_EQ(edit.Text(), QString::fromLatin1(row.hex));
        EXPECT_EQ(edit.Value(), row.hexValue);
    }

    Separators sep(u'.', u',');
    TNumberEdit edit;
    edit.SetValidMinus(true);
    edit.SetNumberType(ntHex);
    edit.SetText(u"-1A"_qs);
    EXPECT_EQ(edit.Value(), -26);
    edit.SetValidMinus(false);
    EXPECT_EQ(edit.Text(), u"FFFFFFE6");
    edit.SetNumberType(ntDecimal);
    EXPECT_EQ(edit.Text(), u"-26");
    EXPECT_EQ(edit.Value(), -26);

    // A large integer comes back as digits, not as an exponent the decimal kind cannot read.
    edit.SetValidMinus(true);
    edit.SetNumberType(ntHex);
    edit.SetText(u"38D7EA4C68000"_qs); // 1E15
    edit.SetNumberType(ntDecimal);
    EXPECT_EQ(edit.Text(), u"1000000000000000");
    EXPECT_EQ(edit.Value(), 1e15L);
}

TEST(NumberEdit, ValueNeverBecomesNaNOrInfinite)
{
    TNumberEdit edit;
    edit.SetValue(42);
    for (long double bad : {std::numeric_limits<long double>::quiet_NaN(),
                            std::numeric_limits<long double>::infinity(),
                            -std::numeric_limits<long double>::infinity()}) {
        edit.SetValue(bad);
        EXPECT_EQ(edit.Value(), 42);
        EXPECT_EQ(edit.Text(), u"42");
        edit.SetMax(bad);
        edit.SetMin(bad);
        EXPECT_TRUE(std::isfinite(edit.Max()) && std::isfinite(edit.Min()));
    }
}

TEST(NumberEdit, LengthFieldsFollowTheLocaleSeparators)
{
    const struct { QChar decimal, thousand; const char* shown; } rows[] = {
        {u'.', u',', "1,000.00"},
        {u',', u'.', "1.000,00"},
        {u',', QChar(0x202F), "1\u202F000,00"},
        {u'.', QChar(0x2019), "1\u2019000.00"},
    };
    for (const auto& row : rows) {
        Separators sep(row.decimal, row.thousand);
        TNumberEdit edit;
        makeLengthField(edit, true);
        ChangeLog log(edit);
        edit.SetValue(1000);
        EXPECT_EQ(edit.Text(), QString::fromUtf8(row.shown));
        EXPECT_EQ(edit.Value(), 1000);
        EXPECT_EQ(log.Texts.size(), 1);
        edit.SetValue(-0.5L);
        EXPECT_EQ(edit.Value(), 0) << "clamped to Min";
        edit.SetLimit(false);
        edit.SetValue(-0.5L);
        EXPECT_EQ(edit.Text(), QStringLiteral("-0") + row.decimal + QStringLiteral("50"));
        EXPECT_EQ(edit.Value(), -0.5L);
    }
}

TEST(NumberEdit, AlignmentMapsToTheEditsAlignment)
{
    TNumberEdit edit;
    const struct { TAlignment alignment; Qt::Alignment expected; } rows[] = {
        {taLeftJustify, Qt::AlignLeft}, {taCenter, Qt::AlignHCenter}, {taRightJustify, Qt::AlignRight}};
    for (const auto& row : rows) {
        edit.SetAlignment(row.alignment);
        EXPECT_EQ(edit.alignment() & Qt::AlignHorizontal_Mask, row.expected);
    }
}
