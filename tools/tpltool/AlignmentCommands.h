#pragma once

#include <QStringList>

// tpltool alignment-sheet and align: the sheet printed on the real labels to see where their cut
// lines fall, and the style moved onto them from the eight readings of its scales. Each takes the
// words after its name and returns the tool's exit status.
int alignmentSheetCommand(const QStringList& arguments);
int alignCommand(const QStringList& arguments);
