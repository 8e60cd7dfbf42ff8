#include "editor/AlignmentDialog.h"

#include "editor/CalibrationDialog.h"
#include "editor/FileMessages.h"
#include "editor/TestPrint.h"
#include "labeldata/StyleFields.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "sheet/AlignmentSheet.h"
#include "toolkit/Application.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using labeldata::AlignmentEdge;
using labeldata::AlignmentScales;

// "① 1 行 1 列の左端"
QString readingName(const Tlabelpar& s, int k)
{
    const auto& scale = AlignmentScales[size_t(k)];
    return QStringLiteral("%1 %2 行 %3 列の%4")
        .arg(sheet::readingMark(k))
        .arg(scale.lastRow ? s.Rows : 1)
        .arg(scale.lastColumn ? s.Columns : 1)
        .arg(sheet::alignmentEdgeName(scale.edge));
}

// The window's names of the lengths a fit may change, as its fields are named.
const struct {
    double Tlabelpar::* member;
    const char* name;
} LengthNames[] = {
    {&Tlabelpar::LabelWidth, "ラベルサイズ 幅"},  {&Tlabelpar::LabelHeight, "ラベルサイズ 高さ"},
    {&Tlabelpar::LeftMargin, "マージン 左"},      {&Tlabelpar::RightMargin, "マージン 右"},
    {&Tlabelpar::TopMargin, "マージン 上"},       {&Tlabelpar::BottomMargin, "マージン 下"},
    {&Tlabelpar::HorizontalSpacing, "間隔 水平方向"}, {&Tlabelpar::VerticalSpacing, "間隔 垂直方向"},
};

QString mm(double v)
{
    return QString::number(v, 'f', 2);
}

