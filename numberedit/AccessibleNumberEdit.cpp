#include "numberedit/AccessibleNumberEdit.h"

#include "numberedit/NumberEdit.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Application.h"

TAccessibleNumberEdit::TAccessibleNumberEdit(TNumberEdit* edit)
    : TAccessibleEdit(edit)
{
}

TNumberEdit* TAccessibleNumberEdit::field() const
{
    return static_cast<TNumberEdit*>(widget());
}

void* TAccessibleNumberEdit::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return TAccessibleEdit::interface_cast(t);
}

QVariant TAccessibleNumberEdit::currentValue() const
{
    return static_cast<double>(field()->Value());
}

void TAccessibleNumberEdit::setCurrentValue(const QVariant& value)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        return;
    // The window's change handlers run inside the writer; their errors end here, as a key's would.
    runGuarded([&] { field()->SetValue(v); });
}

QVariant TAccessibleNumberEdit::maximumValue() const
{
    const TNumberEdit* f = field();
    return f->Limit() && f->LimitOptions().contains(loMax) ? QVariant(static_cast<double>(f->Max())) : QVariant();
}

QVariant TAccessibleNumberEdit::minimumValue() const
{
    const TNumberEdit* f = field();
    return f->Limit() && f->LimitOptions().contains(loMin) ? QVariant(static_cast<double>(f->Min())) : QVariant();
}

QVariant TAccessibleNumberEdit::minimumStepSize() const
{
    if (const auto* updown = qobject_cast<const TUpdownNumberEdit*>(field()))
        return static_cast<double>(updown->Increment());
    return {};
}

void TAccessibleNumberEdit::install()
{
    static const bool installed = (QAccessible::installFactory([](const QString& className, QObject* object)
                                                                   -> QAccessibleInterface* {
                                       if (className == QLatin1String("TNumberEdit"))
                                           return new TAccessibleNumberEdit(static_cast<TNumberEdit*>(object));
                                       return nullptr;
                                   }),
                                   true);
    (void)installed;
}
