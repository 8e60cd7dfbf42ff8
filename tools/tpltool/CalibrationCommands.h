#pragma once

#include <QStringList>

// tpltool calibration-sheet, calibrate and correct: a printer's calibration page, the correction
// from the distances measured on it, and styles corrected for programs that print uncorrected.
// Each takes the words after its name and returns the tool's exit status.
int calibrationSheetCommand(const QStringList& arguments);
int calibrateCommand(const QStringList& arguments);
int correctCommand(const QStringList& arguments);
