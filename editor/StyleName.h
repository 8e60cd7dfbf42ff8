#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// Code page 932 bytes of a name typed in the window; a character the code page cannot hold
// becomes "?" (the boxes refuse such characters, so this is only a safety net).
std::string encodeName(const QString& text);

// A style's Name from the typed text: at most 18 bytes, never half a double-byte character,
// and one zero byte after it when it is shorter than 18 bytes.
std::string makeStyleName(const QString& text);

// The visible texts of many names at once, each exactly as cp932::visibleText gives it, in one
// pass through the converter instead of one per name.
QStringList visibleTexts(const std::vector<std::string_view>& names);
