#include "core/text.h"

#include <cstdio>

#include "platform/text/cp932.h"

std::string StrVPrintf(const char* format, va_list args) {
  if (!format) return "";
  char buf[512];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(buf, sizeof(buf), format, copy);
  va_end(copy);
  if (n < 0) return "";
  if (static_cast<size_t>(n) < sizeof(buf)) return std::string(buf, n);
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(n);
  return out;
}

std::string StrPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = StrVPrintf(format, args);
  va_end(args);
  return s;
}

std::string SjisCut(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t i = 0;
  while (i < maxBytes) {
    size_t step = IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + step > maxBytes) break;
    i += step;
  }
  return text.substr(0, i);
}
