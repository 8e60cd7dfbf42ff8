// The question about unsaved work before Exit, the close box, New and Open.
#include "editor/GroupNameEdit.h"
#include "numberedit/UpdownNumberEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QWindow>

namespace {

const QString kQuestion = QStringLiteral("変更内容を保存しますか?");
const QString kSave = QStringLiteral("SaveQuestionSave");
const QString kDontSave = QStringLiteral("SaveQuestionDontSave");
const QString kCancel = QStringLiteral("SaveQuestionCancel");

enum class Command { Exit, CloseBox, New, Open };

const char* name(Command command)
{
    switch (command) {
    case Command::Exit: return "Exit";
    case Command::CloseBox: return "close box";
    case Command::New: return "New";
    case Command::Open: return "Open";
    }
    return "";
}

void run(TForm1& form, Command command)
{
    switch (command) {
    case Command::Exit: form.Exit1->trigger(); break;
    case Command::CloseBox: form.windowHandle()->close(); break;
    case Command::New: form.New1->trigger(); break;
    case Command::Open: form.Open1->trigger(); break;
    }
}

// What a command that went on leaves behind, to tell it from one that stopped.
bool wentOn(const TForm1& form, Command command, const QString& opened)
{
    switch (command) {
    case Command::Exit:
    case Command::CloseBox: return !form.isVisible();
    case Command::New: return form.Datatree->LabelList.empty() && form.Edit11->Text().isEmpty();
    case Command::Open: return form.Datatree->FileName == opened;
    }
    return false;
}

const Command kCommands[] = {Command::Exit, Command::CloseBox, Command::New, Command::Open};

struct UnsavedWorkTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    // A shown window with the worked example opened from set.tpl, and other.tpl beside it.
    std::unique_ptr<TForm1> openedWindow()
    {
        writeFile(path("set.tpl"), workedExampleBytes());
        writeFile(path("other.tpl"), workedExampleBytes());
        auto form = newWindow();
        form->show();
        ModalAnswers answers;
        answers.file(path("set.tpl"));
        form->Open1->trigger();
        EXPECT_EQ(answers.pending(), 0u);
        return form;
    }

    void addStyle(TForm1& form, const QString& styleName)
    {
        ModalAnswers answers;
        answers.input(styleName);
        form.Button3->click();
        EXPECT_EQ(answers.pending(), 0u);
    }
};

} // namespace

TEST_F(UnsavedWorkTest, TheQuestionComesExactlyWhenWorkIsUnsaved)
{
    struct Row {
        const char* label;
        std::function<void(UnsavedWorkTest&, TForm1&)> work;
        bool asks;
    };
    const Row rows[] = {
        {"just opened", [](UnsavedWorkTest&, TForm1&) {}, false},
        {"U stored a field edit",
         [](UnsavedWorkTest&, TForm1& f) {
             f.UpdownNumberEdit3->SetValue(90);
             f.Button4->click();
         },
         true},
        {"a field edit not stored with U", [](UnsavedWorkTest&, TForm1& f) { f.UpdownNumberEdit3->SetValue(90); }, true},
        {"a field edit with no style to store it in",
         [](UnsavedWorkTest&, TForm1& f) {
             f.Button1->click();
             f.FileSave1Execute(); // "-" left Save disabled
             f.UpdownNumberEdit3->SetValue(90);
             f.Button4->setEnabled(true); // as "-" and New leave it when it was on
         },
         false},
        {"+", [](UnsavedWorkTest& t, TForm1& f) { t.addStyle(f, QStringLiteral("B5")); }, true},
        {"-", [](UnsavedWorkTest&, TForm1& f) { f.Button1->click(); }, true},
        {"the group name typed", [](UnsavedWorkTest&, TForm1& f) { f.Edit11->setText(QStringLiteral("TEST2")); }, true},
        {"another command's change", [](UnsavedWorkTest&, TForm1& f) { f.markSetChanged(); }, true},
        {"changed, then saved",
         [](UnsavedWorkTest&, TForm1& f) {
             f.Edit11->setText(QStringLiteral("TEST2"));
             f.S1->trigger();
         },
         false},
        {"changed, then saved under a new name",
         [](UnsavedWorkTest& t, TForm1& f) {
             f.Button1->click();
             ModalAnswers answers;
             answers.file(t.path("new.tpl"));
             f.SaveAs1->trigger();
         },
         false},
        {"changed, then opened again",
         [](UnsavedWorkTest& t, TForm1& f) {
             f.Button1->click();
             ModalAnswers answers;
             answers.question(kDontSave);
             answers.file(t.path("set.tpl"));
             f.Open1->trigger();
         },
         false},
        {"changed, then New",
         [](UnsavedWorkTest&, TForm1& f) {
             f.Button1->click();
             ModalAnswers answers;
             answers.question(kDontSave);
             f.New1->trigger();
         },
         false},
    };
    for (const Row& row : rows) {
        for (Command command : kCommands) {
            SCOPED_TRACE(std::string(row.label) + ", then " + name(command));
            auto form = openedWindow();
            row.work(*this, *form);
            const size_t styles = form->Datatree->LabelList.size();
            const QString title = form->windowTitle();
            const bool saveEnabled = form->S1->isEnabled();

            ModalAnswers answers;
            if (row.asks)
                answers.question(kCancel);
            else if (command == Command::Open)
                answers.file(path("other.tpl"));
            run(*form, command);
            EXPECT_EQ(answers.pending(), 0u);
            EXPECT_EQ(answers.questions, row.asks ? std::vector<QString>{kQuestion} : std::vector<QString>{});
            if (row.asks) {
                // Cancel stops the command with nothing changed.
                EXPECT_TRUE(form->isVisible());
                EXPECT_EQ(form->Datatree->LabelList.size(), styles);
                EXPECT_EQ(form->windowTitle(), title);
                EXPECT_EQ(form->S1->isEnabled(), saveEnabled);
            } else {
                EXPECT_TRUE(wentOn(*form, command, path("other.tpl")));
            }
        }
    }
}

