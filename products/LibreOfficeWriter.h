#pragma once

#include "labeldata/Tlabelpar.h"
#include "products/ExportNames.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace products {

struct LibreOfficeExtension : ExportNames {
    QByteArray oxt; // empty when a style was refused
    QString identifier;
    // Writer's label dialog reads a manufacturer's name as a configuration path, where "/", "["
    // and "]" cut it; each became its full-width form ("／", "［", "］").
    bool brandPathReplaced = false;
};

// The extension's identifier: one per brand, so adding a newer export of a brand replaces the
// older one instead of listing both.
QString libreOfficeExtensionId(const QString& brand);

// A LibreOffice extension (.oxt) adding the styles to Writer's labels (File > New > Labels):
// manufacturer the brand, one label per style under its name as exportNames gives it, each
// length in hundredths of a millimetre as LibreOffice's own label list holds them.
LibreOfficeExtension libreOfficeExtension(const QString& brand, const std::vector<const Tlabelpar*>& styles);

} // namespace products
