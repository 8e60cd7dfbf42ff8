// Printing through a real CUPS queue: the scheduler scripts/test starts, with cups-pdf printers,
// and the program's own print code; what comes out is read back from cups-pdf's PDFs.
#include "editor/TestPrint.h"
#include "settings/Settings.h"
#include "sheet/CalibrationPage.h"
#include "sheet/PdfExport.h"
#include "EditorTestSupport.h"
#include "ModalCatcher.h"
#include "PdfProbe.h"
#include "PrintQueue.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QTransform>

#include <cmath>
#include <functional>

namespace {

struct PrintQueue : ::testing::Test {
    printqueue::TestQueues queues;
    TemporaryHome home;
    QTemporaryDir dir;

    void SetUp() override
    {
        if (!queues.available())
            GTEST_SKIP() << queues.unavailable().toStdString();
    }

    QString printed(const QString& title)
    {
        QString problem;
        const QString pdf = queues.waitForPdf(title, problem);
        EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
        return pdf;
    }
};

Tlabelpar a4Style(double margin)
{
    Tlabelpar s;
    s.SheetWidth = 210, s.SheetHeight = 297, s.LabelWidth = 63.5, s.LabelHeight = 38.1;
    s.Columns = 3, s.Rows = 7, s.HorizontalSpacing = 2.54, s.VerticalSpacing = 0;
    s.LeftMargin = s.RightMargin = (210 - 3 * 63.5 - 2 * 2.54) / 2;
    s.TopMargin = margin;
    s.BottomMargin = 297 - margin - 7 * 38.1;
    return s;
}

// Where a mark's line is looked for: a vertical line near `at` across, seen between `from` and `to`
// down, or a horizontal one near `at` down, seen between `from` and `to` across.
struct Mark {
    bool vertical;
    double at, from, to;
};

// The line's centre as printed: `map` takes millimetres on the page to where the printer puts them.
double find(const pdfprobe::Raster& r, const Mark& m, const std::function<QPointF(QPointF)>& map)
{
    const double middle = (m.from + m.to) / 2, half = (m.to - m.from) / 2;
    const QPointF c = map(m.vertical ? QPointF(m.at, middle) : QPointF(middle, m.at));
    return m.vertical ? r.verticalLine(c.x(), c.y() - half, c.y() + half) : r.horizontalLine(c.y(), c.x() - half, c.x() + half);
}

// Every label's left and right edge in its first row, and every row's top and bottom edge.
std::vector<Mark> labelEdges(const Tlabelpar& s)
{
    std::vector<Mark> marks;
    const double y = s.TopMargin + s.LabelHeight / 2, x = s.LeftMargin + s.LabelWidth / 2;
    for (int j = 0; j < s.Columns; ++j)
        for (double x0 = s.LeftMargin + j * (s.LabelWidth + s.HorizontalSpacing); double edge : {x0, x0 + s.LabelWidth})
            marks.push_back({true, edge, y - 10, y + 10});
    for (int i = 0; i < s.Rows; ++i)
        for (double y0 = s.TopMargin + i * (s.LabelHeight + s.VerticalSpacing); double edge : {y0, y0 + s.LabelHeight})
            marks.push_back({false, edge, x - 10, x + 10});
    return marks;
}

// Each cross's vertical and horizontal line, away from where they meet.
std::vector<Mark> crossLines(const QSizeF& paper)
{
    const labeldata::CalibrationMarks m = labeldata::nominalMarks(paper.width(), paper.height());
    std::vector<Mark> marks;
    for (double cy : {m.top, m.bottom})
        for (double cx : {m.left, m.right}) {
            marks.push_back({true, cx, cy - 4.5, cy - 1});
            marks.push_back({false, cy, cx - 4.5, cx - 1});
        }
    return marks;
}

} // namespace

