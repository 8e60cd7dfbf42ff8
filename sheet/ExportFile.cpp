#include "sheet/ExportFile.h"

#include "labeldata/FileError.h"

#include <QSaveFile>

namespace sheet {

void writeExportFile(const QString& path, const QByteArray& bytes)
{
    using labeldata::FileError;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(FileError::Operation::Create, path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileError(FileError::Operation::Write, path, file.errorString());
}

} // namespace sheet
