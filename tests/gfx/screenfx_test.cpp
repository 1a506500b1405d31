#include <cmath>
#include <numbers>

#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/effect.h"
#include "gfx/screenfx.h"

namespace {
using Rows = std::vector<std::string>;
class ScreenFxModes : public DrawModeTest {};
int Weight(double degrees) { return static_cast<int>(std::sin(degrees * std::numbers::pi / 180.0) * 256); }
}  // namespace

TEST_P(ScreenFxModes, NumbersFromADigitStrip) {
  StartMode(GetParam());
  // Digit d is a two-pixel cell of its own pair of colours.
  DDSURFACEDATA strip, dst;
  LoadPicture(&strip, "digits.bmp", {"RRRGRBGRGGGBBRBGBBWW"}, 1);
  Blank(&dst, 12, 1, 'Y');
  struct Case {
    int value, n, centre;
    const char* row;
  } cases[] = {
      {7, 3, 0, "YYYYBGYYYYYY"},      // right-aligned in three cells
      {7, 3, 1, "YYBGYYYYYYYY"},      // centred
      {12345, 3, 0, "RGRBGRGGGBYY"},  // overflowing to the right
      {-7, 3, 0, "YYYYBGYYYYYY"},     // the digits of the absolute value, never cells before the strip
      {0, 1, 0, "RRYYYYYYYYYY"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    DDFillSurfaceColour(&dst, 'Y');
    DDDrawNumber(&dst, 0, 0, 2, 1, &strip, 0, 0, 1, c.value, c.n, c.centre, 99);
    EXPECT_EQ(Grid(&dst), (Rows{c.row}));
  }
  DDReleaseSurface(&dst);
  DDReleaseSurface(&strip);
}

TEST_P(ScreenFxModes, WavesCombsSplitsAndTurns) {
  StartMode(GetParam());
  DDSURFACEDATA src, dst;
  LoadPicture(&src, "rows.bmp", {"RRRR", "GGGG", "BBBB", "WWWW"}, 1);
  Blank(&dst, 8, 4, 'Y');
  // A quarter turn per row: shifts 2, 0, -2, 0.
  DDWaveBlt(&dst, 2, 0, 4, 4, 1, 2.0, 0.0, 1, &src, 0, 0, 1, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYRRRR", "YYGGGGYY", "BBBBYYYY", "YYWWWWYY"}));
  // Bands of three: the first band at three quarters, the cut last band at a whole turn.
  DDFillSurfaceColour(&dst, 'Y');
  DDWaveBlt(&dst, 2, 0, 4, 4, 1, 2.0, 0.0, 3, &src, 0, 0, 1, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"RRRRYYYY", "GGGGYYYY", "BBBBYYYY", "YYWWWWYY"}));
  // Columns shift vertically; no lines or no thickness draw nothing.
  DDFillSurfaceColour(&dst, 'Y');
  DDWaveBlt(&dst, 0, 0, 0, 4, 1, 2.0, 0.0, 1, &src, 0, 0, 1, 0);
  DDWaveBlt(&dst, 0, 0, 4, 4, 1, 2.0, 0.0, 0, &src, 0, 0, 1, 1);
  DDWaveBlt(&dst, 0, 0, 4, 4, 1, 2.0, 0.0, 1, &src, 0, 0, 1, 1);
  EXPECT_EQ(Grid(&dst), (Rows{"YRBRYYYY", "YGWGYYYY", "RBYBYYYY", "GWYWYYYY"}));

  // Split: the quarters pushed outward by one.
  DDSURFACEDATA quarters, big;
  LoadPicture(&quarters, "quarters.bmp", {"RRGG", "RRGG", "BBWW", "BBWW"}, 1);
  Blank(&big, 8, 8, 'Y');
  DDSplitBlt(&big, 2, 2, 4, 4, &quarters, 0, 0, 1, 1);
  EXPECT_EQ(Grid(&big), (Rows{"YYYYYYYY", "YRRYYGGY", "YRRYYGGY", "YYYYYYYY", "YYYYYYYY", "YBBYYWWY", "YBBYYWWY",
                              "YYYYYYYY"}));

  // Comb of columns three wide shifted by one: the tenth column, after the last whole stripe, is not
  // drawn; a stripe width of 0 is a plain blit.
  DDSURFACEDATA bands, comb;
  LoadPicture(&bands, "bands.bmp", {"RRRRRRRRRR", "GGGGGGGGGG", "BBBBBBBBBB"}, 1);
  Blank(&comb, 10, 5, 'Y');
  DDCombBlt(&comb, 0, 1, 10, 3, 3, 1, &bands, 0, 0, 1, 1);
  EXPECT_EQ(Grid(&comb), (Rows{"YYYRRRYYYY", "YYYGGGYYYY", "RRRBBBRRRY", "GGGYYYGGGY", "BBBYYYBBBY"}));
  DDFillSurfaceColour(&comb, 'Y');
  DDCombBlt(&comb, 0, 1, 10, 3, 0, 1, &bands, 0, 0, 1, 1);
  EXPECT_EQ(Grid(&comb)[1], "RRRRRRRRRR");
  DDFillSurfaceColour(&comb, 'Y');
  DDCombBlt(&comb, 0, 0, 4, 4, 2, 1, &bands, 0, 0, 1, 0);  // rows: even right, odd left
  EXPECT_EQ(Grid(&comb, 0, 0, 6, 4), (Rows{"YRRRRY", "YGGGGY", "BBBYYY", "YYYYYY"}));

  // Turning card 64 wide: the face and the inset of each step.
  DDSURFACEDATA front, back, card;
  LoadPicture(&front, "front.bmp", {"R"}, 0);
  LoadPicture(&back, "back.bmp", {"G"}, 0);
  Blank(&card, 64, 1, 'Y');
  struct Turn {
    int step;
    char face;
    int inset;
  } turns[] = {{0, 'R', 0}, {31, 'R', 31}, {32, 'G', 31}, {63, 'G', 0}, {64, 'G', 0}, {96, 'R', 31}};
  for (const Turn& t : turns) {
    SCOPED_TRACE(t.step);
    DDFillSurfaceColour(&card, 'Y');
    DDTurnBlt(&card, 0, 0, 64, 1, &front, 0, 0, &back, 0, 0, 1, 1, 0, t.step, 0);
    std::string row = Grid(&card)[0];
    EXPECT_EQ(row, std::string(t.inset, 'Y') + std::string(64 - 2 * t.inset, t.face) + std::string(t.inset, 'Y'));
  }
  DDFillSurfaceColour(&card, 'Y');
  DDTurnBlt(&card, 0, 0, 64, 1, &front, 0, 0, &back, 0, 0, 1, 1, 0, 5, 2);  // no such direction
  EXPECT_EQ(Grid(&card)[0], std::string(64, 'Y'));
  DDTurnBlt(&card, 3, 0, 1, 1, &front, 0, 0, &back, 0, 0, 1, 1, 0, 5, 0);  // one pixel wide: the front
  EXPECT_EQ(Grid(&card)[0].substr(2, 3), "YRY");
  for (DDSURFACEDATA* sd : {&card, &back, &front, &comb, &bands, &big, &quarters, &dst, &src}) DDReleaseSurface(sd);
}

