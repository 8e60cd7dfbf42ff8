#include "products/ExportNames.h"

#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "products/XmlText.h"

namespace products {

ExportNames exportNames(const QString& brand, const std::vector<const Tlabelpar*>& styles)
{
    ExportNames result;
    for (size_t i = 0; i < styles.size(); ++i) {
        const Tlabelpar& s = *styles[i];
        if (!(s.SheetWidth > 0 && s.SheetHeight > 0))
            result.refused.push_back({i, ExportRefusal::NoSheet});
        else if (!(s.LabelWidth > 0 && s.LabelHeight > 0 && s.Rows >= 1 && s.Columns >= 1))
            result.refused.push_back({i, ExportRefusal::NoLabels});
    }
    if (!result.refused.empty())
        return result;

    result.brand = brand;
    result.brandReplaced = replaceXmlControls(result.brand);
    labeldata::TakenNames taken;
    taken.names.reserve(qsizetype(styles.size()));
    result.names.reserve(styles.size());
    for (size_t i = 0; i < styles.size(); ++i) {
        QString name = cp932::visibleText(styles[i]->Name).trimmed();
        if (replaceXmlControls(name))
            result.namesReplaced.push_back(i);
        if (name.isEmpty())
            name = QString::number(i + 1);
        result.names.push_back(labeldata::uniqueName(name, taken));
    }
    return result;
}

} // namespace products
