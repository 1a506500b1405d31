#include "platform/text/fontface.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/text/cp932.h"

namespace text {

namespace {

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Code points of every two-byte character, index (lead << 8) | trail; 0 where there is none.
const std::vector<uint32_t>& DoubleByteTable() {
  static const std::vector<uint32_t> table = [] {
    std::vector<uint32_t> t(65536, 0);
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == (iconv_t)-1) return t;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        uint32_t out = 0;
        char* ip = in;
        char* op = reinterpret_cast<char*>(&out);
        size_t il = 2, ol = 4;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) != (size_t)-1 && il == 0 && ol == 0) t[lead << 8 | trail] = out;
      }
    }
    iconv_close(cd);
    return t;
  }();
  return table;
}

}  // namespace

uint32_t DecodeCp932(const unsigned char* p, size_t left, int* used) {
  *used = 1;
  if (left == 0) return 0;
  unsigned char b = p[0];
  if (IsCp932LeadByte(b) && left >= 2 && IsTrailByte(p[1])) {
    *used = 2;
    return DoubleByteTable()[b << 8 | p[1]];
  }
  if (b >= 0x20 && b <= 0x7E) return b;
  if (b >= 0xA1 && b <= 0xDF) return 0xFF61 + (b - 0xA1);
  return 0;
}

int Face::Draw(const char* text, size_t n, int x, int y, Rendering rendering, SpanSink& sink) const {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  int pen = x;
  for (size_t i = 0; i < n;) {
    int used = 1;
    uint32_t cp = DecodeCp932(p + i, n - i, &used);
    i += static_cast<size_t>(used);
    if (cp) pen += DrawGlyph(cp, pen, y, rendering, sink);
  }
  return pen - x;
}

int Face::Measure(const char* text, size_t n) const {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  int width = 0;
  for (size_t i = 0; i < n;) {
    int used = 1;
    uint32_t cp = DecodeCp932(p + i, n - i, &used);
    i += static_cast<size_t>(used);
    if (cp) width += Advance(cp);
  }
  return width;
}

namespace {

constexpr int kDefaultHeight = 16;

bool HalfWidth(uint32_t cp) { return cp < 0x100 || (cp >= 0xFF61 && cp <= 0xFF9F); }

// The built-in face: a box with a pattern of bits from the code point inside, all or nothing.
class TestFace final : public Face {
 public:
  explicit TestFace(int height) : height_(height > 0 ? height : kDefaultHeight) {}
  int CellHeight() const override { return height_; }
  int Baseline() const override { return height_ - height_ / 8; }
  int Advance(uint32_t cp) const override { return HalfWidth(cp) ? height_ / 2 : height_; }
  std::string Family() const override { return kTestFaceName; }
  bool BuiltIn() const override { return true; }

 protected:
  int DrawGlyph(uint32_t cp, int x, int y, Rendering, SpanSink& sink) const override {
    const int advance = Advance(cp);
    if (cp == 0x20 || cp == 0x3000) return advance;
    const int w = advance - 1, h = height_ - 1;
    if (w <= 0 || h <= 0) return advance;
    const uint32_t bits = cp * 0x9E3779B1u ^ cp >> 7;
    std::vector<uint8_t> row(static_cast<size_t>(w));
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i) {
        bool edge = i == 0 || j == 0 || i == w - 1 || j == h - 1;
        bool bit = (bits >> ((i + j * 3) % 32)) & 1;
        row[static_cast<size_t>(i)] = (edge || bit) ? 255 : 0;
      }
      sink.Span(x, y + j, row.data(), w);
    }
    return advance;
  }

 private:
  int height_;
};

struct Glyph {
  int left = 0, top = 0, width = 0, height = 0;  // the bitmap relative to the pen at the cell top
  std::vector<uint8_t> coverage;
};

struct FreeTypeLibrary {
  std::mutex mutex;
  FT_Library library = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library)) library = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library) FT_Done_FreeType(library);
  }
};

// Kept to the end of the process: faces may still be released by other objects' destructors.
FreeTypeLibrary& Library() {
  static FreeTypeLibrary* lib = new FreeTypeLibrary;
  return *lib;
}

