// LibreOffice's label list: manufacturers holding labels, each measured in 1/100 mm.
#include "products/Readers.h"

#include <cmath>

namespace products::detail {

namespace {

constexpr const char* MeasureFields[] = {"kind",   "hpitch", "vpitch",  "width", "height",    "left",
                                         "top",    "columns", "rows", "pagewidth", "pageheight"};
constexpr qsizetype MeasureFieldCount = qsizetype(std::size(MeasureFields));

void measure(const QString& text, int64_t line, Catalogue::Template& t)
{
    const QStringList f = text.trimmed().split(QLatin1Char(';'));
    auto malformed = [&](QString detail) {
        t.reason = SkipReason::Malformed;
        t.detail = std::move(detail);
    };
    if (f.size() != MeasureFieldCount)
        return malformed(QStringLiteral("measure on line %1 has %2 fields, not %3: '%4'")
                             .arg(line).arg(f.size()).arg(MeasureFieldCount).arg(text));
    const QString kind = f[0].trimmed();
    if (kind == u"C") {
        t.reason = SkipReason::Roll;
        t.detail = QStringLiteral("continuous");
        return;
    }
    if (kind != u"S")
        return malformed(QStringLiteral("measure field 'kind' on line %1: '%2'").arg(line).arg(kind));
    double v[MeasureFieldCount] = {};
    for (qsizetype i = 1; i < MeasureFieldCount; ++i) {
        bool ok = false;
        v[i] = f[i].trimmed().toDouble(&ok);
        const bool count = i == 7 || i == 8;
        if (!ok || !std::isfinite(v[i]) || (count && v[i] != std::floor(v[i])))
            return malformed(QStringLiteral("measure field '%1' on line %2: '%3'")
                                 .arg(QLatin1String(MeasureFields[i])).arg(line).arg(f[i]));
    }
    SheetGeometry g;
    g.pitchAcross = v[1] / 100;
    g.pitchDown = v[2] / 100;
    g.labelWidth = v[3] / 100;
    g.labelHeight = v[4] / 100;
    g.left = v[5] / 100;
    g.top = v[6] / 100;
    // Far-out counts saturate; the range check refuses them either way.
    g.columns = int64_t(std::clamp(v[7], -1e9, 1e9));
    g.rows = int64_t(std::clamp(v[8], -1e9, 1e9));
    g.sheetWidth = v[9] / 100;
    g.sheetHeight = v[10] / 100;
    t.geometry = g;
}

void readLabel(QXmlStreamReader& xml, const QString& maker, Entry& e)
{
    e.brand = maker;
    e.line = xml.lineNumber();
    QString name;
    bool measured = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"name") {
            name = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified();
        } else if (xml.name() == u"measure" && !measured) {
            measured = true;
            const int64_t line = xml.lineNumber();
            measure(xml.readElementText(QXmlStreamReader::SkipChildElements), line, e.sheet);
        } else {
            xml.skipCurrentElement();
        }
    }
    // "28171 Label A4 12pcs(2*6) 90.2*42.3mm": the first word is the maker's number.
    const qsizetype space = name.indexOf(QLatin1Char(' '));
    e.part = space < 0 ? name : name.left(space);
    e.sheet.description = space < 0 ? QString() : name.mid(space + 1);
    if (!measured) {
        e.sheet.reason = SkipReason::Malformed;
        e.sheet.detail = QStringLiteral("label on line %1 has no measure").arg(e.line);
    }
}

} // namespace

void readLibreOfficeLabels(QXmlStreamReader& xml, std::vector<Entry>& out)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != u"manufacturer") {
            xml.skipCurrentElement();
            continue;
        }
        const QString maker = xml.attributes().value(QLatin1String("name")).toString();
        while (xml.readNextStartElement()) {
            if (xml.name() != u"label") {
                xml.skipCurrentElement();
                continue;
            }
            Entry e;
            readLabel(xml, maker, e);
            out.push_back(std::move(e));
        }
    }
}

} // namespace products::detail
