#include "editor/TestPrint.h"

#include "editor/CalibrationDialog.h"
#include "editor/FileMessages.h"
#include "labeldata/FileError.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "sheet/PdfExport.h"
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

// A question lists this many places; more are counted.
constexpr size_t MarginPlacesShown = 6;

QString mm(double v)
{
    return QString::number(v, 'f', 2);
}

QString edgeName(labeldata::PaperEdge edge)
{
    switch (edge) {
    case labeldata::PaperEdge::Left:
        return QStringLiteral("左");
    case labeldata::PaperEdge::Top:
        return QStringLiteral("上");
    case labeldata::PaperEdge::Right:
        return QStringLiteral("右");
    case labeldata::PaperEdge::Bottom:
        break;
    }
    return QStringLiteral("下");
}

// Yes prints; an empty question asks nothing.
bool printAnyway(const QString& question)
{
    return question.isEmpty() || askYesNo(question);
}

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
    LabelMargins = new QLabel(this);
    LabelMargins->setObjectName(QStringLiteral("LabelMargins"));
    LabelMargins->setWordWrap(true);
    LabelRotation = new QLabel(this);
    LabelRotation->setObjectName(QStringLiteral("LabelRotation"));
    LabelRotation->hide();
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
    layout->addWidget(LabelMargins);
    layout->addLayout(form);
    layout->addWidget(LabelRotation);
    layout->addWidget(ButtonCalibrate);
    layout->addWidget(LabelPaperNote);
    layout->addWidget(LabelHelp);
    layout->addStretch();
    setCalibration({});
}

void TCalibrationPanel::setCalibration(const sheet::Calibration& c)
{
    const sheet::Calibration v = labeldata::clamped(c);
    FRotation = v.rotation;
    LabelRotation->setText(QStringLiteral("回転: %1° (「プリンターの補正」の 8 か所から)").arg(v.rotation, 0, 'f', 3));
    LabelRotation->setVisible(v.rotation != 0);
    EditOffsetX->SetValue(v.offsetX);
    EditOffsetY->SetValue(v.offsetY);
    EditScaleX->SetValue(v.scaleX);
    EditScaleY->SetValue(v.scaleY);
}

sheet::Calibration TCalibrationPanel::calibration() const
{
    return labeldata::clamped({double(EditOffsetX->Value()), double(EditOffsetY->Value()), double(EditScaleX->Value()),
                               double(EditScaleY->Value()), FRotation});
}

void TCalibrationPanel::showPrinter(const QString& printerName)
{
    FShownPrinter = printerName;
    const bool printer = !printerName.isEmpty();
    LabelPrinter->setText(printer ? QStringLiteral("プリンター: %1").arg(printerName)
                                  : QStringLiteral("ファイルへの出力には補正を使いません。"));
    setCalibration(printer ? settings::loadCalibration(printerName) : sheet::Calibration{});
    LabelMargins->setText(printer ? QStringLiteral("印刷できない用紙の端: %1").arg(marginsText(printerMargins(printerName, FPage)))
                                  : QString());
    LabelMargins->setVisible(printer);
    for (QWidget* field : {static_cast<QWidget*>(EditOffsetX), static_cast<QWidget*>(EditOffsetY),
                           static_cast<QWidget*>(EditScaleX), static_cast<QWidget*>(EditScaleY), static_cast<QWidget*>(ButtonCalibrate)})
        field->setEnabled(printer);
}

void TCalibrationPanel::setPaperNote(const QString& text)
{
    LabelPaperNote->setText(text);
    LabelPaperNote->setVisible(!text.isEmpty());
}

labeldata::PrinterMargins printerMargins(const QPrinter& printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF m = layout.minimumMargins();
    return {m.left(), m.top(), m.right(), m.bottom()};
}

labeldata::PrinterMargins printerMargins(const QString& printerName, const QPageLayout& page)
{
    if (printerName.isEmpty())
        return {};
    QPrinter printer;
    printer.setPrinterName(printerName);
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != printerName)
        return {};
    printer.setFullPage(true);
    if (page.isValid())
        printer.setPageLayout(page);
    return printerMargins(printer);
}

QString marginsText(const labeldata::PrinterMargins& m)
{
    return QStringLiteral("左 %1 mm、上 %2 mm、右 %3 mm、下 %4 mm").arg(mm(m.left), mm(m.top), mm(m.right), mm(m.bottom));
}

