#include "editor/Unit1.h"

#include "editor/FieldMap.h"
#include "editor/GroupNameEdit.h"
#include "editor/Preview.h"
#include "editor/Unit2.h"
#include "editor/WindowFont.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "products/Catalogue.h"
#include "toolkit/Application.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Help.h"
#include "toolkit/Image.h"
#include "toolkit/SpinEdit.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>

#include <vector>

namespace {

const QString kCaption = QStringLiteral("Tesselラベルエディター");

template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// A static text keeps its place; like an auto-sized label it widens when the font needs more room.
QLabel* staticText(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                   int height)
{
    auto* label = place(new QLabel(text, parent), name, left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QSize hint = label->sizeHint();
    label->resize(std::max(width, hint.width()), std::max(height, hint.height()));
    return label;
}

// A one-character caption says little; the tooltip says what the button does.
QPushButton* smallButton(QWidget* parent, const char* name, const QString& text, int left, int top,
                         const QString& accessibleName, const QString& toolTip)
{
    auto* button = place(new QPushButton(text, parent), name, left, top, 17, 17);
    button->setAccessibleName(accessibleName);
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                 int height)
{
    return place(new QGroupBox(caption, parent), name, left, top, width, height);
}

// The ten length fields share their number settings; three of them group thousands.
TUpdownNumberEdit* lengthField(QWidget* parent, const char* name, int left, int top, bool comma,
                               const QString& accessibleName)
{
    auto* field = place(new TUpdownNumberEdit(parent), name, left, top, 121, 20);
    field->SetFigure(2);
    field->SetFixed(true);
    field->SetComma(comma);
    field->SetLimit(true);
    field->SetLimitOptions(TLimitOptions{loMax, loMin});
    field->SetMax(1000.0L);
    field->SetRoundMode(rmRound);
    field->SetIncrement(1.0L);
    field->setAccessibleName(accessibleName);
    return field;
}

TSpinEdit* spinField(QWidget* parent, const char* name, int left, int top, const QString& accessibleName)
{
    auto* field = place(new TSpinEdit(parent), name, left, top, 81, 21);
    field->SetMinValue(1);
    field->SetMaxValue(1000);
    field->SetIncrement(1);
    field->setAccessibleName(accessibleName);
    return field;
}

// The item shows its action's caption, shortcut, state and hint and runs the action when chosen.
void linkItem(QAction* item, QAction* action, const QString& ownCaption = {})
{
    item->setText(ownCaption.isEmpty() ? action->text() : ownCaption);
    item->setShortcut(action->shortcut());
    item->setEnabled(action->isEnabled());
    item->setToolTip(action->toolTip());
    item->setStatusTip(action->statusTip());
    QObject::connect(action, &QAction::changed, item, [item, action] { item->setEnabled(action->isEnabled()); });
    QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
}

// A hint is "short|long" or just one text.
QAction* makeAction(QObject* list, const char* name, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = {})
{
    auto* action = new QAction(caption, list);
    action->setObjectName(QLatin1String(name));
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    action->setShortcut(shortcut);
    return action;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setFont(windowFont());
    setWindowTitle(QStringLiteral("Form1")); // replaced by the reset
    buildControls();
    buildMenu();
    setAcceptDrops(true);
    // Fixed single border, centred on the screen.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    bindEvents();
    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setAccessibleName(QStringLiteral("ラベルスタイルの編集"));
    client->setAutoFillBackground(true);
    client->setBackgroundRole(QPalette::Button);
    client->setFixedSize(507, 434);
    setCentralWidget(client);

    Edit11 = place(new TGroupNameEdit(client), "Edit11", 8, 8, 121, 20);
    Edit11->setAccessibleName(QStringLiteral("ラベルグループ名"));
    Edit11->setToolTip(QStringLiteral("ラベルグループ名"));
    // The designer's text; clearing it at the reset is the change that gives GroupName its NUL.
    Edit11->setText(QStringLiteral("Edit11"));
    Label11 = staticText(client, "Label11", QStringLiteral("ラベルのスタイル"), 8, 40, 87, 12);
    ComboBox1 = place(new TComboBox(client), "ComboBox1", 104, 32, 113, 20);
    ComboBox1->setEditable(false);
    // A plain string list takes a whole set of names in one reset.
    ComboBox1->setModel(new QStringListModel(ComboBox1));
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setAccessibleName(QStringLiteral("ラベルのスタイル"));
    Button3 = smallButton(client, "Button3", QStringLiteral("+"), 224, 32, QStringLiteral("スタイルを追加"),
                          QStringLiteral("スタイルを追加"));
    Button4 = smallButton(client, "Button4", QStringLiteral("U"), 240, 32, QStringLiteral("スタイルを更新"),
                          QStringLiteral("フィールドの値をスタイルに保存"));
    Button4->setEnabled(false);
    Button1 = smallButton(client, "Button1", QStringLiteral("-"), 256, 32, QStringLiteral("スタイルを削除"),
                          QStringLiteral("スタイルを削除"));
    Image1 = place(new TImage(client), "Image1", 8, 64, 249, 289);
    Image1->setAccessibleName(QStringLiteral("プレビュー"));

    GroupBox1 = frame(client, "GroupBox1", QStringLiteral("レイアウト"), 8, 368, 249, 57);
    Label1 = staticText(GroupBox1, "Label1", QStringLiteral("行"), 8, 24, 12, 12);
    SpinEdit1 = spinField(GroupBox1, "SpinEdit1", 32, 20, QStringLiteral("レイアウト 行"));
    Label2 = staticText(GroupBox1, "Label2", QStringLiteral("列"), 128, 24, 12, 12);
    SpinEdit2 = spinField(GroupBox1, "SpinEdit2", 152, 20, QStringLiteral("レイアウト 列"));

    GroupBox2 = frame(client, "GroupBox2", QStringLiteral("台紙サイズ"), 280, 8, 217, 89);
    Label3 = staticText(GroupBox2, "Label3", QStringLiteral("幅"), 8, 24, 12, 12);
    Label4 = staticText(GroupBox2, "Label4", QStringLiteral("高さ"), 8, 56, 21, 12);
    // These two belong to the window, placed over the frame.
    UpdownNumberEdit1 = lengthField(client, "UpdownNumberEdit1", 360, 32, false, QStringLiteral("台紙サイズ 幅"));
    UpdownNumberEdit2 = lengthField(client, "UpdownNumberEdit2", 360, 64, false, QStringLiteral("台紙サイズ 高さ"));

    GroupBox3 = frame(client, "GroupBox3", QStringLiteral("ラベルサイズ"), 280, 112, 217, 81);
    Label5 = staticText(GroupBox3, "Label5", QStringLiteral("幅"), 8, 24, 12, 12);
    UpdownNumberEdit3 = lengthField(GroupBox3, "UpdownNumberEdit3", 80, 21, false, QStringLiteral("ラベルサイズ 幅"));
    Label6 = staticText(GroupBox3, "Label6", QStringLiteral("高さ"), 8, 56, 21, 12);
    UpdownNumberEdit4 = lengthField(GroupBox3, "UpdownNumberEdit4", 80, 53, false, QStringLiteral("ラベルサイズ 高さ"));

    GroupBox4 = frame(client, "GroupBox4", QStringLiteral("マージン"), 280, 208, 217, 121);
    Label7 = staticText(GroupBox4, "Label7", QStringLiteral("左"), 8, 24, 12, 12);
    UpdownNumberEdit5 = lengthField(GroupBox4, "UpdownNumberEdit5", 80, 21, false, QStringLiteral("マージン 左"));
    Label8 = staticText(GroupBox4, "Label8", QStringLiteral("右"), 8, 48, 12, 12);
    UpdownNumberEdit6 = lengthField(GroupBox4, "UpdownNumberEdit6", 80, 45, false, QStringLiteral("マージン 右"));
    Label9 = staticText(GroupBox4, "Label9", QStringLiteral("上"), 8, 72, 12, 12);
    UpdownNumberEdit7 = lengthField(GroupBox4, "UpdownNumberEdit7", 80, 69, false, QStringLiteral("マージン 上"));
    Label10 = staticText(GroupBox4, "Label10", QStringLiteral("下"), 8, 96, 12, 12);
    UpdownNumberEdit8 = lengthField(GroupBox4, "UpdownNumberEdit8", 80, 93, true, QStringLiteral("マージン 下"));

    Button2 = smallButton(client, "Button2", QStringLiteral("↓"), 384, 328, QStringLiteral("間隔を計算"),
                          QStringLiteral("間隔を計算"));

    GroupBox5 = frame(client, "GroupBox5", QStringLiteral("間隔"), 280, 344, 217, 81);
    Label12 = staticText(GroupBox5, "Label12", QStringLiteral("水平方向"), 8, 24, 48, 12);
    UpdownNumberEdit9 = lengthField(GroupBox5, "UpdownNumberEdit9", 80, 21, true, QStringLiteral("間隔 水平方向"));
    Label13 = staticText(GroupBox5, "Label13", QStringLiteral("垂直方向"), 8, 56, 48, 12);
    UpdownNumberEdit10 = lengthField(GroupBox5, "UpdownNumberEdit10", 80, 53, true, QStringLiteral("間隔 垂直方向"));

    // The frames come after the window's first five controls and before the two sheet-size fields.
    const std::vector<QWidget*> tabOrder{
        Edit11, ComboBox1, Button3, Button4, Button1,
        SpinEdit1, SpinEdit2,
        UpdownNumberEdit3, UpdownNumberEdit4,
        UpdownNumberEdit5, UpdownNumberEdit6, UpdownNumberEdit7, UpdownNumberEdit8,
        UpdownNumberEdit9, UpdownNumberEdit10,
        UpdownNumberEdit1, UpdownNumberEdit2, Button2};
    for (size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

}

void TForm1::buildMenu()
{
    ActionList1 = new QObject(this);
    ActionList1->setObjectName(QStringLiteral("ActionList1"));
    FileNew1 = makeAction(ActionList1, "FileNew1", QStringLiteral("新規作成(&N)"),
                          QStringLiteral("新規作成|新しいファイルを作成する"), QKeySequence(Qt::CTRL | Qt::Key_N));
    FileOpen1 = makeAction(ActionList1, "FileOpen1", QStringLiteral("開く(&O)..."),
                           QStringLiteral("開く|既存のファイルを開く"), QKeySequence(Qt::CTRL | Qt::Key_O));
    FileAddProducts1 = makeAction(ActionList1, "FileAddProducts1", QStringLiteral("製品から追加(&I)..."),
                                  QStringLiteral("製品から追加|gLabels や LibreOffice のラベル製品をスタイルとして追加する"));
    FileSave1 = makeAction(ActionList1, "FileSave1", QStringLiteral("上書き保存(&S)"), QStringLiteral("上書き保存"),
                           QKeySequence(Qt::CTRL | Qt::Key_S));
    FileSaveAs1 = makeAction(ActionList1, "FileSaveAs1", QStringLiteral("名前を付けて保存(&A)"),
                             QStringLiteral("名前を付けて保存|現在のファイルに新しい名前をつけて保存"));
    FileExportPdf1 = makeAction(ActionList1, "FileExportPdf1", QStringLiteral("PDF に書き出す(&E)..."),
                                QStringLiteral("PDF に書き出す|テストシートを PDF ファイルに書き出す"));
    FileExportGlabels1 = makeAction(ActionList1, "FileExportGlabels1", QStringLiteral("gLabels 用に書き出す(&G)..."),
                                    QStringLiteral("gLabels 用に書き出す|すべてのスタイルを gLabels のテンプレートファイルに書き出す"));
    FileExportLibreOffice1 = makeAction(ActionList1, "FileExportLibreOffice1", QStringLiteral("LibreOffice 用に書き出す(&L)..."),
                                        QStringLiteral("LibreOffice 用に書き出す|すべてのスタイルを、LibreOffice Writer のラベルに加える拡張機能に書き出す"));
    FileExportSvg1 = makeAction(ActionList1, "FileExportSvg1", QStringLiteral("SVG テンプレートを書き出す(&V)..."),
                                QStringLiteral("SVG テンプレートを書き出す|表示中の台紙を、ラベルの輪郭だけの SVG に書き出す"));
    FileTestPrint1 = makeAction(ActionList1, "FileTestPrint1", QStringLiteral("テスト印刷(&P)..."),
                                QStringLiteral("テスト印刷|テストシートを補正してプリンターで印刷する"),
                                QKeySequence(Qt::CTRL | Qt::Key_P));
    FileCalibrate1 = makeAction(ActionList1, "FileCalibrate1", QStringLiteral("プリンターの補正(&B)..."),
                                QStringLiteral("プリンターの補正|補正ページを印刷し、測った長さからプリンターの位置と倍率の補正を求める"));
    FileAddCorrected1 = makeAction(ActionList1, "FileAddCorrected1", QStringLiteral("補正したスタイルを追加(&K)"),
                                   QStringLiteral("補正したスタイルを追加|入力欄の値をプリンターの補正で直したスタイルを追加する"));
    FileAlign1 = makeAction(ActionList1, "FileAlign1", QStringLiteral("位置合わせ(&M)..."),
                            QStringLiteral("位置合わせ|位置合わせシートをラベル用紙に印刷し、読んだ目盛りから入力欄の値を実際のラベルに合わせる"));
    FileExit1 = makeAction(ActionList1, "FileExit1", QStringLiteral("終了(&X)"),
                           QStringLiteral("終了|アプリケーションを終了する"));
    HelpContents1 = makeAction(ActionList1, "HelpContents1", QStringLiteral("目次(&C)"),
                               QStringLiteral("ヘルプの目次"));
    HelpContents1->setEnabled(false);
    HelpTopicSearch1 = makeAction(ActionList1, "HelpTopicSearch1", QStringLiteral("トピックの検索(&T)"),
                                  QStringLiteral("トピックの検索"));
    HelpTopicSearch1->setEnabled(false);

    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setAccessibleName(QStringLiteral("メニュー"));
    File1 = MainMenu1->addMenu(QStringLiteral("ファイル(&F)"));
    File1->setObjectName(QStringLiteral("File1"));
    auto item = [](QMenu* menu, const char* name) {
        auto* action = menu->addAction(QString());
        action->setObjectName(QLatin1String(name));
        return action;
    };
    New1 = item(File1, "New1");
    linkItem(New1, FileNew1);
    Open1 = item(File1, "Open1");
    linkItem(Open1, FileOpen1, QStringLiteral("開く(&O)"));
    AddProducts1 = item(File1, "AddProducts1");
    linkItem(AddProducts1, FileAddProducts1);
    S1 = item(File1, "S1");
    linkItem(S1, FileSave1);
    SaveAs1 = item(File1, "SaveAs1");
    linkItem(SaveAs1, FileSaveAs1);
    N3 = File1->addSeparator();
    N3->setObjectName(QStringLiteral("N3"));
    ExportPdf1 = item(File1, "ExportPdf1");
    linkItem(ExportPdf1, FileExportPdf1);
    ExportGlabels1 = item(File1, "ExportGlabels1");
    linkItem(ExportGlabels1, FileExportGlabels1);
    ExportLibreOffice1 = item(File1, "ExportLibreOffice1");
    linkItem(ExportLibreOffice1, FileExportLibreOffice1);
    ExportSvg1 = item(File1, "ExportSvg1");
    linkItem(ExportSvg1, FileExportSvg1);
    TestPrint1 = item(File1, "TestPrint1");
    linkItem(TestPrint1, FileTestPrint1);
    Calibrate1 = item(File1, "Calibrate1");
    linkItem(Calibrate1, FileCalibrate1);
    AddCorrected1 = item(File1, "AddCorrected1");
    linkItem(AddCorrected1, FileAddCorrected1);
    Align1 = item(File1, "Align1");
    linkItem(Align1, FileAlign1);
    N2 = File1->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    Exit1 = item(File1, "Exit1");
    linkItem(Exit1, FileExit1);

    Help1 = MainMenu1->addMenu(QStringLiteral("ヘルプ(&H)"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Contents1 = item(Help1, "Contents1");
    linkItem(Contents1, HelpContents1);
    About1 = item(Help1, "About1");
    About1->setText(QStringLiteral("バージョン情報(&A)..."));
    // Opening the menu brings its actions up to date; the help action then finds the application.
    connect(Help1, &QMenu::aboutToShow, this, [this] { runGuarded([this] { HelpContents1->setEnabled(true); }); });
}

void TForm1::bindEvents()
{
    auto guarded = [this](void (TForm1::*handler)()) {
        return [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(ComboBox1, &QComboBox::activated, this, guarded(&TForm1::ComboBox1Select));
    connect(Button3, &QPushButton::clicked, this, guarded(&TForm1::Button3Click));
    connect(Button4, &QPushButton::clicked, this, guarded(&TForm1::Button4Click));
    connect(Button1, &QPushButton::clicked, this, guarded(&TForm1::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&TForm1::Button2Click));
    connect(FileNew1, &QAction::triggered, this, guarded(&TForm1::FileNew1Execute));
    connect(FileOpen1, &QAction::triggered, this, guarded(&TForm1::FileOpen1Execute));
    connect(FileAddProducts1, &QAction::triggered, this, guarded(&TForm1::FileAddProducts1Execute));
    connect(FileSave1, &QAction::triggered, this, guarded(&TForm1::FileSave1Execute));
    connect(FileSaveAs1, &QAction::triggered, this, guarded(&TForm1::FileSaveAs1Execute));
    connect(FileExportPdf1, &QAction::triggered, this, guarded(&TForm1::FileExportPdf1Execute));
    connect(FileExportGlabels1, &QAction::triggered, this, guarded(&TForm1::FileExportGlabels1Execute));
    connect(FileExportLibreOffice1, &QAction::triggered, this, guarded(&TForm1::FileExportLibreOffice1Execute));
    connect(FileExportSvg1, &QAction::triggered, this, guarded(&TForm1::FileExportSvg1Execute));
    connect(FileTestPrint1, &QAction::triggered, this, guarded(&TForm1::FileTestPrint1Execute));
    connect(FileCalibrate1, &QAction::triggered, this, guarded(&TForm1::FileCalibrate1Execute));
    connect(FileAddCorrected1, &QAction::triggered, this, guarded(&TForm1::FileAddCorrected1Execute));
    connect(FileAlign1, &QAction::triggered, this, guarded(&TForm1::FileAlign1Execute));
    connect(FileExit1, &QAction::triggered, this, guarded(&TForm1::FileExit1Execute));
    connect(HelpContents1, &QAction::triggered, this, guarded(&TForm1::HelpContents1Execute));
    connect(About1, &QAction::triggered, this, guarded(&TForm1::About1Click));

    Edit11->OnChange = [this](QObject*) { Edit11Change(); };
    Image1->OnSurfaceChange = [this] { DrawPreview(); };
    for (QObject* field : std::initializer_list<QObject*>{UpdownNumberEdit1, UpdownNumberEdit2, UpdownNumberEdit3,
                                                          UpdownNumberEdit4})
        static_cast<TUpdownNumberEdit*>(field)->OnChange = [this](QObject* s) { UpdownNumberEdit1Change(s); };
    SpinEdit1->OnChange = [this](QObject* s) { UpdownNumberEdit1Change(s); };
    SpinEdit2->OnChange = [this](QObject* s) { UpdownNumberEdit1Change(s); };
    for (TUpdownNumberEdit* field : {UpdownNumberEdit5, UpdownNumberEdit6, UpdownNumberEdit7, UpdownNumberEdit8,
                                     UpdownNumberEdit9, UpdownNumberEdit10})
        field->OnChange = [this](QObject* s) { UpdownNumberEdit5Change(s); };
}

void TForm1::FormCreate()
{
    OpenDialog = std::make_unique<TOpenDialog>();
    OpenDialog->Filter = QStringLiteral("tpl|*.tpl");
    SaveDialog = std::make_unique<TSaveDialog>();
    SaveDialog->Filter = QStringLiteral("tpl|*.tpl");
    PdfDialog = std::make_unique<TSaveDialog>();
    PdfDialog->Filter = QStringLiteral("PDF|*.pdf");
    PdfDialog->Title = QStringLiteral("PDF に書き出す");
    PdfDialog->CheckBoxCaption = QStringLiteral("すべてのスタイル");
    Datatree = std::make_unique<Tdatatree>();
    ProductSources = products::installedSources();
    ResetFields();
    DrawPreview();
    // The reset's clearing of the group-name box is no change of the user's.
    FUnsavedSetChanges = false;
}

void TForm1::FormDestroy()
{
    // The controls outlive this call; a late change notification must not reach a freed set.
    Edit11->OnChange = nullptr;
    Image1->OnSurfaceChange = nullptr;
    for (TCustomEdit* field : std::initializer_list<TCustomEdit*>{
             SpinEdit1, SpinEdit2, UpdownNumberEdit1, UpdownNumberEdit2, UpdownNumberEdit3, UpdownNumberEdit4,
             UpdownNumberEdit5, UpdownNumberEdit6, UpdownNumberEdit7, UpdownNumberEdit8, UpdownNumberEdit9,
             UpdownNumberEdit10})
        field->OnChange = nullptr;
    Datatree.reset();
}

void TForm1::ResetFields()
{
    Edit11->setText(QString());
    setWindowTitle(kCaption);
    ComboBox1->clear();
    for (const FieldBinding& b : FieldMap) {
        if (b.spin)
            (this->*b.spin)->SetValue(int(b.resetValue));
        else
            (this->*b.length)->SetValue(b.resetValue);
    }
}

void TForm1::setCaptionForFile(const QString& fileName)
{
    setWindowTitle(kCaption + QLatin1Char(':') + QFileInfo(fileName).fileName());
}

void TForm1::DrawPreview()
{
    PreviewInput input;
    for (const FieldBinding& b : FieldMap) {
        input.values[size_t(b.field)] = b.spin ? Extended((this->*b.spin)->Value()) : (this->*b.length)->Value();
    }
    ::DrawPreview(Image1->Picture(), input);
    Image1->setAccessibleDescription(DescribePreview(input));
    Image1->update();
}
