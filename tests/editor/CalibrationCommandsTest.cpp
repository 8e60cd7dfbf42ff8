// "プリンターの補正" and "補正したスタイルを追加": the correction from four measured distances,
// stored per printer, and the fields as a style corrected for a printer.
#include "editor/CalibrationDialog.h"
#include "editor/TestPrint.h"
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "sheet/Calibration.h"
#include "EditorTestSupport.h"
#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

namespace {

struct CalibrationCommands : ::testing::Test {
    QTemporaryDir dir;
    QTemporaryDir settingsHome;
    CalibrationCommands() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome.path()); }
};

const QString Printer = QStringLiteral("Label Printer");

void typeMarks(TCalibrationDialog& d, const QStringList& marks)
{
    TUpdownNumberEdit* fields[] = {d.EditLeft, d.EditRight, d.EditTop, d.EditBottom};
    for (int i = 0; i < 4; ++i)
        typeOver(fields[i], marks[i]);
}

void clickOk(TCalibrationDialog& d)
{
    d.Buttons->button(QDialogButtonBox::Ok)->click();
}

} // namespace

TEST_F(CalibrationCommands, TypedDistancesShowTheCorrectionThatOkStoresForThePrinterAndPrintingUses)
{
    TCalibrationDialog d({Printer});
    d.show();
    EXPECT_EQ(d.printerName(), Printer);
    EXPECT_EQ(d.paper(), QSizeF(210, 297)); // a printer the system does not know: A4
    EXPECT_FALSE(d.LabelNoPrinter->isVisibleTo(&d));
    // Nothing stored yet: the fields hold where a perfect printer puts the crosses.
    EXPECT_TRUE(d.LabelResult->text().contains(QStringLiteral("横: 位置 0.00 mm、倍率 100.00 %")));

    // A printer that puts p at 0.5 + 1.001 p across and −0.3 + 0.998 p down.
    typeMarks(d, {QStringLiteral("10.51"), QStringLiteral("200.70"), QStringLiteral("9.68"), QStringLiteral("286.13")});
    EXPECT_TRUE(d.LabelResult->text().contains(QStringLiteral("横: 位置 -0.50 mm、倍率 99.90 %"))) << d.LabelResult->text().toStdString();
    EXPECT_TRUE(d.LabelResult->text().contains(QStringLiteral("縦: 位置 0.30 mm、倍率 100.20 %"))) << d.LabelResult->text().toStdString();
    clickOk(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const sheet::Calibration stored = sheet::loadCalibration(Printer);
    EXPECT_NEAR(stored.offsetX, -0.4995, 0.001);
    EXPECT_NEAR(stored.scaleX, 99.900, 0.001);
    EXPECT_NEAR(stored.offsetY, 0.3006, 0.001);
    EXPECT_NEAR(stored.scaleY, 100.199, 0.001);

    // The print dialog's section shows it for that printer, and its button opens the dialog there.
    TCalibrationPanel panel;
    panel.showPrinter(Printer);
    EXPECT_NEAR(panel.calibration().offsetX, stored.offsetX, 0.005);
    EXPECT_NEAR(panel.calibration().scaleY, stored.scaleY, 0.005);
    QString opened;
    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        auto* dialog = qobject_cast<TCalibrationDialog*>(w);
        opened = dialog ? dialog->printerName() : QStringLiteral("<not the dialog>");
        // Opened again, the fields give back what is stored; Reset gives none.
        if (dialog) {
            EXPECT_TRUE(dialog->LabelResult->text().contains(QStringLiteral("縦: 位置 0.30 mm、倍率 100.20 %")));
            dialog->ButtonReset->click();
            dialog->Buttons->button(QDialogButtonBox::Ok)->click();
        }
    });
    panel.ButtonCalibrate->click();
    EXPECT_EQ(opened, Printer);
    EXPECT_EQ(sheet::loadCalibration(Printer), sheet::Calibration{});
    EXPECT_EQ(panel.calibration(), sheet::Calibration{});

    // Cancel stores nothing.
    sheet::saveCalibration(Printer, stored);
    TCalibrationDialog again({Printer});
    typeMarks(again, {QStringLiteral("11"), QStringLiteral("201"), QStringLiteral("11"), QStringLiteral("288")});
    again.Buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(sheet::loadCalibration(Printer), stored);
}

