#include <cstring>

#include "draw_fixture.h"
#include "gamedata/cmdwindow.h"
#include "gamedata/panel.h"
#include "gamedata/systemdata.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/present.h"
#include "platform/text/fontface.h"

namespace {
using Rows = std::vector<std::string>;

struct Route {
  const char* name;
  int backEnd;
  int depth;
  bool renderTarget;  // Direct3D: drawn directly; otherwise through the font's work surface
  int cache;
};
void PrintTo(const Route& r, std::ostream* os) { *os << r.name; }

const Route kRoutes[] = {
    {"D3D32_Direct", 1, 32, true, 0},  {"D3D32_Direct_Cache", 1, 32, true, 1},
    {"D3D32_Work", 1, 32, false, 0},   {"D3D32_Work_Cache", 1, 32, false, 1},
    {"D3D16_Direct", 1, 16, true, 0},  {"D3D16_Work_Cache", 1, 16, false, 1},
    {"DD32", 0, 32, true, 0},          {"DD32_Cache", 0, 32, true, 1},
    {"DD16", 0, 16, true, 0},          {"DD16_Cache", 0, 16, true, 1},
    {"DD8", 0, 8, true, 0},            {"DD8_Cache", 0, 8, true, 1},
};

class FontTest : public DrawTest {
 protected:
  void TearDown() override {
    for (Font* f : {&font_, &other_}) ReleaseFontObject(f);
    for (DDSURFACEDATA* sd : {&dst_, &icons_, &frame_}) DDReleaseSurface(sd);
    DrawTest::TearDown();
  }

  // The test face at cell height 16, pitch 16, line height 16, in white.
  BOOL Make(Font& f, int cache, int pitch = 16, const char* face = text::kTestFaceName, DDSURFACEDATA* icon = nullptr,
            DDSURFACEDATA* frame = nullptr) {
    return f.Create(face, 0, 16, pitch, 16, IndexOf('W'), frame, 1, IndexOf('R'), icon, cache);
  }

