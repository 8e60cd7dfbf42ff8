#include "numberedit/UpdownNumberEdit.h"

#include "Separators.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QToolButton>

#include <vector>

namespace {

// A shown, active window holding one up-down field (0 to 1000, limited, increment 1) and a
// second edit to take the focus away.
struct Field
{
    Field()
    {
        window.resize(300, 200);
        edit = new TUpdownNumberEdit(&window);
        edit->setGeometry(10, 10, 120, 24);
        other = new TNumberEdit(&window);
        other->setGeometry(10, 50, 120, 24);
        edit->SetMax(1000);
        edit->SetLimit(true);
        edit->SetIncrement(1);
        edit->OnUDClick = [this](QObject*, bool& allow, Extended v, TUpDownDirection d) {
            // An arrow press takes the focus before the step is offered.
            EXPECT_TRUE(edit->hasFocus());
            clicks.push_back({v, d});
            allow = allowSteps;
        };
        edit->OnUDChanged = [this](QObject*) { ++changed; };
        edit->OnChange = [this](QObject*) { ++textChanges; };
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
    }
    void arrow(bool up) { QTest::mouseClick(up ? edit->Updown()->upButton() : edit->Updown()->downButton(), Qt::LeftButton); }
    void key(bool up) { QTest::keyClick(edit, up ? Qt::Key_Up : Qt::Key_Down); }
    void reset() { clicks.clear(); changed = textChanges = 0; edit->SetModified(false); }

    struct Click { Extended value; TUpDownDirection direction; };
    QWidget window;
    TUpdownNumberEdit* edit;
    TNumberEdit* other;
    std::vector<Click> clicks;
    bool allowSteps = true;
    int changed = 0;
    int textChanges = 0;
};

} // namespace

TEST(UpdownNumberEdit, ArrowAndKeyStepsStopOrWrapAtTheLimits)
{
    Separators sep(u'.', u',');
    const struct {
        const char* name;
        Extended start;
        bool up;
        bool wrap;
        TLimitOptions options;
        bool limit;
        Extended offered;
        Extended result;
    } rows[] = {
        {"1000 up stops", 1000, true, false, {loMax, loMin}, true, 1000, 1000},
        {"1000 up wraps", 1000, true, true, {loMax, loMin}, true, 0, 0},
        {"0 down stops", 0, false, false, {loMax, loMin}, true, 0, 0},
        {"0 down wraps", 0, false, true, {loMax, loMin}, true, 1000, 1000},
        {"999.5 up stops", 999.5L, true, false, {loMax, loMin}, true, 1000, 1000},
        {"999.5 up wraps without carrying", 999.5L, true, true, {loMax, loMin}, true, 0, 0},
        {"no snapping to the increment", 10.25L, true, false, {loMax, loMin}, true, 11.25L, 11.25L},
        {"only the upper limit", 0, false, false, {loMax}, true, -1, -1},
        {"no limit", 1000, true, true, {loMax, loMin}, false, 1001, 1001},
    };
    for (bool byKey : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (byKey ? " (key)" : " (arrow)"));
            Field f;
            f.edit->SetLimitOptions(row.options);
            f.edit->SetLimit(row.limit);
            f.edit->SetWrap(row.wrap);
            f.edit->SetValue(row.start);
            f.reset();
            if (byKey) {
                f.edit->setFocus();
                f.key(row.up);
            } else {
                f.arrow(row.up);
            }
            ASSERT_EQ(f.clicks.size(), 1u);
            EXPECT_EQ(f.clicks[0].value, row.offered);
            EXPECT_EQ(f.clicks[0].direction, row.up ? updUp : updDown);
            EXPECT_EQ(f.edit->Value(), row.result);
            // Only arrow steps report OnUDChanged and mark the field as modified.
            EXPECT_EQ(f.changed, byKey ? 0 : 1);
            EXPECT_EQ(f.edit->Modified(), !byKey);
            EXPECT_EQ(f.edit->Updown()->Position(), 0);
        }
    }
}

