#include "sheet/CalibrationPage.h"

#include "labeldata/Calibration.h"
#include "labeldata/FileAccess.h"
#include "sheet/PdfDocument.h"
#include "sheet/SheetText.h"
#include "sheet/TestSheet.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <stdexcept>

namespace sheet {

namespace {

using labeldata::CalibrationMarkInset;
using text::TextUnits;

constexpr double NoteFont = 2.2;
constexpr double BodyMaxFont = 3.5;
constexpr double BodyMinFont = 1.2;
constexpr double LineSpacing = 1.4;
// Notes start this far from a cross's centre, clear of its square.
constexpr double NoteGap = CrossSquare / 2 + 1.5;

QString mm(double v)
{
    return QString::number(v, 'f', 2);
}

double advance(const QFont& font, const QString& s)
{
    return QFontMetricsF(font).horizontalAdvance(s) / TextUnits;
}

// The two notes of a cross, beside it on the side towards the middle of the page.
void drawNotes(QPainter& p, double cx, double cy, bool right, double size, const QString& vertical,
               const QString& horizontal)
{
    const QFont font = text::sheetFont(size);
    const double step = size * LineSpacing;
    // Beside the cross, level with it: the first line just above its centre, the second below.
    const double first = cy - 0.3 * step;
    const double baselines[] = {first, first + step};
    const QString lines[] = {vertical, horizontal};
    for (int k = 0; k < 2; ++k) {
        const double x = right ? cx - NoteGap - advance(font, lines[k]) : cx + NoteGap;
        text::drawText(p, font, x, baselines[k], lines[k]);
    }
}

void drawCross(QPainter& p, double cx, double cy)
{
    const double half = CrossArm / 2;
    p.drawLine(QLineF(cx - half, cy, cx + half, cy));
    p.drawLine(QLineF(cx, cy - half, cx, cy + half));
}

void drawMiddle(QPainter& p, const QSizeF& paper, const CalibrationPageText& t)
{
    const QString size = QStringLiteral("%1 × %2 mm").arg(mm(paper.width()), mm(paper.height()));
    const QStringList lines{
        QStringLiteral("プリンターの補正ページ"),
        QStringLiteral("用紙: %1").arg(t.paper.isEmpty() ? size : t.paper + QLatin1Char(' ') + size),
        text::printerLine(t.printer),
        QStringLiteral("日付: %1").arg(t.date.toString(Qt::ISODate)),
        QString(),
        QStringLiteral("1. このページを 100 % (「実際のサイズ」) で、拡大も縮小もせず余白なしで印刷します。"),
        QStringLiteral("   「ページに合わせる」で印刷したページでは補正できません。"),
        QStringLiteral("2. 定規を用紙の左端に当て、左と右の十字の縦線までを測ります (「左」「右」)。"),
        QStringLiteral("3. 定規を用紙の上端に当て、上と下の十字の横線までを測ります (「上」「下」)。"),
        QStringLiteral("4. 測った 4 つの長さ (mm) を「プリンターの補正」に入力します。"),
        QStringLiteral("   左右の十字で値が違うときは、二つの平均を入力します。"),
        QStringLiteral("   目安: 左 %1、右 %2、上 %1、下 %3 mm").arg(mm(CalibrationMarkInset), mm(paper.width() - CalibrationMarkInset),
                                                       mm(paper.height() - CalibrationMarkInset)),
        QStringLiteral("5. 8 か所で測ると、用紙の傾きも補正し、測り違いもわかります:"),
        QStringLiteral("   左上・右上・左下・右下の十字ごとに、左端から縦線までを測り、"),
        QStringLiteral("   次に同じ順で上端から横線までを測って、「8 か所」に入力します。"),
        QStringLiteral("   残差が 0.15 mm を超えたら、どこかの測り違いです。測り直してください。"),
    };
    // The middle, clear of the crosses' rows above and below.
    const double margin = CalibrationMarkInset + CrossSquare;
    const QRectF box(margin, margin, paper.width() - 2 * margin, paper.height() - 2 * margin);
    text::drawCentredLines(p, lines, box, BodyMaxFont, BodyMinFont, LineSpacing);
}

} // namespace

bool calibrationPaperUsable(const QSizeF& paper)
{
    return paper.width() >= CalibrationPaperMin && paper.height() >= CalibrationPaperMin
        && paper.width() <= CalibrationPaperMax && paper.height() <= CalibrationPaperMax;
}

std::vector<labeldata::MarginIntrusion> crossesInMargins(const QSizeF& paper, const labeldata::PrinterMargins& margins)
{
    const labeldata::CalibrationMarks m = labeldata::nominalMarks(paper.width(), paper.height());
    const double half = CrossArm / 2;
    std::vector<labeldata::MarginIntrusion> found;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            const double cx = column ? m.right : m.left, cy = row ? m.bottom : m.top;
            for (labeldata::MarginIntrusion i : labeldata::boxInMargins(cx - half, cy - half, cx + half, cy + half,
                                                                        paper.width(), paper.height(), margins)) {
                i.row = row;
                i.column = column;
                found.push_back(i);
            }
        }
    }
    return found;
}

