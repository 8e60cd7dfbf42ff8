#include "labeldata/Tdatatree.h"

#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/StyleFields.h"


#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using namespace labeldata::tpl;
using labeldata::StyleFields;

constexpr size_t PrefetchAhead = 64; // entries

uint16_t u16At(std::string_view image, size_t offset)
{
    return uint16_t(uint8_t(image[offset]) | (uint8_t(image[offset + 1]) << 8));
}

uint32_t u32At(std::string_view image, size_t offset)
{
    // One load where the machine is little-endian, as the file is.
    uint32_t value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    if constexpr (std::endian::native != std::endian::little)
        value = __builtin_bswap32(value);
    return value;
}

// Low 16 bits, little-endian as the file is; a plain store where the machine is too.
void putU16(char* p, uint32_t value)
{
    uint16_t word = uint16_t(value);
    if constexpr (std::endian::native != std::endian::little)
        word = uint16_t((word >> 8) | (word << 8));
    std::memcpy(p, &word, sizeof word);
}

void putU32(char* p, uint32_t value)
{
    if constexpr (std::endian::native != std::endian::little)
        value = __builtin_bswap32(value);
    std::memcpy(p, &value, sizeof value);
}

// Two neighbouring length words, each MmToMil of its length. Where the machine has SSE2 both
// take MmToMil's fast path at once; saving a full file converts 655350 lengths.
void putLengths(char* p, double first, double second)
{
#if defined(__SSE2__)
    const __m128d quick = _mm_add_pd(_mm_mul_pd(_mm_set_pd(second, first), _mm_set1_pd(MilPerMm)), _mm_set1_pd(0.5));
    const __m128i whole = _mm_cvttpd_epi32(quick); // toward zero
    const __m128d fraction = _mm_andnot_pd(_mm_set1_pd(-0.0), _mm_sub_pd(quick, _mm_cvtepi32_pd(whole)));
    const __m128d inRange = _mm_and_pd(_mm_cmpgt_pd(quick, _mm_set1_pd(-MmToMilQuickLimit)), _mm_cmplt_pd(quick, _mm_set1_pd(MmToMilQuickLimit)));
    const __m128d clear = _mm_and_pd(_mm_cmpgt_pd(fraction, _mm_set1_pd(MmToMilQuickMargin)),
                                     _mm_cmplt_pd(fraction, _mm_set1_pd(1 - MmToMilQuickMargin)));
    if (_mm_movemask_pd(_mm_and_pd(inRange, clear)) == 3) { // NaN compares false and falls through
        putU16(p, uint32_t(_mm_cvtsi128_si32(whole)));
        putU16(p + 2, uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(whole, 4))));
        return;
    }
#endif
    putU16(p, uint32_t(MmToMil(first)));
    putU16(p + 2, uint32_t(MmToMil(second)));
}

// The record's words in order, as the reader walks them: two neighbouring lengths at a time,
// the counts as they are; reserved words stay zero.
template <size_t W>
inline void writeWords(const Tlabelpar& style, char* words)
{
    if constexpr (W < labeldata::RecordWords) {
        constexpr int f = labeldata::fieldAtWord(W);
        if constexpr (f < 0) {
            writeWords<W + 1>(style, words);
        } else if constexpr (!StyleFields[f].isLength()) {
            putU16(words + 2 * W, uint32_t(style.*(StyleFields[f].count)));
            writeWords<W + 1>(style, words);
        } else {
            constexpr int g = labeldata::fieldAtWord(W + 1);
            if constexpr (g >= 0 && StyleFields[g].isLength()) {
                putLengths(words + 2 * W, style.*(StyleFields[f].length), style.*(StyleFields[g].length));
                writeWords<W + 2>(style, words);
            } else {
                putU16(words + 2 * W, uint32_t(MmToMil(style.*(StyleFields[f].length))));
                writeWords<W + 1>(style, words);
            }
        }
    }
}

} // namespace

Tdatatree::~Tdatatree() { Clear(); }

void Tdatatree::Clear()
{
    // Free in list order, as the owner of the styles.
    for (auto& style : LabelList)
        style.reset();
    LabelList.clear();
}

bool Tdatatree::IsTemplate(std::string_view image)
{
    return image.size() >= Magic.size() && image.substr(0, Magic.size()) == Magic;
}

std::string Tdatatree::ReadFixedString(std::string_view image, size_t offset, size_t count)
{
    if (offset > image.size() || image.size() - offset < count)
        throw std::out_of_range("fixed string lies beyond the end of the template image");
    return std::string(image.substr(offset, count));
}

