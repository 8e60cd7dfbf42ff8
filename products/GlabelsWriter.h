#pragma once

#include "labeldata/Tlabelpar.h"

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

// Why a style cannot become a gLabels template.
enum class GlabelsRefusal { NoSheet, NoLabels };

struct GlabelsTemplates {
    QByteArray xml; // empty when a style was refused
    struct Refused {
        size_t index;
        GlabelsRefusal reason;
    };
    std::vector<Refused> refused;
    // Names that held characters XML cannot carry; each such character became U+FFFD.
    bool brandReplaced = false;
    std::vector<size_t> namesReplaced;
    // Parts as written, for messages: "BRAND PART" is how gLabels lists each.
    QString brand;
    std::vector<QString> parts;
};

// A gLabels template file (root Glabels-templates): one rectangle template per style, brand the
// group name, part the style's name (made unique with " (2)", " (3)"...). Lengths are
// millimetres written with every digit a double needs, so reading them back loses nothing.
GlabelsTemplates glabelsTemplates(const QString& brand, const std::vector<const Tlabelpar*>& styles);

} // namespace products
