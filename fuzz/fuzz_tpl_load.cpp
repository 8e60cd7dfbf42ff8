// Loads arbitrary bytes as a template image; anything that loads must save and load back the same.
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    Tdatatree set;
    set.GroupName = "unchanged";
    const LoadResult result = set.LoadImage(image);
    if (result != LoadResult::Loaded) {
        require(set.LabelList.empty() && set.GroupName == "unchanged");
        return 0;
    }
    require(set.GroupName.size() == 16);
    (void)cp932::visibleText(set.GroupName);
    (void)cp932::isValid(set.GroupName);

    Tdatatree again;
    require(again.LoadImage(set.SaveImage()) == LoadResult::Loaded);
    require(again.LabelList.size() == set.LabelList.size());
    require(again.GroupName == set.GroupName);
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        const Tlabelpar& a = *set.LabelList[i];
        const Tlabelpar& b = *again.LabelList[i];
        require(a.Name.size() == 19 && std::string_view(a.Name).substr(0, 18) == std::string_view(b.Name).substr(0, 18)
                && b.Name[18] == 0);
        require(a.SheetWidth == b.SheetWidth && a.SheetHeight == b.SheetHeight);
        require(a.LabelWidth == b.LabelWidth && a.LabelHeight == b.LabelHeight);
        require(a.VerticalSpacing == b.VerticalSpacing && a.HorizontalSpacing == b.HorizontalSpacing);
        require(a.Rows == b.Rows && a.Columns == b.Columns);
        require(a.LeftMargin == b.LeftMargin && a.TopMargin == b.TopMargin);
        require(a.RightMargin == b.RightMargin && a.BottomMargin == b.BottomMargin);
        (void)cp932::visibleText(a.Name);
    }
    return 0;
}
