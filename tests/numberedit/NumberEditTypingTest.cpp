#include "numberedit/NumberEdit.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "ModalCatcher.h"
#include "Separators.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

namespace {

class ProbeNumberEdit : public TNumberEdit
{
public:
    using TNumberEdit::CreateContextMenu;
};

// A shown, active window with a number field and another control to move the focus to.
struct Window
{
    Window()
    {
        auto* layout = new QVBoxLayout(&Widget);
        Field = new ProbeNumberEdit;
        Other = new QLineEdit;
        layout->addWidget(Field);
        layout->addWidget(Other);
        Widget.show();
        Widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Widget));
        // The window gives its first control the focus; start outside the field.
        Other->setFocus();
        Field->OnChange = [this](QObject*) { Changes << Field->Text(); };
    }
    void enter() { Field->setFocus(); }
    // A message box took the activation; give it back as the user would.
    void reactivate()
    {
        Widget.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Widget));
    }
    void leave() { QTest::keyClick(Field, Qt::Key_Tab); }
    void type(const QString& keys) { QTest::keyClicks(Field, keys); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Field, key, modifiers); }
    // Puts a text in without going through the focus or the key filter.
    void prepare(const QString& text, int caret)
    {
        Field->SetText(text);
        Field->setCursorPosition(caret);
        Changes.clear();
    }

    QWidget Widget;
    ProbeNumberEdit* Field;
    QLineEdit* Other;
    QStringList Changes;
};

void makeLengthField(TNumberEdit& edit)
{
    edit.SetFigure(2);
    edit.SetFixed(true);
    edit.SetLimit(true);
    edit.SetMax(1000);
    edit.SetRoundMode(rmRound);
}

void setClipboardText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

} // namespace

TEST(NumberEditTyping, ValueFollowsTheTextRoundedAndClampedWhileTheTextKeepsWhatWasTyped)
{
    Separators sep(u'.', u',');
    const struct { const char* typed; long double value; const char* shownAfterLeaving; } rows[] = {
        {"1.005", 1.01L, "1.01"},
        {"1500", 1000, "1000.00"},
        {"-3", 0, "0.00"},
        {".996", 1, "1.00"},
        {"12.344", 12.34L, "12.34"},
        {"7", 7, "7.00"},
    };
    for (const auto& row : rows) {
        Window window;
        makeLengthField(*window.Field);
        window.enter();
        window.key(Qt::Key_Delete); // the whole text is selected on entry
        window.type(QString::fromLatin1(row.typed));
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.typed));
        EXPECT_EQ(window.Field->Value(), row.value) << row.typed;
        const qsizetype changesWhileTyping = window.Changes.size();
        window.leave();
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.shownAfterLeaving)) << row.typed;
        EXPECT_EQ(window.Field->Value(), row.value) << row.typed;
        EXPECT_EQ(window.Changes.size(), changesWhileTyping) << "leaving fires no OnChange";
    }
}

TEST(NumberEditTyping, LeavingATextThatIsNoNumberReportsItAndShowsTheValueHeld)
{
    Separators sep(u'.', u',');
    // A digit or separator typed in front of a sign passes the filter but reads as no number.
    const struct { const char* before; const char* typedAtFront; const char* shownAfterLeaving; long double value; } rows[] = {
        {"+14.00", "4", "14.00", 14},
        {"-5", ".", "0.00", 0},
    };
    for (const auto& row : rows) {
        Window window;
        makeLengthField(*window.Field);
        ModalCatcher catcher;
        window.enter();
        window.prepare(QString::fromLatin1(row.before), 0);
        window.type(QString::fromLatin1(row.typedAtFront));
        window.reactivate();
        window.leave();
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.shownAfterLeaving)) << row.before;
        EXPECT_EQ(window.Field->Value(), row.value) << row.before;
        ASSERT_FALSE(catcher.Texts.isEmpty()) << row.before;
        EXPECT_TRUE(catcher.Texts.back().endsWith(u"は浮動小数点数ではありません")) << row.before;
    }
}

TEST(NumberEditTyping, EmptyTextAndLoneSignsGiveZeroWithoutOnChange)
{
    Window window;
    window.enter();
    window.type(u"5"_qs);
    ASSERT_EQ(window.Field->Value(), 5);
    window.Changes.clear();
    window.key(Qt::Key_Backspace);
    EXPECT_EQ(window.Field->Text(), u"");
    EXPECT_EQ(window.Field->Value(), 0);
    window.prepare(u"5"_qs, 1);
    window.Field->SetText(u"-"_qs);
    EXPECT_EQ(window.Field->Value(), 0);
    window.Field->SetText(u"5"_qs);
    window.Field->SetText(u"+"_qs);
    EXPECT_EQ(window.Field->Value(), 0);
    EXPECT_EQ(window.Changes, QStringList{u"5"_qs});
}

