#include "sheet/TrueTypeFont.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <functional>

namespace {

const QString ipaPGothic = QStringLiteral("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf");
const QString dejaVuSans = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
constexpr qreal pixelSize = 100;

QRawFont rawFont(const QByteArray& data)
{
    return QRawFont(data, pixelSize, QFont::PreferNoHinting);
}

QRawFont rawFontFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? rawFont(file.readAll()) : QRawFont();
}

std::vector<quint32> glyphsOf(const QRawFont& font, const QString& text)
{
    const QList<quint32> ids = font.glyphIndexesForString(text);
    return {ids.begin(), ids.end()};
}

qreal advanceOf(const QRawFont& font, quint32 glyph)
{
    return font.advancesForGlyphIndexes(QList<quint32>{glyph}).value(0).x();
}

std::shared_ptr<const sheet::TrueTypeFont> readBack(const QRawFont& font)
{
    return sheet::TrueTypeFont::fromTables([&](const char* tag) { return font.fontTable(tag); }, {});
}

} // namespace

TEST(TrueTypeFont, SubsetGlyphsKeepTheirOutlinesAndAdvances)
{
    struct Case {
        QString file;
        QString text;
        QString postScriptName;
        bool composites;
    };
    const Case cases[] = {
        {ipaPGothic, QStringLiteral("0123456789台紙列行"), QStringLiteral("IPAPGothic"), false},
        {dejaVuSans, QStringLiteral("09éÅ"), QStringLiteral("DejaVuSans"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QRawFont original = rawFontFile(c.file);
        ASSERT_TRUE(original.isValid());
        const auto font = sheet::TrueTypeFont::of(original);
        ASSERT_TRUE(font);
        EXPECT_EQ(sheet::TrueTypeFont::of(rawFontFile(c.file)), font);
        EXPECT_EQ(font->postScriptName(), c.postScriptName);
        EXPECT_EQ(font->unitsPerEm(), original.unitsPerEm());

        std::vector<quint32> glyphs = glyphsOf(original, c.text);
        glyphs.push_back(glyphs.front());
        glyphs.push_back(quint32(font->glyphCount()));
        const QRawFont subset = rawFont(font->subset(glyphs));
        ASSERT_TRUE(subset.isValid());
        EXPECT_EQ(subset.pathForGlyph(0), original.pathForGlyph(0));
        for (size_t i = 0; i + 1 < glyphs.size(); ++i) {
            SCOPED_TRACE(i);
            const QPainterPath outline = subset.pathForGlyph(quint32(i + 1));
            EXPECT_FALSE(outline.isEmpty());
            EXPECT_EQ(outline, original.pathForGlyph(glyphs[i]));
            EXPECT_EQ(advanceOf(subset, quint32(i + 1)), advanceOf(original, glyphs[i]));
            EXPECT_NEAR(font->advance(glyphs[i]) * pixelSize / font->unitsPerEm(),
                        advanceOf(original, glyphs[i]), 1.0 / 64);
        }
        EXPECT_TRUE(subset.pathForGlyph(quint32(glyphs.size())).isEmpty());

        const auto reread = readBack(subset);
        ASSERT_TRUE(reread);
        if (c.composites) {
            EXPECT_GT(reread->glyphCount(), int(glyphs.size()) + 1);
        } else {
            EXPECT_EQ(reread->glyphCount(), int(glyphs.size()) + 1);
        }
    }
}

TEST(TrueTypeFont, DamagedOrForbiddenFontsGiveNullOrEmptyGlyphs)
{
    const QRawFont original = rawFontFile(dejaVuSans);
    ASSERT_TRUE(original.isValid());
    using Tables = QHash<QByteArray, QByteArray>;
    Tables intact;
    for (const char* tag : {"head", "hhea", "maxp", "hmtx", "loca", "glyf", "OS/2", "name", "post",
                            "cvt ", "fpgm", "prep"})
        intact.insert(tag, original.fontTable(tag));
    const bool longLoca = intact["head"][51] == 1;
    const int entry = longLoca ? 4 : 2;
    auto put = [](QByteArray& table, qsizetype at, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            table[at + i] = char(value >> (8 * (bytes - 1 - i)));
    };
    auto locaAt = [&](quint32 glyph) {
        const QByteArray& loca = intact["loca"];
        quint32 v = 0;
        for (int i = 0; i < entry; ++i)
            v = v << 8 | quint8(loca[glyph * entry + i]);
        return longLoca ? v : 2 * v;
    };
    auto setLoca = [&](Tables& t, quint32 glyph, quint32 offset) {
        put(t["loca"], glyph * entry, longLoca ? offset : offset / 2, entry);
    };

    const std::vector<quint32> glyphs = glyphsOf(original, QStringLiteral("0Aé"));
    const quint32 zero = glyphs[0], a = glyphs[1], e = glyphs[2], pastEnd = 0xFFFE;
    const qsizetype eAt = locaAt(e);
    ASSERT_LT(qint8(intact["glyf"][eAt]), 0) << "é is a composite";
    ASSERT_LT(locaAt(zero), locaAt(a));

    struct Case {
        const char* what;
        std::function<void(Tables&)> damage;
        bool null;
        std::vector<quint32> emptied;
    };
    const Case cases[] = {
        {"intact", [](Tables&) {}, false, {}},
        {"outlines not in glyf", [](Tables& t) { t.remove("glyf"); }, true, {}},
        {"head cut short", [](Tables& t) { t["head"].truncate(50); }, true, {}},
        {"no metrics", [](Tables& t) { t["hmtx"].clear(); }, true, {}},
        {"unknown loca format", [&](Tables& t) { put(t["head"], 50, 2, 2); }, true, {}},
        {"embedding restricted", [&](Tables& t) { put(t["OS/2"], 8, 0x0002, 2); }, true, {}},
        {"bitmaps only", [&](Tables& t) { put(t["OS/2"], 8, 0x0208, 2); }, true, {}},
        {"preview and print", [&](Tables& t) { put(t["OS/2"], 8, 0x0004, 2); }, false, {}},
        {"no name table", [](Tables& t) { t.remove("name"); }, false, {}},
        {"glyf cut inside A", [&](Tables& t) { t["glyf"].truncate(locaAt(a) + 12); }, false, {a, e}},
        {"loca past glyf", [&](Tables& t) { setLoca(t, a + 1, 0xFFFFFFF0); }, false, {a}},
        {"loca backwards", [&](Tables& t) { setLoca(t, a, locaAt(a + 1) + 4); }, false, {a}},
        {"loca cut short", [&](Tables& t) { t["loca"].truncate(entry * qsizetype(a)); }, false, {a, e}},
        {"component past the font", [&](Tables& t) { put(t["glyf"], eAt + 12, 0xFFFF, 2); }, false, {e}},
        {"component is itself", [&](Tables& t) { put(t["glyf"], eAt + 12, e, 2); }, false, {e}},
        {"component cut short", [&](Tables& t) { setLoca(t, e + 1, eAt + 12); }, false, {e}},
        {"more metrics than hmtx", [&](Tables& t) { put(t["hhea"], 34, 0xFFFF, 2); }, false, {}},
        {"more glyphs than loca", [&](Tables& t) { put(t["maxp"], 4, 0xFFFF, 2); }, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tables tables = intact;
        c.damage(tables);
        const auto font = sheet::TrueTypeFont::fromTables(
            [&](const char* tag) { return tables.value(tag); }, QStringLiteral("DejaVu Sans"));
        EXPECT_EQ(!font, c.null);
        if (!font)
            continue;
        EXPECT_EQ(font->postScriptName(), QStringLiteral("DejaVuSans"));
        const std::vector<quint32> asked{zero, a, e, pastEnd};
        const QRawFont subset = rawFont(font->subset(asked));
        ASSERT_TRUE(subset.isValid());
        for (size_t i = 0; i < asked.size(); ++i) {
            SCOPED_TRACE(asked[i]);
            const bool emptied = asked[i] == pastEnd
                                 || std::ranges::find(c.emptied, asked[i]) != c.emptied.end();
            const QPainterPath outline = subset.pathForGlyph(quint32(i + 1));
            EXPECT_EQ(outline.isEmpty(), emptied);
            if (!emptied) {
                EXPECT_EQ(outline, original.pathForGlyph(asked[i]));
            }
        }
    }

    const QString cff = QStringLiteral("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc");
    if (QFile::exists(cff)) {
        EXPECT_FALSE(sheet::TrueTypeFont::of(QRawFont(cff, pixelSize)));
    }
}
