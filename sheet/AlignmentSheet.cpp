#include "sheet/AlignmentSheet.h"

#include "labeldata/FileAccess.h"
#include "sheet/PdfDocument.h"
#include "sheet/SheetText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace sheet {

namespace {

using labeldata::AlignmentEdge;
using labeldata::AlignmentScales;
using labeldata::ReadingLimit;
using text::TextUnits;

constexpr double NumberFontMax = 1.4;
// Neighbouring numbers alternate sides, so each may be nearly two millimetres wide.
constexpr double NumberRoom = 1.7;
// Numbers start this far from the scale's line, clear of the band.
constexpr double NumberGap = AlignmentBand + 0.4;
// How far a scale and its numbers reach into the label from its edge, and beside its line.
constexpr double ScaleReach = AlignmentBandLength + 1;
// Each scale's number in reading order stands inside the label just beyond its end.
constexpr double MarkFont = 1.6;
constexpr double MarkGap = AlignmentBandLength + 0.6;
// The note keeps clear of scales and their marks.
constexpr double NoteInset = MarkGap + MarkFont + 0.6;
constexpr double NoteFontMax = 2.2;
constexpr double BodyFontMax = 3.0;
constexpr double FontMin = 0.7;
constexpr double LineSpacing = 1.35;

double advance(const QFont& font, const QString& s)
{
    return QFontMetricsF(font).horizontalAdvance(s) / TextUnits;
}

QString signedNumber(int n)
{
    return n > 0 ? QStringLiteral("+%1").arg(n) : n < 0 ? QStringLiteral("-%1").arg(-n) : QStringLiteral("0");
}

QRectF cornerLabel(const Tlabelpar& s, bool lastRow, bool lastColumn)
{
    const int32_t row = lastRow ? s.Rows - 1 : 0, column = lastColumn ? s.Columns - 1 : 0;
    return {s.LeftMargin + column * (s.LabelWidth + s.HorizontalSpacing),
            s.TopMargin + row * (s.LabelHeight + s.VerticalSpacing), s.LabelWidth, s.LabelHeight};
}

// Its number in reading order, inside the label beyond the scale's inner end.
void drawMark(QPainter& p, const ScalePlace& at, AlignmentEdge edge, const QString& mark)
{
    const QFont font = text::sheetFont(MarkFont);
    const double width = advance(font, mark);
    const double cap = QFontMetricsF(font).capHeight() / TextUnits;
    switch (edge) {
    case AlignmentEdge::Left:
        return text::drawText(p, font, at.x + MarkGap, at.y + cap / 2, mark);
    case AlignmentEdge::Right:
        return text::drawText(p, font, at.x - MarkGap - width, at.y + cap / 2, mark);
    case AlignmentEdge::Top:
        return text::drawText(p, font, at.x - width / 2, at.y + MarkGap + cap, mark);
    case AlignmentEdge::Bottom:
        return text::drawText(p, font, at.x - width / 2, at.y - MarkGap, mark);
    }
}

void drawScale(QPainter& p, const ScalePlace& at)
{
    std::vector<QLineF> ticks;
    for (int k = -6; k <= 6; ++k) {
        const double length = k == 0 ? AlignmentTickZero : k % 2 == 0 ? AlignmentTickWhole : AlignmentTickHalf;
        const double d = k * AlignmentTickStep;
        if (at.across)
            ticks.emplace_back(at.x + d, at.y - length / 2, at.x + d, at.y + length / 2);
        else
            ticks.emplace_back(at.x - length / 2, at.y + d, at.x + length / 2, at.y + d);
    }
    p.drawLines(ticks.data(), int(ticks.size()));

    double widest = 0;
    for (int n = -int(ReadingLimit); n <= int(ReadingLimit); ++n)
        widest = std::max(widest, advance(text::sheetFont(1), signedNumber(n)));
    const QFont font = text::sheetFont(std::min(NumberFontMax, NumberRoom / widest));
    const QFontMetricsF metrics(font);
    const double cap = metrics.capHeight() / TextUnits;
    for (int n = -int(ReadingLimit); n <= int(ReadingLimit); ++n) {
        const QString number = signedNumber(n);
        const double width = advance(font, number);
        const bool first = n % 2 != 0; // odd numbers above or left, even ones below or right
        if (at.across) {
            const double baseline = first ? at.y - NumberGap : at.y + NumberGap + cap;
            text::drawText(p, font, at.x + n - width / 2, baseline, number);
        } else {
            const double x = first ? at.x - NumberGap - width : at.x + NumberGap;
            text::drawText(p, font, x, at.y + n + cap / 2, number);
        }
    }
}

bool drawLines(QPainter& p, const QStringList& lines, const QRectF& box, double maxSize)
{
    return text::drawCentredLines(p, lines, box, maxSize, FontMin, LineSpacing);
}


// A corner label's note: the readings it holds, in order.
QStringList noteLines(const Tlabelpar& s, bool lastRow, bool lastColumn)
{
    QStringList readings;
    for (int k = 0; k < int(AlignmentScales.size()); ++k) {
        const auto& scale = AlignmentScales[size_t(k)];
        if (cornerLabel(s, scale.lastRow, scale.lastColumn) == cornerLabel(s, lastRow, lastColumn))
            readings << readingMark(k) + alignmentEdgeName(scale.edge);
    }
    readings.removeDuplicates();
    return {QStringLiteral("%1 行 %2 列").arg(lastRow ? s.Rows : 1).arg(lastColumn ? s.Columns : 1),
            QStringLiteral("読む目盛り:"), readings.join(QLatin1Char(' '))};
}

// The part of a label clear of every scale that may stand on its edges.
QRectF noteBox(const QRectF& label)
{
    return label.adjusted(NoteInset, NoteInset, -NoteInset, -NoteInset);
}

QStringList middleLines(const Tlabelpar& s, const AlignmentSheetText& t)
{
    QStringList names;
    if (!t.titles.group.isEmpty())
        names << t.titles.group;
    if (!t.titles.style.isEmpty())
        names << t.titles.style;
    return {
        QStringLiteral("位置合わせシート"),
        QStringLiteral("スタイル: %1").arg(names.join(QStringLiteral(" / "))),
        sizeCaption(s),
        text::printerLine(t.printer),
        QStringLiteral("日付: %1").arg(t.date.toString(Qt::ISODate)),
        QString(),
        QStringLiteral("1. このシートを実際のラベル用紙に、拡大も縮小もせず (100 %) 印刷します。"),
        QStringLiteral("2. 四隅のラベルの外側の辺に目盛りがあります。ラベルの切れ目が目盛りと交わる所の数を、"),
        QStringLiteral("   0.25 mm 単位で読みます (右と下が +)。切れ目が 0 にあれば、その辺は合っています。"),
        QStringLiteral("3. 読んだ 8 つの値を ① から ⑧ の順に「位置合わせ」に入力します。"),
    };
}

// Where the middle's text goes: between the first and last row of labels, or column, or else
// in the first label below its note.
QRectF middleBox(const Tlabelpar& s)
{
    const QRectF first = cornerLabel(s, false, false), last = cornerLabel(s, true, true);
    // The side scales' numbers may stand beyond a low label.
    if (s.Rows >= 3) {
        const double top = std::max(first.bottom(), first.center().y() + ScaleReach) + 1;
        const double bottom = std::min(last.top(), last.center().y() - ScaleReach) - 1;
        return {2, top, s.SheetWidth - 4, bottom - top};
    }
    if (s.Columns >= 3) {
        const double left = std::max(first.right(), first.center().x() + ScaleReach) + 1;
        const double right = std::min(last.left(), last.center().x() - ScaleReach) - 1;
        return {left, 2, right - left, s.SheetHeight - 4};
    }
    const QRectF box = noteBox(first);
    return box.adjusted(0, box.height() / 3, 0, 0);
}

} // namespace

