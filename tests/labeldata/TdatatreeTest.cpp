#include "labeldata/Tdatatree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string fromHex(std::string_view hex)
{
    std::string out;
    int high = -1;
    for (char c : hex) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(char(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

// The one-style set "TEST" / "A4" at the editor's A4 defaults; unwritten bytes are zero.
const std::string WorkedExample = fromHex(
    "56 65 6C 6C 75 6D 6F 20 56 32 2E 30 20 54 50 4C" // magic
    "00 00" "00 00 00 00 00 00 00 00 00 00 00 00"     // reserved
    "54 45 53 54 00 00" "00 00 00 00 00 00 00 00 00"  // TEST and the rest of the slot
    "01 00"                                           // n = 1
    "41 34 00" "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" "00" "46 00 00 00"
    "59 1B 03 00" "4C 20" "AD 2D" "27 02" "B1 01" "27 02" "B1 01" "02 00" "05 00" "00 00"
    "00 00" "00 00" "FF 0D" "75 08" "00 00"
    "41 34 00" "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" "00 00");

std::unique_ptr<Tlabelpar> a4Style(std::string name)
{
    auto s = std::make_unique<Tlabelpar>();
    s->Name = std::move(name);
    s->SheetWidth = 210;
    s->SheetHeight = 297;
    s->LabelWidth = 91;
    s->LabelHeight = 55;
    s->Rows = 5;
    s->Columns = 2;
    s->LeftMargin = 14;
    s->RightMargin = 14;
    s->TopMargin = 11;
    s->BottomMargin = 11;
    return s;
}

uint32_t u32At(const std::string& image, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uint8_t(image[at + i]);
    return v;
}

void putU16(std::string& image, size_t at, uint16_t v)
{
    image[at] = char(v & 0xFF);
    image[at + 1] = char(v >> 8);
}

void putU32(std::string& image, size_t at, uint32_t v)
{
    putU16(image, at, uint16_t(v));
    putU16(image, at + 2, uint16_t(v >> 16));
}

} // namespace

TEST(Tdatatree, WorkedExampleSavesByteForByte)
{
    Tdatatree set;
    set.GroupName = std::string("TEST\0", 5);
    set.LabelList.push_back(*a4Style(std::string("A4\0", 3)));
    const std::string image = set.SaveImage();
    ASSERT_EQ(image.size(), 122u);
    EXPECT_EQ(image, WorkedExample);
}

TEST(Tdatatree, WorkedExampleLoadsAsTheFileSays)
{
    Tdatatree set;
    ASSERT_EQ(set.LoadImage(WorkedExample), LoadResult::Loaded);
    EXPECT_EQ(set.GroupName, WorkedExample.substr(30, 16));
    EXPECT_EQ(set.GroupName.size(), 16u);
    ASSERT_EQ(set.LabelList.size(), 1u);
    const Tlabelpar& s = set.LabelList[0];
    EXPECT_EQ(s.Name, std::string("A4\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 19));
    EXPECT_DOUBLE_EQ(s.SheetWidth, 210.0072);
    EXPECT_DOUBLE_EQ(s.SheetHeight, 297.0022);
    EXPECT_DOUBLE_EQ(s.LabelWidth, 91.0082);
    EXPECT_DOUBLE_EQ(s.LabelHeight, 54.991);
    EXPECT_DOUBLE_EQ(s.LeftMargin, 13.9954);
    EXPECT_DOUBLE_EQ(s.RightMargin, 13.9954);
    EXPECT_DOUBLE_EQ(s.TopMargin, 10.9982);
    EXPECT_DOUBLE_EQ(s.BottomMargin, 10.9982);
    EXPECT_EQ(s.VerticalSpacing, 0);
    EXPECT_EQ(s.HorizontalSpacing, 0);
    EXPECT_EQ(s.Rows, 5);
    EXPECT_EQ(s.Columns, 2);
    // Saving what was loaded gives the same file.
    EXPECT_EQ(set.SaveImage(), WorkedExample);
}

TEST(Tdatatree, SizesAndRecordOffsetsFollowTheStyleCount)
{
    struct Row { size_t styles; size_t size; std::vector<uint32_t> records; };
    const Row rows[] = {
        {0, 47, {}},
        {1, 122, {70}},
        {2, 197, {93, 145}},
        {3, 272, {116, 168, 220}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.styles);
        Tdatatree set;
        set.GroupName = std::string("G\0", 2);
        for (size_t i = 0; i < r.styles; ++i)
            set.LabelList.push_back(*a4Style("S" + std::to_string(i)));
        const std::string image = set.SaveImage();
        ASSERT_EQ(image.size(), r.size);
        EXPECT_EQ(uint8_t(image[45]) | uint8_t(image[46]) << 8, int(r.styles));
        for (size_t i = 0; i < r.styles; ++i) {
            EXPECT_EQ(u32At(image, 47 + 23 * i + 19), r.records[i]);
            EXPECT_EQ(u32At(image, r.records[i]), 203609u);
        }
        Tdatatree back;
        ASSERT_EQ(back.LoadImage(image), LoadResult::Loaded);
        EXPECT_EQ(back.LabelList.size(), r.styles);
        EXPECT_EQ(back.GroupName.substr(0, 2), std::string("G\0", 2));
    }
}

TEST(Tdatatree, LoadThenSaveKeepsEveryDefinedByte)
{
    // Fill the bytes the format does not define with junk; they must not disturb anything else.
    std::string image(47 + 75 * 2, '\xAA');
    std::memcpy(image.data(), "Vellumo V2.0 TPL", 16);
    putU16(image, 16, 0);
    std::memcpy(image.data() + 30, "\x83\x89\x83\x78\x83\x8B\0", 7); // ラベル
    putU16(image, 45, 2);
    const char* names[] = {"123456789012345678", "\x82\xA0\0"}; // 18 bytes; あ
    const uint16_t words[2][14] = {
        {8268, 11693, 551, 433, 551, 433, 2, 5, 0, 0, 0, 3583, 2165, 0},
        {5827, 5827, 40000, 65535, 1, 2, 1000, 65535, 0, 39370, 32768, 3, 4, 0},
    };
    for (size_t i = 0; i < 2; ++i) {
        const size_t entry = 47 + 23 * i, record = 47 + 46 + 52 * i;
        std::memcpy(image.data() + entry, names[i], std::strlen(names[i]) + 1);
        image[entry + 18] = 0;
        putU32(image, entry + 19, uint32_t(record));
        putU32(image, record, 203609);
        for (size_t w = 0; w < 14; ++w)
            putU16(image, record + 4 + 2 * w, words[i][w]);
        std::memcpy(image.data() + record + 32, names[i], std::strlen(names[i]));
        image[record + 32 + std::strlen(names[i])] = 0;
        image[record + 50] = image[record + 51] = 0;
    }

    Tdatatree set;
    ASSERT_EQ(set.LoadImage(image), LoadResult::Loaded);
    const std::string saved = set.SaveImage();
    ASSERT_EQ(saved.size(), image.size());

    auto defined = [](size_t at) {
        if (at >= 18 && at < 30)
            return false;
        if (at >= 35 && at < 45) // after the group name's zero byte
            return false;
        for (size_t i = 0; i < 2; ++i) {
            const size_t entry = 47 + 23 * i, record = 93 + 52 * i;
            const size_t used = i == 0 ? 18 : 3;
            if (at >= entry + used && at < entry + 18)
                return false;
            if (at >= record + 32 + used && at < record + 50)
                return false;
        }
        return true;
    };
    for (size_t at = 0; at < image.size(); ++at) {
        if (defined(at)) {
            EXPECT_EQ(uint8_t(saved[at]), uint8_t(image[at])) << "byte " << at;
        }
    }
}

TEST(Tdatatree, NamesKeepEveryByteOfTheirSlot)
{
    Tdatatree set;
    set.GroupName = "ABCDEFGHIJKLMN" + std::string(1, '\0'); // 14 bytes, the editor's longest
    set.LabelList.push_back(*a4Style("123456789012345678"));   // 18 bytes, no zero
    set.LabelList.push_back(*a4Style(std::string("x\0", 2)));
    const std::string image = set.SaveImage();
    EXPECT_EQ(image.substr(30, 15), "ABCDEFGHIJKLMN" + std::string(1, '\0'));
    EXPECT_EQ(image.substr(47, 19), "123456789012345678" + std::string(1, '\0'));
    EXPECT_EQ(image.substr(47 + 46 + 32, 18), "123456789012345678");

    Tdatatree back;
    ASSERT_EQ(back.LoadImage(image), LoadResult::Loaded);
    // The 16th byte of the group name is the count's low byte, after the zero.
    EXPECT_EQ(back.GroupName, "ABCDEFGHIJKLMN" + std::string(1, '\0') + std::string(1, '\2'));
    EXPECT_EQ(back.LabelList[0].Name, "123456789012345678" + std::string(1, '\0'));
    EXPECT_EQ(back.LabelList[1].Name, std::string("x\0", 2) + std::string(17, '\0'));
}

TEST(Tdatatree, OverlongNamesStopAtTheirSlot)
{
    Tdatatree set;
    set.GroupName = std::string(40, 'G');
    set.LabelList.push_back(*a4Style(std::string(40, 'N')));
    set.LabelList[0].Rows = 7;
    const std::string image = set.SaveImage();
    ASSERT_EQ(image.size(), 122u);
    EXPECT_EQ(image.substr(30, 15), std::string(15, 'G'));
    EXPECT_EQ(image.substr(45, 2), std::string("\1\0", 2));
    EXPECT_EQ(image.substr(47, 19), std::string(18, 'N') + std::string(1, '\0'));
    EXPECT_EQ(u32At(image, 66), 70u);
    EXPECT_EQ(image.substr(102, 20), std::string(18, 'N') + std::string(2, '\0'));

    Tdatatree back;
    ASSERT_EQ(back.LoadImage(image), LoadResult::Loaded);
    EXPECT_EQ(back.LabelList[0].Rows, 7);
}

TEST(Tdatatree, RecordsAreFoundThroughTheDirectoryOnly)
{
    // Records in reverse order, after a gap, with marks that are not the usual one.
    std::string image(47 + 46 + 10 + 104, '\0');
    std::memcpy(image.data(), "Vellumo V2.0 TPL", 16);
    putU16(image, 45, 2);
    const size_t records[] = {47 + 46 + 10 + 52, 47 + 46 + 10};
    for (size_t i = 0; i < 2; ++i) {
        image[47 + 23 * i] = char('a' + i);
        putU32(image, 47 + 23 * i + 19, uint32_t(records[i]));
        putU32(image, records[i], 0xDEADBEEF);
        putU16(image, records[i] + 4 + 2 * 6, uint16_t(10 + i)); // columns
        image[records[i] + 32] = 'z'; // the name copy is not read
    }
    Tdatatree set;
    ASSERT_EQ(set.LoadImage(image), LoadResult::Loaded);
    ASSERT_EQ(set.LabelList.size(), 2u);
    EXPECT_EQ(set.LabelList[0].Name[0], 'a');
    EXPECT_EQ(set.LabelList[0].Columns, 10);
    EXPECT_EQ(set.LabelList[1].Name[0], 'b');
    EXPECT_EQ(set.LabelList[1].Columns, 11);
}

TEST(Tdatatree, CountsOfHalfTheRangeOrMoreReadUnsigned)
{
    const size_t n = 40000;
    std::string image(47 + 23 * n + 30, '\0');
    std::memcpy(image.data(), "Vellumo V2.0 TPL", 16);
    putU16(image, 45, uint16_t(n));
    for (size_t i = 0; i < n; ++i)
        putU32(image, 47 + 23 * i + 19, uint32_t(47 + 23 * n)); // all share one record
    putU16(image, 47 + 23 * n + 4, 50000);
    Tdatatree set;
    ASSERT_EQ(set.LoadImage(image), LoadResult::Loaded);
    ASSERT_EQ(set.LabelList.size(), n);
    EXPECT_DOUBLE_EQ(set.LabelList[n - 1].SheetWidth, 1270.0);
}

TEST(Tdatatree, LoadingTwiceAppends)
{
    Tdatatree set;
    ASSERT_EQ(set.LoadImage(WorkedExample), LoadResult::Loaded);
    ASSERT_EQ(set.LoadImage(WorkedExample), LoadResult::Loaded);
    EXPECT_EQ(set.LabelList.size(), 2u);
    set.Clear();
    EXPECT_TRUE(set.LabelList.empty());
    EXPECT_EQ(set.GroupName, WorkedExample.substr(30, 16)); // Clear keeps the group name
}

TEST(Tdatatree, RefusedImagesLeaveTheSetUnchanged)
{
    std::string wrongCase = WorkedExample;
    wrongCase[0] = 'v';
    std::string leadingSpace = " " + WorkedExample;
    std::string noCountNoDirectory = WorkedExample.substr(0, 46);
    std::string directoryCut = WorkedExample.substr(0, 69);
    std::string recordCut = WorkedExample.substr(0, 99);  // the last read word is 98..99
    std::string offsetFarAway = WorkedExample;
    putU32(offsetFarAway, 66, 0xFFFFFFF0u);
    std::string countTooLarge = WorkedExample.substr(0, 92); // a second entry would end at 93
    putU16(countTooLarge, 45, 2);
    // Styles read before the bad record must go again.
    std::string lastOfManyBeyondTheEnd;
    {
        Tdatatree many;
        for (int i = 0; i < 300; ++i)
            many.LabelList.push_back(*a4Style("many"));
        lastOfManyBeyondTheEnd = many.SaveImage();
        putU32(lastOfManyBeyondTheEnd, 47 + 23 * 299 + 19, uint32_t(lastOfManyBeyondTheEnd.size()) - 29);
    }

    struct Row { const char* what; std::string image; LoadResult result; };
    const Row rows[] = {
        {"empty", "", LoadResult::NotTemplate},
        {"magic cut short", "Vellumo V2.0 TP", LoadResult::NotTemplate},
        {"magic in the wrong case", wrongCase, LoadResult::NotTemplate},
        {"magic not at the start", leadingSpace, LoadResult::NotTemplate},
        {"magic only", "Vellumo V2.0 TPL", LoadResult::Damaged},
        {"header without its count", noCountNoDirectory, LoadResult::Damaged},
        {"directory entry cut", directoryCut, LoadResult::Damaged},
        {"record cut one byte short", recordCut, LoadResult::Damaged},
        {"record offset beyond the end", offsetFarAway, LoadResult::Damaged},
        {"count larger than the directory", countTooLarge, LoadResult::Damaged},
        {"last of 300 records one byte short", lastOfManyBeyondTheEnd, LoadResult::Damaged},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Tdatatree set;
        set.GroupName = "before";
        set.LabelList.push_back(*a4Style("keep"));
        EXPECT_EQ(set.LoadImage(r.image), r.result);
        EXPECT_EQ(set.GroupName, "before");
        ASSERT_EQ(set.LabelList.size(), 1u);
        EXPECT_EQ(set.LabelList[0].Name, "keep");
    }
}

TEST(Tdatatree, DamagedContentWhoseBytesAreAllThereLoads)
{
    struct Row { const char* what; std::string image; size_t styles; };
    std::string lastWordAtTheEnd = WorkedExample.substr(0, 100); // the closing bytes are not read
    std::string countReadsIntoRecords = WorkedExample;
    putU16(countReadsIntoRecords, 45, 2);
    countReadsIntoRecords += std::string(30, '\0');
    putU32(countReadsIntoRecords, 47 + 23 + 19, 0); // second entry lies inside the first record
    const Row rows[] = {
        {"file ends after the last read word", lastWordAtTheEnd, 1},
        {"count larger than the real directory", countReadsIntoRecords, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Tdatatree set;
        EXPECT_EQ(set.LoadImage(r.image), LoadResult::Loaded);
        EXPECT_EQ(set.LabelList.size(), r.styles);
    }
}

TEST(Tdatatree, ReadFixedStringKeepsZeroBytes)
{
    const std::string image("ab\0\0cd", 6);
    EXPECT_EQ(Tdatatree::ReadFixedString(image, 1, 4), std::string("b\0\0c", 4));
    EXPECT_EQ(Tdatatree::ReadFixedString(image, 6, 0), "");
    EXPECT_THROW(Tdatatree::ReadFixedString(image, 3, 4), std::out_of_range);
    EXPECT_THROW(Tdatatree::ReadFixedString(image, 7, 0), std::out_of_range);
}

TEST(Tdatatree, CountsAndOutOfRangeValuesKeepTheirLow16Bits)
{
    Tdatatree set;
    auto s = a4Style("w");
    s->Rows = 65536 + 3;
    s->Columns = -1;
    s->SheetWidth = 1664.6144; // one past the largest word
    s->SheetHeight = -1;
    set.LabelList.push_back(std::move(*s));
    Tdatatree back;
    ASSERT_EQ(back.LoadImage(set.SaveImage()), LoadResult::Loaded);
    EXPECT_EQ(back.LabelList[0].Rows, 3);
    EXPECT_EQ(back.LabelList[0].Columns, 65535);
    EXPECT_EQ(back.LabelList[0].SheetWidth, 0);
    EXPECT_DOUBLE_EQ(back.LabelList[0].SheetHeight, 1663.6492);
}

TEST(Tdatatree, EveryLengthIsWrittenAsMmToMilGivesIt)
{
    // Lengths are written in pairs; each must come out as if converted alone, whether it is
    // near a halfway point, out of range or no number, and whatever its neighbour is.
    std::vector<double> lengths = {0, 11, 14, 25.4, 55, 91, 210, 297, 999.99, 1000, 1664.589,
                                   0.0127, 0.0381, 2.5273, -0.0127, -0.0126, -1, -5000,
                                   1e6, -1e6, 1e300, -1e300, 1e-300,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(),
                                   std::numeric_limits<double>::quiet_NaN()};
    for (int k = 0; k <= 2000; ++k) {
        // Halfway points and whole words, and the doubles just below them, where a quick
        // conversion in double precision alone would round up to the next word.
        const double at = k * 0.0127;
        lengths.push_back(at);
        lengths.push_back(std::nextafter(at, 0.0));
        lengths.push_back(std::nextafter(std::nextafter(at, 0.0), 0.0));
    }
    for (int k = 0; k <= 5000; k += 7)
        lengths.push_back(k / 100.0);
    double Tlabelpar::*const fields[] = {&Tlabelpar::SheetWidth, &Tlabelpar::SheetHeight,
                                         &Tlabelpar::LeftMargin, &Tlabelpar::TopMargin,
                                         &Tlabelpar::RightMargin, &Tlabelpar::BottomMargin,
                                         &Tlabelpar::HorizontalSpacing, &Tlabelpar::VerticalSpacing,
                                         &Tlabelpar::LabelWidth, &Tlabelpar::LabelHeight};
    const size_t wordOf[] = {0, 1, 2, 3, 4, 5, 9, 10, 11, 12};

    Tdatatree set;
    for (size_t i = 0; i < lengths.size(); ++i) {
        auto s = a4Style("x");
        for (size_t f = 0; f < std::size(fields); ++f)
            (*s).*fields[f] = lengths[(i + f * 7) % lengths.size()];
        set.LabelList.push_back(std::move(*s));
    }
    const std::string image = set.SaveImage();
    for (size_t i = 0; i < lengths.size(); ++i) {
        const size_t record = u32At(image, 47 + 23 * i + 19);
        for (size_t f = 0; f < std::size(fields); ++f) {
            const double length = lengths[(i + f * 7) % lengths.size()];
            const size_t at = record + 4 + 2 * wordOf[f];
            const uint16_t written = uint16_t(uint8_t(image[at]) | uint8_t(image[at + 1]) << 8);
            ASSERT_EQ(written, uint16_t(MmToMil(length))) << "length " << length << ", field " << f;
        }
    }
}
