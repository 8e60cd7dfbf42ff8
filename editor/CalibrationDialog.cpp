#include "editor/CalibrationDialog.h"

#include "editor/FileMessages.h"
#include "editor/TestPrint.h"
#include "numberedit/UpdownNumberEdit.h"
#include "sheet/Calibration.h"
#include "sheet/CalibrationPage.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>


namespace {

using labeldata::CalibrationMarks;

constexpr double MarkMax = 1000;

// The page in small, with the four distances as arrows from the edges they are measured from.
class TCalibrationDiagram : public QWidget
{
public:
    explicit TCalibrationDiagram(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("Diagram"));
        setFixedSize(150, 200);
        setAccessibleName(QStringLiteral("補正ページの図"));
        setAccessibleDescription(QStringLiteral("左と右は用紙の左端から十字の縦線まで、上と下は用紙の上端から十字の横線までの長さです。"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF page(12, 14, 126, 178);
        p.fillRect(page, Qt::white);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.drawRect(page);
        const double in = 12;
        const QPointF crosses[] = {page.topLeft() + QPointF(in, in), page.topRight() + QPointF(-in, in),
                                   page.bottomLeft() + QPointF(in, -in), page.bottomRight() + QPointF(-in, -in)};
        for (const QPointF& c : crosses) {
            p.drawLine(c - QPointF(5, 0), c + QPointF(5, 0));
            p.drawLine(c - QPointF(0, 5), c + QPointF(0, 5));
        }
        QPen arrow(QColor(0, 90, 200), 1);
        p.setPen(arrow);
        auto drawArrow = [&](QPointF from, QPointF to, const QString& name, QPointF textAt) {
            p.drawLine(from, to);
            const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
            const QPointF n(-d.y(), d.x());
            QPainterPath head;
            head.moveTo(to);
            head.lineTo(to - 4 * d + 2.5 * n);
            head.lineTo(to - 4 * d - 2.5 * n);
            head.closeSubpath();
            p.fillPath(head, arrow.color());
            p.drawText(textAt, name);
        };
        const double yMid = page.center().y();
        drawArrow({page.left(), yMid - 10}, {crosses[0].x(), yMid - 10}, QStringLiteral("左"), {page.left() + 2, yMid - 13});
        drawArrow({page.left(), yMid + 10}, {crosses[1].x(), yMid + 10}, QStringLiteral("右"), {page.center().x(), yMid + 7});
        const double xMid = page.center().x();
        drawArrow({xMid - 20, page.top()}, {xMid - 20, crosses[0].y()}, QStringLiteral("上"), {xMid - 16, page.top() + 11});
        drawArrow({xMid + 20, page.top()}, {xMid + 20, crosses[2].y()}, QStringLiteral("下"), {xMid + 24, page.bottom() - 20});
    }
};

TUpdownNumberEdit* markField(QWidget* parent, const char* name, const QString& accessibleName)
{
    return numberField(parent, name, 0, MarkMax, 0.1L, accessibleName);
}

// Typed text that holds no digit is no number. The field shows such text as 0.00 once left, and
// no cross is printed on the paper's very edge, so 0 is nothing measured either.
bool holdsMeasure(const TUpdownNumberEdit* field)
{
    for (const QChar c : field->Text())
        if (c.isDigit())
            return field->Value() > 0;
    return false;
}

QString mm(double v)
{
    return QString::number(v, 'f', 2);
}

QSizeF paperOf(const QString& printer)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    const QPageSize size = info.isNull() ? QPageSize() : info.defaultPageSize();
    return size.isValid() ? size.size(QPageSize::Millimeter) : QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
}

QString paperName(const QSizeF& paper)
{
    const QPageSize size(paper, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    return size.id() == QPageSize::Custom ? QString() : size.name();
}

} // namespace

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

QStringList systemPrinters()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    const QString first = QPrinterInfo::defaultPrinterName();
    if (names.removeAll(first) > 0)
        names.prepend(first);
    return names;
}

QString calibrationText(const labeldata::Calibration& c)
{
    return QStringLiteral("横: 位置 %1 mm、倍率 %2 %\n縦: 位置 %3 mm、倍率 %4 %")
        .arg(mm(c.offsetX), mm(c.scaleX), mm(c.offsetY), mm(c.scaleY));
}

