#include "toolkit/CustomEdit.h"

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

// An edit that records what reaches its hooks.
class ProbeEdit : public TCustomEdit
{
public:
    using TCustomEdit::CreateContextMenu;
    QStringList Events;
    mutable int Pastes = 0;
    bool RecordPastes = false;

protected:
    void DoEnter() override
    {
        Events << QStringLiteral("enter ") + objectName();
        TCustomEdit::DoEnter();
    }
    void DoExit() override
    {
        Events << QStringLiteral("exit ") + objectName();
        TCustomEdit::DoExit();
    }
    std::optional<QString> PasteFilter(const QString& Pasted, const QString& Rest, int At) const override
    {
        ++Pastes;
        if (RecordPastes)
            return std::nullopt;
        return TCustomEdit::PasteFilter(Pasted, Rest, At);
    }
};

// A shown, active window with two edits.
struct Window
{
    Window()
    {
        auto* layout = new QVBoxLayout(&Widget);
        First = new ProbeEdit;
        First->setObjectName(QStringLiteral("first"));
        Second = new ProbeEdit;
        Second->setObjectName(QStringLiteral("second"));
        layout->addWidget(First);
        layout->addWidget(Second);
        Widget.show();
        Widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Widget));
    }
    QWidget Widget;
    ProbeEdit* First;
    ProbeEdit* Second;
};

} // namespace

TEST(CustomEdit, ChangeRunsOncePerChangeAndNeverForAnEqualText)
{
    Window window;
    ProbeEdit& edit = *window.First;
    edit.setFocus();
    int changes = 0;
    edit.OnChange = [&](QObject*) { ++changes; };
    const struct { const char* step; std::function<void()> action; int changes; const char* text; } rows[] = {
        {"set a new text", [&] { edit.SetText(u"ab"_qs); }, 1, "ab"},
        {"set the same text", [&] { edit.SetText(u"ab"_qs); }, 0, "ab"},
        {"type a letter", [&] { QTest::keyClick(&edit, Qt::Key_C); }, 1, "abc"},
        {"backspace", [&] { QTest::keyClick(&edit, Qt::Key_Backspace); }, 1, "ab"},
        {"move the caret", [&] { QTest::keyClick(&edit, Qt::Key_Left); }, 0, "ab"},
        {"clear", [&] { edit.SetText(QString()); }, 1, ""},
    };
    for (const auto& row : rows) {
        changes = 0;
        row.action();
        EXPECT_EQ(changes, row.changes) << row.step;
        EXPECT_EQ(edit.Text(), QString::fromLatin1(row.text)) << row.step;
    }
}

TEST(CustomEdit, KeyHooksSeeTheKeyAndTheCharacterAndMayStopThem)
{
    Window window;
    ProbeEdit& edit = *window.First;
    edit.setFocus();
    QList<int> characters;
    edit.OnKeyPress = [&](QObject*, QChar& key) {
        characters << key.unicode();
        if (key == u'x')
            key = QChar(0);
        else if (key == u'y')
            key = u'Y';
    };
    edit.OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Home)
            key = 0;
    };
    QTest::keyClicks(&edit, QStringLiteral("axy"));
    EXPECT_EQ(edit.Text(), u"aY");
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_EQ(edit.cursorPosition(), 2) << "a cleared key code does nothing";
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(characters, (QList<int>{'a', 'x', 'y', 8, 13, 1}));
    EXPECT_EQ(edit.Text(), u"a");
}

TEST(CustomEdit, EnterAndExitFollowTheWindowsFocusedControlOnly)
{
    Window window;
    QStringList events;
    window.First->OnExit = [&](QObject* sender) { events << QStringLiteral("OnExit ") + sender->objectName(); };
    window.Second->OnEnter = [&](QObject* sender) { events << QStringLiteral("OnEnter ") + sender->objectName(); };

    window.First->setFocus();
    window.Second->setFocus();
    EXPECT_EQ(window.First->Events, (QStringList{u"enter first"_qs, u"exit first"_qs}));
    EXPECT_EQ(events, (QStringList{u"OnExit first"_qs, u"OnEnter second"_qs}));
    window.First->Events.clear();
    window.Second->Events.clear();

    // Another window taking the activation, a popup menu and a modal box are no exit.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }
    window.Widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Widget));
    {
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        menu.popup(window.Second->mapToGlobal(QPoint(0, 0)));
        QTest::qWait(10);
        menu.close();
    }
    {
        ModalCatcher catcher;
        showMessage(QStringLiteral("message"));
    }
    EXPECT_TRUE(window.Second->HasEditFocus());
    EXPECT_TRUE(window.Second->Events.isEmpty()) << window.Second->Events.join(u',').toStdString();

    // A focus change that happened while the window was inactive is an exit once it shows.
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        window.First->setFocus();
    }
    window.Widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.Widget));
    EXPECT_EQ(window.Second->Events, QStringList{u"exit second"_qs});
    EXPECT_EQ(window.First->Events, QStringList{u"enter first"_qs});
}

