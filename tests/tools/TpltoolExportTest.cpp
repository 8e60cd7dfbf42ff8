// Styles written for other programs, checked by those programs: gLabels draws and finds the
// templates, librsvg draws the blank SVG, and both come back to the numbers of the file.
#include "PdfProbe.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

using ProgramRun = ToolRun;

ProgramRun tool(const QStringList& args)
{
    return tpltool(args);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A template file made by tpltool from JSON; its styles as the file stores them.
QJsonArray makeTemplate(const QString& path, const QByteArray& json)
{
    const QString source = path + QStringLiteral(".json");
    writeFile(source, json);
    const ProgramRun created = tool({QStringLiteral("create"), source, path});
    EXPECT_EQ(created.status, 0) << created.err.toStdString();
    return QJsonDocument::fromJson(tool({QStringLiteral("dump"), path}).out.toUtf8()).object()[QStringLiteral("styles")].toArray();
}

double num(const QJsonValue& style, const char* key)
{
    return style[QLatin1String(key)].toDouble();
}

// Every label's four edges found in the raster within tolerance of where the style puts them.
void expectOutlines(const pdfprobe::Raster& r, const QJsonValue& s, double tolerance, const std::string& what)
{
    const double w = num(s, "label_width"), h = num(s, "label_height");
    for (int row = 0; row < s[QStringLiteral("rows")].toInt(); ++row)
        for (int col = 0; col < s[QStringLiteral("columns")].toInt(); ++col) {
            const double x = num(s, "left_margin") + col * (w + num(s, "horizontal_spacing"));
            const double y = num(s, "top_margin") + row * (h + num(s, "vertical_spacing"));
            // Along the middle of each edge, clear of the neighbours' corners.
            for (const double edge : {x, x + w})
                EXPECT_NEAR(r.verticalLine(edge, y + h / 4, y + 3 * h / 4, 0.3), edge, tolerance) << what << " column " << col << " row " << row;
            for (const double edge : {y, y + h})
                EXPECT_NEAR(r.horizontalLine(edge, x + w / 4, x + 3 * w / 4, 0.3), edge, tolerance) << what << " column " << col << " row " << row;
        }
}

} // namespace

