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
        out_.reserve(64 * 1024);
        out_ += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        startPage(firstPageMm);
    }

    QString title;
    QString creator;
    QSizeF pageMm;

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
        if (finished_)
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
        offsets_.push_back(0);
        return int(offsets_.size()) - 1;
    }
    void beginObject(int id)
    {
        offsets_[size_t(id)] = out_.size();
        putInt(out_, id);
        out_ += " 0 obj\n";
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

    QByteArray out_;
    std::vector<qsizetype> offsets_{0, 0, 0}; // object 0 is free; 1 is the catalogue, 2 the page tree
    std::vector<int> pages_;
    bool finished_ = false;

    QByteArray content_;
    QSet<int> pageFonts_;
    double pageHeightPt_ = 0;

    QTransform transform_;
    QPen pen_;
    QBrush brush_;
    bool clipEnabled_ = false;
    std::optional<QPainterPath> clip_;
    std::optional<QPainterPath> emittedClip_;
    bool clipDirty_ = false;

    std::vector<std::unique_ptr<EmbeddedFont>> fonts_;
    QHash<const FontProgram*, EmbeddedFont*> fontsByProgram_;
};

void PdfEngine::writeStream(int id, const QByteArray& data, const QByteArray& dictionary)
{
    const bool deflate = data.size() >= DeflateFrom;
    // qCompress puts the length in front of a zlib stream, which is what FlateDecode reads.
    const QByteArray packed = deflate ? qCompress(data, DeflateLevel) : QByteArray();
    const QByteArrayView body = deflate ? QByteArrayView(packed).sliced(4) : QByteArrayView(data);
    beginObject(id);
    out_ += "<< /Length ";
    putInt(out_, body.size());
    if (deflate)
        out_ += " /Filter /FlateDecode";
    out_ += dictionary;
    out_ += " >>\nstream\n";
    out_ += body;
    out_ += "\nendstream\nendobj\n";
}

void PdfEngine::startPage(const QSizeF& sizeMm)
{
    pageMm = sizeMm;
    pageHeightPt_ = sizeMm.height() * PointsPerMm;
    content_.clear();
    content_.reserve(16 * 1024);
    pageFonts_.clear();
    // Top down, as the painter draws; the outer q holds the clip.
    content_ += "1 0 0 -1 0 ";
    putNumber(content_, pageHeightPt_, LengthDecimals);
    content_ += "cm\nq\n";
    emittedClip_.reset();
    clipDirty_ = true;
}

void PdfEngine::endPage()
{
    content_ += "Q\n";
    const int contents = newObject();
    writeStream(contents, content_);
    const int page = newObject();
    beginObject(page);
    out_ += "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ";
    putNumber(out_, pageMm.width() * PointsPerMm, LengthDecimals);
    putNumber(out_, pageHeightPt_, LengthDecimals);
    out_ += "] /Resources << /Font << ";
    for (const auto& font : fonts_)
        if (pageFonts_.contains(font->object)) {
            out_ += '/' + font->resource + ' ';
            putInt(out_, font->object);
            out_ += " 0 R ";
        }
    out_ += ">> >> /Contents ";
    putInt(out_, contents);
    out_ += " 0 R >>\nendobj\n";
    pages_.push_back(page);
}

