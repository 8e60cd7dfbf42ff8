#include "toolkit/NumberFormat.h"

#include <QLocale>

namespace {

struct Separators
{
    QChar decimal;
    QChar thousand;
};

QChar single(const QString& symbol, QChar fallback)
{
    return symbol.size() == 1 ? symbol[0] : fallback;
}

Separators& separators()
{
    static Separators value = [] {
        const QLocale locale = QLocale::system();
        return Separators{single(locale.decimalPoint(), u'.'), single(locale.groupSeparator(), u',')};
    }();
    return value;
}

} // namespace

QChar DecimalSeparator()
{
    return separators().decimal;
}

QChar ThousandSeparator()
{
    return separators().thousand;
}

void SetDecimalSeparator(QChar value)
{
    separators().decimal = value;
}

void SetThousandSeparator(QChar value)
{
    separators().thousand = value;
}