// An installed face at one size: Windows cell sizing from the OS/2 table.
class FreeTypeFace final : public Face {
 public:
  static std::shared_ptr<FreeTypeFace> Open(const std::string& file, int index, const std::string& family,
                                            int height, int width) {
    FreeTypeLibrary& lib = Library();
    std::lock_guard<std::mutex> lock(lib.mutex);
    if (!lib.library) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(lib.library, file.c_str(), index, &face)) return nullptr;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    int cell = height > 0 ? height : kDefaultHeight;
    int winHeight = os2 ? os2->usWinAscent + os2->usWinDescent : 0;
    if (!os2 || winHeight <= 0 || face->units_per_EM == 0) {
      FT_Done_Face(face);
      return nullptr;
    }
    double em = static_cast<double>(cell) * face->units_per_EM / winHeight;
    double emWidth = em;
    if (width > 0 && os2->xAvgCharWidth > 0)
      emWidth = static_cast<double>(width) * face->units_per_EM / os2->xAvgCharWidth;
    FT_Size_RequestRec req{};
    req.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
    req.width = static_cast<FT_Long>(std::lround(emWidth * 64));
    req.height = static_cast<FT_Long>(std::lround(em * 64));
    if (FT_Request_Size(face, &req)) {
      FT_Done_Face(face);
      return nullptr;
    }
    int baseline = static_cast<int>(std::lround(static_cast<double>(cell) * os2->usWinAscent / winHeight));
    return std::shared_ptr<FreeTypeFace>(new FreeTypeFace(face, family, cell, baseline));
  }
  ~FreeTypeFace() override {
    std::lock_guard<std::mutex> lock(Library().mutex);
    FT_Done_Face(face_);
  }
  int CellHeight() const override { return cell_; }
  int Baseline() const override { return baseline_; }
  int Advance(uint32_t cp) const override { return Get(cp, Rendering::Mono).advance; }
  std::string Family() const override { return family_; }
  bool BuiltIn() const override { return false; }

 protected:
  int DrawGlyph(uint32_t cp, int x, int y, Rendering rendering, SpanSink& sink) const override {
    const Entry& e = Get(cp, rendering);
    const Glyph& g = e.glyph;
    for (int j = 0; j < g.height; ++j)
      sink.Span(x + g.left, y + g.top + j, g.coverage.data() + static_cast<size_t>(j) * g.width, g.width);
    return e.advance;
  }

 private:
  struct Entry {
    int advance = 0;
    Glyph glyph;
  };
  FreeTypeFace(FT_Face face, std::string family, int cell, int baseline)
      : face_(face), family_(std::move(family)), cell_(cell), baseline_(baseline) {}

  const Entry& Get(uint32_t cp, Rendering rendering) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& cache = rendering == Rendering::Mono ? mono_ : coverage_;
    auto it = cache.find(cp);
    if (it != cache.end()) return it->second;
    Entry e;
    FT_UInt index = FT_Get_Char_Index(face_, cp);
    // Hinted for the normal target in both renderings, so that both have the same advances.
    if (!FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT)) {
      FT_GlyphSlot slot = face_->glyph;
      e.advance = static_cast<int>((slot->advance.x + 32) >> 6);
      if (cp != 0x20 && cp != 0x3000 &&
          !FT_Render_Glyph(slot, rendering == Rendering::Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL)) {
        const FT_Bitmap& bm = slot->bitmap;
        Glyph& g = e.glyph;
        g.left = slot->bitmap_left;
        g.top = baseline_ - slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.height = static_cast<int>(bm.rows);
        g.coverage.assign(static_cast<size_t>(g.width) * g.height, 0);
        for (int j = 0; j < g.height; ++j) {
          const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(j) * bm.pitch;
          for (int i = 0; i < g.width; ++i) {
            uint8_t c = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[i >> 3] >> (7 - (i & 7))) & 1 ? 255 : 0)
                                                            : row[i];
            g.coverage[static_cast<size_t>(j) * g.width + i] = c;
          }
        }
      }
    }
    return cache.emplace(cp, std::move(e)).first->second;
  }

  FT_Face face_;
  std::string family_;
  int cell_;
  int baseline_;
  mutable std::mutex mutex_;
  mutable std::unordered_map<uint32_t, Entry> mono_;
  mutable std::unordered_map<uint32_t, Entry> coverage_;
};

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }
bool StartsWith(const std::string& s, const char* part) { return s.rfind(part, 0) == 0; }

struct FaceFile {
  std::string file;
  int index = 0;
  std::string family;
};

