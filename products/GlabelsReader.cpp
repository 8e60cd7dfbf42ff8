// gLabels product templates and paper sizes.
#include "products/Length.h"
#include "products/Readers.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace products::detail {

namespace {

// The first problem found in a template's values; the template is skipped for it.
struct Malformed {
    QString detail;
};

QString describe(QXmlStreamReader& xml, QLatin1String attribute, QStringView value)
{
    return QStringLiteral("attribute '%1' of %2 on line %3: '%4'")
        .arg(attribute, xml.name(), QString::number(xml.lineNumber()), value);
}

double length(QXmlStreamReader& xml, QLatin1String attribute)
{
    const QStringView text = xml.attributes().value(attribute);
    if (const auto mm = parseLength(text))
        return *mm;
    throw Malformed{describe(xml, attribute, text)};
}

int64_t count(QXmlStreamReader& xml, QLatin1String attribute)
{
    const QStringView text = xml.attributes().value(attribute);
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw Malformed{describe(xml, attribute, text)};
    return n;
}

// Reads a Label-* element to its end; the sheet size is filled in by the caller.
void readLabel(QXmlStreamReader& xml, Catalogue::Template& t)
{
    // A copy: the reader's own text goes with its next read, and the children are read below.
    const QString name = xml.name().toString();
    auto skipAs = [&](SkipReason reason) {
        t.reason = reason;
        t.detail = name;
        xml.skipCurrentElement();
    };
    if (name == u"Label-path")
        return skipAs(SkipReason::PathLabel);
    if (name == u"Label-continuous")
        return skipAs(SkipReason::Roll);
    const std::pair<QStringView, LabelShape> shapes[] = {{u"Label-rectangle", LabelShape::Rectangle},
                                                        {u"Label-round", LabelShape::Round},
                                                        {u"Label-ellipse", LabelShape::Ellipse},
                                                        {u"Label-cd", LabelShape::Cd}};
    const auto shape = std::find_if(std::begin(shapes), std::end(shapes), [&](const auto& s) { return s.first == name; });
    if (shape == std::end(shapes)) {
        skipAs(SkipReason::Malformed);
        t.detail = QStringLiteral("unknown label element %1 on line %2").arg(t.detail).arg(xml.lineNumber());
        return;
    }

    // Every shape is placed by its bounding box: a circle's diameter square, a CD's cut to its
    // width or height where the sheet gives one.
    SheetGeometry g;
    std::optional<Malformed> problem;
    try {
        const QLatin1String width("width"), height("height");
        if (shape->second == LabelShape::Rectangle || shape->second == LabelShape::Ellipse) {
            g.labelWidth = length(xml, width);
            g.labelHeight = length(xml, height);
        } else {
            const double diameter = 2 * length(xml, QLatin1String("radius"));
            const bool cd = shape->second == LabelShape::Cd;
            g.labelWidth = cd && xml.attributes().hasAttribute(width) ? length(xml, width) : diameter;
            g.labelHeight = cd && xml.attributes().hasAttribute(height) ? length(xml, height) : diameter;
        }
    } catch (const Malformed& m) {
        problem = m;
    }
    int layouts = 0;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Layout" && ++layouts == 1 && !problem) {
            try {
                g.columns = count(xml, QLatin1String("nx"));
                g.rows = count(xml, QLatin1String("ny"));
                g.left = length(xml, QLatin1String("x0"));
                g.top = length(xml, QLatin1String("y0"));
                // A single column or row needs no pitch, and some files leave it out.
                g.pitchAcross = g.columns > 1 || xml.attributes().hasAttribute(QLatin1String("dx")) ? length(xml, QLatin1String("dx")) : 0;
                g.pitchDown = g.rows > 1 || xml.attributes().hasAttribute(QLatin1String("dy")) ? length(xml, QLatin1String("dy")) : 0;
            } catch (const Malformed& m) {
                problem = m;
            }
        }
        xml.skipCurrentElement();
    }
    if (layouts > 1) {
        t.reason = SkipReason::SeveralLayouts;
        t.detail = QStringLiteral("%1 layouts").arg(layouts);
    } else if (problem) {
        t.reason = SkipReason::Malformed;
        t.detail = problem->detail;
    } else if (layouts == 0) {
        t.reason = SkipReason::Malformed;
        t.detail = QStringLiteral("no Layout in %1").arg(name);
    } else {
        t.geometry = g;
        t.shape = shape->second;
    }
}

