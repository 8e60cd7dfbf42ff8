#include "labeldata/FileError.h"

namespace labeldata {

namespace {

std::string describe(FileError::Operation operation, const QString& fileName, const QString& reason)
{
    const char* verb = operation == FileError::Operation::Open   ? "cannot open"
                       : operation == FileError::Operation::Read ? "cannot read"
                       : operation == FileError::Operation::Create ? "cannot create"
                                                                   : "cannot write";
    return (QStringLiteral("%1 '%2': %3").arg(QLatin1String(verb), fileName, reason)).toStdString();
}

} // namespace

FileError::FileError(Operation operation, const QString& fileName, const QString& reason)
    : std::runtime_error(describe(operation, fileName, reason))
    , FOperation(operation)
    , FFileName(fileName)
    , FReason(reason)
{
}

FileError FileError::tooManyStyles(const QString& fileName, size_t count, size_t max)
{
    FileError error(Operation::Write, fileName,
                    QStringLiteral("%1 label styles; one file holds at most %2").arg(count).arg(max));
    error.FReason.clear();
    error.FStyleCount = count;
    error.FMaxStyles = max;
    return error;
}

FileError FileError::notRegularFile(const QString& fileName, FileKind kind)
{
    FileError error(Operation::Open, fileName,
                    QStringLiteral("it is %1, not a regular file").arg(QLatin1String(fileKindText(kind))));
    error.FNotRegular = kind;
    return error;
}

const char* fileKindText(FileKind kind)
{
    switch (kind) {
    case FileKind::Missing:
        return "missing";
    case FileKind::Regular:
        return "a regular file";
    case FileKind::Folder:
        return "a folder";
    case FileKind::Fifo:
        return "a FIFO (named pipe)";
    case FileKind::Socket:
        return "a socket";
    case FileKind::CharacterDevice:
        return "a character device";
    case FileKind::BlockDevice:
        return "a block device";
    case FileKind::LinkLoop:
        return "a loop of symbolic links";
    case FileKind::Other:
        break;
    }
    return "a special file";
}

} // namespace labeldata
