#include "PdfProbe.h"
#include "ProductFiles.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(TpltoolProducts, ListsOneLineOrOneObjectPerProductAndSaysWhatWasSkipped)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    // A stray FIFO in a folder is named and passed over; the rest is listed.
    const QString fifo = files.glabelsFolder + QStringLiteral("/pipe.xml");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const ToolRun r = tpltool({QStringLiteral("products"), files.glabelsFolder, files.libreOfficeFile});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("warning: cannot read '%1': it is a FIFO").arg(fifo))) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << r.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Testmaker\tT-3x12\t60 x 20 mm labels\t210x297\t60x20\t3x12\t") + files.glabelsFile);
    EXPECT_EQ(lines[5], QStringLiteral("Testmaker\tT-CD\t【CD/DVD】CD\t210x297\t117x117\t1x2\t") + files.glabelsFile);
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral("ヒサゴ\tFSCGN863\t宛名ラベル 12面\t210x297\t86.4x42.3\t2x6\t")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("skipped 8 of 16: 1 more than one layout, "
                                              "1 roll, 1 grid leaves the sheet, 1 unknown paper size, "
                                              "2 unknown equiv template, 2 malformed value")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(files.glabelsFile + QStringLiteral(":38: Testmaker T-BAD: malformed value: attribute "
                                                                  "'width' of Label-rectangle on line 39: '6O mm'")))
        << r.err.toStdString();

    const ToolRun json = tpltool({QStringLiteral("products"), QStringLiteral("--json"), files.libreOfficeFile});
    EXPECT_EQ(json.status, 0);
    const QJsonArray list = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject p = list[0].toObject();
    EXPECT_EQ(p[QStringLiteral("name")].toString(), QStringLiteral("ヒサゴ FSCGN863"));
    EXPECT_EQ(p[QStringLiteral("label_width")].toDouble(), 86.4);
    EXPECT_EQ(p[QStringLiteral("rows")].toInt(), 6);
    EXPECT_EQ(p[QStringLiteral("source")].toString(), files.libreOfficeFile);
}

TEST(TpltoolProducts, ImportWritesTheMatchingProductsOrNothing)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    const QString out = dir.filePath(QStringLiteral("out.tpl"));
    // The gLabels folder twice, as a user's copy of a database beside the original: one id twice.
    const ToolRun r = tpltool({QStringLiteral("import"), QStringLiteral("--match"), QStringLiteral("ﾋｻｺﾞ"), QStringLiteral("--match"),
                        QStringLiteral("testmaker inch"), QStringLiteral("--group"), QStringLiteral("製品"),
                        files.glabelsFolder, files.libreOfficeFile, files.glabelsFolder, out});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const ToolRun dump = tpltool({QStringLiteral("dump"), out});
    const QJsonObject set = QJsonDocument::fromJson(dump.out.toUtf8()).object();
    EXPECT_EQ(set[QStringLiteral("group_name")][QStringLiteral("text")].toString(), QStringLiteral("製品"));
    const QJsonArray styles = set[QStringLiteral("styles")].toArray();
    ASSERT_EQ(styles.size(), 3);
    EXPECT_EQ(styles[0][QStringLiteral("name")][QStringLiteral("text")].toString(), QStringLiteral("Testmaker T-INCH"));
    EXPECT_EQ(styles[1][QStringLiteral("name")][QStringLiteral("text")].toString(), QStringLiteral("ヒサゴ FSCGN863"));
    EXPECT_EQ(styles[2][QStringLiteral("name")][QStringLiteral("text")].toString(), QStringLiteral("T-INCH (2)"));
    const ToolRun check = tpltool({QStringLiteral("check"), out});
    EXPECT_EQ(check.status, 0) << check.out.toStdString();

    const QString broken = dir.filePath(QStringLiteral("broken.xml"));
    productfiles::write(broken, "<manufacturers><manufacturer name=\"A\">\n<label>\n</manufacturers>");
    const QString existing = dir.filePath(QStringLiteral("existing.tpl"));
    productfiles::write(existing, "keep me");
    const struct {
        const char* what;
        QStringList args;
        QString target;
        int status;
        QString errHas;
    } refusals[] = {
        {"nothing matches", {"--match", "no such product", files.libreOfficeFile}, out + "1", 1, "no product matched"},
        {"malformed XML", {files.libreOfficeFile, broken}, out + "2", 2, broken + ":3:"},
        {"missing source", {dir.filePath("missing")}, out + "3", 2, dir.filePath("missing") + "' does not exist"},
        {"group too long", {"--group", "ラベルグループの名前", files.libreOfficeFile}, out + "4", 1, "at most 14 bytes"},
        {"existing file kept on refusal", {files.libreOfficeFile, broken}, existing, 2, "nothing written"},
        {"a skipped product named", {"--match", "t-wide", files.glabelsFolder}, out + "5", 1,
         "Testmaker T-WIDE: skipped: grid leaves the sheet"},
    };
    for (const auto& f : refusals) {
        const QByteArray before = bytesOf(f.target);
        const ToolRun run = tpltool(QStringList{QStringLiteral("import")} << f.args << f.target);
        EXPECT_EQ(run.status, f.status) << f.what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(f.errHas)) << f.what << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("nothing written"))) << f.what;
        EXPECT_EQ(bytesOf(f.target), before) << f.what;
    }
}

