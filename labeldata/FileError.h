#pragma once

#include <stdexcept>
#include <string>

class QString;

namespace labeldata {

// A template file could not be read or written; what() names the file and the reason, in Japanese.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& message) : std::runtime_error(message) {}
    FileError(const char* action, const QString& fileName, const QString& reason);
};

} // namespace labeldata
