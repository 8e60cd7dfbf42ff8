#include "toolkit/SpinEdit.h"

#include "toolkit/UpDown.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

namespace {

// A shown, active window with a 1 to 1000 field and another edit to move the focus to.
struct Window
{
    Window()
    {
        spin = new TSpinEdit(&window);
        spin->setGeometry(10, 10, 81, 21);
        other = new QLineEdit(&window);
        other->setGeometry(10, 40, 81, 21);
        spin->SetMinValue(1);
        spin->SetMaxValue(1000);
        spin->SetValue(5);
        spin->OnChange = [this](QObject*) { changes << spin->Text(); };
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
    }
    QWidget window;
    TSpinEdit* spin;
    QLineEdit* other;
    QStringList changes;
};

} // namespace

TEST(SpinEdit, ValueIsTheTypedIntegerAndLimitsApplyOnlyWhenSetOrLeft)
{
    const struct { const char* text; int value; const char* afterExit; } typed[] = {
        {"12", 12, "12"},
        {"0", 0, "1"},
        {"2000", 2000, "1000"},
        {"-5", -5, "1"},
        {"99999999999", 1, "1000"},
        {"-99999999999", 1, "1"},
        // Beyond 64 bits still beyond the limit; a text that is no integer shows what it reads as.
        {"99999999999999999999", 1, "1000"},
        {"-99999999999999999999", 1, "1"},
        {"12,5", 1, "1"},
        {"1e400", 1, "1"},
        {"", 1, "1"},
        {"-", 1, "1"},
    };
    for (const auto& row : typed) {
        SCOPED_TRACE(row.text);
        Window w;
        w.spin->setFocus();
        w.spin->SetText(row.text);
        EXPECT_EQ(w.spin->Value(), row.value);
        w.other->setFocus();
        EXPECT_EQ(w.spin->Text(), row.afterExit);
    }

    const struct { int value; const char* text; } set[] = {{0, "1"}, {7, "7"}, {5000, "1000"}, {-2147483647 - 1, "1"}};
    Window w;
    for (const auto& row : set) {
        w.spin->SetValue(row.value);
        EXPECT_EQ(w.spin->Text(), row.text) << row.value;
    }
}

TEST(SpinEdit, TypingIsFilteredAndEveryTextChangeIsReported)
{
    Window w;
    w.spin->setFocus();
    w.spin->selectAll();
    QTest::keyClicks(w.spin, "4a2");
    QTest::keyClick(w.spin, Qt::Key_Backspace);
    QTest::keyClick(w.spin, Qt::Key_Backspace);
    EXPECT_EQ(w.changes, (QStringList{"4", "42", "4", ""}));
}

TEST(SpinEdit, ArrowsAndArrowKeysStepWithinTheLimits)
{
    Window w;
    w.spin->SetIncrement(300);
    w.changes.clear();
    QToolButton* up = w.spin->Arrows()->upButton();
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_TRUE(w.spin->hasFocus()) << "an arrow press takes the focus first";
    EXPECT_EQ(w.spin->Value(), 305);
    QTest::mouseClick(up, Qt::LeftButton);
    QTest::mouseClick(up, Qt::LeftButton);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(w.spin->Value(), 1000);
    QTest::keyClick(w.spin, Qt::Key_Down);
    EXPECT_EQ(w.spin->Value(), 700);
    EXPECT_EQ(w.changes, (QStringList{"305", "605", "905", "1000", "700"}));
    EXPECT_EQ(w.spin->Arrows()->Position(), 0);

    // Stepping from the end of the integer range stops at the limit instead of wrapping round.
    w.spin->SetMaxValue(2147483647);
    w.spin->SetValue(2147483647);
    QTest::keyClick(w.spin, Qt::Key_Up);
    EXPECT_EQ(w.spin->Value(), 2147483647);

    w.spin->SetReadOnly(true);
    QTest::keyClick(w.spin, Qt::Key_Down);
    QTest::mouseClick(w.spin->Arrows()->downButton(), Qt::LeftButton);
    EXPECT_EQ(w.spin->Value(), 2147483647);

    w.spin->SetReadOnly(false);
    w.spin->setEnabled(false);
    EXPECT_FALSE(w.spin->Arrows()->isEnabled());
    w.spin->setEnabled(true);
    EXPECT_TRUE(w.spin->Arrows()->isEnabled());
}
