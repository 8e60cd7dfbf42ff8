// The File menu's test sheet commands: PDF export and test printing of the values in the fields.
#include "editor/GroupNameEdit.h"
#include "editor/TestPrint.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "sheet/PdfExport.h"
#include "toolkit/Application.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"
#include "PdfProbe.h"
#include "TemporarySettings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

namespace {

struct TestSheetCommands : ::testing::Test {
    QTemporaryDir dir;
    TemporarySettings settingsHome;
    QString path(const QString& name) const { return dir.filePath(name); }
};

// Answers a Yes/No question, keeping its text.
void answerQuestion(ModalAnswers& answers, bool yes)
{
    answers.then([&answers, yes](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) {
            answers.messages.push_back(QStringLiteral("<not a question>"));
            w->close();
            return;
        }
        answers.messages.push_back(box->text());
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
}

// The PDF save dialog: tick "すべてのスタイル" or not, and choose path.
void answerPdfDialog(ModalAnswers& answers, const QString& path, bool allStyles)
{
    answers.then([&answers, path, allStyles](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        answers.dialogStartNames.push_back(dialog ? dialog->selectedFiles().value(0) : QString());
        auto* all = w->findChild<QCheckBox*>(QStringLiteral("CheckBox"));
        if (!dialog || (allStyles && !all)) {
            w->close();
            return;
        }
        if (all)
            all->setChecked(allStyles);
        dialog->selectFile(path);
        // As in ModalAnswers::file: the name box counts whether or not it has the focus yet.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

const QString kOverflowAcross = QStringLiteral("ラベルが台紙に収まりません（横に 91.00 mm、縦に 0.00 mm はみ出します）。続けますか?");

} // namespace

TEST_F(TestSheetCommands, LabelsOffTheSheetAskFirstAndNoWritesOrPrintsNothing)
{
    struct Case {
        const char* name;
        bool print;
        bool yes;
    } cases[]{{"PDF, No", false, false}, {"PDF, Yes", false, true}, {"print, No", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = newWindow();
        form->SpinEdit2->SetValue(3); // three 91 mm columns on 210 mm: 91 mm too wide
        const QString pdf = path(QStringLiteral("%1.pdf").arg(c.name));
        ModalAnswers answers;
        if (!c.print)
            answerPdfDialog(answers, pdf, false);
        answerQuestion(answers, c.yes);
        answers.then([](QWidget* w) { w->close(); }); // a print dialog, which must not come
        (c.print ? form->TestPrint1 : form->ExportPdf1)->trigger();
        EXPECT_EQ(answers.messages, std::vector<QString>{kOverflowAcross});
        EXPECT_EQ(answers.pending(), 1u);
        EXPECT_EQ(QFile::exists(pdf), c.yes);
    }
}

TEST_F(TestSheetCommands, FieldsThatMakeNoSheetAreRefusedWithAReason)
{
    const QString noSheet = QStringLiteral("台紙の幅と高さは、どちらも 0 より大きくしてください。テストシートは作りませんでした。");
    const QString noLabels = QStringLiteral("行と列は、どちらも 1 以上にしてください。テストシートは作りませんでした。");
    struct Case {
        const char* name;
        std::function<void(TForm1&)> edit;
        bool print;
        QString message;
    } cases[]{
        {"both sheet sizes 0", [](TForm1& f) { f.UpdownNumberEdit1->SetValue(0); f.UpdownNumberEdit2->SetValue(0); },
         false, noSheet},
        {"rows 0 being typed", [](TForm1& f) { f.SpinEdit1->setText(QStringLiteral("0")); }, false, noLabels},
        {"columns 0 being typed", [](TForm1& f) { f.SpinEdit2->setText(QStringLiteral("0")); }, false, noLabels},
        {"printing, sheet 0", [](TForm1& f) { f.UpdownNumberEdit1->SetValue(0); f.UpdownNumberEdit2->SetValue(0); },
         true, noSheet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = newWindow();
        c.edit(*form);
        const QString pdf = path(QStringLiteral("refused.pdf"));
        ModalAnswers answers;
        if (!c.print)
            answerPdfDialog(answers, pdf, false);
        answers.message();
        (c.print ? form->TestPrint1 : form->ExportPdf1)->trigger();
        EXPECT_EQ(answers.messages, std::vector<QString>{c.message});
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST_F(TestSheetCommands, AnUnwritablePathNamesTheFileAndKeepsTheOldOne)
{
    auto form = newWindow();
    // Too long for the temporary file beside it, even for root.
    const QString longName = path(QString(250, QLatin1Char('p')) + QStringLiteral(".pdf"));
    {
        QFile old(longName);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QString missing = path(QStringLiteral("missing/sheet.pdf"));
    for (const QString& target : {longName, missing}) {
        ModalAnswers answers;
        answers.message();
        runGuarded([&] { form->FileExportPdf1Accept(target, false); });
        ASSERT_EQ(answers.messages.size(), 1u);
        const QString& text = answers.messages[0];
        EXPECT_TRUE(text.startsWith(QStringLiteral("ファイル '%1' ").arg(target)) && text.contains(QStringLiteral("ません: ")))
            << text.toStdString();
    }
    EXPECT_EQ(QString::fromStdString(readFile(longName)), QStringLiteral("old"));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(TestSheetCommands, ExportsTheFieldsOrEveryStyleNamedAfterTheTemplate)
{
    Tdatatree set;
    set.GroupName = std::string("G\0", 2);
    for (auto [w, h] : {std::pair{210.0, 297.0}, {100.0, 148.0}, {25.4, 25.4}}) {
        auto s = std::make_unique<Tlabelpar>();
        s->Name = std::string("S\0", 2);
        s->SheetWidth = w;
        s->SheetHeight = h;
        s->LabelWidth = s->LabelHeight = 10;
        s->Rows = s->Columns = 1;
        set.LabelList.push_back(std::move(*s));
    }
    set.FileName = path(QStringLiteral("sheets.tpl"));
    set.Save();
    auto form = newWindow();
    form->FileOpen1Accept(set.FileName);
    form->UpdownNumberEdit1->SetValue(211); // edited, not stored

    ModalAnswers answers;
    answerPdfDialog(answers, path(QStringLiteral("fields")), false);
    answerPdfDialog(answers, path(QStringLiteral("all.pdf")), true);
    form->ExportPdf1->trigger();
    form->ExportPdf1->trigger();
    EXPECT_EQ(answers.dialogStartNames, (std::vector<QString>{path(QStringLiteral("sheets.pdf")),
                                                              path(QStringLiteral("sheets.pdf"))}));
    const auto fields = pdfprobe::pageSizes(path(QStringLiteral("fields.pdf")));
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_NEAR(fields[0].width(), 211, 0.01);
    const auto all = pdfprobe::pageSizes(path(QStringLiteral("all.pdf")));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_NEAR(all[0].width(), 210, 0.01);
    EXPECT_NEAR(all[1].height(), 148, 0.01);
    EXPECT_NEAR(all[2].width(), 25.4, 0.01);
}

TEST_F(TestSheetCommands, PrintingMovesEveryMarkByTheCalibrationAndThePdfStaysUncorrected)
{
    Tlabelpar s;
    s.SheetWidth = 210, s.SheetHeight = 297, s.LabelWidth = 63.5, s.LabelHeight = 38.1;
    s.Columns = 3, s.Rows = 7, s.LeftMargin = 7.21, s.TopMargin = 15.15, s.RightMargin = 7.21;
    s.BottomMargin = 15.15, s.HorizontalSpacing = 2.54, s.VerticalSpacing = 0;
    const QString exported = path(QStringLiteral("export.pdf"));
    sheet::writeTestSheetPdf(exported, {{s, {}}});
    const pdfprobe::Raster plain = pdfprobe::rasterise(exported);
    ASSERT_GT(plain.width, 0);
    // Label edges, margin lines and the rulers' 10 and 100 mm marks.
    std::vector<double> xs{s.LeftMargin, s.SheetWidth - s.RightMargin}, ys{s.TopMargin, s.SheetHeight - s.BottomMargin};
    for (int j = 0; j < s.Columns; ++j)
        for (double x0 = s.LeftMargin + j * (s.LabelWidth + s.HorizontalSpacing); double x : {x0, x0 + s.LabelWidth})
            xs.push_back(x);
    for (int i = 1; i < s.Rows; ++i)
        ys.push_back(s.TopMargin + i * s.LabelHeight);
    const double midY = s.TopMargin + s.LabelHeight / 2, midX = s.LeftMargin + s.LabelWidth / 2;
    const double farY = s.SheetHeight - s.BottomMargin - s.LabelHeight / 2, farX = s.SheetWidth - s.RightMargin - s.LabelWidth / 2;
    for (double x : xs)
        EXPECT_NEAR(plain.verticalLine(x, midY - 10, midY + 10), x, 0.1) << "x " << x;
    for (double y : ys)
        EXPECT_NEAR(plain.horizontalLine(y, midX - 10, midX + 10), y, 0.1) << "y " << y;
    for (double mark : {10.0, 100.0})
        EXPECT_NEAR(plain.verticalLine(mark, 0.2, 1.4), mark, 0.1) << "ruler " << mark;

    const sheet::Calibration corrections[] = {{1.5, -0.7, 101, 99}, {1.5, -0.7, 101, 99, 0.2}, {-0.8, 1.1, 99.5, 100.4, -0.3}};
    for (const sheet::Calibration& c : corrections) {
        SCOPED_TRACE(testing::Message() << "rotation " << c.rotation);
        const QString printed = path(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printed);
        printer.setPageLayout(sheet::pageLayout(s));
        printTestSheet(printer, s, {}, c);
        const pdfprobe::Raster moved = pdfprobe::rasterise(printed);
        ASSERT_GT(moved.width, 0);
        // printed = offset + rotation × scale × position, turned about the paper's corner.
        const double turn = c.rotation * M_PI / 180;
        auto at = [&](double x, double y) {
            const double sx = c.scaleX / 100 * x, sy = c.scaleY / 100 * y;
            return QPointF(c.offsetX + std::cos(turn) * sx - std::sin(turn) * sy,
                           c.offsetY + std::sin(turn) * sx + std::cos(turn) * sy);
        };
        // A line found over a short stretch around the point it passes through, near the paper's
        // corner and far from it, where a rotation moves it most.
        for (double x : xs)
            for (double y : {midY, farY}) {
                const QPointF p = at(x, y);
                EXPECT_NEAR(moved.verticalLine(p.x(), p.y() - 8, p.y() + 8), p.x(), 0.1) << "x " << x << " at y " << y;
            }
        for (double y : ys)
            for (double x : {midX, farX}) {
                const QPointF p = at(x, y);
                EXPECT_NEAR(moved.horizontalLine(p.y(), p.x() - 8, p.x() + 8), p.y(), 0.1) << "y " << y << " at x " << x;
            }
        for (double mark : {10.0, 100.0}) {
            const QPointF v = at(mark, 0.8), h = at(0.8, mark);
            EXPECT_NEAR(moved.verticalLine(v.x(), v.y() - 0.5, v.y() + 0.5), v.x(), 0.1) << "ruler " << mark;
            EXPECT_NEAR(moved.horizontalLine(h.y(), h.x() - 0.5, h.x() + 0.5), h.y(), 0.1) << "ruler " << mark;
        }
    }
}

TEST_F(TestSheetCommands, ThePrintDialogCarriesTheCalibrationWithoutAnyPrinter)
{
    settings::saveCalibration(QStringLiteral("Label Printer"), {1.5, -0.7, 101, 99});
    auto form = newWindow();
    QString sectionTitle;
    bool fieldsEnabled = true;
    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        auto* panel = w->findChild<TCalibrationPanel*>();
        sectionTitle = panel ? panel->windowTitle() : QString();
        fieldsEnabled = panel && panel->EditOffsetX->isEnabled();
        w->close();
    });
    form->FileTestPrint1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(sectionTitle, QStringLiteral("位置と倍率の補正"));
    EXPECT_FALSE(fieldsEnabled); // output to a file is never corrected

    // OK prints the sheet, at its own size, to the dialog's file.
    ASSERT_TRUE(form->Printer);
    form->Printer->setOutputFileName(path(QStringLiteral("dialog.pdf")));
    form->UpdownNumberEdit1->SetValue(211);
    answers.then([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
    form->FileTestPrint1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    const auto printed = pdfprobe::pageSizes(path(QStringLiteral("dialog.pdf")));
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_NEAR(printed[0].width(), 211, 0.2);
    EXPECT_NEAR(printed[0].height(), 297, 0.2);

    // The section on its own: a printer's values come back, within the dialog's limits.
    TCalibrationPanel panel;
    panel.showPrinter(QStringLiteral("Label Printer"));
    EXPECT_EQ(panel.calibration(), (sheet::Calibration{1.5, -0.7, 101, 99}));
    EXPECT_TRUE(panel.EditOffsetX->isEnabled());
    panel.EditOffsetY->SetValue(-30);
    panel.EditScaleX->SetValue(120);
    EXPECT_EQ(panel.calibration(), (sheet::Calibration{1.5, -20, 105, 99}));
    panel.showPrinter(QStringLiteral("Other"));
    EXPECT_EQ(panel.calibration(), sheet::Calibration{});
}
