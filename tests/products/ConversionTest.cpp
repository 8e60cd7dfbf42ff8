#include "labeldata/Cp932.h"
#include "products/Length.h"
#include "products/Product.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace products;

TEST(Conversion, LengthsReadInEveryUnitOfTheFormat)
{
    const struct {
        const char* text;
        std::optional<double> mm;
    } rows[] = {
        {"210mm", 210},       {"8.5in", 215.9},   {"72", 25.4},       {"72pt", 25.4},   {"6pc", 25.4},
        {"2.5cm", 25},        {" 3 mm ", 3},      {"-1mm", -1},       {"1e1mm", 10},    {"", std::nullopt},
        {"mm", std::nullopt}, {"6O mm", std::nullopt}, {"5km", std::nullopt}, {"inf", std::nullopt},
        {"3,5mm", std::nullopt}, {"1e308in", std::nullopt},
    };
    for (const auto& r : rows) {
        const auto mm = parseLength(QString::fromLatin1(r.text));
        ASSERT_EQ(mm.has_value(), r.mm.has_value()) << r.text;
        if (mm) {
            EXPECT_NEAR(*mm, *r.mm, 1e-9) << r.text;
        }
    }
}

TEST(Conversion, GridBecomesMarginsAndSpacingsOrIsRefusedWithItsReason)
{
    const SheetGeometry a4{210, 297, 60, 20, 12, 28.5, 62, 20, 3, 12};
    auto with = [&](auto change) {
        SheetGeometry g = a4;
        change(g);
        return g;
    };
    const struct {
        const char* what;
        SheetGeometry g;
        std::optional<SkipReason> refused;
        double spacingAcross = 0, spacingDown = 0, right = 0, bottom = 0;
    } rows[] = {
        {"3 x 12 of 60 x 20", a4, {}, 2, 0, 14, 28.5},
        {"one column: no spacing, whatever the pitch", with([](SheetGeometry& g) { g.columns = 1; g.pitchAcross = 0; }), {}, 0, 0, 138, 28.5},
        {"rounding just below zero is zero", with([](SheetGeometry& g) { g.left = 26.03; }), {}, 2, 0, 0, 28.5},
        {"grid leaves the sheet", with([](SheetGeometry& g) { g.left = 26.1; }), SkipReason::GridLeavesSheet},
        {"pitch smaller than the label", with([](SheetGeometry& g) { g.pitchDown = 19.9; }), SkipReason::PitchBelowLabel},
        {"sheet over 1000 mm", with([](SheetGeometry& g) { g.sheetHeight = 1000.5; }), SkipReason::LengthOutOfRange},
        {"negative x0", with([](SheetGeometry& g) { g.left = -1; }), SkipReason::LengthOutOfRange},
        {"no columns", with([](SheetGeometry& g) { g.columns = 0; }), SkipReason::CountOutOfRange},
        {"1001 rows", with([](SheetGeometry& g) { g.rows = 1001; }), SkipReason::CountOutOfRange},
        {"not a number", with([](SheetGeometry& g) { g.labelWidth = NAN; }), SkipReason::LengthOutOfRange},
        {"an infinite pitch between columns", with([](SheetGeometry& g) { g.pitchAcross = INFINITY; }), SkipReason::Malformed},
        {"one column has no pitch, infinite or not", with([](SheetGeometry& g) { g.columns = 1; g.pitchAcross = INFINITY; }), {}, 0, 0, 138, 28.5},
        {"a label 0.03 mm over its sheet once stored", SheetGeometry{100, 50, 100.03, 50, 0, 0, 0, 0, 1, 1}, SkipReason::GridLeavesSheet},
    };
    for (const auto& r : rows) {
        const Conversion c = convert(r.g);
        ASSERT_EQ(c.style.has_value(), !r.refused) << r.what << ": " << c.detail.toStdString();
        if (r.refused) {
            EXPECT_EQ(c.reason, *r.refused) << r.what;
            EXPECT_FALSE(c.detail.isEmpty()) << r.what;
            continue;
        }
        const Tlabelpar& s = *c.style;
        EXPECT_EQ(s.SheetWidth, r.g.sheetWidth) << r.what;
        // A grid that fills its sheet may have a length lowered by up to the file's rounding.
        EXPECT_NEAR(s.LabelWidth, r.g.labelWidth, 0.0127) << r.what;
        EXPECT_NEAR(s.LeftMargin, r.g.left, 0.0127) << r.what;
        EXPECT_EQ(s.TopMargin, r.g.top) << r.what;
        EXPECT_EQ(s.Columns, r.g.columns) << r.what;
        EXPECT_EQ(s.Rows, r.g.rows) << r.what;
        EXPECT_NEAR(s.HorizontalSpacing, r.spacingAcross, 0.0127) << r.what;
        EXPECT_NEAR(s.VerticalSpacing, r.spacingDown, 1e-9) << r.what;
        // The far margins take up what rounding each length to 0.0254 mm adds over the grid,
        // so the stored sheet adds up exactly.
        EXPECT_NEAR(s.RightMargin, r.right, 0.0127 * (s.Columns + 2)) << r.what;
        EXPECT_NEAR(s.BottomMargin, r.bottom, 0.0127 * (s.Rows + 2)) << r.what;
        const int across = MmToMil(s.LeftMargin) + s.Columns * MmToMil(s.LabelWidth) +
                           (s.Columns - 1) * MmToMil(s.HorizontalSpacing) + MmToMil(s.RightMargin);
        const int down = MmToMil(s.TopMargin) + s.Rows * MmToMil(s.LabelHeight) +
                         (s.Rows - 1) * MmToMil(s.VerticalSpacing) + MmToMil(s.BottomMargin);
        if (r.right > 0) {
            EXPECT_EQ(across, MmToMil(s.SheetWidth)) << r.what;
        }
        EXPECT_EQ(down, MmToMil(s.SheetHeight)) << r.what;
    }
}