  void Destination(bool renderTarget, int w = 64, int h = 48) {
    DDReleaseSurface(&dst_);
    if (renderTarget)
      ASSERT_TRUE(DDCreateSurface(&dst_, w, h, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    else
      ASSERT_TRUE(DDCreateSurface(&dst_, w, h, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    DDFillSurfaceColour(&dst_, 'N');
  }

  // An icon strip of 26 cells of 16 x 16: cell k in the colour "RGBYC"[k % 5].
  void IconStrip() {
    std::string row;
    for (int k = 0; k < 26; ++k) row += std::string(16, "RGBYC"[k % 5]);
    LoadPicture(&icons_, "icons.bmp", Rows(16, row), 1);
  }

  // The test face's glyph outline: a box of w x h at (x, y) in the text colour, nothing just before it.
  static ::testing::AssertionResult BoxAt(const Rows& g, int x, int y, int w, int h) {
    auto at = [&](int px, int py) { return py >= 0 && py < int(g.size()) && px >= 0 && px < int(g[0].size()) ? g[py][px] : 'N'; };
    for (int i = 0; i < w; ++i)
      if (at(x + i, y) != 'W' || at(x + i, y + h - 1) != 'W')
        return ::testing::AssertionFailure() << "no box edge at column " << x + i;
    for (int j = 0; j < h; ++j)
      if (at(x, y + j) != 'W' || at(x + w - 1, y + j) != 'W')
        return ::testing::AssertionFailure() << "no box edge at row " << y + j;
    if (at(x - 1, y) == 'W' || at(x, y - 1) == 'W' || at(x + w, y) == 'W' || at(x, y + h) == 'W')
      return ::testing::AssertionFailure() << "the box is not at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
  }
  static bool Blank(const Rows& g, int x, int y, int w, int h) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i)
        if (g[j][i] != 'N') return false;
    return true;
  }
  using DrawTest::Blank;

  Font font_, other_;
  DDSURFACEDATA dst_, icons_, frame_;
};

class FontRoutes : public FontTest, public ::testing::WithParamInterface<Route> {};
std::string RouteName(const ::testing::TestParamInfo<Route>& info) { return info.param.name; }

}  // namespace

TEST_P(FontRoutes, FixedPitchLayout) {
  const Route& r = GetParam();
  StartMode({r.name, r.backEnd, r.depth});
  IconStrip();
  ASSERT_TRUE(Make(font_, r.cache, 16, text::kTestFaceName, &icons_));
  ASSERT_EQ(font_.Cached(), r.cache != 0);
  Destination(r.renderTarget);
  struct Case {
    const char* text;
    int x, y;  // where the glyph box after the first cell lands
    bool firstCellBlank;
  } cases[] = {
      {" A", 18, 0, true},
      {"　A", 18, 0, true},
      {"あA", 18, 0, false},  // a double-byte character advances one pitch
      {"\x82\nA", 2, 16, false},  // a lead byte before a line feed is a single byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DDFillSurfaceColour(&dst_, 'N');
    EXPECT_EQ(font_.DrawText(&dst_, 0, 0, c.text), 1);
    Rows g = Grid(&dst_);
    EXPECT_TRUE(BoxAt(g, c.x, c.y, 7, 15));
    if (c.firstCellBlank) {
      EXPECT_TRUE(Blank(g, 0, 0, 16, 16));
    }
  }
  // Two lines; a double-byte glyph sits at its cell's corner, a single byte 2 pixels in.
  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawText(&dst_, 4, 2, "A\nあ");
  Rows g = Grid(&dst_);
  EXPECT_TRUE(BoxAt(g, 6, 2, 7, 15));
  EXPECT_TRUE(BoxAt(g, 4, 18, 15, 15));
  // The empty text draws nothing; a lone lead byte at the end does no harm.
  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawText(&dst_, 0, 0, "");
  EXPECT_TRUE(Blank(Grid(&dst_), 0, 0, 64, 48));
  font_.DrawText(&dst_, 0, 0, "A\x82");
  EXPECT_TRUE(BoxAt(Grid(&dst_), 2, 0, 7, 15));

  // Icon letters: the strip's cells in place of a to z; off, the letters themselves.
  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawText(&dst_, 0, 0, "abcA");
  g = Grid(&dst_);
  EXPECT_EQ(std::string() + g[8][8] + g[8][24] + g[8][40], "RGB");
  EXPECT_TRUE(BoxAt(g, 50, 0, 7, 15));
  font_.m_bIcon = 0;
  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawText(&dst_, 0, 0, "abc");
  g = Grid(&dst_);
  EXPECT_EQ(std::string() + g[8][12] + g[8][28], "NN");  // no icon cells
  EXPECT_EQ(g[0][2], 'W');
  EXPECT_EQ(g[0][34], 'W');
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontRoutes, ::testing::ValuesIn(kRoutes), RouteName);

TEST_F(FontTest, PlainPanelTextsDrawTheirLettersWithTheIconsOn) {
  StartMode(kDrawModes[0]);
  IconStrip();
  ASSERT_TRUE(Make(font_, 0, 16, text::kTestFaceName, &icons_));
  Destination(true);
  cPanelLayout layout;
  layout.m_vText = {{0, 0, "ab", true}, {0, 16, "ab", false}};
  DrawPanelLayout(&dst_, layout, font_, &icons_);
  const Rows g = Grid(&dst_);
  EXPECT_EQ(std::string() + g[8][12] + g[8][28], "NN") << "a name: no icon cells";
  EXPECT_EQ(g[0][2], 'W');
  EXPECT_EQ(std::string() + g[24][8] + g[24][24], "RG") << "other texts keep the icons";
  EXPECT_EQ(font_.m_bIcon, 1);
}

TEST_F(FontTest, CentringBracketsAndProportionalText) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[2]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    Destination(true);
    ASSERT_TRUE(Make(font_, 0));
    font_.m_bCenter = 1;
    font_.DrawText(&dst_, 0, 0, "AB");  // each character measured on its own
    Rows g = Grid(&dst_);
    EXPECT_TRUE(BoxAt(g, 4, 0, 7, 15));
    EXPECT_TRUE(BoxAt(g, 20, 0, 7, 15));
    ReleaseFontObject(&font_);

