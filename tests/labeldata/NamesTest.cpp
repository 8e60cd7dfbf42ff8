// Names between the window's text and the code page 932 bytes of the set.
#include "labeldata/Names.h"

#include "labeldata/Cp932.h"

#include <gtest/gtest.h>

TEST(StyleName, ManyNamesReadExactlyAsEachOneAlone)
{
    using namespace std::string_literals;
    const std::vector<std::vector<std::string>> sets = {
        {},
        {"A4\0"s},
        {"A4\0"s, "\0"s, "no zero byte"s, "Sheet 12 x 4\0rest"s},
        {"\x83\x89\x83\x78\x83\x8B 1\0"s, "A\0"s},                // double-byte characters
        {"\xB1\xB2\xB3\0"s, "x\0"s},                               // half-width katakana
        {"tab\there\0"s, "\x1A\x1C\x7F\0"s},                       // control codes the code page maps its own way
        {"cut \x83\0"s, "next\0"s, "\x83"s, "last\0"s},            // a lead byte with no trail byte
        {"\x81\0\x40\0"s, "\xFF\xFE\0"s},                          // bytes that are no character
    };
    for (const auto& set : sets) {
        const std::vector<std::string_view> names(set.begin(), set.end());
        const QStringList texts = cp932::visibleTexts(names);
        ASSERT_EQ(texts.size(), qsizetype(set.size()));
        for (size_t i = 0; i < set.size(); ++i)
            EXPECT_EQ(texts[qsizetype(i)], cp932::visibleText(set[i])) << "name " << i << " of a set of " << set.size();
    }
}

TEST(StyleName, TypedNamesBecomeAtMostEighteenBytesWithoutSplittingACharacter)
{
    using namespace std::string_literals;
    const struct {
        QString typed;
        std::string name;
    } rows[] = {
        {QString(), "\0"s},
        {QStringLiteral("A4"), "A4\0"s},
        {QStringLiteral("123456789012345678"), "123456789012345678"s},
        {QStringLiteral("1234567890123456789"), "123456789012345678"s},
        {QStringLiteral("12345678901234567あ"), "12345678901234567\0"s},
        {QStringLiteral("ｱｲｳ"), "\xB1\xB2\xB3\0"s},
        {QStringLiteral("A😀B"), "A?B\0"s}, // only reachable by a program; the boxes refuse it
    };
    for (const auto& row : rows)
        EXPECT_EQ(labeldata::makeStyleName(row.typed), row.name) << row.typed.toStdString();
}