// The file of the family through fontconfig; failing that, fontconfig's best face for Japanese.
bool FindFaceFile(const std::string& family, FaceFile* out) {
  if (!FcInit()) return false;
  auto match = [](FcPattern* pattern, FaceFile* found) {
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* m = FcFontMatch(nullptr, pattern, &result);
    bool ok = false;
    if (m) {
      FcChar8* file = nullptr;
      FcChar8* fam = nullptr;
      int index = 0;
      if (FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch && file) {
        found->file = reinterpret_cast<const char*>(file);
        if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
          found->family = reinterpret_cast<const char*>(fam);
        FcPatternGetInteger(m, FC_INDEX, 0, &index);
        found->index = index;
        ok = true;
      }
      FcPatternDestroy(m);
    }
    FcPatternDestroy(pattern);
    return ok;
  };
  FcPattern* exact = FcPatternCreate();
  FcPatternAddString(exact, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FaceFile found;
  if (match(exact, &found) && found.family == family) {
    *out = found;
    return true;
  }
  FcPattern* japanese = FcPatternCreate();
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddLangSet(japanese, FC_LANG, langs);
  FcLangSetDestroy(langs);
  found = FaceFile{};
  if (!match(japanese, &found)) return false;
  *out = found;
  return true;
}

std::string PackageOf(const std::string& family) {
  return Contains(family, "Mincho") ? "fonts-ipafont-mincho" : "fonts-ipafont-gothic";
}

struct Registry {
  std::mutex mutex;
  std::map<std::tuple<std::string, int, int>, std::shared_ptr<const Face>> faces;
  std::set<std::string> noticed;
  std::vector<std::string> notices;
};

Registry& Faces() {
  static Registry* r = new Registry;
  return *r;
}

}  // namespace

std::string MapFaceName(const std::string& faceName) {
  const std::string name = Cp932ToUtf8(faceName);
  if (name == kTestFaceName) return kTestFaceName;
  const bool proportional = StartsWith(name, "HGP") || StartsWith(name, "HGS") || Contains(name, "Ｐ");
  if (Contains(name, "ゴシック") || Contains(name, "ｺﾞｼｯｸ")) return proportional ? "IPAPGothic" : "IPAGothic";
  if (Contains(name, "明朝") || Contains(name, "教科書体") || Contains(name, "行書体") || Contains(name, "楷書体"))
    return proportional ? "IPAPMincho" : "IPAMincho";
  static const char* const kFixedLatin[] = {"Terminal",   "FixedSys", "Courier",  "Courier New", "Lucida Console",
                                            "GulimChe",   "DotumChe", "BatangChe", "GungsuhChe", "NSimSun",
                                            "MingLiU",    "OCRB"};
  for (const char* fixed : kFixedLatin)
    if (name == fixed || (StartsWith(name, "Courier New ") && std::strcmp(fixed, "Courier New") == 0))
      return "IPAGothic";
  return "IPAPGothic";
}

std::shared_ptr<const Face> OpenFace(const std::string& faceName, int height, int width) {
  const std::string family = MapFaceName(faceName);
  Registry& reg = Faces();
  std::lock_guard<std::mutex> lock(reg.mutex);
  auto key = std::make_tuple(family, height, width);
  auto it = reg.faces.find(key);
  if (it != reg.faces.end()) return it->second;
  std::shared_ptr<const Face> face;
  if (family != kTestFaceName) {
    FaceFile file;
    if (FindFaceFile(family, &file)) face = FreeTypeFace::Open(file.file, file.index, file.family, height, width);
    if ((!face || file.family != family) && reg.noticed.insert(family).second)
      reg.notices.push_back("The font " + family + " is missing: install the package " + PackageOf(family) +
                            (face ? " (" + face->Family() + " stands in)" : " (the built-in face stands in)"));
  }
  if (!face) face = std::make_shared<TestFace>(height);
  reg.faces.emplace(key, face);
  return face;
}

std::string TakeMissingFaceNotice() {
  Registry& reg = Faces();
  std::lock_guard<std::mutex> lock(reg.mutex);
  if (reg.notices.empty()) return "";
  std::string notice = reg.notices.front();
  reg.notices.erase(reg.notices.begin());
  return notice;
}

namespace test {
void ReloadFonts() {
  Registry& reg = Faces();
  std::lock_guard<std::mutex> lock(reg.mutex);
  reg.faces.clear();
  reg.noticed.clear();
  reg.notices.clear();
  FcInitReinitialize();
}
}  // namespace test

}  // namespace text
