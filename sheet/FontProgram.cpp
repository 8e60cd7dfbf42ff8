#include "sheet/FontProgram.h"

#include <QRawFont>
#include <QString>

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CID_H

#include <map>
#include <mutex>
#include <tuple>

namespace sheet {

namespace {

constexpr hb_tag_t CffTag = HB_TAG('C', 'F', 'F', ' ');

// What a PDF reader needs of a font, and what HarfBuzz reads to subset it. Layout tables stay
// out: the glyphs come already shaped, and closing over GSUB would only add glyphs.
constexpr const char* SourceTables[] = {"head", "hhea", "hmtx", "maxp", "OS/2", "name", "post",
                                        "glyf", "loca", "cvt ", "fpgm", "prep", "CFF "};

// The subset is embedded, never installed: naming and classifying tables only cost bytes.
constexpr hb_tag_t DroppedTables[] = {HB_TAG('n', 'a', 'm', 'e'), HB_TAG('O', 'S', '/', '2'),
                                      HB_TAG('p', 'o', 's', 't')};

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

hb_blob_t* blobOf(QByteArray bytes)
{
    auto* held = new QByteArray(std::move(bytes));
    return hb_blob_create(held->constData(), unsigned(held->size()), HB_MEMORY_MODE_READONLY, held,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

// Each glyph's CID from the font's charset, through FreeType; empty for a font that is not
// CID-keyed, whose glyph ids are what readers look up.
std::vector<quint16> cidsOf(hb_blob_t* sfnt, int glyphCount)
{
    static FT_Library library = nullptr;
    if (!library && FT_Init_FreeType(&library) != 0)
        return {};
    unsigned length = 0;
    const char* data = hb_blob_get_data(sfnt, &length);
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(data), FT_Long(length), 0, &face) != 0)
        return {};
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
    return cids;
}

} // namespace

FontProgram::~FontProgram()
{
    hb_font_destroy(font_);
    hb_face_destroy(face_);
}

std::shared_ptr<const FontProgram> FontProgram::of(const QRawFont& raw)
{
    if (!raw.isValid())
        return {};
    using Key = std::tuple<QString, QString, int, int>;
    static std::mutex mutex;
    static std::map<Key, std::shared_ptr<const FontProgram>> cache;
    Key key{raw.familyName(), raw.styleName(), raw.weight(), int(raw.style())};
    // Held while reading, so two threads never copy the same megabytes twice.
    const std::lock_guard lock(mutex);
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    std::shared_ptr<const FontProgram>& program = cache[key];

    if (!embeddingAllowed(raw.fontTable("OS/2")))
        return program;
    // Qt holds the font's tables, also those of a font in a collection or one added from memory;
    // HarfBuzz gets them as one font file.
    hb_face_t* builder = hb_face_builder_create();
    bool trueType = false, cff = false;
    for (const char* tag : SourceTables) {
        QByteArray table = raw.fontTable(tag);
        if (table.isEmpty())
            continue;
        const hb_tag_t t = hb_tag_from_string(tag, 4);
        trueType |= t == HB_TAG('g', 'l', 'y', 'f');
        cff |= t == CffTag;
        hb_blob_t* blob = blobOf(std::move(table));
        hb_face_builder_add_table(builder, t, blob);
        hb_blob_destroy(blob);
    }
    hb_blob_t* sfnt = hb_face_reference_blob(builder);
    hb_face_destroy(builder);
    if (!trueType && !cff) {
        hb_blob_destroy(sfnt);
        return program;
    }

    std::shared_ptr<FontProgram> font(new FontProgram);
    font->face_ = hb_face_create(sfnt, 0);
    font->font_ = hb_font_create(font->face_);
    font->outlines_ = trueType ? Outlines::TrueType : Outlines::Cff;
    font->unitsPerEm_ = int(hb_face_get_upem(font->face_));
    font->glyphCount_ = int(hb_face_get_glyph_count(font->face_));
    if (font->outlines_ == Outlines::Cff)
        font->cids_ = cidsOf(sfnt, font->glyphCount_);
    hb_blob_destroy(sfnt);
    hb_font_set_scale(font->font_, font->unitsPerEm_, font->unitsPerEm_);

    char name[128];
    unsigned nameLength = sizeof name;
    if (hb_ot_name_get_utf8(font->face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &nameLength, name))
        font->postScriptName_ = pdfName(QByteArray(name, qsizetype(nameLength)));
    if (font->postScriptName_.isEmpty())
        font->postScriptName_ = pdfName(raw.familyName().toLatin1());
    if (font->postScriptName_.isEmpty())
        font->postScriptName_ = "Font";

    hb_position_t v = 0;
    font->ascent_ = hb_ot_metrics_get_position(font->font_, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &v) ? v : 0;
    font->descent_ = hb_ot_metrics_get_position(font->font_, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &v) ? v : 0;
    font->descent_ = -std::abs(font->descent_);
    font->capHeight_ = hb_ot_metrics_get_position(font->font_, HB_OT_METRICS_TAG_CAP_HEIGHT, &v) && v > 0
        ? v
        : font->ascent_;

    // Known now, not once the pages name its glyphs: a font HarfBuzz cannot subset is drawn as
    // outlines instead.
    if (font->glyphCount_ > 0 && font->unitsPerEm_ > 0 && !font->subset({}).isEmpty())
        program = std::move(font);
    return program;
}

int FontProgram::advance(quint32 glyph) const
{
    return glyph < quint32(glyphCount_) ? int(hb_font_get_glyph_h_advance(font_, glyph)) : 0;
}

QRect FontProgram::glyphBox(quint32 glyph) const
{
    hb_glyph_extents_t e{};
    if (glyph >= quint32(glyphCount_) || !hb_font_get_glyph_extents(font_, glyph, &e) || !e.width || !e.height)
        return {};
    // Extents run down from the top: height is negative.
    return QRect(QPoint(e.x_bearing, e.y_bearing + e.height), QPoint(e.x_bearing + e.width, e.y_bearing))
        .normalized();
}

quint32 FontProgram::code(quint32 glyph) const
{
    return glyph < cids_.size() ? cids_[glyph] : glyph;
}

QByteArray FontProgram::subset(const std::vector<quint32>& glyphs) const
{
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    if (!input)
        return {};
    // Each glyph keeps its id, so the codes on the pages, written before the subset is made,
    // stay right.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
    hb_set_t* kept = hb_subset_input_glyph_set(input);
    hb_set_add(kept, 0);
    for (quint32 g : glyphs)
        if (g < quint32(glyphCount_))
            hb_set_add(kept, g);
    hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t t : DroppedTables)
        hb_set_add(dropped, t);
    hb_face_t* result = hb_subset_or_fail(face_, input);
    hb_subset_input_destroy(input);
    if (!result)
        return {};
    hb_blob_t* blob = outlines_ == Outlines::Cff ? hb_face_reference_table(result, CffTag)
                                                 : hb_face_reference_blob(result);
    unsigned length = 0;
    const char* data = hb_blob_get_data(blob, &length);
    QByteArray bytes(data, qsizetype(length));
    hb_blob_destroy(blob);
    hb_face_destroy(result);
    return bytes;
}

} // namespace sheet
