#include "products/MoCatalogue.h"

#include "labeldata/FileAccess.h"


#include <cstdint>
#include <cstring>

namespace products {

namespace {

constexpr uint32_t Magic = 0x950412de;
// Larger than any catalogue; a count beyond it is damage, not a long list.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

class Reader
{
public:
    Reader(const QByteArray& bytes, bool swapped)
        : FBytes(bytes)
        , FSwapped(swapped)
    {
    }

    bool word(uint64_t offset, uint32_t& out) const
    {
        if (offset > uint64_t(FBytes.size()) || uint64_t(FBytes.size()) - offset < 4)
            return false;
        uint32_t v;
        std::memcpy(&v, FBytes.constData() + offset, 4);
        out = FSwapped ? __builtin_bswap32(v) : v;
        return true;
    }

    // The string a table entry points at: length and offset, with its terminating zero inside.
    bool string(uint64_t entry, QByteArray& out) const
    {
        uint32_t length = 0;
        uint32_t offset = 0;
        if (!word(entry, length) || !word(entry + 4, offset))
            return false;
        const uint64_t end = uint64_t(offset) + length;
        if (end >= uint64_t(FBytes.size()))
            return false;
        out = FBytes.mid(qsizetype(offset), qsizetype(length));
        return true;
    }

private:
    const QByteArray& FBytes;
    bool FSwapped;
};

} // namespace

bool MoCatalogue::load(const QByteArray& bytes)
{
    FMessages.clear();
    uint32_t magic = 0;
    if (bytes.size() < 28)
        return false;
    std::memcpy(&magic, bytes.constData(), 4);
    const bool swapped = magic == __builtin_bswap32(Magic);
    if (magic != Magic && !swapped)
        return false;
    const Reader r(bytes, swapped);
    uint32_t revision = 0, count = 0, originals = 0, translations = 0;
    if (!r.word(4, revision) || !r.word(8, count) || !r.word(12, originals) || !r.word(16, translations))
        return false;
    if ((revision >> 16) > 1 || uint64_t(count) * 8 > uint64_t(bytes.size()))
        return false;
    QHash<QString, QString> messages;
    messages.reserve(qsizetype(count));
    for (uint32_t i = 0; i < count; ++i) {
        QByteArray original;
        QByteArray translation;
        if (!r.string(uint64_t(originals) + 8ull * i, original) || !r.string(uint64_t(translations) + 8ull * i, translation))
            return false;
        // The header (empty message), contexts (EOT) and plurals (a zero inside) are not descriptions.
        if (original.isEmpty() || original.contains('\x04') || original.contains('\0') || translation.isEmpty())
            continue;
        const qsizetype zero = translation.indexOf('\0');
        messages.insert(QString::fromUtf8(original), QString::fromUtf8(zero < 0 ? translation : translation.left(zero)));
    }
    FMessages = std::move(messages);
    return true;
}

bool MoCatalogue::loadFile(const QString& path)
{
    FMessages.clear();
    try {
        labeldata::RegularFile file(path);
        if (file.size() > MaxFileSize)
            return false;
        return load(file.readAll());
    } catch (const labeldata::FileError&) {
        return false;
    }
}

const MoCatalogue& glabelsJapanese()
{
    static const MoCatalogue catalogue = [] {
        MoCatalogue c;
        for (const char* path : {"/usr/share/locale/ja/LC_MESSAGES/glabels-3.0.mo",
                                 "/usr/local/share/locale/ja/LC_MESSAGES/glabels-3.0.mo"})
            if (c.loadFile(QString::fromLatin1(path)))
                break;
        return c;
    }();
    return catalogue;
}

} // namespace products