TEST(NumberEditTyping, CommaRegroupsTheIntegerPartAndTheCaretFollows)
{
    for (const auto& [decimal, thousand] : {std::pair{u'.', u','}, std::pair{u',', u'.'}}) {
        Separators sep(decimal, thousand);
        const QString comma(thousand);
        Window window;
        window.Field->SetComma(true);
        window.enter();
        QStringList shown;
        QList<int> carets;
        for (const QChar digit : u"1234"_qs) {
            window.type(digit);
            shown << window.Field->Text();
            carets << window.Field->cursorPosition();
        }
        EXPECT_EQ(shown, (QStringList{u"1"_qs, u"12"_qs, u"123"_qs, u"1"_qs + comma + u"234"_qs}));
        EXPECT_EQ(carets, (QList<int>{1, 2, 3, 5}));
        EXPECT_EQ(window.Field->Value(), 1234);

        // Delete after "1," drops a digit; the regrouped text is one shorter and so is the caret.
        window.Field->setCursorPosition(2);
        window.key(Qt::Key_Delete);
        EXPECT_EQ(window.Field->Text(), u"134");
        EXPECT_EQ(window.Field->cursorPosition(), 1);

        window.prepare(u"1"_qs + comma + u"234"_qs, 5);
        window.type(QString(decimal) + u"5"_qs);
        EXPECT_EQ(window.Field->Text(), u"1"_qs + comma + u"234"_qs + decimal + u"5"_qs);
        EXPECT_EQ(window.Field->Value(), 1234.5L);

        // A plus sign does not survive regrouping; "." and "-." read as zero and gain a digit.
        window.prepare(u"1"_qs + comma + u"234"_qs, 0);
        window.type(u"+"_qs);
        EXPECT_EQ(window.Field->Text(), u"1"_qs + comma + u"234"_qs);
        window.prepare(QString(), 0);
        window.type(QString(decimal));
        EXPECT_EQ(window.Field->Text(), u"0"_qs + decimal);
        EXPECT_EQ(window.Field->cursorPosition(), 2);
        window.type(u"-"_qs);
        EXPECT_EQ(window.Field->Text(), u"-0"_qs + decimal);
        EXPECT_EQ(window.Field->Value(), 0);
    }
}

TEST(NumberEditTyping, PlusSignSurvivesLeavingWithoutComma)
{
    Separators sep(u'.', u',');
    Window window;
    makeLengthField(*window.Field);
    window.Field->SetLimit(false);
    window.enter();
    window.type(u"1234"_qs);
    window.Field->setCursorPosition(0);
    window.type(u"+"_qs);
    EXPECT_EQ(window.Field->Text(), u"+1234");
    window.leave();
    EXPECT_EQ(window.Field->Text(), u"+1234.00");
}

TEST(NumberEditTyping, EnterSelectsAllOrPutsTheCaretAtTheEnd)
{
    Separators sep(u'.', u',');
    for (bool autoSelect : {true, false}) {
        Window window;
        window.Field->SetValue(1234.5L);
        window.Field->SetAutoSelect(autoSelect);
        window.Field->setCursorPosition(0);
        window.enter();
        EXPECT_EQ(window.Field->SelLength(), autoSelect ? 6 : 0);
        EXPECT_EQ(window.Field->SelStart(), autoSelect ? 0 : 6);
    }
}

TEST(NumberEditTyping, LeavingSetsTheModifiedFlagOnlyWhenSomethingWasTyped)
{
    setClipboardText(u"42"_qs);
    const struct { const char* visit; std::function<void(Window&)> action; bool modified; } rows[] = {
        {"nothing typed", [](Window&) {}, false},
        {"a digit", [](Window& w) { w.type(u"7"_qs); }, true},
        {"a refused letter", [](Window& w) { w.type(u"x"_qs); }, false},
        {"a sign toggle", [](Window& w) { w.type(u"-"_qs); }, false},
        {"Shift+Insert", [](Window& w) { w.key(Qt::Key_Insert, Qt::ShiftModifier); }, false},
        {"Ctrl+V", [](Window& w) { w.key(Qt::Key_V, Qt::ControlModifier); }, true},
    };
    for (const auto& row : rows) {
        Window window;
        window.enter();
        row.action(window);
        window.leave();
        EXPECT_EQ(window.Field->Modified(), row.modified) << row.visit;
    }
}

