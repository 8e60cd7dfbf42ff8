#include "labeldata/Tdatatree.h"

#include "PdfProbe.h"
#include "SimulatedPrinter.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

// The centre of a cross in a patch, in pixels of the stretched page: each line's ink weighed
// between 1 and 4 mm from the centre, clear of the other line.
QPointF crossIn(const Patch& p)
{
    std::vector<double> cols(size_t(p.width), 0), rows(size_t(p.width), 0);
    for (int y = 0; y < p.width; ++y)
        for (int x = 0; x < p.width; ++x) {
            cols[size_t(x)] += p.ink(x, y);
            rows[size_t(y)] += p.ink(x, y);
        }
    const int roughX = int(std::max_element(cols.begin(), cols.end()) - cols.begin());
    const int roughY = int(std::max_element(rows.begin(), rows.end()) - rows.begin());
    auto centre = [&](int rough, int otherRough, bool vertical) {
        double weight = 0, moment = 0;
        for (int at = rough - 50; at <= rough + 50; ++at)
            for (int along = 100; along <= 400; ++along)
                for (int side : {-1, 1}) {
                    const int o = otherRough + side * along;
                    const double ink = vertical ? p.ink(at, o) : p.ink(o, at);
                    weight += ink;
                    moment += ink * (at + 0.5);
                }
        return weight > 0 ? moment / weight : std::nan("");
    };
    return {p.left + centre(roughX, roughY, true), p.top + centre(roughY, roughX, false)};
}

const QPointF Corners[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}}; // left/right, upper/lower

// Where each cross of the page lands on the printer's paper, in millimetres.
std::vector<QPointF> printedCrosses(const QString& pdf, QSizeF paper, const Printer& pr)
{
    const QSizeF stretched = stretchedPage(paper, pr);
    const double sx = stretched.width() / (paper.width() * PxPerMm), sy = stretched.height() / (paper.height() * PxPerMm);
    std::vector<QPointF> found;
    for (const QPointF& c : Corners) {
        const QPointF nominal(c.x() ? paper.width() - 10 : 10, c.y() ? paper.height() - 10 : 10);
        const Patch p = patch(pdf, stretched, {nominal.x() * sx * PxPerMm, nominal.y() * sy * PxPerMm}, 16);
        const QPointF px = crossIn(p);
        found.emplace_back(pr.ax + px.x() / PxPerMm, pr.ay + px.y() / PxPerMm);
    }
    return found;
}

// Every label edge of a direction: lead + j × pitch and that plus the size.
std::vector<double> edges(double lead, double size, double gap, int count)
{
    std::vector<double> e;
    for (int j = 0; j < count; ++j) {
        const double start = lead + j * (size + gap);
        e.push_back(start);
        e.push_back(start + size);
    }
    return e;
}

} // namespace

TEST(TpltoolCalibration, ThePageIsThePaperWithEachCrossAloneAtItsPlace)
{
    const struct {
        const char* paper;
        double width, height;
    } papers[] = {{"A4", 210, 297}, {"A5", 148, 210}, {"B5", 182, 257}, {"Letter", 215.9, 279.4},
                  {"Legal", 215.9, 355.6}, {"100x150", 100, 150}};
    QTemporaryDir dir;
    for (const auto& c : papers) {
        SCOPED_TRACE(c.paper);
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(c.paper)));
        const ToolRun run = tpltool({QStringLiteral("calibration-sheet"), pdf, QStringLiteral("--paper"), QLatin1String(c.paper)});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(pdfprobe::structureProblems(pdf), QString());
        const auto sizes = pdfprobe::pageSizes(pdf);
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_NEAR(sizes[0].width(), c.width, 0.01);
        EXPECT_NEAR(sizes[0].height(), c.height, 0.01);

        const QSizeF paper(c.width, c.height);
        const Printer exact{0, 1, 0, 1};
        const std::vector<QPointF> found = printedCrosses(pdf, paper, exact);
        const QSizeF stretched(std::round(c.width * PxPerMm), std::round(c.height * PxPerMm));
        for (size_t k = 0; k < 4; ++k) {
            const QPointF at(Corners[k].x() ? c.width - 10 : 10, Corners[k].y() ? c.height - 10 : 10);
            SCOPED_TRACE(testing::Message() << "cross at " << at.x() << ", " << at.y());
            EXPECT_NEAR(found[k].x(), at.x(), 0.03);
            EXPECT_NEAR(found[k].y(), at.y(), 0.03);
            // Within its 12 mm square only the cross: two arms of 10 mm, 0.2 mm wide.
            const Patch p = patch(pdf, stretched, at * PxPerMm, 12);
            int strays = 0;
            for (int y = 0; y < p.width; ++y)
                for (int x = 0; x < p.width; ++x) {
                    if (p.ink(x, y) < 64)
                        continue;
                    const double dx = (p.left + x + 0.5) / PxPerMm - at.x(), dy = (p.top + y + 0.5) / PxPerMm - at.y();
                    const bool onArm = (std::fabs(dx) <= 0.12 && std::fabs(dy) <= 5.02)
                        || (std::fabs(dy) <= 0.12 && std::fabs(dx) <= 5.02);
                    strays += onArm ? 0 : 1;
                }
            EXPECT_EQ(strays, 0);
        }
    }
}