TEST_F(PrintQueue, PagesComeOutOfTheQueueWhereTheProgramsOwnPdfPutsThem)
{
    const QSizeF a4(210, 297);
    const sheet::CalibrationPageText text{QStringLiteral("A4"), printqueue::Queue, QDate(2026, 1, 2)};
    const Tlabelpar style = a4Style(15.15);
    const sheet::SheetTitles titles{QStringLiteral("G"), QStringLiteral("A4")};
    struct Case {
        const char* name;
        sheet::Calibration correction;
        std::vector<Mark> marks;
        std::function<void(const QString&)> exportPdf;
        std::function<void(QPrinter&)> print; // none: with the correction stored, from the print dialog
    } cases[] = {
        {"calibration page", {}, crossLines(a4),
         [&](const QString& pdf) { sheet::writeCalibrationPagePdf(pdf, a4, text); },
         [&](QPrinter& p) { EXPECT_TRUE(printCalibrationPage(p, a4, text)); }},
        {"test sheet", {}, labelEdges(style),
         [&](const QString& pdf) { sheet::writeTestSheetPdf(pdf, {{style, titles}}); },
         [&](QPrinter& p) { printTestSheet(p, style, titles, {}); }},
        // Stored for the printer, as the print dialog keeps it, and printed from that dialog.
        {"test sheet, corrected", {1.5, -0.7, 101, 99}, labelEdges(style),
         [&](const QString& pdf) { sheet::writeTestSheetPdf(pdf, {{style, titles}}); }, {}},
        {"test sheet, corrected and turned", {1.5, -0.7, 101, 99, 0.2}, labelEdges(style),
         [&](const QString& pdf) { sheet::writeTestSheetPdf(pdf, {{style, titles}}); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString exported = dir.filePath(QStringLiteral("export.pdf"));
        c.exportPdf(exported);
        const QString title = printqueue::jobTitle("page");
        {
            ModalCatcher catcher; // the queue prints the whole page: nothing to ask
            QPrinter printer(QPrinter::HighResolution);
            printer.setPrinterName(printqueue::Queue);
            ASSERT_EQ(printer.printerName(), printqueue::Queue);
            printer.setDocName(title);
            printer.setPageLayout(sheet::pageLayout(style));
            if (c.print) {
                c.print(printer);
            } else {
                settings::saveCalibration(printqueue::Queue, c.correction);
                ModalAnswers answers;
                answers.then([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
                EXPECT_TRUE(execTestPrint(printer, style, titles, nullptr));
            }
            EXPECT_TRUE(catcher.Texts.isEmpty()) << catcher.Texts.join(u'\n').toStdString();
        }
        const QString pdf = printed(title);
        ASSERT_FALSE(pdf.isEmpty());
        const auto sizes = pdfprobe::pageSizes(pdf);
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_NEAR(sizes[0].width(), 210, 0.2);
        EXPECT_NEAR(sizes[0].height(), 297, 0.2);

        const pdfprobe::Raster own = pdfprobe::rasteriseFinely(exported), queued = pdfprobe::rasteriseFinely(pdf);
        ASSERT_GT(own.width, 0);
        ASSERT_GT(queued.width, 0);
        // printed = offset + rotation × scale × position, turned about the paper's corner.
        const QTransform rule = QTransform::fromTranslate(c.correction.offsetX, c.correction.offsetY)
                                       .rotate(c.correction.rotation)
                                       .scale(c.correction.scaleX / 100, c.correction.scaleY / 100);
        const auto corrected = [&rule](QPointF p) { return rule.map(p); };
        const auto uncorrected = [](QPointF p) { return p; };
        for (const Mark& m : c.marks) {
            SCOPED_TRACE(testing::Message() << (m.vertical ? "vertical line at " : "horizontal line at ") << m.at);
            const double unprinted = find(own, m, uncorrected);
            ASSERT_FALSE(std::isnan(unprinted));
            const double middle = (m.from + m.to) / 2;
            const QPointF expected = corrected(m.vertical ? QPointF(unprinted, middle) : QPointF(middle, unprinted));
            EXPECT_NEAR(find(queued, m, corrected), m.vertical ? expected.x() : expected.y(), 0.02);
        }
    }
}

TEST_F(PrintQueue, WhatFallsInThePrintersMarginsIsAskedAboutFirst)
{
    const QString ask3mm = QStringLiteral(
        "プリンター「TesselPDF6mm」は用紙の端 (左 6.00 mm、上 6.00 mm、右 6.00 mm、下 6.00 mm) を印刷できません。"
        "ラベルの枠がそこにかかり、欠けて印刷されます。\n"
        "1 行 1 列のラベル: 上の余白 (6.00 mm) に 3.00 mm 入ります\n"
        "1 行 2 列のラベル: 上の余白 (6.00 mm) に 3.00 mm 入ります\n"
        "1 行 3 列のラベル: 上の余白 (6.00 mm) に 3.00 mm 入ります\n"
        "印刷しますか?");
    const QString askCrosses = QStringLiteral(
        "プリンター「TesselPDF6mm」は用紙の端 (左 6.00 mm、上 6.00 mm、右 6.00 mm、下 6.00 mm) を印刷できません。"
        "補正ページの十字がそこにかかり、欠けて印刷されます。\n"
        "左上の十字: 左の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "左上の十字: 上の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "右上の十字: 上の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "右上の十字: 右の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "左下の十字: 左の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "左下の十字: 下の余白 (6.00 mm) に 1.00 mm 入ります\n"
        "ほか 2 か所\n"
        "印刷しますか?");
    struct Case {
        const char* name;
        QString queue;
        double topMargin; // of the style; 0: the calibration page
        bool yes;
        QString question; // empty: none
        bool alignment = false; // the alignment sheet of the style instead of its test print
    } cases[] = {
        {"3 mm, Yes", printqueue::MarginQueue, 3, true, ask3mm},
        {"3 mm, No", printqueue::MarginQueue, 3, false, ask3mm},
        {"10 mm", printqueue::MarginQueue, 10, true, {}},
        {"3 mm on a printer without margins", printqueue::Queue, 3, true, {}},
        {"calibration page, No", printqueue::MarginQueue, 0, false, askCrosses},
        {"alignment sheet, 3 mm, No", printqueue::MarginQueue, 3, false,
         QString(ask3mm).replace(QStringLiteral("ラベルの枠"), QStringLiteral("位置合わせの目盛り")), true},
        {"alignment sheet, 10 mm", printqueue::MarginQueue, 10, true, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Tlabelpar style = a4Style(c.topMargin);
        const QString title = printqueue::jobTitle("margins");
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(c.queue);
        ASSERT_EQ(printer.printerName(), c.queue);
        printer.setDocName(title);
        ModalAnswers answers;
        bool printedAtAll = false;
        if (c.topMargin > 0 && !c.alignment) {
            // The print dialog as the user leaves it, with the printer's margins in its section.
            answers.then([&](QWidget* w) {
                auto* panel = w->findChild<TCalibrationPanel*>();
                EXPECT_EQ(panel ? panel->LabelMargins->text() : QString(),
                          QStringLiteral("印刷できない用紙の端: %1")
                              .arg(c.queue == printqueue::Queue ? QStringLiteral("左 0.00 mm、上 0.00 mm、右 0.00 mm、下 0.00 mm")
                                                                : QStringLiteral("左 6.00 mm、上 6.00 mm、右 6.00 mm、下 6.00 mm")));
                static_cast<QDialog*>(w)->accept();
            });
        }
        if (!c.question.isEmpty())
            answers.then([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                answers.messages.push_back(box ? box->text() : QStringLiteral("<not a question>"));
                if (box)
                    box->button(c.yes ? QMessageBox::Yes : QMessageBox::No)->click();
                else
                    w->close();
            });
        if (c.alignment)
            printedAtAll = printAlignmentSheet(printer, style, {}, {});
        else if (c.topMargin > 0)
            printedAtAll = execTestPrint(printer, style, {}, nullptr);
        else
            printedAtAll = printCalibrationPage(printer, QSizeF(210, 297), {});
        EXPECT_EQ(answers.pending(), 0u);
        EXPECT_EQ(answers.messages, c.question.isEmpty() ? std::vector<QString>{} : std::vector<QString>{c.question});
        EXPECT_EQ(printedAtAll, c.yes);
        if (c.yes) {
            EXPECT_FALSE(printed(title).isEmpty());
        }
    }
}