TCalibrationDialog::TCalibrationDialog(const QStringList& printers, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(QStringLiteral("プリンターの補正"));

    ComboBoxPrinter = new QComboBox(this);
    ComboBoxPrinter->setObjectName(QStringLiteral("ComboBoxPrinter"));
    ComboBoxPrinter->setAccessibleName(QStringLiteral("プリンター"));
    ComboBoxPrinter->addItems(printers);
    LabelNoPrinter = new QLabel(QStringLiteral("プリンターがありません。補正ページを PDF に書き出し、それを印刷してから"
                                               "測ってください (拡大も縮小もせず 100 % で)。補正はプリンターごとに保存するので、"
                                               "ここでは保存できません。"),
                                this);
    LabelNoPrinter->setObjectName(QStringLiteral("LabelNoPrinter"));
    LabelNoPrinter->setWordWrap(true);
    LabelPaper = new QLabel(this);
    LabelPaper->setObjectName(QStringLiteral("LabelPaper"));
    ButtonPrint = new QPushButton(QStringLiteral("補正ページを印刷"), this);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonPrint->setToolTip(QStringLiteral("補正せずに 100 % で、このプリンターに印刷します"));
    ButtonPdf = new QPushButton(QStringLiteral("補正ページを PDF に保存..."), this);
    ButtonPdf->setObjectName(QStringLiteral("ButtonPdf"));
    ButtonPdf->setToolTip(QStringLiteral("補正ページを PDF ファイルに書き出します"));

    EditLeft = markField(this, "EditLeft", QStringLiteral("左 (mm)"));
    EditRight = markField(this, "EditRight", QStringLiteral("右 (mm)"));
    EditTop = markField(this, "EditTop", QStringLiteral("上 (mm)"));
    EditBottom = markField(this, "EditBottom", QStringLiteral("下 (mm)"));
    auto* help = new QLabel(QStringLiteral("印刷したページで、用紙の左端から左と右の十字の縦線まで、"
                                           "上端から上と下の十字の横線までを定規で測って入力します。"),
                            this);
    help->setWordWrap(true);
    LabelResult = new QLabel(this);
    LabelResult->setObjectName(QStringLiteral("LabelResult"));
    LabelResult->setWordWrap(true);
    LabelCurrent = new QLabel(this);
    LabelCurrent->setObjectName(QStringLiteral("LabelCurrent"));
    ButtonReset = new QPushButton(QStringLiteral("リセット"), this);
    ButtonReset->setObjectName(QStringLiteral("ButtonReset"));
    ButtonReset->setToolTip(QStringLiteral("位置 0 mm、倍率 100 % にします"));
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    Buttons->addButton(ButtonReset, QDialogButtonBox::ResetRole);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("プリンター:"), this));
    top->addWidget(ComboBoxPrinter, 1);
    auto* pageButtons = new QHBoxLayout;
    pageButtons->addWidget(ButtonPrint);
    pageButtons->addWidget(ButtonPdf);
    pageButtons->addStretch();
    auto* marks = new QGridLayout;
    const struct {
        const char* caption;
        TUpdownNumberEdit* field;
    } rows[] = {{"左 (mm)", EditLeft}, {"右 (mm)", EditRight}, {"上 (mm)", EditTop}, {"下 (mm)", EditBottom}};
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.caption), this);
        label->setBuddy(r.field);
        marks->addWidget(label, row, 0);
        marks->addWidget(r.field, row++, 1);
    }
    marks->addWidget(LabelResult, row++, 0, 1, 2);
    marks->addWidget(LabelCurrent, row++, 0, 1, 2);
    marks->setRowStretch(row, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(new TCalibrationDiagram(this));
    middle->addLayout(marks, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelNoPrinter);
    layout->addWidget(LabelPaper);
    layout->addLayout(pageButtons);
    layout->addWidget(help);
    layout->addLayout(middle);
    layout->addWidget(Buttons);

    const bool any = !printers.isEmpty();
    ComboBoxPrinter->setEnabled(any);
    LabelNoPrinter->setVisible(!any);
    ButtonPrint->setEnabled(any);
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(any);

    // Every change of the text, also to none, which the field's OnChange does not report.
    for (TUpdownNumberEdit* field : {EditLeft, EditRight, EditTop, EditBottom})
        connect(field, &QLineEdit::textChanged, this, [this] { runGuarded([this] { showResult(); }); });
    connect(ComboBoxPrinter, &QComboBox::currentIndexChanged, this, [this] { runGuarded([this] { showPrinter(); }); });
    connect(ButtonPrint, &QPushButton::clicked, this, [this] { runGuarded([this] { printPage(); }); });
    connect(ButtonPdf, &QPushButton::clicked, this, [this] { runGuarded([this] { savePdf(); }); });
    connect(ButtonReset, &QPushButton::clicked, this, [this] {
        runGuarded([this] { setMarks(labeldata::nominalMarks(FPaper.width(), FPaper.height())); });
    });
    connect(Buttons, &QDialogButtonBox::accepted, this, &TCalibrationDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TCalibrationDialog::reject);
    showPrinter();
}

QString TCalibrationDialog::printerName() const
{
    return ComboBoxPrinter->currentText();
}

void TCalibrationDialog::setMarks(const CalibrationMarks& m)
{
    EditLeft->SetValue(m.left);
    EditRight->SetValue(m.right);
    EditTop->SetValue(m.top);
    EditBottom->SetValue(m.bottom);
    showResult();
}