// Typed text that holds no digit is no reading; 0 is one.
bool holdsNumber(const TUpdownNumberEdit* field)
{
    const QString text = field->Text();
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

// The sheet in small: the corner labels and where their eight scales stand.
class TAlignmentDiagram : public QWidget
{
public:
    TAlignmentDiagram(const Tlabelpar& style, QWidget* parent)
        : QWidget(parent)
        , FStyle(style)
    {
        setObjectName(QStringLiteral("Diagram"));
        setFixedSize(170, 220);
        setAccessibleName(QStringLiteral("位置合わせシートの図"));
        setAccessibleDescription(QStringLiteral(
            "目盛りは四隅のラベルの外側の辺にあり、① から ⑧ の順に読みます: 1 行 1 列の左端と上端、1 行目の最後の列の右端と上端、"
            "最後の行の 1 列の左端と下端、最後の行の最後の列の右端と下端。"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QSizeF sheet(FStyle.SheetWidth, FStyle.SheetHeight);
        const double k = std::min((width() - 24) / sheet.width(), (height() - 24) / sheet.height());
        const QPointF origin((width() - k * sheet.width()) / 2, (height() - k * sheet.height()) / 2);
        auto at = [&](double x, double y) { return origin + QPointF(k * x, k * y); };
        p.fillRect(QRectF(origin, sheet * k), Qt::white);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.drawRect(QRectF(origin, sheet * k));
        QPen dashed(Qt::gray, 1, Qt::DashLine);
        p.setPen(dashed);
        for (const bool lastRow : {false, true})
            for (const bool lastColumn : {false, true}) {
                const int32_t row = lastRow ? FStyle.Rows - 1 : 0, column = lastColumn ? FStyle.Columns - 1 : 0;
                const double x = FStyle.LeftMargin + column * (FStyle.LabelWidth + FStyle.HorizontalSpacing);
                const double y = FStyle.TopMargin + row * (FStyle.LabelHeight + FStyle.VerticalSpacing);
                p.drawRect(QRectF(at(x, y), at(x + FStyle.LabelWidth, y + FStyle.LabelHeight)));
            }
        const QColor blue(0, 90, 200);
        QFont font = p.font();
        font.setPixelSize(11);
        p.setFont(font);
        for (int s = 0; s < int(AlignmentScales.size()); ++s) {
            const sheet::ScalePlace place = sheet::scalePlace(FStyle, s);
            const QPointF c = at(place.x, place.y);
            p.setPen(QPen(blue, 2));
            const QPointF half = place.across ? QPointF(6, 0) : QPointF(0, 6);
            p.drawLine(c - half, c + half);
            // The mark on the label's side of the edge, off the scale's end.
            const AlignmentEdge edge = AlignmentScales[size_t(s)].edge;
            const QPointF inward = edge == AlignmentEdge::Left ? QPointF(12, 0)
                : edge == AlignmentEdge::Right                 ? QPointF(-12, 0)
                : edge == AlignmentEdge::Top                   ? QPointF(0, 12)
                                                               : QPointF(0, -12);
            // A single row or column shares a scale between two readings.
            const QPointF shift = ((s == 3 || s == 7) && FStyle.Columns == 1) || ((s == 4 || s == 6) && FStyle.Rows == 1)
                ? (place.across ? QPointF(0, 11) : QPointF(11, 0))
                : QPointF();
            p.setPen(blue);
            p.drawText(QRectF(c + inward + shift - QPointF(7, 7), QSizeF(14, 14)), Qt::AlignCenter, sheet::readingMark(s));
        }
    }

private:
    Tlabelpar FStyle;
};

} // namespace

QString skewWarning(const labeldata::AlignedStyle& r)
{
    static const struct {
        AlignmentEdge edge;
        int first, second;
    } pairs[] = {{AlignmentEdge::Left, 0, 4}, {AlignmentEdge::Top, 1, 3}, {AlignmentEdge::Right, 2, 6}, {AlignmentEdge::Bottom, 5, 7}};
    QStringList edges;
    for (size_t e = 0; e < r.skewed.size(); ++e)
        if (r.skewed[e])
            edges << QStringLiteral("%1 (%2と%3)").arg(sheet::alignmentEdgeName(pairs[e].edge), sheet::readingMark(pairs[e].first), sheet::readingMark(pairs[e].second));
    if (edges.isEmpty())
        return {};
    return QStringLiteral("%1の 2 つの値が %2 mm より離れています。シートが斜めに入ったようです。"
                          "まっすぐ入れて印刷し直してください (このままなら 2 つの平均を使います)。")
        .arg(edges.join(QStringLiteral("、")), QString::number(labeldata::SkewLimit));
}

TAlignmentDialog::TAlignmentDialog(const Tlabelpar& style, const sheet::SheetTitles& titles, const QStringList& printers,
                                   QWidget* parent)
    : QDialog(parent)
    , FStyle(style)
    , FAligned(style)
    , FTitles(titles)
{
    setObjectName(QStringLiteral("AlignmentDialog"));
    setWindowTitle(QStringLiteral("位置合わせ"));

    ComboBoxPrinter = new QComboBox(this);
    ComboBoxPrinter->setObjectName(QStringLiteral("ComboBoxPrinter"));
    ComboBoxPrinter->setAccessibleName(QStringLiteral("プリンター"));
    ComboBoxPrinter->addItems(printers);
    LabelNoPrinter = new QLabel(QStringLiteral("プリンターがありません。位置合わせシートを PDF に書き出し、それを"
                                               "ラベル用紙に拡大も縮小もせず (100 %) 印刷してください。"),
                                this);
    LabelNoPrinter->setObjectName(QStringLiteral("LabelNoPrinter"));
    LabelNoPrinter->setWordWrap(true);
    ButtonPrint = new QPushButton(QStringLiteral("位置合わせシートを印刷"), this);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonPrint->setToolTip(QStringLiteral("このプリンターの補正を使って、ラベル用紙に印刷します"));
    ButtonPdf = new QPushButton(QStringLiteral("PDF に保存..."), this);
    ButtonPdf->setObjectName(QStringLiteral("ButtonPdf"));
    ButtonPdf->setToolTip(QStringLiteral("位置合わせシートを補正せずに PDF ファイルに書き出します"));

    auto* help = new QLabel(QStringLiteral(
        "シートをラベル用紙に印刷し、四隅のラベルの目盛りで、ラベルの切れ目が交わる所の数を 0.25 mm 単位で読みます"
        " (右と下が +)。① から ⑧ の順に入力すると、スタイルの値をどう直すかが下に出ます。\n"
        "プリンター自体のずれは「プリンターの補正」で直します。一台のプリンターを複数のラベルソフトで使うときは先に"
        "プリンターを補正してください。位置合わせだけなら、プリンターのずれもスタイルに含めて直します。"),
        this);
    help->setObjectName(QStringLiteral("LabelHelp"));
    help->setWordWrap(true);

    auto* readings = new QGridLayout;
    for (int k = 0; k < int(EditReadings.size()); ++k) {
        const QString name = readingName(style, k);
        TUpdownNumberEdit* field = numberField(this, QStringLiteral("EditReading%1").arg(k + 1).toLatin1().constData(),
                                               -labeldata::ReadingLimit, labeldata::ReadingLimit,
                                               labeldata::ReadingStep, name + QStringLiteral(" (mm)"));
        field->SetValue(0);
        EditReadings[size_t(k)] = field;
        auto* label = new QLabel(name, this);
        label->setBuddy(field);
        readings->addWidget(label, k, 0);
        readings->addWidget(field, k, 1);
    }
    LabelWarning = new QLabel(this);
    LabelWarning->setObjectName(QStringLiteral("LabelWarning"));
    LabelWarning->setWordWrap(true);
    LabelWarning->hide();
    LabelResult = new QLabel(this);
    LabelResult->setObjectName(QStringLiteral("LabelResult"));
    LabelResult->setWordWrap(true);
    LabelResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("プリンター:"), this));
    top->addWidget(ComboBoxPrinter, 1);
    auto* sheetButtons = new QHBoxLayout;
    sheetButtons->addWidget(ButtonPrint);
    sheetButtons->addWidget(ButtonPdf);
    sheetButtons->addStretch();
    auto* right = new QVBoxLayout;
    right->addLayout(readings);
    right->addWidget(LabelWarning);
    right->addWidget(LabelResult);
    right->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(new TAlignmentDiagram(style, this), 0, Qt::AlignTop);
    middle->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelNoPrinter);
    layout->addLayout(sheetButtons);
    layout->addWidget(help);
    layout->addLayout(middle);
    layout->addWidget(Buttons);

    const bool any = !printers.isEmpty();
    ComboBoxPrinter->setEnabled(any);
    LabelNoPrinter->setVisible(!any);
    ButtonPrint->setEnabled(any);

    // Every change of the text, also to none, which the field's OnChange does not report.
    for (TUpdownNumberEdit* field : EditReadings)
        connect(field, &QLineEdit::textChanged, this, [this] { runGuarded([this] { showResult(); }); });
    connect(ButtonPrint, &QPushButton::clicked, this, [this] { runGuarded([this] { printSheet(); }); });
    connect(ButtonPdf, &QPushButton::clicked, this, [this] { runGuarded([this] { savePdf(); }); });
    connect(Buttons, &QDialogButtonBox::accepted, this, &TAlignmentDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TAlignmentDialog::reject);
    showResult();
}

