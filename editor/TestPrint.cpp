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

TUpdownNumberEdit* numberField(QWidget* parent, const char* name, Extended min, Extended max, Extended step,
                               const QString& accessibleName)
{
    auto* field = new TUpdownNumberEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->SetFigure(2);
    field->SetFixed(true);
    field->SetValidMinus(min < 0);
    field->SetLimit(true);
    field->SetLimitOptions(TLimitOptions{loMax, loMin});
    field->SetMin(min);
    field->SetMax(max);
    field->SetRoundMode(rmRound);
    field->SetIncrement(step);
    field->setAccessibleName(accessibleName);
    return field;
}

// Paper sizes come in whole points; half a millimetre tells a different paper from that.
constexpr double SamePaper = 0.5;

} // namespace

TCalibrationPanel::TCalibrationPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CalibrationPanel"));
    setWindowTitle(QStringLiteral("位置と倍率の補正"));
    using sheet::OffsetLimit;
    offsetX = numberField(this, "offsetX", -OffsetLimit, OffsetLimit, 0.1L, QStringLiteral("横の位置 (mm)"));
    offsetY = numberField(this, "offsetY", -OffsetLimit, OffsetLimit, 0.1L, QStringLiteral("縦の位置 (mm)"));
    scaleX = numberField(this, "scaleX", sheet::ScaleMin, sheet::ScaleMax, 0.1L, QStringLiteral("横の倍率 (%)"));
    scaleY = numberField(this, "scaleY", sheet::ScaleMin, sheet::ScaleMax, 0.1L, QStringLiteral("縦の倍率 (%)"));
    printerLabel = new QLabel(this);
    printerLabel->setObjectName(QStringLiteral("printerLabel"));
    paperNote = new QLabel(this);
    paperNote->setObjectName(QStringLiteral("paperNote"));
    paperNote->setWordWrap(true);
    paperNote->hide();
    help = new QLabel(QStringLiteral(
        "値は「プリンターの補正...」で求められます: 補正ページを印刷し、用紙の端から十字までの 4 つの長さを"
        "定規で測って入れると、位置と倍率を計算して保存します。\n"
        "補正はプリンターごとに保存され、印刷にだけ使われます (PDF は補正しません)。"), this);
    help->setObjectName(QStringLiteral("help"));
    help->setWordWrap(true);
    calibrateButton = new QPushButton(QStringLiteral("プリンターの補正..."), this);
    calibrateButton->setObjectName(QStringLiteral("calibrateButton"));
    calibrateButton->setToolTip(QStringLiteral("補正ページを印刷し、測った長さから補正を求めます"));
    connect(calibrateButton, &QPushButton::clicked, this, [this] {
        runGuarded([this] {
            TCalibrationDialog dialog({shownPrinter}, this);
            if (dialog.exec() == QDialog::Accepted)
                showPrinter(shownPrinter);
        });
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("横の位置 (mm)"), offsetX);
    form->addRow(QStringLiteral("縦の位置 (mm)"), offsetY);
    form->addRow(QStringLiteral("横の倍率 (%)"), scaleX);
    form->addRow(QStringLiteral("縦の倍率 (%)"), scaleY);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(printerLabel);
    layout->addLayout(form);
    layout->addWidget(calibrateButton);
    layout->addWidget(paperNote);
    layout->addWidget(help);
    layout->addStretch();
    setCalibration({});
}

void TCalibrationPanel::setCalibration(const sheet::Calibration& c)
{
    const sheet::Calibration v = sheet::clamped(c);
    offsetX->SetValue(v.offsetX);
    offsetY->SetValue(v.offsetY);
    scaleX->SetValue(v.scaleX);
    scaleY->SetValue(v.scaleY);
}

sheet::Calibration TCalibrationPanel::calibration() const
{
    return sheet::clamped({double(offsetX->Value()), double(offsetY->Value()), double(scaleX->Value()),
                           double(scaleY->Value())});
}

void TCalibrationPanel::showPrinter(const QString& printerName)
{
    shownPrinter = printerName;
    const bool printer = !printerName.isEmpty();
    printerLabel->setText(printer ? QStringLiteral("プリンター: %1").arg(printerName)
                                  : QStringLiteral("ファイルへの出力には補正を使いません。"));
    setCalibration(printer ? sheet::loadCalibration(printerName) : sheet::Calibration{});
    for (QWidget* field : {static_cast<QWidget*>(offsetX), static_cast<QWidget*>(offsetY),
                           static_cast<QWidget*>(scaleX), static_cast<QWidget*>(scaleY), static_cast<QWidget*>(calibrateButton)})
        field->setEnabled(printer);
}

void TCalibrationPanel::setPaperNote(const QString& text)
{
    paperNote->setText(text);
    paperNote->setVisible(!text.isEmpty());
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

void printTestSheet(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles,
                    const sheet::Calibration& calibration)
{
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error(QStringLiteral("印刷を始められません: %1")
                                     .arg(printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName())
                                     .toStdString());
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