TEST(TpltoolProducts, InstalledGlabelsTemplatesRoundTripAndFit)
{
    const QString installed = QStringLiteral("/usr/share/libglabels-3.0/templates");
    ASSERT_TRUE(QFile::exists(installed)) << "install glabels-data (scripts/test does)";
    QTemporaryDir dir;
    const QString tpl = dir.filePath(QStringLiteral("glabels.tpl"));
    const QString json = dir.filePath(QStringLiteral("glabels.json"));
    const QString again = dir.filePath(QStringLiteral("again.tpl"));
    const ToolRun listed = tpltool({QStringLiteral("products"), installed});
    const qsizetype products = listed.out.count(QLatin1Char('\n'));
    ASSERT_EQ(tpltool({QStringLiteral("import"), installed, tpl}).status, 0);
    const ToolRun dump = tpltool({QStringLiteral("dump"), tpl});
    ASSERT_EQ(dump.status, 0);
    productfiles::write(json, dump.out.toUtf8().constData());
    ASSERT_EQ(tpltool({QStringLiteral("create"), json, again}).status, 0);
    EXPECT_EQ(bytesOf(again), bytesOf(tpl));
    // Every converted sheet passes the fit rule once stored.
    const ToolRun check = tpltool({QStringLiteral("check"), tpl});
    EXPECT_EQ(check.status, 0) << check.out.toStdString();
    EXPECT_EQ(check.out.trimmed(), QStringLiteral("%1: ok, %2 styles").arg(tpl).arg(products));
}

