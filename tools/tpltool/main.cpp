// tpltool: inspect, check and create label template files from scripts.
#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "labeldata/TemplateFormat.h"
#include "sheet/PdfExport.h"
#include "ProductCommands.h"
#include "TemplateCheck.h"
#include "TemplateJson.h"
#include "ToolOutput.h"

#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {


const char Usage[] =
    "usage: tpltool dump FILE.tpl              print the template set as JSON\n"
    "       tpltool create FILE.json OUT.tpl   make a template file from JSON\n"
    "       tpltool check FILE.tpl...          report problems a user must know about\n"
    "       tpltool sheet FILE.tpl OUT.pdf [--style N|NAME]...\n"
    "                                          test sheets of the named styles (all when none\n"
    "                                          is named) as a PDF, one page each\n"
    "       tpltool products [--json] [SOURCE...]\n"
    "                                          list the label sheets of gLabels and LibreOffice\n"
    "                                          databases (a file or folder; none: the installed ones)\n"
    "       tpltool import [--match TEXT]... [--group NAME] [SOURCE...] OUT.tpl\n"
    "                                          make a template file of the matching products\n";

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

// Reads a template file whole into set; nullopt (and a message) when it cannot be read.
std::optional<LoadResult> loadTemplate(const QString& path, Tdatatree& set)
{
    QByteArray image;
    if (!readWhole(path, image))
        return std::nullopt;
    return set.LoadImage(std::string_view(image.constData(), size_t(image.size())));
}

// For the commands that need the whole set: false, and a message, unless it loaded.
bool loadWhole(const QString& path, Tdatatree& set)
{
    const std::optional<LoadResult> loaded = loadTemplate(path, set);
    if (loaded && *loaded != LoadResult::Loaded)
        printErr(quoted(path) + " is " + refusal(*loaded));
    return loaded == LoadResult::Loaded;
}

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

std::string styleLabel(size_t index, const Tlabelpar& s)
{
    return "style " + std::to_string(index + 1) + " \"" + cp932::visibleText(s.Name).toStdString() + "\"";
}

// A style by its number (from 1) or, failing that, by its visible name; the first of that name.
std::optional<size_t> findStyle(const Tdatatree& set, const QString& which)
{
    bool isNumber = false;
    const qulonglong n = which.toULongLong(&isNumber);
    if (isNumber && n >= 1 && n <= set.LabelList.size())
        return size_t(n - 1);
    for (size_t i = 0; i < set.LabelList.size(); ++i)
        if (cp932::visibleText(set.LabelList[i]->Name) == which)
            return i;
    return std::nullopt;
}

int makeSheet(const QString& path, const QString& outPath, const QStringList& wanted)
{
    Tdatatree set;
    if (!loadWhole(path, set))
        return Failure;
    std::vector<size_t> chosen;
    for (const QString& which : wanted) {
        const std::optional<size_t> index = findStyle(set, which);
        if (!index) {
            printErr(quoted(path) + " has no style " + quoted(which) + "; nothing written");
            return Failure;
        }
        chosen.push_back(*index);
    }
    if (wanted.isEmpty())
        for (size_t i = 0; i < set.LabelList.size(); ++i)
            chosen.push_back(i);
    if (chosen.empty()) {
        printErr(quoted(path) + " holds no styles; nothing written");
        return Problems;
    }

    bool refused = false;
    std::vector<sheet::SheetPage> pages;
    pages.reserve(chosen.size());
    const QString group = cp932::visibleText(set.GroupName);
    for (size_t i : chosen) {
        const Tlabelpar& style = *set.LabelList[i];
        const std::string label = quoted(path) + " " + styleLabel(i, style);
        switch (sheet::problemOf(style)) {
        case sheet::SheetProblem::NoSheet:
            printErr(label + ": the sheet's width and height must both be above 0");
            refused = true;
            continue;
        case sheet::SheetProblem::NoLabels:
            printErr(label + ": rows and columns must both be at least 1");
            refused = true;
            continue;
        case sheet::SheetProblem::TooManyLabels:
            printErr(label + ": more than " + std::to_string(sheet::MaxLabels) + " labels");
            refused = true;
            continue;
        case sheet::SheetProblem::None:
            break;
        }
        const labeldata::SheetFit fit = labeldata::sheetFit(style);
        if (!fit.fits())
            printErr(label + ": warning: labels leave the sheet by " + QString::number(fit.overflowAcross, 'f', 2).toStdString()
                     + " mm across and " + QString::number(fit.overflowDown, 'f', 2).toStdString()
                     + " mm down; they are drawn cut at the page edge");
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

int usage()
{
    std::fputs(Usage, stderr);
    return Failure;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    auto arg = [&](int i) { return QString::fromLocal8Bit(argv[i]); };
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(Usage, stdout);
        return Ok;
    }
    if (command == "dump" && argc == 3)
        return dump(arg(2));
    if (command == "create" && argc == 4)
        return create(arg(2), arg(3));
    if (command == "check" && argc >= 3) {
        int status = Ok;
        for (int i = 2; i < argc; ++i)
            status = std::max(status, check(arg(i)));
        return status;
    }
    if (command == "sheet" && argc >= 4) {
        QStringList wanted;
        for (int i = 4; i < argc; ++i) {
            if (std::string(argv[i]) != "--style" || i + 1 >= argc)
                return usage();
            wanted << arg(++i);
        }
        // Text needs the font database of a GUI application; no window is ever shown.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // The tool words its own failures; Qt's notes about the session are not the user's business.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                printErr(text.toStdString());
        });
        QGuiApplication app(argc, argv);
        return makeSheet(arg(2), arg(3), wanted);
    }
    if (command == "products") {
        bool json = false;
        QStringList sources;
        for (int i = 2; i < argc; ++i) {
            if (std::string(argv[i]) == "--json")
                json = true;
            else
                sources << arg(i);
        }
        return listProducts(sources, json);
    }
    if (command == "import") {
        QStringList matches;
        QStringList rest;
        std::optional<QString> group;
        for (int i = 2; i < argc; ++i) {
            const std::string a = argv[i];
            if ((a == "--match" || a == "--group") && i + 1 >= argc)
                return usage();
            if (a == "--match")
                matches << arg(++i);
            else if (a == "--group")
                group = arg(++i);
            else
                rest << arg(i);
        }
        if (rest.isEmpty())
            return usage();
        const QString out = rest.takeLast();
        return importProducts(rest, matches, group ? &*group : nullptr, out);
    }
    return usage();
}
