#include "sheet/PdfDocument.h"

#include "sheet/FontProgram.h"

#include <QColor>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QRawFont>
#include <QSet>
#include <QTextBoundaryFinder>
#include <QTextItem>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace sheet {

namespace {

constexpr double PointsPerMm = 72 / 25.4;

// Streams shorter than this are stored as they are: deflating them costs more time than the
// bytes it saves are worth.
constexpr qsizetype DeflateFrom = 16 * 1024;
constexpr int DeflateLevel = 1;

// Decimals written: lengths in whatever unit the painter draws in, matrix factors, colours.
constexpr int LengthDecimals = 4;
constexpr int MatrixDecimals = 8;
constexpr int ColourDecimals = 3;

void putNumber(QByteArray& out, double v, int decimals)
{
    static constexpr long long Scale[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    const long long scale = Scale[decimals];
    if (!std::isfinite(v))
        v = 0;
    // PDF readers keep numbers in single precision or 32-bit integers; larger lengths mean nothing.
    v = std::clamp(v, -1e9, 1e9);
    long long n = std::llround(v * double(scale));
    char buf[40];
    char* end = buf;
    if (n < 0) {
        *end++ = '-';
        n = -n;
    }
    end = std::to_chars(end, buf + sizeof buf, n / scale).ptr;
    if (long long frac = n % scale) {
        int digits = decimals;
        while (frac % 10 == 0) {
            frac /= 10;
            --digits;
        }
        *end++ = '.';
        char digitsBuf[16];
        char* d = std::to_chars(digitsBuf, digitsBuf + sizeof digitsBuf, frac).ptr;
        for (long long pad = digits - (d - digitsBuf); pad > 0; --pad)
            *end++ = '0';
        end = std::copy(digitsBuf, d, end);
    }
    *end++ = ' ';
    out.append(buf, end - buf);
}

void putInt(QByteArray& out, long long v)
{
    char buf[24];
    const char* end = std::to_chars(buf, buf + sizeof buf, v).ptr;
    out.append(buf, end - buf);
}

void putHex4(QByteArray& out, unsigned v)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    const char hex[4] = {Digits[(v >> 12) & 15], Digits[(v >> 8) & 15], Digits[(v >> 4) & 15], Digits[v & 15]};
    out.append(hex, 4);
}

void putPoint(QByteArray& out, const QPointF& p)
{
    putNumber(out, p.x(), LengthDecimals);
    putNumber(out, p.y(), LengthDecimals);
}

void putColour(QByteArray& out, const QColor& c, const char* op)
{
    const QColor rgb = c.toRgb();
    putNumber(out, rgb.redF(), ColourDecimals);
    putNumber(out, rgb.greenF(), ColourDecimals);
    putNumber(out, rgb.blueF(), ColourDecimals);
    out += op;
}

// A text string for the document's information: UTF-16 with its byte order mark.
QByteArray textString(const QString& text)
{
    QByteArray out = "<FEFF";
    for (QChar c : text)
        putHex4(out, c.unicode());
    out += '>';
    return out;
}

void putPath(QByteArray& out, const QPainterPath& path)
{
    // A subpath that ends where it began is closed, so that its corner is joined, not capped.
    int start = -1;
    auto closeIfRound = [&](int last) {
        if (start >= 0 && path.elementAt(start).x == path.elementAt(last).x
            && path.elementAt(start).y == path.elementAt(last).y && last > start)
            out += "h\n";
    };
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            closeIfRound(i - 1);
            putPoint(out, e);
            out += "m\n";
            start = i;
            break;
        case QPainterPath::LineToElement:
            putPoint(out, e);
            out += "l\n";
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= count)
                return;
            putPoint(out, e);
            putPoint(out, path.elementAt(i + 1));
            putPoint(out, path.elementAt(i + 2));
            out += "c\n";
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    closeIfRound(count - 1);
}

// Six capital letters naming a subset, from the glyphs in it: the same text makes the same file.
template <typename Codes>
QByteArray subsetTag(const Codes& codes)
{
    quint64 h = 1469598103934665603ULL;
    for (const auto& [code, use] : codes)
        h = (h ^ code) * 1099511628211ULL;
    QByteArray tag(6, 'A');
    for (char& c : tag) {
        c = char('A' + h % 26);
        h /= 26;
    }
    return tag;
}

