#include "gamedata/systemini.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "platform/fs/path.h"

cSystemIni g_SystemIni;

cSysIniKey::cSysIniKey() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cSysIniKey::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_nKind);
  AddString(&m_strName);
  AddField32(&m_nValue);
  AddString(&m_strText);
}

void cSysIniKey::SetValue(const std::string& name, int32_t value) {
  m_strName = name;
  m_nKind = 0;
  m_nValue = value;
}

void cSysIniKey::SetText(const std::string& name, const std::string& text) {
  m_nKind = 1;
  m_strName = name;
  m_strText = text;
}

namespace {

constexpr int kFreeStageKey = 8;
constexpr int kKeyCount = 11;
constexpr int kPassLimit = 10000;
constexpr size_t kBufferChars = 2047;  // a key or value buffer of 2048 bytes with its zero

// The numeric field that key index k fills; null for FreeStage and for keys beyond the eleven.
int32_t* NumericField(cSystemIni& ini, int k) {
  int32_t* fields[kKeyCount] = {
      &ini.Direct3D,        &ini.WindowMode, &ini.Bpp, &ini.VSync,   &ini.D3D_FontCache,   &ini.DD_FontCache,
      &ini.DD_VideoStretch, &ini.ShowFps,    nullptr,  &ini.English, &ini.Midi_DirectMusic};
  return (k >= 0 && k < kKeyCount) ? fields[k] : nullptr;
}

void SetFreeStage(cSystemIni& ini, const std::string& text) {
  std::string cut = SjisCut(text, sizeof(ini.FreeStage) - 1);
  std::memcpy(ini.FreeStage, cut.c_str(), cut.size() + 1);
}

// A leading sign and decimal digits; anything else ends the number, no digits give 0. Numbers
// beyond the int32 range stop at its ends.
int32_t ParseDecimal(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    n = n * 10 + (text[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1) n = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) n = -n;
  if (n > INT_MAX) n = INT_MAX;
  return static_cast<int32_t>(n);
}

// Reads the file byte by byte. A read that finds no byte marks the end and gives a zero byte; the
// end is noticed before a key byte only once a read has run into it, so a file that ends right after
// a line feed ends on that zero byte.
class cIniReader {
 public:
  explicit cIniReader(FILE* fp) : m_fp(fp) {}
  bool AtEnd() const { return m_bAtEnd; }
  int Next() {
    int c = std::fgetc(m_fp);
    if (c == EOF) {
      m_bAtEnd = true;
      return 0;
    }
    return c;
  }

 private:
  FILE* m_fp;
  bool m_bAtEnd = false;
};

enum class eKeyEnd { Value, Line, Finished, FileEnd };

// Reads a key up to its equals sign or its line end; blanks, tabs and CR are skipped.
eKeyEnd ReadKey(cIniReader& in, std::string& key) {
  for (;;) {
    if (in.AtEnd()) return eKeyEnd::FileEnd;
    int c = in.Next();
    switch (c) {
      case '\r':
      case ' ':
      case '\t':
        continue;
      case 0:
        return eKeyEnd::Finished;
      case '\n':
        return key == "Exit" ? eKeyEnd::Finished : eKeyEnd::Line;
      case '=':
        return eKeyEnd::Value;
      default:
        if (key.size() < kBufferChars) key.push_back(static_cast<char>(c));
    }
  }
}

// Reads a value up to a blank, tab, slash, line feed, zero byte or the end of the file. CRs that end
// it are left out: they are the line ends of a file written on Windows.
std::string ReadValue(cIniReader& in) {
  std::string value;
  for (;;) {
    int c = in.Next();
    if (c == ' ' || c == '\t' || c == '/' || c == '\n' || c == 0) {
      while (!value.empty() && value.back() == '\r') value.pop_back();
      return value;
    }
    if (value.size() < kBufferChars) value.push_back(static_cast<char>(c));
  }
}

void ApplyIniValue(cSystemIni& ini, const cSysIniKeyList& keys, const std::string& key, const std::string& value) {
  for (int k = 0; k < keys.Size(); ++k) {
    if (keys.At(k).m_strName != key) continue;
    if (int32_t* field = NumericField(ini, k)) {
      *field = ParseDecimal(value);
    } else if (k == kFreeStageKey && value.size() >= 2 && value.size() < sizeof(ini.FreeStage)) {
      std::memcpy(ini.FreeStage, value.c_str(), value.size() + 1);
    }
    return;
  }
}

}  // namespace

void SetSystemIniDefault(cSystemIni& ini, const cSysIniKeyList& keys) {
  for (int k = 0; k < kKeyCount; ++k) {
    if (int32_t* field = NumericField(ini, k)) *field = keys.At(k).m_nValue;
  }
  SetFreeStage(ini, keys.At(kFreeStageKey).m_strText);
}

int ReadSystemIni(const char* path, cSystemIni& ini, const cSysIniKeyList& keys) {
  FILE* fp = OpenGameFile(path ? path : "", "rb");
  if (!fp) return 0;
  cIniReader in(fp);
  int result = 1;
  for (int pass = 0; pass < kPassLimit; ++pass) {
    std::string key;
    eKeyEnd end = ReadKey(in, key);
    if (end == eKeyEnd::FileEnd) {
      result = 0;
      break;
    }
    if (end == eKeyEnd::Finished) break;
    if (end == eKeyEnd::Value) ApplyIniValue(ini, keys, key, ReadValue(in));
  }
  std::fclose(fp);
  return result;
}
