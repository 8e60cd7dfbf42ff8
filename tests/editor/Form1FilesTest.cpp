// The File menu's commands: new, open, save, save as, and a whole editing session.
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Application.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kCaption = QStringLiteral("Tesselラベルエディター");
const QString kNotTemplate = QStringLiteral("このファイルはTesselラベルファイルではありません");
const QString kNoGroupName = QStringLiteral("ラベルグループ名が指定されていません。");

struct FilesTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(FilesTest, SaveAtStartUpAsksForTheGroupNameInsteadOfAFile)
{
    auto form = newWindow();
    ModalAnswers answers;
    answers.message();
    answers.file(path("never.tpl")); // must not be reached
    form->S1->trigger();
    EXPECT_EQ(answers.messages, std::vector<QString>{kNoGroupName});
    EXPECT_EQ(answers.pending(), 1u);
    EXPECT_TRUE(form->Datatree->FileName.isEmpty());
    EXPECT_TRUE(form->S1->isEnabled());
    EXPECT_EQ(form->windowTitle(), kCaption);
}

TEST_F(FilesTest, SaveAsAddsTheExtensionOnlyWhenTheNameHasNone)
{
    struct Row {
        const char* chosen;
        const char* stored;
    };
    const Row rows[] = {
        {"labels", "labels.tpl"},
        {"labels.tpl", "labels.tpl"},
        {"labels.txt", "labels.txt"},
        {"sheet.", "sheet."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        QTemporaryDir here;
        auto form = newWindow();
        form->Edit11->setText(QStringLiteral("G"));
        ModalAnswers answers;
        answers.file(here.filePath(QString::fromUtf8(row.chosen)));
        form->SaveAs1->trigger();
        EXPECT_EQ(answers.pending(), 0u);
        const QString stored = here.filePath(QString::fromUtf8(row.stored));
        EXPECT_EQ(form->Datatree->FileName, stored);
        EXPECT_EQ(readFile(stored).size(), 47u);
        EXPECT_EQ(QDir(here.path()).entryList(QDir::Files), QStringList{QString::fromUtf8(row.stored)});
        EXPECT_EQ(form->windowTitle(), kCaption + QLatin1Char(':') + QString::fromUtf8(row.stored));
        EXPECT_FALSE(form->S1->isEnabled());
    }
}

TEST_F(FilesTest, SaveWritesTheCurrentFileWithoutADialogButAfterNewAsksForAName)
{
    auto form = newWindow();
    form->Edit11->setText(QStringLiteral("GROUP"));
    {
        ModalAnswers answers;
        answers.file(path("set.tpl"));
        form->SaveAs1->trigger();
    }
    ModalAnswers addOne;
    addOne.input(QStringLiteral("A4"));
    form->Button3->click();
    const QString title = form->windowTitle();

    {
        ModalAnswers none; // any dialog would stay unanswered and fail the count below
        none.message();
        form->S1->trigger();
        EXPECT_EQ(none.pending(), 1u);
    }
    EXPECT_EQ(readFile(path("set.tpl")).size(), 47u + 75u);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_TRUE(form->S1->isEnabled());

    // New forgets the file: Save then goes the Save As way (group name first, then the dialog)
    // and the last file keeps its bytes.
    const auto saved = readFile(path("set.tpl"));
    form->New1->trigger();
    EXPECT_EQ(form->windowTitle(), kCaption);
    EXPECT_TRUE(form->Edit11->Text().isEmpty());
    EXPECT_EQ(form->ComboBox1->count(), 0);
    EXPECT_TRUE(form->S1->isEnabled()); // the box held text, so clearing it enabled Save again
    {
        ModalAnswers asked;
        asked.message();
        form->S1->trigger();
        EXPECT_EQ(asked.messages, std::vector<QString>{kNoGroupName});
    }
    form->Edit11->setText(QStringLiteral("NEW"));
    {
        ModalAnswers cancelled;
        cancelled.file(QString());
        form->S1->trigger();
        EXPECT_EQ(cancelled.pending(), 0u);
    }
    EXPECT_EQ(readFile(path("set.tpl")), saved);
    {
        ModalAnswers elsewhere;
        elsewhere.file(path("new.tpl"));
        form->S1->trigger();
        EXPECT_EQ(elsewhere.pending(), 0u);
    }
    EXPECT_EQ(readFile(path("set.tpl")), saved);
    EXPECT_EQ(readFile(path("new.tpl")).size(), 47u);
    EXPECT_EQ(form->windowTitle(), kCaption + QStringLiteral(":new.tpl"));
}

TEST_F(FilesTest, ShortcutsRunTheirCommandsOnlyWhileEnabled)
{
    auto form = newWindow();
    form->show();
    QApplication::setActiveWindow(form.get());
    form->Edit11->setFocus();
    auto press = [&](Qt::Key key) { QTest::keyClick(form->Edit11, key, Qt::ControlModifier); };
    form->UpdownNumberEdit3->SetValue(10);
    press(Qt::Key_N); // New resets the fields; the empty group name leaves Save disabled
    EXPECT_EQ(form->UpdownNumberEdit3->Value(), 91.0L);
    EXPECT_FALSE(form->S1->isEnabled());

    {
        ModalAnswers none;
        none.message();
        press(Qt::Key_S); // disabled: no group-name message
        QApplication::processEvents();
        EXPECT_EQ(none.pending(), 1u);
    }

    form->S1->setEnabled(true);
    ModalAnswers asked;
    asked.message();
    press(Qt::Key_S);
    EXPECT_EQ(asked.messages, std::vector<QString>{kNoGroupName});
}

TEST_F(FilesTest, OpenShowsTheFirstStyle)
{
    writeFile(path("example.tpl"), workedExampleBytes());
    auto form = newWindow();
    form->UpdownNumberEdit3->SetValue(10);
    ModalAnswers answers;
    answers.file(path("example.tpl"));
    form->Open1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(form->windowTitle(), kCaption + QStringLiteral(":example.tpl"));
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral("TEST"));
    EXPECT_EQ(form->Datatree->GroupName, std::string("TEST\0", 5));
    EXPECT_EQ(form->ComboBox1->count(), 1);
    EXPECT_EQ(form->ComboBox1->itemText(0), QStringLiteral("A4"));
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->UpdownNumberEdit1->Text(), QStringLiteral("210.01"));
    EXPECT_EQ(form->UpdownNumberEdit3->Text(), QStringLiteral("91.01"));
    EXPECT_EQ(form->UpdownNumberEdit4->Text(), QStringLiteral("54.99"));
    EXPECT_FALSE(form->Button4->isEnabled());
    EXPECT_FALSE(form->S1->isEnabled());
}

