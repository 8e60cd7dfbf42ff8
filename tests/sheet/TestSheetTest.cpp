// Test sheets read back from their PDFs: page sizes, the places of lines, refusals and writing.
#include "labeldata/FileError.h"
#include "sheet/PdfExport.h"
#include "ChildProcess.h"
#include "PdfProbe.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Layout {
    const char* name;
    double sheetW, sheetH, labelW, labelH;
    int columns, rows;
    double left, top, right, bottom, spacingX, spacingY;
};

Tlabelpar styleOf(const Layout& l)
{
    Tlabelpar s;
    s.SheetWidth = l.sheetW;
    s.SheetHeight = l.sheetH;
    s.LabelWidth = l.labelW;
    s.LabelHeight = l.labelH;
    s.Columns = l.columns;
    s.Rows = l.rows;
    s.LeftMargin = l.left;
    s.TopMargin = l.top;
    s.RightMargin = l.right;
    s.BottomMargin = l.bottom;
    s.HorizontalSpacing = l.spacingX;
    s.VerticalSpacing = l.spacingY;
    return s;
}

const Layout DefaultA4{"default A4", 210, 297, 91, 55, 2, 5, 14, 11, 14, 11, 0, 0};

QString writePdf(const QTemporaryDir& dir, const QString& name, const std::vector<sheet::SheetPage>& pages)
{
    const QString path = dir.filePath(name);
    sheet::writeTestSheetPdf(path, pages);
    EXPECT_EQ(pdfprobe::structureProblems(path), QString()) << name.toStdString();
    return path;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(TestSheet, EveryPageIsItsSheetExactly)
{
    const std::vector<std::pair<double, double>> sheets{{210, 297}, {211, 297}, {100, 148}, {1000, 1000}, {25.4, 25.4},
                                                        {297, 210}};
    std::vector<sheet::SheetPage> pages;
    for (auto [w, h] : sheets)
        pages.push_back({styleOf({"", w, h, 10, 10, 1, 1, 1, 1, 1, 1, 0, 0}), {}});
    QTemporaryDir dir;
    const std::vector<QSizeF> sizes = pdfprobe::pageSizes(writePdf(dir, "sizes.pdf", pages));
    ASSERT_EQ(sizes.size(), sheets.size());
    for (size_t i = 0; i < sheets.size(); ++i) {
        SCOPED_TRACE(testing::Message() << sheets[i].first << " x " << sheets[i].second);
        EXPECT_NEAR(sizes[i].width(), sheets[i].first, 0.01);
        EXPECT_NEAR(sizes[i].height(), sheets[i].second, 0.01);
    }
}

TEST(TestSheet, LabelEdgesMarginsAndRulerLieAtTheirExactPlaces)
{
    const Layout layouts[]{
        DefaultA4,
        {"two decimals", 215.9, 279.4, 66.68, 25.40, 3, 10, 3.97, 12.70, 3.97, 12.70, 3.18, 0},
        {"both spacings", 210, 297, 90, 60, 2, 4, 10, 20, 10, 20, 5, 7.5},
    };
    QTemporaryDir dir;
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.name);
        const Tlabelpar s = styleOf(l);
        const pdfprobe::Raster r = pdfprobe::rasterise(writePdf(dir, "edges.pdf", {{s, {"G", "S"}}}));
        ASSERT_GT(r.width, 0);
        for (int i = 0; i < l.rows; ++i)
            for (int j = 0; j < l.columns; ++j) {
                const double x = l.left + j * (l.labelW + l.spacingX), y = l.top + i * (l.labelH + l.spacingY);
                SCOPED_TRACE(testing::Message() << "label row " << i << " column " << j);
                for (double edge : {x, x + l.labelW})
                    EXPECT_NEAR(r.verticalLine(edge, y + 0.2 * l.labelH, y + 0.8 * l.labelH), edge, 0.1);
                for (double edge : {y, y + l.labelH})
                    EXPECT_NEAR(r.horizontalLine(edge, x + 0.2 * l.labelW, x + 0.8 * l.labelW), edge, 0.1);
            }
        // The dashed margin lines, where they cross the bottom and the right margin.
        const double belowLabels = l.sheetH - l.bottom + 1, rightOfLabels = l.sheetW - l.right + 0.5;
        for (double edge : {l.left, l.sheetW - l.right})
            EXPECT_NEAR(r.verticalLine(edge, belowLabels, l.sheetH - 1), edge, 0.1);
        for (double edge : {l.top, l.sheetH - l.bottom})
            EXPECT_NEAR(r.horizontalLine(edge, rightOfLabels, l.sheetW - 0.5), edge, 0.1);
        // The 100 mm marks of the top and the left ruler.
        EXPECT_NEAR(r.verticalLine(100, 0.2, 1.4), 100.0, 0.05);
        EXPECT_NEAR(r.horizontalLine(100, 0.2, 1.4), 100.0, 0.05);
    }
}

