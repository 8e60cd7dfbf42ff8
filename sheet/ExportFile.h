#pragma once

#include <QByteArray>
#include <QString>

namespace sheet {

// Writes a whole exported file through a temporary beside it and a rename, so a failed write
// leaves no half file and an existing file as it was. Throws labeldata::FileError.
void writeExportFile(const QString& path, const QByteArray& bytes);

} // namespace sheet
