#pragma once

#include "toolkit/NumberFormat.h"

// Sets the process-wide separators for one test and restores them afterwards.
class Separators
{
public:
    Separators(QChar decimal, QChar thousand)
        : FDecimal(DecimalSeparator()), FThousand(ThousandSeparator())
    {
        SetDecimalSeparator(decimal);
        SetThousandSeparator(thousand);
    }
    ~Separators()
    {
        SetDecimalSeparator(FDecimal);
        SetThousandSeparator(FThousand);
    }
    Separators(const Separators&) = delete;
    Separators& operator=(const Separators&) = delete;

private:
    QChar FDecimal, FThousand;
};