void PdfEngine::writeFont(const EmbeddedFont& font)
{
    const FontProgram& program = *font.program;
    const bool cff = program.outlines() == FontProgram::Outlines::Cff;
    const double perEm = 1000.0 / program.unitsPerEm();
    const QByteArray name = subsetTag(font.codes) + '+' + program.postScriptName();

    const int cidFont = newObject(), descriptor = newObject(), file = newObject(), toUnicode = newObject();
    beginObject(font.object);
    out_ += "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding /Identity-H /DescendantFonts [";
    putInt(out_, cidFont);
    out_ += " 0 R] /ToUnicode ";
    putInt(out_, toUnicode);
    out_ += " 0 R >>\nendobj\n";

    beginObject(cidFont);
    out_ += QByteArray("<< /Type /Font /Subtype ") + (cff ? "/CIDFontType0" : "/CIDFontType2") + " /BaseFont /" + name
        + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
    putInt(out_, descriptor);
    out_ += cff ? " 0 R /DW " : " 0 R /CIDToGIDMap /Identity /DW ";
    putNumber(out_, widthOf(program, 0), 3);
    // Codes in a row share one array.
    out_ += "/W [";
    std::optional<quint32> previous;
    for (const auto& [code, use] : font.codes) {
        if (previous && code == *previous + 1) {
            putNumber(out_, widthOf(program, use.glyph), 3);
        } else {
            if (previous)
                out_ += "] ";
            putInt(out_, code);
            out_ += " [";
            putNumber(out_, widthOf(program, use.glyph), 3);
        }
        previous = code;
    }
    out_ += previous ? "]] >>\nendobj\n" : "] >>\nendobj\n";

    QRect box;
    std::vector<quint32> glyphs;
    glyphs.reserve(font.codes.size());
    for (const auto& [code, use] : font.codes) {
        glyphs.push_back(use.glyph);
        box |= program.glyphBox(use.glyph);
    }
    beginObject(descriptor);
    out_ += "<< /Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [";
    for (int v : {box.left(), box.top(), box.right(), box.bottom()})
        putNumber(out_, v * perEm, 0);
    out_ += "] /ItalicAngle 0 /Ascent ";
    putNumber(out_, program.ascent() * perEm, 0);
    out_ += "/Descent ";
    putNumber(out_, program.descent() * perEm, 0);
    out_ += "/CapHeight ";
    putNumber(out_, program.capHeight() * perEm, 0);
    out_ += cff ? "/StemV 80 /FontFile3 " : "/StemV 80 /FontFile2 ";
    putInt(out_, file);
    out_ += " 0 R >>\nendobj\n";

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
    if (finished_)
        return out_;
    endPage();
    finished_ = true;
    for (const auto& font : fonts_)
        writeFont(*font);

    beginObject(2);
    out_ += "<< /Type /Pages /Kids [";
    for (int page : pages_) {
        putInt(out_, page);
        out_ += " 0 R ";
    }
    out_ += "] /Count ";
    putInt(out_, qsizetype(pages_.size()));
    out_ += " >>\nendobj\n";
    beginObject(1);
    out_ += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    const int info = newObject();
    beginObject(info);
    out_ += "<< /Title " + textString(title) + " /Creator " + textString(creator) + " /Producer "
        + textString(creator) + " >>\nendobj\n";

    const qsizetype xref = out_.size();
    out_ += "xref\n0 ";
    putInt(out_, qsizetype(offsets_.size()));
    out_ += "\n0000000000 65535 f \n";
    for (size_t id = 1; id < offsets_.size(); ++id) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offsets_[id]));
        out_.append(entry, 20);
    }
    out_ += "trailer\n<< /Size ";
    putInt(out_, qsizetype(offsets_.size()));
    out_ += " /Root 1 0 R /Info ";
    putInt(out_, info);
    out_ += " 0 R >>\nstartxref\n";
    putInt(out_, xref);
    out_ += "\n%%EOF\n";
    return out_;
}

void PdfEngine::updateState(const QPaintEngineState& state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyTransform)
        transform_ = state.transform();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & DirtyClipEnabled) {
        clipEnabled_ = state.isClipEnabled();
        clipDirty_ = true;
    }
    if (flags & (DirtyClipPath | DirtyClipRegion)) {
        QPainterPath path;
        if (flags & DirtyClipPath) {
            path = state.clipPath();
        } else {
            path.addRegion(state.clipRegion());
        }
        path = transform_.map(path);
        switch (state.clipOperation()) {
        case Qt::NoClip:
            clip_.reset();
            clipEnabled_ = false;
            break;
        case Qt::ReplaceClip:
            clip_ = path;
            clipEnabled_ = true;
            break;
        case Qt::IntersectClip:
            clip_ = clip_ ? clip_->intersected(path) : path;
            clipEnabled_ = true;
            break;
        }
        clipDirty_ = true;
    }
}

