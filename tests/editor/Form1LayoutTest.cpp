// The window as the program starts it: layout, captions, menus, defaults and start-up state.
#include "editor/GroupNameEdit.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Image.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

namespace {

struct LayoutRow {
    const char* name;
    const char* parent; // "" = the window's client area
    int left, top, width, height;
    const char* caption;
};

const LayoutRow kLayout[] = {
    {"Edit11", "", 8, 8, 121, 20, nullptr},
    {"Label11", "", 8, 40, 87, 12, "ラベルのスタイル"},
    {"ComboBox1", "", 104, 32, 113, 20, nullptr},
    {"Button3", "", 224, 32, 17, 17, "+"},
    {"Button4", "", 240, 32, 17, 17, "U"},
    {"Button1", "", 256, 32, 17, 17, "-"},
    {"Image1", "", 8, 64, 249, 289, nullptr},
    {"GroupBox1", "", 8, 368, 249, 57, "レイアウト"},
    {"Label1", "GroupBox1", 8, 24, 12, 12, "行"},
    {"SpinEdit1", "GroupBox1", 32, 20, 81, 21, nullptr},
    {"Label2", "GroupBox1", 128, 24, 12, 12, "列"},
    {"SpinEdit2", "GroupBox1", 152, 20, 81, 21, nullptr},
    {"GroupBox2", "", 280, 8, 217, 89, "台紙サイズ"},
    {"Label3", "GroupBox2", 8, 24, 12, 12, "幅"},
    {"Label4", "GroupBox2", 8, 56, 21, 12, "高さ"},
    {"UpdownNumberEdit1", "", 360, 32, 121, 20, nullptr},
    {"UpdownNumberEdit2", "", 360, 64, 121, 20, nullptr},
    {"GroupBox3", "", 280, 112, 217, 81, "ラベルサイズ"},
    {"Label5", "GroupBox3", 8, 24, 12, 12, "幅"},
    {"UpdownNumberEdit3", "GroupBox3", 80, 21, 121, 20, nullptr},
    {"Label6", "GroupBox3", 8, 56, 21, 12, "高さ"},
    {"UpdownNumberEdit4", "GroupBox3", 80, 53, 121, 20, nullptr},
    {"GroupBox4", "", 280, 208, 217, 121, "マージン"},
    {"Label7", "GroupBox4", 8, 24, 12, 12, "左"},
    {"UpdownNumberEdit5", "GroupBox4", 80, 21, 121, 20, nullptr},
    {"Label8", "GroupBox4", 8, 48, 12, 12, "右"},
    {"UpdownNumberEdit6", "GroupBox4", 80, 45, 121, 20, nullptr},
    {"Label9", "GroupBox4", 8, 72, 12, 12, "上"},
    {"UpdownNumberEdit7", "GroupBox4", 80, 69, 121, 20, nullptr},
    {"Label10", "GroupBox4", 8, 96, 12, 12, "下"},
    {"UpdownNumberEdit8", "GroupBox4", 80, 93, 121, 20, nullptr},
    {"Button2", "", 384, 328, 17, 17, "↓"},
    {"GroupBox5", "", 280, 344, 217, 81, "間隔"},
    {"Label12", "GroupBox5", 8, 24, 48, 12, "水平方向"},
    {"UpdownNumberEdit9", "GroupBox5", 80, 21, 121, 20, nullptr},
    {"Label13", "GroupBox5", 8, 56, 48, 12, "垂直方向"},
    {"UpdownNumberEdit10", "GroupBox5", 80, 53, 121, 20, nullptr},
};

QString captionOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(w))
        return box->title();
    return {};
}

} // namespace

TEST(Form1Layout, EveryControlHasItsPlaceParentAndCaption)
{
    auto form = newWindow();
    QWidget* client = form->centralWidget();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(507, 434));
    for (const LayoutRow& row : kLayout) {
        SCOPED_TRACE(row.name);
        auto* w = form->findChild<QWidget*>(QLatin1String(row.name));
        ASSERT_NE(w, nullptr);
        QWidget* expectedParent = *row.parent ? form->findChild<QWidget*>(QLatin1String(row.parent)) : client;
        EXPECT_EQ(w->parentWidget(), expectedParent);
        EXPECT_EQ(w->pos(), QPoint(row.left, row.top));
        if (qobject_cast<QLabel*>(w)) {
            // A static text may widen for the font, never shrink.
            EXPECT_GE(w->width(), row.width);
            EXPECT_GE(w->height(), row.height);
            EXPECT_GE(w->width(), w->sizeHint().width()); // nothing cut off
        } else {
            EXPECT_EQ(w->size(), QSize(row.width, row.height));
        }
        if (row.caption) {
            EXPECT_EQ(captionOf(w), QString::fromUtf8(row.caption));
        }
    }
}