// A glyph's width as /W gives it, in thousandths of the font size, so that the pen's place
// worked out from it agrees with the reader's.
double widthOf(const FontProgram& program, quint32 glyph)
{
    return double(std::llround(program.advance(glyph) * 1000.0 / program.unitsPerEm() * 1000)) / 1000;
}

// Glyphs of one font in the order of the text, where the layout put them, each with the text
// it stands for.
struct ShapedRun {
    QRawFont raw;
    std::vector<quint32> glyphs;
    std::vector<QPointF> positions;
    std::vector<QString> texts;
};

size_t runFor(std::vector<ShapedRun>& runs, const QRawFont& raw)
{
    for (size_t i = 0; i < runs.size(); ++i)
        if (runs[i].raw == raw)
            return i;
    runs.push_back({raw, {}, {}, {}});
    return runs.size() - 1;
}

// Several glyphs for one cluster (a base and its marks): each takes the character its font maps
// to it, and what no glyph takes goes to the first.
void nameGlyphs(std::vector<ShapedRun>& runs, const std::vector<std::pair<size_t, size_t>>& glyphs,
                const QString& cluster)
{
    std::vector<QString> names(glyphs.size());
    QString rest;
    for (const uint c : cluster.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        size_t i = 0;
        for (; i < glyphs.size(); ++i) {
            const ShapedRun& run = runs[glyphs[i].first];
            if (names[i].isEmpty() && run.raw.glyphIndexesForString(character).value(0) == run.glyphs[glyphs[i].second])
                break;
        }
        if (i < glyphs.size())
            names[i] = character;
        else
            rest += character;
    }
    names.front() += rest;
    for (size_t i = 0; i < glyphs.size(); ++i)
        runs[glyphs[i].first].texts[glyphs[i].second] = names[i];
}

// The laid-out glyphs with the characters each stands for. This Qt tells a glyph run's
// characters only by asking for the glyphs of a stretch of text, so when the glyphs are not
// simply the font's glyph for each character in turn, each grapheme cluster is asked for
// separately; a ligature that spans clusters stands for all of them.
std::vector<ShapedRun> shape(const QTextLayout& layout, const QString& text)
{
    std::vector<ShapedRun> runs;
    const QList<QGlyphRun> whole = layout.glyphRuns();
    if (whole.size() == 1) {
        const QRawFont raw = whole.front().rawFont();
        const QList<quint32> glyphs = whole.front().glyphIndexes();
        const QList<uint> codePoints = text.toUcs4();
        if (glyphs.size() == codePoints.size() && glyphs == raw.glyphIndexesForString(text)) {
            ShapedRun& run = runs[runFor(runs, raw)];
            const QList<QPointF> positions = whole.front().positions();
            run.glyphs.assign(glyphs.begin(), glyphs.end());
            run.positions.assign(positions.begin(), positions.end());
            run.texts.reserve(size_t(codePoints.size()));
            for (const uint c : codePoints)
                run.texts.push_back(QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1));
            return runs;
        }
    }
    // Glyphs as (run, index); those of the cluster before, to find a ligature shared with it.
    using Placed = std::pair<size_t, size_t>;
    std::vector<Placed> previous, current, fresh;
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    qsizetype from = 0;
    for (qsizetype to = clusters.toNextBoundary(); to > from; from = to, to = clusters.toNextBoundary()) {
        const QString cluster = text.mid(from, to - from);
        current.clear();
        fresh.clear();
        for (const QGlyphRun& part : layout.glyphRuns(int(from), int(to - from))) {
            const size_t r = runFor(runs, part.rawFont());
            ShapedRun& run = runs[r];
            const QList<quint32> glyphs = part.glyphIndexes();
            const QList<QPointF> positions = part.positions();
            for (qsizetype k = 0; k < glyphs.size() && k < positions.size(); ++k) {
                const auto shared = std::find_if(previous.begin(), previous.end(), [&](const Placed& p) {
                    return p.first == r && run.glyphs[p.second] == glyphs[k] && run.positions[p.second] == positions[k];
                });
                if (shared != previous.end()) {
                    current.push_back(*shared);
                    continue;
                }
                run.glyphs.push_back(glyphs[k]);
                run.positions.push_back(positions[k]);
                run.texts.emplace_back();
                current.emplace_back(r, run.glyphs.size() - 1);
                fresh.push_back(current.back());
            }
        }
        if (fresh.size() > 1)
            nameGlyphs(runs, fresh, cluster);
        else if (!fresh.empty())
            runs[fresh.front().first].texts[fresh.front().second] = cluster;
        else if (!current.empty())
            runs[current.front().first].texts[current.front().second] += cluster;
        std::swap(previous, current);
    }
    return runs;
}