TEST(UpdownNumberEdit, RefusedReadOnlyAndSwitchedOffStepsChangeNothing)
{
    Field f;
    f.edit->SetValue(5);

    f.allowSteps = false;
    f.reset();
    f.arrow(true);
    f.key(true);
    EXPECT_EQ(f.clicks.size(), 2u);
    EXPECT_EQ(f.edit->Value(), 5);
    EXPECT_EQ(f.edit->Text(), "5");
    EXPECT_EQ(f.changed + f.textChanges, 0);
    f.allowSteps = true;

    // Read-only: the arrow only takes the focus; the keys still step.
    f.edit->SetReadOnly(true);
    f.other->setFocus();
    f.reset();
    f.arrow(true);
    EXPECT_TRUE(f.edit->hasFocus());
    EXPECT_TRUE(f.clicks.empty());
    EXPECT_EQ(f.edit->Value(), 5);
    f.key(true);
    f.key(true);
    f.key(false);
    EXPECT_EQ(f.edit->Value(), 6);
    EXPECT_EQ(f.changed, 0);
    f.edit->SetReadOnly(false);

    f.edit->SetAllowKeys(false);
    f.key(true);
    EXPECT_EQ(f.edit->Value(), 6);
    f.edit->SetAllowKeys(true);

    f.edit->OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) { key = 0; };
    f.key(true);
    EXPECT_EQ(f.edit->Value(), 6);
}

TEST(UpdownNumberEdit, ZeroAndNegativeIncrementsStillRunTheEvents)
{
    Field f;
    f.edit->SetValue(5);
    f.edit->SetIncrement(0);
    f.reset();
    f.arrow(true);
    EXPECT_EQ(f.edit->Value(), 5);
    EXPECT_EQ(f.clicks.size(), 1u);
    EXPECT_EQ(f.changed, 1);

    f.edit->SetIncrement(-2);
    f.arrow(true);
    f.key(true);
    EXPECT_EQ(f.edit->Value(), 1);
}

TEST(UpdownNumberEdit, HeldArrowStepsByExactlyOneIncrementPerRepeat)
{
    Field f;
    f.edit->SetIncrement(0.5L);
    f.edit->Updown()->setRepeatTiming(30, 15);
    f.reset();
    QToolButton* up = f.edit->Updown()->upButton();
    QTest::mousePress(up, Qt::LeftButton);
    QTest::qWait(300);
    QTest::mouseRelease(up, Qt::LeftButton);
    const size_t steps = f.clicks.size();
    ASSERT_GE(steps, 4u);
    for (size_t i = 0; i < steps; ++i)
        EXPECT_EQ(f.clicks[i].value, 0.5L * Extended(i + 1)) << i;
    EXPECT_EQ(f.edit->Value(), 0.5L * Extended(steps));
    QTest::qWait(60);
    EXPECT_EQ(f.clicks.size(), steps) << "repeats must stop at the release";
}

