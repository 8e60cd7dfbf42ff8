#pragma once

#include "labeldata/Calibration.h"
#include "labeldata/FileError.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace settings {

// The program's only settings file: tessel/vellumo.ini in the user's configuration folder
// (XDG_CONFIG_HOME, else ~/.config).
QString settingsPath();

// A printer's correction as last stored for its name; none (0 mm, 100 %, 0°) for a printer never
// calibrated. Values outside the limits are brought inside them.
labeldata::Calibration loadCalibration(const QString& printerName);
// Keeps the rest of the file; a damaged file is replaced by one holding only this correction.
// Written through labeldata::writeFileDurably; throws labeldata::FileError.
void saveCalibration(const QString& printerName, const labeldata::Calibration& calibration);
// The printers that have a stored correction, in the file's order.
QStringList calibratedPrinters();

// A settings file that could not be read, or whose text is no settings. It reads as empty and
// stays as it is until a correction is stored.
struct SettingsDamage {
    QString path;
    int line = 0;                              // the first line that is no setting; 0 when unreadable
    std::optional<labeldata::FileError> error; // why it could not be read
};
// The damage the reads found, handed out once: later reads of the same damage report nothing
// until a correction is stored.
std::optional<SettingsDamage> takeDamage();

} // namespace settings
