#include "TemplateCheck.h"

#include "labeldata/Cp932.h"
#include "labeldata/SheetFit.h"
#include "labeldata/StyleFields.h"

#include <QString>

#include <map>

namespace {

std::string visibleBytes(std::string_view name)
{
    return std::string(name.substr(0, name.find('\0')));
}

std::string number(double v)
{
    return QString::number(v, 'g', 10).toStdString();
}

std::string styleLabel(size_t index, const Tlabelpar& s)
{
    return "style " + std::to_string(index + 1) + " \"" + cp932::visibleText(s.Name).toStdString() + "\"";
}

// "sheet_width" reads "sheet width".
std::string fieldName(const labeldata::StyleField& f)
{
    std::string name(f.key);
    for (char& c : name)
        if (c == '_')
            c = ' ';
    return name;
}

} // namespace

std::vector<std::string> checkTemplate(const Tdatatree& set)
{
    std::vector<std::string> findings;
    if (!cp932::isValid(visibleBytes(set.GroupName)))
        findings.push_back("group name: bytes are not valid code page 932");

    std::map<std::string, size_t> firstWithName;
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        const Tlabelpar& s = set.LabelList[i];
        const std::string label = styleLabel(i, s);
        const std::string visible = visibleBytes(s.Name);

        if (!cp932::isValid(visible))
            findings.push_back(label + ": name bytes are not valid code page 932");
        const auto [first, isNew] = firstWithName.emplace(visible, i);
        if (!isNew)
            findings.push_back(label + ": same name as style " + std::to_string(first->second + 1));

        // Lengths first, then the counts, each in the style's order.
        for (const auto& f : labeldata::StyleFields)
            if (f.isLength() && !(s.*f.length >= f.min && s.*f.length <= f.max))
                findings.push_back(label + ": " + fieldName(f) + " " + number(s.*f.length) + " mm is outside "
                                   + number(f.min) + " to " + number(f.max) + " mm");
        for (const auto& f : labeldata::StyleFields)
            if (!f.isLength() && (s.*f.count < f.min || s.*f.count > f.max))
                findings.push_back(label + ": " + fieldName(f) + " " + std::to_string(s.*f.count) + " is outside "
                                   + number(f.min) + " to " + number(f.max));

        const labeldata::SheetFit fit = labeldata::sheetFit(s);
        if (!fit.fitsAcross)
            findings.push_back(label + ": labels do not fit across the sheet: " + number(double(fit.usedAcross))
                               + " mm of margins, labels and spacing on a sheet " + number(fit.sheetAcross) + " mm wide");
        if (!fit.fitsDown)
            findings.push_back(label + ": labels do not fit down the sheet: " + number(double(fit.usedDown))
                               + " mm of margins, labels and spacing on a sheet " + number(fit.sheetDown) + " mm high");
    }
    return findings;
}