TEST_F(FilesTest, NameBytesThatAreNoCharacterShowAsSuchAndStayUntouched)
{
    // Group: A, a byte the code page does not map, a character two codes share; style: B, 0xFF.
    std::string bytes = workedExampleBytes();
    bytes.replace(30, 5, std::string("A\x80\xED\x40\0", 5));
    bytes.replace(47, 3, std::string("B\xFF\0", 3));
    bytes.replace(102, 3, std::string("B\xFF\0", 3)); // the record's copy of the name
    writeFile(path("odd.tpl"), bytes);
    auto form = newWindow();
    ModalAnswers answers;
    answers.file(path("odd.tpl"));
    form->Open1->trigger();
    ASSERT_EQ(answers.pending(), 0u);
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral(u"A\uFFFD\u7E8A"));
    EXPECT_EQ(form->ComboBox1->itemText(0), QStringLiteral(u"B\uFFFD"));

    form->FileSave1Execute();
    EXPECT_EQ(readFile(path("odd.tpl")), bytes);

    // Once the user changes the name it is the text's own; changed back, the bytes return.
    form->Edit11->setText(QStringLiteral(u"A\uFFFD\u7E8AC"));
    EXPECT_EQ(form->Datatree->GroupName, std::string("A?\xFA\x5C" "C\0", 6));
    form->Edit11->setText(QStringLiteral(u"A\uFFFD\u7E8A"));
    EXPECT_EQ(form->Datatree->GroupName, std::string("A\x80\xED\x40\0", 5));
}

