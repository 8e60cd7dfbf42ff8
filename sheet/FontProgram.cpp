#include "sheet/FontProgram.h"

#include <QRawFont>
#include <QString>

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace sheet {

namespace {

constexpr hb_tag_t CffTag = HB_TAG('C', 'F', 'F', ' ');

// What a PDF reader needs of a font, and what is read of it besides (names, licence, metrics),
// which the subset leaves out. Without cmap and the layout tables HarfBuzz neither looks for
// characters of the glyphs nor closes over GSUB, which cost more than the subset itself: the
// glyphs come already shaped.
constexpr hb_tag_t EmbeddedTables[] = {HB_TAG('h', 'e', 'a', 'd'), HB_TAG('h', 'h', 'e', 'a'), HB_TAG('h', 'm', 't', 'x'),
                                       HB_TAG('m', 'a', 'x', 'p'), HB_TAG('g', 'l', 'y', 'f'), HB_TAG('l', 'o', 'c', 'a'),
                                       HB_TAG('c', 'v', 't', ' '), HB_TAG('f', 'p', 'g', 'm'), HB_TAG('p', 'r', 'e', 'p'),
                                       CffTag};
constexpr hb_tag_t ReadTables[] = {HB_TAG('O', 'S', '/', '2'), HB_TAG('n', 'a', 'm', 'e')};

bool keptInPdfName(char c)
{
    return c >= '!' && c <= '~' && !QByteArrayView("()<>[]{}/%").contains(c);
}

QByteArray pdfName(const QByteArray& s)
{
    QByteArray kept;
    for (char c : s)
        if (keptInPdfName(c))
            kept += c;
    return kept;
}

// Installable (0), or one of the licences that allow embedding for printing or editing.
bool embeddingAllowed(const QByteArray& os2)
{
    if (os2.size() < 10)
        return true;
    const unsigned fsType = unsigned(quint8(os2[8])) << 8 | quint8(os2[9]);
    return (fsType & 0x000F) != 0x0002 && !(fsType & 0x0200); // restricted; bitmaps only
}

bool hasTable(hb_face_t* face, hb_tag_t tag)
{
    hb_blob_t* blob = hb_face_reference_table(face, tag);
    const bool found = hb_blob_get_length(blob) > 0;
    hb_blob_destroy(blob);
    return found;
}

QByteArray tableOf(hb_face_t* face, hb_tag_t tag)
{
    hb_blob_t* blob = hb_face_reference_table(face, tag);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    QByteArray bytes(data, qsizetype(length));
    hb_blob_destroy(blob);
    return bytes;
}

hb_blob_t* blobOf(QByteArray bytes)
{
    auto* held = new QByteArray(std::move(bytes));
    return hb_blob_create(held->constData(), unsigned(held->size()), HB_MEMORY_MODE_READONLY, held,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

void put16(char* p, unsigned v)
{
    p[0] = char(v >> 8);
    p[1] = char(v);
}

void put32(char* p, quint32 v)
{
    put16(p, v >> 16);
    put16(p + 2, v & 0xFFFF);
}

// A table directory listing the given tables (tag, offset, length) in the order of their tags,
// so that they are found by binary search.
void putDirectory(char* out, std::vector<std::tuple<hb_tag_t, quint32, quint32>> tables)
{
    std::sort(tables.begin(), tables.end());
    const unsigned count = unsigned(tables.size());
    unsigned power = 0;
    while ((2u << power) <= count)
        ++power;
    const bool cff = std::any_of(tables.begin(), tables.end(), [](const auto& t) { return std::get<0>(t) == CffTag; });
    put32(out, cff ? HB_TAG('O', 'T', 'T', 'O') : 0x00010000);
    put16(out + 4, count);
    put16(out + 6, 16u << power);
    put16(out + 8, power);
    put16(out + 10, 16 * count - (16u << power));
    char* record = out + 12;
    for (const auto& [tag, offset, length] : tables) {
        put32(record, tag);
        put32(record + 4, 0); // checksums are not read
        put32(record + 8, offset);
        put32(record + 12, length);
        record += 16;
    }
}

template <typename Visit>
void forEachKeptTable(Visit visit)
{
    std::for_each(std::begin(EmbeddedTables), std::end(EmbeddedTables), visit);
    std::for_each(std::begin(ReadTables), std::end(ReadTables), visit);
}

struct Mapping {
    char* start;
    size_t length;
};

// The font at index in a font file, reduced to the tables above without copying them: the file
// is mapped right after a page that holds a new table directory pointing into it, so that only
// the pages HarfBuzz reads are touched. A first touch of a page costs some 10 µs on a virtual
// machine, and glyf or CFF of a Japanese font is megabytes. Null unless the font's head table
// is the given one, byte for byte: then it is the font Qt drew with.
hb_face_t* fileFace(const char* path, unsigned index, const QByteArray& head)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0 || status.st_size >= 0x7FFF0000) {
        ::close(fd);
        return nullptr;
    }
    const size_t page = size_t(::sysconf(_SC_PAGESIZE)), size = size_t(status.st_size);
    void* region = ::mmap(nullptr, page + size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    const Mapping mapping{static_cast<char*>(region), page + size};
    const bool mapped = ::mmap(mapping.start + page, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) != MAP_FAILED;
    ::close(fd);
    std::vector<std::tuple<hb_tag_t, quint32, quint32>> tables;
    bool same = false;
    if (mapped) {
        hb_blob_t* file = hb_blob_create(mapping.start + page, unsigned(size), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t* original = hb_face_create(file, index);
        hb_blob_destroy(file);
        same = tableOf(original, HB_TAG('h', 'e', 'a', 'd')) == head;
        forEachKeptTable([&](hb_tag_t tag) {
            hb_blob_t* table = hb_face_reference_table(original, tag);
            unsigned length = 0;
            const char* data = hb_blob_get_data(table, &length);
            if (length > 0)
                tables.emplace_back(tag, quint32(data - mapping.start), length);
            hb_blob_destroy(table);
        });
        hb_face_destroy(original);
    }
    if (!same || tables.empty()) {
        ::munmap(mapping.start, mapping.length);
        return nullptr;
    }
    putDirectory(mapping.start, std::move(tables));
    ::mprotect(mapping.start, page, PROT_READ);
    hb_blob_t* blob = hb_blob_create(mapping.start, unsigned(mapping.length), HB_MEMORY_MODE_READONLY,
                                     new Mapping(mapping), [](void* p) {
                                         const auto* m = static_cast<Mapping*>(p);
                                         ::munmap(m->start, m->length);
                                         delete m;
                                     });
    hb_face_t* face = hb_face_create(blob, 0);
    hb_blob_destroy(blob);
    return face;
}

// The font's file, found through fontconfig by its family.
hb_face_t* faceFromFile(const QRawFont& raw)
{
    const QByteArray family = raw.familyName().toUtf8();
    const QByteArray head = raw.fontTable("head");
    if (head.isEmpty())
        return nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    hb_face_t* found = nullptr;
    for (int i = 0; fonts && i < fonts->nfont && !found; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
            continue;
        FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
        // The high bits of the index name an instance of a variable font.
        found = fileFace(reinterpret_cast<const char*>(file), unsigned(index) & 0xFFFF, head);
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

// A font without a file (one added from memory): the tables above from Qt, as one font file.
hb_face_t* faceFromTables(const QRawFont& raw)
{
    std::vector<std::pair<hb_tag_t, QByteArray>> found;
    forEachKeptTable([&](hb_tag_t tag) {
        char name[4];
        hb_tag_to_string(tag, name);
        if (QByteArray bytes = raw.fontTable(name); !bytes.isEmpty())
            found.emplace_back(tag, std::move(bytes));
    });
    qsizetype total = 12 + 16 * qsizetype(found.size());
    std::vector<std::tuple<hb_tag_t, quint32, quint32>> tables;
    for (const auto& [tag, bytes] : found) {
        tables.emplace_back(tag, quint32(total), quint32(bytes.size()));
        total += (bytes.size() + 3) & ~qsizetype(3);
    }
    QByteArray sfnt(total, '\0');
    putDirectory(sfnt.data(), tables);
    for (size_t i = 0; i < found.size(); ++i)
        std::memcpy(sfnt.data() + std::get<1>(tables[i]), found[i].second.constData(), size_t(found[i].second.size()));
    hb_blob_t* blob = blobOf(std::move(sfnt));
    hb_face_t* face = hb_face_create(blob, 0);
    hb_blob_destroy(blob);
    return face;
}

// Each glyph's CID from the font's charset, through FreeType; empty for a font that is not
// CID-keyed, whose glyph ids are what readers look up, and nothing when FreeType cannot read it.
std::optional<std::vector<quint16>> cidsOf(hb_face_t* font, int glyphCount)
{
    static FT_Library library = nullptr;
    if (!library && FT_Init_FreeType(&library) != 0)
        return std::nullopt;
    hb_blob_t* file = hb_face_reference_blob(font);
    unsigned length = 0;
    const char* data = hb_blob_get_data(file, &length);
    FT_Face face = nullptr;
    const FT_Error opened = FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(data), FT_Long(length),
                                               FT_Long(hb_face_get_index(font)), &face);
    if (opened != 0) {
        hb_blob_destroy(file);
        return std::nullopt;
    }
    std::vector<quint16> cids;
    FT_Bool cidKeyed = 0;
    if (FT_Get_CID_Is_Internally_CID_Keyed(face, &cidKeyed) == 0 && cidKeyed) {
        cids.resize(size_t(glyphCount));
        for (int g = 0; g < glyphCount; ++g) {
            FT_UInt cid = 0;
            cids[size_t(g)] = FT_Get_CID_From_Glyph_Index(face, FT_UInt(g), &cid) == 0 ? quint16(cid) : 0;
        }
    }
    FT_Done_Face(face);
    hb_blob_destroy(file);
    return cids;
}

} // namespace

FontProgram::~FontProgram()
{
    hb_font_destroy(FFont);
    hb_face_destroy(FFace);
}

std::shared_ptr<const FontProgram> FontProgram::of(const QRawFont& raw)
{
    if (!raw.isValid())
        return {};
    using Key = std::tuple<QString, QString, int, int>;
    static std::mutex mutex;
    static std::map<Key, std::shared_ptr<const FontProgram>> cache;
    Key key{raw.familyName(), raw.styleName(), raw.weight(), int(raw.style())};
    // Held while reading, so two threads never read the same font twice.
    const std::lock_guard lock(mutex);
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    std::shared_ptr<const FontProgram>& program = cache[key];

    // From its file when fontconfig knows it, else from the tables Qt holds.
    hb_face_t* face = faceFromFile(raw);
    if (!face)
        face = faceFromTables(raw);
    const bool trueType = hasTable(face, HB_TAG('g', 'l', 'y', 'f')) && hasTable(face, HB_TAG('l', 'o', 'c', 'a'));
    if ((!trueType && !hasTable(face, CffTag)) || !embeddingAllowed(tableOf(face, HB_TAG('O', 'S', '/', '2')))) {
        hb_face_destroy(face);
        return program;
    }

    std::shared_ptr<FontProgram> font(new FontProgram);
    font->FFace = face;
    font->FFont = hb_font_create(face);
    font->FOutlines = trueType ? Outlines::TrueType : Outlines::Cff;
    font->FUnitsPerEm = int(hb_face_get_upem(face));
    font->FGlyphCount = int(hb_face_get_glyph_count(face));
    if (font->FOutlines == Outlines::Cff) {
        std::optional<std::vector<quint16>> cids = cidsOf(face, font->FGlyphCount);
        if (!cids)
            return program;
        font->FCids = std::move(*cids);
    }
    hb_font_set_scale(font->FFont, font->FUnitsPerEm, font->FUnitsPerEm);

    char name[128];
    unsigned nameLength = sizeof name;
    if (hb_ot_name_get_utf8(font->FFace, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &nameLength, name))
        font->FPostScriptName = pdfName(QByteArray(name, qsizetype(nameLength)));
    if (font->FPostScriptName.isEmpty())
        font->FPostScriptName = pdfName(raw.familyName().toLatin1());
    if (font->FPostScriptName.isEmpty())
        font->FPostScriptName = "Font";

    hb_position_t v = 0;
    font->FAscent = hb_ot_metrics_get_position(font->FFont, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &v) ? v : 0;
    font->FDescent = hb_ot_metrics_get_position(font->FFont, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &v) ? v : 0;
    font->FDescent = -std::abs(font->FDescent);
    font->FCapHeight = hb_ot_metrics_get_position(font->FFont, HB_OT_METRICS_TAG_CAP_HEIGHT, &v) && v > 0
        ? v
        : font->FAscent;

    // Known now, not once the pages name its glyphs: a font HarfBuzz cannot subset is drawn as
    // outlines instead.
    if (font->FGlyphCount > 0 && font->FUnitsPerEm > 0 && !font->subset({}).isEmpty())
        program = std::move(font);
    return program;
}

int FontProgram::advance(quint32 glyph) const
{
    return glyph < quint32(FGlyphCount) ? int(hb_font_get_glyph_h_advance(FFont, glyph)) : 0;
}

QRect FontProgram::glyphBox(quint32 glyph) const
{
    hb_glyph_extents_t e{};
    if (glyph >= quint32(FGlyphCount) || !hb_font_get_glyph_extents(FFont, glyph, &e) || !e.width || !e.height)
        return {};
    // Extents run down from the top: height is negative.
    return QRect(QPoint(e.x_bearing, e.y_bearing + e.height), QPoint(e.x_bearing + e.width, e.y_bearing))
        .normalized();
}

quint32 FontProgram::code(quint32 glyph) const
{
    return glyph < FCids.size() ? FCids[glyph] : glyph;
}

QByteArray FontProgram::subset(const std::vector<quint32>& glyphs) const
{
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (!input)
        return {};
    // Each glyph keeps its id, so the codes on the pages, written before the subset is made,
    // stay right. A CID-keyed font keeps each glyph's CID in its charset however the glyphs
    // are numbered, so its subset holds only the glyphs asked for.
    hb_subset_input_set_flags(input, FCids.empty() ? HB_SUBSET_FLAGS_RETAIN_GIDS : HB_SUBSET_FLAGS_DEFAULT);
    hb_set_t* kept = hb_subset_input_glyph_set(input);
    hb_set_add(kept, 0);
    for (quint32 g : glyphs)
        if (g < quint32(FGlyphCount))
            hb_set_add(kept, g);
    hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : ReadTables)
        hb_set_add(dropped, tag);
    hb_face_t* result = hb_subset_or_fail(FFace, input);
    hb_subset_input_destroy(input);
    if (!result)
        return {};
    hb_blob_t* blob = FOutlines == Outlines::Cff ? hb_face_reference_table(result, CffTag)
                                                 : hb_face_reference_blob(result);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    QByteArray bytes(data, qsizetype(length));
    hb_blob_destroy(blob);
    hb_face_destroy(result);
    return bytes;
}

} // namespace sheet
