#include "editor/CalibrationDialog.h"

#include "editor/FileMessages.h"
#include "editor/TestPrint.h"
#include "numberedit/UpdownNumberEdit.h"
#include "settings/Settings.h"
#include "sheet/CalibrationPage.h"
#include "sheet/TestSheet.h"
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
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>
#include <utility>
#include <vector>

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

// "右回りに 0.200°": clockwise as the page is seen.
QString rotationText(double degrees)
{
    const QString figure = QString::number(std::fabs(degrees), 'f', 3) + QStringLiteral("°");
    if (degrees == 0)
        return figure;
    return (degrees > 0 ? QStringLiteral("右回りに ") : QStringLiteral("左回りに ")) + figure;
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
    const QString text = QStringLiteral("横: 位置 %1 mm、倍率 %2 %\n縦: 位置 %3 mm、倍率 %4 %")
                             .arg(mm(c.offsetX), mm(c.scaleX), mm(c.offsetY), mm(c.scaleY));
    return c.rotation == 0 ? text : text + QStringLiteral("\n回転: ") + rotationText(c.rotation);
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
    RadioFour = new QRadioButton(QStringLiteral("4 か所"), this);
    RadioFour->setObjectName(QStringLiteral("RadioFour"));
    RadioFour->setToolTip(QStringLiteral("左右と上下の十字を二つずつまとめて測ります"));
    RadioFour->setChecked(true);
    RadioEight = new QRadioButton(QStringLiteral("8 か所"), this);
    RadioEight->setObjectName(QStringLiteral("RadioEight"));
    RadioEight->setToolTip(QStringLiteral("十字を一つずつ測ります。用紙の傾きと、測り違いがないかもわかります"));
    const QString corners[] = {QStringLiteral("左上"), QStringLiteral("右上"), QStringLiteral("左下"), QStringLiteral("右下")};
    for (int i = 0; i < 4; ++i) {
        EditX[i] = markField(this, QStringLiteral("EditX%1").arg(i + 1).toLatin1().constData(),
                             QStringLiteral("%1の縦線 (mm)").arg(corners[i]));
        EditY[i] = markField(this, QStringLiteral("EditY%1").arg(i + 1).toLatin1().constData(),
                             QStringLiteral("%1の横線 (mm)").arg(corners[i]));
    }
    auto* help = new QLabel(QStringLiteral("印刷したページで、用紙の左端から左と右の十字の縦線まで、"
                                           "上端から上と下の十字の横線までを定規で測って入力します。")
                                + QStringLiteral("8 か所では十字ごとに、左端から縦線まで、上端から横線までを測ります。"),
                            this);
    help->setWordWrap(true);
    LabelResult = new QLabel(this);
    LabelResult->setObjectName(QStringLiteral("LabelResult"));
    LabelResult->setWordWrap(true);
    // Room for the longest result (eight distances with a warning), so typing never moves the fields.
    LabelResult->setMinimumHeight(LabelResult->fontMetrics().lineSpacing() * 7);
    LabelResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    auto* count = new QHBoxLayout;
    count->addWidget(RadioFour);
    count->addWidget(RadioEight);
    count->addStretch();
    int row = 0;
    marks->addLayout(count, row++, 0, 1, 2);
    auto addRow = [&](const QString& caption, TUpdownNumberEdit* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        FFieldLabels[field] = label;
        marks->addWidget(label, row, 0);
        marks->addWidget(field, row++, 1);
    };
    const struct {
        const char* caption;
        TUpdownNumberEdit* field;
    } rows[] = {{"左 (mm)", EditLeft}, {"右 (mm)", EditRight}, {"上 (mm)", EditTop}, {"下 (mm)", EditBottom}};
    for (const auto& r : rows)
        addRow(QString::fromUtf8(r.caption), r.field);
    for (int i = 0; i < 4; ++i)
        addRow(QStringLiteral("%1の縦線 (mm)").arg(corners[i]), EditX[i]);
    for (int i = 0; i < 4; ++i)
        addRow(QStringLiteral("%1の横線 (mm)").arg(corners[i]), EditY[i]);
    marks->setRowStretch(row, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(new TCalibrationDiagram(this));
    middle->addLayout(marks, 1);
    auto* layout = new QVBoxLayout(this);
    // Eight fields need more height than four: the dialog grows with them.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addLayout(top);
    layout->addWidget(LabelNoPrinter);
    layout->addWidget(LabelPaper);
    layout->addLayout(pageButtons);
    layout->addWidget(help);
    layout->addLayout(middle);
    // Below the fields, across the dialog: the result of eight distances runs to several lines.
    layout->addWidget(LabelResult);
    layout->addWidget(LabelCurrent);
    layout->addWidget(Buttons);

    const bool any = !printers.isEmpty();
    ComboBoxPrinter->setEnabled(any);
    LabelNoPrinter->setVisible(!any);
    ButtonPrint->setEnabled(any);
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(any);

    // Every change of the text, also to none, which the field's OnChange does not report.
    for (const auto& [field, label] : FFieldLabels)
        connect(field, &QLineEdit::textChanged, this, [this] { runGuarded([this] { showResult(); }); });
    connect(RadioEight, &QRadioButton::toggled, this, [this] { runGuarded([this] { showCount(); }); });
    connect(ComboBoxPrinter, &QComboBox::currentIndexChanged, this, [this] { runGuarded([this] { showPrinter(); }); });
    connect(ButtonPrint, &QPushButton::clicked, this, [this] { runGuarded([this] { printPage(); }); });
    connect(ButtonPdf, &QPushButton::clicked, this, [this] { runGuarded([this] { savePdf(); }); });
    connect(ButtonReset, &QPushButton::clicked, this, [this] {
        runGuarded([this] {
            setMarks(labeldata::nominalMarks(FPaper.width(), FPaper.height()),
                     labeldata::nominalCrosses(FPaper.width(), FPaper.height()));
        });
    });
    connect(Buttons, &QDialogButtonBox::accepted, this, &TCalibrationDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &TCalibrationDialog::reject);
    showPrinter();
    showCount();
}

bool TCalibrationDialog::eightDistances() const
{
    return RadioEight->isChecked();
}

void TCalibrationDialog::showCount()
{
    const bool eight = eightDistances();
    for (const auto& [field, label] : FFieldLabels) {
        const bool four = field == EditLeft || field == EditRight || field == EditTop || field == EditBottom;
        field->setVisible(four != eight);
        label->setVisible(four != eight);
    }
    showResult();
}

QString TCalibrationDialog::printerName() const
{
    return ComboBoxPrinter->currentText();
}

void TCalibrationDialog::setMarks(const CalibrationMarks& m, const labeldata::CalibrationCrosses& crosses)
{
    EditLeft->SetValue(m.left);
    EditRight->SetValue(m.right);
    EditTop->SetValue(m.top);
    EditBottom->SetValue(m.bottom);
    for (int i = 0; i < 4; ++i) {
        EditX[i]->SetValue(crosses.x[i]);
        EditY[i]->SetValue(crosses.y[i]);
    }
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
    const labeldata::Calibration stored = name.isEmpty() ? labeldata::Calibration{} : settings::loadCalibration(name);
    LabelCurrent->setText(name.isEmpty() ? QString() : QStringLiteral("いま保存されている補正:\n") + calibrationText(stored));
    const CalibrationMarks nominal = labeldata::nominalMarks(FPaper.width(), FPaper.height());
    const double bx = 100 / stored.scaleX, by = 100 / stored.scaleY;
    const double ax = -stored.offsetX * bx, ay = -stored.offsetY * by;
    setMarks({ax + bx * nominal.left, ax + bx * nominal.right, ay + by * nominal.top, ay + by * nominal.bottom},
             labeldata::printedCrosses(stored, FPaper.width(), FPaper.height()));
}

QString TCalibrationDialog::problem(labeldata::CalibrationResult& r) const
{
    const bool eight = eightDistances();
    std::vector<std::pair<const TUpdownNumberEdit*, QString>> fields;
    if (eight) {
        for (int i = 0; i < 4; ++i)
            fields.emplace_back(EditX[i], FFieldLabels.at(EditX[i])->text().remove(QStringLiteral(" (mm)")));
        for (int i = 0; i < 4; ++i)
            fields.emplace_back(EditY[i], FFieldLabels.at(EditY[i])->text().remove(QStringLiteral(" (mm)")));
    } else {
        fields = {{EditLeft, QStringLiteral("左")}, {EditRight, QStringLiteral("右")}, {EditTop, QStringLiteral("上")},
                  {EditBottom, QStringLiteral("下")}};
    }
    for (const auto& [field, name] : fields)
        if (!holdsMeasure(field))
            return QStringLiteral("「%1」に、測った長さを mm で入力してください。").arg(name);
    auto value = [](const TUpdownNumberEdit* field) { return double(field->Value()); };
    r = eight ? labeldata::calibrationFromCrosses({{value(EditX[0]), value(EditX[1]), value(EditX[2]), value(EditX[3])},
                                                   {value(EditY[0]), value(EditY[1]), value(EditY[2]), value(EditY[3])}},
                                                  FPaper.width(), FPaper.height())
              : labeldata::calibrationFromMarks({value(EditLeft), value(EditRight), value(EditTop), value(EditBottom)},
                                                FPaper.width(), FPaper.height());
    const QString direction = r.across ? QStringLiteral("横") : QStringLiteral("縦");
    switch (r.problem) {
    case labeldata::CalibrationProblem::None:
        return {};
    case labeldata::CalibrationProblem::NotANumber:
        return QStringLiteral("測った長さに数でないものがあります。");
    case labeldata::CalibrationProblem::MarksOutOfOrder:
        if (eight)
            return r.across ? QStringLiteral("右上と右下の縦線は、左上と左下の縦線より大きな値にしてください。")
                            : QStringLiteral("左下と右下の横線は、左上と右上の横線より大きな値にしてください。");
        return r.across ? QStringLiteral("「右」は「左」より大きな値にしてください。")
                        : QStringLiteral("「下」は「上」より大きな値にしてください。");
    case labeldata::CalibrationProblem::ScaleOutOfRange:
        return QStringLiteral("%1の倍率が %2 % になり、%3 ～ %4 % の範囲を超えます。用紙と測った長さを確かめてください。")
            .arg(direction, mm(r.value), QString::number(labeldata::ScaleMin), QString::number(labeldata::ScaleMax));
    case labeldata::CalibrationProblem::OffsetOutOfRange:
        return QStringLiteral("%1の位置が %2 mm になり、±%3 mm の範囲を超えます。測った長さを確かめてください。")
            .arg(direction, mm(r.value), QString::number(labeldata::OffsetLimit));
    case labeldata::CalibrationProblem::RotationOutOfRange:
        return QStringLiteral("回転が %1° になり、±%2° の範囲を超えます。用紙をまっすぐ入れて印刷し、測り直してください。")
            .arg(mm(r.value), QString::number(labeldata::RotationLimit));
    case labeldata::CalibrationProblem::ReducedPrint:
        return QStringLiteral("補正ページが %1 % に縮小して印刷されています。「ページに合わせる」ではなく「実際のサイズ」(100 %) で"
                              "印刷し、測り直してください。")
            .arg(mm(r.value));
    }
    return {};
}

QString TCalibrationDialog::problem(labeldata::Calibration& result) const
{
    labeldata::CalibrationResult r;
    const QString why = problem(r);
    if (why.isEmpty())
        result = r.calibration;
    return why;
}

void TCalibrationDialog::showResult()
{
    labeldata::CalibrationResult r;
    const QString why = problem(r);
    if (!why.isEmpty()) {
        LabelResult->setText(why);
        return;
    }
    QString text = QStringLiteral("この補正になります:\n") + calibrationText(r.calibration);
    if (eightDistances()) {
        // calibrationText leaves out a rotation of 0; with eight distances it is a finding.
        if (r.calibration.rotation == 0)
            text += QStringLiteral("\n回転: ") + rotationText(0);
        text += QStringLiteral("、用紙の右下の角で %1 mm").arg(
                    mm(labeldata::rotationMovement(r.calibration.rotation, FPaper.width(), FPaper.height())))
            + QStringLiteral("\n残差 (測った長さと補正の最大の差): %1 mm").arg(mm(r.residual));
        if (r.residual > labeldata::ResidualWarning)
            text += QStringLiteral("\n測った長さのどれかが %1 mm を超えてずれています。十字を測り直してください。")
                        .arg(mm(labeldata::ResidualWarning));
    }
    LabelResult->setText(text);
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
    settings::saveCalibration(name, c);
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
    printCalibrationPage(printer, FPaper, {paperName(FPaper), name, QDate::currentDate()});
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
