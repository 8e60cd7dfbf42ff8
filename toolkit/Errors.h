#pragma once

#include <QString>

#include <stdexcept>

// A number text that cannot be converted; what() is the UTF-8 message the user sees.
class EConvertError : public std::runtime_error
{
public:
    explicit EConvertError(const QString& message) : std::runtime_error(message.toStdString()) {}
};
