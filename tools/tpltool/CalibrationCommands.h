#pragma once

#include "labeldata/Calibration.h"

#include <QCommandLineOption>
#include <QList>
#include <QStringList>

#include <optional>

class CommandWords;

// tpltool calibration-sheet, calibrate and correct: a printer's calibration page, the correction
// from the distances measured on it, and styles corrected for programs that print uncorrected.
// Each takes the words after its name and returns the tool's exit status.
int calibrationSheetCommand(const QStringList& arguments);
int calibrateCommand(const QStringList& arguments);
int correctCommand(const QStringList& arguments);

// --offset DX,DY and --scale SX,SY: a printer's correction in millimetres and percent.
QList<QCommandLineOption> correctionOptions();
// Their values, none (0 mm, 100 %) for one not given; nullopt after saying what is wrong.
std::optional<labeldata::Calibration> correctionFrom(const CommandWords& args);
