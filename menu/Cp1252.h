#pragma once
// Windows-1252, the 8-bit code page the high-score file is written in, so that
// a file moves between systems byte for byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the
// same number, so every byte value survives a round trip.

#include <string>
#include <string_view>

namespace menu {

// The character a byte stands for.
char32_t Cp1252ToChar(unsigned char byte);

// True if the code page holds the character.
bool Cp1252CanEncode(char32_t c);

// Bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to bytes. A character the code page cannot hold, or a broken UTF-8
// sequence, becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// True if every character of the UTF-8 text can be written as one byte.
bool Cp1252CanEncodeUtf8(std::string_view utf8);

}  // namespace menu
