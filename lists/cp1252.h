#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Windows-1252 text: the 8-bit encoding of the city databases and of saved lists.
/// All 256 byte values decode; the five bytes the code page leaves unassigned (81, 8D, 8F, 90, 9D
/// hexadecimal) map to the C1 control characters of the same number, so every byte round-trips.
namespace zimbalo::lists {

/// Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToUnicode(unsigned char byte);

/// Windows-1252 byte of a Unicode code point, or nothing when the code page lacks it.
std::optional<unsigned char> UnicodeToCp1252(char32_t codePoint);

/// UTF-8 text of Windows-1252 bytes.
std::string Cp1252ToUtf8(std::string_view bytes);

/// Windows-1252 bytes of UTF-8 text; code points the code page lacks and malformed UTF-8
/// sequences become `replacement`.
std::string Utf8ToCp1252(std::string_view utf8, char replacement = '?');

}  // namespace zimbalo::lists