// Moves of a glyph within a line, in thousandths of the font size, smaller than this are
// not written: they are rounding in the layout, not kerning.
constexpr double MinShift = 0.5;

// A ToUnicode entry maps to at most 512 bytes of UTF-16.
constexpr qsizetype MaxMappedUnits = 256;

} // namespace

class PdfEngine final : public QPaintEngine {
public:
    explicit PdfEngine(const QSizeF& firstPageMm)
        : QPaintEngine(PrimitiveTransform | PatternTransform | PixmapTransform | PainterPaths | Antialiasing
                       | PaintOutsidePaintEvent)
    {
        FOut.reserve(64 * 1024);
        FOut += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        startPage(firstPageMm);
    }

    QString FTitle;
    QString FCreator;
    QSizeF FPageMm;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override;
    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    void newPage(const QSizeF& sizeMm)
    {
        if (FFinished)
            return;
        endPage();
        startPage(sizeMm);
    }
    QByteArray finish();

private:
    // One embedded font and the glyphs the pages use, by the code that selects each.
    struct GlyphUse {
        quint32 glyph = 0;
        QString text; // what the glyph stands for; empty when unknown
    };
    struct EmbeddedFont {
        std::shared_ptr<const FontProgram> program;
        int object = 0;
        QByteArray resource; // "F1"
        std::map<quint32, GlyphUse> codes;
    };

    int newObject()
    {
        FOffsets.push_back(0);
        return int(FOffsets.size()) - 1;
    }
    void beginObject(int id)
    {
        FOffsets[size_t(id)] = FOut.size();
        putInt(FOut, id);
        FOut += " 0 obj\n";
    }
    void writeStream(int id, const QByteArray& data, const QByteArray& dictionary = {});
    void startPage(const QSizeF& sizeMm);
    void endPage();
    void writeFont(const EmbeddedFont& font);

    void syncClip();
    void beginDrawing(bool stroke, bool fill);
    void putPen();
    void paint(bool stroke, bool fill, bool evenOdd);

    EmbeddedFont* embeddedFor(const QRawFont& raw);
    quint32 codeOf(EmbeddedFont& font, quint32 glyph, const QString& text);
    void drawRun(const ShapedRun& run, const QPointF& origin);

    QByteArray FOut;
    std::vector<qsizetype> FOffsets{0, 0, 0}; // object 0 is free; 1 is the catalogue, 2 the page tree
    std::vector<int> FPages;
    bool FFinished = false;

    QByteArray FContent;
    QSet<int> FPageFonts;
    double FPageHeightPt = 0;

    QTransform FTransform;
    QPen FPen;
    QBrush FBrush;
    bool FClipEnabled = false;
    std::optional<QPainterPath> FClip;
    std::optional<QPainterPath> FEmittedClip;
    bool FClipDirty = false;

    std::vector<std::unique_ptr<EmbeddedFont>> FFonts;
    QHash<const FontProgram*, EmbeddedFont*> FFontsByProgram;
};

void PdfEngine::writeStream(int id, const QByteArray& data, const QByteArray& dictionary)
{
    const bool deflate = data.size() >= DeflateFrom;
    // qCompress puts the length in front of a zlib stream, which is what FlateDecode reads.
    const QByteArray packed = deflate ? qCompress(data, DeflateLevel) : QByteArray();
    const QByteArrayView body = deflate ? QByteArrayView(packed).sliced(4) : QByteArrayView(data);
    beginObject(id);
    FOut += "<< /Length ";
    putInt(FOut, body.size());
    if (deflate)
        FOut += " /Filter /FlateDecode";
    FOut += dictionary;
    FOut += " >>\nstream\n";
    FOut += body;
    FOut += "\nendstream\nendobj\n";
}