TEST(TpltoolExport, GlabelsDrawsFindsAndReadsBackTheExportedTemplates)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch")).isEmpty()) << "install glabels";
    const struct {
        const char* what;
        QByteArray json;
        QString brand;
        QStringList parts;
        const char* paper; // the named size gLabels is told, or none
    } sets[] = {
        {"US Letter, a name twice",
         R"({"group_name": {"text": "Avery"}, "styles": [
             {"name": {"text": "Letter 30"}, "sheet_width": 215.9, "sheet_height": 279.4, "label_width": 66.675,
              "label_height": 25.4, "vertical_spacing": 0, "horizontal_spacing": 3.175, "rows": 10, "columns": 3,
              "left_margin": 4.7625, "top_margin": 12.7, "right_margin": 4.7625, "bottom_margin": 12.7},
             {"name": {"text": "Letter 30"}, "sheet_width": 215.9, "sheet_height": 279.4, "label_width": 101.6,
              "label_height": 50.8, "vertical_spacing": 0, "horizontal_spacing": 4.7625, "rows": 5, "columns": 2,
              "left_margin": 3.96875, "top_margin": 12.7, "right_margin": 3.96875, "bottom_margin": 12.7}]})",
         QStringLiteral("Avery"), {QStringLiteral("Letter 30"), QStringLiteral("Letter 30 (2)")}, "US-Letter"},
        {"a sheet of no standard size, a control character in a name",
         R"({"group_name": {"text": "Shop"}, "styles": [
             {"name": {"bytes": "5461670143"}, "sheet_width": 100.33, "sheet_height": 150.5, "label_width": 40.2,
              "label_height": 30.1, "vertical_spacing": 5.3, "horizontal_spacing": 4.1, "rows": 4, "columns": 2,
              "left_margin": 7.9, "top_margin": 10.2, "right_margin": 7.93, "bottom_margin": 4}]})",
         QStringLiteral("Shop"), {QStringLiteral("Tag\uFFFDC")}, nullptr},
        {"Japanese names",
         R"({"group_name": {"text": "ラベル台紙集"}, "styles": [
             {"name": {"text": "宛名 12面"}, "sheet_width": 210, "sheet_height": 297, "label_width": 86.4,
              "label_height": 42.3, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 6, "columns": 2,
              "left_margin": 18.6, "top_margin": 21.6, "right_margin": 18.6, "bottom_margin": 21.6}]})",
         QStringLiteral("ラベル台紙集"), {QStringLiteral("宛名 12面")}, "A4"},
    };
    for (const auto& set : sets) {
        SCOPED_TRACE(set.what);
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("home"));
        const QString userTemplates = home + QStringLiteral("/.config/libglabels/templates");
        ASSERT_TRUE(QDir().mkpath(userTemplates));
        const QJsonArray styles = makeTemplate(dir.filePath(QStringLiteral("set.tpl")), set.json);
        ASSERT_EQ(styles.size(), set.parts.size());

        const QString exported = userTemplates + QStringLiteral("/set-templates.xml");
        const ProgramRun r = tool({QStringLiteral("glabels"), dir.filePath(QStringLiteral("set.tpl")), exported});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.err.contains(QStringLiteral("control characters")), !set.paper) << r.err.toStdString();
        QFile file(exported);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray xml = file.readAll();
        EXPECT_EQ(xml.contains(QByteArray("size=\"") + (set.paper ? set.paper : "Other") + '"'), true) << xml.toStdString();

        for (qsizetype i = 0; i < styles.size(); ++i) {
            const QJsonValue s = styles[i];
            // A document that names the template only by brand and part: gLabels must find it in the user folder.
            const QString doc = dir.filePath(QStringLiteral("doc%1.glabels").arg(i));
            QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<Glabels-document xmlns=\"http://glabels.org/xmlns/3.0/\">\n"
                                          "<Template brand=\"%1\" part=\"probe\" equiv=\"%2\"/>\n<Objects id=\"0\" rotate=\"False\"/>\n"
                                          "</Glabels-document>\n")
                               .arg(set.brand.toHtmlEscaped(), set.parts[i].toHtmlEscaped());
            writeFile(doc, text.toUtf8());
            const QString pdf = dir.filePath(QStringLiteral("out%1.pdf").arg(i));
            const ProgramRun drawn = run(QStringLiteral("glabels-3-batch"), {QStringLiteral("--outline"), QStringLiteral("-o"), pdf, doc}, home);
            ASSERT_TRUE(QFile::exists(pdf)) << "gLabels did not find " << set.parts[i].toStdString() << ": " << drawn.err.toStdString();
            const auto pages = pdfprobe::pageSizes(pdf);
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_NEAR(pages[0].width(), num(s, "sheet_width"), 0.1);
            EXPECT_NEAR(pages[0].height(), num(s, "sheet_height"), 0.1);
            expectOutlines(pdfprobe::rasterise(pdf), s, 0.1, set.parts[i].toStdString());
        }

        // Read back by the program's own import, as gLabels' other templates are.
        const QString back = dir.filePath(QStringLiteral("back.tpl"));
        const ProgramRun imported = tool({QStringLiteral("import"), exported, back});
        ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
        const QJsonArray again = QJsonDocument::fromJson(tool({QStringLiteral("dump"), back}).out.toUtf8())
                                     .object()[QStringLiteral("styles")].toArray();
        ASSERT_EQ(again.size(), styles.size());
        // gLabels has no right or bottom margin; the import derives them from the grid again.
        for (qsizetype i = 0; i < styles.size(); ++i)
            for (const char* key : {"sheet_width", "sheet_height", "label_width", "label_height", "left_margin", "top_margin",
                                    "horizontal_spacing", "vertical_spacing", "rows", "columns"})
                EXPECT_NEAR(num(again[i], key), num(styles[i], key), 0.0254 + 1e-9) << set.parts[i].toStdString() << " " << key;
    }
}

