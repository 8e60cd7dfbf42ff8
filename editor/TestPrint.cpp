#include "editor/TestPrint.h"

#include "editor/CalibrationDialog.h"
#include "editor/FileMessages.h"
#include "labeldata/FileError.h"
#include "numberedit/UpdownNumberEdit.h"
#include "sheet/Calibration.h"
#include "toolkit/Application.h"
#include "toolkit/FileIconProvider.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace {

// Paper sizes come in whole points; half a millimetre tells a different paper from that.
constexpr double SamePaper = 0.5;

} // namespace

TCalibrationPanel::TCalibrationPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CalibrationPanel"));
    setWindowTitle(QStringLiteral("位置と倍率の補正"));
    using sheet::OffsetLimit;
    EditOffsetX = numberField(this, "EditOffsetX", -OffsetLimit, OffsetLimit, 0.1L, QStringLiteral("横の位置 (mm)"));
    EditOffsetY = numberField(this, "EditOffsetY", -OffsetLimit, OffsetLimit, 0.1L, QStringLiteral("縦の位置 (mm)"));
    EditScaleX = numberField(this, "EditScaleX", sheet::ScaleMin, sheet::ScaleMax, 0.1L, QStringLiteral("横の倍率 (%)"));
    EditScaleY = numberField(this, "EditScaleY", sheet::ScaleMin, sheet::ScaleMax, 0.1L, QStringLiteral("縦の倍率 (%)"));
    LabelPrinter = new QLabel(this);
    LabelPrinter->setObjectName(QStringLiteral("LabelPrinter"));
    LabelPaperNote = new QLabel(this);
    LabelPaperNote->setObjectName(QStringLiteral("LabelPaperNote"));
    LabelPaperNote->setWordWrap(true);
    LabelPaperNote->hide();
    LabelHelp = new QLabel(QStringLiteral(
        "値は「プリンターの補正...」で求められます: 補正ページを印刷し、用紙の端から十字までの 4 つの長さを"
        "定規で測って入れると、位置と倍率を計算して保存します。\n"
        "補正はプリンターごとに保存され、印刷にだけ使われます (PDF は補正しません)。"), this);
    LabelHelp->setObjectName(QStringLiteral("LabelHelp"));
    LabelHelp->setWordWrap(true);
    ButtonCalibrate = new QPushButton(QStringLiteral("プリンターの補正..."), this);
    ButtonCalibrate->setObjectName(QStringLiteral("ButtonCalibrate"));
    ButtonCalibrate->setToolTip(QStringLiteral("補正ページを印刷し、測った長さから補正を求めます"));
    connect(ButtonCalibrate, &QPushButton::clicked, this, [this] {
        runGuarded([this] {
            TCalibrationDialog dialog({FShownPrinter}, this);
            if (dialog.exec() == QDialog::Accepted)
                showPrinter(FShownPrinter);
        });
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("横の位置 (mm)"), EditOffsetX);
    form->addRow(QStringLiteral("縦の位置 (mm)"), EditOffsetY);
    form->addRow(QStringLiteral("横の倍率 (%)"), EditScaleX);
    form->addRow(QStringLiteral("縦の倍率 (%)"), EditScaleY);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelPrinter);
    layout->addLayout(form);
    layout->addWidget(ButtonCalibrate);
    layout->addWidget(LabelPaperNote);
    layout->addWidget(LabelHelp);
    layout->addStretch();
    setCalibration({});
}

void TCalibrationPanel::setCalibration(const sheet::Calibration& c)
{
    const sheet::Calibration v = sheet::clamped(c);
    EditOffsetX->SetValue(v.offsetX);
    EditOffsetY->SetValue(v.offsetY);
    EditScaleX->SetValue(v.scaleX);
    EditScaleY->SetValue(v.scaleY);
}

sheet::Calibration TCalibrationPanel::calibration() const
{
    return sheet::clamped({double(EditOffsetX->Value()), double(EditOffsetY->Value()), double(EditScaleX->Value()),
                           double(EditScaleY->Value())});
}

