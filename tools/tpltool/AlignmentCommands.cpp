#include "AlignmentCommands.h"

#include "labeldata/Alignment.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/StyleFields.h"
#include "labeldata/Tdatatree.h"
#include "sheet/AlignmentSheet.h"
#include "CalibrationCommands.h"
#include "CommandLine.h"
#include "TemplateInput.h"
#include "ToolOutput.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

const QString ReadingsName = QStringLiteral("readings");

// The one style --style names in the set read from path; nullopt after saying why not.
std::optional<size_t> oneStyle(const CommandWords& args, const QString& path, Tdatatree& set)
{
    if (!loadWhole(path, set))
        return std::nullopt;
    const auto chosen = chosenStyles(set, path, args.values(QStringLiteral("style")));
    if (!chosen)
        return std::nullopt;
    return chosen->front();
}

std::string millimetres(double v)
{
    return QString::number(v, 'f', 2).toStdString();
}

std::string problemText(const labeldata::AlignedStyle& r, const QStringList& readings)
{
    const std::string which = "reading " + std::to_string(r.reading + 1);
    const char* side = r.across ? "left" : "top";
    switch (r.problem) {
    case labeldata::AlignmentProblem::NotANumber:
        return which + " " + quoted(readings.value(r.reading)) + " is not a number";
    case labeldata::AlignmentProblem::ReadingOutOfRange:
        return which + " " + quoted(readings.value(r.reading)) + " is beyond the scales' ±3 mm";
    case labeldata::AlignmentProblem::NoLabels:
        return "the style has no sheet or no labels";
    case labeldata::AlignmentProblem::NegativeMargin:
        return std::string("the ") + side + " margin would be below 0 mm";
    case labeldata::AlignmentProblem::NegativeSize:
        return std::string("the labels' ") + (r.across ? "width" : "height") + " would be 0 mm or less";
    case labeldata::AlignmentProblem::LeavesSheet:
        return std::string("the labels would leave the sheet ") + (r.across ? "across" : "down");
    case labeldata::AlignmentProblem::None:
        break;
    }
    return {};
}

} // namespace

int alignmentSheetCommand(const QStringList& arguments)
{
    CommandWords args(correctionOptions() << styleOption());
    if (!args.parse(arguments, 2, 2))
        return Failure;
    if (args.values(QStringLiteral("style")).size() != 1)
        return usageError(QStringLiteral("name one style with --style"));
    const std::optional<labeldata::Calibration> correction = correctionFrom(args);
    if (!correction)
        return Failure;
    const QString in = args.positional()[0], out = args.positional()[1];
    Tdatatree set;
    const std::optional<size_t> index = oneStyle(args, in, set);
    if (!index)
        return Failure;
    const Tlabelpar& style = set.LabelList[*index];
    const std::string label = quoted(in) + " " + styleLabel(*index, style);
    const sheet::SheetProblem problem = sheet::problemOf(style);
    if (problem != sheet::SheetProblem::None) {
        printErr(label + ": " + sheetProblemText(problem) + "; nothing written");
        return Problems;
    }
    const labeldata::SheetFit fit = labeldata::sheetFit(style);
    if (!fit.fits())
        printErr(label + ": " + leavesSheetText(fit) + "; they are drawn cut at the page edge");
    const GuiSession session;
    const sheet::AlignmentSheetText text{
        {cp932::visibleText(set.GroupName), cp932::visibleText(style.Name)}, QString(), QDate::currentDate()};
    try {
        sheet::writeAlignmentSheetPdf(out, style, text, *correction);
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

int alignCommand(const QStringList& arguments)
{
    CommandWords args({styleOption(), QCommandLineOption(ReadingsName, QString(), QStringLiteral("R1,...,R8"))});
    if (!args.parse(arguments, 2, 2))
        return Failure;
    if (args.values(QStringLiteral("style")).size() != 1)
        return usageError(QStringLiteral("name one style with --style"));
    const QStringList words = args.value(ReadingsName).split(QLatin1Char(','));
    if (!args.isSet(ReadingsName) || words.size() != int(labeldata::AlignmentScales.size()))
        return usageError(QStringLiteral("--readings takes the eight readings of the alignment sheet, in mm, "
                                         "separated by commas"));
    labeldata::AlignmentReadings readings{};
    for (size_t i = 0; i < readings.size(); ++i)
        readings[i] = number(words[qsizetype(i)]).value_or(std::nan(""));

    const QString in = args.positional()[0], out = args.positional()[1];
    Tdatatree set;
    const std::optional<size_t> index = oneStyle(args, in, set);
    if (!index)
        return Failure;
    Tlabelpar& style = set.LabelList[*index];
    const labeldata::AlignedStyle r = labeldata::alignedStyle(style, readings);
    if (!r.ok()) {
        printErr(quoted(in) + " " + styleLabel(*index, style) + ": " + problemText(r, words) + "; nothing written");
        return Problems;
    }
    static const char* const edges[] = {"left", "top", "right", "bottom"};
    for (size_t e = 0; e < r.skewed.size(); ++e)
        if (r.skewed[e])
            printErr(std::string("warning: the two readings of the ") + edges[e]
                     + " edge differ by more than 0.5 mm; the sheet went through the printer at an angle, "
                       "so print it again (their mean is used)");
    const Tlabelpar before = style;
    style = r.style;
    set.FileName = out;
    try {
        set.Save();
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    for (const labeldata::StyleField& f : labeldata::StyleFields) {
        if (!f.isLength() || MmToMil(f.value(before)) == MmToMil(f.value(r.style)))
            continue;
        std::string name(f.key);
        std::replace(name.begin(), name.end(), '_', ' ');
        std::printf("%s: %s → %s mm\n", name.c_str(), millimetres(f.value(before)).c_str(),
                    millimetres(f.value(r.style)).c_str());
    }
    return std::fflush(stdout) == 0 ? Ok : Failure;
}
