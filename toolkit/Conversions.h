#pragma once

#include "toolkit/Types.h"

#include <QString>

#include <cstdint>

// General float text: 15 significant digits, no trailing fraction zeros, plain form for
// 0.0001 <= |x| < 1E15, otherwise mantissa and exponent ('1.5E-5', '1E15').
QString FloatToStr(Extended value);

// Strict float parser: blanks around, optional sign, digits, one decimal separator, fraction,
// optional exponent. "." and "-." read as zero. Throws EConvertError.
Extended StrToFloat(const QString& text);

// Signed integer parsers, decimal or "$" hexadecimal (a hexadecimal text that fills the width
// reads as two's complement). Throw EConvertError.
int32_t StrToInt(const QString& text);
int64_t StrToInt64(const QString& text);
// A sign and decimal digits, nothing else: an integer, however many digits it has.
bool IsDecimalInteger(const QString& text);
// StrToInt64, except that decimal digits beyond the range give its nearer end.
int64_t StrToInt64Saturated(const QString& text);

// "#,##0": digits in groups of three joined by the thousands separator.
QString FormatThousands(int64_t value);
// The same grouping on an integer text of any length ("-" allowed in front).
QString GroupThousands(const QString& integerText);
