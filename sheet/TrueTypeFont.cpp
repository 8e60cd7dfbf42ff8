#include "sheet/TrueTypeFont.h"

#include <QRawFont>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>
#include <unordered_map>

namespace sheet {

namespace {

quint16 u16(const char* p)
{
    return quint16(quint8(p[0]) << 8 | quint8(p[1]));
}

qint16 s16(const char* p)
{
    return qint16(u16(p));
}

quint32 u32(const char* p)
{
    return quint32(quint8(p[0])) << 24 | quint32(quint8(p[1])) << 16 | quint32(quint8(p[2])) << 8
           | quint8(p[3]);
}

void put16(char* p, quint16 v)
{
    p[0] = char(v >> 8);
    p[1] = char(v);
}

void put32(char* p, quint32 v)
{
    p[0] = char(v >> 24);
    p[1] = char(v >> 16);
    p[2] = char(v >> 8);
    p[3] = char(v);
}

bool holds(qsizetype size, qsizetype offset, qsizetype length)
{
    return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
}

qsizetype padded(qsizetype length)
{
    return (length + 3) & ~qsizetype(3);
}

quint32 checksum(const char* p, qsizetype paddedLength)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < paddedLength; i += 4)
        sum += u32(p + i);
    return sum;
}

constexpr quint16 argsAreWords = 0x0001;
constexpr quint16 haveScale = 0x0008;
constexpr quint16 moreComponents = 0x0020;
constexpr quint16 haveXYScale = 0x0040;
constexpr quint16 haveTwoByTwo = 0x0080;

// Calls visit(offset of the component's glyph index, index) for each component of a composite
// glyph; false when a record runs past the glyph or visit refuses.
template <typename Visit>
bool forEachComponent(const char* glyph, qsizetype length, Visit visit)
{
    qsizetype pos = 10;
    for (;;) {
        if (!holds(length, pos, 4))
            return false;
        const quint16 flags = u16(glyph + pos);
        const qsizetype args = flags & argsAreWords ? 4 : 2;
        const qsizetype scale = flags & haveScale      ? 2
                                : flags & haveXYScale  ? 4
                                : flags & haveTwoByTwo ? 8
                                                       : 0;
        if (!holds(length, pos, 4 + args + scale) || !visit(pos + 2, u16(glyph + pos + 2)))
            return false;
        pos += 4 + args + scale;
        if (!(flags & moreComponents))
            return true;
    }
}

bool keptInPdfName(QChar c)
{
    return c >= u'!' && c <= u'~' && !QStringView(u"()<>[]{}/%").contains(c);
}

QString pdfNameChars(QStringView s)
{
    QString kept;
    kept.reserve(s.size());
    for (QChar c : s)
        if (keptInPdfName(c))
            kept += c;
    return kept;
}

// Name ID 6 from a Windows or Unicode record (UTF-16BE), else from a Mac Roman one.
QString postScriptNameIn(const QByteArray& name)
{
    const qsizetype size = name.size();
    if (size < 6)
        return {};
    const char* p = name.constData();
    const qsizetype count = u16(p + 2);
    const qsizetype strings = u16(p + 4);
    QString mac;
    for (qsizetype i = 0; i < count && holds(size, 6 + 12 * i, 12); ++i) {
        const char* record = p + 6 + 12 * i;
        const quint16 platform = u16(record);
        const quint16 encoding = u16(record + 2);
        if (u16(record + 6) != 6)
            continue;
        const qsizetype length = u16(record + 8);
        const qsizetype offset = strings + u16(record + 10);
        if (!holds(size, offset, length))
            continue;
        const char* text = p + offset;
        if (platform == 3 || platform == 0) {
            QString s(length / 2, Qt::Uninitialized);
            for (qsizetype j = 0; j < length / 2; ++j)
                s[j] = QChar(u16(text + 2 * j));
            s = pdfNameChars(s);
            if (!s.isEmpty())
                return s;
        } else if (platform == 1 && encoding == 0 && mac.isEmpty()) {
            // Mac Roman agrees with Latin-1 on every character a PDF name keeps.
            mac = pdfNameChars(QString::fromLatin1(text, length));
        }
    }
    return mac;
}

} // namespace

std::shared_ptr<const TrueTypeFont> TrueTypeFont::of(const QRawFont& font)
{
    if (!font.isValid())
        return {};
    using Key = std::tuple<QString, QString, int, int>;
    static std::mutex mutex;
    static std::map<Key, std::shared_ptr<const TrueTypeFont>> cache;
    Key key{font.familyName(), font.styleName(), font.weight(), int(font.style())};
    // Held while reading so two threads never copy the same megabytes twice.
    const std::lock_guard lock(mutex);
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    auto read = fromTables([&](const char* tag) { return font.fontTable(tag); }, font.familyName());
    cache.emplace(std::move(key), read);
    return read;
}

std::shared_ptr<const TrueTypeFont> TrueTypeFont::fromTables(const TableSource& table,
                                                             const QString& family)
{
    std::shared_ptr<TrueTypeFont> font(new TrueTypeFont);
    if (!font->read(table, family))
        return {};
    return font;
}

