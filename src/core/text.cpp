#include "core/text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

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

void StrPrintf(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  out = StrVPrintf(format, args);
  va_end(args);
}

void StrAppendF(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  out += StrVPrintf(format, args);
  va_end(args);
}

int StrCutAtNul(std::string& s) {
  s.resize(std::strlen(s.c_str()));
  return static_cast<int>(s.size());
}

std::string StrMid(const std::string& s, int start, int len) {
  const int64_t size = static_cast<int64_t>(s.size());
  int64_t from = start, count = len;
  if (from < 0) {
    if (count >= 0) {
      count += from;
      if (count <= 0) return "";  // the window lies wholly before the text
    }
    from = 0;
  } else if (from > size) {
    return "";
  }
  if (count == 0) return "";
  if (count < 0 || from + count > size) return s.substr(static_cast<size_t>(from));
  return s.substr(static_cast<size_t>(from), static_cast<size_t>(count));
}

int CountDigits(int n) {
  int digits = 1;
  while ((n /= 10) != 0) ++digits;
  return digits;
}

void FormatNumber(std::string& out, int value, int width, int zeros, int plus) {
  int digits = CountDigits(value);
  if (width < digits) width = digits;
  // The magnitude in 64 bits, so that the most negative value has one.
  int64_t m = value < 0 ? -static_cast<int64_t>(value) : value;
  std::string text(static_cast<size_t>(width), '0');
  for (int i = width - 1; i >= 0; --i, m /= 10) text[i] = static_cast<char>('0' + m % 10);
  if (!zeros) {
    for (int i = 0; i + 1 < width && text[i] == '0'; ++i) text[i] = ' ';
  }
  const char* sign = value < 0 ? "-" : plus ? "+" : "";
  out = sign + text;
}

int IsSjisDoubleByte(const char* p) {
  return IsCp932LeadByte(static_cast<unsigned char>(p[0])) && IsCp932TrailByte(static_cast<unsigned char>(p[1])) ? 1 : 0;
}

int SjisCharCount(std::string_view text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i + 1 < text.size() && IsSjisDoubleByte(text.data() + i)) {
      ++i;
      ++count;
    } else if (text[i] != '\n') {
      ++count;
    }
  }
  return count;
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
