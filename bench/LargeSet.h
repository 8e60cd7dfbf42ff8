#pragma once

#include "labeldata/Tdatatree.h"

#include <memory>
#include <string>

// The largest set a template file holds: 65535 styles of varied sizes, named prefix + number.
inline Tdatatree makeLargeSet(const std::string& namePrefix)
{
    Tdatatree set;
    set.GroupName = std::string("BENCH\0", 6);
    for (size_t i = 0; i < Tdatatree::MaxStyles; ++i) {
        auto s = std::make_unique<Tlabelpar>();
        s->Name = namePrefix + std::to_string(i) + std::string(1, '\0');
        s->SheetWidth = 210;
        s->SheetHeight = 297;
        s->LabelWidth = 20 + double(i % 700) / 10;
        s->LabelHeight = 10 + double(i % 500) / 10;
        s->Rows = int(i % 30) + 1;
        s->Columns = int(i % 7) + 1;
        s->LeftMargin = s->RightMargin = 5.5;
        s->TopMargin = s->BottomMargin = 7.25;
        set.LabelList.push_back(std::move(*s));
    }
    return set;
}