TEST_F(UnsavedWorkTest, SaveAndDontSaveGoOnWithTheCommand)
{
    std::string edited = workedExampleBytes();
    edited[96] = char(0xD7); // label width 90 mm
    edited[97] = char(0x0D);
    for (bool save : {true, false}) {
        for (bool storedWithU : {true, false}) {
            for (Command command : kCommands) {
                SCOPED_TRACE(std::string(save ? "Save" : "Don't save") + (storedWithU ? ", stored with U, " : ", not stored, ")
                             + name(command));
                auto form = openedWindow();
                form->UpdownNumberEdit3->SetValue(90);
                if (storedWithU)
                    form->Button4->click();
                ModalAnswers answers;
                answers.question(save ? kSave : kDontSave);
                if (command == Command::Open)
                    answers.file(path("other.tpl"));
                run(*form, command);
                EXPECT_EQ(answers.pending(), 0u);
                EXPECT_EQ(answers.questions.size(), 1u);
                EXPECT_TRUE(wentOn(*form, command, path("other.tpl")));
                // "Save" writes the field edits too; "Don't save" leaves the file as it was.
                EXPECT_EQ(readFile(path("set.tpl")), save ? edited : workedExampleBytes());
            }
        }
    }
}

TEST_F(UnsavedWorkTest, ASaveThatDoesNotHappenStopsTheCommand)
{
    struct Row {
        const char* label;
        const char* groupName;
        bool savedInAFolderSinceRemoved; // else never saved: Save goes to Save As
        std::function<void(ModalAnswers&)> answerSave;
        const char* message; // what the one message must contain; empty: no message
    };
    const Row rows[] = {
        {"Save As refused for an empty group name", "", false, [](ModalAnswers& a) { a.message(); },
         "ラベルグループ名が指定されていません。"},
        {"the save dialog cancelled", "G", false, [](ModalAnswers& a) { a.file(QString()); }, ""},
        {"the file cannot be written", "G", true, [](ModalAnswers& a) { a.message(); }, "x.tpl"},
    };
    for (const Row& row : rows) {
        for (Command command : kCommands) {
            SCOPED_TRACE(std::string(row.label) + ", " + name(command));
            auto form = newWindow();
            form->show();
            form->Edit11->setText(QString::fromUtf8(row.groupName));
            addStyle(*form, QStringLiteral("A4"));
            if (row.savedInAFolderSinceRemoved) {
                QDir(dir.path()).mkdir(QStringLiteral("gone"));
                form->FileSaveAs1Accept(path("gone/x.tpl"));
                QDir(path("gone")).removeRecursively();
                form->Edit11->setText(QStringLiteral("G2"));
            }
            form->UpdownNumberEdit3->SetValue(90); // and an edit "U" has not stored
            const bool saveEnabled = form->S1->isEnabled();
            const QString title = form->windowTitle();

            ModalAnswers answers;
            answers.question(kSave);
            row.answerSave(answers);
            run(*form, command);
            EXPECT_EQ(answers.pending(), 0u);
            if (*row.message) {
                ASSERT_EQ(answers.messages.size(), 1u);
                EXPECT_TRUE(answers.messages[0].contains(QString::fromUtf8(row.message)))
                    << answers.messages[0].toStdString();
            } else {
                EXPECT_TRUE(answers.messages.empty());
            }
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->windowTitle(), title);
            ASSERT_EQ(form->Datatree->LabelList.size(), 1u);
            EXPECT_EQ(form->Datatree->LabelList[0].LabelWidth, 91.0);
            EXPECT_EQ(form->UpdownNumberEdit3->Value(), 90.0L);
            EXPECT_TRUE(form->Button4->isEnabled());
            EXPECT_EQ(form->S1->isEnabled(), saveEnabled);
            EXPECT_TRUE(form->hasUnsavedChanges());
        }
    }
}

TEST_F(UnsavedWorkTest, SaveWithoutAFileNameChoosesOneFirst)
{
    auto form = newWindow();
    form->show();
    form->Edit11->setText(QStringLiteral("G"));
    addStyle(*form, QStringLiteral("A4"));
    ModalAnswers answers;
    answers.question(kSave);
    answers.file(path("chosen"));
    form->Exit1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readFile(path("chosen.tpl")).size(), 47u + 75u);
}
