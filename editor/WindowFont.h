#pragma once

#include <QFont>

// The window font: the Japanese UI font the layout was measured with, at 12 pixels,
// with Linux fonts of the same metrics as fallbacks.
QFont windowFont();