QString TAlignmentDialog::printerName() const
{
    return ComboBoxPrinter->currentText();
}

QString TAlignmentDialog::problem(labeldata::AlignedStyle& result) const
{
    labeldata::AlignmentReadings values{};
    for (int k = 0; k < int(EditReadings.size()); ++k) {
        if (!holdsNumber(EditReadings[size_t(k)]))
            return QStringLiteral("%1 に、読んだ値を mm で入力してください。").arg(readingName(FStyle, k));
        values[size_t(k)] = double(EditReadings[size_t(k)]->Value());
    }
    result = labeldata::alignedStyle(FStyle, values);
    const QString across = result.across ? QStringLiteral("横") : QStringLiteral("縦");
    switch (result.problem) {
    case labeldata::AlignmentProblem::None:
        return {};
    case labeldata::AlignmentProblem::NotANumber:
        return QStringLiteral("%1 の値が数ではありません。").arg(readingName(FStyle, result.reading));
    case labeldata::AlignmentProblem::ReadingOutOfRange:
        return QStringLiteral("%1 の値は -%2 ～ +%2 mm で入力してください。目盛りの外なら、スタイルの値を見直してから印刷し直してください。")
            .arg(readingName(FStyle, result.reading), QString::number(labeldata::ReadingLimit));
    case labeldata::AlignmentProblem::NoLabels:
        return QStringLiteral("台紙の幅と高さ、行と列を先に入力してください。");
    case labeldata::AlignmentProblem::NegativeMargin:
        return QStringLiteral("合わせると%1の余白が 0 mm より小さくなります。読んだ値を確かめてください。")
            .arg(result.across ? QStringLiteral("左") : QStringLiteral("上"));
    case labeldata::AlignmentProblem::NegativeSize:
        return QStringLiteral("合わせるとラベルの%1が 0 mm 以下になります。読んだ値を確かめてください。")
            .arg(result.across ? QStringLiteral("幅") : QStringLiteral("高さ"));
    case labeldata::AlignmentProblem::LeavesSheet:
        return QStringLiteral("合わせるとラベルが台紙から%1にはみ出します。読んだ値を確かめてください。").arg(across);
    }
    return {};
}

void TAlignmentDialog::showResult()
{
    labeldata::AlignedStyle r;
    const QString why = problem(r);
    const QString warning = why.isEmpty() ? skewWarning(r) : QString();
    LabelWarning->setText(warning);
    LabelWarning->setVisible(!warning.isEmpty());
    if (!why.isEmpty()) {
        LabelResult->setText(why);
        return;
    }
    QStringList changes;
    for (const auto& field : LengthNames) {
        const double before = FStyle.*field.member, after = r.style.*field.member;
        if (MmToMil(before) != MmToMil(after))
            changes << QStringLiteral("%1: %2 → %3 mm").arg(QString::fromUtf8(field.name), mm(before), mm(after));
    }
    LabelResult->setText(changes.isEmpty() ? QStringLiteral("スタイルはこのままで合っています。")
                                           : QStringLiteral("入力欄をこう直します:\n") + changes.join(QLatin1Char('\n')));
}

void TAlignmentDialog::accept()
{
    labeldata::AlignedStyle r;
    const QString why = problem(r);
    if (!why.isEmpty()) {
        showMessage(why + QStringLiteral("入力欄は変えませんでした。"));
        return;
    }
    FAligned = r.style;
    QDialog::accept();
}

void TAlignmentDialog::printSheet()
{
    const QString name = printerName();
    if (name.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(name);
    printer.setDocName(QStringLiteral("位置合わせシート"));
    // Corrected as the test print is, so that the readings are the style's error alone.
    const sheet::Calibration calibration = settings::loadCalibration(name);
    showSettingsDamage();
    printAlignmentSheet(printer, FStyle, {FTitles, name, QDate::currentDate()}, calibration);
}

void TAlignmentDialog::savePdf()
{
    savePdfAs(this, QStringLiteral("位置合わせシート"), [&](const QString& path) {
        sheet::writeAlignmentSheetPdf(path, FStyle, {FTitles, QString(), QDate::currentDate()});
    });
}
