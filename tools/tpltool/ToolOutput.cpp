#include "ToolOutput.h"

#include "labeldata/FileError.h"
#include "products/Catalogue.h"

#include <cstdio>

void printErr(const std::string& text)
{
    std::fputs(("tpltool: " + text + "\n").c_str(), stderr);
}

std::string quoted(const QString& path)
{
    // Appended rather than "'" + path: GCC 12 warns falsely about that form in Release builds.
    std::string text = "'";
    text += products::printable(path).toStdString();
    text += '\'';
    return text;
}

int reportWriteFailure(const QString& path, const labeldata::FileError& error)
{
    const std::string reason = error.styleCount()
        ? std::to_string(error.styleCount()) + " label styles; one file holds at most " + std::to_string(error.maxStyles())
        : error.reason().toStdString();
    printErr("cannot write " + quoted(path) + ": " + reason);
    return Failure;
}
