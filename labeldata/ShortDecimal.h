#pragma once

#include <QString>

namespace labeldata {

// v rounded to at most decimals places, without trailing zeros or point: "12.5", "210".
inline QString shortDecimal(double v, int decimals)
{
    QString text = QString::number(v, 'f', decimals);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace labeldata
