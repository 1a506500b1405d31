// Conversions between the game's code page 932 text and UTF-8, for the edges of the program
// (file names, window title, message boxes).
#pragma once
#include <string>

// Whether byte b starts a two-byte character in code page 932.
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// Whether byte b can end a two-byte character.
inline bool IsCp932TrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes that cannot be converted become '?'.
std::string Cp932ToUtf8(const std::string& text);
std::string Utf8ToCp932(const std::string& text);
