#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Names in template files are raw code page 932 (Shift JIS, Windows variant) bytes.
namespace cp932 {

// The only converters for the code page. A fresh one for every use: resetting an ICU-backed
// converter also drops its error reporting.
QStringDecoder decoder();
QStringEncoder encoder();

// The bytes before the first zero byte, decoded; the rest of a name never shows. Bytes that are
// no character each show as U+FFFD.
QString visibleText(std::string_view bytes);
// The visible texts of many names at once, each exactly as visibleText gives it, in one pass
// through the converter instead of one per name.
QStringList visibleTexts(const std::vector<std::string_view>& names);

// nullopt when some character has no code page 932 form (or would not read back the same).
std::optional<std::string> encode(const QString& text);
bool canEncode(const QString& text);
// The same for one character (a surrogate never is one), from a table made once, so that a long
// text is filtered without a converter per character.
bool canEncode(char16_t c);
// Length in bytes once encoded, -1 when the text cannot be encoded.
int byteLength(const QString& text);
// Length in bytes once stored, where a character the code page lacks counts as the one byte of
// its replacement.
int storedLength(const QString& text);
// The text's bytes, a character the code page lacks stored as "?".
std::string encodeLenient(const QString& text);

// The longest prefix of at most max bytes that does not split a double-byte character.
std::string cutToBytes(std::string_view bytes, size_t max);

// Whether every byte sequence is a valid code page 932 character.
bool isValid(std::string_view bytes);

// Whether b starts a double-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace cp932