TEST(TestSheet, CaptionNamesTheLayoutAndItsSizes)
{
    EXPECT_EQ(sheet::sizeCaption(styleOf(DefaultA4)),
              QStringLiteral("台紙 210.00 × 297.00 mm / ラベル 91.00 × 55.00 mm / 2 列 × 5 行 / 余白 左 14.00 上 11.00 "
                             "右 14.00 下 11.00 / 間隔 水平 0.00 垂直 0.00"));
    QTemporaryDir dir;
    // Roomy top margin, then a margin too small for it: the caption moves into the first label.
    for (double top : {11.0, 2.0}) {
        Layout l = DefaultA4;
        l.top = top;
        const QString pdf = writePdf(dir, "caption.pdf", {{styleOf(l), {"ラベル台紙集", "A4 10面"}}});
        const QString text = QString::fromUtf8(
            pdfprobe::run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}));
        EXPECT_TRUE(text.contains(QStringLiteral("ラベル台紙集 / A4 10面"))) << top << ": " << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("ラベル 91.00 × 55.00 mm"))) << top << ": " << text.toStdString();
    }
}

TEST(TestSheet, StylesWithoutASheetOrLabelsAreRefusedAndNothingIsWritten)
{
    struct Case {
        const char* name;
        double sheetW, sheetH;
        int rows, columns;
        sheet::SheetProblem problem;
    } cases[]{
        {"drawable", 210, 297, 5, 2, sheet::SheetProblem::None},
        {"both sheet sizes 0", 0, 0, 5, 2, sheet::SheetProblem::NoSheet},
        {"width 0", 0, 297, 5, 2, sheet::SheetProblem::NoSheet},
        {"rows 0", 210, 297, 0, 2, sheet::SheetProblem::NoLabels},
        {"columns 0", 210, 297, 5, 0, sheet::SheetProblem::NoLabels},
        {"the editor's largest grid", 210, 297, 1000, 1000, sheet::SheetProblem::None},
        {"a file's largest grid", 210, 297, 65535, 65535, sheet::SheetProblem::TooManyLabels},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layout l = DefaultA4;
        l.sheetW = c.sheetW;
        l.sheetH = c.sheetH;
        l.rows = c.rows;
        l.columns = c.columns;
        const Tlabelpar s = styleOf(l);
        EXPECT_EQ(sheet::problemOf(s), c.problem);
        if (c.problem == sheet::SheetProblem::None)
            continue;
        // Beside a drawable page, one refused page stops the whole file.
        const QString path = dir.filePath(QStringLiteral("refused.pdf"));
        EXPECT_THROW(sheet::writeTestSheetPdf(path, {{styleOf(DefaultA4), {}}, {s, {}}}), std::invalid_argument);
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST(TestSheet, AFailedWriteLeavesTheOldFileAsItWas)
{
    QTemporaryDir dir;
    // The name leaves no room for the temporary file's suffix, so the write fails even for root.
    const QString longName = dir.filePath(QString(250, QLatin1Char('p')) + QStringLiteral(".pdf"));
    const QString missingFolder = dir.filePath(QStringLiteral("missing/sheet.pdf"));
    for (const QString& path : {longName, missingFolder}) {
        SCOPED_TRACE(path.toStdString());
        const bool old = path == longName;
        if (old) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old pdf");
        }
        try {
            sheet::writeTestSheetPdf(path, {{styleOf(DefaultA4), {}}});
            ADD_FAILURE() << "written";
        } catch (const labeldata::FileError& e) {
            EXPECT_EQ(e.fileName(), path);
        }
        EXPECT_EQ(readAll(path), old ? QByteArray("old pdf") : QByteArray());
        // No temporary file is left beside it: the only file is the old one.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }
}

// The caption's text reaches the PDF in every font it is drawn in: with only IPAPGothic, with
// only Noto Sans CJK JP (a CFF font), and with a character that neither has, from a fallback font.
TEST(TestSheet, EveryFontIsEmbeddedAsASearchableSubsetThatReadersDraw)
{
    if (inChildProcess()) {
        sheet::writeTestSheetPdf(qEnvironmentVariable("TESSEL_SHEET_PDF"),
                                 {{styleOf(DefaultA4), {qEnvironmentVariable("TESSEL_SHEET_GROUP"), QStringLiteral("A4 10面")}}});
        return;
    }
    QTemporaryDir dir;
    // Fontconfig that knows one font file and nothing else.
    const QString notoOnly = dir.filePath(QStringLiteral("noto"));
    ASSERT_TRUE(QDir().mkpath(notoOnly));
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"),
                            notoOnly + QStringLiteral("/NotoSansCJK-Regular.ttc")));
    const QString conf = dir.filePath(QStringLiteral("fonts.conf"));
    {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                               "<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                    .arg(notoOnly, dir.filePath(QStringLiteral("cache")))
                    .toUtf8());
    }
    struct Case {
        const char* name;
        QString fontconfig; // empty: the system's
        QString group;
        const char* firstFont; // its PostScript name
        const char* firstType; // as pdffonts says
        int fonts;
    };
    const Case cases[] = {
        {"IPAPGothic", QString(), QStringLiteral("ラベル台紙集"), "IPAPGothic", "CID TrueType", 1},
        {"only Noto Sans CJK JP", conf, QStringLiteral("ラベル台紙集"), "NotoSansCJKjp-Regular", "CID Type 0C", 1},
        {"a character from a fallback font", QString(), QStringLiteral("ラベル☺台紙集"), "IPAPGothic", "CID TrueType", 2},
    };
    static const QRegularExpression fontLine(
        QStringLiteral(R"(^\S+\+(\S+)\s+(.+?)\s+Identity-H\s+(yes|no)\s+(yes|no)\s+(yes|no)\s+\d+\s+\d+$)"),
        QRegularExpression::MultilineOption);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = dir.filePath(QStringLiteral("fonts.pdf"));
        QFile::remove(pdf);
        const QByteArray pdfPath = pdf.toUtf8(), group = c.group.toUtf8(), fontconfig = c.fontconfig.toUtf8();
        const ChildResult child = runCurrentTestInChild(
            {{"FONTCONFIG_FILE", fontconfig.constData()}, {"TESSEL_SHEET_PDF", pdfPath.constData()},
             {"TESSEL_SHEET_GROUP", group.constData()}});
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();

        const QString fonts = QString::fromUtf8(pdfprobe::run(QStringLiteral("pdffonts"), {pdf}));
        int listed = 0;
        for (auto it = fontLine.globalMatch(fonts); it.hasNext(); ++listed) {
            const auto m = it.next();
            if (listed == 0) {
                EXPECT_EQ(m.captured(1), QLatin1String(c.firstFont)) << fonts.toStdString();
                EXPECT_EQ(m.captured(2), QLatin1String(c.firstType)) << fonts.toStdString();
            }
            // Embedded, a subset, with a Unicode map.
            EXPECT_EQ(m.captured(3) + m.captured(4) + m.captured(5), QStringLiteral("yesyesyes")) << fonts.toStdString();
        }
        EXPECT_EQ(listed, c.fonts) << fonts.toStdString();

        const QString text = QString::fromUtf8(
            pdfprobe::run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}));
        EXPECT_TRUE(text.contains(c.group + QStringLiteral(" / A4 10面"))) << text.toStdString();
        EXPECT_TRUE(text.contains(sheet::sizeCaption(styleOf(DefaultA4)))) << text.toStdString();
        EXPECT_EQ(pdfprobe::structureProblems(pdf), QString());
        EXPECT_EQ(pdfprobe::readerComplaints(pdf, dir.path()), QString());
    }
}
