#pragma once

#include "toolkit/Types.h"

#include <array>
#include <cstdint>

class TForm1;
class TSpinEdit;
class TUpdownNumberEdit;

// Which of the window's controls edits which field of a style. The entries stand in the order
// in which selecting a style copies the fields into the controls, which is also the reset's.
struct FieldBinding {
    TSpinEdit* TForm1::* spin;           // a count's control, else null
    TUpdownNumberEdit* TForm1::* length; // a length's control, else null
    int field;                           // its entry in labeldata::StyleFields
    Extended resetValue;                 // the default A4 layout
};

extern const std::array<FieldBinding, 12> FieldMap;
