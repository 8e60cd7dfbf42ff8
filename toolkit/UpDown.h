#pragma once

#include "toolkit/Types.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QLineEdit;
class QToolButton;

enum TUpDownDirection { updNone, updUp, updDown };
enum TUDOrientation { udHorizontal, udVertical };

// AllowChange arrives true; leaving it false keeps Position where it is.
using TUDChangingEventEx =
    std::function<void(QObject* Sender, bool& AllowChange, int16_t NewValue, TUpDownDirection Direction)>;

// A pair of arrow buttons. Every press and every automatic repeat while a button is held sends
// exactly one OnChangingEx; the repeat runs at a constant rate.
class TUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return FMin; }
    void SetMin(int v) { FMin = v; }
    int Max() const { return FMax; }
    void SetMax(int v) { FMax = v; }
    int Position() const { return FPosition; }
    void SetPosition(int v);
    int Increment() const { return FIncrement; }
    void SetIncrement(int v) { FIncrement = v; }
    bool Wrap() const { return FWrap; }
    void SetWrap(bool v) { FWrap = v; }
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation v);

    // Delay before the first repeat and the interval between repeats, in milliseconds.
    void setRepeatTiming(int delay, int interval);

    QToolButton* upButton() const { return FUpButton; }
    QToolButton* downButton() const { return FDownButton; }

    // Width of a vertical scroll bar's arrow: the control's natural width.
    static int scrollArrowExtent(const QWidget* w = nullptr);

    // Places the control inside the right edge of the edit's frame, full inner height, and
    // returns the right text margin that keeps the edit's text 2 pixels clear of it.
    int fitInto(const QLineEdit* edit);

    TUDChangingEventEx OnChangingEx;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buttonPressed(QToolButton* button, bool up);
    void arrange();
    // A screen reader names the arrows after the field they serve ("... を増やす").
    void nameAfterField();

    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FIncrement = 1;
    bool FWrap = false;
    TUDOrientation FOrientation = udVertical;
    QToolButton* FUpButton;
    QToolButton* FDownButton;
};