TEST(Form1Layout, TabGoesThroughTheFieldsInTheWindowsOrder)
{
    auto form = newWindow();
    form->Button4->setEnabled(true); // a disabled button is skipped, but it has its place
    const std::vector<QWidget*> expected{
        form->Edit11,            form->ComboBox1,          form->Button3,           form->Button4,
        form->Button1,           form->SpinEdit1,          form->SpinEdit2,         form->UpdownNumberEdit3,
        form->UpdownNumberEdit4, form->UpdownNumberEdit5,  form->UpdownNumberEdit6, form->UpdownNumberEdit7,
        form->UpdownNumberEdit8, form->UpdownNumberEdit9,  form->UpdownNumberEdit10, form->UpdownNumberEdit1,
        form->UpdownNumberEdit2, form->Button2};
    std::vector<QWidget*> seen{form->Edit11};
    for (QWidget* w = form->Edit11->nextInFocusChain(); w != form->Edit11 && seen.size() < 100;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->window() == form.get())
            seen.push_back(w);
    }
    EXPECT_EQ(seen, expected);
}

TEST(Form1Layout, LengthFieldsShareTheirNumberSettings)
{
    auto form = newWindow();
    struct Row {
        TUpdownNumberEdit* field;
        bool comma;
        Extended start;
        const char* accessible;
    };
    const Row rows[] = {
        {form->UpdownNumberEdit1, false, 210, "台紙サイズ 幅"},  {form->UpdownNumberEdit2, false, 297, "台紙サイズ 高さ"},
        {form->UpdownNumberEdit3, false, 91, "ラベルサイズ 幅"}, {form->UpdownNumberEdit4, false, 55, "ラベルサイズ 高さ"},
        {form->UpdownNumberEdit5, false, 14, "マージン 左"},     {form->UpdownNumberEdit6, false, 14, "マージン 右"},
        {form->UpdownNumberEdit7, false, 11, "マージン 上"},     {form->UpdownNumberEdit8, true, 11, "マージン 下"},
        {form->UpdownNumberEdit9, true, 0, "間隔 水平方向"},     {form->UpdownNumberEdit10, true, 0, "間隔 垂直方向"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field->objectName().toStdString());
        EXPECT_EQ(row.field->Figure(), 2);
        EXPECT_TRUE(row.field->Fixed());
        EXPECT_EQ(row.field->RoundMode(), rmRound);
        EXPECT_TRUE(row.field->Limit());
        EXPECT_EQ(row.field->LimitOptions(), (TLimitOptions{loMax, loMin}));
        EXPECT_EQ(row.field->Min(), 0.0L);
        EXPECT_EQ(row.field->Max(), 1000.0L);
        EXPECT_EQ(row.field->Increment(), 1.0L);
        EXPECT_EQ(row.field->Comma(), row.comma);
        EXPECT_EQ(row.field->Value(), row.start);
        EXPECT_EQ(row.field->accessibleName(), QString::fromUtf8(row.accessible));
    }
    // At 1000 the bottom margin groups thousands and the top margin does not.
    form->UpdownNumberEdit8->SetValue(1000);
    form->UpdownNumberEdit7->SetValue(1000);
    EXPECT_NE(form->UpdownNumberEdit8->Text(), form->UpdownNumberEdit7->Text());
    EXPECT_EQ(form->UpdownNumberEdit7->Text().size() + 1, form->UpdownNumberEdit8->Text().size());

    for (TSpinEdit* spin : {form->SpinEdit1, form->SpinEdit2}) {
        EXPECT_EQ(spin->MinValue(), 1);
        EXPECT_EQ(spin->MaxValue(), 1000);
        EXPECT_EQ(spin->Increment(), 1);
    }
    EXPECT_EQ(form->SpinEdit1->accessibleName(), QStringLiteral("レイアウト 行"));
    EXPECT_EQ(form->SpinEdit2->accessibleName(), QStringLiteral("レイアウト 列"));
    for (QWidget* w : std::initializer_list<QWidget*>{form->Edit11, form->ComboBox1, form->Button1, form->Button2,
                                                      form->Button3, form->Button4})
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
}

