// Number text of the entry fields: any text parses or is refused with the conversion error, any
// value formats, formatting what was parsed is stable, and rounding on text agrees with exact
// decimal arithmetic on the same digits; under both separator settings.
#include "numberedit/NumberText.h"
#include "toolkit/Errors.h"
#include "toolkit/NumberFormat.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

using u128 = unsigned __int128;

// A decimal reading of sign, integer digits and fraction digits, in the least digits: no
// leading zeros before the separator, no trailing ones after it, and zero without a sign.
std::string canonical(bool negative, std::string whole, std::string fraction)
{
    while (!whole.empty() && whole[0] == '0')
        whole.erase(0, 1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (whole.empty())
        whole = "0";
    const bool zero = whole == "0" && fraction.empty();
    return (negative && !zero ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

struct Decimal
{
    bool negative = false;
    std::string whole, fraction;
    bool hasSeparator = false;
};

// [+-]digits[separator digits], nothing else; false for any other text.
bool readDecimal(const QString& text, QChar separator, Decimal& out)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        out.negative = text[i++] == u'-';
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        out.whole += char(text[i].unicode());
    if (i < text.size() && text[i] == separator) {
        out.hasSeparator = true;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            out.fraction += char(text[i].unicode());
    }
    return i == text.size();
}

std::string digitsOf(u128 n)
{
    std::string s;
    do {
        s.insert(s.begin(), char('0' + int(n % 10)));
        n /= 10;
    } while (n != 0);
    return s;
}

// The exact reference: the digits as one integer N with f decimals, rounded to d decimals by
// division, independent of the digit-by-digit carry of the code under test.
std::string exactlyRounded(const Decimal& x, int d, TRoundMode mode)
{
    const size_t f = x.fraction.size();
    if (f <= size_t(d))
        return canonical(x.negative, x.whole, x.fraction);
    u128 n = 0;
    for (char c : x.whole + x.fraction)
        n = n * 10 + u128(c - '0');
    u128 unit = 1;
    for (size_t k = 0; k < f - size_t(d); ++k)
        unit *= 10;
    u128 q = n / unit;
    const u128 r = n % unit;
    if ((mode == rmRound && 2 * r >= unit) || (mode == rmUp && r != 0))
        ++q;
    std::string digits = digitsOf(q);
    if (digits.size() < size_t(d) + 1)
        digits.insert(0, size_t(d) + 1 - digits.size(), '0');
    return canonical(x.negative, digits.substr(0, digits.size() - size_t(d)), digits.substr(digits.size() - size_t(d)));
}

void checkRounding(const QString& text, int digits, TRoundMode mode)
{
    const QString rounded = TNumberText::RoundText(text, digits, mode);
    if (digits < 0)
        return;
    const QChar separator = DecimalSeparator();
    const qsizetype p = rounded.indexOf(separator);
    // Never more decimals than asked, whatever the text.
    if (p >= 0 && rounded.indexOf(separator, p + 1) < 0)
        require(rounded.size() - p - 1 <= digits);

    // The digits the rounding works on: the text without thousands separators and control codes.
    QString clean;
    for (QChar c : text)
        if (c != ThousandSeparator() && c.unicode() >= 32)
            clean += c;
    Decimal x;
    if (!readDecimal(clean, separator, x) || x.whole.size() + x.fraction.size() > 36 || !x.hasSeparator)
        return;
    Decimal y;
    require(readDecimal(rounded, separator, y));
    if (x.fraction.size() > size_t(digits))
        require(y.fraction.size() == size_t(digits));
    require(canonical(y.negative, y.whole, y.fraction) == exactlyRounded(x, digits, mode));
}

QString format(Extended value, const TNumberFormat& format)
{
    return TNumberText::FormatValue(value, false, format).Text;
}

void checkFormatting(Extended value, const TNumberFormat& f)
{
    if (!std::isfinite(value))
        return;
    const TNumberText::Formatted first = TNumberText::FormatValue(value, false, f);
    if (f.NumberType == ntDecimal && f.Figure >= 0) {
        const qsizetype p = first.Text.indexOf(DecimalSeparator());
        require(p < 0 || first.Text.size() - p - 1 <= f.Figure);
    }
    QString copy = first.Text;
    const Extended shown = TNumberText::ParseText(copy, f.NumberType, f.ValidMinus);
    const QString again = format(shown, f);
    QString againCopy = again;
    require(TNumberText::ParseText(againCopy, f.NumberType, f.ValidMinus) == shown);
    // Without Fixed, decimals that rounding left as zeros show once ('1.00' for 1.0001) and go
    // when the value is formatted again ('1'): the same number, and the fields all use Fixed.
    if (f.NumberType == ntDecimal && f.Figure >= 0 && !f.Fixed)
        return;
    // A negative value that rounds to zero keeps its sign in the text ('-0.00'); the zero it
    // reads as has none. Any other difference is a fault.
    require(again == first.Text || (shown == 0 && first.Text == QLatin1Char('-') + again));
    (void)TNumberText::ValueToInteger(value, f.RoundMode);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t settings = data[0];
    const uint8_t shape = data[1];
    const int digits = int(data[2] % 24) - 2;
    data += 3;
    size -= 3;

    // Both settings the program meets: "." with "," (most locales) and "," with "." (many European).
    if (settings & 1) {
        SetDecimalSeparator(u',');
        SetThousandSeparator(u'.');
    } else {
        SetDecimalSeparator(u'.');
        SetThousandSeparator(u',');
    }
    TNumberFormat f;
    f.NumberType = (settings & 2) ? ntHex : ntDecimal;
    f.RoundMode = TRoundMode((settings >> 2) % 3);
    f.Fixed = shape & 1;
    f.Comma = shape & 2;
    f.ValidMinus = shape & 4;
    f.ZeroVisible = shape & 8;
    f.Figure = digits;

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkRounding(text, digits, f.RoundMode);

    // Refusing a text is fine; a text the formatting made must read back, so only the first
    // parse may throw.
    QString parsed = text;
    Extended value = 0;
    bool read = true;
    try {
        value = TNumberText::ParseText(parsed, f.NumberType, f.ValidMinus);
    } catch (const EConvertError&) {
        read = false;
    }
    if (read)
        checkFormatting(value, f);
    // The first bytes as a double as well, so that values no text leads to are formatted too.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        checkFormatting(Extended(raw), f);
    }
    return 0;
}