    // Pitch 0 lays lines out by the face's advances; a cache switch there draws through the font.
    ASSERT_TRUE(Make(font_, 1, 0));
    EXPECT_FALSE(font_.Cached());
    EXPECT_TRUE(Has(DebugLines(), "※フォントクラスで文字間が未設定！"));
    DDFillSurfaceColour(&dst_, 'N');
    font_.DrawText(&dst_, 0, 0, "AB\nC");
    g = Grid(&dst_);
    EXPECT_TRUE(BoxAt(g, 0, 0, 7, 15));
    EXPECT_TRUE(BoxAt(g, 8, 0, 7, 15));
    EXPECT_TRUE(BoxAt(g, 0, 16, 7, 15));
    int size[2];
    font_.Measure(size, "AB\nC");
    EXPECT_EQ(size[0], 16);
    EXPECT_EQ(size[1], 32);
    ReleaseFontObject(&font_);
    DDReleaseSurface(&dst_);
    DDRelease();
  }
}

TEST_F(FontTest, Measures) {
  StartMode(kDrawModes[0]);
  ASSERT_TRUE(Make(font_, 0, 10));
  struct Case {
    const char* text;
    int w, h;
  } cases[] = {{"", 0, 16}, {"AB\n", 20, 32}, {"あいA\nB", 30, 32}, {"\n\n", 0, 48}};
  for (const Case& c : cases) {
    int size[2];
    font_.MeasureText(size, c.text);
    EXPECT_EQ(size[0], c.w) << c.text;
    EXPECT_EQ(size[1], c.h) << c.text;
  }
  // A line of 600 bytes measures all its characters.
  std::string longLine(600, 'x');
  int size[2];
  font_.MeasureText(size, longLine.c_str());
  EXPECT_EQ(size[0], 6000);
  EXPECT_EQ(LineLength("ab\ncd"), 2);
  EXPECT_EQ(LineLength("abc"), 3);
}

TEST_F(FontTest, CacheOnAndOffAndBothBackEndsGiveTheSamePixels) {
  const char* text = "Hi あい漢字\n(x) ｱｲ 0123";
  Rows frames[2];
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[2]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    ASSERT_TRUE(Make(font_, 0));
    ASSERT_TRUE(Make(other_, 1));
    Destination(true, 200, 40);
    font_.DrawText(&dst_, 3, 5, text);
    Rows without = Grid(&dst_);
    DDFillSurfaceColour(&dst_, 'N');
    other_.DrawText(&dst_, 3, 5, text);
    EXPECT_EQ(Grid(&dst_), without);
    DDFillSurfaceColour(&BackBuffer, 'N');
    other_.DrawText(&BackBuffer, 3, 5, text);
    frames[mode.backEnd] = Grid(&BackBuffer, 0, 0, 200, 40);
    ReleaseFontObject(&font_);
    ReleaseFontObject(&other_);
    DDReleaseSurface(&dst_);
    DDRelease();
  }
  EXPECT_EQ(frames[0], frames[1]);
}

