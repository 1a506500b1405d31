#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text/fontface.h"
#include "support/tempdir.h"

namespace {

// Every covered pixel of a drawn text.
struct Collect final : text::SpanSink {
  struct Pixel {
    int x, y;
    uint8_t coverage;
  };
  std::vector<Pixel> pixels;
  void Span(int x, int y, const uint8_t* coverage, int count) override {
    for (int i = 0; i < count; ++i)
      if (coverage[i]) pixels.push_back({x + i, y, coverage[i]});
  }
};

}  // namespace

TEST(FontFace, CodePage932Decoding) {
  struct Case {
    const char* bytes;
    size_t n;
    uint32_t cp;
    int used;
  } cases[] = {
      {"A", 1, 'A', 1},          {"あ", 2, 0x3042, 2},      {"漢", 2, 0x6F22, 2},
      {"\xB1", 1, 0xFF71, 1},    {"\x82", 1, 0, 1},          {"\x82\n", 2, 0, 1},  // a lone lead byte draws nothing
      {"\x80", 1, 0, 1},         {"\xA0", 1, 0, 1},          {"\xFD", 1, 0, 1},
      {"\n", 1, 0, 1},           {"\x85\x40", 2, 0, 2},  // a pair without a character
  };
  for (const Case& c : cases) {
    int used = 0;
    EXPECT_EQ(text::DecodeCp932(reinterpret_cast<const unsigned char*>(c.bytes), c.n, &used), c.cp) << c.bytes;
    EXPECT_EQ(used, c.used) << c.bytes;
  }
}

TEST(FontFace, FaceNamesMapToTheIpaFamilies) {
  struct Case {
    const char* name;
    const char* family;
  } cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"},   {"HGｺﾞｼｯｸM", "IPAGothic"},     {"ＭＳ Ｐゴシック", "IPAPGothic"},
      {"MS UI Gothic", "IPAPGothic"},   {"メイリオ", "IPAPGothic"},    {"HGPｺﾞｼｯｸE", "IPAPGothic"},
      {"HGSｺﾞｼｯｸM", "IPAPGothic"},      {"ＭＳ 明朝", "IPAMincho"},     {"HG明朝B", "IPAMincho"},
      {"HG教科書体", "IPAMincho"},      {"ＭＳ Ｐ明朝", "IPAPMincho"},  {"HGS明朝E", "IPAPMincho"},
      {"Courier New", "IPAGothic"},     {"Lucida Console", "IPAGothic"}, {"Arial", "IPAPGothic"},
      {"", "IPAPGothic"},               {"no such face", "IPAPGothic"}, {"TestFont", "TestFont"},
  };
  for (const Case& c : cases) EXPECT_EQ(text::MapFaceName(c.name), c.family) << c.name;
}

TEST(FontFace, TheTestFaceIsTheSameInBothRenderings) {
  auto face = text::OpenFace(text::kTestFaceName, 16, 0);
  ASSERT_TRUE(face->BuiltIn());
  EXPECT_EQ(face->Advance('A'), 8);
  EXPECT_EQ(face->Advance(0x6F22), 16);
  EXPECT_EQ(face->Measure("Aあ \x82", 5), 8 + 16 + 8);
  Collect mono, coverage;
  face->Draw("A漢", 3, 0, 0, text::Rendering::Mono, mono);
  face->Draw("A漢", 3, 0, 0, text::Rendering::Coverage, coverage);
  ASSERT_EQ(mono.pixels.size(), coverage.pixels.size());
  for (size_t i = 0; i < mono.pixels.size(); ++i) {
    EXPECT_EQ(mono.pixels[i].coverage, 255);
    EXPECT_EQ(mono.pixels[i].x, coverage.pixels[i].x);
    EXPECT_EQ(mono.pixels[i].y, coverage.pixels[i].y);
  }
}

TEST(FontFace, IpaGothicGlyphsSitInsideTheirCells) {
  for (int height : {9, 16, 30}) {
    SCOPED_TRACE(height);
    auto face = text::OpenFace("ＭＳ ゴシック", height, 0);
    ASSERT_EQ(face->Family(), "IPAGothic") << "fonts-ipafont-gothic is installed by scripts/setup.sh";
    EXPECT_EQ(face->CellHeight(), height);
    // The em is the cell height without the face's leading: full width one em, half width half of it.
    const int full = face->Advance(0x6F22);
    EXPECT_LE(full, height);
    EXPECT_GE(full, height * 8 / 10);
    EXPECT_NEAR(face->Advance('a'), full / 2.0, 1.0);
    EXPECT_GT(face->Baseline(), height / 2);
    EXPECT_LE(face->Baseline(), height);
    for (const char* ch : {"あ", "漢", "Ａ", "a"}) {
      SCOPED_TRACE(ch);
      for (auto rendering : {text::Rendering::Mono, text::Rendering::Coverage}) {
        Collect c;
        int advance = face->Draw(ch, std::char_traits<char>::length(ch), 0, 0, rendering, c);
        EXPECT_FALSE(c.pixels.empty());
        for (const auto& p : c.pixels) {
          EXPECT_GE(p.x, 0);
          EXPECT_LT(p.x, advance);
          EXPECT_GE(p.y, 0);
          EXPECT_LT(p.y, height);
          if (rendering == text::Rendering::Mono) {
            EXPECT_EQ(p.coverage, 255);
          }
        }
      }
    }
  }
  // A width scales the face horizontally to that average character width.
  auto narrow = text::OpenFace("ＭＳ ゴシック", 16, 4), wide = text::OpenFace("ＭＳ ゴシック", 16, 16);
  EXPECT_LT(narrow->Advance(0x6F22), wide->Advance(0x6F22));
  EXPECT_EQ(narrow->CellHeight(), 16);
}

class FontFallback : public TempDirTest {};

TEST_F(FontFallback, WithoutAnyFontTheBuiltInFaceStandsIn) {
  const char* old = std::getenv("FONTCONFIG_FILE");
  std::string saved = old ? old : "";
  std::string conf = dir_ + "/empty-fonts.conf";
  std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                         "<fontconfig><cachedir>" << dir_ << "/cache</cachedir></fontconfig>\n";
  setenv("FONTCONFIG_FILE", conf.c_str(), 1);
  text::test::ReloadFonts();
  auto face = text::OpenFace("ＭＳ ゴシック", 16, 0);
  EXPECT_TRUE(face->BuiltIn());
  EXPECT_EQ(face->Advance('A'), 8);
  std::string notice = text::TakeMissingFaceNotice();
  EXPECT_NE(notice.find("fonts-ipafont-gothic"), std::string::npos) << notice;
  EXPECT_EQ(text::TakeMissingFaceNotice(), "");
  text::OpenFace("ＭＳ ゴシック", 20, 0);
  EXPECT_EQ(text::TakeMissingFaceNotice(), "");  // once per family
  if (old) {
    setenv("FONTCONFIG_FILE", saved.c_str(), 1);
  } else {
    unsetenv("FONTCONFIG_FILE");
  }
  text::test::ReloadFonts();
  EXPECT_FALSE(text::OpenFace("ＭＳ ゴシック", 16, 0)->BuiltIn());
}