void TCalibrationDialog::showPrinter()
{
    const QString name = printerName();
    FPaper = name.isEmpty() ? QPageSize(QPageSize::A4).size(QPageSize::Millimeter) : paperOf(name);
    const QString paper = paperName(FPaper);
    LabelPaper->setText(QStringLiteral("用紙: %1%2 × %3 mm")
                            .arg(paper.isEmpty() ? QString() : paper + QLatin1Char(' '), mm(FPaper.width()),
                                 mm(FPaper.height())));
    // The fields start where a page printed with the stored correction undone would put the
    // crosses, so OK without typing keeps what is stored.
    const labeldata::Calibration stored = name.isEmpty() ? labeldata::Calibration{} : sheet::loadCalibration(name);
    LabelCurrent->setText(name.isEmpty() ? QString() : QStringLiteral("いま保存されている補正:\n") + calibrationText(stored));
    const CalibrationMarks nominal = labeldata::nominalMarks(FPaper.width(), FPaper.height());
    const double bx = 100 / stored.scaleX, by = 100 / stored.scaleY;
    const double ax = -stored.offsetX * bx, ay = -stored.offsetY * by;
    setMarks({ax + bx * nominal.left, ax + bx * nominal.right, ay + by * nominal.top, ay + by * nominal.bottom});
}

QString TCalibrationDialog::problem(labeldata::Calibration& result) const
{
    const struct {
        const TUpdownNumberEdit* field;
        const char* name;
    } fields[] = {{EditLeft, "左"}, {EditRight, "右"}, {EditTop, "上"}, {EditBottom, "下"}};
    for (const auto& f : fields)
        if (!holdsMeasure(f.field))
            return QStringLiteral("「%1」に、測った長さを mm で入力してください。").arg(QString::fromUtf8(f.name));
    const labeldata::CalibrationResult r = labeldata::calibrationFromMarks(
        {double(EditLeft->Value()), double(EditRight->Value()), double(EditTop->Value()), double(EditBottom->Value())},
        FPaper.width(), FPaper.height());
    const QString direction = r.across ? QStringLiteral("横") : QStringLiteral("縦");
    switch (r.problem) {
    case labeldata::CalibrationProblem::None:
        result = r.calibration;
        return {};
    case labeldata::CalibrationProblem::NotANumber:
        return QStringLiteral("測った長さに数でないものがあります。");
    case labeldata::CalibrationProblem::MarksOutOfOrder:
        return r.across ? QStringLiteral("「右」は「左」より大きな値にしてください。")
                        : QStringLiteral("「下」は「上」より大きな値にしてください。");
    case labeldata::CalibrationProblem::ScaleOutOfRange:
        return QStringLiteral("%1の倍率が %2 % になり、%3 ～ %4 % の範囲を超えます。用紙と測った長さを確かめてください。")
            .arg(direction, mm(r.value), QString::number(labeldata::ScaleMin), QString::number(labeldata::ScaleMax));
    case labeldata::CalibrationProblem::OffsetOutOfRange:
        return QStringLiteral("%1の位置が %2 mm になり、±%3 mm の範囲を超えます。測った長さを確かめてください。")
            .arg(direction, mm(r.value), QString::number(labeldata::OffsetLimit));
    }
    return {};
}

void TCalibrationDialog::showResult()
{
    labeldata::Calibration c;
    const QString why = problem(c);
    LabelResult->setText(why.isEmpty() ? QStringLiteral("この補正になります:\n") + calibrationText(c) : why);
}

void TCalibrationDialog::accept()
{
    const QString name = printerName();
    if (name.isEmpty())
        return;
    labeldata::Calibration c;
    const QString why = problem(c);
    if (!why.isEmpty()) {
        showMessage(why + QStringLiteral("補正は保存しませんでした。"));
        return;
    }
    sheet::saveCalibration(name, c);
    QDialog::accept();
}

void TCalibrationDialog::printPage()
{
    const QString name = printerName();
    if (name.isEmpty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(name);
    printer.setDocName(QStringLiteral("補正ページ"));
    // Uncorrected, at 100 %, from the paper's very corner.
    printer.setPageLayout(sheet::pageLayout(FPaper));
    QPainter painter;
    beginPrinting(painter, printer);
    sheet::drawCalibrationPage(painter, FPaper, {paperName(FPaper), name, QDate::currentDate()});
    painter.end();
}

void savePdfAs(QWidget* parent, const QString& document, const std::function<void(const QString&)>& write)
{
    TSaveDialog dialog;
    dialog.Filter = QStringLiteral("PDF|*.pdf");
    dialog.Title = QStringLiteral("%1を PDF に保存").arg(document);
    dialog.FileName = QDir::current().absoluteFilePath(document + QStringLiteral(".pdf"));
    if (!dialog.Execute(parent))
        return;
    withFileMessages([&] { write(dialog.FileName); });
}

void TCalibrationDialog::savePdf()
{
    const QSizeF paper = FPaper;
    const QString name = printerName();
    savePdfAs(this, QStringLiteral("補正ページ"), [&](const QString& path) {
        sheet::writeCalibrationPagePdf(path, paper, {paperName(paper), name, QDate::currentDate()});
    });
}