TEST(Form1Layout, MenusShowTheirActionsCaptionsShortcutsAndStates)
{
    auto form = newWindow();
    EXPECT_EQ(form->File1->title(), QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(form->Help1->title(), QStringLiteral("ヘルプ(&H)"));
    struct Row {
        QAction* item;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
    };
    const Row rows[] = {
        {form->New1, "新規作成(&N)", QKeySequence(Qt::CTRL | Qt::Key_N), true},
        {form->Open1, "開く(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {form->AddProducts1, "製品から追加(&I)...", QKeySequence(), true},
        {form->S1, "上書き保存(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), true},
        {form->SaveAs1, "名前を付けて保存(&A)", QKeySequence(), true},
        {form->ExportPdf1, "PDF に書き出す(&E)...", QKeySequence(), true},
        {form->ExportGlabels1, "gLabels 用に書き出す(&G)...", QKeySequence(), true},
        {form->ExportLibreOffice1, "LibreOffice 用に書き出す(&L)...", QKeySequence(), true},
        {form->ExportSvg1, "SVG テンプレートを書き出す(&V)...", QKeySequence(), true},
        {form->TestPrint1, "テスト印刷(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P), true},
        {form->Calibrate1, "プリンターの補正(&B)...", QKeySequence(), true},
        {form->AddCorrected1, "補正したスタイルを追加(&K)", QKeySequence(), true},
        {form->Align1, "位置合わせ(&M)...", QKeySequence(), true},
        {form->Exit1, "終了(&X)", QKeySequence(), true},
        {form->Contents1, "目次(&C)", QKeySequence(), false},
        {form->About1, "バージョン情報(&A)...", QKeySequence(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(row.item->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(row.item->shortcut(), row.shortcut);
        EXPECT_EQ(row.item->isEnabled(), row.enabled);
    }
    EXPECT_EQ(form->File1->actions(),
              (QList<QAction*>{form->New1, form->Open1, form->AddProducts1, form->S1, form->SaveAs1, form->N3,
                               form->ExportPdf1, form->ExportGlabels1, form->ExportLibreOffice1, form->ExportSvg1,
                               form->TestPrint1, form->Calibrate1, form->AddCorrected1, form->Align1, form->N2,
                               form->Exit1}));
    EXPECT_TRUE(form->N3->isSeparator());
    EXPECT_TRUE(form->N2->isSeparator());
    EXPECT_EQ(form->Help1->actions(), (QList<QAction*>{form->Contents1, form->About1}));
    EXPECT_EQ(form->FileOpen1->text(), QStringLiteral("開く(&O)..."));
    EXPECT_EQ(form->FileSaveAs1->statusTip(), QStringLiteral("現在のファイルに新しい名前をつけて保存"));

    // Opening the Help menu brings the help action up to date.
    emit form->Help1->aboutToShow();
    EXPECT_TRUE(form->Contents1->isEnabled());
}

TEST(Form1Layout, StartsWithTheDefaultsAndAnEmptySet)
{
    auto form = newWindow();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tesselラベルエディター"));
    EXPECT_TRUE(form->Edit11->Text().isEmpty());
    EXPECT_EQ(form->ComboBox1->count(), 0);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_FALSE(form->Button4->isEnabled());
    EXPECT_TRUE(form->S1->isEnabled());
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_TRUE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Button3->isEnabled());
    const FieldValues v = fieldValues(*form);
    EXPECT_EQ(v.rows, 5);
    EXPECT_EQ(v.columns, 2);
    const double defaults[10] = {210, 297, 91, 55, 14, 14, 11, 11, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(v.lengths[i], defaults[i]) << "field " << i + 1;
    ASSERT_NE(form->Datatree, nullptr);
    EXPECT_TRUE(form->Datatree->LabelList.empty());
    EXPECT_TRUE(form->Datatree->FileName.isEmpty());
    EXPECT_EQ(form->Datatree->GroupName, std::string(1, '\0'));
    EXPECT_EQ(form->Image1->Picture().size(), QSize(249, 289));
    // The default sheet outline of the preview.
    EXPECT_EQ(QColor(form->Image1->Picture().pixel(25, 5)), QColor(Qt::black));
    EXPECT_EQ(QColor(form->Image1->Picture().pixel(24, 5)), QColor(Qt::white));
}
