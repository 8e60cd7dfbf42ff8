#include "toolkit/ComboBox.h"

#include "toolkit/Accessible.h"

TComboBox::TComboBox(QWidget* parent)
    : QComboBox(parent)
{
    installAccessibleInterfaces();
}
