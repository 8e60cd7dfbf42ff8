#include "labeldata/Tdatatree.h"

#include "PdfProbe.h"
#include "SimulatedPrinter.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// One direction of a real label sheet: where its cut lines are.
struct RealAxis {
    double lead, size, pitch;

    double edge(int label, bool far) const { return lead + label * pitch + (far ? size : 0); }
};

// A scale of the sheet: its corner label, and whether it crosses a vertical edge (its ticks
// then stand side by side across the page) and which.
struct Scale {
    bool lastRow, lastColumn, across, far;
};
// In reading order: ① left and ② top of row 1 column 1, ③ right and ④ top of row 1 last column,
// ⑤ left and ⑥ bottom of last row column 1, ⑦ right and ⑧ bottom of last row last column.
const Scale Scales[] = {{false, false, true, false}, {false, false, false, false}, {false, true, true, true},
                        {false, true, false, false}, {true, false, true, false},   {true, false, false, true},
                        {true, true, true, true},     {true, true, false, true}};

// Where an edge of a label of the style is, nominally, and the middle of that edge.
QPointF edgeMiddle(const Tlabelpar& s, const Scale& k)
{
    const int row = k.lastRow ? s.Rows - 1 : 0, column = k.lastColumn ? s.Columns - 1 : 0;
    const double x = s.LeftMargin + column * (s.LabelWidth + s.HorizontalSpacing);
    const double y = s.TopMargin + row * (s.LabelHeight + s.VerticalSpacing);
    if (k.across)
        return {x + (k.far ? s.LabelWidth : 0), y + s.LabelHeight / 2};
    return {x + s.LabelWidth / 2, y + (k.far ? s.LabelHeight : 0)};
}

// What a page of the style looks like around a point once that printer printed it.
struct Printed {
    QString pdf;
    QSizeF paper;
    Printer printer;
    QSizeF stretched;

    Printed(const QString& file, QSizeF paperMm, const Printer& pr)
        : pdf(file), paper(paperMm), printer(pr), stretched(stretchedPage(paperMm, pr))
    {
    }
    // A patch centred where the page's point lands, along × across the direction given.
    Patch around(QPointF pageMm, bool across, double alongMm, double acrossMm) const
    {
        const QPointF px(pageMm.x() * stretched.width() / paper.width(), pageMm.y() * stretched.height() / paper.height());
        return patch(pdf, stretched, px, across ? QSizeF(alongMm, acrossMm) : QSizeF(acrossMm, alongMm));
    }
    // A patch's pixel column (across) or row (down) as millimetres of the paper.
    double paperAt(const Patch& p, double px, bool across) const
    {
        return across ? printer.ax + (p.left + px) / PxPerMm : printer.ay + (p.top + px) / PxPerMm;
    }
};

// Ink along a patch's long side, summed over the middle of its short side (±halfMm).
std::vector<double> profile(const Patch& p, bool across, double halfMm)
{
    const int n = across ? p.width : p.height, m = across ? p.height : p.width;
    std::vector<double> v(size_t(n), 0);
    for (int i = 0; i < n; ++i)
        for (int j = int(m / 2 - halfMm * PxPerMm); j < int(m / 2 + halfMm * PxPerMm); ++j)
            v[size_t(i)] += across ? p.ink(i, j) : p.ink(j, i);
    return v;
}

// The centres (in pixels of the long side) of the lines that cross a profile.
std::vector<double> lineCentres(const std::vector<double>& v)
{
    double most = 0;
    for (double x : v)
        most = std::max(most, x);
    std::vector<double> centres;
    double weight = 0, moment = 0;
    for (size_t i = 0; i <= v.size(); ++i) {
        const bool inked = i < v.size() && v[i] > most * 0.2;
        if (inked) {
            weight += v[i];
            moment += v[i] * (double(i) + 0.5);
        } else if (weight > 0) {
            centres.push_back(moment / weight);
            weight = moment = 0;
        }
    }
    return centres;
}

} // namespace

