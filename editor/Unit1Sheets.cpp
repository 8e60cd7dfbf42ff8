// The test sheet commands: PDF export and test printing of the values in the fields, the
// printer calibration, styles corrected for a printer and the fields aligned to real labels.
#include "editor/Unit1.h"

#include "editor/AlignmentDialog.h"
#include "editor/CalibrationDialog.h"
#include "editor/FieldMap.h"
#include "editor/FileMessages.h"
#include "editor/GroupNameEdit.h"
#include "editor/TestPrint.h"
#include "labeldata/Calibration.h"
#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "labeldata/SheetFit.h"
#include "labeldata/StyleFields.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "sheet/PdfExport.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QPrinter>

namespace {

QString problemText(sheet::SheetProblem problem)
{
    switch (problem) {
    case sheet::SheetProblem::NoSheet:
        return QStringLiteral("台紙の幅と高さは、どちらも 0 より大きくしてください。");
    case sheet::SheetProblem::NoLabels:
        return QStringLiteral("行と列は、どちらも 1 以上にしてください。");
    default:
        return QStringLiteral("ラベルが多すぎます。テストシートにできるのは %L1 個までです。").arg(sheet::MaxLabels);
    }
}

// "スタイル「A4」: " before a message about one of several pages.
QString pagePrefix(const sheet::SheetPage& page, bool named)
{
    return named ? QStringLiteral("スタイル「%1」: ").arg(page.titles.style) : QString();
}

} // namespace

Tlabelpar TForm1::fieldStyle()
{
    Tlabelpar style;
    StoreFields(style);
    return style;
}

bool TForm1::sheetPagesUsable(const std::vector<sheet::SheetPage>& pages, bool named, const QString& notMade)
{
    for (const sheet::SheetPage& page : pages) {
        const sheet::SheetProblem problem = sheet::problemOf(page.style);
        if (problem != sheet::SheetProblem::None) {
            showMessage(pagePrefix(page, named) + problemText(problem) + notMade);
            return false;
        }
    }
    // One question for the whole set: the first page that overflows speaks for the rest.
    for (const sheet::SheetPage& page : pages) {
        const labeldata::SheetFit fit = labeldata::sheetFit(page.style);
        if (!fit.fits())
            return askYesNo(pagePrefix(page, named)
                            + QStringLiteral("ラベルが台紙に収まりません（横に %1 mm、縦に %2 mm はみ出します）。続けますか?")
                                  .arg(fit.overflowAcross, 0, 'f', 2)
                                  .arg(fit.overflowDown, 0, 'f', 2));
    }
    return true;
}

void TForm1::FileExportPdf1Execute()
{
    // Named after the template file, beside it.
    const QFileInfo file(Datatree->FileName);
    PdfDialog->FileName = Datatree->FileName.isEmpty()
        ? QDir::current().absoluteFilePath(QStringLiteral("テストシート.pdf"))
        : file.absoluteDir().absoluteFilePath(file.completeBaseName() + QStringLiteral(".pdf"));
    const bool offerAll = !Datatree->LabelList.empty();
    PdfDialog->CheckBoxCaption = offerAll ? QStringLiteral("すべてのスタイル") : QString();
    if (!offerAll)
        PdfDialog->Checked = false;
    if (PdfDialog->Execute(this))
        FileExportPdf1Accept(PdfDialog->FileName, PdfDialog->Checked);
}

void TForm1::FileExportPdf1Accept(const QString& fileName, bool allStyles)
{
    QString path = fileName;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += QStringLiteral(".pdf");
    const QString group = Edit11->text();
    std::vector<sheet::SheetPage> pages;
    if (allStyles) {
        pages.reserve(Datatree->LabelList.size());
        for (const auto& style : Datatree->LabelList)
            pages.push_back({style, {group, cp932::visibleText(style.Name)}});
    } else {
        pages.push_back({fieldStyle(), {group, ComboBox1->currentText()}});
    }
    if (pages.empty() || !sheetPagesUsable(pages, allStyles))
        return;
    withFileMessages([&] { sheet::writeTestSheetPdf(path, pages); });
}

void TForm1::FileTestPrint1Execute()
{
    const sheet::SheetPage page{fieldStyle(), {Edit11->text(), ComboBox1->currentText()}};
    if (!sheetPagesUsable({page}, false))
        return;
    if (!Printer)
        Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    execTestPrint(*Printer, page.style, page.titles, this);
}

void TForm1::FileCalibrate1Execute()
{
    TCalibrationDialog dialog(systemPrinters(), this);
    showSettingsDamage();
    dialog.exec();
}

void TForm1::FileAddCorrected1Execute()
{
    // The system's printers and those calibrated before, which may be on another machine.
    QStringList printers = systemPrinters();
    for (const QString& name : settings::calibratedPrinters())
        if (!printers.contains(name))
            printers << name;
    showSettingsDamage();
    if (printers.isEmpty()) {
        showMessage(QStringLiteral("補正したプリンターがありません。先に「プリンターの補正」で補正を保存してください。"));
        return;
    }
    QInputDialog choice(this);
    choice.setObjectName(QStringLiteral("PrinterChoice"));
    choice.setWindowTitle(QStringLiteral("補正したスタイルを追加"));
    choice.setLabelText(QStringLiteral("どのプリンターの補正で直しますか?"));
    choice.setComboBoxItems(printers);
    choice.setComboBoxEditable(false);
    if (choice.exec() != QDialog::Accepted)
        return;
    const QString printer = choice.textValue();
    const labeldata::Calibration calibration = settings::loadCalibration(printer);
    const labeldata::CorrectedStyle corrected = labeldata::correctedStyle(fieldStyle(), calibration);
    if (!corrected.ok()) {
        const QString why = corrected.problem == labeldata::CorrectionProblem::NegativeLength
            ? QStringLiteral("補正すると%1の余白が 0 mm より小さくなります。").arg(corrected.across ? QStringLiteral("左") : QStringLiteral("上"))
            : QStringLiteral("補正すると長さが %1 mm を超えます。").arg(labeldata::LengthMax);
        showMessage(why + QStringLiteral("スタイルは追加しませんでした。"));
        return;
    }
    Tlabelpar style = corrected.style;
    style.Name = labeldata::makeStyleName(QStringLiteral("%1 (%2)").arg(ComboBox1->currentText(), printer).trimmed());
    addStyles({style});
    if (corrected.rotationMissed > labeldata::CorrectionTolerance)
        showMessage(QStringLiteral("スタイルには回転を入れられないため、このプリンターの回転 (%1°) は補正していません。"
                                   "ラベルの右下の角が %2 mm ずれます。回転も補正するには、このプログラムのテスト印刷を使ってください。")
                        .arg(QString::number(calibration.rotation, 'f', 3), QString::number(corrected.rotationMissed, 'f', 2)));
}

void TForm1::FileAlign1Execute()
{
    const sheet::SheetPage page{fieldStyle(), {Edit11->text(), ComboBox1->currentText()}};
    if (!sheetPagesUsable({page}, false))
        return;
    TAlignmentDialog dialog(page.style, page.titles, systemPrinters(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Into the fields as if typed; "U" stores them in the style.
    const Tlabelpar& aligned = dialog.alignedStyle();
    for (const FieldBinding& b : FieldMap) {
        const labeldata::StyleField& f = labeldata::StyleFields[size_t(b.field)];
        if (b.length && MmToMil(aligned.*f.length) != MmToMil(page.style.*f.length))
            (this->*b.length)->SetValue(aligned.*f.length);
    }
}