TEST_P(ScreenFxModes, FramedBoxes) {
  StartMode(GetParam());
  DDSURFACEDATA frame, dst;
  LoadPicture(&frame, "frame.bmp", {"CCCCCC", "CWCCCC", "CCCCCC"}, 1);
  Blank(&dst, 7, 6, 'Y');
  DDBltWithFrame(&dst, 2, 2, 3, 2, &frame, 1, static_cast<DWORD>(IndexOf('R')));
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYYY", "YRRRRRY", "YRCCCRY", "YRCWCRY", "YRRRRRY", "YYYYYYY"}));
  DDFillSurfaceColour(&dst, 'Y');
  DDDrawFrame(&dst, 0, 0, 6, 5, 2, static_cast<DWORD>(IndexOf('G')));
  EXPECT_EQ(Grid(&dst), (Rows{"GGGGGGY", "GGGGGGY", "GGYYGGY", "GGGGGGY", "GGGGGGY", "YYYYYYY"}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&frame);
}

INSTANTIATE_TEST_SUITE_P(Modes, ScreenFxModes, ::testing::ValuesIn(kDrawModes), DrawModeName);

TEST_F(DrawTest, PaletteBlendAndRotation) {
  PALETTEENTRY src[256], dst[256];
  for (int i = 0; i < 256; ++i) src[i] = dst[i] = PALETTEENTRY{static_cast<BYTE>(i), 200, 0, 0};
  struct Case {
    int weight;
    BYTE red;
  } cases[] = {{0, 100}, {128, (100 * 128 + 128 * 10) >> 8}, {256, 10}};
  for (const Case& c : cases) {
    DDBlendPalette(dst, 10, 12, c.weight, 100, 0, 255, src);
    EXPECT_EQ(dst[10].peRed, c.red) << c.weight;
    EXPECT_EQ(dst[12].peFlags, 1);
    EXPECT_EQ(dst[13].peRed, 13);  // outside the range
  }
  EXPECT_EQ(dst[11].peGreen, 200);
  EXPECT_EQ(dst[11].peBlue, 0);
  // A range reaching outside the palette touches only the palette; first after last does nothing.
  DDBlendPalette(dst, 250, 300, 0, 1, 2, 3, src);
  EXPECT_EQ(dst[255].peRed, 1);
  DDBlendPalette(dst, 5, 4, 0, 1, 2, 3, src);
  EXPECT_EQ(dst[5].peRed, 5);

  DDScreenBpp = 8;
  DDRotatePalette(dst, 1, 4, 1, 0, src);  // up: the last moves to the front
  EXPECT_EQ(std::vector<int>({dst[0].peRed, dst[1].peRed, dst[2].peRed, dst[3].peRed, dst[4].peRed, dst[5].peRed}),
            std::vector<int>({0, 4, 1, 2, 3, 5}));
  DDRotatePalette(dst, 1, 4, 5, 1, src);  // down by 5 mod 4: the first moves to the end
  EXPECT_EQ(std::vector<int>({dst[1].peRed, dst[2].peRed, dst[3].peRed, dst[4].peRed}),
            std::vector<int>({2, 3, 4, 1}));
  DDRotatePalette(dst, -3, 1000, 2, 0, src);
  EXPECT_EQ(dst[0].peRed, 254);
  EXPECT_EQ(dst[255].peRed, 253);
  for (auto& e : dst) e.peRed = 7;
  DDScreenBpp = 24;
  DDRotatePalette(dst, 1, 4, 1, 0, src);
  EXPECT_EQ(dst[0].peRed, 7);  // nothing at 24 bits, not even the copy
  DDScreenBpp = 0;
}

TEST_F(DrawTest, FadesStepThroughTheirAnglesAndComplete) {
  // DirectDraw 8 bits: the work palette blended toward the colour, only entries first..last shown.
  StartMode(kDrawModes[4]);
  PALETTEENTRY work[256];
  for (auto& e : work) e = PALETTEENTRY{1, 1, 1, 0};
  lpDDPal->SetEntries(0, 0, 256, work);
  std::vector<int> results, reds;
  for (int i = 0; i < 4; ++i) {
    results.push_back(DDFadeOut(work, 8, 9, 255, 0, 0, 30.0, DDPalette, 0));
    reds.push_back(work[8].peRed);
  }
  auto blended = [](int weight, int source) { return (255 * (256 - weight) + weight * source) >> 8; };
  int srcRed = DDPalette[8].peRed;
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(reds, (std::vector<int>{blended(Weight(90), srcRed), blended(Weight(60), srcRed),
                                    blended(Weight(30), srcRed), 255}));
  PALETTEENTRY shown[256];
  lpDDPal->GetEntries(0, 0, 256, shown);
  EXPECT_EQ(shown[8].peRed, 255);
  EXPECT_EQ(shown[7].peRed, 1);
  EXPECT_EQ(shown[10].peRed, 1);
  // An abandoned fade-in resumes where it stopped; skip and a step of 0 complete at once.
  EXPECT_EQ(DDFadeIn(work, 8, 8, 0, 0, 0, 45.0, DDPalette, 0), 0);
  EXPECT_EQ(DDFadeIn(work, 8, 8, 0, 0, 0, 45.0, DDPalette, 0), 0);
  EXPECT_EQ(work[8].peRed, (srcRed * Weight(45)) >> 8);
  EXPECT_EQ(DDFadeIn(work, 8, 8, 0, 0, 0, 45.0, DDPalette, 1), 1);
  EXPECT_EQ(work[8].peRed, srcRed);
  EXPECT_EQ(DDFadeOut(work, 8, 8, 0, 0, 0, 0.0, DDPalette, 0), 1);
  EXPECT_EQ(work[8].peRed, 0);
  DDRelease();

  // Direct3D: a black quad whatever the colour; the last frame of a fade-out is black.
  StartMode(kDrawModes[0]);
  DDFillSurfaceColour(&BackBuffer, 'W');
  EXPECT_EQ(DDFadeOut(nullptr, 0, 255, 255, 0, 0, 30.0, nullptr, 0), 0);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 2, 1), (Rows{"WW"}));
  EXPECT_EQ(DDFadeOut(nullptr, 0, 255, 255, 0, 0, 30.0, nullptr, 1), 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 2, 1), (Rows{"NN"}));
  DDRelease();

  // DirectDraw 32 bits: the screen copy is taken on the first step only; the last frame is the colour.
  StartMode(kDrawModes[2]);
  DDFillSurfaceColour(&BackBuffer, 'W');
  EXPECT_EQ(DDFadeOut(nullptr, 0, 255, 0, 0, 0, 30.0, nullptr, 0), 0);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 1, 1), (Rows{"W"}));
  DDFillSurfaceColour(&BackBuffer, 'G');
  EXPECT_EQ(DDFadeOut(nullptr, 0, 255, 0, 0, 0, 30.0, nullptr, 0), 0);
  {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&BackBuffer));
    uint32_t v = (255 * static_cast<uint32_t>(Weight(60))) >> 8;
    EXPECT_EQ(lock.Get(5, 5) & 0xFFFFFF, v << 16 | v << 8 | v);  // faded white, not the green drawn since
  }
  EXPECT_EQ(DDFadeOut(nullptr, 0, 255, 255, 0, 0, 30.0, nullptr, 1), 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 1, 1), (Rows{"R"}));
}

