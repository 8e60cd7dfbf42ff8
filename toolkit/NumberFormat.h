#pragma once

#include <QChar>

// The process-wide number format: read once from the system locale ("." and "," when it
// gives none). Tests and callers may change them; every conversion reads them at use.
QChar DecimalSeparator();
QChar ThousandSeparator();
void SetDecimalSeparator(QChar value);
void SetThousandSeparator(QChar value);
