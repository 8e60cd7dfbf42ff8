#include "products/Catalogue.h"
#include "products/MoCatalogue.h"
#include "products/ProductSearch.h"
#include "ProductFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>
#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace products;

namespace {

const Product* find(const Catalogue& c, const QString& part)
{
    for (const Product& p : c.products())
        if (p.part == part)
            return &p;
    return nullptr;
}

const Skipped* findSkipped(const Catalogue& c, const QString& part)
{
    for (const Skipped& s : c.skipped())
        if (s.part == part)
            return &s;
    return nullptr;
}

} // namespace

TEST(ProductReaders, GlabelsTemplatesConvertInTheirOwnUnitsOrAreSkippedWithAReason)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    // A stray FIFO beside the templates is passed over by name, without being opened.
    const QString fifo = files.glabelsFolder + QStringLiteral("/pipe.xml");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    Catalogue c;
    c.addSource(files.glabelsFolder);
    ASSERT_TRUE(c.errors().empty()) << c.errors().front().message();
    ASSERT_EQ(c.warnings().size(), 1u);
    EXPECT_EQ(c.warnings()[0].message(), "cannot read '" + fifo.toStdString() + "': it is a FIFO (named pipe), not a regular file");

    // Lengths in inches and points, exact values before the file rounds them to thousandths of an inch.
    const struct {
        const char* part;
        double sheetW, sheetH, labelW, labelH, left, top, right, bottom, spacingX, spacingY;
        int columns, rows;
    } converted[] = {
        {"T-3x12", 210, 297, 60, 20, 12, 28.5, 14, 28.5, 2, 0, 3, 12},
        {"T-INCH", 215.9, 279.4, 66.675, 25.4, 4.7625, 12.7, 4.7625, 12.7, 3.175, 0, 3, 10},
        {"T-POINT", 215.9, 279.4, 50.8, 25.4, 6.35, 6.35, 6.35, 19.05, 0, 0, 4, 10},
        // A round or CD label by its bounding box.
        {"T-ROUND", 210, 297, 40, 40, 5, 5, 15, 12, 10, 8, 4, 6},
        {"T-CD", 210, 297, 117, 117, 46.5, 21.5, 46.5, 21.5, 0, 20, 1, 2},
    };
    for (const auto& r : converted) {
        const Product* p = find(c, QLatin1String(r.part));
        ASSERT_NE(p, nullptr) << r.part;
        const Tlabelpar& s = p->style;
        const double expected[] = {r.sheetW, r.sheetH, r.labelW, r.labelH, r.left, r.top, r.right, r.bottom, r.spacingX, r.spacingY};
        const double got[] = {s.SheetWidth, s.SheetHeight, s.LabelWidth, s.LabelHeight, s.LeftMargin, s.TopMargin,
                              s.RightMargin, s.BottomMargin, s.HorizontalSpacing, s.VerticalSpacing};
        for (size_t i = 0; i < std::size(got); ++i) {
            // The far margins also take up the file's rounding of the grid (see Conversion).
            const double within = i == 6 ? 0.0127 * (r.columns + 2) : i == 7 ? 0.0127 * (r.rows + 2) : 0.005;
            EXPECT_NEAR(got[i], expected[i], within) << r.part << " value " << i;
        }
        EXPECT_EQ(s.Columns, r.columns) << r.part;
        EXPECT_EQ(s.Rows, r.rows) << r.part;
        EXPECT_EQ(p->source, files.glabelsFile);
    }
    EXPECT_EQ(find(c, QStringLiteral("T-INCH"))->description, QStringLiteral("Address labels"));
    EXPECT_EQ(find(c, QStringLiteral("T-ROUND"))->description, QStringLiteral("【円形】Round"));
    EXPECT_EQ(find(c, QStringLiteral("T-CD"))->description, QStringLiteral("【CD/DVD】CD"));

    // An equiv takes the geometry and description of the template it names.
    const Product* copy = find(c, QStringLiteral("T-3x12B"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->description, QStringLiteral("60 x 20 mm labels"));
    EXPECT_EQ(copy->style.RightMargin, find(c, QStringLiteral("T-3x12"))->style.RightMargin);
    EXPECT_EQ(std::string(copy->style.Name.data(), copy->style.Name.size()), std::string("Testmaker T-3x12B\0", 18));

    const struct {
        const char* part;
        SkipReason reason;
        const char* detailHas;
    } skipped[] = {
        {"T-TWO", SkipReason::SeveralLayouts, "2 layouts"},
        {"T-WIDE", SkipReason::GridLeavesSheet, "right margin"},
        {"T-BAD", SkipReason::Malformed, "attribute 'width' of Label-rectangle on line 39: '6O mm'"},
        {"T-LOST", SkipReason::UnknownEquiv, "T-NONE"},
        {"O-1", SkipReason::UnknownEquiv, "T-3x12"}, // another brand's template is not followed
        {"T-XX9", SkipReason::UnknownPaper, "XX9"},
    };
    for (const auto& r : skipped) {
        const Skipped* s = findSkipped(c, QLatin1String(r.part));
        ASSERT_NE(s, nullptr) << r.part;
        EXPECT_EQ(s->reason, r.reason) << r.part;
        EXPECT_TRUE(s->detail.contains(QLatin1String(r.detailHas))) << r.part << ": " << s->detail.toStdString();
        EXPECT_EQ(s->source, files.glabelsFile);
    }
    EXPECT_EQ(findSkipped(c, QStringLiteral("T-BAD"))->line, productfiles::GlabelsBadWidthLine - 1);
    EXPECT_EQ(c.products().size() + c.skipped().size(), 12u);
}

