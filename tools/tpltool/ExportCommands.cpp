#include "ExportCommands.h"

#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "products/GlabelsWriter.h"
#include "products/LibreOfficeWriter.h"
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

namespace {

// What an export of a set to another label program starts from.
struct ExportInput {
    QString path;
    QString out;
    Tdatatree set;
    std::vector<size_t> chosen;
    std::vector<const Tlabelpar*> styles;
    QString brand;
    const char* brandWord = "the group name"; // how messages name it
};

// The file's chosen styles and the brand, the group name unless given; Ok, or the status after
// saying why not.
int readExportInput(const CommandWords& args, const std::optional<QString>& brand, ExportInput& in)
{
    in.path = args.positional()[0];
    in.out = args.positional()[1];
    if (!loadChosenStyles(in.path, args.values(QStringLiteral("style")), in.set, in.chosen))
        return Failure;
    if (in.chosen.empty()) {
        printErr(quoted(in.path) + " holds no styles; nothing written");
        return Problems;
    }
    for (size_t i : in.chosen)
        in.styles.push_back(&in.set.LabelList[i]);
    in.brand = brand ? *brand : cp932::visibleText(in.set.GroupName).trimmed();
    if (brand)
        in.brandWord = "the brand";
    if (in.brand.isEmpty())
        in.brand = QStringLiteral("tessel");
    return Ok;
}

// Says why styles were refused, or warns of what was replaced and of labels leaving the sheet;
// false when nothing may be written.
bool reportNames(const ExportInput& in, const products::ExportNames& names)
{
    for (const auto& r : names.refused)
        printErr(styleLabel(in.path, in.chosen[r.index], *in.styles[r.index])
                 + (r.reason == products::ExportRefusal::NoSheet
                        ? ": the sheet's width and height must both be above 0"
                        : ": the label's width and height must be above 0 and rows and columns at least 1"));
    if (!names.refused.empty()) {
        printErr("nothing written");
        return false;
    }
    if (names.brandReplaced)
        printErr(std::string("warning: ") + in.brandWord + " holds control characters, which XML cannot hold; each became U+FFFD");
    for (size_t k : names.namesReplaced)
        printErr(styleLabel(in.path, in.chosen[k], *in.styles[k])
                 + ": warning: the name holds control characters, which XML cannot hold; each became U+FFFD");
    for (size_t k = 0; k < in.chosen.size(); ++k)
        warnIfLeaving(in.path, in.chosen[k], *in.styles[k]);
    return true;
}

} // namespace

int glabelsCommand(const QStringList& arguments)
{
    CommandWords args({styleOption()});
    if (!args.parse(arguments, 2, 2))
        return Failure;
    ExportInput in;
    if (const int status = readExportInput(args, std::nullopt, in); status != Ok)
        return status;
    const products::GlabelsTemplates templates = products::glabelsTemplates(in.brand, in.styles);
    if (!reportNames(in, templates))
        return Problems;
    return write(in.out, templates.xml);
}

int libreofficeCommand(const QStringList& arguments)
{
    const QCommandLineOption brandOption(QStringLiteral("brand"), QStringLiteral("the manufacturer"), QStringLiteral("NAME"));
    CommandWords args({styleOption(), brandOption});
    if (!args.parse(arguments, 2, 2))
        return Failure;
    std::optional<QString> brand;
    if (args.isSet(QStringLiteral("brand"))) {
        brand = args.value(QStringLiteral("brand")).trimmed();
        if (brand->isEmpty())
            return usageError(QStringLiteral("--brand needs a name"));
    }
    ExportInput in;
    if (const int status = readExportInput(args, brand, in); status != Ok)
        return status;
    const products::LibreOfficeExtension extension = products::libreOfficeExtension(in.brand, in.styles);
    if (!reportNames(in, extension))
        return Problems;
    if (extension.brandPathReplaced)
        printErr("warning: LibreOffice reads '/', '[' and ']' in a manufacturer's name as a path; each became its full-width form");
    return write(in.out, extension.oxt);
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
    const Tlabelpar& style = set.LabelList[index];
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
