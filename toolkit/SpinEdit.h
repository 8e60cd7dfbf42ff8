#pragma once

#include "toolkit/CustomEdit.h"

#include <cstdint>

class TUpDown;

// Integer field with its own arrows. Its value is the integer in the text, or MinValue when
// the text holds no integer. Typing is not limited; the limits apply when a value is set, on an
// arrow step and when the field loses the focus, which also replaces a text that is no integer
// by the value it reads as. OnChange runs on every text change, an empty text included.
class TSpinEdit : public TCustomEdit
{
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    ~TSpinEdit() override;

    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value) { FMinValue = value; }
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value) { FMaxValue = value; }
    int32_t Increment() const { return FIncrement; }
    void SetIncrement(int32_t value) { FIncrement = value; }

    int32_t Value() const;
    // Shows the value brought within the limits.
    void SetValue(int32_t value);

    TUpDown* Arrows() const { return FButton; }

protected:
    void KeyDown(int& Key, Qt::KeyboardModifiers Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void EnabledChanged() override;
    void FontChanged() override;
    void Resized() override;

private:
    int32_t Bounded(int64_t value) const;
    void Step(bool up);
    void UpdateLayout();

    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
    int32_t FIncrement = 1;
    TUpDown* FButton;
};