TEST(ProductReaders, LibreOfficeLabelsConvertFromHundredthsOfAMillimetre)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    Catalogue c;
    c.addSource(files.libreOfficeFile);
    ASSERT_TRUE(c.errors().empty());
    ASSERT_EQ(c.products().size(), 2u);

    const Product& p = c.products()[0];
    EXPECT_EQ(p.brand, QStringLiteral("ヒサゴ"));
    EXPECT_EQ(p.part, QStringLiteral("FSCGN863"));
    EXPECT_EQ(p.description, QStringLiteral("宛名ラベル 12面"));
    const Tlabelpar& s = p.style;
    EXPECT_DOUBLE_EQ(s.SheetWidth, 210);
    EXPECT_DOUBLE_EQ(s.LabelWidth, 86.4);
    EXPECT_DOUBLE_EQ(s.LabelHeight, 42.3);
    EXPECT_DOUBLE_EQ(s.LeftMargin, 18.6);
    EXPECT_NEAR(s.RightMargin, 18.6, 0.0127 * 4);
    EXPECT_NEAR(s.BottomMargin, 22.0, 0.0127 * 8);
    EXPECT_EQ(s.Columns, 2);
    EXPECT_EQ(s.Rows, 6);
    EXPECT_EQ(c.products()[1].brand, QStringLiteral("Sanwa"));

    ASSERT_EQ(c.skipped().size(), 2u);
    EXPECT_EQ(c.skipped()[0].reason, SkipReason::Roll);
    EXPECT_EQ(c.skipped()[1].reason, SkipReason::Malformed);
    EXPECT_EQ(c.skipped()[1].detail, QStringLiteral("measure field 'width' on line %1: '90x0'").arg(productfiles::LibreOfficeBadMeasureLine));
}