TEST(UpdownNumberEdit, ReturnClicksTheNearestDefaultButtonOfTheParents)
{
    const struct {
        const char* name;
        bool onWindow, inBox, enabled, visible, swallowedByHandler;
        int windowClicks, boxClicks;
    } rows[] = {
        {"two levels up", true, false, true, true, false, 1, 0},
        {"the nearer parent wins", true, true, true, true, false, 0, 1},
        {"disabled buttons are skipped", true, false, false, true, false, 0, 0},
        {"hidden buttons are skipped", true, false, true, false, false, 0, 0},
        {"no default button", false, false, true, true, false, 0, 0},
        {"a key-press handler that swallows Return", true, false, true, true, true, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget window;
        auto* box = new QGroupBox(&window);
        auto* edit = new TUpdownNumberEdit(box);
        auto* windowButton = new QPushButton(&window);
        auto* boxButton = new QPushButton(box);
        windowButton->setDefault(row.onWindow);
        boxButton->setDefault(row.inBox);
        windowButton->setEnabled(row.enabled);
        windowButton->setVisible(row.visible);
        int windowClicks = 0, boxClicks = 0;
        QObject::connect(windowButton, &QPushButton::clicked, [&] { ++windowClicks; });
        QObject::connect(boxButton, &QPushButton::clicked, [&] { ++boxClicks; });
        if (row.swallowedByHandler)
            edit->OnKeyPress = [](QObject*, QChar& key) { key = QChar(0); };
        window.show();
        edit->setFocus();
        edit->SetText("12");
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(windowClicks, row.windowClicks);
        EXPECT_EQ(boxClicks, row.boxClicks);
        EXPECT_EQ(edit->Text(), "12");
    }
}

TEST(UpdownNumberEdit, ArrowsFollowEnabledStateOrientationAndSize)
{
    Separators sep(u'.', u',');
    Field f;
    TInnerUpdown* arrows = f.edit->Updown();
    f.edit->setEnabled(false);
    EXPECT_FALSE(arrows->isEnabled());
    f.arrow(true);
    EXPECT_TRUE(f.clicks.empty());
    f.edit->setEnabled(true);
    EXPECT_TRUE(arrows->isEnabled());

    const int extent = f.edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, arrows);
    const int frame = f.edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, f.edit);
    EXPECT_EQ(f.edit->Orientation(), udVertical);
    EXPECT_EQ(arrows->width(), extent);
    const struct { TUDOrientation orientation; int width; QSize size; QFont font; } rows[] = {
        {udHorizontal, extent + 10, {150, 30}, QFont()},
        {udVertical, extent, {90, 22}, QFont(QString(), 20)},
    };
    for (const auto& row : rows) {
        f.edit->SetOrientation(row.orientation);
        f.edit->resize(row.size);
        f.edit->setFont(row.font);
        EXPECT_EQ(f.edit->Orientation(), row.orientation);
        // Flush with the inside of the frame on the right, the full inner height.
        EXPECT_EQ(arrows->geometry(),
                  QRect(f.edit->width() - frame - row.width, frame, row.width, f.edit->height() - 2 * frame));
    }

    // The text ends at least 2 pixels before the arrows: the long text changes no pixel there.
    f.edit->setFont(QFont());
    f.other->setFocus();
    arrows->hide();
    const auto draw = [&](const QString& text) {
        f.edit->SetText(text);
        QImage image(f.edit->size(), QImage::Format_ARGB32);
        f.edit->render(&image);
        return image;
    };
    const QImage empty = draw(QString());
    const QImage full = draw("1." + QString(40, u'8'));
    EXPECT_NE(empty, full);
    for (int x = arrows->x() - 2; x < arrows->x(); ++x)
        for (int y = 0; y < f.edit->height(); ++y)
            ASSERT_EQ(full.pixel(x, y), empty.pixel(x, y)) << x << "," << y;
}

TEST(UpdownNumberEdit, OwnsItsArrowsAndSurvivesTheirLoss)
{
    QPointer<TInnerUpdown> arrows;
    {
        TUpdownNumberEdit edit;
        edit.SetWrap(true);
        edit.SetIncrement(3);
        delete edit.Updown();
        EXPECT_EQ(edit.Updown(), nullptr);
        // The getters bring a new arrow control that keeps the edit's Wrap.
        EXPECT_EQ(edit.Increment(), 1.0L);
        EXPECT_EQ(edit.Orientation(), udVertical);
        arrows = edit.Updown();
        ASSERT_TRUE(arrows);
        edit.SetLimit(true);
        edit.SetMax(10);
        edit.SetValue(10);
        QTest::mouseClick(arrows->upButton(), Qt::LeftButton);
        EXPECT_EQ(edit.Value(), 0);
    }
    EXPECT_TRUE(arrows.isNull());
}