QString marginQuestion(const std::vector<labeldata::MarginIntrusion>& intrusions, MarginMarks marks,
                       const QString& printerName, const labeldata::PrinterMargins& margins)
{
    const bool crosses = marks == MarginMarks::CalibrationCrosses;
    if (intrusions.empty())
        return {};
    static const char* const crossNames[2][2] = {{"左上", "右上"}, {"左下", "右下"}};
    QStringList places;
    for (size_t k = 0; k < intrusions.size() && k < MarginPlacesShown; ++k) {
        const labeldata::MarginIntrusion& i = intrusions[k];
        const QString what = crosses ? QStringLiteral("%1の十字").arg(QString::fromUtf8(crossNames[i.row & 1][i.column & 1]))
                                     : QStringLiteral("%1 行 %2 列のラベル").arg(i.row + 1).arg(i.column + 1);
        places << QStringLiteral("%1: %2の余白 (%3 mm) に %4 mm 入ります")
                      .arg(what, edgeName(i.edge), mm(i.margin), mm(i.depth));
    }
    if (intrusions.size() > MarginPlacesShown)
        places << QStringLiteral("ほか %1 か所").arg(intrusions.size() - MarginPlacesShown);
    return QStringLiteral("プリンター「%1」は用紙の端 (%2) を印刷できません。%3がそこにかかり、欠けて印刷されます。\n%4\n印刷しますか?")
        .arg(printerName, marginsText(margins),
             crosses                                 ? QStringLiteral("補正ページの十字")
             : marks == MarginMarks::AlignmentScales ? QStringLiteral("位置合わせの目盛り")
                                                     : QStringLiteral("ラベルの枠"),
             places.join(QLatin1Char('\n')));
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

bool printCalibrationPage(QPrinter& printer, const QSizeF& paper, const sheet::CalibrationPageText& text)
{
    // Uncorrected, at 100 %, from the paper's very corner.
    printer.setFullPage(true);
    printer.setPageLayout(sheet::pageLayout(paper));
    const labeldata::PrinterMargins margins = printerMargins(printer);
    if (!printAnyway(marginQuestion(sheet::crossesInMargins(paper, margins), MarginMarks::CalibrationCrosses, printer.printerName(), margins)))
        return false;
    QPainter painter;
    beginPrinting(painter, printer);
    sheet::drawCalibrationPage(painter, paper, text);
    painter.end();
    return true;
}

bool printAlignmentSheet(QPrinter& printer, const Tlabelpar& style, const sheet::AlignmentSheetText& text,
                         const sheet::Calibration& calibration)
{
    printer.setFullPage(true);
    printer.setPageLayout(sheet::pageLayout(style));
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const labeldata::PrinterMargins margins = printerMargins(printer);
    if (!printAnyway(marginQuestion(labeldata::labelsInMargins(style, paper.width(), paper.height(), margins),
                                    MarginMarks::AlignmentScales, printer.printerName(), margins)))
        return false;
    QPainter painter;
    beginPrinting(painter, printer);
    sheet::drawAlignmentSheet(painter, style, text, calibration);
    painter.end();
    return true;
}

bool execTestPrint(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles, QWidget* parent)
{
    printer.setFullPage(true);
    printer.setPageLayout(sheet::pageLayout(style));
    if (printer.docName().isEmpty())
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
    panel->setPage(sheet::pageLayout(style));
    dialog.setOptionTabs({panel});
    panel->showPrinter(printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString());
    panel->setPaperNote(paperMismatch(printer, style));
    showSettingsDamage();
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
    if (name.isEmpty()) {
        // A file has no paper of its own. The program's own PDF, as "PDF に書き出す" writes it: the
        // sheet's exact size, written durably, asking viewers to print at 100 %.
        printer.setPageLayout(sheet::pageLayout(style));
        withFileMessages([&] { sheet::writeTestSheetPdf(printer.outputFileName(), {{style, titles}}); });
        return true;
    }
    const sheet::Calibration calibration = panel->calibration();
    // The sheet still prints with the values given; only keeping them failed.
    try {
        settings::saveCalibration(name, calibration);
    } catch (const labeldata::FileError& e) {
        showMessage(fileErrorMessage(e));
    }
    // The paper chosen in the dialog's properties is known only now.
    if (const QString note = paperMismatch(printer, style); !note.isEmpty() && !askYesNo(note + QStringLiteral("印刷しますか?")))
        return false;
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const labeldata::PrinterMargins margins = printerMargins(printer);
    if (!printAnyway(marginQuestion(labeldata::labelsInMargins(style, paper.width(), paper.height(), margins),
                                    MarginMarks::LabelOutlines, name,
                                    margins)))
        return false;
    printTestSheet(printer, style, titles, calibration);
    return true;
}
