#include "toolkit/Conversions.h"

#include "toolkit/Errors.h"
#include "toolkit/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <locale.h>

namespace {

[[noreturn]] void notAFloat(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' は浮動小数点数ではありません").arg(text));
}

[[noreturn]] void notAnInteger(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' は整数ではありません").arg(text));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigit(QChar c)
{
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// Reads an integer of the given width; a hexadecimal text may fill all bits (two's complement).
int64_t parseInteger(const QString& text, int bits)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const bool hex = i < text.size() && text[i] == u'$';
    if (hex)
        ++i;
    if (i >= text.size())
        notAnInteger(text);

    const uint64_t widthMask = bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    const uint64_t signedMax = widthMask >> 1;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? hexDigit(text[i]) : (isDigit(text[i]) ? text[i].unicode() - u'0' : -1);
        if (digit < 0)
            notAnInteger(text);
        const uint64_t base = hex ? 16 : 10;
        const uint64_t limit = hex ? widthMask : signedMax + (negative ? 1 : 0);
        if (magnitude > (limit - uint64_t(digit)) / base)
            notAnInteger(text);
        magnitude = magnitude * base + uint64_t(digit);
    }

    int64_t value;
    if (hex && magnitude > signedMax) // two's complement of the full width
        value = int64_t(magnitude | ~widthMask);
    else if (negative && magnitude == signedMax + 1)
        return bits == 64 ? std::numeric_limits<int64_t>::min() : int64_t(std::numeric_limits<int32_t>::min());
    else
        value = int64_t(magnitude);
    if (negative)
        value = int64_t(0 - uint64_t(value));
    if (bits == 32 && (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()))
        notAnInteger(text);
    return value;
}

} // namespace

QString FloatToStr(Extended value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // "%.14Le" rounds correctly to 15 significant digits and tells the decimal exponent.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value);
    const std::string text(buffer);
    const size_t e = text.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            digits += text[i];
    const int exponent = std::atoi(text.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    const QChar separator = DecimalSeparator();
    QString result = value < 0 ? QStringLiteral("-") : QString();
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            result += u'0';
            result += separator;
            result += QString(-exponent - 1, u'0');
            result += QString::fromLatin1(digits);
        } else if (int(digits.size()) <= exponent + 1) {
            result += QString::fromLatin1(digits);
            result += QString(exponent + 1 - int(digits.size()), u'0');
        } else {
            result += QString::fromLatin1(digits.substr(0, exponent + 1));
            result += separator;
            result += QString::fromLatin1(digits.substr(exponent + 1));
        }
        return result;
    }
    result += QChar(digits[0]);
    if (digits.size() > 1) {
        result += separator;
        result += QString::fromLatin1(digits.substr(1));
    }
    result += u'E';
    result += QString::number(exponent);
    return result;
}

Extended StrToFloat(const QString& text)
{
    const QChar separator = DecimalSeparator();
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text[i] == u' ')
        ++i;
    while (end > i && text[end - 1] == u' ')
        --end;

    std::string plain; // C-locale form for strtold
    if (i < end && (text[i] == u'-' || text[i] == u'+'))
        plain += char(text[i++].unicode());
    bool anyDigit = false;
    bool anySeparator = false;
    while (i < end && isDigit(text[i])) {
        plain += char(text[i++].unicode());
        anyDigit = true;
    }
    if (i < end && text[i] == separator) {
        anySeparator = true;
        ++i;
        plain += '.';
        while (i < end && isDigit(text[i])) {
            plain += char(text[i++].unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit && !anySeparator)
        notAFloat(text);
    if (i < end && (text[i] == u'E' || text[i] == u'e')) {
        if (!anyDigit)
            notAFloat(text);
        ++i;
        plain += 'e';
        if (i < end && (text[i] == u'-' || text[i] == u'+'))
            plain += char(text[i++].unicode());
        bool exponentDigit = false;
        while (i < end && isDigit(text[i])) {
            plain += char(text[i++].unicode());
            exponentDigit = true;
        }
        if (!exponentDigit)
            notAFloat(text);
    }
    if (i != end)
        notAFloat(text);
    if (!anyDigit) // "." and "-." read as zero
        return 0;

    // The application adopts the user's C locale, whose decimal point may not be the '.' of plain.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const Extended value = strtold_l(plain.c_str(), nullptr, cLocale);
    if (std::isinf(value) || std::isnan(value))
        notAFloat(text);
    return value;
}

int32_t StrToInt(const QString& text)
{
    return int32_t(parseInteger(text, 32));
}

int64_t StrToInt64(const QString& text)
{
    return parseInteger(text, 64);
}

bool IsDecimalInteger(const QString& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    if (i >= text.size())
        return false;
    for (; i < text.size(); ++i)
        if (!isDigit(text[i]))
            return false;
    return true;
}

int64_t StrToInt64Saturated(const QString& text)
{
    try {
        return StrToInt64(text);
    } catch (const EConvertError&) {
        if (!IsDecimalInteger(text))
            throw;
        return text.startsWith(u'-') ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
}

QString FormatThousands(int64_t value)
{
    return GroupThousands(QString::number(value));
}

QString GroupThousands(const QString& integerText)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < integerText.size() && (integerText[i] == u'-' || integerText[i] == u'+')) {
        negative = integerText[i] == u'-';
        ++i;
    }
    while (i + 1 < integerText.size() && integerText[i] == u'0')
        ++i;
    const QString digits = integerText.mid(i);
    if (digits.isEmpty() || digits == u"0")
        return QStringLiteral("0");

    const QChar separator = ThousandSeparator();
    QString result;
    result.reserve(digits.size() + digits.size() / 3 + 1);
    if (negative)
        result += u'-';
    for (qsizetype k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            result += separator;
        result += digits[k];
    }
    return result;
}
