// "位置合わせ": the eight readings of the alignment sheet, what they change shown as they are
// typed, and OK putting the fitted lengths into the fields, which only "U" stores.
#include "editor/AlignmentDialog.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "EditorTestSupport.h"
#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

TEST(AlignmentCommands, TypedReadingsShowTheChangeAndOkPutsItIntoTheFields)
{
    TemporaryHome home;
    auto form = newWindow();
    // 2 × 4 butted labels of 76.2 × 50.8 mm, margins 25.4 mm, on 203.2 × 254 mm: whole steps of
    // the file that the fields show exactly.
    Tdatatree set;
    auto s = std::make_unique<Tlabelpar>();
    s->Name = std::string("even");
    s->SheetWidth = 203.2, s->SheetHeight = 254, s->LabelWidth = 76.2, s->LabelHeight = 50.8;
    s->Columns = 2, s->Rows = 4;
    s->LeftMargin = s->RightMargin = s->TopMargin = s->BottomMargin = 25.4;
    set.LabelList.push_back(std::move(*s));
    set.FileName = home.dir.filePath(QStringLiteral("set.tpl"));
    set.Save();
    {
        ModalCatcher catcher;
        form->FileOpen1Accept(set.FileName);
        EXPECT_EQ(catcher.Texts, QStringList());
    }
    ASSERT_EQ(form->Datatree->LabelList.size(), 1u);

    enum Press { Ok, Cancel, RefusedThenCancel };
    const struct {
        const char* name;
        double leftMargin; // typed into the window's field first; 0: left as the style has it
        QStringList readings;
        Press press;
        const char* result;  // shown in the dialog, in part
        const char* warning; // in part; empty: no warning
        double left, top, spacingAcross, spacingDown, right; // the fields afterwards
    } cases[] = {
        {"all on the cut lines", 0, {"0", "0", "0", "0", "0", "0", "0", "0"}, Ok,
         "スタイルはこのままで合っています。", "", 25.4, 25.4, 0, 0, 25.4},
        {"moved and wider apart", 0, {"0.5", "-0.5", "0.75", "-0.5", "0.5", "0.25", "0.75", "0.25"}, Ok,
         "マージン 左: 25.40 → 25.91 mm", "", 25.91, 24.89, 0.25, 0.25, 24.64},
        {"the same, cancelled", 0, {"0.5", "-0.5", "0.75", "-0.5", "0.5", "0.25", "0.75", "0.25"}, Cancel,
         "間隔 水平方向: 0.00 → 0.25 mm", "", 25.4, 25.4, 0, 0, 25.4},
        {"crooked", 0, {"1", "0", "0", "0", "0", "0", "0", "0"}, Ok, "ラベルサイズ 幅: 76.20 → 75.95 mm",
         "左端 (①と⑤)の 2 つの値が 0.5 mm より離れています。シートが斜めに入ったようです。", 25.91, 25.4, 0, 0, 25.4},
        // The last one typed: leaving a field shows 0 in it, as every number field does.
        {"a field left empty", 0, {"0", "0", "0", "0", "0", "0", "0", ""}, RefusedThenCancel,
         "⑧ 4 行 2 列の下端 に、読んだ値を mm で入力してください。", "", 25.4, 25.4, 0, 0, 25.4},
        {"margin below 0", 1, {"-1.5", "0", "0", "0", "-1.5", "0", "0", "0"}, RefusedThenCancel,
         "合わせると左の余白が 0 mm より小さくなります。読んだ値を確かめてください。", "", 1, 25.4, 0, 0, 25.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->ComboBox1Select();
        if (c.leftMargin > 0)
            form->UpdownNumberEdit5->SetValue(c.leftMargin);
        const bool storable = form->Button4->isEnabled();
        QString result, warning;
        QStringList messages;
        bool stayedOpen = false;
        ModalAnswers answers;
        answers.then([&](QWidget* w) {
            auto* d = qobject_cast<TAlignmentDialog*>(w);
            if (!d) {
                result = QStringLiteral("<not the dialog: %1>").arg(QLatin1String(w->metaObject()->className()));
                w->close();
                return;
            }
            for (int i = 0; i < 8; ++i)
                typeOver(d->EditReadings[size_t(i)], c.readings[i]);
            result = d->LabelResult->text();
            warning = d->LabelWarning->isVisibleTo(d) ? d->LabelWarning->text() : QString();
            ModalCatcher catcher;
            if (c.press == RefusedThenCancel) {
                d->Buttons->button(QDialogButtonBox::Ok)->click();
                stayedOpen = d->isVisible();
            }
            d->Buttons->button(c.press == Ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
            messages = catcher.Texts;
        });
        form->FileAlign1->trigger();
        EXPECT_EQ(answers.pending(), 0u);
        EXPECT_TRUE(result.contains(QString::fromUtf8(c.result))) << result.toStdString();
        if (*c.warning)
            EXPECT_TRUE(warning.contains(QString::fromUtf8(c.warning))) << warning.toStdString();
        else
            EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
        if (c.press == RefusedThenCancel) {
            EXPECT_EQ(messages, QStringList{QString::fromUtf8(c.result) + QStringLiteral("入力欄は変えませんでした。")});
            EXPECT_TRUE(stayedOpen);
        } else {
            EXPECT_EQ(messages, QStringList());
        }
        EXPECT_NEAR(double(form->UpdownNumberEdit5->Value()), c.left, 0.005);
        EXPECT_NEAR(double(form->UpdownNumberEdit7->Value()), c.top, 0.005);
        EXPECT_NEAR(double(form->UpdownNumberEdit9->Value()), c.spacingAcross, 0.005);
        EXPECT_NEAR(double(form->UpdownNumberEdit10->Value()), c.spacingDown, 0.005);
        EXPECT_NEAR(double(form->UpdownNumberEdit6->Value()), c.right, 0.005);
        // Fields changed as any edit: "U" may store them; the style itself is as it was.
        const bool changed = c.press == Ok && c.left != 25.4;
        EXPECT_EQ(form->Button4->isEnabled(), storable || changed);
        EXPECT_EQ(form->Datatree->LabelList.front().LeftMargin, 25.4);
    }
}