void readTemplate(QXmlStreamReader& xml, const PaperLookup& paper, const TemplateLookup& earlier, Entry& e)
{
    const QXmlStreamAttributes a = xml.attributes();
    e.brand = a.value(QLatin1String("brand")).toString();
    e.part = a.value(QLatin1String("part")).toString();
    e.line = xml.lineNumber();
    Catalogue::Template& t = e.sheet;
    t.description = a.hasAttribute(QLatin1String("_description")) ? a.value(QLatin1String("_description")).toString()
                                                   : a.value(QLatin1String("description")).toString();

    if (a.hasAttribute(QLatin1String("equiv"))) {
        const QString target = a.value(QLatin1String("equiv")).toString();
        if (const Catalogue::Template* original = earlier(e.brand, target)) {
            const QString own = t.description;
            t = *original;
            if (!own.isEmpty())
                t.description = own;
        } else {
            t.reason = SkipReason::UnknownEquiv;
            t.detail = QStringLiteral("equiv '%1' names no earlier %2 template").arg(target, e.brand);
        }
        xml.skipCurrentElement();
        return;
    }

    // The sheet is read before the children move the reader on.
    const QString size = a.value(QLatin1String("size")).toString();
    std::optional<Catalogue::Paper> sheet;
    std::optional<Malformed> problem;
    bool roll = false;
    if (size == u"Other" || size.isEmpty()) {
        try {
            sheet = Catalogue::Paper{length(xml, QLatin1String("width")), length(xml, QLatin1String("height"))};
        } catch (const Malformed& m) {
            problem = m;
        }
    } else if (size.compare(u"roll", Qt::CaseInsensitive) == 0) {
        roll = true;
    } else if (const Catalogue::Paper* p = paper(size)) {
        sheet = *p;
    }

    bool labelSeen = false;
    while (xml.readNextStartElement()) {
        if (xml.name().startsWith(u"Label-") && !labelSeen) {
            labelSeen = true;
            readLabel(xml, t);
        } else {
            xml.skipCurrentElement();
        }
    }

    auto skip = [&](SkipReason reason, QString detail) {
        t.geometry.reset();
        t.reason = reason;
        t.detail = std::move(detail);
    };
    if (!labelSeen)
        return skip(SkipReason::Malformed, QStringLiteral("no label element"));
    if (!t.geometry)
        return; // the label's own reason stands
    if (roll)
        return skip(SkipReason::Roll, QStringLiteral("size 'roll'"));
    if (problem)
        return skip(SkipReason::Malformed, problem->detail);
    if (!sheet)
        return skip(SkipReason::UnknownPaper, QStringLiteral("size '%1'").arg(size));
    t.geometry->sheetWidth = sheet->width;
    t.geometry->sheetHeight = sheet->height;
}

} // namespace

void readGlabelsTemplates(QXmlStreamReader& xml, const PaperLookup& paper, const TemplateLookup& earlier,
                          std::vector<Entry>& out)
{
    // Templates of this file are found by later equiv references before the file is committed.
    QHash<QString, qsizetype> here;
    const TemplateLookup lookup = [&](const QString& brand, const QString& part) -> const Catalogue::Template* {
        const auto it = here.constFind(templateKey(brand, part));
        return it != here.cend() ? &out[size_t(*it)].sheet : earlier(brand, part);
    };
    while (xml.readNextStartElement()) {
        if (xml.name() != u"Template") {
            xml.skipCurrentElement();
            continue;
        }
        Entry e;
        readTemplate(xml, paper, lookup, e);
        if (xml.hasError())
            return;
        here.insert(templateKey(e.brand, e.part), qsizetype(out.size()));
        out.push_back(std::move(e));
    }
}

void readGlabelsPaperSizes(QXmlStreamReader& xml, QHash<QString, Catalogue::Paper>& out)
{
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Paper-size") {
            const auto w = parseLength(xml.attributes().value(QLatin1String("width")));
            const auto h = parseLength(xml.attributes().value(QLatin1String("height")));
            const QString id = xml.attributes().value(QLatin1String("id")).toString();
            // A size that cannot be read stays unknown; its templates say so.
            if (w && h && !out.contains(id))
                out.insert(id, Catalogue::Paper{*w, *h});
        }
        xml.skipCurrentElement();
    }
}

QString templateKey(const QString& brand, const QString& part)
{
    return brand + QLatin1Char('\n') + part;
}

} // namespace products::detail