LoadResult Tdatatree::LoadImage(std::string_view image)
{
    if (!IsTemplate(image))
        return LoadResult::NotTemplate;

    if (image.size() < HeaderSize)
        return LoadResult::Damaged;
    const size_t n = u16At(image, CountOffset);
    if (image.size() < entryOffset(n))
        return LoadResult::Damaged;

    // One pass: a record beyond the end is rare, and then the appended styles go again, so a
    // damaged file leaves the set as it was. Running out of memory does the same.
    const size_t before = LabelList.size();
    LabelList.reserve(before + n);
    try {
        for (size_t i = 0; i < n; ++i) {
            const size_t entry = entryOffset(i);
            const uint64_t record = u32At(image, entry + NameReadSize);
            if (record + RecordReadSize > image.size()) {
                LabelList.resize(before);
                return LoadResult::Damaged;
            }
            // The records lie far apart from their entries; fetching ahead hides that wait,
            // which was a third of the time.
            if (i + PrefetchAhead < n) {
                const uint64_t ahead = u32At(image, entryOffset(i + PrefetchAhead) + NameReadSize);
                if (ahead < image.size())
                    __builtin_prefetch(image.data() + ahead);
            }
            // Not make_unique: zero-filling the whole style first cost as much as reading it.
            std::unique_ptr<Tlabelpar> style(new Tlabelpar);
            style->Name.assign(image.data() + entry, NameReadSize);
            style->ReadRecord(image, size_t(record));
            LabelList.push_back(std::move(style));
        }
    } catch (...) {
        LabelList.resize(before);
        throw;
    }
    GroupName = ReadFixedString(image, GroupNameOffset, GroupNameReadSize);
    return LoadResult::Loaded;
}

LoadResult Tdatatree::Load()
{
    labeldata::RegularFile file(FileName);

    // Any other file the user picks by mistake, however large, is refused without reading it whole.
    char head[Magic.size()];
    const size_t headSize = file.read(head, sizeof head);
    if (!IsTemplate(std::string_view(head, headSize)))
        return LoadResult::NotTemplate;

    // One read straight into a buffer of the file's size, left uninitialised: going through a
    // growing, zero-filled buffer cost as much again as the read itself.
    const size_t expected = std::max(size_t(file.size()), sizeof head);
    auto image = std::make_unique_for_overwrite<char[]>(expected);
    std::memcpy(image.get(), head, sizeof head);
    const size_t size = sizeof head + file.read(image.get() + sizeof head, expected - sizeof head); // less when the file shrank meanwhile
    // A file that grew meanwhile, or one whose size the system does not know, is read to its end.
    const QByteArray rest = file.readAll();
    if (!rest.isEmpty()) {
        std::string whole(image.get(), size);
        whole.append(rest.constData(), size_t(rest.size()));
        return LoadImage(whole);
    }
    return LoadImage(std::string_view(image.get(), size));
}

std::string Tdatatree::SaveImage() const
{
    const size_t n = LabelList.size();
    if (n > MaxStyles)
        throw std::length_error("too many label styles for one template file");

    // Bytes the format leaves unwritten stay zero.
    std::string image(fileSize(n), '\0');
    char* const p = image.data();

    std::memcpy(p, Magic.data(), Magic.size());
    // A long group name stops at its slot instead of running into the count and the directory.
    const size_t groupLength = std::min(GroupName.size(), GroupNameSlot);
    std::memcpy(p + GroupNameOffset, GroupName.data(), groupLength);
    if (groupLength < GroupNameSlot)
        p[GroupNameOffset + groupLength] = 0;
    putU16(p + CountOffset, uint32_t(n));

    const size_t firstRecord = entryOffset(n);
    for (size_t i = 0; i < n; ++i) {
        const Tlabelpar& s = *LabelList[i];
        const size_t nameLength = std::min(s.Name.size(), NameSlot);
        char* const entry = p + entryOffset(i);
        std::memcpy(entry, s.Name.data(), nameLength);
        entry[NameSlot] = 0;
        const size_t r = firstRecord + RecordSize * i;
        putU32(entry + NameSlot + 1, uint32_t(r));

        char* const rec = p + r;
        putU32(rec, RecordMark);
        // Each word goes straight to the image: collected in an array first, they made the
        // compiler move them through memory twice.
        writeWords<0>(s, rec + RecordWordsOffset);
        std::memcpy(rec + RecordNameOffset, s.Name.data(), nameLength);
    }
    return image;
}

void Tdatatree::Save() const
{
    if (LabelList.size() > MaxStyles)
        throw labeldata::FileError::tooManyStyles(FileName, LabelList.size(), MaxStyles);
    if (FileName.isEmpty())
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, QString::fromLocal8Bit(std::strerror(ENOENT)));
    const std::string image = SaveImage();
    labeldata::writeFileDurably(FileName, QByteArrayView(image.data(), qsizetype(image.size())));
}
