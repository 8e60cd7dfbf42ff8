#include "editor/FieldMap.h"

#include "editor/Preview.h"
#include "editor/Unit1.h"
#include "labeldata/StyleFields.h"

namespace {

using labeldata::fieldOf;

constexpr FieldBinding count(TSpinEdit* TForm1::* spin, int32_t Tlabelpar::* member, Extended reset,
                             int32_t PreviewInput::* preview)
{
    return {spin, nullptr, fieldOf(member), reset, preview, nullptr};
}

constexpr FieldBinding length(TUpdownNumberEdit* TForm1::* edit, double Tlabelpar::* member, Extended reset,
                              Extended PreviewInput::* preview)
{
    return {nullptr, edit, fieldOf(member), reset, nullptr, preview};
}

constexpr std::array<FieldBinding, 12> Bindings{{
    count(&TForm1::SpinEdit1, &Tlabelpar::Rows, 5, &PreviewInput::Rows),
    count(&TForm1::SpinEdit2, &Tlabelpar::Columns, 2, &PreviewInput::Columns),
    length(&TForm1::UpdownNumberEdit1, &Tlabelpar::SheetWidth, 210, &PreviewInput::SheetWidth),
    length(&TForm1::UpdownNumberEdit2, &Tlabelpar::SheetHeight, 297, &PreviewInput::SheetHeight),
    length(&TForm1::UpdownNumberEdit3, &Tlabelpar::LabelWidth, 91, &PreviewInput::LabelWidth),
    length(&TForm1::UpdownNumberEdit4, &Tlabelpar::LabelHeight, 55, &PreviewInput::LabelHeight),
    length(&TForm1::UpdownNumberEdit5, &Tlabelpar::LeftMargin, 14, &PreviewInput::LeftMargin),
    length(&TForm1::UpdownNumberEdit6, &Tlabelpar::RightMargin, 14, &PreviewInput::RightMargin),
    length(&TForm1::UpdownNumberEdit7, &Tlabelpar::TopMargin, 11, &PreviewInput::TopMargin),
    length(&TForm1::UpdownNumberEdit8, &Tlabelpar::BottomMargin, 11, &PreviewInput::BottomMargin),
    length(&TForm1::UpdownNumberEdit9, &Tlabelpar::HorizontalSpacing, 0, &PreviewInput::HorizontalSpacing),
    length(&TForm1::UpdownNumberEdit10, &Tlabelpar::VerticalSpacing, 0, &PreviewInput::VerticalSpacing),
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
