#include "numberedit/UpdownNumberEdit.h"

#include <QChildEvent>
#include <QPushButton>

TInnerUpdown::TInnerUpdown(TUpdownNumberEdit* edit)
    : TUpDown(edit)
    , FEdit(edit)
{
    SetOrientation(udVertical);
    OnChangingEx = [this](QObject* Sender, bool& AllowChange, int16_t NewValue, TUpDownDirection Direction) {
        UpdownChangingEx(Sender, AllowChange, NewValue, Direction);
    };
    SetMin(-100);
    SetMax(100);
}

void TInnerUpdown::UpdownChangingEx(QObject*, bool& AllowChange, int16_t, TUpDownDirection Direction)
{
    // Refused whatever happens below, so the position stays 0 and both arrows keep reporting.
    AllowChange = false;
    if (!FEdit)
        return;
    TUpdownNumberEdit* edit = FEdit;
    if (!edit->hasFocus())
        edit->setFocus(Qt::MouseFocusReason);
    const Extended v = edit->SteppedValue(Direction, FWrap);
    if (edit->ReadOnly())
        return;
    bool allow = true;
    edit->DoUDClick(allow, v, Direction);
    if (!allow)
        return;
    edit->SetValue(v);
    NotifyChanged();
}

void TInnerUpdown::NotifyChanged()
{
    if (FEdit)
        FEdit->DoUDChanged();
}

TUpdownNumberEdit::TUpdownNumberEdit(QWidget* parent)
    : TNumberEdit(parent)
{
    CreateUpdown();
    FAllowKeys = true;
    UpdateLayout();
}

TUpdownNumberEdit::~TUpdownNumberEdit()
{
    // The arrows go first; their removal empties FUpdown on the way.
    delete FUpdown;
}

void TUpdownNumberEdit::CreateUpdown() const
{
    if (FUpdown)
        return;
    auto* self = const_cast<TUpdownNumberEdit*>(this);
    FUpdown = new TInnerUpdown(self);
    FUpdown->setObjectName(QStringLiteral("Updown"));
    // A replacement must step the way the edit says it does.
    FUpdown->FWrap = FWrap;
    FUpdown->setEnabled(isEnabled());
    FUpdown->show();
}

Extended TUpdownNumberEdit::Increment() const
{
    CreateUpdown();
    return FUpdown->FIncrement;
}

void TUpdownNumberEdit::SetIncrement(Extended value)
{
    CreateUpdown();
    FUpdown->FIncrement = value;
}

TUDOrientation TUpdownNumberEdit::Orientation() const
{
    CreateUpdown();
    return FUpdown->Orientation();
}

void TUpdownNumberEdit::SetOrientation(TUDOrientation value)
{
    CreateUpdown();
    FUpdown->SetOrientation(value);
    const int extent = TUpDown::scrollArrowExtent(FUpdown);
    FUpdown->resize(value == udVertical ? extent : extent + 10, FUpdown->height());
    UpdateLayout();
}

void TUpdownNumberEdit::SetWrap(bool value)
{
    FWrap = value;
    if (FUpdown)
        FUpdown->FWrap = value;
}

void TUpdownNumberEdit::DoUDChanged()
{
    SetModified(true);
    if (OnUDChanged)
        OnUDChanged(this);
}

void TUpdownNumberEdit::DoUDClick(bool& AllowChange, Extended NewValue, TUpDownDirection Direction)
{
    if (OnUDClick)
        OnUDClick(this, AllowChange, NewValue, Direction);
}

Extended TUpdownNumberEdit::SteppedValue(TUpDownDirection Direction, bool Wrap) const
{
    // From the stored value, not the text; no snapping to a multiple of the increment.
    Extended v = Value();
    if (Direction == updUp)
        v += Increment();
    else if (Direction == updDown)
        v -= Increment();

    const bool inRange = Min() <= v && v <= Max();
    const bool belowAllowed = v < Min() && !LimitOptions().contains(loMin);
    const bool aboveAllowed = v > Max() && !LimitOptions().contains(loMax);
    if (inRange || belowAllowed || aboveAllowed || !Limit())
        return v;
    // Wrapping starts again at the opposite limit itself; the overshoot is not carried over.
    if (v < Min())
        return Wrap ? Max() : Min();
    return Wrap ? Min() : Max();
}

void TUpdownNumberEdit::StepByKey(TUpDownDirection Direction)
{
    const Extended v = SteppedValue(Direction, FWrap);
    bool allow = true;
    DoUDClick(allow, v, Direction);
    if (allow)
        SetValue(v);
}

void TUpdownNumberEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift)
{
    TNumberEdit::KeyDown(Key, Shift);
    if (!FAllowKeys || !FUpdown)
        return;
    if (Key == Qt::Key_Up)
        StepByKey(updUp);
    else if (Key == Qt::Key_Down)
        StepByKey(updDown);
}

void TUpdownNumberEdit::KeyPress(QChar& Key)
{
    // The key that arrived decides, not what a key-press handler made of it.
    const bool isReturn = Key == QChar(13);
    TNumberEdit::KeyPress(Key);
    if (!isReturn)
        return;
    // Return is never a line break here; it belongs to the window's default button.
    Key = QChar(0);
    ClickDefaultButton();
}

void TUpdownNumberEdit::ClickDefaultButton()
{
    for (QWidget* parent = parentWidget(); parent; parent = parent->parentWidget()) {
        for (QObject* child : parent->children()) {
            auto* button = qobject_cast<QPushButton*>(child);
            if (button && button->isDefault() && button->isEnabled() && button->isVisible()) {
                button->click();
                return;
            }
        }
        // A window's owner is another window; its buttons are not this window's.
        if (parent->isWindow())
            return;
    }
}

void TUpdownNumberEdit::EnabledChanged()
{
    TNumberEdit::EnabledChanged();
    if (FUpdown)
        FUpdown->setEnabled(isEnabled());
}

void TUpdownNumberEdit::FontChanged()
{
    TNumberEdit::FontChanged();
    UpdateLayout();
}

void TUpdownNumberEdit::Resized()
{
    TNumberEdit::Resized();
    UpdateLayout();
}

void TUpdownNumberEdit::changeEvent(QEvent* event)
{
    TNumberEdit::changeEvent(event);
    // Another style may draw a frame of another width.
    if (event->type() == QEvent::StyleChange)
        UpdateLayout();
}

void TUpdownNumberEdit::childEvent(QChildEvent* event)
{
    TNumberEdit::childEvent(event);
    if (event->type() == QEvent::ChildRemoved && event->child() == FUpdown)
        FUpdown = nullptr;
}

void TUpdownNumberEdit::UpdateLayout()
{
    CreateUpdown();
    SetRightTextMargin(FUpdown->fitInto(this));
}