void PdfEngine::startPage(const QSizeF& sizeMm)
{
    FPageMm = sizeMm;
    FPageHeightPt = sizeMm.height() * PointsPerMm;
    FContent.clear();
    FContent.reserve(16 * 1024);
    FPageFonts.clear();
    // Top down, as the painter draws; the outer q holds the clip.
    FContent += "1 0 0 -1 0 ";
    putNumber(FContent, FPageHeightPt, LengthDecimals);
    FContent += "cm\nq\n";
    FEmittedClip.reset();
    FClipDirty = true;
}

void PdfEngine::endPage()
{
    FContent += "Q\n";
    const int contents = newObject();
    writeStream(contents, FContent);
    const int page = newObject();
    beginObject(page);
    FOut += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
    putNumber(FOut, FPageMm.width() * PointsPerMm, LengthDecimals);
    putNumber(FOut, FPageHeightPt, LengthDecimals);
    FOut += "] /Resources << /Font << ";
    for (const auto& font : FFonts)
        if (FPageFonts.contains(font->object)) {
            FOut += '/' + font->resource + ' ';
            putInt(FOut, font->object);
            FOut += " 0 R ";
        }
    FOut += ">> >> /Contents ";
    putInt(FOut, contents);
    FOut += " 0 R >>\nendobj\n";
    FPages.push_back(page);
}

