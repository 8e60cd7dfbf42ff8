#pragma once

#include "labeldata/Tlabelpar.h"
#include "products/ExportNames.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace products {

// One of gLabels' named paper sizes, in millimetres.
struct GlabelsPaper {
    const char* id;
    double width;
    double height;
};

// The named size gLabels knows the sheet by (portrait, within 0.01 mm); nullptr for any other.
const GlabelsPaper* glabelsPaperFor(double width, double height);

struct GlabelsTemplates : ExportNames {
    QByteArray xml; // empty when a style was refused
};

// A gLabels template file (root Glabels-templates): one rectangle template per style, brand the
// group name, part the style's name as exportNames gives it ("BRAND PART" is how gLabels lists
// each). Lengths are millimetres written with every digit a double needs, so reading them back
// loses nothing.
GlabelsTemplates glabelsTemplates(const QString& brand, const std::vector<const Tlabelpar*>& styles);

} // namespace products