bool TrueTypeFont::read(const TableSource& table, const QString& family)
{
    const QByteArray os2 = table("OS/2");
    if (os2.size() >= 10) {
        const quint16 fsType = u16(os2.constData() + 8);
        if ((fsType & 0x000F) == 0x0002 || (fsType & 0x0200))
            return false;
    }
    head_ = table("head");
    hhea_ = table("hhea");
    maxp_ = table("maxp");
    hmtx_ = table("hmtx");
    loca_ = table("loca");
    glyf_ = table("glyf");
    if (head_.size() < 54 || hhea_.size() < 36 || maxp_.size() < 6 || loca_.isEmpty()
        || glyf_.isEmpty())
        return false;
    const char* head = head_.constData();
    const char* hhea = hhea_.constData();
    unitsPerEm_ = u16(head + 18);
    const qint16 locaFormat = s16(head + 50);
    glyphCount_ = u16(maxp_.constData() + 4);
    metricsCount_ = int(std::min<qsizetype>({u16(hhea + 34), hmtx_.size() / 4, glyphCount_}));
    if (unitsPerEm_ == 0 || glyphCount_ == 0 || metricsCount_ == 0
        || (locaFormat != 0 && locaFormat != 1))
        return false;
    longLoca_ = locaFormat == 1;
    boundingBox_ = QRect(QPoint(s16(head + 36), s16(head + 38)),
                         QPoint(s16(head + 40), s16(head + 42)));

    ascent_ = s16(hhea + 4);
    descent_ = s16(hhea + 6);
    capHeight_ = ascent_;
    if (os2.size() >= 72) {
        ascent_ = s16(os2.constData() + 68);
        descent_ = s16(os2.constData() + 70);
        if (u16(os2.constData()) >= 2 && os2.size() >= 90)
            capHeight_ = s16(os2.constData() + 88);
        else
            capHeight_ = ascent_;
    }
    descent_ = -std::abs(descent_);

    postScriptName_ = postScriptNameIn(table("name"));
    if (postScriptName_.isEmpty())
        postScriptName_ = pdfNameChars(family);

    post_ = table("post").left(16);
    cvt_ = table("cvt ");
    fpgm_ = table("fpgm");
    prep_ = table("prep");
    return true;
}

int TrueTypeFont::advance(quint32 glyph) const
{
    if (glyph >= quint32(glyphCount_))
        return 0;
    const qsizetype entry = std::min<qsizetype>(glyph, metricsCount_ - 1);
    return u16(hmtx_.constData() + 4 * entry);
}

int TrueTypeFont::leftSideBearing(quint32 glyph) const
{
    if (glyph >= quint32(glyphCount_))
        return 0;
    if (glyph < quint32(metricsCount_))
        return s16(hmtx_.constData() + 4 * qsizetype(glyph) + 2);
    const qsizetype at = 4 * qsizetype(metricsCount_) + 2 * (qsizetype(glyph) - metricsCount_);
    return holds(hmtx_.size(), at, 2) ? s16(hmtx_.constData() + at) : 0;
}

TrueTypeFont::Span TrueTypeFont::glyphData(quint32 glyph) const
{
    if (glyph >= quint32(glyphCount_))
        return {};
    const qsizetype entry = longLoca_ ? 4 : 2;
    const qsizetype at = qsizetype(glyph) * entry;
    if (!holds(loca_.size(), at, 2 * entry))
        return {};
    const char* p = loca_.constData() + at;
    const qsizetype start = longLoca_ ? qsizetype(u32(p)) : qsizetype(u16(p)) * 2;
    const qsizetype end = longLoca_ ? qsizetype(u32(p + 4)) : qsizetype(u16(p + 2)) * 2;
    // Anything shorter than a glyph header is damaged, not merely empty.
    if (end - start < 10 || !holds(glyf_.size(), start, end - start))
        return {};
    return {start, end - start};
}

