#include "toolkit/SpinEdit.h"

#include "toolkit/Conversions.h"
#include "toolkit/Errors.h"
#include "toolkit/UpDown.h"


TSpinEdit::TSpinEdit(QWidget* parent)
    : TCustomEdit(parent)
    , FButton(new TUpDown(this))
{
    FButton->setObjectName(QStringLiteral("SpinButton"));
    // The field counts for itself; the arrows only report which way.
    FButton->SetMin(-100);
    FButton->SetMax(100);
    FButton->OnChangingEx = [this](QObject*, bool& AllowChange, int16_t, TUpDownDirection Direction) {
        AllowChange = false;
        if (!HasEditFocus())
            setFocus(Qt::MouseFocusReason);
        if (ReadOnly() || Direction == updNone)
            return;
        Step(Direction == updUp);
    };
    SetText(QStringLiteral("0"));
    UpdateLayout();
}

TSpinEdit::~TSpinEdit()
{
    delete FButton;
}

int32_t TSpinEdit::Value() const
{
    try {
        return StrToInt(Text());
    } catch (const EConvertError&) {
        return FMinValue;
    }
}

void TSpinEdit::SetValue(int32_t value)
{
    SetText(QString::number(Bounded(value)));
}

int32_t TSpinEdit::Bounded(int64_t value) const
{
    // Maximum last, so that a minimum above the maximum cannot push a value past the maximum.
    if (value < FMinValue)
        value = FMinValue;
    if (value > FMaxValue)
        value = FMaxValue;
    return static_cast<int32_t>(value);
}

void TSpinEdit::Step(bool up)
{
    // Wide arithmetic: a step from near the end of the integer range must not wrap around.
    const int64_t current = Value();
    SetValue(Bounded(up ? current + FIncrement : current - FIncrement));
}

void TSpinEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift)
{
    TCustomEdit::KeyDown(Key, Shift);
    if ((Key == Qt::Key_Up || Key == Qt::Key_Down) && !ReadOnly()) {
        Step(Key == Qt::Key_Up);
        Key = 0;
    }
}

void TSpinEdit::KeyPress(QChar& Key)
{
    const char16_t c = Key.unicode();
    // Control characters (editing keys, Ctrl shortcuts) pass; of the printable ones only
    // what an integer can contain.
    const bool allowed = c < 32 || (c >= u'0' && c <= u'9') || c == u'-' || c == u'+';
    if (!allowed) {
        Key = QChar(0);
        return;
    }
    TCustomEdit::KeyPress(Key);
}

void TSpinEdit::DoExit()
{
    // On leaving, the field shows what it holds: an integer too long for any width lies beyond
    // one limit and goes to it, and a text that is no integer becomes the value it reads as.
    int64_t typed;
    bool integer = true;
    try {
        typed = StrToInt64Saturated(Text());
    } catch (const EConvertError&) {
        typed = Value();
        integer = false;
    }
    if (!integer || Bounded(typed) != typed)
        SetValue(Bounded(typed));
    TCustomEdit::DoExit();
}

void TSpinEdit::EnabledChanged()
{
    TCustomEdit::EnabledChanged();
    FButton->setEnabled(isEnabled());
}

void TSpinEdit::FontChanged()
{
    TCustomEdit::FontChanged();
    UpdateLayout();
}

void TSpinEdit::Resized()
{
    TCustomEdit::Resized();
    UpdateLayout();
}

void TSpinEdit::UpdateLayout()
{
    SetRightTextMargin(FButton->fitInto(this));
}
