// Loads arbitrary bytes as a template image; anything that loads must save and load back the same.
#include "labeldata/Cp932.h"
#include "labeldata/StyleFields.h"
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
    require(set.GroupName.size() == labeldata::tpl::GroupNameReadSize);
    (void)cp932::visibleText(set.GroupName);
    (void)cp932::isValid(set.GroupName);

    Tdatatree again;
    require(again.LoadImage(set.SaveImage()) == LoadResult::Loaded);
    require(again.LabelList.size() == set.LabelList.size());
    require(again.GroupName == set.GroupName);
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        const Tlabelpar& a = set.LabelList[i];
        const Tlabelpar& b = again.LabelList[i];
        constexpr size_t slot = labeldata::tpl::NameSlot;
        require(a.Name.size() == labeldata::tpl::NameReadSize
                && std::string_view(a.Name).substr(0, slot) == std::string_view(b.Name).substr(0, slot) && b.Name[slot] == 0);
        for (const labeldata::StyleField& f : labeldata::StyleFields)
            require(f.value(a) == f.value(b));
        (void)cp932::visibleText(a.Name);
    }
    return 0;
}
