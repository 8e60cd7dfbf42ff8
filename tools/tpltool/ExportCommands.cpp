#include "ExportCommands.h"

#include "ToolOutput.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "labeldata/TemplateFormat.h"
#include "products/GlabelsWriter.h"
#include "sheet/ExportFile.h"
#include "sheet/SvgTemplate.h"
#include "sheet/TestSheet.h"

#include <QCommandLineParser>
#include <QFile>

#include <cstdio>
#include <optional>
#include <string>

namespace {

const char GlabelsUsage[] = "usage: tpltool glabels FILE.tpl OUT.xml [--style N|NAME]...\n";
const char SvgUsage[] = "usage: tpltool svg FILE.tpl OUT.svg --style N|NAME\n";

int badUsage(const QString& why, const char* usage)
{
    printErr(why.toStdString());
    std::fputs(usage, stderr);
    return Failure;
}

// The command's words: two files and the styles named. nullopt after saying why.
std::optional<QStringList> parse(const QStringList& arguments, const char* usage, QStringList& files)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringLiteral("style"), QStringLiteral("a style by number or name"),
                                        QStringLiteral("N|NAME")));
    if (!parser.parse(QStringList{QStringLiteral("tpltool")} + arguments)) {
        badUsage(parser.errorText(), usage);
        return std::nullopt;
    }
    files = parser.positionalArguments();
    if (files.size() != 2) {
        badUsage(files.size() < 2 ? QStringLiteral("too few arguments") : QStringLiteral("too many arguments"), usage);
        return std::nullopt;
    }
    return parser.values(QStringLiteral("style"));
}

std::string styleLabel(const QString& path, size_t index, const Tlabelpar& s)
{
    return quoted(path) + " style " + std::to_string(index + 1) + " \"" + cp932::visibleText(s.Name).toStdString() + "\"";
}

void warnIfLeaving(const QString& path, size_t index, const Tlabelpar& s)
{
    const labeldata::SheetFit fit = labeldata::sheetFit(s);
    if (!fit.fits())
        printErr(styleLabel(path, index, s) + ": warning: labels leave the sheet by "
                 + QString::number(fit.overflowAcross, 'f', 2).toStdString() + " mm across and "
                 + QString::number(fit.overflowDown, 'f', 2).toStdString() + " mm down");
}

int write(const QString& out, const QByteArray& bytes)
{
    try {
        sheet::writeExportFile(out, bytes);
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

} // namespace

bool loadChosenStyles(const QString& path, const QStringList& wanted, Tdatatree& set, std::vector<size_t>& chosen)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr("cannot open " + quoted(path) + ": " + file.errorString().toStdString());
        return false;
    }
    const QByteArray image = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printErr("cannot read " + quoted(path) + ": " + file.errorString().toStdString());
        return false;
    }
    const LoadResult loaded = set.LoadImage(std::string_view(image.constData(), size_t(image.size())));
    if (loaded != LoadResult::Loaded) {
        printErr(quoted(path) + " is "
                 + (loaded == LoadResult::NotTemplate
                        ? "not a template file (the magic \"" + std::string(labeldata::tpl::Magic) + "\" is missing)"
                        : std::string("damaged: its directory or a record lies beyond the end of the file")));
        return false;
    }
    for (const QString& which : wanted) {
        bool isNumber = false;
        const qulonglong n = which.toULongLong(&isNumber);
        std::optional<size_t> index;
        if (isNumber && n >= 1 && n <= set.LabelList.size())
            index = size_t(n - 1);
        for (size_t i = 0; !index && i < set.LabelList.size(); ++i)
            if (cp932::visibleText(set.LabelList[i]->Name) == which)
                index = i;
        if (!index) {
            printErr(quoted(path) + " has no style " + quoted(which) + "; nothing written");
            return false;
        }
        chosen.push_back(*index);
    }
    if (wanted.isEmpty())
        for (size_t i = 0; i < set.LabelList.size(); ++i)
            chosen.push_back(i);
    return true;
}

int glabelsCommand(const QStringList& arguments)
{
    QStringList files;
    const std::optional<QStringList> wanted = parse(arguments, GlabelsUsage, files);
    if (!wanted)
        return Failure;
    const QString& path = files[0];
    const QString& out = files[1];
    Tdatatree set;
    std::vector<size_t> chosen;
    if (!loadChosenStyles(path, *wanted, set, chosen))
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
    QStringList files;
    const std::optional<QStringList> wanted = parse(arguments, SvgUsage, files);
    if (!wanted)
        return Failure;
    if (wanted->size() != 1)
        return badUsage(QStringLiteral("name one style with --style"), SvgUsage);
    const QString& path = files[0];
    const QString& out = files[1];
    Tdatatree set;
    std::vector<size_t> chosen;
    if (!loadChosenStyles(path, *wanted, set, chosen))
        return Failure;
    const size_t index = chosen.front();
    const Tlabelpar& style = *set.LabelList[index];
    switch (sheet::problemOf(style)) {
    case sheet::SheetProblem::NoSheet:
        printErr(styleLabel(path, index, style) + ": the sheet's width and height must both be above 0; nothing written");
        return Problems;
    case sheet::SheetProblem::NoLabels:
        printErr(styleLabel(path, index, style) + ": rows and columns must both be at least 1; nothing written");
        return Problems;
    case sheet::SheetProblem::TooManyLabels:
        printErr(styleLabel(path, index, style) + ": more than " + std::to_string(sheet::MaxLabels) + " labels; nothing written");
        return Problems;
    case sheet::SheetProblem::None:
        break;
    }
    warnIfLeaving(path, index, style);
    const QString group = cp932::visibleText(set.GroupName).trimmed();
    const QString name = cp932::visibleText(style.Name).trimmed();
    return write(out, sheet::blankSvgTemplate(style, (group + QLatin1Char(' ') + name).trimmed()));
}
