#include "toolkit/UpDown.h"

#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QToolButton>

#include <stdexcept>

TEST(UpDown, EachPressReportsItsDirectionAndMovesOnlyWhenAllowed)
{
    const struct {
        const char* name;
        TUDOrientation orientation;
        int position;
        bool wrap, up, allow;
        TUpDownDirection direction;
        int proposed, after;
    } rows[] = {
        {"up", udVertical, 0, false, true, true, updUp, 1, 1},
        {"down", udVertical, 0, false, false, true, updDown, -1, -1},
        {"refused", udVertical, 0, false, true, false, updUp, 1, 0},
        {"at the top", udVertical, 100, false, true, true, updNone, 100, 100},
        {"at the bottom", udVertical, -100, false, false, true, updNone, -100, -100},
        {"wrapping over the top", udVertical, 100, true, true, true, updUp, -100, -100},
        {"right arrow counts up", udHorizontal, 0, false, true, true, updUp, 1, 1},
        {"left arrow counts down", udHorizontal, 0, false, false, true, updDown, -1, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TUpDown arrows;
        arrows.SetMin(-100);
        arrows.SetMax(100);
        arrows.SetOrientation(row.orientation);
        arrows.SetPosition(row.position);
        arrows.SetWrap(row.wrap);
        int calls = 0;
        TUpDownDirection direction = updNone;
        int proposed = 0;
        arrows.OnChangingEx = [&](QObject* sender, bool& allow, int16_t value, TUpDownDirection d) {
            EXPECT_EQ(sender, &arrows);
            EXPECT_TRUE(allow);
            ++calls;
            direction = d;
            proposed = value;
            allow = row.allow;
        };
        arrows.show();
        QToolButton* button = row.up ? arrows.upButton() : arrows.downButton();
        EXPECT_EQ(button->arrowType(), row.orientation == udVertical ? (row.up ? Qt::UpArrow : Qt::DownArrow)
                                                                     : (row.up ? Qt::RightArrow : Qt::LeftArrow));
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(direction, row.direction);
        EXPECT_EQ(proposed, row.proposed);
        EXPECT_EQ(arrows.Position(), row.after);
    }
}

TEST(UpDown, AFailingStepStopsTheRepeatAfterOneMessage)
{
    ModalCatcher catcher;
    TUpDown arrows;
    arrows.setRepeatTiming(20, 10);
    int calls = 0;
    arrows.OnChangingEx = [&](QObject*, bool&, int16_t, TUpDownDirection) {
        ++calls;
        throw std::runtime_error("失敗");
    };
    arrows.show();
    QTest::mousePress(arrows.upButton(), Qt::LeftButton);
    QTest::qWait(200);
    QTest::mouseRelease(arrows.upButton(), Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(catcher.Texts, QStringList{"失敗"});
}
