#include "ExportCommands.h"

#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "products/GlabelsWriter.h"
#include "sheet/SvgTemplate.h"
#include "sheet/TestSheet.h"
#include "CommandLine.h"
#include "TemplateInput.h"
#include "ToolOutput.h"


#include <cstdio>
#include <optional>
#include <string>

namespace {

// The command's two files and the styles it names; false after saying why not.
bool parse(const QStringList& arguments, QStringList& files, QStringList& wanted)
{
    CommandWords args({styleOption()});
    if (!args.parse(arguments, 2, 2))
        return false;
    files = args.positional();
    wanted = args.values(QStringLiteral("style"));
    return true;
}

std::string styleLabel(const QString& path, size_t index, const Tlabelpar& s)
{
    return quoted(path) + " " + styleLabel(index, s);
}

void warnIfLeaving(const QString& path, size_t index, const Tlabelpar& s)
{
    const labeldata::SheetFit fit = labeldata::sheetFit(s);
    if (!fit.fits())
        printErr(styleLabel(path, index, s) + ": " + leavesSheetText(fit));
}

int write(const QString& out, const QByteArray& bytes)
{
    try {
        labeldata::writeFileDurably(out, bytes);
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

} // namespace

bool loadChosenStyles(const QString& path, const QStringList& wanted, Tdatatree& set, std::vector<size_t>& chosen)
{
    if (!loadWhole(path, set))
        return false;
    std::optional<std::vector<size_t>> named = chosenStyles(set, path, wanted);
    if (!named)
        return false;
    chosen = std::move(*named);
    return true;
}

int glabelsCommand(const QStringList& arguments)
{
    QStringList files, wanted;
    if (!parse(arguments, files, wanted))
        return Failure;
    const QString& path = files[0];
    const QString& out = files[1];
    Tdatatree set;
    std::vector<size_t> chosen;
    if (!loadChosenStyles(path, wanted, set, chosen))
        return Failure;
    if (chosen.empty()) {
        printErr(quoted(path) + " holds no styles; nothing written");
        return Problems;
    }
    std::vector<const Tlabelpar*> styles;
    for (size_t i : chosen)
        styles.push_back(set.LabelList[i].get());
    QString brand = cp932::visibleText(set.GroupName).trimmed();
    if (brand.isEmpty())
        brand = QStringLiteral("tessel");
    const products::GlabelsTemplates templates = products::glabelsTemplates(brand, styles);
    for (const auto& r : templates.refused)
        printErr(styleLabel(path, chosen[r.index], *styles[r.index])
                 + (r.reason == products::GlabelsRefusal::NoSheet
                        ? ": the sheet's width and height must both be above 0"
                        : ": the label's width and height must be above 0 and rows and columns at least 1"));
    if (!templates.refused.empty()) {
        printErr("nothing written");
        return Problems;
    }
    if (templates.brandReplaced)
        printErr("warning: the group name holds control characters, which XML cannot hold; each became U+FFFD");
    for (size_t k : templates.namesReplaced)
        printErr(styleLabel(path, chosen[k], *styles[k])
                 + ": warning: the name holds control characters, which XML cannot hold; each became U+FFFD");
    for (size_t k = 0; k < chosen.size(); ++k)
        warnIfLeaving(path, chosen[k], *styles[k]);
    return write(out, templates.xml);
}

int svgCommand(const QStringList& arguments)
{
    QStringList files, wanted;
    if (!parse(arguments, files, wanted))
        return Failure;
    if (wanted.size() != 1)
        return usageError(QStringLiteral("name one style with --style"));
    const QString& path = files[0];
    const QString& out = files[1];
    Tdatatree set;
    std::vector<size_t> chosen;
    if (!loadChosenStyles(path, wanted, set, chosen))
        return Failure;
    const size_t index = chosen.front();
    const Tlabelpar& style = *set.LabelList[index];
    const sheet::SheetProblem problem = sheet::problemOf(style);
    if (problem != sheet::SheetProblem::None) {
        printErr(styleLabel(path, index, style) + ": " + sheetProblemText(problem) + "; nothing written");
        return Problems;
    }
    warnIfLeaving(path, index, style);
    const QString group = cp932::visibleText(set.GroupName).trimmed();
    const QString name = cp932::visibleText(style.Name).trimmed();
    return write(out, sheet::blankSvgTemplate(style, (group + QLatin1Char(' ') + name).trimmed()));
}