TEST_F(FontTest, GlyphSheets) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[2]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    ASSERT_TRUE(Make(font_, 1));
    FastFont& full = *font_.m_lpFastFont_FullAdd;
    FastFont& half = *font_.m_lpFastFont_Half;
    const int capacity = mode.backEnd ? 1024 : 960;
    EXPECT_EQ(full.m_nCapacity, capacity);
    EXPECT_EQ(full.m_nColumns, 32);
    EXPECT_EQ(half.m_nCapacity, 256);
    // Glyph i of the fixed list in cell i.
    ASSERT_EQ(full.m_nCount, 258);
    for (int i : {0, 31, 32, 257}) {
      EXPECT_EQ(std::string(full.m_GlyphList[i].szChar), std::string(DDFixedFullWidthChars + 2 * i, 2));
      EXPECT_EQ(full.m_GlyphList[i].nX, (i % 32) * 16);
      EXPECT_EQ(full.m_GlyphList[i].nY, (i / 32) * 16);
    }
    Rows sheet = Grid(&full.m_Sheet, 0, 0, 64, 32);
    EXPECT_TRUE(BoxAt(sheet, 0, 0, 15, 15));
    EXPECT_TRUE(BoxAt(sheet, 16, 0, 15, 15));
    // Byte n in cell n of the single-byte sheet: 'A' (0x41) in row 4, column 1; katakana too.
    EXPECT_TRUE(BoxAt(Grid(&half.m_Sheet, 0, 0, 256, 256), 16 + 2, 64, 7, 15));
    EXPECT_TRUE(BoxAt(Grid(&half.m_Sheet, 0, 0, 256, 256), 16 + 2, 0xB0, 7, 15));

    // A new character is appended at the count and drawn from its cell.
    Destination(true);
    font_.DrawText(&dst_, 0, 0, "漢");
    ASSERT_EQ(full.m_nCount, 259);
    EXPECT_EQ(std::string(full.m_GlyphList.back().szChar), "漢");
    EXPECT_TRUE(BoxAt(Grid(&dst_), 0, 0, 15, 15));
    EXPECT_TRUE(BoxAt(Grid(&full.m_Sheet, 0, 0, 512, 160), (258 % 32) * 16, (258 / 32) * 16, 15, 15));

    // Fill the sheet with kanji not yet in it.
    std::string filler;
    for (int lead = 0x8B; full.m_nCount + SjisCharCount(filler) < capacity; ++lead)
      for (int trail = 0x40; trail <= 0xFC && full.m_nCount + SjisCharCount(filler) < capacity; ++trail)
        if (trail != 0x7F) filler += {static_cast<char>(lead), static_cast<char>(trail)};
    font_.DrawText(&dst_, 0, 0, filler.c_str());
    ASSERT_EQ(full.m_nCount, capacity);
    Rows before = Grid(&full.m_Sheet);
    // Full: a new character is drawn through the font on every use, the sheet stays as it was.
    for (int i = 0; i < 2; ++i) {
      DDFillSurfaceColour(&dst_, 'N');
      EXPECT_EQ(full.AddChar("\x88\x9F"), 0);
      font_.DrawText(&dst_, 0, 0, "\x88\x9F");
      EXPECT_TRUE(BoxAt(Grid(&dst_), 0, 0, 15, 15));
    }
    EXPECT_EQ(full.m_nCount, capacity);
    EXPECT_EQ(Grid(&full.m_Sheet), before);
    ReleaseFontObject(&font_);
    DDReleaseSurface(&dst_);
    DDRelease();
  }
}

TEST_F(FontTest, TextColourAtSixteenAndEightBits) {
  // 16 bits: the text pixels hold the palette entry's own channel values.
  StartMode(kDrawModes[3]);
  const int colour = 40;
  ASSERT_TRUE(font_.Create(text::kTestFaceName, 0, 16, 16, 16, colour, nullptr, 0, 0, nullptr, 0));
  Destination(true);
  font_.DrawText(&dst_, 0, 0, "A");
  {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&dst_));
    EXPECT_EQ(lock.Get(2, 0), DDPalToRGB16(DDPalette[colour]));
  }
  ReleaseFontObject(&font_);
  DDReleaseSurface(&dst_);
  DDRelease();

  // 8 bits: a new glyph lands as index m_nColorNo while the screen shows another colour there.
  StartMode(kDrawModes[4]);
  for (int i = 0; i < 256; ++i) DDWorkPalette[i] = DDPalette[i];
  DDWorkPalette[colour] = PALETTEENTRY{1, 2, 3, 0};
  lpDDPal->SetEntries(0, 0, 256, DDWorkPalette);
  ASSERT_TRUE(font_.Create(text::kTestFaceName, 0, 16, 16, 16, colour, nullptr, 0, 0, nullptr, 1));
  Destination(true);
  font_.DrawText(&dst_, 0, 0, "漢");
  const FASTFONTGLYPH& g = font_.m_lpFastFont_FullAdd->m_GlyphList.back();
  {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&font_.m_lpFastFont_FullAdd->m_Sheet));
    EXPECT_EQ(lock.Get(g.nX, g.nY), static_cast<uint32_t>(colour));
  }
  PALETTEENTRY shown[256];
  lpDDPal->GetEntries(0, 0, 256, shown);
  EXPECT_EQ(shown[colour].peRed, 1);  // given back
}

