#pragma once

#include "toolkit/Accessible.h"

class TNumberEdit;

// A number field as a screen reader sees it: the text, and the number with its range through
// the value interface. Setting the value goes through the field's own value writer.
class TAccessibleNumberEdit : public TAccessibleEdit, public QAccessibleValueInterface
{
public:
    explicit TAccessibleNumberEdit(TNumberEdit* edit);

    void* interface_cast(QAccessible::InterfaceType t) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    // Registers the interface for every number field once; the field's constructor calls it.
    static void install();

private:
    TNumberEdit* field() const;
};
