#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "products/Catalogue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

using namespace products;

namespace {

const QString GlabelsTemplates = QStringLiteral("/usr/share/libglabels-3.0/templates");
const QString LibreOfficeLabels = QStringLiteral("/usr/lib/libreoffice/share/labels/labels.xml");

// How many products a database file names, counted without the reader.
qsizetype countElements(const QString& folderOrFile, const QString& element)
{
    QStringList files;
    if (QFileInfo(folderOrFile).isDir()) {
        for (const QString& f : QDir(folderOrFile).entryList({QStringLiteral("*-templates.xml")}, QDir::Files))
            files << QDir(folderOrFile).filePath(f);
    } else {
        files << folderOrFile;
    }
    qsizetype n = 0;
    for (const QString& f : files) {
        QFile file(f);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        // Comments may show an example element; they are left out of the count.
        QString text = QString::fromUtf8(file.readAll());
        text.remove(QRegularExpression(QStringLiteral("<!--.*?-->"), QRegularExpression::DotMatchesEverythingOption));
        n += text.count(QRegularExpression(QStringLiteral("<%1[\\s>]").arg(element)));
    }
    return n;
}

void reportCounts(const char* what, const Catalogue& c)
{
    std::printf("%s: %zu converted, %zu skipped:", what, c.products().size(), c.skipped().size());
    const auto counts = c.skippedByReason();
    for (int r = 0; r < SkipReasonCount; ++r)
        if (counts[size_t(r)])
            std::printf(" %d %s;", counts[size_t(r)], reasonText(SkipReason(r)));
    std::printf("\n");
}

// Each product through a saved and reloaded file: it fits the sheet unless its grid as the
// database gives it does not.
void expectRoundTripFits(const Catalogue& c)
{
    Tdatatree set;
    for (const Product& p : c.products())
        set.LabelList.push_back(p.style);
    set.GroupName = std::string("\0", 1);
    Tdatatree back;
    const std::string image = set.SaveImage();
    ASSERT_EQ(back.LoadImage(image), LoadResult::Loaded);
    ASSERT_EQ(back.LabelList.size(), c.products().size());
    int listed = 0;
    int moved = 0;
    for (size_t i = 0; i < c.products().size(); ++i) {
        const Product& p = c.products()[i];
        // A given length moves only where a grid that fills its sheet would round to more.
        const SheetGeometry& g = p.geometry;
        const double given[][2] = {{p.style.LabelWidth, g.labelWidth}, {p.style.LabelHeight, g.labelHeight},
                                   {p.style.LeftMargin, g.left}, {p.style.TopMargin, g.top}};
        for (const auto& v : given) {
            EXPECT_NEAR(v[0], v[1], 0.0127) << p.part.toStdString();
            moved += std::abs(v[0] - v[1]) > 0.005;
        }
        if (labeldata::sheetFit(back.LabelList[i]).fits())
            continue;
        EXPECT_FALSE(sourceGridFits(p.geometry)) << p.brand.toStdString() << " " << p.part.toStdString();
        std::printf("  grid does not fit in the source: %s %s (%s:%lld)\n", p.brand.toUtf8().constData(),
                    p.part.toUtf8().constData(), QFileInfo(p.source).fileName().toUtf8().constData(),
                    static_cast<long long>(p.line));
        ++listed;
    }
    std::printf("  %d converted styles do not fit as the source gives them; %d lengths moved by over 0.005 mm to fit\n",
                listed, moved);
}

} // namespace

TEST(InstalledDatabases, EveryGlabelsTemplateIsConvertedOrSkippedWithAReason)
{
    ASSERT_TRUE(QFileInfo(GlabelsTemplates).isDir()) << "install glabels-data (scripts/test does)";
    Catalogue c;
    c.addSource(GlabelsTemplates);
    for (const SourceError& e : c.errors())
        ADD_FAILURE() << e.message();
    EXPECT_EQ(qsizetype(c.products().size() + c.skipped().size()), countElements(GlabelsTemplates, QStringLiteral("Template")));
    EXPECT_GT(c.products().size(), 1000u);
    for (const Skipped& s : c.skipped())
        EXPECT_FALSE(s.detail.isEmpty()) << s.brand.toStdString() << " " << s.part.toStdString();
    bool hisago = false;
    for (const Product& p : c.products())
        hisago = hisago || p.brand == u"Hisago";
    EXPECT_TRUE(hisago);
    reportCounts("glabels-data", c);
    expectRoundTripFits(c);
}

TEST(InstalledDatabases, LibreOfficeLabelListWhenInstalled)
{
    if (!QFileInfo::exists(LibreOfficeLabels))
        GTEST_SKIP() << LibreOfficeLabels.toStdString() << " is not installed";
    Catalogue c;
    c.addSource(LibreOfficeLabels);
    ASSERT_TRUE(c.errors().empty()) << c.errors().front().message();
    EXPECT_EQ(qsizetype(c.products().size() + c.skipped().size()), countElements(LibreOfficeLabels, QStringLiteral("label")));
    reportCounts("labels.xml", c);
    expectRoundTripFits(c);
}
