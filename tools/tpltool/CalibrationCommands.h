#pragma once

#include <QStringList>

#include <string_view>

// tpltool calibration-sheet, calibrate and correct: a printer's calibration page, the correction
// from the distances measured on it, and styles corrected for programs that print uncorrected.
// Each takes the words after its name and returns the tool's exit status.
int calibrationSheetCommand(const QStringList& arguments);
int calibrateCommand(const QStringList& arguments);
int correctCommand(const QStringList& arguments);

// The command of that name, or null when it is none of these.
using CalibrationCommand = int (*)(const QStringList& arguments);
CalibrationCommand calibrationCommand(std::string_view name);
// The words of the command line after the command's name.
QStringList wordsAfterCommand(int argc, char** argv);
