#pragma once

#include "numberedit/NumberTypes.h"
#include "toolkit/Types.h"

#include <QString>

#include <cstdint>

// The display settings of a number edit that its text conversions depend on.
struct TNumberFormat
{
    TNumberType NumberType = ntDecimal;
    TRoundMode RoundMode = rmDown;
    int Figure = -1;
    bool Fixed = false;
    bool Comma = false;
    bool ValidMinus = false;
    bool ZeroVisible = true;
};

// Conversions between a number edit's value and its text. Rounding works on the decimal
// digits of the text, never in binary, so a value shows exactly as its digits read. The
// separators are the process-wide ones at the moment of the call.
class TNumberText
{
public:
    // Decimal text without exponent: 1.5E-5 -> '0.000015'.
    static QString FloatToPlainText(Extended value);

    // Rounds a decimal text to Digits decimals; the integer part may be of any length.
    static QString RoundText(const QString& text, int digits, TRoundMode mode);

    // Cleans the text in place (thousands separators, control characters) and reads it.
    // Throws EConvertError.
    static Extended ParseText(QString& text, TNumberType type, bool validMinus);

    // The value rounded by the mode and saturated to the signed 32-bit range.
    static int32_t ValueToInteger(Extended value, TRoundMode mode);

    struct Formatted
    {
        QString Text;
        Extended Value; // the number the text shows
    };
    // Display text of an already clamped value; plus = the current text begins with "+".
    static Formatted FormatValue(Extended value, bool plus, const TNumberFormat& format);

    // Upper-case hexadecimal, zero-padded to at least figure digits (at least one digit).
    static QString HexText(uint64_t magnitude, int figure);
};
