#include "labeldata/Tdatatree.h"

#include "labeldata/FileError.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t GroupNameOffset = 30;
constexpr size_t GroupNameReadSize = 16;
constexpr size_t GroupNameSlot = 15; // bytes 30..44; 45 starts the count
constexpr size_t CountOffset = 45;
constexpr size_t NameSlot = 18;
constexpr size_t NameReadSize = 19;
constexpr uint32_t RecordMark = 203609;

uint16_t u16At(std::string_view image, size_t offset)
{
    return uint16_t(uint8_t(image[offset]) | (uint8_t(image[offset + 1]) << 8));
}

uint32_t u32At(std::string_view image, size_t offset)
{
    return uint32_t(uint8_t(image[offset])) | (uint32_t(uint8_t(image[offset + 1])) << 8)
        | (uint32_t(uint8_t(image[offset + 2])) << 16) | (uint32_t(uint8_t(image[offset + 3])) << 24);
}

void putU16(char* p, uint32_t value)
{
    p[0] = char(value & 0xFF);
    p[1] = char((value >> 8) & 0xFF);
}

void putU32(char* p, uint32_t value)
{
    putU16(p, value & 0xFFFF);
    putU16(p + 2, value >> 16);
}

size_t entryOffset(size_t i) { return Tdatatree::HeaderSize + Tdatatree::EntrySize * i; }

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

    // Every read is checked before anything changes, so a short file leaves the set as it was.
    if (image.size() < HeaderSize)
        return LoadResult::Damaged;
    const size_t n = u16At(image, CountOffset);
    if (image.size() < entryOffset(n))
        return LoadResult::Damaged;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t record = u32At(image, entryOffset(i) + NameReadSize);
        if (record + Tlabelpar::RecordReadSize > image.size())
            return LoadResult::Damaged;
    }

    // Only running out of memory can stop what follows; then the appended styles go again.
    std::string groupName = ReadFixedString(image, GroupNameOffset, GroupNameReadSize);
    const size_t before = LabelList.size();
    LabelList.reserve(before + n);
    try {
        for (size_t i = 0; i < n; ++i) {
            auto style = std::make_unique<Tlabelpar>();
            style->Name = ReadFixedString(image, entryOffset(i), NameReadSize);
            style->ReadRecord(image, u32At(image, entryOffset(i) + NameReadSize));
            LabelList.push_back(std::move(style));
        }
    } catch (...) {
        LabelList.resize(before);
        throw;
    }
    GroupName = std::move(groupName);
    return LoadResult::Loaded;
}

LoadResult Tdatatree::Load()
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw labeldata::FileError("を開けません", FileName, file.errorString());
    // Any other file the user picks by mistake, however large, is refused without reading it whole.
    const QByteArray head = file.peek(qint64(Magic.size()));
    if (file.error() == QFileDevice::NoError && !IsTemplate(std::string_view(head.constData(), size_t(head.size()))))
        return LoadResult::NotTemplate;
    const QByteArray image = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw labeldata::FileError("を読み込めません", FileName, file.errorString());
    return LoadImage(std::string_view(image.constData(), size_t(image.size())));
}

std::string Tdatatree::SaveImage() const
{
    const size_t n = LabelList.size();
    if (n > MaxStyles)
        throw std::length_error("too many label styles for one template file");

    // Bytes the format leaves unwritten stay zero.
    std::string image(HeaderSize + (EntrySize + Tlabelpar::RecordSize) * n, '\0');
    char* const p = image.data();

    std::memcpy(p, Magic.data(), Magic.size());
    putU16(p + 16, 0);
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
        const size_t r = firstRecord + Tlabelpar::RecordSize * i;
        putU32(entry + NameSlot + 1, uint32_t(r));

        char* const rec = p + r;
        putU32(rec, RecordMark);
        const uint32_t words[14] = {
            uint32_t(MmToMil(s.SheetWidth)),  uint32_t(MmToMil(s.SheetHeight)),
            uint32_t(MmToMil(s.LeftMargin)),  uint32_t(MmToMil(s.TopMargin)),
            uint32_t(MmToMil(s.RightMargin)), uint32_t(MmToMil(s.BottomMargin)),
            uint32_t(s.Columns),              uint32_t(s.Rows),
            0,
            uint32_t(MmToMil(s.HorizontalSpacing)), uint32_t(MmToMil(s.VerticalSpacing)),
            uint32_t(MmToMil(s.LabelWidth)),  uint32_t(MmToMil(s.LabelHeight)),
            0,
        };
        for (size_t w = 0; w < 14; ++w)
            putU16(rec + 4 + 2 * w, words[w]); // low 16 bits
        std::memcpy(rec + 32, s.Name.data(), nameLength);
        rec[50] = 0;
        rec[51] = 0;
    }
    return image;
}

void Tdatatree::Save() const
{
    if (LabelList.size() > MaxStyles)
        throw labeldata::FileError("に保存できません", FileName,
                                   QStringLiteral("ラベルスタイルが %1 個あります。1 つのファイルに保存できるのは %2 個までです")
                                       .arg(LabelList.size())
                                       .arg(MaxStyles));
    const std::string image = SaveImage();

    // The new content goes to a temporary file beside the target and replaces it only when
    // complete, so a failed save never destroys the old file; its permissions are kept.
    QSaveFile file(FileName);
    // Unbuffered: a buffered write that fails part way (disk full) is reported as complete and
    // the commit would then replace the file with a truncated one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw labeldata::FileError("を作成できません", FileName, file.errorString());
    errno = 0;
    const qint64 written = file.write(image.data(), qint64(image.size()));
    if (written != qint64(image.size())) {
        const int error = errno;
        const QString reason = file.error() != QFileDevice::NoError || error == 0
            ? file.errorString()
            : QString::fromLocal8Bit(std::strerror(error));
        file.cancelWriting();
        throw labeldata::FileError("に書き込めません", FileName, reason);
    }
    if (!file.commit())
        throw labeldata::FileError("に書き込めません", FileName, file.errorString());
}
