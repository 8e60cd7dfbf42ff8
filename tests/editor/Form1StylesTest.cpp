// Selecting, adding, updating and deleting styles, the spacing button and the group-name box.
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Image.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Types text the way a keyboard delivers it: one key event per character.
void typeText(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

std::string bytes(const char* s, size_t n)
{
    return std::string(s, n);
}

// Adds a style through "+" with the given name.
void addStyle(TForm1& form, const QString& name)
{
    ModalAnswers answers;
    answers.input(name);
    form.Button3->click();
    ASSERT_EQ(answers.pending(), 0u);
}

std::vector<QString> listTexts(const TForm1& form)
{
    std::vector<QString> texts;
    for (int i = 0; i < form.ComboBox1->count(); ++i)
        texts.push_back(form.ComboBox1->itemText(i));
    return texts;
}

} // namespace

TEST(Form1Styles, AddStoresTheFieldsUnderTheTypedNameCutAtACharacterBoundary)
{
    struct Row {
        const char* label;
        QString typed;
        std::string name;
    };
    const Row rows[] = {
        {"an empty name is a single zero byte", QString(), std::string(1, '\0')},
        {"17 bytes get their zero byte", QStringLiteral("ABCDEFGHIJKLMNOPQ"), bytes("ABCDEFGHIJKLMNOPQ\0", 18)},
        {"20 bytes keep 18, no zero byte", QStringLiteral("ABCDEFGHIJKLMNOPQRST"), "ABCDEFGHIJKLMNOPQR"},
        {"nine double-byte characters fill 18 bytes", QStringLiteral("あいうえおかきくけ"),
         *cp932::encode(QStringLiteral("あいうえおかきくけ"))},
        {"a double-byte character is never split", QStringLiteral("Aあいうえおかきくけ"),
         *cp932::encode(QStringLiteral("Aあいうえおかきく")) + '\0'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto form = newWindow();
        form->S1->setEnabled(false);
        form->UpdownNumberEdit3->SetValue(80);
        {
            ModalAnswers one;
            one.then([&](QWidget* box) {
                EXPECT_EQ(box->windowTitle(), QStringLiteral("ラベル登録"));
                auto* prompt = box->findChild<QLabel*>(QStringLiteral("InputBoxPrompt"));
                EXPECT_TRUE(prompt && prompt->text() == QStringLiteral("ラベル名を入力してください"));
                if (auto* edit = box->findChild<QLineEdit*>(QStringLiteral("InputBoxEdit"))) {
                    EXPECT_TRUE(edit->text().isEmpty());
                    edit->setText(row.typed);
                }
                box->findChild<QPushButton*>(QStringLiteral("InputBoxOk"))->click();
            });
            form->Button3->click();
            EXPECT_EQ(one.pending(), 0u);
        }
        ASSERT_EQ(form->Datatree->LabelList.size(), 1u);
        const Tlabelpar& style = form->Datatree->LabelList[0];
        EXPECT_EQ(style.Name, row.name);
        EXPECT_EQ(form->ComboBox1->count(), 1);
        EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
        EXPECT_EQ(form->ComboBox1->itemText(0), cp932::visibleText(row.name));
        EXPECT_EQ(style.LabelWidth, 80.0);
        EXPECT_EQ(style.SheetHeight, 297.0);
        EXPECT_EQ(style.Rows, 5);
        EXPECT_EQ(style.Columns, 2);
        EXPECT_TRUE(form->S1->isEnabled());
        EXPECT_FALSE(form->Button4->isEnabled());
    }
}

TEST(Form1Styles, AddThenCancelAddsNothing)
{
    for (bool saveEnabled : {false, true}) {
        SCOPED_TRACE(saveEnabled ? "Save enabled" : "Save disabled");
        auto form = newWindow();
        addStyle(*form, QStringLiteral("first"));
        form->S1->setEnabled(saveEnabled);
        form->UpdownNumberEdit3->SetValue(80);
        ModalAnswers answers;
        answers.input(QStringLiteral("ignored"), false);
        form->Button3->click();
        EXPECT_EQ(answers.pending(), 0u);
        EXPECT_EQ(form->Datatree->LabelList.size(), 1u);
        EXPECT_EQ(listTexts(*form), std::vector<QString>{QStringLiteral("first")});
        EXPECT_EQ(form->S1->isEnabled(), saveEnabled);
        EXPECT_TRUE(form->Button4->isEnabled()); // the width edit is still not stored
        EXPECT_EQ(form->Datatree->LabelList[0].LabelWidth, 91.0);
    }
}

TEST(Form1Styles, TheNameBoxRefusesCharactersTheCodePageCannotHold)
{
    auto form = newWindow();
    ModalAnswers answers;
    answers.then([](QWidget* box) {
        auto* edit = box->findChild<QLineEdit*>(QStringLiteral("InputBoxEdit"));
        ASSERT_NE(edit, nullptr);
        typeText(edit, QStringLiteral("Aé日"));
        box->findChild<QPushButton*>(QStringLiteral("InputBoxOk"))->click();
    });
    form->Button3->click();
    ASSERT_EQ(form->Datatree->LabelList.size(), 1u);
    EXPECT_EQ(form->Datatree->LabelList[0].Name, *cp932::encode(QStringLiteral("A日")) + '\0');
}

TEST(Form1Styles, AddIsRefusedWhenTheSetIsFull)
{
    auto form = newWindow();
    for (size_t i = 0; i < Tdatatree::MaxStyles; ++i)
        form->Datatree->LabelList.emplace_back();
    ModalAnswers answers;
    answers.message();
    form->Button3->click();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_TRUE(answers.messages[0].contains(QStringLiteral("65535")));
    EXPECT_EQ(form->Datatree->LabelList.size(), Tdatatree::MaxStyles);
    EXPECT_EQ(form->ComboBox1->count(), 0);
}

TEST(Form1Styles, SelectingShowsTheStyleAndUpdateStoresTheFields)
{
    auto form = newWindow();
    addStyle(*form, QStringLiteral("first"));
    addStyle(*form, QStringLiteral("second"));
    Tlabelpar& first = form->Datatree->LabelList[0];
    first.Rows = 0;             // shows as 1
    first.SheetWidth = 123.456; // shows and stores two decimals
    first.LeftMargin = 2000;    // beyond the field's limit
    form->ComboBox1->setCurrentIndex(0);
    form->Button4->setEnabled(true);
    emit form->ComboBox1->activated(0);
    EXPECT_EQ(form->SpinEdit1->Value(), 1);
    EXPECT_EQ(form->UpdownNumberEdit1->Text(), QStringLiteral("123.46"));
    EXPECT_EQ(form->UpdownNumberEdit5->Value(), 1000.0L);
    EXPECT_FALSE(form->Button4->isEnabled());

    // A field change with a style selected enables U; a sheet size of 0 does not.
    form->UpdownNumberEdit1->SetValue(0);
    EXPECT_FALSE(form->Button4->isEnabled());
    form->UpdownNumberEdit9->SetValue(0.5);
    EXPECT_TRUE(form->Button4->isEnabled());

    form->S1->setEnabled(false);
    form->Button4->click();
    EXPECT_FALSE(form->Button4->isEnabled());
    EXPECT_TRUE(form->S1->isEnabled());
    EXPECT_EQ(first.Rows, 1);
    EXPECT_EQ(first.SheetWidth, 0.0);
    EXPECT_EQ(first.LeftMargin, 1000.0);
    EXPECT_EQ(first.HorizontalSpacing, 0.5);
    EXPECT_EQ(first.Name, bytes("first\0", 6));
    EXPECT_EQ(listTexts(*form), (std::vector<QString>{QStringLiteral("first"), QStringLiteral("second")}));
}

TEST(Form1Styles, SelectingAStoredLengthKeepsTheTwoDecimalsShown)
{
    auto form = newWindow();
    addStyle(*form, QStringLiteral("s"));
    form->Datatree->LabelList[0].LabelWidth = 91.0082;
    form->ComboBox1->setCurrentIndex(0);
    emit form->ComboBox1->activated(0);
    EXPECT_EQ(form->UpdownNumberEdit3->Text(), QStringLiteral("91.01"));
    form->Button4Click(); // selecting left U disabled
    EXPECT_EQ(form->Datatree->LabelList[0].LabelWidth, double(91.01L));
}

TEST(Form1Styles, DeleteSelectsTheNeighbourAndKeepsListAndSetParallel)
{
    struct Row {
        const char* label;
        std::vector<QString> names;
        int deleted;
        std::vector<QString> left;
        int selected;
    };
    const Row rows[] = {
        {"middle of three", {"a", "b", "c"}, 1, {"a", "c"}, 1},
        {"last of three", {"a", "b", "c"}, 2, {"a", "b"}, 1},
        {"first of three", {"a", "b", "c"}, 0, {"b", "c"}, 0},
        {"the only one", {"a"}, 0, {}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto form = newWindow();
        for (size_t i = 0; i < row.names.size(); ++i) {
            addStyle(*form, row.names[i]);
            form->Datatree->LabelList.back().SheetWidth = 100 + double(i);
        }
        form->UpdownNumberEdit1->SetValue(50);
        form->ComboBox1->setCurrentIndex(row.deleted);
        form->S1->setEnabled(false);
        form->Button4->setEnabled(true);
        form->Button1->click();
        EXPECT_EQ(listTexts(*form), row.left);
        ASSERT_EQ(form->Datatree->LabelList.size(), row.left.size());
        for (size_t i = 0; i < row.left.size(); ++i)
            EXPECT_EQ(cp932::visibleText(form->Datatree->LabelList[i].Name), row.left[i]);
        EXPECT_EQ(form->ComboBox1->currentIndex(), row.selected);
        if (row.selected >= 0) {
            EXPECT_EQ(double(form->UpdownNumberEdit1->Value()),
                      form->Datatree->LabelList[size_t(row.selected)].SheetWidth);
            EXPECT_TRUE(form->S1->isEnabled());
            EXPECT_FALSE(form->Button4->isEnabled());
        } else {
            // Nothing left: fields, U and Save keep their states.
            EXPECT_EQ(form->UpdownNumberEdit1->Value(), 50.0L);
            EXPECT_FALSE(form->S1->isEnabled());
            EXPECT_TRUE(form->Button4->isEnabled());
        }
    }
}

TEST(Form1Styles, CommandsWithoutACurrentStyleChangeNothing)
{
    auto form = newWindow();
    form->Button4->setEnabled(true);
    form->S1->setEnabled(false);
    form->Button4->click(); // U with nothing selected
    form->Button1->click(); // "-" on an empty list
    EXPECT_TRUE(form->Button4->isEnabled());
    EXPECT_FALSE(form->S1->isEnabled());
    EXPECT_TRUE(form->Datatree->LabelList.empty());
    EXPECT_EQ(form->ComboBox1->count(), 0);
}

TEST(Form1Styles, SpacingButtonFillsTheSheet)
{
    struct Row {
        const char* label;
        int rows, columns;
        double sheetW, sheetH, labelW, labelH;
        double startH, startV; // spacings before the press
        double h, v;           // after
    };
    const Row rows[] = {
        {"defaults", 5, 2, 210, 297, 91, 55, 3, 3, 0, 0},
        {"gaps to share", 5, 2, 210, 297, 80, 50, 3, 3, 22, 6.25},
        {"labels too wide", 5, 2, 210, 297, 200, 55, 3, 3, 0, 0},
        {"one column keeps its spacing", 5, 1, 210, 297, 91, 50, 7, 3, 7, 6.25},
        {"one row keeps its spacing", 1, 2, 210, 297, 80, 55, 3, 9, 22, 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto form = newWindow();
        form->SpinEdit1->SetValue(row.rows);
        form->SpinEdit2->SetValue(row.columns);
        form->UpdownNumberEdit1->SetValue(row.sheetW);
        form->UpdownNumberEdit2->SetValue(row.sheetH);
        form->UpdownNumberEdit3->SetValue(row.labelW);
        form->UpdownNumberEdit4->SetValue(row.labelH);
        form->UpdownNumberEdit9->SetValue(row.startH);
        form->UpdownNumberEdit10->SetValue(row.startV);
        form->Button2->click();
        EXPECT_EQ(double(form->UpdownNumberEdit9->Value()), row.h);
        EXPECT_EQ(double(form->UpdownNumberEdit10->Value()), row.v);
        // Nothing selected: U stays as it was.
        EXPECT_FALSE(form->Button4->isEnabled());
    }
}

TEST(Form1Styles, FieldChangesFollowTheirHandlersRules)
{
    auto form = newWindow();
    addStyle(*form, QStringLiteral("s"));
    struct Row {
        const char* label;
        std::function<void(TForm1&)> change;
        bool enablesU;
    };
    const Row rows[] = {
        {"sheet width", [](TForm1& f) { f.UpdownNumberEdit1->SetValue(200); }, true},
        {"sheet width 0", [](TForm1& f) { f.UpdownNumberEdit1->SetValue(0); }, false},
        {"rows", [](TForm1& f) { f.SpinEdit1->SetValue(7); }, true},
        {"rows typed empty", [](TForm1& f) { f.SpinEdit1->setText(QString()); }, false},
        {"rows typed 0", [](TForm1& f) { f.SpinEdit1->setText(QStringLiteral("0")); }, false},
        {"left margin 0", [](TForm1& f) { f.UpdownNumberEdit5->SetValue(0); }, true},
        {"spacing", [](TForm1& f) { f.UpdownNumberEdit10->SetValue(2); }, true},
        {"same value again", [](TForm1& f) { f.UpdownNumberEdit3->SetValue(91); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        setFields(*form, FieldValues{5, 2, {210, 297, 91, 55, 14, 14, 11, 11, 0, 0}});
        form->Button4->setEnabled(false);
        form->S1->setEnabled(false);
        const QImage before = form->Image1->Picture().copy();
        row.change(*form);
        EXPECT_EQ(form->Button4->isEnabled(), row.enablesU);
        EXPECT_FALSE(form->S1->isEnabled()); // a field change alone never enables Save
        if (!row.enablesU) {
            EXPECT_EQ(form->Image1->Picture(), before);
        }
    }
}

TEST(Form1Styles, GroupNameBoxHoldsFourteenCodePageBytes)
{
    struct Row {
        const char* label;
        QString typed;
        QString pasted;
        QString shown;
    };
    const Row rows[] = {
        {"ASCII stops at 14", QStringLiteral("ABCDEFGHIJKLMNOP"), {}, QStringLiteral("ABCDEFGHIJKLMN")},
        {"double-byte stops at 14 bytes", QStringLiteral("あいうえおかきく"), {}, QStringLiteral("あいうえおかき")},
        {"odd byte left over", QStringLiteral("Aあいうえおかきく"), {}, QStringLiteral("Aあいうえおか")},
        {"characters the code page lacks", QStringLiteral("AéB😀C"), {}, QStringLiteral("ABC")},
        {"paste is cut to the limit", QStringLiteral("AB"), QStringLiteral("あいうえおかきく"), QStringLiteral("ABあいうえおか")},
        {"paste drops what the code page lacks", {}, QStringLiteral("Xé😀Y\nZ"), QStringLiteral("XY")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto form = newWindow();
        form->show();
        form->Edit11->setFocus();
        form->S1->setEnabled(false);
        typeText(form->Edit11, row.typed);
        if (!row.pasted.isEmpty()) {
            QGuiApplication::clipboard()->setText(row.pasted);
            QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
            QApplication::sendEvent(form->Edit11, &paste);
        }
        EXPECT_EQ(form->Edit11->Text(), row.shown);
        EXPECT_EQ(form->Datatree->GroupName, *cp932::encode(row.shown) + '\0');
        EXPECT_TRUE(form->S1->isEnabled());
    }
}

// A name read from a damaged file may show a character the code page lacks; it still counts as
// the one byte it is stored as, so pasting and typing stop at the same 14 bytes.
TEST(Form1Styles, GroupNameBoxLimitHoldsOverACharacterTheCodePageLacks)
{
    auto form = newWindow();
    form->show();
    form->Edit11->setFocus();
    form->Edit11->SetText(QStringLiteral("AB\uFFFDC"));
    form->Edit11->setCursorPosition(4);
    QGuiApplication::clipboard()->setText(QStringLiteral("あいうえおかきく"));
    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(form->Edit11, &paste);
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral("AB\uFFFDCあいうえお"));
    typeText(form->Edit11, QStringLiteral("D"));
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral("AB\uFFFDCあいうえお"));
}
