#pragma once

#include "labeldata/Tdatatree.h"
#include "sheet/TestSheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class Tlabelpar;

namespace labeldata {
struct SheetFit;
}

// How the commands read their input files; each says what went wrong on standard error.

// A whole file; false after a message.
bool readWhole(const QString& path, QByteArray& bytes);
// Why a file that was read is no template set.
std::string refusal(LoadResult result);
// A template file read into set; nullopt (and a message) when it cannot be read.
std::optional<LoadResult> loadTemplate(const QString& path, Tdatatree& set);
// For the commands that need the whole set: false, and a message, unless it loaded.
bool loadWhole(const QString& path, Tdatatree& set);

// "style N "NAME"", for messages about one style of a file.
std::string styleLabel(size_t index, const Tlabelpar& style);
// A style by its number (from 1) or, failing that, by its visible name; the first of that name.
std::optional<size_t> findStyle(const Tdatatree& set, const QString& which);
// The styles that --style options name, every style when none does; nullopt after saying which
// one path has not.
std::optional<std::vector<size_t>> chosenStyles(const Tdatatree& set, const QString& path, const QStringList& wanted);

// Why a style cannot be drawn as a sheet, as "the sheet's width and height must both be above 0";
// empty for SheetProblem::None.
std::string sheetProblemText(sheet::SheetProblem problem);
// "warning: labels leave the sheet by A mm across and D mm down".
std::string leavesSheetText(const labeldata::SheetFit& fit);
