#include "editor/GroupNameEdit.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Image.h"
#include "toolkit/SpinEdit.h"
#include "toolkit/UpDown.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

struct Node {
    QAccessible::Role role;
    QString name;
    QString objectName;
};

// Everything a screen reader can reach from the window, the way it walks it.
void walk(QAccessibleInterface* node, std::vector<Node>& out, int depth = 0)
{
    if (!node || !node->isValid() || node->state().invisible || depth > 30)
        return;
    out.push_back({node->role(), node->text(QAccessible::Name),
                   node->object() ? node->object()->objectName() : QString()});
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), out, depth + 1);
}

} // namespace

TEST(Accessibility, EveryReachableControlHasAName)
{
    auto form = newWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // A selected style used to take the list's name away.
    form->ComboBox1->addItem(QStringLiteral("A4 12面"));
    form->ComboBox1->setCurrentIndex(0);

    std::vector<Node> nodes;
    walk(QAccessible::queryAccessibleInterface(form.get()), nodes);
    QStringList unnamed;
    for (const Node& node : nodes) {
        if (node.name.trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (role %2)").arg(node.objectName).arg(int(node.role));
    }
    EXPECT_GT(nodes.size(), 60u);
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();
}

TEST(Accessibility, FieldsArrowsListAndPreviewSayWhatTheyHold)
{
    auto form = newWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };

    const struct { TUpDown* arrows; const char* field; } arrowRows[] = {
        {form->UpdownNumberEdit1->Updown(), "台紙サイズ 幅"},
        {form->UpdownNumberEdit8->Updown(), "マージン 下"},
        {form->UpdownNumberEdit10->Updown(), "間隔 垂直方向"},
        {form->SpinEdit2->Arrows(), "レイアウト 列"},
    };
    for (const auto& row : arrowRows) {
        SCOPED_TRACE(row.field);
        EXPECT_EQ(name(row.arrows->upButton()), QString::fromUtf8(row.field) + QStringLiteral(" を増やす"));
        EXPECT_EQ(name(row.arrows->downButton()), QString::fromUtf8(row.field) + QStringLiteral(" を減らす"));
    }

    // The length fields report number and range; a value set by a screen reader is written
    // through the field, clamped and shown like one typed.
    QAccessibleInterface* width = QAccessible::queryAccessibleInterface(form->UpdownNumberEdit1);
    ASSERT_NE(width->valueInterface(), nullptr);
    EXPECT_EQ(width->valueInterface()->currentValue().toDouble(), 210.0);
    EXPECT_EQ(width->valueInterface()->minimumValue().toDouble(), 0.0);
    EXPECT_EQ(width->valueInterface()->maximumValue().toDouble(), 1000.0);
    EXPECT_EQ(width->text(QAccessible::Value), form->UpdownNumberEdit1->Text());
    ASSERT_NE(width->textInterface(), nullptr);
    EXPECT_EQ(width->textInterface()->text(0, width->textInterface()->characterCount()), form->UpdownNumberEdit1->Text());
    width->valueInterface()->setCurrentValue(1200.0);
    EXPECT_EQ(form->UpdownNumberEdit1->Value(), 1000.0L);

    // The list keeps its name; the selected style is its value.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(form->ComboBox1);
    form->ComboBox1->addItems({QStringLiteral("A4 10面"), QStringLiteral("はがき")});
    for (int index : {-1, 1}) {
        form->ComboBox1->setCurrentIndex(index);
        EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("ラベルのスタイル"));
        EXPECT_EQ(list->text(QAccessible::Value), index < 0 ? QString() : QStringLiteral("はがき"));
    }

    // The preview in words follows the fields.
    QAccessibleInterface* preview = QAccessible::queryAccessibleInterface(form->Image1);
    EXPECT_EQ(preview->text(QAccessible::Description), QStringLiteral("台紙 1000 × 297 mm、2 列 × 5 行のラベル"));
    form->UpdownNumberEdit1->SetValue(210);
    form->SpinEdit1->SetValue(12);
    form->SpinEdit2->SetValue(3);
    EXPECT_EQ(preview->text(QAccessible::Description), QStringLiteral("台紙 210 × 297 mm、3 列 × 12 行のラベル"));

    const struct { QWidget* control; const char* tip; } tips[] = {
        {form->Button3, "スタイルを追加"}, {form->Button4, "フィールドの値をスタイルに保存"},
        {form->Button1, "スタイルを削除"}, {form->Button2, "間隔を計算"}, {form->Edit11, "ラベルグループ名"},
    };
    for (const auto& row : tips)
        EXPECT_EQ(row.control->toolTip(), QString::fromUtf8(row.tip)) << row.control->objectName().toStdString();
}
