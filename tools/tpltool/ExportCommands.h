#pragma once

#include <QStringList>

#include <vector>

class Tdatatree;

// tpltool glabels, libreoffice and svg: styles written for other programs. Each takes the words
// after its name and returns the tool's exit status.
int glabelsCommand(const QStringList& arguments);
int libreofficeCommand(const QStringList& arguments);
int svgCommand(const QStringList& arguments);

// Reads a whole template file and picks styles by number (from 1) or name, all when none is
// named; false, after saying why, when the file cannot be read or a style is not in it.
bool loadChosenStyles(const QString& path, const QStringList& wanted, Tdatatree& set, std::vector<size_t>& chosen);