TEST(TpltoolCalibration, TheMeasuredCorrectionAndTheCorrectedStylesUndoASimulatedPrinter)
{
    const struct {
        const char* paper;
        double width, height;
    } papers[] = {{"A4", 210, 297}, {"Letter", 215.9, 279.4}, {"A5", 148, 210}};
    const Printer printers[] = {{1.2, 1.004, -0.8, 0.997}, {-2.5, 0.992, 3.1, 1.006}};

    QTemporaryDir dir;
    Tdatatree set;
    set.GroupName = std::string("TEST\0", 5);
    set.LabelList.push_back(*style("A4 10", 210, 297, 91, 55, 2, 5, 14, 11, 0, 0));
    set.LabelList.push_back(*style("A4 24", 210, 297, 64, 33.9, 3, 8, 8.4, 13.1, 2.5, 0));
    set.LabelList.push_back(*style("Letter 30", 215.9, 279.4, 66.675, 25.4, 3, 10, 4.7625, 12.7, 3.175, 0));
    set.LabelList.push_back(*style("A4 65", 210, 297, 38.1, 21.2, 5, 13, 4.65, 10.7, 2.5, 0));
    set.FileName = dir.filePath(QStringLiteral("in.tpl"));
    set.Save();
    Tdatatree original;
    original.FileName = set.FileName;
    ASSERT_EQ(original.Load(), LoadResult::Loaded);

    int round = 0;
    for (const auto& paperCase : papers)
        for (const Printer& pr : printers) {
            SCOPED_TRACE(testing::Message() << paperCase.paper << " printer " << pr.ax << " + " << pr.bx << "x, " << pr.ay
                                            << " + " << pr.by << "y");
            const QSizeF paper(paperCase.width, paperCase.height);
            const QString pdf = dir.filePath(QStringLiteral("page%1.pdf").arg(round));
            ASSERT_EQ(tpltool({QStringLiteral("calibration-sheet"), pdf, QStringLiteral("--paper"),
                               QLatin1String(paperCase.paper)})
                          .status,
                      0);
            const std::vector<QPointF> c = printedCrosses(pdf, paper, pr);
            const double left = (c[0].x() + c[2].x()) / 2, right = (c[1].x() + c[3].x()) / 2;
            const double top = (c[0].y() + c[1].y()) / 2, bottom = (c[2].y() + c[3].y()) / 2;
            const ToolRun calibrate = tpltool({QStringLiteral("calibrate"), QStringLiteral("--paper"),
                                               QLatin1String(paperCase.paper), QStringLiteral("--json"),
                                               QString::number(left, 'f', 4), QString::number(right, 'f', 4),
                                               QString::number(top, 'f', 4), QString::number(bottom, 'f', 4)});
            ASSERT_EQ(calibrate.status, 0) << calibrate.err.toStdString();
            const QJsonObject json = QJsonDocument::fromJson(calibrate.out.toUtf8()).object();
            const double bx = actualScale(paper.width(), pr.bx), by = actualScale(paper.height(), pr.by);
            EXPECT_NEAR(json[QStringLiteral("scale_x")].toDouble(), 100 / bx, 0.01);
            EXPECT_NEAR(json[QStringLiteral("scale_y")].toDouble(), 100 / by, 0.01);
            EXPECT_NEAR(json[QStringLiteral("offset_x")].toDouble(), -pr.ax / bx, 0.02);
            EXPECT_NEAR(json[QStringLiteral("offset_y")].toDouble(), -pr.ay / by, 0.02);
            EXPECT_EQ(json[QStringLiteral("rotation_deg")].toDouble(-1), 0);
            EXPECT_EQ(json[QStringLiteral("residual_mm")].toDouble(-1), 0);
            // Each cross on its own gives the same, no rotation, and distances that agree.
            QStringList eight{QStringLiteral("calibrate"), QStringLiteral("--paper"), QLatin1String(paperCase.paper),
                              QStringLiteral("--json")};
            for (const QPointF& cross : c)
                eight << QString::number(cross.x(), 'f', 4);
            for (const QPointF& cross : c)
                eight << QString::number(cross.y(), 'f', 4);
            const ToolRun each = tpltool(eight);
            ASSERT_EQ(each.status, 0) << each.err.toStdString();
            const QJsonObject fit = QJsonDocument::fromJson(each.out.toUtf8()).object();
            for (const char* key : {"offset_x", "offset_y", "scale_x", "scale_y"})
                EXPECT_NEAR(fit[QLatin1String(key)].toDouble(), json[QLatin1String(key)].toDouble(), 0.02) << key;
            EXPECT_NEAR(fit[QStringLiteral("rotation_deg")].toDouble(-1), 0, 0.005);
            EXPECT_LT(fit[QStringLiteral("residual_mm")].toDouble(-1), 0.03);

            // The styles corrected with what was measured, printed by the same printer uncorrected.
            const QString out = dir.filePath(QStringLiteral("out%1.tpl").arg(round++));
            auto pair = [&](const char* x, const char* y) {
                return QString::number(json[QLatin1String(x)].toDouble(), 'f', 4) + QLatin1Char(',')
                    + QString::number(json[QLatin1String(y)].toDouble(), 'f', 4);
            };
            const ToolRun correct = tpltool({QStringLiteral("correct"), set.FileName, out, QStringLiteral("--offset"),
                                             pair("offset_x", "offset_y"), QStringLiteral("--scale"), pair("scale_x", "scale_y")});
            ASSERT_EQ(correct.status, 0) << correct.err.toStdString();
            Tdatatree corrected;
            corrected.FileName = out;
            ASSERT_EQ(corrected.Load(), LoadResult::Loaded);
            ASSERT_EQ(corrected.LabelList.size(), original.LabelList.size());
            EXPECT_EQ(corrected.GroupName, original.GroupName);
            for (size_t i = 0; i < original.LabelList.size(); ++i) {
                const Tlabelpar& o = original.LabelList[i];
                const Tlabelpar& k = corrected.LabelList[i];
                SCOPED_TRACE(std::string(o.Name));
                EXPECT_EQ(k.Name, o.Name);
                EXPECT_EQ(k.SheetWidth, o.SheetWidth);
                EXPECT_EQ(k.SheetHeight, o.SheetHeight);
                const auto wantX = edges(o.LeftMargin, o.LabelWidth, o.HorizontalSpacing, o.Columns);
                const auto gotX = edges(k.LeftMargin, k.LabelWidth, k.HorizontalSpacing, k.Columns);
                const auto wantY = edges(o.TopMargin, o.LabelHeight, o.VerticalSpacing, o.Rows);
                const auto gotY = edges(k.TopMargin, k.LabelHeight, k.VerticalSpacing, k.Rows);
                double worst = 0;
                for (size_t e = 0; e < wantX.size(); ++e)
                    worst = std::max(worst, std::fabs(pr.ax + bx * gotX[e] - wantX[e]));
                for (size_t e = 0; e < wantY.size(); ++e)
                    worst = std::max(worst, std::fabs(pr.ay + by * gotY[e] - wantY[e]));
                EXPECT_LE(worst, 0.1);
                // The far margins are what the stored grid leaves of the sheet.
                EXPECT_NEAR(k.LeftMargin + k.Columns * k.LabelWidth + (k.Columns - 1) * k.HorizontalSpacing + k.RightMargin,
                            k.SheetWidth, 0.03);
            }
        }
}