void TCalibrationPanel::showPrinter(const QString& printerName)
{
    FShownPrinter = printerName;
    const bool printer = !printerName.isEmpty();
    LabelPrinter->setText(printer ? QStringLiteral("プリンター: %1").arg(printerName)
                                  : QStringLiteral("ファイルへの出力には補正を使いません。"));
    setCalibration(printer ? sheet::loadCalibration(printerName) : sheet::Calibration{});
    for (QWidget* field : {static_cast<QWidget*>(EditOffsetX), static_cast<QWidget*>(EditOffsetY),
                           static_cast<QWidget*>(EditScaleX), static_cast<QWidget*>(EditScaleY), static_cast<QWidget*>(ButtonCalibrate)})
        field->setEnabled(printer);
}

void TCalibrationPanel::setPaperNote(const QString& text)
{
    LabelPaperNote->setText(text);
    LabelPaperNote->setVisible(!text.isEmpty());
}

QString paperMismatch(const QPrinter& printer, const Tlabelpar& style)
{
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (std::fabs(paper.width() - style.SheetWidth) <= SamePaper && std::fabs(paper.height() - style.SheetHeight) <= SamePaper)
        return {};
    return QStringLiteral("用紙 (%1 × %2 mm) が台紙 (%3 × %4 mm) と違います。縮小も拡大もせずに用紙の左上から印刷します。")
        .arg(paper.width(), 0, 'f', 2)
        .arg(paper.height(), 0, 'f', 2)
        .arg(style.SheetWidth, 0, 'f', 2)
        .arg(style.SheetHeight, 0, 'f', 2);
}

void beginPrinting(QPainter& painter, QPrinter& printer)
{
    printer.setFullPage(true);
    if (!painter.begin(&printer))
        throw std::runtime_error(QStringLiteral("印刷を始められません: %1")
                                     .arg(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName())
                                     .toStdString());
}

void printTestSheet(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles,
                    const sheet::Calibration& calibration)
{
    QPainter painter;
    beginPrinting(painter, printer);
    sheet::drawTestSheet(painter, style, titles, calibration);
    painter.end();
}

bool execTestPrint(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles, QWidget* parent)
{
    printer.setFullPage(true);
    printer.setPageLayout(sheet::pageLayout(style));
    printer.setDocName(QStringLiteral("テストシート"));

    // Its "print to file" button opens a file dialog of Qt's own.
    useTypeIconsEverywhere();
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setWindowTitle(QStringLiteral("テスト印刷"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    auto* panel = new TCalibrationPanel;
    dialog.setOptionTabs({panel});
    panel->showPrinter(printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString());
    panel->setPaperNote(paperMismatch(printer, style));
    // Qt's dialog has no signal for the printer chosen in it; its list of printers tells.
    if (auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers")))
        QObject::connect(printers, &QComboBox::currentIndexChanged, panel, [panel, printers](int index) {
            // Qt lists its output to a PDF file last, after the printers.
            const bool toFile = index < 0 || index == printers->count() - 1;
            panel->showPrinter(toFile ? QString() : printers->currentText());
        });
    if (dialog.exec() != QDialog::Accepted)
        return false;

    const QString name = printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString();
    sheet::Calibration calibration;
    if (name.isEmpty()) {
        // A file has no paper of its own, but the dialog hands it its default paper on OK.
        printer.setPageLayout(sheet::pageLayout(style));
    } else {
        calibration = panel->calibration();
        // The sheet still prints with the values given; only keeping them failed.
        try {
            sheet::saveCalibration(name, calibration);
        } catch (const labeldata::FileError& e) {
            showMessage(fileErrorMessage(e));
        }
        // The paper chosen in the dialog's properties is known only now.
        if (const QString note = paperMismatch(printer, style);
            !note.isEmpty() && !askYesNo(note + QStringLiteral("印刷しますか?")))
            return false;
    }
    printTestSheet(printer, style, titles, calibration);
    return true;
}
