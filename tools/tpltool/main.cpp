// tpltool: inspect, check and create label template files from scripts.
#include "TemplateCheck.h"
#include "TemplateJson.h"

#include "labeldata/FileError.h"
#include "labeldata/TemplateFormat.h"
#include "labeldata/Tdatatree.h"

#include <QFile>
#include <QString>

#include <cstdio>
#include <string>

namespace {

enum Status { Ok = 0, Problems = 1, Failure = 2 };

const char Usage[] =
    "usage: tpltool dump FILE.tpl              print the template set as JSON\n"
    "       tpltool create FILE.json OUT.tpl   make a template file from JSON\n"
    "       tpltool check FILE.tpl...          report problems a user must know about\n";

void printErr(const std::string& text)
{
    std::fputs(("tpltool: " + text + "\n").c_str(), stderr);
}

std::string quoted(const QString& path)
{
    // Appended rather than "'" + path: GCC 12 warns falsely about that form in Release builds.
    std::string text = "'";
    text += path.toStdString();
    text += '\'';
    return text;
}

bool readWhole(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr("cannot open " + quoted(path) + ": " + file.errorString().toStdString());
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printErr("cannot read " + quoted(path) + ": " + file.errorString().toStdString());
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

int dump(const QString& path)
{
    QByteArray image;
    if (!readWhole(path, image))
        return Failure;
    Tdatatree set;
    const LoadResult result = set.LoadImage(std::string_view(image.constData(), size_t(image.size())));
    if (result != LoadResult::Loaded) {
        printErr(quoted(path) + " is " + refusal(result));
        return Failure;
    }
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
        printErr("cannot write " + quoted(outPath) + ": " + e.reason().toStdString());
        return Failure;
    }
    return Ok;
}

int check(const QString& path)
{
    QByteArray image;
    if (!readWhole(path, image))
        return Failure;
    Tdatatree set;
    const LoadResult result = set.LoadImage(std::string_view(image.constData(), size_t(image.size())));
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
    return usage();
}