TEST(TpltoolExport, SvgTemplateIsTheSheetWithOneRectanglePerLabelInALockedLayer)
{
    QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("set.tpl"));
    const QJsonArray styles = makeTemplate(tpl, R"({"group_name": {"text": "<&>"}, "styles": [
        {"name": {"text": "A4 10面"}, "sheet_width": 210, "sheet_height": 297, "label_width": 86.4, "label_height": 50.8,
         "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 5, "columns": 2, "left_margin": 18.6, "top_margin": 21.5,
         "right_margin": 18.6, "bottom_margin": 21.5},
        {"name": {"text": "odd"}, "sheet_width": 123.45, "sheet_height": 98.76, "label_width": 25.3, "label_height": 12.7,
         "vertical_spacing": 3.3, "horizontal_spacing": 2.1, "rows": 5, "columns": 4, "left_margin": 4.4, "top_margin": 6.6,
         "right_margin": 5.15, "bottom_margin": 10.46}]})");
    for (qsizetype i = 0; i < styles.size(); ++i) {
        const QJsonValue s = styles[i];
        const std::string what = s[QStringLiteral("name")][QStringLiteral("text")].toString().toStdString();
        const QString svg = dir.filePath(QStringLiteral("t%1.svg").arg(i));
        const ProgramRun r = tool({QStringLiteral("svg"), tpl, svg, QStringLiteral("--style"), QString::number(i + 1)});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();

        QFile file(svg);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        // Read as any XML reader would: the whole file, with its namespaces.
        QXmlStreamReader xml(bytes);
        int rects = 0, guides = 0;
        QString width, layerName, layerMode, layerLocked;
        const QString svgNs = QStringLiteral("http://www.w3.org/2000/svg");
        const QString inkscape = QStringLiteral("http://www.inkscape.org/namespaces/inkscape");
        const QString sodipodi = QStringLiteral("http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd");
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto a = xml.attributes();
            if (xml.namespaceUri() == svgNs && xml.name() == u"svg")
                width = a.value(QStringLiteral("width")).toString();
            else if (xml.namespaceUri() == svgNs && xml.name() == u"rect")
                ++rects;
            else if (xml.namespaceUri() == sodipodi && xml.name() == u"guide")
                ++guides;
            else if (xml.namespaceUri() == svgNs && xml.name() == u"g") {
                layerName = a.value(inkscape, QStringLiteral("label")).toString();
                layerMode = a.value(inkscape, QStringLiteral("groupmode")).toString();
                layerLocked = a.value(sodipodi, QStringLiteral("insensitive")).toString();
            }
        }
        ASSERT_FALSE(xml.hasError()) << what << ": " << xml.errorString().toStdString();
        EXPECT_EQ(width, QString::number(num(s, "sheet_width"), 'g', 10) + QStringLiteral("mm"));
        EXPECT_EQ(rects, s[QStringLiteral("rows")].toInt() * s[QStringLiteral("columns")].toInt());
        EXPECT_EQ(layerName, QStringLiteral("ラベル"));
        EXPECT_EQ(layerMode, QStringLiteral("layer"));
        EXPECT_EQ(layerLocked, QStringLiteral("true"));
        EXPECT_EQ(guides, 4);
        for (const char* absent : {"<script", "href", "<text", "<image", "url("})
            EXPECT_FALSE(bytes.contains(absent)) << what << ": " << absent;

        // librsvg at 254 dpi: ten pixels a millimetre.
        const QString png = dir.filePath(QStringLiteral("t%1.png").arg(i));
        const ProgramRun drawn = run(QStringLiteral("rsvg-convert"), {QStringLiteral("-d"), QStringLiteral("254"), QStringLiteral("-p"),
                                                                QStringLiteral("254"), QStringLiteral("-b"), QStringLiteral("white"),
                                                                QStringLiteral("-o"), png, svg});
        ASSERT_EQ(drawn.status, 0) << drawn.err.toStdString();
        const QImage image = QImage(png).convertToFormat(QImage::Format_Grayscale8);
        EXPECT_NEAR(image.width() / 10.0, num(s, "sheet_width"), 0.1);
        EXPECT_NEAR(image.height() / 10.0, num(s, "sheet_height"), 0.1);
        pdfprobe::Raster raster;
        raster.width = image.width();
        raster.height = image.height();
        for (int y = 0; y < image.height(); ++y)
            raster.pixels.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width());
        expectOutlines(raster, s, 0.05, what);
    }
    const ProgramRun none = tool({QStringLiteral("svg"), tpl, dir.filePath(QStringLiteral("x.svg")), QStringLiteral("--style"), QStringLiteral("nope")});
    EXPECT_EQ(none.status, 2);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.svg"))));
}