TEST_F(FontTest, BoxesCommandWindowsAndTextBoxes) {
  StartMode(kDrawModes[0]);
  LoadPicture(&frame_, "frame.bmp", Rows(48, std::string(96, 'C')), 1);
  ASSERT_TRUE(Make(font_, 0, 16, text::kTestFaceName, nullptr, &frame_));
  Destination(true, 120, 60);
  font_.DrawWindow(&dst_, 10000, 4, 20, 10);  // centred on the frame surface: (96 - 20) / 2
  Rows g = Grid(&dst_);
  EXPECT_EQ(g[4].substr(37, 22), "RCCCCCCCCCCCCCCCCCCCCR");
  EXPECT_EQ(g[3][38], 'R');
  EXPECT_EQ(g[5][36], 'N');

  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawTextBox(&dst_, 10, 10, 0, 0, "AB\nC", 4);  // 4 + 32 wide, 32 high
  g = Grid(&dst_);
  EXPECT_EQ(g[9].substr(9, 38), std::string(38, 'R'));
  EXPECT_EQ(g[42][9], 'R');
  EXPECT_EQ(g[41][10], 'C');
  EXPECT_TRUE(BoxAt(g, 16, 10, 7, 15));  // the text at x + margin
  DDFillSurfaceColour(&dst_, 'N');
  font_.PrintfBox(&dst_, 10, 10, 0, 0, "%d%%", 7);
  g = Grid(&dst_);
  EXPECT_EQ(g[9].substr(9, 34), std::string(34, 'R'));  // "7%": two cells, margin 0
  EXPECT_TRUE(BoxAt(g, 12, 10, 7, 15));
  ReleaseFontObject(&font_);
  DDReleaseSurface(&dst_);

  // The game's command windows and text boxes in font 1.
  ASSERT_TRUE(Make(g_Font[1], 0, 16, text::kTestFaceName, nullptr, &frame_));
  cCmdList list;
  list.resize(3);
  list.At(0).m_strLabel = "ab";
  list.At(1).m_bEnable = 0;
  list.At(1).m_strLabel = "xxxxxxx";
  list.At(2).m_strLabel = "abcde";
  Destination(true, 120, 60);
  DrawCmdWindow(&dst_, 8, 8, list);  // 96 x 32, labels at x + 16
  g = Grid(&dst_);
  EXPECT_EQ(g[7].substr(7, 98), std::string(98, 'R'));
  EXPECT_EQ(g[40][7], 'R');
  EXPECT_TRUE(BoxAt(g, 8 + 16 + 2, 8, 7, 15));
  EXPECT_TRUE(BoxAt(g, 8 + 16 + 2, 24, 7, 15));
  EXPECT_EQ(g[8][8 + 2], 'C');  // the cursor column stays free
  DDFillSurfaceColour(&dst_, 'N');
  for (auto& cmd : list) cmd.m_strLabel.clear();
  DrawCmdWindow(&dst_, 8, 8, list);
  EXPECT_TRUE(Blank(Grid(&dst_), 0, 0, 120, 60));

  // Text boxes always draw on BackBuffer; a '%' in a text is drawn as itself.
  if (g_SystemData.m_vText.Size() < 12) g_SystemData.m_vText.resize(12);
  g_SystemData.m_vText.At(10) = "%s%n";
  g_SystemData.m_vText.At(11) = "A";
  DDFillSurfaceColour(&BackBuffer, 'N');
  DrawTextBox(20, 20, 10, 2, 1);  // (4 + 1) x 16 wide
  g = Grid(&BackBuffer, 0, 0, 120, 60);
  EXPECT_EQ(g[19].substr(19, 82), std::string(82, 'R'));
  EXPECT_TRUE(BoxAt(g, 20 + 16 + 2, 20, 7, 15));  // after the cursor blank
  EXPECT_TRUE(BoxAt(g, 20 + 16 + 2, 36, 7, 15));
  DDFillSurfaceColour(&BackBuffer, 'N');
  DrawTextBox(20, 20, 11, 1, 0);
  EXPECT_TRUE(BoxAt(Grid(&BackBuffer, 0, 0, 120, 60), 22, 20, 7, 15));
  ReleaseFontObject(&g_Font[1]);
}

