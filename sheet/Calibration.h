#pragma once

#include "sheet/TestSheet.h"

#include <QString>
#include <QStringList>

namespace sheet {

// A printer's calibration as last saved for its name; none (0 mm, 100 %) for a printer never
// calibrated. Values outside the limits are brought inside them.
Calibration loadCalibration(const QString& printerName);
// Written as labeldata::writeFileDurably writes; throws labeldata::FileError.
void saveCalibration(const QString& printerName, const Calibration& calibration);
// The printers that have a saved calibration, in the settings' order.
QStringList calibratedPrinters();

// The values within the limits the print dialog allows.
Calibration clamped(const Calibration& calibration);

} // namespace sheet