TEST(TpltoolAlignment, ReadingsOfTheScalesOnARealSheetFitTheStyleToItsCutLines)
{
    // Real sheets whose labels sit elsewhere than their style says: moved, another pitch (the
    // butted rows shrink with it), and one column whose width differs.
    const struct {
        const char* name;
        std::function<std::unique_ptr<Tlabelpar>()> style;
        RealAxis across, down;
    } sheets[] = {
        {"A4 24", [] { return style("A4 24", 210, 297, 64, 33.9, 3, 8, 8.4, 13.1, 2.5, 0); },
         {8.9, 64, 66.62}, {12.7, 33.8, 33.8}},
        {"100x200 3", [] { return style("100x200 3", 100, 200, 90, 60, 1, 3, 5, 8, 0, 3); },
         {4.4, 90.3, 0}, {8.7, 60, 63.15}},
    };
    const Printer printers[] = {{0, 1, 0, 1}, {0.3, 1.003, -0.6, 0.998}};
    QTemporaryDir dir;
    int round = 0;
    for (const auto& sheet : sheets)
        for (const Printer& pr : printers) {
            SCOPED_TRACE(testing::Message() << sheet.name << " printer " << pr.ax << " + " << pr.bx << "x, " << pr.ay
                                            << " + " << pr.by << "y");
            const bool exact = pr.bx == 1 && pr.ax == 0;
            Tdatatree set;
            set.GroupName = std::string("TEST");
            set.LabelList.push_back(*style("other", 210, 297, 91, 55, 2, 5, 14, 11, 0, 0));
            set.LabelList.push_back(*sheet.style());
            set.FileName = dir.filePath(QStringLiteral("in%1.tpl").arg(round));
            set.Save();
            // The lengths as stored, in the file's steps.
            Tdatatree stored;
            stored.FileName = set.FileName;
            ASSERT_EQ(stored.Load(), LoadResult::Loaded);
            const Tlabelpar& s = stored.LabelList.back();
            const QString pdf = dir.filePath(QStringLiteral("align%1.pdf").arg(round));
            const ToolRun made = tpltool({QStringLiteral("alignment-sheet"), set.FileName, pdf, QStringLiteral("--style"),
                                          QStringLiteral("2")});
            ASSERT_EQ(made.status, 0) << made.err.toStdString();
            const auto sizes = pdfprobe::pageSizes(pdf);
            ASSERT_EQ(sizes.size(), 1u);
            EXPECT_NEAR(sizes[0].width(), s.SheetWidth, 0.01);
            const QSizeF paper(s.SheetWidth, s.SheetHeight);
            const Printed printed(pdf, paper, pr);

            QStringList readings;
            for (const Scale& k : Scales) {
                const QPointF at = edgeMiddle(s, k);
                const double e = k.across ? at.x() : at.y();
                SCOPED_TRACE(testing::Message() << (k.across ? "across " : "down ") << e);
                const Patch p = printed.around(at, k.across, 2 * 3.5, 2 * 2.2);
                const std::vector<double> ticks = lineCentres(profile(p, k.across, 0.8));
                ASSERT_EQ(ticks.size(), 13u);
                std::vector<double> onPaper;
                for (double t : ticks)
                    onPaper.push_back(printed.paperAt(p, t, k.across));
                if (exact) {
                    // Each tick in its place and of its length; nothing else in the band.
                    for (int i = 0; i < 13; ++i) {
                        EXPECT_NEAR(onPaper[size_t(i)], e + (i - 6) * 0.5, 0.02);
                        const double want = i == 6 ? 4 : i % 2 == 0 ? 3 : 2;
                        const int column = int(ticks[size_t(i)]);
                        double length = 0;
                        for (int j = 0; j < (k.across ? p.height : p.width); ++j)
                            length += (k.across ? p.ink(column, j) : p.ink(j, column)) / 255.0;
                        EXPECT_NEAR(length / PxPerMm, want, 0.02) << "tick " << i - 6;
                    }
                    int strays = 0;
                    for (int y = 0; y < p.height; ++y)
                        for (int x = 0; x < p.width; ++x) {
                            if (p.ink(x, y) < 64)
                                continue;
                            const double along = (k.across ? p.left + x + 0.5 : p.top + y + 0.5) / PxPerMm - e;
                            const double side = (k.across ? p.top + y + 0.5 - at.y() * PxPerMm
                                                          : p.left + x + 0.5 - at.x() * PxPerMm) / PxPerMm;
                            const int tick = int(std::lround(along / 0.5)) + 6;
                            const double half = tick == 6 ? 2 : tick % 2 == 0 ? 1.5 : 1;
                            const bool onTick = tick >= 0 && tick <= 12 && std::fabs(along - (tick - 6) * 0.5) <= 0.07
                                && std::fabs(side) <= half + 0.03;
                            strays += onTick ? 0 : 1;
                        }
                    EXPECT_EQ(strays, 0);
                }
                // Where the real cut line crosses the printed scale, read to a quarter millimetre.
                const RealAxis& real = k.across ? sheet.across : sheet.down;
                const int label = k.across ? (k.lastColumn ? s.Columns - 1 : 0) : (k.lastRow ? s.Rows - 1 : 0);
                const double cut = real.edge(label, k.far);
                double reading = std::nan("");
                for (size_t i = 0; i + 1 < onPaper.size(); ++i)
                    if (cut >= onPaper[i] && cut <= onPaper[i + 1])
                        reading = -3 + 0.5 * (double(i) + (cut - onPaper[i]) / (onPaper[i + 1] - onPaper[i]));
                ASSERT_FALSE(std::isnan(reading)) << "the cut line at " << cut << " misses the scale";
                readings << QString::number(std::round(reading * 4) / 4, 'f', 2);
            }

            if (!exact) {
                // Drawn with the correction that undoes this printer, the scales' zero ticks
                // land on the style's edges.
                const double bx = actualScale(paper.width(), pr.bx), by = actualScale(paper.height(), pr.by);
                const QString corrected = dir.filePath(QStringLiteral("corrected%1.pdf").arg(round));
                const ToolRun run = tpltool(
                    {QStringLiteral("alignment-sheet"), set.FileName, corrected, QStringLiteral("--style"), QStringLiteral("2"),
                     QStringLiteral("--offset"), QStringLiteral("%1,%2").arg(-pr.ax / bx, 0, 'f', 4).arg(-pr.ay / by, 0, 'f', 4),
                     QStringLiteral("--scale"), QStringLiteral("%1,%2").arg(100 / bx, 0, 'f', 4).arg(100 / by, 0, 'f', 4)});
                ASSERT_EQ(run.status, 0) << run.err.toStdString();
                const Printed undone(corrected, paper, pr);
                for (const Scale& k : {Scales[0], Scales[7]}) {
                    const QPointF at = edgeMiddle(s, k);
                    // The page point that this printer puts where the edge is.
                    const QPointF page((at.x() - pr.ax) / bx, (at.y() - pr.ay) / by);
                    const Patch p = undone.around(page, k.across, 2 * 3.5, 2 * 2.2);
                    const std::vector<double> ticks = lineCentres(profile(p, k.across, 0.8));
                    ASSERT_EQ(ticks.size(), 13u);
                    EXPECT_NEAR(undone.paperAt(p, ticks[6], k.across), k.across ? at.x() : at.y(), 0.03);
                }
            }

            const QString out = dir.filePath(QStringLiteral("out%1.tpl").arg(round));
            const ToolRun aligned = tpltool({QStringLiteral("align"), set.FileName, out, QStringLiteral("--style"),
                                             QStringLiteral("2"), QStringLiteral("--readings"), readings.join(QLatin1Char(','))});
            ASSERT_EQ(aligned.status, 0) << aligned.err.toStdString();
            EXPECT_TRUE(aligned.out.contains(QStringLiteral("left margin: %1 → ").arg(s.LeftMargin, 0, 'f', 2)))
                << aligned.out.toStdString();
            // Only the aligned style's record differs from the file read.
            QFile before(set.FileName), after(out);
            ASSERT_TRUE(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
            const QByteArray a = before.readAll(), b = after.readAll();
            ASSERT_EQ(a.size(), b.size());
            const qsizetype record = 47 + 2 * 23 + 52;
            for (qsizetype i = 0; i < a.size(); ++i) {
                if (a[i] != b[i]) {
                    EXPECT_TRUE(i >= record && i < record + 52) << "byte " << i;
                }
            }

            // The fitted style's test sheet through the same printer: the corner labels' outer
            // edges on the real cut lines.
            const QString sheetPdf = dir.filePath(QStringLiteral("sheet%1.pdf").arg(round++));
            ASSERT_EQ(tpltool({QStringLiteral("sheet"), out, sheetPdf, QStringLiteral("--style"), QStringLiteral("2")}).status, 0);
            Tdatatree fitted;
            fitted.FileName = out;
            ASSERT_EQ(fitted.Load(), LoadResult::Loaded);
            const Tlabelpar& f = fitted.LabelList.back();
            const Printed test(sheetPdf, paper, pr);
            for (const Scale& k : Scales) {
                const QPointF at = edgeMiddle(f, k);
                // Short, clear of the rulers' numbers beside the sheet's edges.
                const Patch p = test.around(at, k.across, 0.6, 1);
                const std::vector<double> lines = lineCentres(profile(p, k.across, 0.45));
                ASSERT_EQ(lines.size(), 1u);
                const RealAxis& real = k.across ? sheet.across : sheet.down;
                const int label = k.across ? (k.lastColumn ? s.Columns - 1 : 0) : (k.lastRow ? s.Rows - 1 : 0);
                EXPECT_NEAR(test.paperAt(p, lines[0], k.across), real.edge(label, k.far), 0.25)
                    << (k.across ? "across " : "down ") << (k.far ? "far" : "near") << " edge of label " << label + 1;
            }
        }
}

TEST(TpltoolAlignment, RefusalsSayWhyAndWriteNothing)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.LabelList.push_back(*style("A4 10", 210, 297, 91, 55, 2, 5, 1.0, 11, 0, 0));
    set.LabelList.push_back(*style("flat", 0, 297, 91, 55, 2, 5, 1.0, 11, 0, 0));
    set.LabelList.push_back(*style("tight", 210, 297, 91, 55, 2, 5, 14, 20, 0, 0));
    set.FileName = dir.filePath(QStringLiteral("in.tpl"));
    set.Save();
    const QString in = set.FileName, out = dir.filePath(QStringLiteral("out.tpl")), pdf = dir.filePath("x.pdf");
    const QString zeros = QStringLiteral("0,0,0,0,0,0,0,0");
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"align", in, out, "--style", "1", "--readings", "0,0,x,0,0,0,0,0"}, 1, "reading 3 'x' is not a number"},
        {{"align", in, out, "--style", "1", "--readings", "0,0,0,0,0,0,0,3.25"}, 1, "reading 8 '3.25' is beyond the scales' ±3 mm"},
        {{"align", in, out, "--style", "1", "--readings", "-1.5,0,0,0,-1.5,0,0,0"}, 1, "the left margin would be below 0 mm"},
        {{"align", in, out, "--style", "3", "--readings", "0,0,0,0,0,3,0,2.5"}, 1, "the labels would leave the sheet down"},
        {{"align", in, out, "--style", "2", "--readings", zeros}, 1, "the style has no sheet or no labels"},
        {{"align", in, out, "--style", "1", "--readings", "0,0,0"}, 2, "--readings takes the eight readings"},
        {{"align", in, out, "--readings", zeros}, 2, "name one style with --style"},
        {{"align", in, out, "--style", "B5", "--readings", zeros}, 2, "has no style 'B5'"},
        {{"alignment-sheet", in, pdf, "--style", "2"}, 1, "the sheet's width and height must both be above 0"},
        {{"alignment-sheet", in, pdf, "--style", "1", "--scale", "110,100"}, 2, "scale 110.00 % is outside 95 to 105 %"},
        {{"alignment-sheet", in, pdf}, 2, "name one style with --style"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = tpltool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(pdf));
    }
}
