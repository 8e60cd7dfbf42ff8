#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Names in template files are raw code page 932 (Shift JIS, Windows variant) bytes.
namespace cp932 {

// The bytes before the first zero byte, decoded; the rest of a name never shows.
QString visibleText(std::string_view bytes);

// nullopt when some character has no code page 932 form (or would not read back the same).
std::optional<std::string> encode(const QString& text);
bool canEncode(const QString& text);
// Length in bytes once encoded, -1 when the text cannot be encoded.
int byteLength(const QString& text);

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
