#include "sheet/TestSheet.h"

#include "sheet/SheetText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <vector>

namespace sheet {

namespace {

using text::drawText;
using text::sheetFont;
using text::TextUnits;

constexpr double LineWidth = 0.1; // mm: thin, yet one pixel at 254 dpi

// Ruler: tick lengths and the room its numbers take at the top and the left edge.
constexpr double TickShort = 1.5;
constexpr double TickFive = 2.5;
constexpr double TickTen = 3.5;
constexpr double RulerFont = 1.8;
constexpr double TopRulerDepth = 4.0;
constexpr double LeftRulerDepth = 8.0;

constexpr double CaptionMaxFont = 2.5;
constexpr double CaptionMinFont = 1.0;
constexpr double LineSpacing = 1.25;

// Advance of text at a font size of 1 mm.
double advanceAt1mm(const QString& text)
{
    return QFontMetricsF(sheetFont(1)).horizontalAdvance(text) / TextUnits;
}

QString mm(double v)
{
    return QString::number(v, 'f', 2);
}

void drawRulers(QPainter& p)
{
    const QFont font = sheetFont(RulerFont);
    const double capHeight = QFontMetricsF(font).capHeight() / TextUnits;
    // One call for all ticks: the paint engine's cost is mostly per call.
    std::vector<QLineF> ticks;
    ticks.reserve(2 * (size_t(RulerLength) + 1));
    for (int i = 0; i <= int(RulerLength); ++i) {
        const double length = i % 10 == 0 ? TickTen : i % 5 == 0 ? TickFive : TickShort;
        ticks.emplace_back(i, 0, i, length);
        ticks.emplace_back(0, i, length, i);
    }
    p.drawLines(ticks.data(), int(ticks.size()));
    for (int i = 10; i <= int(RulerLength); i += 10) {
        const QString number = QString::number(i);
        drawText(p, font, i + 0.4, TickTen, number);
        drawText(p, font, TickTen + 0.4, i + capHeight / 2, number);
    }
}

void drawCross(QPainter& p, const Tlabelpar& s)
{
    const double cx = s.SheetWidth / 2, cy = s.SheetHeight / 2, arm = 3;
    p.drawLine(QLineF(cx - arm, cy, cx + arm, cy));
    p.drawLine(QLineF(cx, cy - arm, cx, cy + arm));
}

void drawMarginLines(QPainter& p, const Tlabelpar& s)
{
    QPen dashed = p.pen();
    dashed.setDashPattern({20, 10}); // in line widths: 2 mm dashes, 1 mm gaps
    p.save();
    p.setPen(dashed);
    const double w = s.SheetWidth, h = s.SheetHeight;
    p.drawLine(QLineF(s.LeftMargin, 0, s.LeftMargin, h));
    p.drawLine(QLineF(w - s.RightMargin, 0, w - s.RightMargin, h));
    p.drawLine(QLineF(0, s.TopMargin, w, s.TopMargin));
    p.drawLine(QLineF(0, h - s.BottomMargin, w, h - s.BottomMargin));
    p.restore();
}

void drawLabels(QPainter& p, const Tlabelpar& s)
{
    const double pitchX = s.LabelWidth + s.HorizontalSpacing;
    const double pitchY = s.LabelHeight + s.VerticalSpacing;

    // One size of number for the whole sheet, shown only when the widest one fits a label.
    const int64_t count = int64_t(s.Rows) * s.Columns;
    const double numberSize = std::min(5.0, s.LabelHeight * 0.3);
    const QFont numberFont = sheetFont(numberSize);
    const QFontMetricsF numberMetrics(numberFont);
    const bool numbers = numberSize >= 0.8
        && numberMetrics.horizontalAdvance(QString::number(count)) / TextUnits <= s.LabelWidth * 0.9;
    const double numberRise = numberMetrics.capHeight() / TextUnits / 2;

    std::vector<QRectF> row;
    row.reserve(size_t(s.Columns));
    for (int32_t i = 0; i < s.Rows; ++i) {
        // Computed from the index, not summed, so the last row is as exact as the first.
        const double y = s.TopMargin + i * pitchY;
        if (y > s.SheetHeight)
            break;
        row.clear();
        for (int32_t j = 0; j < s.Columns; ++j) {
            const double x = s.LeftMargin + j * pitchX;
            if (x > s.SheetWidth)
                break;
            row.emplace_back(x, y, s.LabelWidth, s.LabelHeight);
        }
        p.drawRects(row.data(), int(row.size()));
        if (!numbers)
            continue;
        for (size_t j = 0; j < row.size(); ++j) {
            const QString number = QString::number(int64_t(i) * s.Columns + int64_t(j) + 1);
            const double advance = numberMetrics.horizontalAdvance(number) / TextUnits;
            const QPointF centre = row[j].center();
            drawText(p, numberFont, centre.x() - advance / 2, centre.y() + numberRise, number);
        }
    }
}

// The caption's lines at the largest size up to CaptionMaxFont that fits the box; none fits
// below CaptionMinFont.
bool drawCaption(QPainter& p, const QStringList& lines, const QRectF& box)
{
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, advanceAt1mm(line));
    double size = std::min(CaptionMaxFont, box.height() / (LineSpacing * lines.size()));
    if (widest > 0)
        size = std::min(size, box.width() / widest);
    if (!(size >= CaptionMinFont))
        return false;
    const QFont font = sheetFont(size);
    const double ascent = QFontMetricsF(font).ascent() / TextUnits;
    for (qsizetype k = 0; k < lines.size(); ++k)
        drawText(p, font, box.left(), box.top() + ascent + k * size * LineSpacing, lines[k]);
    return true;
}

void drawCaption(QPainter& p, const Tlabelpar& s, const SheetTitles& titles)
{
    QStringList names;
    if (!titles.group.isEmpty())
        names << titles.group;
    if (!titles.style.isEmpty())
        names << titles.style;
    QStringList lines;
    if (!names.isEmpty())
        lines << names.join(QStringLiteral(" / "));
    lines << sizeCaption(s);

    // Below the top ruler and right of the left one, above the top margin line.
    const QRectF margin(LeftRulerDepth, TopRulerDepth, s.SheetWidth - LeftRulerDepth - 2,
                        s.TopMargin - TopRulerDepth - 0.5);
    if (margin.width() > 0 && margin.height() > 0 && drawCaption(p, lines, margin))
        return;
    const QRectF label(s.LeftMargin + 1, s.TopMargin + 1, s.LabelWidth - 2, s.LabelHeight - 2);
    if (label.width() > 0 && label.height() > 0)
        drawCaption(p, lines, label);
}

} // namespace