TEST_F(DrawTest, SoftwareFadeOfASurface) {
  StartMode(kDrawModes[2]);
  DDSURFACEDATA src, dst, small;
  ASSERT_TRUE(DDCreateSurface(&src, 4, 2, 0, 1, 0, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&dst, 4, 2, 0, 1, 0, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&small, 2, 1, 0, 1, 0, nullptr, 0));
  auto fill = [](DDSURFACEDATA* sd, uint32_t v) {
    cDDLock l;
    ASSERT_TRUE(l.Lock(sd));
    for (int y = 0; y < sd->nHeight; ++y)
      for (int x = 0; x < sd->nWidth; ++x) l.Set(x, y, v);
  };
  auto at = [](DDSURFACEDATA* sd, int x, int y) {
    cDDLock l;
    EXPECT_TRUE(l.Lock(sd));
    return l.Get(x, y);
  };
  fill(&src, 0x00C86432);
  struct Case {
    int alpha;
    uint32_t pixel;
  } cases[] = {{0, 0xAB0A141E}, {256, 0xABC86432}, {128, 0xAB693C28}};
  for (const Case& c : cases) {
    fill(&dst, 0xAB000000);
    EXPECT_EQ(DDFade_UnPal(&dst, c.alpha, 10, 20, 30, &src), 1);
    EXPECT_EQ(at(&dst, 3, 1), c.pixel) << c.alpha;  // byte 3 is left alone
  }
  // A smaller source: only its pixels are read and written.
  fill(&small, 0x00FFFFFF);
  fill(&dst, 0x00000000);
  EXPECT_EQ(DDFade_UnPal(&dst, 256, 0, 0, 0, &small), 1);
  EXPECT_EQ(at(&dst, 1, 0), 0x00FFFFFFu);
  EXPECT_EQ(at(&dst, 2, 0), 0u);
  EXPECT_EQ(at(&dst, 0, 1), 0u);
  // A surface that cannot be locked.
  DDSURFACEDATA none;
  EXPECT_EQ(DDFade_UnPal(&dst, 128, 0, 0, 0, &none), 0);
  EXPECT_EQ(DDFade_UnPal(&none, 128, 0, 0, 0, &src), 0);
  EXPECT_EQ(at(&dst, 1, 0), 0x00FFFFFFu);  // and the destination was let go again
  for (DDSURFACEDATA* sd : {&small, &dst, &src}) DDReleaseSurface(sd);
  DDRelease();

  // 16 bits: each channel through 0..255 and back to its own width.
  StartMode(kDrawModes[3]);
  ASSERT_TRUE(DDCreateSurface(&src, 2, 1, 0, 1, 0, nullptr, 0));
  ASSERT_TRUE(DDCreateSurface(&dst, 2, 1, 0, 1, 0, nullptr, 0));
  fill(&src, 31u << 11 | 20u << 5 | 3u);
  EXPECT_EQ(DDFade_UnPal(&dst, 128, 0, 255, 0, &src), 1);
  uint32_t r = ((31 * 255 / 31 * 128) >> 8) * 31 / 255, g = ((255 * 128 + 128 * (20 * 255 / 63)) >> 8) * 63 / 255,
           b = ((3 * 255 / 31 * 128) >> 8) * 31 / 255;
  EXPECT_EQ(at(&dst, 0, 0), r << 11 | g << 5 | b);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();

  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_EQ(DDFade_UnPal(&BackBuffer, 0, 0, 0, 0, &ScreenCopySD), 1);
  EXPECT_TRUE(Has(DebugLines(), "D3DではDDFade_UnPalは未対応"));
}