TEST(CustomEdit, TheFocusedEditOrItsWindowCanBeDestroyed)
{
    const struct { const char* name; bool wholeWindow; } rows[] = {
        {"the focused edit", false},
        {"the window around it", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto window = std::make_unique<Window>();
        window->First->setFocus();
        ASSERT_TRUE(window->First->HasEditFocus());
        if (row.wholeWindow) {
            window.reset();
            continue;
        }
        delete window->First;
        // The remaining edit still follows the focus.
        window->Second->setFocus();
        EXPECT_EQ(window->Second->Events, QStringList{u"enter second"_qs});
    }
}

TEST(CustomEdit, EveryPastePathEndsInThePasteHook)
{
    Window window;
    ProbeEdit& edit = *window.First;
    edit.setFocus();
    edit.RecordPastes = true;
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    const struct { const char* path; std::function<void()> action; } rows[] = {
        {"Ctrl+V", [&] { QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier); }},
        {"Shift+Insert", [&] { QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier); }},
        {"paste slot", [&] { edit.paste(); }},
        {"context menu", [&] {
             std::unique_ptr<QMenu> menu(edit.CreateContextMenu());
             auto* action = menu->findChild<QAction*>(QStringLiteral("edit-paste"));
             ASSERT_NE(action, nullptr);
             action->trigger();
         }},
    };
    for (const auto& row : rows) {
        edit.Pastes = 0;
        row.action();
        EXPECT_EQ(edit.Pastes, 1) << row.path;
        EXPECT_EQ(edit.Text(), u"") << row.path;
    }
    edit.RecordPastes = false;
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), u"pasted");
}

TEST(CustomEdit, ByteLimitAppliesToTypingAndPastingOnly)
{
    Window window;
    ProbeEdit& edit = *window.First;
    edit.setFocus();
    edit.SetMaxLength(4);
    QTest::keyClicks(&edit, QStringLiteral("abcde"));
    EXPECT_EQ(edit.Text(), u"abcd");

    edit.SetText(u"ab"_qs);
    for (const QString& text : {u"あ"_qs, u"い"_qs}) // two bytes each in code page 932
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, text, Qt::NoModifier);
    EXPECT_EQ(edit.Text(), u"abあ");
    edit.SetText(u"ab"_qs);
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, u"あい"_qs, Qt::NoModifier);
    EXPECT_EQ(edit.Text(), u"abあ") << "a key that yields two characters";

    edit.SetText(u"a"_qs);
    edit.setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("かきく"));
    edit.paste();
    EXPECT_EQ(edit.Text(), u"aか") << "the paste is cut to the limit";

    edit.SetText(u"longer than four"_qs);
    EXPECT_EQ(edit.Text(), u"longer than four") << "the program's own text is not cut";
}

TEST(CustomEdit, ErrorsOfTheChangeHookReachTheCallerOrTheUserOnce)
{
    setApplicationTitle(QStringLiteral("tessel vellumo"));
    Window window;
    ProbeEdit& edit = *window.First;
    edit.setFocus();
    edit.OnChange = [&](QObject*) {
        if (edit.Text().contains(u'!'))
            throw EConvertError(QStringLiteral("'%1' は整数ではありません").arg(edit.Text()));
    };

    // Set by the program: the text is set and the caller sees the error.
    EXPECT_THROW(edit.SetText(u"a!"_qs), EConvertError);
    EXPECT_EQ(edit.Text(), u"a!");

    // A hook that sets the text again stops where the inner change failed.
    bool ranPastInnerSet = false;
    edit.OnChange = [&](QObject*) {
        if (edit.Text() == u"outer") {
            edit.SetText(u"inner!"_qs);
            ranPastInnerSet = true;
        } else if (edit.Text().contains(u'!')) {
            throw EConvertError(QStringLiteral("'%1' は整数ではありません").arg(edit.Text()));
        }
    };
    EXPECT_THROW(edit.SetText(u"outer"_qs), EConvertError);
    EXPECT_FALSE(ranPastInnerSet);
    EXPECT_EQ(edit.Text(), u"inner!");

    // Qt changing the text with none of our calls on the stack: reported from the event loop.
    {
        ModalCatcher catcher;
        edit.QLineEdit::setText(u"qt!"_qs);
        EXPECT_TRUE(catcher.Texts.isEmpty());
        QTest::qWait(50);
        EXPECT_EQ(catcher.Texts, QStringList{u"'qt!' は整数ではありません"_qs});
    }

    // Typed: the message shows once and the edit keeps working.
    edit.SetText(QString());
    ModalCatcher catcher;
    QTest::keyClicks(&edit, QStringLiteral("b!c"));
    EXPECT_EQ(edit.Text(), u"b!c");
    EXPECT_EQ(catcher.Texts, (QStringList{u"'b!' は整数ではありません"_qs, u"'b!c' は整数ではありません"_qs}));
    EXPECT_EQ(catcher.Titles, (QStringList{u"tessel vellumo"_qs, u"tessel vellumo"_qs}));
}

TEST(Application, RunGuardedShowsTheMessageOfAnyErrorAndReturns)
{
    setApplicationTitle(QStringLiteral("tessel vellumo"));
    ModalCatcher catcher;
    bool ranAfter = false;
    runGuarded([] { throw std::runtime_error("ファイルを開けません"); });
    runGuarded([] { throw 42; });
    runGuarded([&] { ranAfter = true; });
    EXPECT_TRUE(ranAfter);
    ASSERT_EQ(catcher.Texts.size(), 2);
    EXPECT_EQ(catcher.Texts[0], u"ファイルを開けません");
    EXPECT_FALSE(catcher.Texts[1].isEmpty());
    EXPECT_EQ(catcher.Titles[0], u"tessel vellumo");
}
