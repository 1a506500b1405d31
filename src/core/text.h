// Text formatting helpers.
#pragma once
#include <cstdarg>
#include <string>

#define PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))

// printf-style formatting into a string of any length.
std::string StrVPrintf(const char* format, va_list args);
std::string StrPrintf(const char* format, ...) PRINTF_LIKE(1, 2);

// Cuts a code page 932 text to at most maxBytes bytes without splitting a two-byte character.
std::string SjisCut(const std::string& text, size_t maxBytes);
