// Styles written for other programs, checked by those programs: gLabels draws and finds the
// templates, LibreOffice adds the extension and lists its labels, librsvg draws the blank SVG, and
// all come back to the numbers of the file.
#include "PdfProbe.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <unistd.h>

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

TEST(TpltoolExport, LibreOfficeAddsTheExtensionAndListsEveryStyleWithItsMeasures)
{
    QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("bad.tpl"));
    makeTemplate(tpl, R"({"group_name": {"text": "G"}, "styles": [
        {"name": {"text": "ok"}, "sheet_width": 210, "sheet_height": 297, "label_width": 50, "label_height": 20,
         "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 2, "columns": 2, "left_margin": 5, "top_margin": 5,
         "right_margin": 0, "bottom_margin": 0},
        {"name": {"text": "no sheet"}, "sheet_width": 0, "sheet_height": 0, "label_width": 50, "label_height": 20,
         "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 2, "columns": 2, "left_margin": 5, "top_margin": 5,
         "right_margin": 0, "bottom_margin": 0}]})");
    const QString none = dir.filePath(QStringLiteral("none.oxt"));
    const struct {
        QStringList args;
        int status;
        const char* says;
    } refusals[] = {
        {{tpl, none}, 1, "style 2 \"no sheet\": the sheet's width and height must both be above 0"},
        {{tpl, none, QStringLiteral("--style"), QStringLiteral("3")}, 2, "has no style '3'"},
        {{tpl, none, QStringLiteral("--brand"), QStringLiteral(" ")}, 2, "--brand needs a name"},
        {{tpl}, 2, "usage:"},
    };
    for (const auto& r : refusals) {
        const ProgramRun refused = tool(QStringList{QStringLiteral("libreoffice")} + r.args);
        EXPECT_EQ(refused.status, r.status) << r.says;
        EXPECT_TRUE(refused.err.contains(QLatin1String(r.says))) << refused.err.toStdString();
        EXPECT_FALSE(QFile::exists(none)) << r.says;
    }

    const QString unopkg = QStandardPaths::findExecutable(QStringLiteral("unopkg"));
    if (unopkg.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed (Debian: libreoffice-writer-nogui and python3-uno; scripts/test installs them)";

    const struct {
        const char* what;
        QByteArray json;
        QStringList extra; // tpltool's options
        QString brand;     // the manufacturer LibreOffice lists
        QStringList names;
    } sets[] = {
        {"A4, markup characters in a name",
         R"({"group_name": {"text": "Shop"}, "styles": [
             {"name": {"text": "A4 <10> & \"q\" 'a'"}, "sheet_width": 210, "sheet_height": 297, "label_width": 86.4,
              "label_height": 50.8, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 5, "columns": 2,
              "left_margin": 18.6, "top_margin": 21.5, "right_margin": 18.6, "bottom_margin": 21.5}]})",
         {QStringLiteral("--brand"), QStringLiteral("Shop & <Co>")}, QStringLiteral("Shop & <Co>"),
         {QStringLiteral("A4 <10> & \"q\" 'a'")}},
        {"a sheet of no standard size, a control character in a name",
         R"({"group_name": {"text": "Odd"}, "styles": [
             {"name": {"bytes": "5461670143"}, "sheet_width": 100.33, "sheet_height": 150.5, "label_width": 40.2,
              "label_height": 30.1, "vertical_spacing": 5.3, "horizontal_spacing": 4.1, "rows": 4, "columns": 2,
              "left_margin": 7.9, "top_margin": 10.2, "right_margin": 7.93, "bottom_margin": 4}]})",
         {}, QStringLiteral("Odd"), {QStringLiteral("Tag\uFFFDC")}},
        {"Japanese names, a brand LibreOffice would read as a path",
         R"({"group_name": {"text": "宛名/台紙[1]"}, "styles": [
             {"name": {"text": "宛名 12面"}, "sheet_width": 210, "sheet_height": 297, "label_width": 86.4,
              "label_height": 42.3, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 6, "columns": 2,
              "left_margin": 18.6, "top_margin": 21.6, "right_margin": 18.6, "bottom_margin": 21.6}]})",
         {}, QStringLiteral("宛名／台紙［1］"), {QStringLiteral("宛名 12面")}},
        {"a repeated name, an empty one, no group name",
         R"({"group_name": {"text": ""}, "styles": [
             {"name": {"text": "Letter 30"}, "sheet_width": 215.9, "sheet_height": 279.4, "label_width": 66.675,
              "label_height": 25.4, "vertical_spacing": 0, "horizontal_spacing": 3.175, "rows": 10, "columns": 3,
              "left_margin": 4.7625, "top_margin": 12.7, "right_margin": 4.7625, "bottom_margin": 12.7},
             {"name": {"text": "Letter 30"}, "sheet_width": 215.9, "sheet_height": 279.4, "label_width": 101.6,
              "label_height": 50.8, "vertical_spacing": 0, "horizontal_spacing": 4.7625, "rows": 5, "columns": 2,
              "left_margin": 3.96875, "top_margin": 12.7, "right_margin": 3.96875, "bottom_margin": 12.7},
             {"name": {"text": ""}, "sheet_width": 100, "sheet_height": 50, "label_width": 90, "label_height": 40,
              "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 1, "columns": 1, "left_margin": 5,
              "top_margin": 5, "right_margin": 5, "bottom_margin": 5}]})",
         {}, QStringLiteral("tessel"), {QStringLiteral("Letter 30"), QStringLiteral("Letter 30 (2)"), QStringLiteral("3")}},
    };

    // LibreOffice adds extensions for the user who runs it; as root, that user is nobody, who may
    // not reach the checkout, so the script goes into the temporary home.
    const QString home = dir.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QDir().mkpath(home));
    const QString script = home + QStringLiteral("/libreoffice_labels.py");
    ASSERT_TRUE(QFile::copy(QStringLiteral(LIBREOFFICE_LABELS_SCRIPT), script));
    QStringList asUser;
    if (geteuid() == 0) {
        // In the home too: unopkg gives up in a folder it cannot read, as the checkout may be.
        asUser = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                  QStringLiteral("env"), QStringLiteral("--chdir=") + home};
        for (const QString& path : {dir.path(), home, script})
            QFile::setPermissions(path, QFile::Permissions(0x7777));
    }
    const auto runAsUser = [&](const QString& program, const QStringList& args) {
        return asUser.isEmpty() ? run(program, args, home) : run(QStringLiteral("setpriv"), asUser + QStringList{program} + args, home);
    };
    const QString profile = QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(home + QStringLiteral("/profile")).toString();

    std::vector<QJsonArray> styles;
    QStringList extensions;
    for (const auto& set : sets) {
        SCOPED_TRACE(set.what);
        const QString file = dir.filePath(QStringLiteral("set%1.tpl").arg(styles.size()));
        styles.push_back(makeTemplate(file, set.json));
        const QString oxt = home + QStringLiteral("/set%1.oxt").arg(extensions.size());
        const ProgramRun r = tool(QStringList{QStringLiteral("libreoffice"), file, oxt} + set.extra);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QFile::setPermissions(oxt, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup);
        extensions << oxt;
    }
    const ProgramRun added = runAsUser(unopkg, QStringList{QStringLiteral("add"), profile} + extensions);
    ASSERT_EQ(added.status, 0) << added.out.toStdString() << added.err.toStdString();

    const ProgramRun read = runAsUser(QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3") : QStringLiteral("python3"),
                                      {script, QUrl::fromLocalFile(home + QStringLiteral("/profile")).toString(),
                                       QStringLiteral("tessel-test-%1").arg(QCoreApplication::applicationPid())});
    ASSERT_EQ(read.status, 0) << read.err.toStdString();
    const QJsonObject makers = QJsonDocument::fromJson(read.out.toUtf8()).object();
    for (size_t k = 0; k < std::size(sets); ++k) {
        const auto& set = sets[k];
        SCOPED_TRACE(set.what);
        const QJsonObject labels = makers[set.brand].toObject();
        ASSERT_EQ(labels.size(), set.names.size()) << read.out.toStdString();
        for (qsizetype i = 0; i < set.names.size(); ++i) {
            const QJsonValue s = styles[k][i];
            const QStringList measure = labels[set.names[i]].toString().split(QLatin1Char(';'));
            ASSERT_EQ(measure.size(), 11) << set.names[i].toStdString() << ": " << read.out.toStdString();
            EXPECT_EQ(measure[0], QStringLiteral("S"));
            const double expected[] = {num(s, "label_width") + num(s, "horizontal_spacing"), num(s, "label_height") + num(s, "vertical_spacing"),
                                       num(s, "label_width"), num(s, "label_height"), num(s, "left_margin"), num(s, "top_margin"),
                                       num(s, "columns"), num(s, "rows"), num(s, "sheet_width"), num(s, "sheet_height")};
            for (int m = 0; m < 10; ++m) {
                // Lengths in hundredths of a millimetre, then columns and rows.
                const bool count = m == 6 || m == 7;
                EXPECT_NEAR(measure[m + 1].toDouble() / (count ? 1 : 100), expected[m], count ? 0 : 0.01 + 1e-9)
                    << set.names[i].toStdString() << " measure " << m + 1;
            }
        }
    }

    QStringList fileNames;
    for (const QString& oxt : extensions)
        fileNames << QFileInfo(oxt).fileName();
    const ProgramRun removed = runAsUser(unopkg, QStringList{QStringLiteral("remove"), profile} + fileNames);
    EXPECT_EQ(removed.status, 0) << removed.err.toStdString();
    const ProgramRun left = runAsUser(unopkg, {QStringLiteral("list"), profile});
    EXPECT_EQ(left.status, 0) << left.err.toStdString();
    for (const QString& name : fileNames)
        EXPECT_FALSE(left.out.contains(name)) << left.out.toStdString();
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