TEST_F(FontTest, SheetsComeBackAfterALoss) {
  // Direct3D: a lost device; the recovery takes every font through its lost and reset steps.
  StartMode(kDrawModes[0]);
  const size_t listed = DDSurfaceList.size();
  ASSERT_TRUE(Make(font_, 1));
  Destination(true);
  font_.DrawText(&dst_, 0, 0, "漢字");
  Rows half = Grid(&font_.m_lpFastFont_Half->m_Sheet), full = Grid(&font_.m_lpFastFont_FullAdd->m_Sheet);
  video::test::LoseDevice();
  video::test::AllowDeviceReset();
  ASSERT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(Grid(&font_.m_lpFastFont_Half->m_Sheet), half);
  EXPECT_EQ(Grid(&font_.m_lpFastFont_FullAdd->m_Sheet), full);  // the grown glyphs in their cells
  EXPECT_EQ(font_.m_lpFastFont_FullAdd->m_Sheet.bLost, 0);
  DDFillSurfaceColour(&dst_, 'N');
  font_.DrawText(&dst_, 0, 0, "A字");
  Rows g = Grid(&dst_);
  EXPECT_TRUE(BoxAt(g, 2, 0, 7, 15));
  EXPECT_TRUE(BoxAt(g, 16, 0, 15, 15));
  // Digit strips, redrawn on demand.
  DDSURFACEDATA digits[1];
  DDBITMAPDATA records[1];
  records[0].bColorKey = 1;
  DDFONTDATA data[1] = {};
  data[0].nCharPitch = 16;
  data[0].nLineHeight = 16;
  EXPECT_EQ(DDCreateDigitSurfaces(digits, records, 1, &font_, data), 1);
  EXPECT_EQ(digits[0].nWidth, 160);
  for (int d = 0; d < 10; ++d) EXPECT_TRUE(BoxAt(Grid(&digits[0]), d * 16 + 2, 0, 7, 15)) << d;
  DDFillSurfaceColour(&digits[0], 'N');
  DDRenderDigits(&digits[0], &font_);
  EXPECT_TRUE(BoxAt(Grid(&digits[0]), 9 * 16 + 2, 0, 7, 15));
  DDReleaseSurface(&digits[0]);
  DDReleaseSurface(&dst_);
  ReleaseFontObject(&font_);
  EXPECT_EQ(DDSurfaceList.size(), listed);
  EXPECT_EQ(DDRestoreSurface(), 1);  // a released font is skipped
  DDRelease();

  // DirectDraw: lost surfaces, and the sheets drawn again.
  StartMode(kDrawModes[2]);
  ASSERT_TRUE(Make(font_, 1));
  Destination(true);
  font_.DrawText(&dst_, 0, 0, "漢");
  full = Grid(&font_.m_lpFastFont_FullAdd->m_Sheet);
  video::test::LoseSurfaces();
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(Grid(&font_.m_lpFastFont_FullAdd->m_Sheet), full);
}

TEST_F(FontTest, FontsThatCannotDrawFailCleanly) {
  // Direct3D without a D3DX font: nothing is drawn and start-up is told.
  StartMode(kDrawModes[0]);
  video::test::FailD3DXCreateFont(true);
  DDFONTDATA data[1] = {};
  std::strcpy(data[0].szFaceName, text::kTestFaceName);
  data[0].nCharHeight = data[0].nCharPitch = data[0].nLineHeight = 16;
  data[0].bFastFont = 1;
  EXPECT_EQ(DDCreateFonts(&font_, data, 1), 0);
  video::test::FailD3DXCreateFont(false);
  bool reported = false;
  for (const std::string& line : ReportLines()) reported |= line.rfind("DDCreateFonts", 0) == 0;
  EXPECT_TRUE(reported);
  Destination(true);
  EXPECT_EQ(font_.DrawText(&dst_, 0, 0, "A漢"), 0);
  EXPECT_EQ(font_.Printf(&dst_, 0, 0, "%d", 1), 0);
  EXPECT_TRUE(Blank(Grid(&dst_), 0, 0, 64, 48));
  ReleaseFontObject(&font_);
  DDReleaseSurface(&dst_);
  DDRelease();

  // DirectDraw without a work surface: a debug line, WM_CLOSE, and the font left unlisted.
  StartMode(kDrawModes[2]);
  int width = BackBuffer.nWidth;
  BackBuffer.nWidth = 0;
  EXPECT_FALSE(Make(other_, 1));
  BackBuffer.nWidth = width;
  EXPECT_TRUE(Has(DebugLines(), "DDCreateSurface Font::Work"));
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  EXPECT_TRUE(std::find(DDFontList.begin(), DDFontList.end(), &other_) == DDFontList.end());
  EXPECT_EQ(other_.DrawText(&BackBuffer, 0, 0, "A"), 0);

  // Formatted boxes are cut at 511 bytes without splitting a character: "xx" and 254 of 300 "あ".
  ASSERT_TRUE(font_.Create(text::kTestFaceName, 0, 16, 1, 16, IndexOf('W'), &BackBuffer, 1, IndexOf('R'), nullptr, 0));
  std::string kana;
  for (int i = 0; i < 300; ++i) kana += "あ";
  DDFillSurfaceColour(&BackBuffer, 'N');
  font_.PrintfBox(&BackBuffer, 10, 100, 0, 0, "xx%s", kana.c_str());
  Rows g = Grid(&BackBuffer, 0, 99, 640, 1);
  EXPECT_EQ(g[0].find_last_of('R'), 10u + 256u);  // 256 characters one pixel each, then the frame
  // A destroyed font leaves the list.
  const size_t listed = DDFontList.size();
  {
    Font temporary;
    ASSERT_TRUE(Make(temporary, 0));
    EXPECT_FALSE(std::find(DDFontList.begin(), DDFontList.end(), &temporary) == DDFontList.end());
    EXPECT_EQ(DDFontList.size(), listed + 1);
  }
  EXPECT_EQ(DDFontList.size(), listed);
}

