#include "TemplateInput.h"

#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/TemplateFormat.h"
#include "labeldata/Tlabelpar.h"
#include "ToolOutput.h"

// Only a regular file: a FIFO or a device is refused at once instead of waited on.
bool readWhole(const QString& path, QByteArray& bytes)
{
    try {
        bytes = labeldata::readRegularFile(path);
    } catch (const labeldata::FileError& e) {
        const char* verb = e.operation() == labeldata::FileError::Operation::Read ? "cannot read " : "cannot open ";
        printErr(verb + quoted(path) + ": " + e.reason().toStdString());
        return false;
    }
    return true;
}

std::string refusal(LoadResult result)
{
    return result == LoadResult::NotTemplate
        ? "not a template file (the magic \"" + std::string(labeldata::tpl::Magic) + "\" is missing)"
        : "damaged: its directory or a record lies beyond the end of the file";
}

std::optional<LoadResult> loadTemplate(const QString& path, Tdatatree& set)
{
    QByteArray image;
    if (!readWhole(path, image))
        return std::nullopt;
    return set.LoadImage(std::string_view(image.constData(), size_t(image.size())));
}

bool loadWhole(const QString& path, Tdatatree& set)
{
    const std::optional<LoadResult> loaded = loadTemplate(path, set);
    if (loaded && *loaded != LoadResult::Loaded)
        printErr(quoted(path) + " is " + refusal(*loaded));
    return loaded == LoadResult::Loaded;
}

std::string styleLabel(size_t index, const Tlabelpar& style)
{
    return "style " + std::to_string(index + 1) + " \"" + cp932::visibleText(style.Name).toStdString() + "\"";
}

std::optional<size_t> findStyle(const Tdatatree& set, const QString& which)
{
    bool isNumber = false;
    const qulonglong n = which.toULongLong(&isNumber);
    if (isNumber && n >= 1 && n <= set.LabelList.size())
        return size_t(n - 1);
    for (size_t i = 0; i < set.LabelList.size(); ++i)
        if (cp932::visibleText(set.LabelList[i].Name) == which)
            return i;
    return std::nullopt;
}

std::optional<std::vector<size_t>> chosenStyles(const Tdatatree& set, const QString& path, const QStringList& wanted)
{
    std::vector<size_t> chosen;
    for (const QString& which : wanted) {
        const std::optional<size_t> index = findStyle(set, which);
        if (!index) {
            printErr(quoted(path) + " has no style " + quoted(which) + "; nothing written");
            return std::nullopt;
        }
        chosen.push_back(*index);
    }
    if (wanted.isEmpty())
        for (size_t i = 0; i < set.LabelList.size(); ++i)
            chosen.push_back(i);
    return chosen;
}

std::string sheetProblemText(sheet::SheetProblem problem)
{
    switch (problem) {
    case sheet::SheetProblem::NoSheet:
        return "the sheet's width and height must both be above 0";
    case sheet::SheetProblem::NoLabels:
        return "rows and columns must both be at least 1";
    case sheet::SheetProblem::TooManyLabels:
        return "more than " + std::to_string(sheet::MaxLabels) + " labels";
    case sheet::SheetProblem::None:
        break;
    }
    return {};
}

std::string leavesSheetText(const labeldata::SheetFit& fit)
{
    return "warning: labels leave the sheet by " + QString::number(fit.overflowAcross, 'f', 2).toStdString()
        + " mm across and " + QString::number(fit.overflowDown, 'f', 2).toStdString() + " mm down";
}
