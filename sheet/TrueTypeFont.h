#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QRawFont;

namespace sheet {

// The tables of one TrueType font, read once: QRawFont::fontTable copies a whole table per call,
// and glyf of a Japanese font is megabytes. Every offset and length in the font is checked
// before use, so a damaged font gives null or empty glyphs.
class TrueTypeFont {
public:
    // Null when the font has no TrueType outlines (no glyf/loca, e.g. CFF-based OpenType),
    // when its tables are damaged, or when its licence forbids embedding. Cached per font
    // (family, style name, weight, style) for the life of the process.
    static std::shared_ptr<const TrueTypeFont> of(const QRawFont& font);

    // The same, uncached: table gives a table's bytes by its four-letter tag (empty when
    // absent); family names the font when its name table does not.
    using TableSource = std::function<QByteArray(const char* tag)>;
    static std::shared_ptr<const TrueTypeFont> fromTables(const TableSource& table,
                                                          const QString& family);

    int unitsPerEm() const { return unitsPerEm_; }
    int glyphCount() const { return glyphCount_; }
    int advance(quint32 glyph) const; // in font units; 0 for a glyph out of range
    // For the PDF font descriptor, in font units, y up as in the font.
    QRect boundingBox() const { return boundingBox_; } // left() is xMin, bottom() is yMax
    int ascent() const { return ascent_; }
    int descent() const { return descent_; } // negative
    int capHeight() const { return capHeight_; }
    // Only [!-~] without ()<>[]{}/%, so it can stand as a PDF name as it is.
    QString postScriptName() const { return postScriptName_; }

    // A complete TrueType font program of .notdef and the given glyphs: glyph i + 1 of the
    // result is glyphs[i]; components of composite glyphs follow them. Glyphs out of range or
    // damaged become empty; glyphs past the 65535 a font can hold are left out.
    QByteArray subset(const std::vector<quint32>& glyphs) const;

private:
    TrueTypeFont() = default;
    bool read(const TableSource& table, const QString& family);
    // Where the glyph's outline lies in glyf; length 0 for an empty or damaged glyph.
    struct Span {
        qsizetype offset = 0;
        qsizetype length = 0;
    };
    Span glyphData(quint32 glyph) const;
    int leftSideBearing(quint32 glyph) const;

    QByteArray head_, hhea_, maxp_, hmtx_, loca_, glyf_, post_, cvt_, fpgm_, prep_;
    int unitsPerEm_ = 0;
    int glyphCount_ = 0;
    int metricsCount_ = 0; // hmtx long entries actually present
    bool longLoca_ = false;
    QRect boundingBox_;
    int ascent_ = 0;
    int descent_ = 0;
    int capHeight_ = 0;
    QString postScriptName_;
};

} // namespace sheet