QByteArray TrueTypeFont::subset(const std::vector<quint32>& requested) const
{
    constexpr qsizetype maxGlyphs = 0xFFFF;
    struct Entry {
        quint32 source;
        Span data;
        bool composite;
    };
    std::vector<Entry> glyphs;
    glyphs.reserve(std::min<size_t>(requested.size() + 1, maxGlyphs));
    auto add = [&](quint32 source) {
        const Span data = glyphData(source);
        glyphs.push_back({source, data, data.length > 0 && s16(glyf_.constData() + data.offset) < 0});
    };
    add(0);
    for (quint32 g : requested) {
        if (qsizetype(glyphs.size()) == maxGlyphs)
            break;
        add(g);
    }

    // Components go after the requested glyphs; the loop reaches nested ones as they are added.
    std::unordered_map<quint32, quint16> componentIndex;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        if (!glyphs[i].composite)
            continue;
        const quint32 self = glyphs[i].source;
        const char* data = glyf_.constData() + glyphs[i].data.offset;
        const bool sound = forEachComponent(data, glyphs[i].data.length, [&](qsizetype, quint16 c) {
            if (c >= glyphCount_ || c == self)
                return false;
            if (componentIndex.count(c))
                return true;
            if (qsizetype(glyphs.size()) == maxGlyphs)
                return false;
            componentIndex.emplace(c, quint16(glyphs.size()));
            add(c);
            return true;
        });
        if (!sound)
            glyphs[i] = {self, {}, false};
    }

    const qsizetype count = qsizetype(glyphs.size());
    qsizetype glyfLength = 0;
    for (const Entry& e : glyphs)
        glyfLength += padded(e.data.length);
    // A font without a glyf table is no TrueType font, even when every glyph in it is empty.
    glyfLength = std::max<qsizetype>(glyfLength, 4);

    struct Table {
        const char* tag;
        qsizetype length;
    };
    const Table tables[] = {
        {"cmap", 36},
        {"cvt ", cvt_.size()},
        {"fpgm", fpgm_.size()},
        {"glyf", glyfLength},
        {"head", 54},
        {"hhea", 36},
        {"hmtx", 4 * count},
        {"loca", 4 * (count + 1)},
        {"maxp", std::min<qsizetype>(maxp_.size(), 32)},
        {"post", 32},
        {"prep", prep_.size()},
    };
    int tableCount = 0;
    for (const Table& t : tables)
        tableCount += t.length > 0;
    qsizetype total = 12 + 16 * tableCount;
    qsizetype locaAt = 0;
    for (const Table& t : tables) {
        if (std::string_view(t.tag, 4) == "loca")
            locaAt = total;
        total += padded(t.length);
    }

    QByteArray font(total, '\0');
    char* out = font.data();
    int searchPower = 0;
    while ((2 << searchPower) <= tableCount)
        ++searchPower;
    put32(out, 0x00010000);
    put16(out + 4, quint16(tableCount));
    put16(out + 6, quint16(16 << searchPower));
    put16(out + 8, quint16(searchPower));
    put16(out + 10, quint16(16 * tableCount - (16 << searchPower)));

    qsizetype at = 12 + 16 * tableCount;
    char* record = out + 12;
    char* head = nullptr;
    for (const Table& t : tables) {
        if (t.length == 0)
            continue;
        char* p = out + at;
        const std::string_view tag(t.tag, 4);
        if (tag == "cmap") {
            // One format 4 subtable holding only the closing segment: glyphs are found by id.
            put16(p + 2, 1);
            put16(p + 4, 3);
            put16(p + 6, 1);
            put32(p + 8, 12);
            char* sub = p + 12;
            put16(sub, 4);
            put16(sub + 2, 24);
            put16(sub + 6, 2);
            put16(sub + 8, 2);
            put16(sub + 14, 0xFFFF);
            put16(sub + 18, 0xFFFF);
            put16(sub + 20, 1);
        } else if (tag == "cvt ") {
            std::memcpy(p, cvt_.constData(), t.length);
        } else if (tag == "fpgm") {
            std::memcpy(p, fpgm_.constData(), t.length);
        } else if (tag == "prep") {
            std::memcpy(p, prep_.constData(), t.length);
        } else if (tag == "glyf") {
            char* loca = out + locaAt;
            qsizetype offset = 0;
            for (qsizetype i = 0; i < count; ++i) {
                put32(loca + 4 * i, quint32(offset));
                const Entry& e = glyphs[size_t(i)];
                char* g = p + offset;
                std::memcpy(g, glyf_.constData() + e.data.offset, e.data.length);
                if (e.composite)
                    forEachComponent(g, e.data.length, [&](qsizetype index, quint16 c) {
                        put16(g + index, componentIndex.at(c));
                        return true;
                    });
                offset += padded(e.data.length);
            }
            put32(loca + 4 * count, quint32(offset));
        } else if (tag == "head") {
            head = p;
            std::memcpy(p, head_.constData(), 54);
            put32(p + 8, 0);
            put16(p + 50, 1);
        } else if (tag == "hhea") {
            std::memcpy(p, hhea_.constData(), 36);
            put16(p + 34, quint16(count));
        } else if (tag == "hmtx") {
            for (qsizetype i = 0; i < count; ++i) {
                const quint32 source = glyphs[size_t(i)].source;
                put16(p + 4 * i, quint16(advance(source)));
                put16(p + 4 * i + 2, quint16(leftSideBearing(source)));
            }
        } else if (tag == "loca") {
            // Written with glyf.
        } else if (tag == "maxp") {
            std::memcpy(p, maxp_.constData(), t.length);
            put16(p + 4, quint16(count));
        } else if (tag == "post") {
            std::memcpy(p, post_.constData(), post_.size());
            put32(p, 0x00030000);
        }
        std::memcpy(record, t.tag, 4);
        put32(record + 8, quint32(at));
        put32(record + 12, quint32(t.length));
        record += 16;
        at += padded(t.length);
    }
    // Checksums once every table is written: loca is filled in while glyf is.
    for (char* r = out + 12; r < record; r += 16)
        put32(r + 4, checksum(out + u32(r + 8), padded(u32(r + 12))));
    put32(head + 8, 0xB1B0AFBA - checksum(out, total));
    return font;
}

} // namespace sheet
