#pragma once

#include "numberedit/NumberEdit.h"
#include "toolkit/UpDown.h"

#include <functional>

class TUpdownNumberEdit;

// The owner may refuse a step by setting AllowChange to false; NewValue is for information.
using TUDClickEvent =
    std::function<void(QObject* Sender, bool& AllowChange, Extended NewValue, TUpDownDirection Direction)>;

// The arrows of a TUpdownNumberEdit. It never moves its own position: each notification becomes
// exactly one step of the edit's value by FIncrement and is then refused.
class TInnerUpdown : public TUpDown
{
    Q_OBJECT
    friend class TUpdownNumberEdit;

public:
    explicit TInnerUpdown(TUpdownNumberEdit* edit);

private:
    void UpdownChangingEx(QObject* Sender, bool& AllowChange, int16_t NewValue, TUpDownDirection Direction);
    void NotifyChanged();

    Extended FIncrement = 1.0L;
    TUpdownNumberEdit* FEdit = nullptr;
    bool FWrap = false;
};

// Number edit with arrow buttons inside its right edge. The arrows and the Up and Down keys step
// Value by Increment, stopping at the limit crossed or, with Wrap, continuing from the other
// one. Return presses the nearest enabled, showing default push button of the parents.
class TUpdownNumberEdit : public TNumberEdit
{
    Q_OBJECT
    friend class TInnerUpdown;

public:
    explicit TUpdownNumberEdit(QWidget* parent = nullptr);
    ~TUpdownNumberEdit() override;

    bool AllowKeys() const { return FAllowKeys; }
    void SetAllowKeys(bool value) { FAllowKeys = value; }
    // Taken without a check and without redisplay; 0 and negative steps are allowed.
    Extended Increment() const;
    void SetIncrement(Extended value);
    TUDOrientation Orientation() const;
    void SetOrientation(TUDOrientation value);
    bool Wrap() const { return FWrap; }
    void SetWrap(bool value);

    // The arrow control; null only after someone else destroyed it.
    TInnerUpdown* Updown() const { return FUpdown; }

    TNotifyEvent OnUDChanged;
    TUDClickEvent OnUDClick;

protected:
    virtual void DoUDChanged();
    virtual void DoUDClick(bool& AllowChange, Extended NewValue, TUpDownDirection Direction);

    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
    void KeyPress(QChar& Key) override;
    void EnabledChanged() override;
    void FontChanged() override;
    void Resized() override;
    void changeEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void CreateUpdown() const;
    void UpdateLayout();
    Extended SteppedValue(TUpDownDirection Direction, bool Wrap) const;
    void StepByKey(TUpDownDirection Direction);
    void ClickDefaultButton();

    bool FAllowKeys = true;
    // Created on demand by the getters too, hence mutable.
    mutable TInnerUpdown* FUpdown = nullptr;
    bool FWrap = false;
};
