#include "products/ExportNames.h"

#include "labeldata/Cp932.h"
#include "labeldata/Names.h"

namespace products {

namespace {

// XML 1.0 holds no control characters but tab, line feed and carriage return, and an attribute
// turns those into spaces; each becomes U+FFFD so the user sees where one was. True when any did.
bool replaceXmlControls(QString& text)
{
    bool replaced = false;
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF) {
            c = QChar(0xFFFD);
            replaced = true;
        }
    }
    return replaced;
}

} // namespace

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