void PdfEngine::writeFont(const EmbeddedFont& font)
{
    const FontProgram& program = *font.program;
    const bool cff = program.outlines() == FontProgram::Outlines::Cff;
    const double perEm = 1000.0 / program.unitsPerEm();
    const QByteArray name = subsetTag(font.codes) + '+' + program.postScriptName();

    const int cidFont = newObject(), descriptor = newObject(), file = newObject(), toUnicode = newObject();
    beginObject(font.object);
    FOut += "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [";
    putInt(FOut, cidFont);
    FOut += " 0 R] /ToUnicode ";
    putInt(FOut, toUnicode);
    FOut += " 0 R >>\nendobj\n";

    beginObject(cidFont);
    FOut += QByteArray("<< /Type /Font /Subtype ") + (cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + name
        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
    putInt(FOut, descriptor);
    FOut += cff ? " 0 R /DW " : " 0 R /CIDToGIDMap /Identity /DW ";
    putNumber(FOut, widthOf(program, 0), 3);
    // Codes in a row share one array.
    FOut += "/W [";
    std::optional<quint32> previous;
    for (const auto& [code, use] : font.codes) {
        if (previous && code == *previous + 1) {
            putNumber(FOut, widthOf(program, use.glyph), 3);
        } else {
            if (previous)
                FOut += "] ";
            putInt(FOut, code);
            FOut += " [";
            putNumber(FOut, widthOf(program, use.glyph), 3);
        }
        previous = code;
    }
    FOut += previous ? "]] >>\nendobj\n" : "] >>\nendobj\n";

    QRect box;
    std::vector<quint32> glyphs;
    glyphs.reserve(font.codes.size());
    for (const auto& [code, use] : font.codes) {
        glyphs.push_back(use.glyph);
        box |= program.glyphBox(use.glyph);
    }
    beginObject(descriptor);
    FOut += "<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [";
    for (int v : {box.left(), box.top(), box.right(), box.bottom()})
        putNumber(FOut, v * perEm, 0);
    FOut += "] /ItalicAngle 0 /Ascent ";
    putNumber(FOut, program.ascent() * perEm, 0);
    FOut += "/Descent ";
    putNumber(FOut, program.descent() * perEm, 0);
    FOut += "/CapHeight ";
    putNumber(FOut, program.capHeight() * perEm, 0);
    FOut += cff ? "/StemV 80 /FontFile3 " : "/StemV 80 /FontFile2 ";
    putInt(FOut, file);
    FOut += " 0 R >>\nendobj\n";

    const QByteArray subset = program.subset(glyphs);
    QByteArray fileDictionary = cff ? " /Subtype /CIDFontType0C" : " /Length1 ";
    if (!cff)
        putInt(fileDictionary, subset.size());
    writeStream(file, subset, fileDictionary);

    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<quint32, QStringView>> known;
    for (const auto& [code, use] : font.codes)
        if (!use.text.isEmpty())
            known.emplace_back(code, QStringView(use.text).left(MaxMappedUnits));
    for (size_t at = 0; at < known.size(); at += 100) {
        const size_t n = std::min<size_t>(100, known.size() - at);
        putInt(cmap, qsizetype(n));
        cmap += " beginbfchar\n";
        for (size_t k = at; k < at + n; ++k) {
            cmap += '<';
            putHex4(cmap, known[k].first);
            cmap += "> <";
            for (QChar c : known[k].second)
                putHex4(cmap, c.unicode());
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    writeStream(toUnicode, cmap);
}

QByteArray PdfEngine::finish()
{
    if (FFinished)
        return FOut;
    endPage();
    FFinished = true;
    for (const auto& font : FFonts)
        writeFont(*font);

    beginObject(2);
    FOut += "<< /Type /Pages /Kids [";
    for (int page : FPages) {
        putInt(FOut, page);
        FOut += " 0 R ";
    }
    FOut += "] /Count ";
    putInt(FOut, qsizetype(FPages.size()));
    FOut += " >>\nendobj\n";
    beginObject(1);
    // Sizes are the paper's own: a viewer's "fit to page" would shrink every mark.
    FOut += "<< /Type /Catalog /Pages 2 0 R /ViewerPreferences << /PrintScaling /None >> >>\nendobj\n";
    const int info = newObject();
    beginObject(info);
    FOut += "<< /Title " + textString(FTitle) + " /Creator " + textString(FCreator) + " /Producer "
        + textString(FCreator) + " >>\nendobj\n";

    const qsizetype xref = FOut.size();
    FOut += "xref\n0 ";
    putInt(FOut, qsizetype(FOffsets.size()));
    FOut += "\n0000000000 65535 f \n";
    for (size_t id = 1; id < FOffsets.size(); ++id) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(FOffsets[id]));
        FOut.append(entry, 20);
    }
    FOut += "trailer\n<< /Size ";
    putInt(FOut, qsizetype(FOffsets.size()));
    FOut += " /Root 1 0 R /Info ";
    putInt(FOut, info);
    FOut += " 0 R >>\nstartxref\n";
    putInt(FOut, xref);
    FOut += "\n%%EOF\n";
    return FOut;
}

void PdfEngine::updateState(const QPaintEngineState& state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        FTransform = state.transform();
    if (flags & DirtyPen)
        FPen = state.pen();
    if (flags & DirtyBrush)
        FBrush = state.brush();
    if (flags & DirtyClipEnabled) {
        FClipEnabled = state.isClipEnabled();
        FClipDirty = true;
    }
    if (flags & (DirtyClipPath | DirtyClipRegion)) {
        QPainterPath path;
        if (flags & DirtyClipPath) {
            path = state.clipPath();
        } else {
            path.addRegion(state.clipRegion());
        }
        path = FTransform.map(path);
        switch (state.clipOperation()) {
        case Qt::NoClip:
            FClip.reset();
            FClipEnabled = false;
            break;
        case Qt::ReplaceClip:
            FClip = path;
            FClipEnabled = true;
            break;
        case Qt::IntersectClip:
            FClip = FClip ? FClip->intersected(path) : path;
            FClipEnabled = true;
            break;
        }
        FClipDirty = true;
    }
}

void PdfEngine::syncClip()
{
    if (!FClipDirty)
        return;
    FClipDirty = false;
    const std::optional<QPainterPath> wanted = FClipEnabled ? FClip : std::nullopt;
    if (wanted == FEmittedClip)
        return;
    FContent += "Q q\n";
    if (wanted) {
        putPath(FContent, *wanted);
        FContent += wanted->fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n";
    }
    FEmittedClip = wanted;
}

void PdfEngine::beginDrawing(bool stroke, bool fill)
{
    syncClip();
    FContent += "q\n";
    if (!FTransform.isIdentity()) {
        putNumber(FContent, FTransform.m11(), MatrixDecimals);
        putNumber(FContent, FTransform.m12(), MatrixDecimals);
        putNumber(FContent, FTransform.m21(), MatrixDecimals);
        putNumber(FContent, FTransform.m22(), MatrixDecimals);
        putNumber(FContent, FTransform.dx(), LengthDecimals);
        putNumber(FContent, FTransform.dy(), LengthDecimals);
        FContent += "cm\n";
    }
    if (stroke)
        putPen();
    if (fill)
        putColour(FContent, FBrush.color(), "rg\n");
}

void PdfEngine::putPen()
{
    double width = FPen.widthF();
    double unit = width > 0 ? width : 1;
    if (FPen.isCosmetic() && width > 0) {
        // Cosmetic widths are in device units, whatever the painter's scale.
        const double scale = std::sqrt(std::abs(FTransform.determinant()));
        if (scale > 0)
            width /= scale, unit = width;
    }
    putNumber(FContent, width, LengthDecimals);
    FContent += "w ";
    FContent += FPen.capStyle() == Qt::RoundCap ? "1 J " : FPen.capStyle() == Qt::SquareCap ? "2 J " : "0 J ";
    FContent += FPen.joinStyle() == Qt::RoundJoin ? "1 j " : FPen.joinStyle() == Qt::BevelJoin ? "2 j " : "0 j ";
    if (FPen.joinStyle() == Qt::MiterJoin || FPen.joinStyle() == Qt::SvgMiterJoin) {
        putNumber(FContent, std::max(1.0, FPen.miterLimit()), 2);
        FContent += "M ";
    }
    if (FPen.style() != Qt::SolidLine) {
        FContent += '[';
        for (double dash : FPen.dashPattern())
            putNumber(FContent, std::max(dash * unit, 0.0001), LengthDecimals);
        FContent += "] ";
        putNumber(FContent, FPen.dashOffset() * unit, LengthDecimals);
        FContent += "d ";
    }
    putColour(FContent, FPen.color(), "RG\n");
}

void PdfEngine::paint(bool stroke, bool fill, bool evenOdd)
{
    FContent += stroke && fill ? (evenOdd ? "B*\n" : "B\n")
        : fill                 ? (evenOdd ? "f*\n" : "f\n")
        : stroke               ? "S\n"
                               : "n\n";
    FContent += "Q\n";
}

void PdfEngine::drawRects(const QRectF* rects, int count)
{
    const bool stroke = FPen.style() != Qt::NoPen, fill = FBrush.style() != Qt::NoBrush;
    if (count <= 0 || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    for (int i = 0; i < count; ++i) {
        putPoint(FContent, rects[i].topLeft());
        putNumber(FContent, rects[i].width(), LengthDecimals);
        putNumber(FContent, rects[i].height(), LengthDecimals);
        FContent += "re\n";
    }
    paint(stroke, fill, false);
}

void PdfEngine::drawLines(const QLineF* lines, int count)
{
    if (count <= 0 || FPen.style() == Qt::NoPen)
        return;
    beginDrawing(true, false);
    for (int i = 0; i < count; ++i) {
        putPoint(FContent, lines[i].p1());
        FContent += "m ";
        putPoint(FContent, lines[i].p2());
        FContent += "l\n";
    }
    paint(true, false, false);
}

void PdfEngine::drawPath(const QPainterPath& path)
{
    const bool stroke = FPen.style() != Qt::NoPen, fill = FBrush.style() != Qt::NoBrush;
    if (path.isEmpty() || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    putPath(FContent, path);
    paint(stroke, fill, path.fillRule() == Qt::OddEvenFill);
}

void PdfEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode)
{
    const bool stroke = FPen.style() != Qt::NoPen;
    const bool fill = mode != PolylineMode && FBrush.style() != Qt::NoBrush;
    if (count < 2 || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    putPoint(FContent, points[0]);
    FContent += "m\n";
    for (int i = 1; i < count; ++i) {
        putPoint(FContent, points[i]);
        FContent += "l\n";
    }
    if (mode != PolylineMode)
        FContent += "h\n";
    paint(stroke, fill, mode == OddEvenMode);
}

PdfEngine::EmbeddedFont* PdfEngine::embeddedFor(const QRawFont& raw)
{
    std::shared_ptr<const FontProgram> program = FontProgram::of(raw);
    if (!program)
        return nullptr;
    if (EmbeddedFont* known = FFontsByProgram.value(program.get()))
        return known;
    auto font = std::make_unique<EmbeddedFont>();
    font->program = std::move(program);
    font->object = newObject();
    font->resource = "F" + QByteArray::number(qsizetype(FFonts.size()) + 1);
    FFontsByProgram.insert(font->program.get(), font.get());
    FFonts.push_back(std::move(font));
    return FFonts.back().get();
}

quint32 PdfEngine::codeOf(EmbeddedFont& font, quint32 glyph, const QString& text)
{
    const quint32 code = font.program->code(glyph);
    GlyphUse& use = font.codes[code];
    use.glyph = glyph;
    if (use.text.isEmpty())
        use.text = text;
    return code;
}

void PdfEngine::drawRun(const ShapedRun& run, const QPointF& origin)
{
    if (run.glyphs.empty())
        return;
    EmbeddedFont* embedded = embeddedFor(run.raw);
    beginDrawing(false, false);
    // Filled in the pen's colour, as Qt draws text.
    putColour(FContent, FPen.color(), "rg\n");
    if (!embedded) {
        QPainterPath outlines;
        for (size_t i = 0; i < run.glyphs.size(); ++i)
            outlines.addPath(run.raw.pathForGlyph(run.glyphs[i]).translated(origin + run.positions[i]));
        putPath(FContent, outlines);
        paint(false, true, false);
        return;
    }
    FPageFonts.insert(embedded->object);
    const double size = run.raw.pixelSize();
    FContent += "BT /" + embedded->resource + ' ';
    putNumber(FContent, size, LengthDecimals);
    FContent += "Tf\n";
    // One TJ per line of glyphs; where the layout puts a glyph elsewhere than the advance of the
    // one before leaves the pen (kerning), a number in the array moves it. The pen is followed
    // as the reader moves it, so that moves too small to write never add up.
    bool open = false;
    double penX = 0, lineY = 0;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        const QPointF at = origin + run.positions[i];
        const quint32 code = codeOf(*embedded, run.glyphs[i], run.texts[i]);
        const double shift = std::round((penX - at.x()) * 1000 / size * 1000) / 1000;
        if (!open || at.y() != lineY || !(std::abs(shift) < 1e5)) {
            if (open)
                FContent += "] TJ\n";
            FContent += "1 0 0 -1 ";
            putPoint(FContent, at);
            FContent += "Tm [";
            open = true;
            lineY = at.y();
            penX = at.x();
        } else if (std::abs(shift) >= MinShift) {
            putNumber(FContent, shift, 3);
            penX -= shift * size / 1000;
        }
        FContent += '<';
        putHex4(FContent, code);
        FContent += '>';
        penX += widthOf(*embedded->program, run.glyphs[i]) * size / 1000;
    }
    FContent += "] TJ\nET\nQ\n";
}

void PdfEngine::drawTextItem(const QPointF& p, const QTextItem& item)
{
    const QString text = item.text();
    if (text.isEmpty() || FPen.style() == Qt::NoPen || FFinished)
        return;
    // Qt's layout picks the fonts (falling back for characters the font lacks), the glyphs and
    // their places (kerning) as it does on screen.
    QTextLayout layout(text, item.font());
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    const QPointF origin = p - QPointF(0, line.ascent());
    for (const ShapedRun& run : shape(layout, text))
        drawRun(run, origin);
}

PdfDocument::PdfDocument(const QSizeF& firstPageMm)
    : FEngine(std::make_unique<PdfEngine>(firstPageMm))
{
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::setTitle(const QString& title)
{
    FEngine->FTitle = title;
}

void PdfDocument::setCreator(const QString& creator)
{
    FEngine->FCreator = creator;
}

void PdfDocument::newPage(const QSizeF& pageMm)
{
    FEngine->newPage(pageMm);
}

QByteArray PdfDocument::toPdf()
{
    return FEngine->finish();
}

QPaintEngine* PdfDocument::paintEngine() const
{
    return FEngine.get();
}

int PdfDocument::metric(PaintDeviceMetric metric) const
{
    const QSizeF mm = FEngine->FPageMm;
    switch (metric) {
    case PdmWidth:
        return qRound(mm.width() * PointsPerMm);
    case PdmHeight:
        return qRound(mm.height() * PointsPerMm);
    case PdmWidthMM:
        return qRound(mm.width());
    case PdmHeightMM:
        return qRound(mm.height());
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 72;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace sheet
