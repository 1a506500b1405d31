#include "platform/text/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

std::string Convert(const char* to, const char* from, const std::string& text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == (iconv_t)-1) return text;
  std::string out;
  out.reserve(text.size() * 2);
  char buf[1024];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof(buf);
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, o - buf);
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on.
      out.push_back('?');
      ++in;
      --inLeft;
    }
  }
  char* o = buf;
  size_t oLeft = sizeof(buf);
  iconv(cd, nullptr, nullptr, &o, &oLeft);
  out.append(buf, o - buf);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) { return Convert("UTF-8", "CP932", text); }
std::string Utf8ToCp932(const std::string& text) { return Convert("CP932", "UTF-8", text); }
