// gLabels template files, as gLabels reads hand-made ones from ~/.glabels.
#include "products/GlabelsWriter.h"


#include <QLocale>
#include <QRegularExpression>
#include <QXmlStreamWriter>

#include <cmath>

namespace products {

namespace {

// gLabels 3's own paper-sizes.xml, so the file names a size even where gLabels is not installed.
constexpr GlabelsPaper Papers[] = {
    {"A4", 210, 297},        {"US-Letter", 215.9, 279.4}, {"US-Legal", 215.9, 355.6}, {"US-Executive", 184.15, 266.7},
    {"A0", 841, 1189},       {"A1", 594, 841},            {"A2", 420, 594},           {"A3", 297, 420},
    {"A5", 148, 210},        {"A6", 105, 148},            {"A7", 74, 105},            {"A8", 52, 74},
    {"A9", 37, 52},          {"A10", 26, 37},             {"B0", 1000, 1414},         {"B1", 707, 1000},
    {"B2", 500, 707},        {"B3", 353, 500},            {"B4", 250, 353},           {"B5", 176, 250},
    {"B6", 125, 176},        {"B7", 88, 125},             {"B8", 62, 88},             {"B9", 44, 62},
    {"B10", 31, 44},         {"number10", 104.775, 241.3}, {"monarch", 98.425, 190.5}, {"c5", 162, 229},
    {"c6", 114, 162},        {"dl", 110, 220},            {"RA0", 860, 1220},         {"RA1", 610, 860},
    {"RA2", 430, 610},       {"RA3", 305, 430},           {"RA4", 215, 305},          {"SRA0", 900, 1280},
    {"SRA1", 640, 900},      {"SRA2", 450, 640},          {"SRA3", 320, 450},         {"SRA4", 225, 320},
};

constexpr double PaperTolerance = 0.01;

QString mm(double v)
{
    // The shortest text that reads back as the same double.
    return QString::number(v, 'g', QLocale::FloatingPointShortest) + QStringLiteral("mm");
}

QString plain(double v)
{
    // Made once: three a style, 65535 styles a file.
    static const QRegularExpression trailingZeros(QStringLiteral("\\.?0+$"));
    return QString::number(v, 'f', 2).remove(trailingZeros);
}

} // namespace

const GlabelsPaper* glabelsPaperFor(double width, double height)
{
    for (const GlabelsPaper& p : Papers)
        if (std::abs(p.width - width) <= PaperTolerance && std::abs(p.height - height) <= PaperTolerance)
            return &p;
    return nullptr;
}

GlabelsTemplates glabelsTemplates(const QString& brand, const std::vector<const Tlabelpar*>& styles)
{
    GlabelsTemplates result{exportNames(brand, styles), {}};
    if (!result.refused.empty())
        return result;

    QXmlStreamWriter xml(&result.xml);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Glabels-templates"));
    for (size_t i = 0; i < styles.size(); ++i) {
        const Tlabelpar& s = *styles[i];
        const double pitchAcross = s.LabelWidth + s.HorizontalSpacing;
        const double pitchDown = s.LabelHeight + s.VerticalSpacing;
        xml.writeStartElement(QStringLiteral("Template"));
        xml.writeAttribute(QStringLiteral("brand"), result.brand);
        xml.writeAttribute(QStringLiteral("part"), result.names[i]);
        if (const GlabelsPaper* paper = glabelsPaperFor(s.SheetWidth, s.SheetHeight)) {
            xml.writeAttribute(QStringLiteral("size"), QLatin1String(paper->id));
        } else {
            xml.writeAttribute(QStringLiteral("size"), QStringLiteral("Other"));
            xml.writeAttribute(QStringLiteral("width"), mm(s.SheetWidth));
            xml.writeAttribute(QStringLiteral("height"), mm(s.SheetHeight));
        }
        xml.writeAttribute(QStringLiteral("description"),
                           QStringLiteral("%1 x %2 mm labels, %3 x %4 on a %5 x %6 mm sheet")
                               .arg(plain(s.LabelWidth), plain(s.LabelHeight))
                               .arg(s.Columns)
                               .arg(s.Rows)
                               .arg(plain(s.SheetWidth), plain(s.SheetHeight)));
        xml.writeEmptyElement(QStringLiteral("Meta"));
        xml.writeAttribute(QStringLiteral("category"), QStringLiteral("label"));
        xml.writeStartElement(QStringLiteral("Label-rectangle"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("0"));
        xml.writeAttribute(QStringLiteral("width"), mm(s.LabelWidth));
        xml.writeAttribute(QStringLiteral("height"), mm(s.LabelHeight));
        xml.writeAttribute(QStringLiteral("round"), QStringLiteral("0mm"));
        xml.writeAttribute(QStringLiteral("x_waste"), QStringLiteral("0mm"));
        xml.writeAttribute(QStringLiteral("y_waste"), QStringLiteral("0mm"));
        xml.writeEmptyElement(QStringLiteral("Layout"));
        xml.writeAttribute(QStringLiteral("nx"), QString::number(s.Columns));
        xml.writeAttribute(QStringLiteral("ny"), QString::number(s.Rows));
        xml.writeAttribute(QStringLiteral("x0"), mm(s.LeftMargin));
        xml.writeAttribute(QStringLiteral("y0"), mm(s.TopMargin));
        xml.writeAttribute(QStringLiteral("dx"), mm(pitchAcross));
        xml.writeAttribute(QStringLiteral("dy"), mm(pitchDown));
        xml.writeEndElement(); // Label-rectangle
        xml.writeEndElement(); // Template
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return result;
}

} // namespace products
