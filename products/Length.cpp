#include "products/Length.h"

#include <cmath>

namespace products {

std::optional<double> parseLength(QStringView text)
{
    text = text.trimmed();
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isLetter())
        --end;
    const QStringView unit = text.mid(end);
    bool ok = false;
    const double number = text.left(end).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    // Millimetres per unit; the inch ones in one product so 1/72 inch carries a single rounding.
    double perUnit;
    if (unit.isEmpty() || unit == u"pt")
        perUnit = 25.4 / 72;
    else if (unit == u"in")
        perUnit = 25.4;
    else if (unit == u"mm")
        perUnit = 1;
    else if (unit == u"cm")
        perUnit = 10;
    else if (unit == u"pc")
        perUnit = 25.4 / 6;
    else
        return std::nullopt;
    // 1e308in is a number, but no length.
    const double mm = number * perUnit;
    if (!std::isfinite(mm))
        return std::nullopt;
    return mm;
}

} // namespace products
