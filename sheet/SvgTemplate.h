#pragma once

#include "labeldata/Tlabelpar.h"

#include <QByteArray>
#include <QString>

namespace sheet {

// A blank template of the sheet for drawing programs: an SVG the sheet's exact size (width and
// height in mm, one user unit a millimetre), each label's outline a rectangle in a locked
// Inkscape layer "ラベル", the margins as guides. Nothing else: no rulers, numbers, scripts or
// references outside the file. The style must have no problem (problemOf).
QByteArray blankSvgTemplate(const Tlabelpar& style, const QString& title);

} // namespace sheet
