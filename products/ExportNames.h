#pragma once

#include "labeldata/Tlabelpar.h"

#include <QString>

#include <vector>

namespace products {

// Why a style cannot leave for another label program.
enum class ExportRefusal { NoSheet, NoLabels };

// The brand and the names a set's styles are exported under: what every writer for another
// program checks and names alike.
struct ExportNames {
    struct Refused {
        size_t index;
        ExportRefusal reason;
    };
    // Every style that cannot be exported; when any is, nothing else is filled in.
    std::vector<Refused> refused;
    // Names that held characters XML cannot carry; each such character became U+FFFD.
    bool brandReplaced = false;
    std::vector<size_t> namesReplaced;
    // As written, for messages: the brand, and each style's name, its number when it has none,
    // made unique with " (2)", " (3)"...
    QString brand;
    std::vector<QString> names;
};

ExportNames exportNames(const QString& brand, const std::vector<const Tlabelpar*>& styles);

} // namespace products
