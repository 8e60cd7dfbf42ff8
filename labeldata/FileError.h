#pragma once

#include <stdexcept>
#include <string>

class QString;

namespace labeldata {

// A template file could not be read or written; what() names the file and the reason, in Japanese.
class FileError : public std::runtime_error {
public:
    FileError(const char* action, const QString& fileName, const QString& reason);

    // UTF-8, for callers that word the message themselves.
    const std::string& fileName() const { return fileName_; }
    const std::string& reason() const { return reason_; }

private:
    std::string fileName_;
    std::string reason_;
};

} // namespace labeldata
