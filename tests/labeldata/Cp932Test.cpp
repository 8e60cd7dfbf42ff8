#include "labeldata/Cp932.h"

#include <gtest/gtest.h>

TEST(Cp932, VisibleTextEndsAtTheFirstZeroByte)
{
    struct Row { std::string bytes; QString text; };
    const Row rows[] = {
        {"", ""},
        {std::string("TEST\0\0junk", 10), "TEST"},
        {std::string("\0A", 2), ""},
        {"\x83\x89\x83\x78\x83\x8B", QString::fromUtf8("ラベル")},
        {std::string("\x82\xA0\0\x82\xA2", 5), QString::fromUtf8("あ")},
        {"\xB1\xB2", QString::fromUtf8("ｱｲ")}, // half-width katakana are single bytes
        // Bytes that are no character show as such, each in its place, never as a control code.
        {"A\x80" "B\xFF", QString::fromUtf8("A\uFFFDB\uFFFD")},
        {"\x81\x20" "C", QString::fromUtf8("\uFFFD C")},
        {"\x85\x40\x82\xA0", QString::fromUtf8("\uFFFDあ")},
        {std::string("end\x83\0", 5), QString::fromUtf8("end\uFFFD")},
    };
    for (const Row& r : rows)
        EXPECT_EQ(cp932::visibleText(r.bytes), r.text) << r.bytes;
}

TEST(Cp932, EncodingRefusesWhatTheCodePageCannotHold)
{
    struct Row { const char* utf8; std::optional<std::string> bytes; };
    const Row rows[] = {
        {"A4 10面", std::string("A4 10\x96\xCA")},
        {"ハガキ", std::string("\x83\x6E\x83\x4B\x83\x4C")},
        {"①№", std::string("\x87\x40\x87\x82")},
        {"", std::string()},
        {"é", std::nullopt},
        {"A😀", std::nullopt},
        {"한", std::nullopt},
    };
    for (const Row& r : rows) {
        const QString text = QString::fromUtf8(r.utf8);
        EXPECT_EQ(cp932::encode(text), r.bytes) << r.utf8;
        EXPECT_EQ(cp932::canEncode(text), r.bytes.has_value()) << r.utf8;
        EXPECT_EQ(cp932::byteLength(text), r.bytes ? int(r.bytes->size()) : -1) << r.utf8;
    }
}

TEST(Cp932, CuttingNeverSplitsADoubleByteCharacter)
{
    struct Row { std::string bytes; size_t max; std::string cut; };
    const Row rows[] = {
        {"ABCDEFGHIJKLMNOPQRST", 18, "ABCDEFGHIJKLMNOPQR"},
        {"short", 18, "short"},
        {"A\x82\xA0\x82\xA2", 4, "A\x82\xA0"},  // あい: the second would need bytes 4 and 5
        {"A\x82\xA0\x82\xA2", 5, "A\x82\xA0\x82\xA2"},
        {"\xE0\x40", 1, ""},
        {"\xB1\xB2\xB3", 2, "\xB1\xB2"},        // single-byte katakana cut anywhere
        {"AB", 0, ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(cp932::cutToBytes(r.bytes, r.max), r.cut) << r.bytes << " / " << r.max;
}

TEST(Cp932, ValidityOfRawBytes)
{
    struct Row { std::string bytes; bool valid; };
    const Row rows[] = {
        {"", true},
        {"\x83\x89\x83\x78", true},
        {std::string("AB\0\0", 4), true},
        {"\x82", false},      // a lead byte with nothing after it
        {"\x82\x20", false},  // a lead byte with no valid trail byte
        {"\x80", false},
        {"\xFF", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(cp932::isValid(r.bytes), r.valid) << r.bytes;
}

// The table behind the one-character check must agree with the converter everywhere: it decides
// what the group-name box lets through.
TEST(Cp932, OneCharacterCheckAgreesWithTheConverterForEveryCharacter)
{
    int differ = 0;
    for (char32_t c = 0; c < 0x10000; ++c)
        if (cp932::canEncode(char16_t(c)) != cp932::canEncode(QString(QChar(char16_t(c)))) && ++differ < 10)
            ADD_FAILURE() << "U+" << std::hex << uint32_t(c);
    EXPECT_EQ(differ, 0);
}
