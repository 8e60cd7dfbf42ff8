#include "editor/FieldMap.h"

#include "editor/Unit1.h"
#include "labeldata/StyleFields.h"

namespace {

using labeldata::fieldOf;

constexpr FieldBinding count(TSpinEdit* TForm1::* spin, int32_t Tlabelpar::* member, Extended reset)
{
    return {spin, nullptr, fieldOf(member), reset};
}

constexpr FieldBinding length(TUpdownNumberEdit* TForm1::* edit, double Tlabelpar::* member, Extended reset)
{
    return {nullptr, edit, fieldOf(member), reset};
}

constexpr std::array<FieldBinding, 12> Bindings{{
    count(&TForm1::SpinEdit1, &Tlabelpar::Rows, 5),
    count(&TForm1::SpinEdit2, &Tlabelpar::Columns, 2),
    length(&TForm1::UpdownNumberEdit1, &Tlabelpar::SheetWidth, 210),
    length(&TForm1::UpdownNumberEdit2, &Tlabelpar::SheetHeight, 297),
    length(&TForm1::UpdownNumberEdit3, &Tlabelpar::LabelWidth, 91),
    length(&TForm1::UpdownNumberEdit4, &Tlabelpar::LabelHeight, 55),
    length(&TForm1::UpdownNumberEdit5, &Tlabelpar::LeftMargin, 14),
    length(&TForm1::UpdownNumberEdit6, &Tlabelpar::RightMargin, 14),
    length(&TForm1::UpdownNumberEdit7, &Tlabelpar::TopMargin, 11),
    length(&TForm1::UpdownNumberEdit8, &Tlabelpar::BottomMargin, 11),
    length(&TForm1::UpdownNumberEdit9, &Tlabelpar::HorizontalSpacing, 0),
    length(&TForm1::UpdownNumberEdit10, &Tlabelpar::VerticalSpacing, 0),
}};

// Every field of a style has exactly one control, of its kind.
static_assert([] {
    std::array<int, labeldata::StyleFields.size()> controls{};
    for (const FieldBinding& b : Bindings) {
        if (b.field < 0 || (b.spin != nullptr) == labeldata::StyleFields[size_t(b.field)].isLength())
            return false;
        ++controls[size_t(b.field)];
    }
    for (int n : controls)
        if (n != 1)
            return false;
    return true;
}());

} // namespace

const std::array<FieldBinding, 12> FieldMap = Bindings;