TEST(TpltoolProducts, LikeFindsTheMeasuredProductFirstAndRefusesAsTheOtherCommands)
{
    QTemporaryDir dir;
    const ToolRun all = tpltool({QStringLiteral("products"), QStringLiteral("--json")});
    const QJsonArray products = QJsonDocument::fromJson(all.out.toUtf8()).array();
    ASSERT_GT(products.size(), 1000) << "install glabels-data (scripts/test does)";
    // Products with no other product within twice the tolerance, a few from across the list.
    const char* lengths[] = {"sheet_width", "sheet_height", "label_width", "label_height", "left_margin", "top_margin",
                             "horizontal_spacing", "vertical_spacing"};
    auto alike = [&](const QJsonObject& a, const QJsonObject& b) {
        if (a[QStringLiteral("columns")] != b[QStringLiteral("columns")] || a[QStringLiteral("rows")] != b[QStringLiteral("rows")])
            return false;
        for (const char* key : lengths)
            if (std::abs(a[QLatin1String(key)].toDouble() - b[QLatin1String(key)].toDouble()) > 1.0)
                return false;
        return true;
    };
    std::vector<QJsonObject> unique;
    for (qsizetype i = 0; i < products.size(); ++i) {
        bool alone = true;
        for (qsizetype j = 0; j < products.size() && alone; ++j)
            alone = i == j || !alike(products[i].toObject(), products[j].toObject());
        if (alone)
            unique.push_back(products[i].toObject());
    }
    ASSERT_GE(unique.size(), 5u);

    // A user's measurement: every length a little off, as a ruler reads it.
    auto measured = [](const QJsonObject& p, double off, int columns) {
        QJsonObject s;
        s[QStringLiteral("name")] = QJsonObject{{QStringLiteral("text"), QStringLiteral("measured")}};
        for (const char* key : {"sheet_width", "sheet_height", "label_width", "label_height", "left_margin", "top_margin",
                                "right_margin", "bottom_margin", "horizontal_spacing", "vertical_spacing"})
            s[QLatin1String(key)] = std::max(0.0, p[QLatin1String(key)].toDouble() + off);
        s[QStringLiteral("columns")] = columns;
        s[QStringLiteral("rows")] = p[QStringLiteral("rows")];
        return s;
    };
    QJsonArray styles;
    std::vector<QJsonObject> wanted;
    for (size_t k = 0; k < unique.size(); k += unique.size() / 5) {
        styles.append(measured(unique[k], k % 2 ? 0.2 : -0.2, unique[k][QStringLiteral("columns")].toInt()));
        wanted.push_back(unique[k]);
    }
    // No product has 997 columns.
    styles.append(measured(unique[0], 0, 997));
    const QString json = dir.filePath(QStringLiteral("measured.json"));
    const QString tpl = dir.filePath(QStringLiteral("measured.tpl"));
    productfiles::write(json, QJsonDocument(QJsonObject{{QStringLiteral("group_name"), QJsonObject{{QStringLiteral("text"), QStringLiteral("m")}}},
                                                        {QStringLiteral("styles"), styles}})
                                  .toJson()
                                  .constData());
    ASSERT_EQ(tpltool({QStringLiteral("create"), json, tpl}).status, 0);
    for (size_t k = 0; k < wanted.size(); ++k) {
        const ToolRun r = tpltool({QStringLiteral("products"), QStringLiteral("--like"), tpl, QStringLiteral("--style"), QString::number(k + 1)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        const QStringList first = r.out.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char('\t'));
        EXPECT_EQ(first.value(0) + QLatin1Char(' ') + first.value(1),
                  wanted[k][QStringLiteral("brand")].toString() + QLatin1Char(' ') + wanted[k][QStringLiteral("part")].toString());
    }

    const QString missing = dir.filePath(QStringLiteral("missing.xml"));
    const struct {
        const char* what;
        QStringList args;
        int status;
        QString errHas;
    } others[] = {
        {"a layout no product has", {"--like", tpl, "--style", QString::number(styles.size())}, 1, "no product has this layout"},
        {"no such style", {"--like", tpl, "--style", "nope"}, 2, "has no style 'nope'"},
        {"several styles, none named", {"--like", tpl}, 2, "name one with --style"},
        {"not a template", {"--like", json, "--style", "1"}, 2, "not a template file"},
        {"unreadable source", {"--like", tpl, "--style", "1", missing}, 2, "does not exist"},
    };
    for (const auto& o : others) {
        const ToolRun r = tpltool(QStringList{QStringLiteral("products")} << o.args);
        EXPECT_EQ(r.status, o.status) << o.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << o.what << ": " << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(o.errHas)) << o.what << ": " << r.err.toStdString();
    }
}