TEST_F(FontTest, BracketsShiftOnlyUnderTheGamesProportionalGothicName) {
  StartMode(kDrawModes[0]);
  Destination(true, 64, 20);
  auto leftmost = [&](const char* face, const char* text, int centre) {
    Font f;
    EXPECT_TRUE(f.Create(face, 0, 16, 16, 16, IndexOf('W'), nullptr, 0, 0, nullptr, 0));
    f.m_bCenter = centre;
    DDFillSurfaceColour(&dst_, 'N');
    f.DrawText(&dst_, 8, 0, text);
    ReleaseFontObject(&f);
    Rows g = Grid(&dst_);
    size_t best = std::string::npos;
    for (const std::string& row : g) best = std::min(best, row.find_first_not_of('N'));
    return static_cast<int>(best);
  };
  // Both names map to the same proportional Gothic face; only the game's own name shifts.
  for (const char* text : {"（", "）", "{", ")"}) {
    SCOPED_TRACE(text);
    int plain = leftmost("HGPｺﾞｼｯｸM", text, 0);
    ASSERT_NE(plain, -1);
    EXPECT_EQ(leftmost("ＭＳ Ｐゴシック", text, 0), plain + 4);
    EXPECT_EQ(leftmost("ＭＳ Ｐゴシック", text, 1), leftmost("HGPｺﾞｼｯｸM", text, 1));
  }
  EXPECT_EQ(leftmost("ＭＳ Ｐゴシック", "A", 0), leftmost("HGPｺﾞｼｯｸM", "A", 0));
}

TEST_F(FontTest, TheMessageFontMeasuresOnTheWindowAsItDraws) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[2]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    ASSERT_TRUE(font_.Create("ＭＳ ゴシック", 0, 16, 0, 16, IndexOf('W'), nullptr, 0, 0, nullptr, 0));
    HDC dc = GetDC(hwnd_);
    ASSERT_NE(dc, nullptr);
    HGDIOBJ old = SelectObject(dc, font_.m_hFont);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "漢字Aa", 6, &size));
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    EXPECT_EQ(size.cy, 16);
    int measured[2];
    font_.Measure(measured, "漢字Aa");
    EXPECT_EQ(measured[0], size.cx);
    // The drawn text ends inside that width, and the drawing writes nothing but the text colour.
    Destination(true, 80, 20);
    font_.DrawText(&dst_, 0, 0, "漢字Aa");
    Rows g = Grid(&dst_);
    int right = -1;
    for (const std::string& row : g) {
      for (int x = 0; x < 80; ++x) {
        if (row[x] == 'N') continue;
        right = std::max(right, x);
        if (!lpDTCon) {
          EXPECT_EQ(row[x], 'W');
        }
      }
    }
    EXPECT_GT(right, size.cx / 2);
    EXPECT_LT(right, size.cx);
    ReleaseFontObject(&font_);
    DDReleaseSurface(&dst_);
    DDRelease();
  }
}
