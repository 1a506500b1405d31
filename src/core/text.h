// Text and number helpers. Texts are code page 932 (Shift-JIS) bytes; positions and lengths count
// bytes unless a helper says characters.
#pragma once
#include <cstdarg>
#include <string>
#include <string_view>

#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))

// printf-style formatting into a string of any length.
std::string StrVPrintf(const char* format, va_list args);
std::string StrPrintf(const char* format, ...) PRINTF_LIKE(1, 2);
// The same into out, replacing its text, or appended to it.
void StrPrintf(std::string& out, const char* format, ...) PRINTF_LIKE(2, 3);
void StrAppendF(std::string& out, const char* format, ...) PRINTF_LIKE(2, 3);

// Cuts s at its first zero byte; its new length.
int StrCutAtNul(std::string& s);
// Bytes of s from start, len of them (len < 0: the rest). A start before the text shortens the window
// by the part that lies before it; a window outside the text gives "".
std::string StrMid(const std::string& s, int start, int len);

// Decimal digits of n, sign not counted: 1 to 10.
int CountDigits(int n);
// The number in at least width digits (width 0: as many as it has), the leading zeros shown as zeros
// or turned into spaces, the last digit always kept; a minus sign before everything, and a plus sign
// for 0 and above when plus is set.
void FormatNumber(std::string& out, int value, int width, int zeros, int plus);

// 1 when p[0] is a lead byte and p[1] a trail byte of a two-byte character.
int IsSjisDoubleByte(const char* p);
// Characters of a text: a two-byte character counts one, a line feed none.
int SjisCharCount(std::string_view text);

// Cuts a code page 932 text to at most maxBytes bytes without splitting a two-byte character.
std::string SjisCut(const std::string& text, size_t maxBytes);