TEST_F(FilesTest, OpeningAnEmptyTemplateKeepsTheFields)
{
    std::string empty(47, '\0');
    empty.replace(0, 16, "Vellumo V2.0 TPL");
    empty.replace(30, 5, std::string("EMPTY", 5));
    writeFile(path("empty.tpl"), empty);
    auto form = newWindow();
    ModalAnswers add;
    add.input(QStringLiteral("old"));
    form->Button3->click();
    form->UpdownNumberEdit3->SetValue(42);
    form->Button4->setEnabled(true);

    ModalAnswers answers;
    answers.question(QStringLiteral("SaveQuestionDontSave"));
    answers.file(path("empty.tpl"));
    form->Open1->trigger();
    EXPECT_EQ(form->ComboBox1->count(), 0);
    EXPECT_EQ(form->ComboBox1->currentIndex(), -1);
    EXPECT_TRUE(form->Datatree->LabelList.empty());
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral("EMPTY"));
    EXPECT_EQ(form->UpdownNumberEdit3->Value(), 42.0L);
    EXPECT_TRUE(form->Button4->isEnabled());
    EXPECT_FALSE(form->S1->isEnabled());
}

TEST_F(FilesTest, RefusedOrUnreadableFilesAreNeverOverwrittenUnasked)
{
    struct Row {
        const char* label;
        std::string content; // empty: the file does not exist
        const char* message;  // what the message must contain
        bool captionNamesFile;
        bool fifo = false;     // a FIFO of that name instead of a file
    };
    std::string damaged(47, '\0');
    damaged.replace(0, 16, "Vellumo V2.0 TPL");
    damaged[45] = 3; // three styles promised, none there
    const Row rows[] = {
        {"not a template", "Hello, this is plain text.", "このファイルはTesselラベルファイルではありません", true},
        {"shorter than the magic", "Vellumo", "このファイルはTesselラベルファイルではありません", true},
        {"damaged", damaged, "other.tpl", true},
        {"missing", {}, "other.tpl", false},
        {"a FIFO, refused without waiting for a writer", {}, "other.tpl' はFIFO (名前付きパイプ)で、通常のファイルではないため開けません", false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        QTemporaryDir here;
        const QString other = here.filePath(QStringLiteral("other.tpl"));
        if (!row.content.empty())
            writeFile(other, row.content);
        if (row.fifo) {
            ASSERT_EQ(mkfifo(QFile::encodeName(other).constData(), 0600), 0);
        }
        auto form = newWindow();
        form->Edit11->setText(QStringLiteral("KEEP"));
        ModalAnswers add;
        add.input(QStringLiteral("style"));
        form->Button3->click();
        const QString titleBefore = form->windowTitle();

        ModalAnswers answers;
        answers.question(QStringLiteral("SaveQuestionDontSave"));
        answers.file(other);
        answers.message();
        QElapsedTimer opening;
        opening.start();
        form->Open1->trigger();
        EXPECT_LT(opening.elapsed(), 1000);
        ASSERT_EQ(answers.messages.size(), 1u);
        EXPECT_TRUE(answers.messages[0].contains(QString::fromUtf8(row.message))) << answers.messages[0].toStdString();
        EXPECT_EQ(form->Datatree->FileName, other);
        EXPECT_TRUE(form->Datatree->LabelList.empty());
        EXPECT_EQ(form->ComboBox1->count(), 0); // the list matches the empty set
        EXPECT_EQ(form->Edit11->Text(), QStringLiteral("KEEP"));
        EXPECT_EQ(form->windowTitle(), row.captionNamesFile ? kCaption + QStringLiteral(":other.tpl") : titleBefore);

        // Save goes through Save As instead of writing to the refused file.
        ModalAnswers save;
        save.file(QString()); // cancel
        form->S1->setEnabled(true);
        form->S1->trigger();
        EXPECT_EQ(save.pending(), 0u);
        if (!row.fifo) {
            EXPECT_EQ(readFile(other), row.content);
        }
    }
}

TEST_F(FilesTest, DialogsStartWithTheNameTheyReturnedLast)
{
    auto form = newWindow();
    form->Edit11->setText(QStringLiteral("G"));
    ModalAnswers answers;
    answers.file(path("first"));
    answers.file(QString());
    answers.file(path("first.tpl"));
    answers.file(QString());
    form->SaveAs1->trigger();
    form->SaveAs1->trigger();
    form->Open1->trigger();
    form->Open1->trigger();
    ASSERT_EQ(answers.dialogStartNames.size(), 4u);
    EXPECT_EQ(QFileInfo(answers.dialogStartNames[1]).fileName(), QStringLiteral("first"));
    EXPECT_EQ(QFileInfo(answers.dialogStartNames[3]).fileName(), QStringLiteral("first.tpl"));
}

TEST_F(FilesTest, ASaveAsThatFailsLeavesTheSaveTargetAsItWas)
{
    auto form = newWindow();
    form->Edit11->setText(QStringLiteral("G"));
    ModalAnswers answers;
    answers.file(path("good.tpl"));
    form->SaveAs1->trigger();
    ASSERT_EQ(readFile(path("good.tpl")).size(), 47u);
    const QString title = form->windowTitle();

    form->Edit11->setText(QStringLiteral("CHANGED"));
    const QString target = path("no-such-dir/x.tpl");
    answers.message();
    // The dialog cannot pick a file in a folder that does not exist; accept the name directly.
    runGuarded([&] { form->FileSaveAs1Accept(target); });
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_TRUE(answers.messages[0].contains(QStringLiteral("x.tpl"))) << answers.messages[0].toStdString();
    EXPECT_EQ(form->Datatree->FileName, path("good.tpl"));
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_TRUE(form->S1->isEnabled());

    // Caption, target and Save agree: Save writes the file the caption names, without a dialog.
    form->S1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(cp932::visibleText(readFile(path("good.tpl")).substr(30, 16)), QStringLiteral("CHANGED"));
}

TEST_F(FilesTest, AWholeSessionChangesExactlyTheEditedWord)
{
    writeFile(path("example.tpl"), workedExampleBytes());
    auto form = newWindow();
    ModalAnswers answers;
    answers.file(path("example.tpl"));
    form->Open1->trigger();
    ASSERT_EQ(form->ComboBox1->count(), 1);

    form->UpdownNumberEdit3->SetValue(90); // label width 91 -> 90 mm
    EXPECT_TRUE(form->Button4->isEnabled());
    form->Button4->click();
    EXPECT_TRUE(form->S1->isEnabled());

    answers.file(path("changed"));
    form->SaveAs1->trigger();
    EXPECT_EQ(form->windowTitle(), kCaption + QStringLiteral(":changed.tpl"));

    answers.file(path("changed.tpl"));
    form->Open1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(form->UpdownNumberEdit3->Text(), QStringLiteral("89.99"));

    // 90 mm is 3543 thousandths of an inch; every other value shown with two decimals
    // converts back to the word it came from.
    std::string expected = workedExampleBytes();
    expected[96] = char(0xD7);
    expected[97] = char(0x0D);
    EXPECT_EQ(readFile(path("changed.tpl")), expected);
    EXPECT_EQ(readFile(path("example.tpl")), workedExampleBytes());
}

TEST_F(FilesTest, ExitClosesTheWindowAndAboutShowsTheBox)
{
    auto form = newWindow();
    form->show();
    ModalAnswers answers;
    answers.then([](QWidget* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("バージョン情報"));
        box->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    });
    form->About1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    form->Exit1->trigger();
    EXPECT_FALSE(form->isVisible());
}
