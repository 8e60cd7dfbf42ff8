#pragma once

#include <QStringView>

#include <optional>

namespace products {

// A length of a gLabels file in millimetres: a number and one of the units pt, in, mm, cm, pc;
// a bare number is points (1/72 inch). nullopt when the text is no such length.
std::optional<double> parseLength(QStringView text);

} // namespace products
