#pragma once

#include <QString>

#include <cstddef>
#include <stdexcept>

namespace labeldata {

// What a path names, its symbolic links followed.
enum class FileKind { Missing, Regular, Folder, Fifo, Socket, CharacterDevice, BlockDevice, LinkLoop, Other };
// "a folder", "a FIFO (named pipe)", ...: the kind as a plain English phrase.
const char* fileKindText(FileKind kind);

// A template file could not be read or written. It carries what was being done, the file and
// the system's reason; each program words the message for its own user. what() is a plain
// English line for logs.
class FileError : public std::runtime_error {
public:
    enum class Operation { Open, Read, Create, Write };

    FileError(Operation operation, const QString& fileName, const QString& reason);
    // Refused before anything was written: more styles than one file can hold.
    static FileError tooManyStyles(const QString& fileName, size_t count, size_t max);
    // Refused before it was opened: only regular files are read. reason() is English.
    static FileError notRegularFile(const QString& fileName, FileKind kind);

    Operation operation() const { return FOperation; }
    const QString& fileName() const { return FFileName; }
    const QString& reason() const { return FReason; } // empty for tooManyStyles
    size_t styleCount() const { return FStyleCount; } // 0 unless tooManyStyles
    size_t maxStyles() const { return FMaxStyles; }
    // Regular unless notRegularFile: what the file was instead.
    FileKind notRegular() const { return FNotRegular; }

private:
    Operation FOperation;
    QString FFileName;
    QString FReason;
    size_t FStyleCount = 0;
    size_t FMaxStyles = 0;
    FileKind FNotRegular = FileKind::Regular;
};

} // namespace labeldata