TEST(NumberEditTyping, DecimalFilterLetsOnlyNumberTextThrough)
{
    for (const auto& [decimal, thousand] : {std::pair{u'.', u','}, std::pair{u',', u'.'}}) {
        Separators sep(decimal, thousand);
        const struct { QChar key; bool passes; } rows[] = {
            {u'a', false}, {u' ', false}, {QChar(thousand), false}, {u'E', false}, {u'$', false},
            {u'0', true}, {u'9', true}, {QChar(decimal), true},
        };
        for (const auto& row : rows) {
            Window window;
            window.enter();
            window.prepare(u"12"_qs, 2);
            window.type(QString(row.key));
            EXPECT_EQ(window.Field->Text(), row.passes ? u"12"_qs + row.key : u"12"_qs) << char(row.key.unicode());
        }
    }
}

// Composed keys and characters beyond 16 bits arrive as one key with several characters.
TEST(NumberEditTyping, AKeyYieldingSeveralCharactersIsFilteredCharacterByCharacter)
{
    Separators sep(u'.', u',');
    const struct { const char* keyText; const char* text; } rows[] = {
        {"3x", "123"},
        {"3.4", "123.4"},
        {"-5", "-125"},
        {"\U0001D7D9", "12"}, // a digit outside the 16-bit range
    };
    for (const auto& row : rows) {
        Window window;
        ModalCatcher catcher;
        window.enter();
        window.prepare(u"12"_qs, 2);
        QTest::sendKeyEvent(QTest::Click, window.Field, Qt::Key_unknown, QString::fromUtf8(row.keyText), Qt::NoModifier);
        EXPECT_EQ(window.Field->Text(), QString::fromUtf8(row.text)) << row.keyText;
        EXPECT_TRUE(catcher.Texts.isEmpty()) << row.keyText;
    }
}

TEST(NumberEditTyping, SignKeysToggleTheSignAtTheFront)
{
    Separators sep(u'.', u',');
    const struct { const char* text; int caret; int selection; const char* keys; const char* result; int newCaret; } rows[] = {
        {"12.5", 2, 0, "-", "-12.5", 3},
        {"12.5", 0, 0, "-", "-12.5", 1},
        {"12.5", 4, 0, "--", "12.5", 4},
        {"-12.5", 3, 0, "+", "+12.5", 3},
        {"+12.5", 3, 0, "+", "12.5", 2},
        {"-12.5", 0, 0, "-", "12.5", 0},
        {"12.5", 0, 4, "-", "-", 1},
        {"12.5", 0, 2, "+", "+.5", 1},
    };
    for (const auto& row : rows) {
        Window window;
        window.enter();
        window.prepare(QString::fromLatin1(row.text), row.caret);
        if (row.selection)
            window.Field->setSelection(0, row.selection);
        window.type(QString::fromLatin1(row.keys));
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.result)) << row.text << " " << row.keys;
        EXPECT_EQ(window.Field->cursorPosition(), row.newCaret) << row.text << " " << row.keys;
    }
}

TEST(NumberEditTyping, ASecondDecimalSeparatorIsRefusedEvenOverTheFirst)
{
    Separators sep(u'.', u',');
    Window window;
    window.enter();
    window.prepare(u"1.5"_qs, 3);
    window.type(u"."_qs);
    EXPECT_EQ(window.Field->Text(), u"1.5");
    window.Field->setSelection(1, 1);
    window.type(u"."_qs);
    EXPECT_EQ(window.Field->Text(), u"1.5");
}

TEST(NumberEditTyping, MaxIntLengthLimitsTypedIntegerDigitsOnly)
{
    Separators sep(u'.', u',');
    const struct { const char* text; int start; int length; const char* key; const char* result; } rows[] = {
        {"123.4", 3, 0, "5", "123.4"},
        {"123.4", 1, 0, "5", "123.4"},
        {"123.4", 4, 0, "5", "123.54"},
        {"123.4", 1, 1, "5", "153.4"},
        {"123.4", 3, 0, "-", "-123.4"},
        {"123.4", 3, 0, "a", "123.4"},
        {"123", 3, 0, ".", "123."},
        {"12", 2, 0, "3", "123"},
        {"-1,2", 4, 0, "3", "-1,23"}, // signs and separators are no digits
        {"-1,23", 5, 0, "4", "-1,23"},
    };
    for (const auto& row : rows) {
        Window window;
        window.Field->SetMaxIntLength(3);
        window.enter();
        window.prepare(QString::fromLatin1(row.text), row.start);
        if (row.length)
            window.Field->setSelection(row.start, row.length);
        window.type(QString::fromLatin1(row.key));
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.result)) << row.text << " key " << row.key;
    }

    // Pasting and the program are not limited, and Control combinations still work.
    Window window;
    window.Field->SetMaxIntLength(3);
    window.enter();
    window.prepare(u"123"_qs, 3);
    setClipboardText(u"45"_qs);
    window.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window.Field->Text(), u"12345");
    window.key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.Field->SelLength(), 5);
}

