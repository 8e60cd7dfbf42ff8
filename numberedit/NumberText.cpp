#include "numberedit/NumberText.h"

#include "toolkit/Conversions.h"
#include "toolkit/Errors.h"
#include "toolkit/NumberFormat.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Magnitude of an integer part plus one, without leading zeros; "-" is kept, "+" dropped.
QString incrementMagnitude(const QString& integerPart)
{
    const bool negative = integerPart.startsWith(u'-');
    QString digits;
    for (QChar c : integerPart)
        if (isDigit(c))
            digits += c;
    qsizetype k = digits.size() - 1;
    for (; k >= 0; --k) {
        if (digits[k] == u'9') {
            digits[k] = u'0';
        } else {
            digits[k] = QChar(digits[k].unicode() + 1);
            break;
        }
    }
    if (k < 0)
        digits.prepend(u'1');
    qsizetype zeros = 0;
    while (zeros + 1 < digits.size() && digits[zeros] == u'0')
        ++zeros;
    digits.remove(0, zeros);
    return negative ? QStringLiteral("-") + digits : digits;
}

// The value rounded to an integer by the mode, from its plain digits.
int64_t roundedInteger(Extended value, TRoundMode mode)
{
    QString text = TNumberText::RoundText(TNumberText::FloatToPlainText(value), 0, mode);
    const qsizetype p = text.indexOf(DecimalSeparator());
    if (p >= 0)
        text.truncate(p);
    return StrToInt64Saturated(text);
}

int32_t saturate32(int64_t n)
{
    if (n < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (n > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return int32_t(n);
}

} // namespace

QString TNumberText::FloatToPlainText(Extended value)
{
    const QString general = FloatToStr(value);
    const qsizetype e = general.indexOf(u'E');
    if (e < 0 || !std::isfinite(value))
        return general;

    const QString mantissa = general.left(e);
    const int exponent = general.mid(e + 1).toInt();
    const QChar separator = DecimalSeparator();
    QString digits;
    int fraction = 0;
    bool afterSeparator = false;
    for (QChar c : mantissa) {
        if (c == separator) {
            afterSeparator = true;
        } else if (isDigit(c)) {
            digits += c;
            if (afterSeparator)
                ++fraction;
        }
    }

    QString result;
    if (exponent < 0)
        result = QStringLiteral("0") + separator + QString(-exponent - 1, u'0') + digits;
    else
        result = digits + QString(std::max(0, exponent - fraction), u'0');
    return value < 0 ? QStringLiteral("-") + result : result;
}

QString TNumberText::RoundText(const QString& text, int digits, TRoundMode mode)
{
    const QChar thousand = ThousandSeparator();
    const QChar separator = DecimalSeparator();
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text)
        if (c != thousand && c.unicode() >= 32)
            clean += c;

    const qsizetype p = clean.indexOf(separator);
    if (p < 0 || p == clean.size() - 1 || digits < 0)
        return clean;
    std::vector<int> fraction;
    for (qsizetype k = p + 1; k < clean.size(); ++k)
        fraction.push_back(int(clean[k].unicode()) - int(u'0'));
    if (fraction.size() <= size_t(digits))
        return clean;

    bool carry = false;
    switch (mode) {
    case rmDown:
        break;
    case rmRound:
        carry = fraction[size_t(digits)] >= 5;
        break;
    case rmUp:
        for (size_t k = size_t(digits); k < fraction.size(); ++k)
            carry = carry || fraction[k] != 0;
        break;
    }
    for (int k = digits - 1; carry && k >= 0; --k) {
        if (++fraction[size_t(k)] == 10)
            fraction[size_t(k)] = 0;
        else
            carry = false;
    }

    QString result = clean.left(p);
    if (carry)
        result = incrementMagnitude(result);
    result += separator;
    for (int k = 0; k < digits; ++k)
        result += QChar(char16_t(fraction[size_t(k)] + int(u'0')));
    return result;
}

Extended TNumberText::ParseText(QString& text, TNumberType type, bool validMinus)
{
    if (text.isEmpty() || text == u"-" || text == u"+")
        return 0;
    if (type == ntHex) {
        if (validMinus && text.startsWith(u'-')) {
            const int64_t n = StrToInt64(QStringLiteral("$") + text.mid(1));
            // Sixteen digits from 8 up read as two's complement; the minus sign still means negative.
            return n < 0 ? -Extended(uint64_t(n)) : -Extended(n);
        }
        if (validMinus)
            return Extended(StrToInt64(QStringLiteral("$") + text));
        return Extended(StrToInt(QStringLiteral("$") + text));
    }

    const QChar thousand = ThousandSeparator();
    for (qsizetype k = text.size() - 1; k >= 0; --k)
        if (text[k] == thousand || text[k].unicode() < 32)
            text.remove(k, 1);
    if (text.isEmpty())
        return 0;
    if (text.contains(DecimalSeparator()))
        return StrToFloat(text);
    try {
        return Extended(StrToInt64(text));
    } catch (const EConvertError&) {
        // More digits than 64 bits hold are still a number; the control shows such values itself.
        if (!IsDecimalInteger(text))
            throw;
        return StrToFloat(text);
    }
}

int32_t TNumberText::ValueToInteger(Extended value, TRoundMode mode)
{
    return saturate32(roundedInteger(value, mode));
}

TNumberText::Formatted TNumberText::FormatValue(Extended value, bool plus, const TNumberFormat& format)
{
    const QChar separator = DecimalSeparator();
    QString text;
    if (format.NumberType == ntHex) {
        const int64_t n = roundedInteger(value, format.RoundMode);
        if (format.ValidMinus) {
            const uint64_t magnitude = n < 0 ? 0 - uint64_t(n) : uint64_t(n);
            text = HexText(magnitude, format.Figure);
            if (n < 0)
                text.prepend(u'-');
        } else {
            text = HexText(uint32_t(saturate32(n)), format.Figure);
        }
    } else {
        text = RoundText(FloatToPlainText(value), format.Figure, format.RoundMode);
        if (format.Comma) {
            const bool negative = text.startsWith(u'-');
            qsizetype p = text.indexOf(separator);
            if (p < 0)
                p = text.size();
            text = GroupThousands(text.left(p)) + text.mid(p);
            if (negative && !text.startsWith(u'-'))
                text.prepend(u'-');
        }
        if (format.Figure >= 0 && format.Fixed) {
            const qsizetype p = text.indexOf(separator);
            if (p < 0) {
                if (format.Figure >= 1)
                    text += separator + QString(format.Figure, u'0');
            } else if (format.Figure == 0) {
                text.truncate(p);
            } else {
                const qsizetype decimals = text.size() - p - 1;
                if (decimals < format.Figure)
                    text += QString(format.Figure - decimals, u'0');
            }
        }
        if (plus && !text.startsWith(u'-'))
            text.prepend(u'+');
        if (text.endsWith(separator))
            text.chop(1);
    }

    QString copy = text;
    const Extended shown = ParseText(copy, format.NumberType, format.ValidMinus);
    if (shown == 0 && !format.ZeroVisible)
        text.clear();
    return {text, shown};
}

QString TNumberText::HexText(uint64_t magnitude, int figure)
{
    const QString digits = QString::number(magnitude, 16).toUpper();
    const int width = figure >= 1 ? figure : 1;
    return digits.size() >= width ? digits : QString(width - digits.size(), u'0') + digits;
}