TEST(ProductReaders, SourcesThatCannotBeReadAreNamedAndAddNothing)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    // Broken at line 4, column 3: the file's earlier products are not listed either.
    const QString broken = dir.filePath(QStringLiteral("broken.xml"));
    productfiles::write(broken, "<manufacturers>\n<manufacturer name=\"A\">\n<label><name>X 1</name><measure>S;1;1;1;1;0;0;1;1;10;10</measure></label>\n</manufacturer\n");
    const QString other = dir.filePath(QStringLiteral("other.xml"));
    productfiles::write(other, "<?xml version=\"1.0\"?><html/>");
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    const bool root = QDir(locked).isReadable();

    // Nothing waits: a FIFO is refused by name without being opened.
    const QString fifo = dir.filePath(QStringLiteral("pipe.xml"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir.filePath(QStringLiteral("loop.xml"));
    ASSERT_EQ(::symlink("loop.xml", QFile::encodeName(loop).constData()), 0);
    const QString secondRoot = dir.filePath(QStringLiteral("tworoots.xml"));
    productfiles::write(secondRoot, "<manufacturers/>\n<manufacturers/>\n");
    const QString strayTag = dir.filePath(QStringLiteral("stray.xml"));
    productfiles::write(strayTag, "<Glabels-templates/>\n<Template brand=\"B\">\n");
    const QString control = dir.filePath(QStringLiteral("new\nline\x01.xml"));

    const struct {
        QString path;
        SourceError::Kind kind;
        const char* messageHas;
        labeldata::FileKind notRegular = labeldata::FileKind::Regular;
    } rows[] = {
        {broken, SourceError::MalformedXml, ":5:0: malformed XML: "},
        {other, SourceError::NotADatabase, "is not a gLabels or LibreOffice label database"},
        {dir.filePath(QStringLiteral("missing.xml")), SourceError::Missing, "does not exist"},
        {locked, SourceError::UnreadableFolder, "cannot read the folder"},
        {fifo, SourceError::UnreadableFile, "it is a FIFO (named pipe), not a regular file", labeldata::FileKind::Fifo},
        {loop, SourceError::UnreadableFile, "it is a loop of symbolic links", labeldata::FileKind::LinkLoop},
        {secondRoot, SourceError::MalformedXml, ":2:"},
        {strayTag, SourceError::MalformedXml, "malformed XML"},
        {control, SourceError::Missing, "new\\nline\\x01.xml' does not exist"},
    };
    for (const auto& r : rows) {
        if (r.kind == SourceError::UnreadableFolder && root)
            continue; // permissions do not stop root
        SCOPED_TRACE(r.path.toStdString());
        Catalogue c;
        QElapsedTimer time;
        time.start();
        c.addSource(r.path);
        EXPECT_LT(time.elapsed(), 1000);
        ASSERT_EQ(c.errors().size(), 1u);
        EXPECT_EQ(c.errors()[0].kind, r.kind);
        EXPECT_EQ(c.errors()[0].notRegular, r.notRegular);
        const std::string message = c.errors()[0].message();
        EXPECT_NE(message.find(products::printable(QFileInfo(r.path).fileName()).toStdString()), std::string::npos) << message;
        EXPECT_NE(message.find(r.messageHas), std::string::npos) << message;
        EXPECT_TRUE(c.products().empty());
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(ProductReaders, SearchFoldsCaseAndWidthAndWantsEveryWord)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    Catalogue c;
    c.addSources({files.glabelsFolder, files.libreOfficeFile});
    std::vector<QString> keys;
    for (const Product& p : c.products())
        keys.push_back(searchKey(p));
    auto parts = [&](const QString& query) {
        QStringList found;
        for (size_t i = 0; i < keys.size(); ++i)
            if (matchesQuery(keys[i], queryWords(query)))
                found << c.products()[i].part;
        return found.join(QLatin1Char(' '));
    };
    const struct {
        const char* query;
        const char* parts;
    } rows[] = {
        {"testmaker inch", "T-INCH"},
        {"ＴＥＳＴＭＡＫＥＲ　ｉｎｃｈ", "T-INCH"},
        {"ﾋｻｺﾞ", "FSCGN863"},
        {"宛名", "T-INCH FSCGN863"}, // T-INCH's "Address labels" in gLabels' own Japanese
        {"60 x 20", "T-3x12 T-3x12B"},
        {"sanwa 12PCS", "LB-EL44"},
        {"円形", "T-ROUND"}, // the shape before the description
        {"nothing-like-this", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(parts(QString::fromUtf8(r.query)), QLatin1String(r.parts)) << r.query;
    EXPECT_EQ(parts(QString()).count(QLatin1Char(' ')) + 1, qsizetype(c.products().size()));
}

TEST(ProductReaders, SearchFindsLabelSizesAndGridsAndNamesSkippedProducts)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    Catalogue c;
    c.addSources({files.glabelsFolder, files.libreOfficeFile});
    auto parts = [&](const char* text) {
        const ProductQuery query(QString::fromUtf8(text));
        QStringList found;
        for (const Product& p : c.products())
            if (query.matches(searchKey(p), p.style))
                found << p.part;
        for (const Skipped& s : c.skipped())
            if (query.matchesText(searchKey(s)))
                found << QStringLiteral("skipped:") + s.part;
        return found.join(QLatin1Char(' ')).toStdString();
    };
    const struct {
        const char* query;
        const char* parts;
    } rows[] = {
        {"66.675x25.4", "T-INCH"},
        {"66.7×25.4", "T-INCH"},
        {"６６．７ｘ２５．４", "T-INCH"},
        {"66.7 25.4", "T-INCH"},
        {"66.7 x 25.4", "T-INCH"},
        {"66.6x25.4", ""},          // 0.075 mm off
        {"25.4x66.675", ""},        // width first
        {"4x10", "T-POINT"},        // columns x rows
        {"2x6 ヒサゴ", "FSCGN863"},
        {"86.4", "FSCGN863"},
        {"testmaker 50.8", "T-POINT"},
        {"117x117", "T-CD"},        // a CD by its bounding box
        {"t-wide", "skipped:T-WIDE"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(parts(r.query), r.parts) << r.query;
}

TEST(ProductReaders, GettextCatalogueIsReadAndDamageRefused)
{
    // A catalogue as msgfmt writes it: header, then the tables of originals and translations.
    auto mo = [](const std::vector<std::pair<QByteArray, QByteArray>>& messages) {
        QByteArray strings;
        QByteArray originals, translations;
        const quint32 n = quint32(messages.size());
        const quint32 stringsAt = 28 + 16 * n;
        auto word = [](QByteArray& to, quint32 v) { to.append(reinterpret_cast<const char*>(&v), 4); };
        for (const auto& [o, t] : messages) {
            word(originals, quint32(o.size()));
            word(originals, stringsAt + quint32(strings.size()));
            strings += o + '\0';
        }
        for (const auto& [o, t] : messages) {
            word(translations, quint32(t.size()));
            word(translations, stringsAt + quint32(strings.size()));
            strings += t + '\0';
        }
        QByteArray file;
        for (quint32 v : {0x950412deu, 0u, n, 28u, 28 + 8 * n, 0u, 0u})
            word(file, v);
        return file + originals + translations + strings;
    };
    const QByteArray good = mo({{"", "Content-Type: text/plain; charset=UTF-8\n"},
                                {"Address Labels", "宛名のラベル"},
                                {"ctx\x04Labels", "x"},
                                {QByteArray("Label\0Labels", 12), QByteArray("ラベル\0ラベル", 19)}});
    auto damaged = [&](qsizetype at, quint32 value) {
        QByteArray bytes = good;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    const struct {
        const char* what;
        QByteArray bytes;
        bool loads;
    } rows[] = {
        {"whole", good, true},
        {"cut short", good.left(good.size() - 3), false},
        {"no magic", damaged(0, 0x12345678), false},
        {"count past the end", damaged(8, 0x7fffffff), false},
        {"table past the end", damaged(12, 0xfffffff0), false},
        {"string past the end", damaged(28 + 8 + 4, 0xffffff00), false},
        {"string length past the end", damaged(28 + 8, 0xffffffff), false},
        {"empty", QByteArray(), false},
    };
    for (const auto& r : rows) {
        MoCatalogue c;
        EXPECT_EQ(c.load(r.bytes), r.loads) << r.what;
        EXPECT_EQ(c.translate(QStringLiteral("Address Labels")), r.loads ? QStringLiteral("宛名のラベル") : QString()) << r.what;
        if (r.loads) {
            EXPECT_EQ(c.size(), 1) << r.what; // no header, context or plural
        }
    }

    // gLabels' own: the descriptions of its Japanese users.
    const MoCatalogue& installed = glabelsJapanese();
    ASSERT_GT(installed.size(), 100) << "install glabels-data (scripts/test does)";
    EXPECT_EQ(installed.translate(QStringLiteral("Address Labels")), QStringLiteral("宛名のラベル"));
    MoCatalogue fifo;
    const QString pipe = QDir::temp().filePath(QStringLiteral("tessel-mo-fifo-%1").arg(QCoreApplication::applicationPid()));
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(fifo.loadFile(pipe)); // and does not block
    QFile::remove(pipe);
}

TEST(ProductReaders, PaperSizesBesideTemplatesAreOnlyEverPaperSizes)
{
    // A label with no Layout, whose element name the reader once used after reading past it.
    const char templates[] = "<Glabels-templates><Template brand=\"B\" part=\"P\" size=\"A4\"><Label-rectangle width=\"50mm\" "
                             "height=\"20mm\"><Markup-margin size=\"1mm\"/></Label-rectangle></Template>"
                             "<Template brand=\"B\" part=\"OK\" size=\"Other\" width=\"100mm\" height=\"50mm\">"
                             "<Label-rectangle width=\"50mm\" height=\"50mm\"><Layout nx=\"2\" ny=\"1\" x0=\"0\" y0=\"0\" "
                             "dx=\"50mm\" dy=\"0\"/></Label-rectangle></Template></Glabels-templates>";
    const struct {
        const char* what;
        std::function<void(const QString&)> make; // paper-sizes.xml beside the templates
        std::optional<SourceError::Kind> warning;
    } rows[] = {
        {"none", [](const QString&) {}, {}},
        {"a folder", [](const QString& p) { QDir().mkpath(p); }, SourceError::UnreadableFile},
        {"a FIFO", [](const QString& p) { mkfifo(QFile::encodeName(p).constData(), 0600); }, SourceError::UnreadableFile},
        {"templates", [&](const QString& p) { productfiles::write(p, productfiles::GlabelsTemplates); }, SourceError::NotPaperSizes},
        {"malformed", [](const QString& p) { productfiles::write(p, "<Glabels-paper-sizes><Paper-size"); }, SourceError::MalformedXml},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mine.xml"));
        productfiles::write(file, templates);
        r.make(dir.filePath(QStringLiteral("paper-sizes.xml")));
        Catalogue c;
        c.addSource(file);
        EXPECT_TRUE(c.errors().empty());
        ASSERT_EQ(c.warnings().size(), r.warning ? 1u : 0u);
        if (r.warning) {
            EXPECT_EQ(c.warnings()[0].kind, *r.warning);
            EXPECT_NE(c.warnings()[0].message().find("paper-sizes.xml"), std::string::npos);
        }
        // The templates still load, and only they.
        ASSERT_EQ(c.products().size(), 1u);
        EXPECT_EQ(c.products()[0].part, QStringLiteral("OK"));
        ASSERT_EQ(c.skipped().size(), 1u);
        EXPECT_EQ(c.skipped()[0].detail, QStringLiteral("no Layout in Label-rectangle"));
    }
}

TEST(ProductReaders, ProductsThatCheckWouldRejectOnceStoredAreSkippedWithTheOverrun)
{
    // The committed fuzzing seed holds a label 0.03 mm wider than its sheet, an equivalent of it,
    // and an infinite pitch.
    Catalogue c;
    c.addSource(QStringLiteral(TESSEL_SOURCE_DIR "/fuzz/seeds/fuzz_product_readers/glabels-overrun.xml"));
    ASSERT_TRUE(c.errors().empty());
    EXPECT_TRUE(c.products().empty());
    const struct { const char* part; SkipReason reason; const char* detailHas; } rows[] = {
        {"OVER", SkipReason::GridLeavesSheet, "mm wide, 0.025 mm over"},
        {"SAME", SkipReason::GridLeavesSheet, "mm wide, 0.025 mm over"},
        {"FAR", SkipReason::Malformed, "attribute 'dx' of Layout on line 10: '1e308in'"},
    };
    for (const auto& r : rows) {
        const Skipped* s = findSkipped(c, QLatin1String(r.part));
        ASSERT_NE(s, nullptr) << r.part;
        EXPECT_EQ(s->reason, r.reason) << r.part;
        EXPECT_NE(s->detail.toStdString().find(r.detailHas), std::string::npos) << s->detail.toStdString();
    }
}
