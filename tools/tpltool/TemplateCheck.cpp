#include "TemplateCheck.h"

#include "labeldata/Cp932.h"

#include <QString>

#include <map>

namespace {

constexpr double MaxLength = 1000;  // mm, the editor's largest length
constexpr int32_t MaxCount = 1000;  // the editor's largest row and column count
constexpr long double FitTolerance = 0.01L; // mm; stored lengths move by up to 0.0127 mm

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

// Whether lead + count × size + (count − 1) × gap + trail exceeds the sheet; fills the sum.
bool overflows(double lead, int32_t count, double size, double gap, double trail, double sheet, long double& sum)
{
    sum = (long double)lead + (long double)count * size + (long double)(count - 1) * gap + trail;
    return sum > (long double)sheet + FitTolerance;
}

} // namespace

std::vector<std::string> checkTemplate(const Tdatatree& set)
{
    std::vector<std::string> findings;
    if (!cp932::isValid(visibleBytes(set.GroupName)))
        findings.push_back("group name: bytes are not valid code page 932");

    std::map<std::string, size_t> firstWithName;
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        const Tlabelpar& s = *set.LabelList[i];
        const std::string label = styleLabel(i, s);
        const std::string visible = visibleBytes(s.Name);

        if (!cp932::isValid(visible))
            findings.push_back(label + ": name bytes are not valid code page 932");
        const auto [first, isNew] = firstWithName.emplace(visible, i);
        if (!isNew)
            findings.push_back(label + ": same name as style " + std::to_string(first->second + 1));

        const std::pair<const char*, double> lengths[] = {
            {"sheet width", s.SheetWidth},         {"sheet height", s.SheetHeight},
            {"label width", s.LabelWidth},         {"label height", s.LabelHeight},
            {"vertical spacing", s.VerticalSpacing}, {"horizontal spacing", s.HorizontalSpacing},
            {"left margin", s.LeftMargin},         {"top margin", s.TopMargin},
            {"right margin", s.RightMargin},       {"bottom margin", s.BottomMargin},
        };
        for (const auto& [what, v] : lengths)
            if (!(v >= 0 && v <= MaxLength))
                findings.push_back(label + ": " + what + " " + number(v) + " mm is outside 0 to 1000 mm");
        const std::pair<const char*, int32_t> counts[] = {{"rows", s.Rows}, {"columns", s.Columns}};
        for (const auto& [what, v] : counts)
            if (v < 1 || v > MaxCount)
                findings.push_back(label + ": " + what + " " + std::to_string(v) + " is outside 1 to 1000");

        long double sum = 0;
        if (s.Columns >= 1
            && overflows(s.LeftMargin, s.Columns, s.LabelWidth, s.HorizontalSpacing, s.RightMargin, s.SheetWidth, sum))
            findings.push_back(label + ": labels do not fit across the sheet: " + number(double(sum))
                               + " mm of margins, labels and spacing on a sheet " + number(s.SheetWidth) + " mm wide");
        if (s.Rows >= 1
            && overflows(s.TopMargin, s.Rows, s.LabelHeight, s.VerticalSpacing, s.BottomMargin, s.SheetHeight, sum))
            findings.push_back(label + ": labels do not fit down the sheet: " + number(double(sum))
                               + " mm of margins, labels and spacing on a sheet " + number(s.SheetHeight) + " mm high");
    }
    return findings;
}
