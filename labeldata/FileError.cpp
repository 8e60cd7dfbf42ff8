#include "labeldata/FileError.h"

#include <QString>

namespace labeldata {

FileError::FileError(const char* action, const QString& fileName, const QString& reason)
    : std::runtime_error(QStringLiteral("ファイル '%1' %2: %3")
                             .arg(fileName, QString::fromUtf8(action), reason)
                             .toStdString())
    , fileName_(fileName.toStdString())
    , reason_(reason.toStdString())
{
}

} // namespace labeldata