QString readingMark(int k)
{
    static const QString marks[] = {QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③"), QStringLiteral("④"),
                                    QStringLiteral("⑤"), QStringLiteral("⑥"), QStringLiteral("⑦"), QStringLiteral("⑧")};
    return marks[k];
}

QString alignmentEdgeName(AlignmentEdge e)
{
    switch (e) {
    case AlignmentEdge::Left:
        return QStringLiteral("左端");
    case AlignmentEdge::Top:
        return QStringLiteral("上端");
    case AlignmentEdge::Right:
        return QStringLiteral("右端");
    case AlignmentEdge::Bottom:
        return QStringLiteral("下端");
    }
    return {};
}

ScalePlace scalePlace(const Tlabelpar& s, int k)
{
    const auto& scale = AlignmentScales[size_t(k)];
    const QRectF label = cornerLabel(s, scale.lastRow, scale.lastColumn);
    switch (scale.edge) {
    case AlignmentEdge::Left:
        return {label.left(), label.center().y(), true};
    case AlignmentEdge::Right:
        return {label.right(), label.center().y(), true};
    case AlignmentEdge::Top:
        return {label.center().x(), label.top(), false};
    case AlignmentEdge::Bottom:
        return {label.center().x(), label.bottom(), false};
    }
    return {};
}