void PdfEngine::syncClip()
{
    if (!clipDirty_)
        return;
    clipDirty_ = false;
    const std::optional<QPainterPath> wanted = clipEnabled_ ? clip_ : std::nullopt;
    if (wanted == emittedClip_)
        return;
    content_ += "Q q\n";
    if (wanted) {
        putPath(content_, *wanted);
        content_ += wanted->fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n";
    }
    emittedClip_ = wanted;
}

void PdfEngine::beginDrawing(bool stroke, bool fill)
{
    syncClip();
    content_ += "q\n";
    if (!transform_.isIdentity()) {
        putNumber(content_, transform_.m11(), MatrixDecimals);
        putNumber(content_, transform_.m12(), MatrixDecimals);
        putNumber(content_, transform_.m21(), MatrixDecimals);
        putNumber(content_, transform_.m22(), MatrixDecimals);
        putNumber(content_, transform_.dx(), LengthDecimals);
        putNumber(content_, transform_.dy(), LengthDecimals);
        content_ += "cm\n";
    }
    if (stroke)
        putPen();
    if (fill)
        putColour(content_, brush_.color(), "rg\n");
}

void PdfEngine::putPen()
{
    double width = pen_.widthF();
    double unit = width > 0 ? width : 1;
    if (pen_.isCosmetic() && width > 0) {
        // Cosmetic widths are in device units, whatever the painter's scale.
        const double scale = std::sqrt(std::abs(transform_.determinant()));
        if (scale > 0)
            width /= scale, unit = width;
    }
    putNumber(content_, width, LengthDecimals);
    content_ += "w ";
    content_ += pen_.capStyle() == Qt::RoundCap ? "1 J " : pen_.capStyle() == Qt::SquareCap ? "2 J " : "0 J ";
    content_ += pen_.joinStyle() == Qt::RoundJoin ? "1 j " : pen_.joinStyle() == Qt::BevelJoin ? "2 j " : "0 j ";
    if (pen_.joinStyle() == Qt::MiterJoin || pen_.joinStyle() == Qt::SvgMiterJoin) {
        putNumber(content_, std::max(1.0, pen_.miterLimit()), 2);
        content_ += "M ";
    }
    if (pen_.style() != Qt::SolidLine) {
        content_ += '[';
        for (double dash : pen_.dashPattern())
            putNumber(content_, std::max(dash * unit, 0.0001), LengthDecimals);
        content_ += "] ";
        putNumber(content_, pen_.dashOffset() * unit, LengthDecimals);
        content_ += "d ";
    }
    putColour(content_, pen_.color(), "RG\n");
}

void PdfEngine::paint(bool stroke, bool fill, bool evenOdd)
{
    content_ += stroke && fill ? (evenOdd ? "B*\n" : "B\n")
        : fill                 ? (evenOdd ? "f*\n" : "f\n")
        : stroke               ? "S\n"
                               : "n\n";
    content_ += "Q\n";
}

