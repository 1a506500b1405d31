#include "platform/text/cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One conversion descriptor per direction and thread, opened on first use: opening one costs far
// more than converting a file name.
class cConverter {
 public:
  cConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~cConverter() {
    if (m_cd != (iconv_t)-1) iconv_close(m_cd);
  }
  cConverter(const cConverter&) = delete;
  cConverter& operator=(const cConverter&) = delete;
  iconv_t Get() const { return m_cd; }

 private:
  iconv_t m_cd;
};

// Both encodings hold the 128 ASCII codes as the same single bytes.
bool IsAscii(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string Convert(const cConverter& converter, const std::string& text) {
  if (IsAscii(text)) return text;
  iconv_t cd = converter.Get();
  if (cd == (iconv_t)-1) return text;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state
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
  return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& text) {
  thread_local const cConverter converter("UTF-8", "CP932");
  return Convert(converter, text);
}

std::string Utf8ToCp932(const std::string& text) {
  thread_local const cConverter converter("CP932", "UTF-8");
  return Convert(converter, text);
}
