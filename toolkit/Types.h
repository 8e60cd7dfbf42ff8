#pragma once

#include <functional>

class QObject;

// The number edit's value, limits and increment keep the 64-bit significand of x87 extended precision.
using Extended = long double;

// An event is a callable that may be empty; an empty event is simply not raised.
using TNotifyEvent = std::function<void(QObject* Sender)>;

// Horizontal alignment of an edit's text; ordinals as stored.
enum TAlignment : unsigned char { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
