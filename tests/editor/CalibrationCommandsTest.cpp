// "プリンターの補正" and "補正したスタイルを追加": the correction from four measured distances,
// stored per printer, and the fields as a style corrected for a printer.
#include "editor/CalibrationDialog.h"
#include "editor/TestPrint.h"
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "EditorTestSupport.h"
#include "ModalCatcher.h"
#include "TemporarySettings.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

struct CalibrationCommands : ::testing::Test {
    QTemporaryDir dir;
    TemporarySettings settingsHome;
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
    const sheet::Calibration stored = settings::loadCalibration(Printer);
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
    EXPECT_EQ(settings::loadCalibration(Printer), sheet::Calibration{});
    EXPECT_EQ(panel.calibration(), sheet::Calibration{});

    // Cancel stores nothing.
    settings::saveCalibration(Printer, stored);
    TCalibrationDialog again({Printer});
    typeMarks(again, {QStringLiteral("11"), QStringLiteral("201"), QStringLiteral("11"), QStringLiteral("288")});
    again.Buttons->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(settings::loadCalibration(Printer), stored);
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
        // A page printed with a viewer's "fit to page": 97 % both ways.
        {{"9.7", "194", "9.7", "278"},
         "補正ページが 97.00 % に縮小して印刷されています。「ページに合わせる」ではなく「実際のサイズ」(100 %) で印刷し、測り直してください。"},
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
        EXPECT_TRUE(settings::calibratedPrinters().isEmpty());
    }

    // No printer at all: says so, offers the page as a PDF, stores nothing.
    TCalibrationDialog none({});
    EXPECT_TRUE(none.LabelNoPrinter->isVisibleTo(&none));
    EXPECT_FALSE(none.ButtonPrint->isEnabled());
    EXPECT_TRUE(none.ButtonPdf->isEnabled());
    EXPECT_FALSE(none.Buttons->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(CalibrationCommands, EightDistancesShowTheRotationAndTheResidualAndOkStoresTheRotation)
{
    // A printer whose correction turns the page 0.2° clockwise.
    const sheet::Calibration printer{0.5, -0.3, 100.1, 99.8, 0.2};
    const labeldata::CalibrationCrosses crosses = labeldata::printedCrosses(printer, 210, 297);
    const struct {
        const char* what;
        int misread; // which distance is 0.6 mm off, or -1
        bool warns;
    } cases[] = {{"measured well", -1, false}, {"upper-right vertical line misread", 1, true},
                 {"lower-left horizontal line misread", 6, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TCalibrationDialog d({Printer});
        d.show();
        EXPECT_TRUE(d.RadioFour->isChecked());
        EXPECT_FALSE(d.EditX[0]->isVisible());
        d.RadioEight->click();
        EXPECT_TRUE(d.EditX[0]->isVisible());
        EXPECT_FALSE(d.EditLeft->isVisible());
        for (int k = 0; k < 8; ++k) {
            const double v = (k < 4 ? crosses.x[k] : crosses.y[k - 4]) + (k == c.misread ? 0.6 : 0);
            typeOver(k < 4 ? d.EditX[k] : d.EditY[k - 4], QString::number(v, 'f', 2));
        }
        const QString result = d.LabelResult->text();
        EXPECT_TRUE(result.contains(QStringLiteral("回転: 右回りに 0."))) << result.toStdString();
        EXPECT_TRUE(result.contains(QStringLiteral("°、用紙の右下の角で 1."))) << result.toStdString();
        EXPECT_TRUE(result.contains(QStringLiteral("残差 (測った長さと補正の最大の差): "))) << result.toStdString();
        EXPECT_EQ(result.contains(QStringLiteral("十字を測り直してください。")), c.warns) << result.toStdString();
        clickOk(d);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        const sheet::Calibration stored = settings::loadCalibration(Printer);
        if (!c.warns) {
            EXPECT_NEAR(stored.rotation, printer.rotation, 0.005);
            EXPECT_NEAR(stored.offsetX, printer.offsetX, 0.01);
            EXPECT_NEAR(stored.scaleY, printer.scaleY, 0.01);
        }
        EXPECT_GT(stored.rotation, 0.1);
    }

    // A corrected style cannot turn: its message says how far the labels stay off.
    auto form = newWindow();
    const QString file = dir.filePath(QStringLiteral("set.tpl"));
    writeFile(file, workedExampleBytes());
    form->FileOpen1Accept(file);
    settings::saveCalibration(Printer, printer);
    QStringList said;
    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        if (auto* choice = qobject_cast<QInputDialog*>(w)) {
            choice->setTextValue(Printer);
            choice->accept();
        } else {
            w->close();
        }
    });
    answers.then([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        said << (box ? box->text() : QStringLiteral("<not a message>"));
        w->close();
    });
    form->FileAddCorrected1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    ASSERT_EQ(form->Datatree->LabelList.size(), 2u);
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said[0].contains(QStringLiteral("このプリンターの回転 (0.200°) は補正していません。ラベルの右下の角が ")))
        << said[0].toStdString();
}

TEST_F(CalibrationCommands, ADamagedSettingsFileIsReportedOnceAndLeftAlone)
{
    const std::string damaged = "[printers]\nLabel%20Printer\\offset_x_mm=3\nnot a setting\n";
    QDir().mkpath(QFileInfo(settingsHome.filePath()).absolutePath());
    writeFile(settingsHome.filePath(), damaged);
    auto form = newWindow();
    QStringList seen;
    ModalAnswers answers;
    for (int i = 0; i < 3; ++i)
        answers.then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            seen << (box ? box->text() : w->objectName());
            w->close();
        });
    // Each time: the printer question, or that no printer has a correction.
    form->FileAddCorrected1->trigger();
    form->FileAddCorrected1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    ASSERT_EQ(seen.size(), 3);
    const QString said = QStringLiteral("設定ファイル '%1' の 3 行目が読めません。プリンターの補正はないものとして続けます。"
                                      "新しい補正を保存するまで、このファイルは書き換えません。")
                           .arg(settingsHome.filePath());
    EXPECT_EQ(seen[0], said);
    EXPECT_EQ(seen.count(said), 1);
    EXPECT_EQ(readFile(settingsHome.filePath()), damaged);
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

    settings::saveCalibration(Printer, {1.5, -0.7, 101, 99});
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
    const Tlabelpar& s = form->Datatree->LabelList.back();
    EXPECT_EQ(cp932::visibleText(s.Name), QStringLiteral("A4 (Label Printer)"));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("A4 (Label Printer)"));
    EXPECT_TRUE(form->hasUnsavedChanges());
    const Tlabelpar& o = form->Datatree->LabelList.front();
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