TEST(Conversion, NameIsBrandAndPartOrThePartAloneWhenThatWouldBeCutNumberedWhenItRepeats)
{
    // In the order a database lists them; a name repeats as stored, after any cut.
    const struct {
        const char* brand;
        const char* part;
        const char* visible;
    } rows[] = {
        {"Hisago", "ELM001", "Hisago ELM001"},              // 13 bytes and a zero
        {"Avery", "L7160-100", "Avery L7160-100"},          // 15
        {"Zweckform", "L4732REV-25", "L4732REV-25"},        // 21 would be cut
        {"ヒサゴ", "FSCGN863", "ヒサゴ FSCGN863"},           // 6 + 1 + 8 bytes
        {"エーワン", "28171-ABCDE", "28171-ABCDE"},          // 8 + 1 + 11 would be cut
        {"Maker", "宛名ラベル１２面用紙", "宛名ラベル１２面用"}, // 20 bytes: cut before a character, not inside
        {"Hisago", "ELM001", "Hisago ELM001 (2)"},          // one id twice
        {"Hisago", "ELM001", "Hisago ELM001 (3)"},
        {"Avery", "L7160-100", "L7160-100 (2)"},            // the number would cut "Avery L7160-100"
        {"Maker", "宛名ラベル１２面用紙２", "宛名ラベル１２ (2)"}, // the same once cut
    };
    std::unordered_set<std::string> taken;
    for (const auto& r : rows) {
        const std::string name = styleName(QString::fromUtf8(r.brand), QString::fromUtf8(r.part), taken);
        EXPECT_EQ(cp932::visibleText(name), QString::fromUtf8(r.visible)) << r.brand << " " << r.part;
        EXPECT_LE(name.size(), 18u);
        EXPECT_TRUE(cp932::isValid(name.substr(0, name.find('\0')))) << r.part;
    }
}