SheetProblem problemOf(const Tlabelpar& s)
{
    if (!(s.SheetWidth > 0) || !(s.SheetHeight > 0))
        return SheetProblem::NoSheet;
    if (s.Rows < 1 || s.Columns < 1)
        return SheetProblem::NoLabels;
    if (int64_t(s.Rows) * s.Columns > MaxLabels)
        return SheetProblem::TooManyLabels;
    return SheetProblem::None;
}

QString sizeCaption(const Tlabelpar& s)
{
    return QStringLiteral("台紙 %1 × %2 mm / ラベル %3 × %4 mm / %5 列 × %6 行 / 余白 左 %7 上 %8 右 %9 下 %10 / "
                          "間隔 水平 %11 垂直 %12")
        .arg(mm(s.SheetWidth), mm(s.SheetHeight), mm(s.LabelWidth), mm(s.LabelHeight), QString::number(s.Columns),
             QString::number(s.Rows), mm(s.LeftMargin), mm(s.TopMargin), mm(s.RightMargin), mm(s.BottomMargin),
             mm(s.HorizontalSpacing), mm(s.VerticalSpacing));
}

QPageLayout pageLayout(const Tlabelpar& s)
{
    return pageLayout(QSizeF(s.SheetWidth, s.SheetHeight));
}

QPageLayout pageLayout(const QSizeF& paperMm)
{
    // A portrait size even for a landscape sheet: the orientation would swap the two again.
    const QPageSize size(paperMm, QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    QPageLayout layout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter, QMarginsF());
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

void setSheetTransform(QPainter& p, const Calibration& c)
{
    const QPaintDevice* device = p.device();
    p.scale(device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4);
    p.translate(c.offsetX, c.offsetY);
    p.scale(c.scaleX / 100, c.scaleY / 100);
}

void drawTestSheet(QPainter& p, const Tlabelpar& s, const SheetTitles& titles, const Calibration& c)
{
    p.save();
    setSheetTransform(p, c);
    p.setClipRect(QRectF(0, 0, s.SheetWidth, s.SheetHeight));

    QPen pen(Qt::black, LineWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    drawLabels(p, s);
    drawMarginLines(p, s);
    drawRulers(p);
    drawCross(p, s);
    drawCaption(p, s, titles);
    p.restore();
}

} // namespace sheet