TEST(TpltoolProducts, RoundOvalAndCdProductsImportWithTheGridGlabelsDraws)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch")).isEmpty()) << "install glabels";
    const QString installed = QStringLiteral("/usr/share/libglabels-3.0/templates");
    const struct {
        const char* brand;
        const char* part;
        const char* description; // what the product list says of it
        double dx, dy;           // the pitches as the database gives them, in mm
    } rows[] = {
        {"Hisago", "OP3018", "【円形】Round labels", 15, 15},                     // 150 circles of 11 mm on A4
        {"Endisch", "6400080x", "【楕円】Elliptical labels", 100, 57},            // 80 × 47 mm ovals
        {"Neato", "HandiCD-R", "【CD/DVD】Business Card CD", 65.0875, 82.55},     // a CD cut to 171 pt wide
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.part);
        QTemporaryDir dir;
        const QString name = QStringLiteral("%1 %2").arg(QLatin1String(r.brand), QLatin1String(r.part));
        const ToolRun listed = tpltool({QStringLiteral("products"), installed});
        EXPECT_TRUE(listed.out.contains(QStringLiteral("%1\t%2\t%3\t").arg(QLatin1String(r.brand), QLatin1String(r.part),
                                                                         QString::fromUtf8(r.description))));

        // The product as a user imports it, and its test sheet.
        const QString tpl = dir.filePath(QStringLiteral("p.tpl"));
        const ToolRun imported = tpltool({QStringLiteral("import"), QStringLiteral("--match"), name, installed, tpl});
        ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
        const QString ours = dir.filePath(QStringLiteral("ours.pdf"));
        const ToolRun sheet = tpltool({QStringLiteral("sheet"), tpl, ours, QStringLiteral("--style"), name});
        ASSERT_EQ(sheet.status, 0) << sheet.err.toStdString();
        const QJsonArray styles = QJsonDocument::fromJson(tpltool({QStringLiteral("dump"), tpl}).out.toUtf8())
                                      .object()[QStringLiteral("styles")].toArray();
        QJsonObject s;
        for (const QJsonValue v : styles)
            if (v[QStringLiteral("name")][QStringLiteral("text")].toString() == name)
                s = v.toObject();
        ASSERT_FALSE(s.isEmpty());

        // gLabels' own outlines of the same product, from a document that names it.
        const QString doc = dir.filePath(QStringLiteral("doc.glabels"));
        productfiles::write(doc, QStringLiteral("<?xml version=\"1.0\"?>\n<Glabels-document xmlns=\"http://glabels.org/xmlns/3.0/\">\n"
                                                "<Template brand=\"%1\" part=\"probe\" equiv=\"%2\"/>\n<Objects id=\"0\" rotate=\"False\"/>\n"
                                                "</Glabels-document>\n")
                                     .arg(QLatin1String(r.brand), QLatin1String(r.part))
                                     .toUtf8()
                                     .constData());
        const QString theirs = dir.filePath(QStringLiteral("theirs.pdf"));
        const ToolRun drawn = run(QStringLiteral("glabels-3-batch"), {QStringLiteral("--outline"), QStringLiteral("-o"), theirs, doc},
                                  dir.filePath(QStringLiteral("home")));
        ASSERT_TRUE(QFile::exists(theirs)) << drawn.err.toStdString();
        ASSERT_EQ(pdfprobe::pageSizes(theirs).size(), 1u);
        EXPECT_NEAR(pdfprobe::pageSizes(theirs)[0].width(), pdfprobe::pageSizes(ours)[0].width(), 0.1);
        EXPECT_NEAR(pdfprobe::pageSizes(theirs)[0].height(), pdfprobe::pageSizes(ours)[0].height(), 0.1);

        // Each rectangle's edges where the shape's bounding box is: both found across a thin strip
        // through the label's middle, where a curve is at its extreme.
        const pdfprobe::Raster mine = pdfprobe::rasteriseFinely(ours), glabels = pdfprobe::rasteriseFinely(theirs);
        auto num = [&](const char* key) { return s[QLatin1String(key)].toDouble(); };
        const double w = num("label_width"), h = num("label_height"), strip = 0.3;
        const double pitchX = w + num("horizontal_spacing"), pitchY = h + num("vertical_spacing");
        // The file keeps thousandths of an inch, so a metric pitch gains a little with each label.
        const double driftX = std::abs(pitchX - r.dx), driftY = std::abs(pitchY - r.dy);
        EXPECT_LE(std::max(driftX, driftY), 0.0254);
        for (int row = 0; row < s[QStringLiteral("rows")].toInt(); ++row)
            for (int col = 0; col < s[QStringLiteral("columns")].toInt(); ++col) {
                const double x = num("left_margin") + col * pitchX, y = num("top_margin") + row * pitchY;
                for (const double edge : {x, x + w})
                    EXPECT_NEAR(mine.verticalLine(edge, y + h / 2 - strip, y + h / 2 + strip, strip),
                                glabels.verticalLine(edge, y + h / 2 - strip, y + h / 2 + strip, strip), 0.05 + col * driftX)
                        << "column " << col << " row " << row << " x " << edge;
                for (const double edge : {y, y + h})
                    EXPECT_NEAR(mine.horizontalLine(edge, x + w / 2 - strip, x + w / 2 + strip, strip),
                                glabels.horizontalLine(edge, x + w / 2 - strip, x + w / 2 + strip, strip), 0.05 + row * driftY)
                        << "column " << col << " row " << row << " y " << edge;
            }
    }
}
