// Reads arbitrary bytes as a TrueType font file and subsets it; a subset of a font that reads
// must itself read, with every glyph asked for in its place.
#include "sheet/TrueTypeFont.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

quint32 u32(const char* p)
{
    return quint32(quint8(p[0])) << 24 | quint32(quint8(p[1])) << 16 | quint32(quint8(p[2])) << 8 | quint8(p[3]);
}

// The tables of an sfnt file by their directory; an entry outside the file gives nothing.
sheet::TrueTypeFont::TableSource tablesOf(const QByteArray& file)
{
    return [file](const char* tag) -> QByteArray {
        if (file.size() < 12)
            return {};
        const int count = quint8(file[4]) << 8 | quint8(file[5]);
        for (int i = 0; i < count && 12 + 16 * (i + 1) <= file.size(); ++i) {
            const char* entry = file.constData() + 12 + 16 * i;
            if (QByteArray(entry, 4) != tag)
                continue;
            const quint32 offset = u32(entry + 8), length = u32(entry + 12);
            if (offset > quint32(file.size()) || length > quint32(file.size()) - offset)
                return {};
            return file.mid(offset, length);
        }
        return {};
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto font = sheet::TrueTypeFont::fromTables(tablesOf(file), QStringLiteral("Fuzz"));
    if (!font)
        return 0;
    std::vector<quint32> glyphs;
    for (quint32 g = 1; g < 8; ++g)
        glyphs.push_back(g * 3 % quint32(font->glyphCount() + 2));
    (void)font->advance(quint32(font->glyphCount()) + 5);
    const QByteArray subset = font->subset(glyphs);
    const auto again = sheet::TrueTypeFont::fromTables(tablesOf(subset), QStringLiteral("Fuzz"));
    require(again && again->glyphCount() >= int(glyphs.size()) + 1);
    require(again->unitsPerEm() == font->unitsPerEm());
    return 0;
}
