#pragma once

#include <QString>

#include <string>

namespace labeldata {
class FileError;
}

// What every tpltool command prints and returns.
enum Status { Ok = 0, Problems = 1, Failure = 2 };

// "tpltool: text" on standard error.
void printErr(const std::string& text);
// A path in single quotes.
std::string quoted(const QString& path);
// "cannot write 'path': reason" for a file that could not be written; returns Failure.
int reportWriteFailure(const QString& path, const labeldata::FileError& error);