TEST(NumberEditTyping, HexadecimalFilter)
{
    const struct { bool validMinus; const char* text; const char* key; const char* result; } rows[] = {
        {false, "1", "G", "1"},
        {false, "1", ".", "1"},
        {false, "1", "f", "1f"},
        {false, "1", "A", "1A"},
        {false, "1", "-", "1"},
        {true, "1", "-", "-1"},
        {true, "-1", "+", "1"},
        {false, "1", "+", "1"},
        {false, "", "+", ""},
    };
    for (const auto& row : rows) {
        Window window;
        window.Field->SetValidMinus(row.validMinus);
        window.Field->SetNumberType(ntHex);
        window.enter();
        window.prepare(QString::fromLatin1(row.text), int(strlen(row.text)));
        window.type(QString::fromLatin1(row.key));
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.result)) << row.text << " key " << row.key;
    }
}

TEST(NumberEditTyping, PasteTakesOnlyTheAcceptableCharacters)
{
    Separators sep(u'.', u',');
    const struct { const char* text; int start; int length; const char* clipboard; const char* result; } rows[] = {
        {"", 0, 0, "1,234.5x", "1234.5"},
        {"", 0, 0, "-12", "-12"},
        {"345", 1, 0, "-12", "31245"},
        {"-5", 0, 0, "7", "-5"},
        {"+5", 1, 0, "7", "+75"},
        {"", 0, 0, "1.2.3", "1.23"},
        {"9.5", 3, 0, "1.2", "9.512"},
        {"", 0, 0, " x-1", "-1"},
        {"", 0, 0, "a-1", "-1"},
        {"12", 0, 2, "-3", "-3"},
        {"-5", 0, 2, "-3", "-3"},
    };
    for (const auto& row : rows) {
        Window window;
        window.enter();
        window.prepare(QString::fromLatin1(row.text), row.start);
        if (row.length)
            window.Field->setSelection(row.start, row.length);
        setClipboardText(QString::fromLatin1(row.clipboard));
        window.key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(window.Field->Text(), QString::fromLatin1(row.result)) << row.text << " + " << row.clipboard;
    }

    Window window;
    window.Field->SetNumberType(ntHex);
    window.enter();
    window.prepare(QString(), 0);
    setClipboardText(u"x1f.G-2"_qs);
    window.Field->paste();
    EXPECT_EQ(window.Field->Text(), u"1f2");

    window.prepare(u"5"_qs, 1);
    QApplication::clipboard()->setMimeData(new QMimeData);
    window.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window.Field->Text(), u"5");
    EXPECT_TRUE(window.Changes.isEmpty());
}

TEST(NumberEditTyping, ReadOnlyFieldRefusesSignTogglesPastesAndInputMethods)
{
    Window window;
    window.enter();
    window.prepare(u"12"_qs, 2);
    window.Field->SetReadOnly(true);
    setClipboardText(u"3"_qs);
    window.type(u"-+4"_qs);
    window.key(Qt::Key_V, Qt::ControlModifier);
    window.Field->paste();
    EXPECT_EQ(window.Field->Text(), u"12");

    window.Field->SetReadOnly(false);
    QInputMethodEvent event;
    event.setCommitString(u"３"_qs);
    QApplication::sendEvent(window.Field, &event);
    EXPECT_EQ(window.Field->Text(), u"12");
}

TEST(NumberEditTyping, ConversionErrorIsShownOnceAndKeepsTheValueAndTheText)
{
    setApplicationTitle(QStringLiteral("tessel vellumo"));
    Separators sep(u'.', u',');
    Window window;
    window.enter();
    window.Field->SetValue(-3);
    window.prepare(u"-3"_qs, 0);
    window.Changes.clear();
    {
        ModalCatcher catcher;
        window.type(u"5"_qs);
        EXPECT_EQ(catcher.Texts, QStringList{u"'5-3' は整数ではありません"_qs});
        EXPECT_EQ(catcher.Titles, QStringList{u"tessel vellumo"_qs});
    }
    EXPECT_EQ(window.Field->Text(), u"5-3");
    EXPECT_EQ(window.Field->Value(), -3);
    EXPECT_TRUE(window.Changes.isEmpty());
    window.reactivate();
    EXPECT_TRUE(window.Field->hasFocus());

    // Leaving reports it again; afterwards the field still follows what is typed.
    {
        ModalCatcher catcher;
        window.leave();
        EXPECT_EQ(catcher.Texts.size(), 1);
    }
    window.reactivate();
    window.enter();
    window.prepare(QString(), 0);
    window.type(u"8"_qs);
    EXPECT_EQ(window.Field->Value(), 8);
    EXPECT_EQ(window.Changes, QStringList{u"8"_qs});
    window.leave();
    EXPECT_EQ(window.Field->Text(), u"8");

    // A program that sets such a text sees the error itself.
    EXPECT_THROW(window.Field->SetText(u".-5"_qs), EConvertError);
}