TEST(TpltoolCalibration, RefusedCommandLinesSayWhyAndWriteNothing)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.LabelList.push_back(*style("A4 10", 210, 297, 91, 55, 2, 5, 1.0, 11, 0, 0));
    set.FileName = dir.filePath(QStringLiteral("in.tpl"));
    set.Save();
    const QString in = set.FileName, out = dir.filePath(QStringLiteral("out.tpl"));
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"calibrate", "10", "abc", "10", "287"}, 2, "'abc' is not a number"},
        {{"calibrate", "10", "200"}, 2, "four measured distances"},
        {{"calibrate", "10", "9", "10", "287"}, 2, "RIGHT must be more than LEFT"},
        {{"calibrate", "10", "200", "287", "287"}, 2, "BOTTOM must be more than TOP"},
        {{"calibrate", "10", "215", "10", "287"}, 1, "horizontal scale would be 92.68 %"},
        {{"calibrate", "31", "221", "10", "287"}, 1, "horizontal offset would be -21.00 mm"},
        {{"calibrate", "--paper", "A7", "10", "200", "10", "287"}, 2, "unknown paper 'A7'"},
        {{"calibrate", "10", "200", "10", "287", "10"}, 2, "or the eight X1 X2 X3 X4 Y1 Y2 Y3 Y4"},
        {{"calibrate", "10", "200", "10", "9", "10", "10", "287", "287"}, 2, "X4 more than X3"},
        // A page printed with a viewer's "fit to page" comes out at about 97 %.
        {{"calibrate", "9.7", "194.0", "9.7", "278.0"}, 1, "printed reduced (\"fit to page\"); print it at 100 %"},
        {{"calibrate", "9.7", "194.0", "9.7", "194.0", "9.7", "9.7", "278.0", "278.0"}, 1, "\"fit to page\"); print it at 100 %"},
        {{"calibration-sheet", dir.filePath("x.pdf"), "--paper", "50x50"}, 2, "paper of 80 to 1000 mm"},
        {{"correct", in, out, "--offset", "1,2"}, 2, "give both --offset and --scale"},
        {{"correct", in, out, "--offset", "1", "--scale", "100,100"}, 2, "--offset takes two numbers"},
        {{"correct", in, out, "--offset", "0,0", "--scale", "110,100"}, 2, "scale 110.00 % is outside 95 to 105 %"},
        {{"correct", in, out, "--offset", "-2,0", "--scale", "100,100"}, 1, "left margin would be below 0 mm"},
        {{"correct", in, out, "--offset", "0,0", "--scale", "100,100", "--style", "B5"}, 2, "has no style 'B5'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ToolRun run = tpltool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));
    }
}