void PdfEngine::drawRects(const QRectF* rects, int count)
{
    const bool stroke = pen_.style() != Qt::NoPen, fill = brush_.style() != Qt::NoBrush;
    if (count <= 0 || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    for (int i = 0; i < count; ++i) {
        putPoint(content_, rects[i].topLeft());
        putNumber(content_, rects[i].width(), LengthDecimals);
        putNumber(content_, rects[i].height(), LengthDecimals);
        content_ += "re\n";
    }
    paint(stroke, fill, false);
}

void PdfEngine::drawLines(const QLineF* lines, int count)
{
    if (count <= 0 || pen_.style() == Qt::NoPen)
        return;
    beginDrawing(true, false);
    for (int i = 0; i < count; ++i) {
        putPoint(content_, lines[i].p1());
        content_ += "m ";
        putPoint(content_, lines[i].p2());
        content_ += "l\n";
    }
    paint(true, false, false);
}

void PdfEngine::drawPath(const QPainterPath& path)
{
    const bool stroke = pen_.style() != Qt::NoPen, fill = brush_.style() != Qt::NoBrush;
    if (path.isEmpty() || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    putPath(content_, path);
    paint(stroke, fill, path.fillRule() == Qt::OddEvenFill);
}

void PdfEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode)
{
    const bool stroke = pen_.style() != Qt::NoPen;
    const bool fill = mode != PolylineMode && brush_.style() != Qt::NoBrush;
    if (count < 2 || !(stroke || fill))
        return;
    beginDrawing(stroke, fill);
    putPoint(content_, points[0]);
    content_ += "m\n";
    for (int i = 1; i < count; ++i) {
        putPoint(content_, points[i]);
        content_ += "l\n";
    }
    if (mode != PolylineMode)
        content_ += "h\n";
    paint(stroke, fill, mode == OddEvenMode);
}

PdfEngine::EmbeddedFont* PdfEngine::embeddedFor(const QRawFont& raw)
{
    std::shared_ptr<const FontProgram> program = FontProgram::of(raw);
    if (!program)
        return nullptr;
    if (EmbeddedFont* known = fontsByProgram_.value(program.get()))
        return known;
    auto font = std::make_unique<EmbeddedFont>();
    font->program = std::move(program);
    font->object = newObject();
    font->resource = "F" + QByteArray::number(qsizetype(fonts_.size()) + 1);
    fontsByProgram_.insert(font->program.get(), font.get());
    fonts_.push_back(std::move(font));
    return fonts_.back().get();
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
    putColour(content_, pen_.color(), "rg\n");
    if (!embedded) {
        QPainterPath outlines;
        for (size_t i = 0; i < run.glyphs.size(); ++i)
            outlines.addPath(run.raw.pathForGlyph(run.glyphs[i]).translated(origin + run.positions[i]));
        putPath(content_, outlines);
        paint(false, true, false);
        return;
    }
    pageFonts_.insert(embedded->object);
    const double size = run.raw.pixelSize();
    content_ += "BT /" + embedded->resource + ' ';
    putNumber(content_, size, LengthDecimals);
    content_ += "Tf\n";
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
                content_ += "] TJ\n";
            content_ += "1 0 0 -1 ";
            putPoint(content_, at);
            content_ += "Tm [";
            open = true;
            lineY = at.y();
            penX = at.x();
        } else if (std::abs(shift) >= MinShift) {
            putNumber(content_, shift, 3);
            penX -= shift * size / 1000;
        }
        content_ += '<';
        putHex4(content_, code);
        content_ += '>';
        penX += widthOf(*embedded->program, run.glyphs[i]) * size / 1000;
    }
    content_ += "] TJ\nET\nQ\n";
}

void PdfEngine::drawTextItem(const QPointF& p, const QTextItem& item)
{
    const QString text = item.text();
    if (text.isEmpty() || pen_.style() == Qt::NoPen || finished_)
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
    : engine_(std::make_unique<PdfEngine>(firstPageMm))
{
}

PdfDocument::~PdfDocument() = default;

void PdfDocument::setTitle(const QString& title)
{
    engine_->title = title;
}

void PdfDocument::setCreator(const QString& creator)
{
    engine_->creator = creator;
}

void PdfDocument::newPage(const QSizeF& pageMm)
{
    engine_->newPage(pageMm);
}

QByteArray PdfDocument::toPdf()
{
    return engine_->finish();
}

QPaintEngine* PdfDocument::paintEngine() const
{
    return engine_.get();
}

int PdfDocument::metric(PaintDeviceMetric metric) const
{
    const QSizeF mm = engine_->pageMm;
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
