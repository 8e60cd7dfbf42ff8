#include "labeldata/Tdatatree.h"

#include "labeldata/FileError.h"
#include "labeldata/StyleFields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Reads until count bytes are in or the file ends; the number read, or -1 on an error.
qint64 readUpTo(QFile& file, char* into, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 got = file.read(into + done, count - done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

} // namespace

LoadResult Tdatatree::Load()
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw labeldata::FileError(labeldata::FileError::Operation::Open, FileName, file.errorString());
    auto readFailed = [&] { return labeldata::FileError(labeldata::FileError::Operation::Read, FileName, file.errorString()); };

    // Any other file the user picks by mistake, however large, is refused without reading it whole.
    char head[Magic.size()];
    const qint64 headSize = readUpTo(file, head, qint64(sizeof head));
    if (headSize < 0)
        throw readFailed();
    if (!IsTemplate(std::string_view(head, size_t(headSize))))
        return LoadResult::NotTemplate;

    // One read straight into a buffer of the file's size, left uninitialised: going through a
    // growing, zero-filled buffer cost as much again as the read itself.
    const qint64 expected = std::max(file.size(), qint64(sizeof head));
    auto image = std::make_unique_for_overwrite<char[]>(size_t(expected));
    std::memcpy(image.get(), head, sizeof head);
    const qint64 body = readUpTo(file, image.get() + sizeof head, expected - qint64(sizeof head));
    if (body < 0)
        throw readFailed();
    const size_t size = sizeof head + size_t(body); // less when the file shrank meanwhile
    // A file that grew meanwhile, or one whose size the system does not know, is read to its end.
    const QByteArray rest = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw readFailed();
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

namespace {

// A save writes into a hidden file beside the target whose name is the target's with this after
// it and six random letters; a user who finds one left by a killed save can tell what it was.
constexpr QLatin1StringView TemporaryInfix(".saving-");
constexpr int TemporaryLetters = 6;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The file a save replaces: through a symbolic link to the file it names, as an editor should.
QString replacedFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.exists())
        return info.canonicalFilePath();
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

bool isTemporaryOf(const QString& entry, const QString& prefix)
{
    if (!entry.startsWith(prefix) || entry.size() != prefix.size() + TemporaryLetters)
        return false;
    return std::all_of(entry.begin() + prefix.size(), entry.end(),
                       [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; });
}

// Each save holds a lock on its temporary until it is renamed, so one that can be locked is left
// from a save that was killed; the lock dies with the process.
void removeStaleTemporaries(const QString& folder, const QString& prefix)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (!isTemporaryOf(entry, prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + entry);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

} // namespace

void Tdatatree::Save() const
{
    if (LabelList.size() > MaxStyles)
        throw labeldata::FileError::tooManyStyles(FileName, LabelList.size(), MaxStyles);
    if (FileName.isEmpty())
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, systemReason(ENOENT));

    // The new content goes to a temporary file beside the target and replaces it only when
    // complete, so a failed or killed save never destroys the old file; its permissions are kept.
    const QString target = replacedFile(FileName);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat existing {};
    const bool exists = ::stat(targetPath.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, systemReason(EISDIR));
    // Renaming would replace a file the user may not write; refuse it as writing into it would.
    if (exists && ::access(targetPath.constData(), W_OK) != 0)
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, systemReason(errno));

    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    const QString prefix = QLatin1Char('.') + targetInfo.fileName() + TemporaryInfix;
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < TemporaryLetters; ++i)
            name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
        temporary = QFile::encodeName(folder + QLatin1Char('/') + name);
        // A new file gets the usual permissions; a replaced one its own, before any byte is in.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, systemReason(errno));
    }
    if (fd < 0)
        throw labeldata::FileError(labeldata::FileError::Operation::Create, FileName, systemReason(EEXIST));
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    auto discard = [&] {
        ::unlink(temporary.constData());
        ::close(fd);
    };
    auto fail = [&](int error) {
        discard();
        return labeldata::FileError(labeldata::FileError::Operation::Write, FileName, systemReason(error));
    };
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        throw fail(errno);
    std::string image;
    try {
        image = SaveImage();
    } catch (...) {
        discard();
        throw;
    }

    for (size_t done = 0; done < image.size();) {
        const ssize_t wrote = ::write(fd, image.data() + done, image.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            throw fail(wrote < 0 ? errno : ENOSPC);
        done += size_t(wrote);
    }
    // The lock is held through the rename: closing first would let a cleanup take the file.
    if (::rename(temporary.constData(), targetPath.constData()) != 0)
        throw fail(errno);
    ::close(fd);
    removeStaleTemporaries(folder, prefix);
}
