// tpltool: inspect, check and create label template files from scripts.
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "sheet/PdfExport.h"
#include "AlignmentCommands.h"
#include "CalibrationCommands.h"
#include "CommandLine.h"
#include "ExportCommands.h"
#include "ProductCommands.h"
#include "TemplateCheck.h"
#include "TemplateInput.h"
#include "TemplateJson.h"
#include "ToolOutput.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

int dump(const QString& path)
{
    Tdatatree set;
    if (!loadWhole(path, set))
        return Failure;
    const std::string json = templateToJson(set);
    std::fwrite(json.data(), 1, json.size(), stdout);
    return std::fflush(stdout) == 0 ? Ok : Failure;
}

int create(const QString& jsonPath, const QString& outPath)
{
    QByteArray json;
    if (!readWhole(jsonPath, json))
        return Failure;
    Tdatatree set;
    try {
        templateFromJson(json, set);
    } catch (const JsonInputError& e) {
        printErr(quoted(jsonPath) + ": " + e.what() + "; nothing written");
        return Problems;
    }
    set.FileName = outPath;
    try {
        set.Save();
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(outPath, e);
    }
    return Ok;
}

int check(const QString& path)
{
    Tdatatree set;
    const std::optional<LoadResult> loaded = loadTemplate(path, set);
    if (!loaded)
        return Failure;
    const LoadResult result = *loaded;
    const std::string name = path.toStdString();
    if (result != LoadResult::Loaded) {
        std::printf("%s: %s\n", name.c_str(), refusal(result).c_str());
        return Problems;
    }
    const auto findings = checkTemplate(set);
    for (const std::string& f : findings)
        std::printf("%s: %s\n", name.c_str(), f.c_str());
    if (!findings.empty())
        return Problems;
    std::printf("%s: ok, %zu style%s\n", name.c_str(), set.LabelList.size(), set.LabelList.size() == 1 ? "" : "s");
    return Ok;
}

int makeSheet(const QString& path, const QString& outPath, const QStringList& wanted)
{
    Tdatatree set;
    if (!loadWhole(path, set))
        return Failure;
    const std::optional<std::vector<size_t>> chosenOrNone = chosenStyles(set, path, wanted);
    if (!chosenOrNone)
        return Failure;
    const std::vector<size_t>& chosen = *chosenOrNone;
    if (chosen.empty()) {
        printErr(quoted(path) + " holds no styles; nothing written");
        return Problems;
    }

    bool refused = false;
    std::vector<sheet::SheetPage> pages;
    pages.reserve(chosen.size());
    const QString group = cp932::visibleText(set.GroupName);
    for (size_t i : chosen) {
        const Tlabelpar& style = set.LabelList[i];
        const std::string label = quoted(path) + " " + styleLabel(i, style);
        const sheet::SheetProblem problem = sheet::problemOf(style);
        if (problem != sheet::SheetProblem::None) {
            printErr(label + ": " + sheetProblemText(problem));
            refused = true;
            continue;
        }
        const labeldata::SheetFit fit = labeldata::sheetFit(style);
        if (!fit.fits())
            printErr(label + ": " + leavesSheetText(fit) + "; they are drawn cut at the page edge");
        pages.push_back({style, {group, cp932::visibleText(style.Name)}});
    }
    if (refused) {
        printErr("nothing written");
        return Problems;
    }
    try {
        sheet::writeTestSheetPdf(outPath, pages);
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(outPath, e);
    }
    return Ok;
}

// The commands, each given the words after its name.

int dumpCommand(const QStringList& words)
{
    CommandWords args;
    if (!args.parse(words, 1, 1))
        return Failure;
    return dump(args.positional()[0]);
}

int createCommand(const QStringList& words)
{
    CommandWords args;
    if (!args.parse(words, 2, 2))
        return Failure;
    return create(args.positional()[0], args.positional()[1]);
}

int checkCommand(const QStringList& words)
{
    CommandWords args;
    if (!args.parse(words, 1))
        return Failure;
    int status = Ok;
    for (const QString& path : args.positional())
        status = std::max(status, check(path));
    return status;
}

int sheetCommand(const QStringList& words)
{
    CommandWords args({styleOption()});
    if (!args.parse(words, 2, 2))
        return Failure;
    const GuiSession session;
    return makeSheet(args.positional()[0], args.positional()[1], args.values(QStringLiteral("style")));
}

int importCommand(const QStringList& words)
{
    const QCommandLineOption match(QStringLiteral("match"), QStringLiteral("products to take"), QStringLiteral("TEXT"));
    const QCommandLineOption group(QStringLiteral("group"), QStringLiteral("the group name"), QStringLiteral("NAME"));
    CommandWords args({match, group});
    if (!args.parse(words, 1))
        return Failure;
    QStringList sources = args.positional();
    const QString out = sources.takeLast();
    const std::optional<QString> groupName
        = args.isSet(QStringLiteral("group")) ? std::optional(args.value(QStringLiteral("group"))) : std::nullopt;
    return importProducts(sources, args.values(QStringLiteral("match")), groupName ? &*groupName : nullptr, out);
}

struct Command {
    const char* name;
    int (*run)(const QStringList& words);
};

const Command Commands[] = {
    {"dump", dumpCommand},
    {"create", createCommand},
    {"check", checkCommand},
    {"sheet", sheetCommand},
    {"glabels", glabelsCommand},
    {"libreoffice", libreofficeCommand},
    {"svg", svgCommand},
    {"products", productsCommand},
    {"import", importCommand},
    {"calibration-sheet", calibrationSheetCommand},
    {"calibrate", calibrateCommand},
    {"correct", correctCommand},
    {"alignment-sheet", alignmentSheetCommand},
    {"align", alignCommand},
};

} // namespace

int main(int argc, char** argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    if (words.isEmpty())
        return usageError({});
    const QString command = words.takeFirst();
    if (command == QLatin1String("-h") || command == QLatin1String("--help") || command == QLatin1String("help")) {
        printUsage();
        return Ok;
    }
    if (command == QLatin1String("--version")) {
        std::fputs("tpltool " TESSEL_VERSION "\n", stdout);
        return Ok;
    }
    for (const Command& c : Commands)
        if (command == QLatin1String(c.name))
            return c.run(words);
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
