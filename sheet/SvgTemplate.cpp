#include "sheet/SvgTemplate.h"

#include "labeldata/ShortDecimal.h"
#include "sheet/TestSheet.h"

#include <QXmlStreamWriter>

#include <stdexcept>

namespace sheet {

namespace {

const QString Svg = QStringLiteral("http://www.w3.org/2000/svg");
const QString Inkscape = QStringLiteral("http://www.inkscape.org/namespaces/inkscape");
const QString Sodipodi = QStringLiteral("http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd");

// A millionth of a millimetre is far below any printer, and keeps sums like 105.00359999999999 short.
QString number(double v)
{
    return labeldata::shortDecimal(v, 6);
}

QString textWithoutControls(QString text)
{
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = QChar(0xFFFD);
    return text;
}

} // namespace

QByteArray blankSvgTemplate(const Tlabelpar& s, const QString& title)
{
    if (problemOf(s) != SheetProblem::None)
        throw std::invalid_argument("a style without a sheet or labels has no template");
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(Svg);
    xml.writeNamespace(Inkscape, QStringLiteral("inkscape"));
    xml.writeNamespace(Sodipodi, QStringLiteral("sodipodi"));
    xml.writeStartElement(Svg, QStringLiteral("svg"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    xml.writeAttribute(QStringLiteral("width"), number(s.SheetWidth) + QStringLiteral("mm"));
    xml.writeAttribute(QStringLiteral("height"), number(s.SheetHeight) + QStringLiteral("mm"));
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %2").arg(number(s.SheetWidth), number(s.SheetHeight)));
    xml.writeTextElement(Svg, QStringLiteral("title"), textWithoutControls(title));

    // Inkscape keeps guide positions from the bottom left corner, in user units.
    xml.writeStartElement(Sodipodi, QStringLiteral("namedview"));
    xml.writeAttribute(Inkscape, QStringLiteral("document-units"), QStringLiteral("mm"));
    xml.writeAttribute(QStringLiteral("showguides"), QStringLiteral("true"));
    const struct {
        const char* name;
        double x, y;
        bool vertical;
    } guides[] = {
        {"左余白", s.LeftMargin, 0, true},
        {"右余白", s.SheetWidth - s.RightMargin, 0, true},
        {"上余白", 0, s.SheetHeight - s.TopMargin, false},
        {"下余白", 0, s.BottomMargin, false},
    };
    for (const auto& g : guides) {
        xml.writeEmptyElement(Sodipodi, QStringLiteral("guide"));
        xml.writeAttribute(QStringLiteral("position"), number(g.x) + QLatin1Char(',') + number(g.y));
        xml.writeAttribute(QStringLiteral("orientation"), g.vertical ? QStringLiteral("1,0") : QStringLiteral("0,1"));
        xml.writeAttribute(Inkscape, QStringLiteral("label"), QString::fromUtf8(g.name));
    }
    xml.writeEndElement();

    xml.writeStartElement(Svg, QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("labels"));
    xml.writeAttribute(Inkscape, QStringLiteral("groupmode"), QStringLiteral("layer"));
    xml.writeAttribute(Inkscape, QStringLiteral("label"), QStringLiteral("ラベル"));
    xml.writeAttribute(Sodipodi, QStringLiteral("insensitive"), QStringLiteral("true"));
    xml.writeAttribute(QStringLiteral("style"), QStringLiteral("fill:none;stroke:#000000;stroke-width:0.1"));
    // Placed as the test sheet and gLabels place them: the corner plus a whole number of pitches.
    const double pitchX = s.LabelWidth + s.HorizontalSpacing;
    const double pitchY = s.LabelHeight + s.VerticalSpacing;
    for (int32_t r = 0; r < s.Rows; ++r)
        for (int32_t c = 0; c < s.Columns; ++c) {
            const double x = s.LeftMargin + c * pitchX;
            const double y = s.TopMargin + r * pitchY;
            xml.writeEmptyElement(Svg, QStringLiteral("rect"));
            xml.writeAttribute(QStringLiteral("x"), number(x));
            xml.writeAttribute(QStringLiteral("y"), number(y));
            xml.writeAttribute(QStringLiteral("width"), number(s.LabelWidth));
            xml.writeAttribute(QStringLiteral("height"), number(s.LabelHeight));
        }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace sheet
