#include "labeldata/Tdatatree.h"

#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/StyleFields.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

using namespace labeldata::tpl;

uint32_t u16At(std::string_view image, size_t offset)
{
    return uint8_t(image[offset]) | (uint8_t(image[offset + 1]) << 8);
}

uint32_t u32At(std::string_view image, size_t offset)
{
    return u16At(image, offset) | (u16At(image, offset + 2) << 16);
}

// Little-endian, as the file is.
// Built in a local array and copied in one go, so that it becomes a single store.
void putU16(char* p, uint32_t value)
{
    const char bytes[2] = {char(value), char(value >> 8)};
    std::memcpy(p, bytes, sizeof bytes);
}

void putU32(char* p, uint32_t value)
{
    const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    std::memcpy(p, bytes, sizeof bytes);
}

} // namespace

Tdatatree::~Tdatatree() { Clear(); }

void Tdatatree::Clear()
{
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
            Tlabelpar& style = LabelList.emplace_back();
            style.Name.assign(image.data() + entry, NameReadSize);
            style.ReadRecord(image, size_t(record));
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

    // One buffer of the size the file had when opened; one that grew meanwhile is read to its end.
    QByteArray image(qsizetype(std::max<qint64>(file.size(), qint64(headSize))), Qt::Uninitialized);
    std::memcpy(image.data(), head, headSize);
    image.resize(qsizetype(headSize + file.read(image.data() + headSize, size_t(image.size()) - headSize)));
    image += file.readAll();
    return LoadImage(std::string_view(image.constData(), size_t(image.size())));
}

void Tdatatree::WriteImage(char* const p) const
{
    const size_t n = LabelList.size();
    if (n > MaxStyles)
        throw std::length_error("too many label styles for one template file");

    // Bytes the format leaves unwritten are zero. Each part is cleared just before it is filled,
    // while it is in the cache, rather than the whole image once beforehand.
    std::memset(p, 0, HeaderSize);
    std::memcpy(p, Magic.data(), Magic.size());
    // A long group name stops at its slot instead of running into the count and the directory.
    std::memcpy(p + GroupNameOffset, GroupName.data(), std::min(GroupName.size(), GroupNameSlot));
    putU16(p + CountOffset, uint32_t(n));

    const size_t firstRecord = entryOffset(n);
    for (size_t i = 0; i < n; ++i) {
        const Tlabelpar& s = LabelList[i];
        const size_t nameLength = std::min(s.Name.size(), NameSlot);
        char* const entry = p + entryOffset(i);
        std::memset(entry, 0, EntrySize);
        std::memcpy(entry, s.Name.data(), nameLength);
        const size_t r = firstRecord + RecordSize * i;
        putU32(entry + NameSlot + 1, uint32_t(r));

        char* const rec = p + r;
        std::memset(rec, 0, RecordSize);
        putU32(rec, RecordMark);
#pragma GCC unroll 12
        for (const labeldata::StyleField& f : labeldata::StyleFields)
            putU16(rec + RecordWordsOffset + 2 * f.word, f.isLength() ? uint32_t(MmToMil(s.*f.length)) : uint32_t(s.*f.count));
        std::memcpy(rec + RecordNameOffset, s.Name.data(), nameLength);
    }
}

std::string Tdatatree::SaveImage() const
{
    std::string image(fileSize(std::min(LabelList.size(), MaxStyles)), '\0');
    WriteImage(image.data());
    return image;
}

void Tdatatree::Save() const
{
    if (LabelList.size() > MaxStyles)
        throw labeldata::FileError::tooManyStyles(FileName, LabelList.size(), MaxStyles);
    if (FileName.isEmpty())
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, QString::fromLocal8Bit(std::strerror(ENOENT)));
    // Left uninitialised: WriteImage fills every byte.
    QByteArray image(qsizetype(fileSize(LabelList.size())), Qt::Uninitialized);
    WriteImage(image.data());
    labeldata::writeFileDurably(FileName, image);
}