void drawAlignmentSheet(QPainter& p, const Tlabelpar& s, const AlignmentSheetText& t, const Calibration& c)
{
    p.save();
    p.setTransform(pageTransform(*p.device(), c), true);
    p.setClipRect(QRectF(0, 0, s.SheetWidth, s.SheetHeight));
    QPen pen(Qt::black, AlignmentTickWidth);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    // A single row or column puts two readings on one scale; it is drawn once with both marks.
    std::vector<std::pair<int, QString>> scales;
    for (int k = 0; k < int(AlignmentScales.size()); ++k) {
        const ScalePlace at = scalePlace(s, k);
        const auto same = std::find_if(scales.begin(), scales.end(), [&](const auto& e) {
            const ScalePlace other = scalePlace(s, e.first);
            return other.x == at.x && other.y == at.y && other.across == at.across;
        });
        if (same != scales.end())
            same->second += readingMark(k);
        else
            scales.emplace_back(k, readingMark(k));
    }
    for (const auto& [k, mark] : scales) {
        drawScale(p, scalePlace(s, k));
        drawMark(p, scalePlace(s, k), AlignmentScales[size_t(k)].edge, mark);
    }

    const bool grid = s.Rows >= 3 || s.Columns >= 3;
    std::vector<QRectF> done;
    for (const auto& scale : AlignmentScales) {
        const QRectF label = cornerLabel(s, scale.lastRow, scale.lastColumn);
        if (std::find(done.begin(), done.end(), label) != done.end())
            continue;
        done.push_back(label);
        QRectF box = noteBox(label);
        // Without rows or columns between the corners, the first label shares its box with the middle.
        if (!grid && done.size() == 1)
            box.setHeight(box.height() / 3);
        drawLines(p, noteLines(s, scale.lastRow, scale.lastColumn), box, NoteFontMax);
    }
    drawLines(p, middleLines(s, t), middleBox(s), BodyFontMax);
    p.restore();
}

QByteArray alignmentSheetPdf(const Tlabelpar& s, const AlignmentSheetText& t, const Calibration& c)
{
    if (problemOf(s) != SheetProblem::None)
        throw std::invalid_argument("a style without a sheet or labels has no alignment sheet");
    PdfDocument pdf(QSizeF(s.SheetWidth, s.SheetHeight));
    pdf.setCreator(QStringLiteral("tessel vellumo"));
    pdf.setTitle(QStringLiteral("位置合わせシート"));
    {
        QPainter painter(&pdf);
        drawAlignmentSheet(painter, s, t, c);
    }
    return pdf.toPdf();
}

void writeAlignmentSheetPdf(const QString& path, const Tlabelpar& s, const AlignmentSheetText& t, const Calibration& c)
{
    labeldata::writeFileDurably(path, alignmentSheetPdf(s, t, c));
}

} // namespace sheet
