#pragma once

#include <QByteArray>
#include <QRect>

#include <memory>
#include <vector>

class QRawFont;
struct hb_face_t;
struct hb_font_t;

namespace sheet {

// One font as the PDF writer embeds it, read once per process through HarfBuzz, whose
// subsetter writes the font programs.
class FontProgram {
public:
    enum class Outlines {
        TrueType, // embedded as CIDFontType2 with FontFile2
        Cff,      // embedded as CIDFontType0 with FontFile3 /CIDFontType0C
    };

    // Null when the font's licence forbids embedding, when it has neither TrueType nor CFF
    // outlines, when HarfBuzz cannot subset it or FreeType cannot read a CFF font's CIDs: such
    // text goes out as outlines. Cached per font (family, style name, weight, style) for the
    // life of the process.
    static std::shared_ptr<const FontProgram> of(const QRawFont& font);

    ~FontProgram();
    FontProgram(const FontProgram&) = delete;
    FontProgram& operator=(const FontProgram&) = delete;

    Outlines outlines() const { return FOutlines; }
    int unitsPerEm() const { return FUnitsPerEm; }
    // Only [!-~] without ()<>[]{}/%, so it can stand as a PDF name as it is.
    QByteArray postScriptName() const { return FPostScriptName; }
    // In font units, y up as in the font.
    int ascent() const { return FAscent; }
    int descent() const { return FDescent; } // negative
    int capHeight() const { return FCapHeight; }

    int advance(quint32 glyph) const;
    // The glyph's ink, left() xMin and bottom() yMax; empty for a blank glyph.
    QRect glyphBox(quint32 glyph) const;

    // The number that selects the glyph in the embedded font: its id, except in a CID-keyed
    // CFF font, where the font's charset gives each glyph a CID and readers look glyphs up by it.
    quint32 code(quint32 glyph) const;

    // The font program holding .notdef and the given glyphs, each at its own glyph id (in a
    // CID-keyed font, under its own CID): a whole TrueType font, or the bare CFF table. Empty
    // when HarfBuzz fails.
    QByteArray subset(const std::vector<quint32>& glyphs) const;

private:
    FontProgram() = default;

    hb_face_t* FFace = nullptr;
    hb_font_t* FFont = nullptr;
    Outlines FOutlines = Outlines::TrueType;
    int FUnitsPerEm = 1000;
    int FGlyphCount = 0;
    QByteArray FPostScriptName;
    int FAscent = 0;
    int FDescent = 0;
    int FCapHeight = 0;
    std::vector<quint16> FCids; // per glyph, for a CID-keyed CFF font only
};

} // namespace sheet