TEST_F(CalibrationCommands, EachKindOfBadInputSaysWhyAndStoresNothing)
{
    const struct {
        QStringList marks;
        const char* message;
    } cases[] = {
        {{"", "200", "10", "287"}, "「左」に、測った長さを mm で入力してください。"},
        {{"10", "200", "10", ""}, "「下」に、測った長さを mm で入力してください。"},
        {{"10", "0", "10", "287"}, "「右」に、測った長さを mm で入力してください。"},
        {{"10", "10", "10", "287"}, "「右」は「左」より大きな値にしてください。"},
        {{"10", "200", "290", "287"}, "「下」は「上」より大きな値にしてください。"},
        {{"10", "215", "10", "287"}, "横の倍率が 92.68 % になり、95 ～ 105 % の範囲を超えます。用紙と測った長さを確かめてください。"},
        {{"10", "200", "31", "308"}, "縦の位置が -21.00 mm になり、±20 mm の範囲を超えます。測った長さを確かめてください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marks.join(QLatin1Char(' ')).toStdString());
        TCalibrationDialog d({Printer});
        d.show();
        typeMarks(d, c.marks);
        const QString message = QString::fromUtf8(c.message);
        EXPECT_EQ(d.LabelResult->text(), message) << d.LabelResult->text().toStdString() << " / " << message.toStdString();
        ModalCatcher catcher;
        clickOk(d);
        EXPECT_EQ(catcher.Texts, QStringList{message + QStringLiteral("補正は保存しませんでした。")});
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(sheet::calibratedPrinters().isEmpty());
    }

    // No printer at all: says so, offers the page as a PDF, stores nothing.
    TCalibrationDialog none({});
    EXPECT_TRUE(none.LabelNoPrinter->isVisibleTo(&none));
    EXPECT_FALSE(none.ButtonPrint->isEnabled());
    EXPECT_TRUE(none.ButtonPdf->isEnabled());
    EXPECT_FALSE(none.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(CalibrationCommands, AddCorrectedStyleAddsOneCorrectedStyleNamedForThePrinter)
{
    auto form = newWindow();
    const QString file = dir.filePath(QStringLiteral("set.tpl"));
    writeFile(file, workedExampleBytes());
    form->FileOpen1Accept(file);
    ASSERT_EQ(form->Datatree->LabelList.size(), 1u);
    ASSERT_FALSE(form->hasUnsavedChanges());

    // Before any printer is calibrated there is nothing to correct with.
    {
        ModalCatcher catcher;
        form->FileAddCorrected1->trigger();
        EXPECT_EQ(catcher.Texts,
                  QStringList{QStringLiteral("補正したプリンターがありません。先に「プリンターの補正」で補正を保存してください。")});
        EXPECT_EQ(form->Datatree->LabelList.size(), 1u);
    }

    sheet::saveCalibration(Printer, {1.5, -0.7, 101, 99});
    QStringList offered;
    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        auto* choice = qobject_cast<QInputDialog*>(w);
        if (!choice) {
            w->close();
            return;
        }
        offered = choice->comboBoxItems();
        choice->setTextValue(Printer);
        choice->accept();
    });
    form->FileAddCorrected1->trigger();
    EXPECT_EQ(offered, QStringList{Printer});
    ASSERT_EQ(form->Datatree->LabelList.size(), 2u);
    const Tlabelpar& s = *form->Datatree->LabelList.back();
    EXPECT_EQ(cp932::visibleText(s.Name), QStringLiteral("A4 (Label Printer)"));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("A4 (Label Printer)"));
    EXPECT_TRUE(form->hasUnsavedChanges());
    const Tlabelpar& o = *form->Datatree->LabelList.front();
    const double step = 0.0254;
    EXPECT_NEAR(s.LeftMargin, 1.5 + 1.01 * o.LeftMargin, step);
    EXPECT_NEAR(s.TopMargin, -0.7 + 0.99 * o.TopMargin, step);
    EXPECT_NEAR(s.LabelWidth, 1.01 * o.LabelWidth, step);
    EXPECT_NEAR(s.LabelHeight, 0.99 * o.LabelHeight, step);
    // The fields show the stored lengths to two decimals.
    EXPECT_NEAR(s.SheetWidth, o.SheetWidth, 0.005);
    EXPECT_NEAR(s.SheetHeight, o.SheetHeight, 0.005);
    EXPECT_EQ(s.Rows, o.Rows);
    EXPECT_EQ(s.Columns, o.Columns);
    EXPECT_NEAR(s.LeftMargin + s.Columns * s.LabelWidth + (s.Columns - 1) * s.HorizontalSpacing + s.RightMargin,
                s.SheetWidth, step);
}
