#pragma once

#include "labeldata/Tdatatree.h"

#include <QByteArray>

#include <stdexcept>
#include <string>
#include <string_view>

// JSON text of the input is unusable; what() names the field.
class JsonInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole set as JSON, keys in a fixed order so that the same file always gives the same text.
std::string templateToJson(const Tdatatree& set);

// Fills GroupName and LabelList of set from JSON; throws JsonInputError and leaves set as it was.
void templateFromJson(const QByteArray& json, Tdatatree& set);

std::string toHex(std::string_view bytes);