void drawCalibrationPage(QPainter& p, const QSizeF& paper, const CalibrationPageText& t)
{
    p.save();
    p.setTransform(pageTransform(*p.device()), true);
    p.setClipRect(QRectF(QPointF(0, 0), paper));

    QPen pen(Qt::black, CrossLineWidth);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double w = paper.width(), h = paper.height(), in = CalibrationMarkInset;
    const labeldata::CalibrationMarks at = labeldata::nominalMarks(w, h);
    auto note = [](const QString& which, const QString& edge, double nominal) {
        return QStringLiteral("%1: 用紙の%2から約 %3 mm").arg(which, edge, mm(nominal));
    };
    const QString left = note(QStringLiteral("縦線「左」"), QStringLiteral("左端"), at.left);
    const QString right = note(QStringLiteral("縦線「右」"), QStringLiteral("左端"), at.right);
    const QString top = note(QStringLiteral("横線「上」"), QStringLiteral("上端"), at.top);
    const QString bottom = note(QStringLiteral("横線「下」"), QStringLiteral("上端"), at.bottom);
    // The notes of the left and right crosses share a line; on narrow paper they get smaller.
    double widest = 0;
    for (const QString& line : {left, right, top, bottom})
        widest = std::max(widest, advance(text::sheetFont(1), line));
    const double noteSize = std::min(NoteFont, (w / 2 - in - NoteGap - 1) / widest);
    for (const auto& [cx, cy] : {std::pair{in, in}, std::pair{w - in, in}, std::pair{in, h - in}, std::pair{w - in, h - in}}) {
        drawCross(p, cx, cy);
        const bool isRight = cx > w / 2, isLower = cy > h / 2;
        drawNotes(p, cx, cy, isRight, noteSize, isRight ? right : left, isLower ? bottom : top);
    }
    drawMiddle(p, paper, t);
    p.restore();
}

QByteArray calibrationPagePdf(const QSizeF& paper, const CalibrationPageText& t)
{
    if (!calibrationPaperUsable(paper))
        throw std::invalid_argument("paper too small or too large for the calibration page");
    PdfDocument pdf(paper);
    pdf.setCreator(QStringLiteral("tessel vellumo"));
    pdf.setTitle(QStringLiteral("プリンターの補正ページ"));
    {
        QPainter painter(&pdf);
        drawCalibrationPage(painter, paper, t);
    }
    return pdf.toPdf();
}

void writeCalibrationPagePdf(const QString& path, const QSizeF& paper, const CalibrationPageText& t)
{
    labeldata::writeFileDurably(path, calibrationPagePdf(paper, t));
}

} // namespace sheet
