#include <cmath>
#include <functional>
#include <cstring>

#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/effect.h"
#include "gfx/layer.h"
#include "gfx/pixelfx.h"

namespace {
using Rows = std::vector<std::string>;
using Pixels = std::vector<uint32_t>;

const DrawMode& kD3D32 = kDrawModes[0];
const DrawMode& kD3D16 = kDrawModes[1];
const DrawMode& kDD32 = kDrawModes[2];
const DrawMode& kDD16 = kDrawModes[3];
const DrawMode& kDD8 = kDrawModes[4];

class PixelFx : public DrawTest {
 protected:
  // A surface of raw pixels of the running depth, rows from the top: a render target in Direct3D
  // unless another memory type is asked for.
  static void Raw(DDSURFACEDATA* sd, int w, int h, const Pixels& pixels, int memType = DTMEMORYTYPE_VIDEO_RT) {
    ASSERT_TRUE(DDCreateSurface(sd, w, h, 1, 0, memType, nullptr, 0));
    Put(sd, pixels);
  }
  static void Fill(DDSURFACEDATA* sd, uint32_t pixel) {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(sd));
    for (int y = 0; y < lock.m_lpSD->nHeight; ++y)
      for (int x = 0; x < lock.m_lpSD->nWidth; ++x) lock.Set(x, y, pixel);
  }
  static uint32_t At(DDSURFACEDATA* sd, int x, int y) {
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(sd));
    return lock.m_pBits ? lock.Get(x, y) : 0xDEADBEEF;
  }
  // A system-memory source in Direct3D (the software forms), an ordinary surface in DirectDraw.
  static int SoftwareSource() { return lpDTCon ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT; }
  // A 4-byte-an-entry palette with the entry n set.
  static std::vector<BYTE> PaletteWith(int n, BYTE r, BYTE g, BYTE b) {
    std::vector<BYTE> pal(1024, 0);
    pal[4 * n] = r, pal[4 * n + 1] = g, pal[4 * n + 2] = b;
    return pal;
  }
};

class PixelFxModes : public PixelFx, public ::testing::WithParamInterface<DrawMode> {};

}  // namespace

// ---- translucent blit ----

TEST_F(PixelFx, SoftwareTranslucencyIsHalfAndHalfAtEveryDepth) {
  struct Case {
    const DrawMode* mode;
    bool toBackBuffer;
    Pixels src, dst, keyed, unkeyed;
  } cases[] = {
      // Direct3D 32: alpha 0 skipped under the key; the alpha byte becomes 255.
      {&kD3D32, false, {0xFFC86400, 0x00FFFFFF}, {0x00000000, 0x00000000}, {0xFF643200, 0}, {0xFF643200, 0xFF7F7F7F}},
      // Direct3D 16 into a texture: white over black with the alpha bit; 0x2000 counts as opaque,
      // 0x1FFF as transparent (the mask 0xA000).
      {&kD3D16, false, {0xFFFF, 0x2000, 0x1FFF}, {0x8000, 0x8000, 0x8000}, {0xBDEF, 0x9000, 0x8000},
       {0xBDEF, 0x9000, 0x8DEF}},
      // ...and into the full-screen R5G6B5 back buffer: green (D + 2S) >> 1, no alpha bit.
      {&kD3D16, true, {0xFFFF}, {0x0000}, {0x7BEF}, {0x7BEF}},
      // DirectDraw 16: red 31 over black gives 15; over the colour-key value the source; the key skipped.
      {&kDD16, false, {0xF800, 0xF800, 0xF81F}, {0x0000, 0xF81F, 0x0000}, {0x7800, 0xF800, 0x0000},
       {0x7800, 0xF800, 0x780F}},
      // DirectDraw 32: the fourth byte is kept; a destination of the colour-key value takes the source.
      {&kDD32, false, {0x00FF0000, 0x00123456, 0x00FF00FF}, {0xAB000000, 0x00FF00FF, 0x00000000},
       {0xAB7F0000, 0x00123456, 0x00000000}, {0xAB7F0000, 0x00123456, 0x007F007F}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode->name) + (c.toBackBuffer ? " back buffer" : ""));
    StartMode(*c.mode);
    int n = static_cast<int>(c.src.size());
    DDSURFACEDATA src, dst;
    Raw(&src, n, 1, c.src, SoftwareSource());
    DDSURFACEDATA* target = &BackBuffer;
    if (!c.toBackBuffer) {
      Raw(&dst, n, 1, c.dst);
      target = &dst;
    }
    for (int transparency : {0, 128, 255}) {
      Put(target, c.dst);
      EXPECT_TRUE(DDBlendBlt(target, 0, 0, n, 1, &src, 0, 0, 1, DDBlendTable, transparency));
      Pixels got = Read(target);
      got.resize(c.keyed.size());
      EXPECT_EQ(got, c.keyed) << transparency;
    }
    Put(target, c.dst);
    EXPECT_TRUE(DDHalfBlt(target, 0, 0, n, 1, &src, 0, 0, 0, DDBlendTable));
    Pixels got = Read(target);
    got.resize(c.unkeyed.size());
    EXPECT_EQ(got, c.unkeyed);
    if (!c.toBackBuffer) DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
    DDRelease();
  }
}

TEST_F(PixelFx, EightBitTranslucencyGoesThroughTheBlendTable) {
  StartMode(kDD8);
  std::vector<BYTE> table(65536);
  for (int d = 0; d < 256; ++d)
    for (int s = 0; s < 256; ++s) table[d * 256 + s] = static_cast<BYTE>(d * 16 + s);
  DDSURFACEDATA src, dst;
  Raw(&src, 3, 1, {3, 3, 0});
  Raw(&dst, 3, 1, {2, 0, 2});
  // Row 0 of the table is not used: a destination index 0 takes the source.
  EXPECT_TRUE(DDHalfBlt(&dst, 0, 0, 3, 1, &src, 0, 0, 1, table.data()));
  EXPECT_EQ(Read(&dst), (Pixels{35, 3, 2}));
  Put(&dst, {2, 0, 2});
  EXPECT_TRUE(DDHalfBlt(&dst, 0, 0, 3, 1, &src, 0, 0, 0, table.data()));
  EXPECT_EQ(Read(&dst), (Pixels{35, 3, 32}));
  // A DirectDraw lock failure is the one false result.
  DDSURFACEDATA none;
  EXPECT_FALSE(DDHalfBlt(&none, 0, 0, 3, 1, &src, 0, 0, 0, table.data()));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

TEST_F(PixelFx, TranslucentQuadCarriesTheTransparencyInTheVertexAlpha) {
  StartMode(kD3D32);
  DDSURFACEDATA src, dst;
  Raw(&src, 2, 1, {0xFFFF0000, 0x00FFFFFF});
  Raw(&dst, 2, 1, {});
  struct Case {
    int transparency;
    uint32_t red;
  } cases[] = {{0, 0xFF0000}, {128, 0x7F0000}, {255, 0x000000}};
  for (const Case& c : cases) {
    Fill(&dst, 0xFF000000);
    EXPECT_TRUE(DDBlendBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 0, nullptr, c.transparency));
    // The colour of the blend; a transparent texel leaves the destination alone.
    EXPECT_EQ(At(&dst, 0, 0) & 0xFFFFFF, c.red) << c.transparency;
    EXPECT_EQ(At(&dst, 1, 0), 0xFF000000u);
  }
  // The half blit uses vertex alpha 127, and draws at once inside an open sprite layer.
  Fill(&dst, 0xFF000000);
  DDBeginLayer(0);
  EXPECT_TRUE(DDHalfBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, nullptr));
  EXPECT_EQ(At(&dst, 0, 0) & 0xFFFFFF, 0x7F0000u);
  DDEndLayer();
  DWORD op = 0, arg = 0;
  lpDevice->GetTextureStageState(0, D3DTSS_ALPHAOP, &op);
  lpDevice->GetTextureStageState(0, D3DTSS_ALPHAARG1, &arg);
  EXPECT_EQ(op, static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(arg, static_cast<DWORD>(D3DTA_TEXTURE));
  // Nothing to draw and nothing to draw with: true without a crash.
  EXPECT_TRUE(DDBlendBlt(&dst, 0, 0, 0, 1, &src, 0, 0, 0, nullptr, 0));
  EXPECT_TRUE(DDBlendBlt(nullptr, 0, 0, 2, 1, &src, 0, 0, 0, nullptr, 0));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

// ---- tinted blit ----

TEST_F(PixelFx, TintQuadKeepsTheShareOfEachLevelInTheTextureFactor) {
  StartMode(kD3D32);
  DDSURFACEDATA src, dst;
  Raw(&src, 2, 1, {0xFFFF0000, 0x00FF0000});
  Raw(&dst, 2, 1, {});
  std::vector<BYTE> pal = PaletteWith(5, 0, 0, 0);
  const DWORD pair[2] = {0x00FFFFFF, D3DTOP_ADD};  // not used by the quad
  struct Case {
    int level;
    uint32_t red;
  } cases[] = {{1, 128}, {2, 80}, {3, 48}, {4, 16}, {5, 0}, {0, 0x12}, {-1, 0x12}};
  for (const Case& c : cases) {
    Fill(&dst, 0xFF120000);
    EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, pal.data(), DDBlendTable, 0x105, c.level, pair));
    EXPECT_EQ(Read(&dst), (Pixels{0xFF000000 | c.red << 16, 0xFF120000})) << c.level;
  }
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

TEST_F(PixelFx, SoftwareTintPerBackEndAndDepth) {
  // Direct3D 32: level 1 the half mix, level 2 a share of 64 / 255; the pair adds before.
  StartMode(kD3D32);
  DDSURFACEDATA src, dst;
  Raw(&src, 2, 1, {0xFFC86400, 0x00C86400}, DTMEMORYTYPE_SYSTEM);
  Raw(&dst, 2, 1, {0, 0});
  std::vector<BYTE> blue = PaletteWith(7, 0, 0, 255), black = PaletteWith(7, 0, 0, 0);
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, blue.data(), nullptr, 7, 1, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{0xFF64327F, 0}));
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, black.data(), nullptr, 7, 2, nullptr));
  EXPECT_EQ(At(&dst, 0, 0), 0xFF321900u);
  const DWORD pair[2] = {0x00100000, D3DTOP_ADD};
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 0, blue.data(), nullptr, 7, 1, pair));
  EXPECT_EQ(Read(&dst), (Pixels{0xFF6C327F, 0xFF6C327F}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();

  // Direct3D 16 into the full-screen back buffer: no alpha bit, green doubled.
  StartMode(kD3D16);
  Raw(&src, 1, 1, {0xFFFF}, DTMEMORYTYPE_SYSTEM);
  std::vector<BYTE> red = PaletteWith(7, 255, 0, 0);
  EXPECT_TRUE(DDTintBlt(&BackBuffer, 0, 0, 1, 1, &src, 0, 0, 1, red.data(), nullptr, 7, 1, nullptr));
  EXPECT_EQ(At(&BackBuffer, 0, 0), 31u << 11 | 31u << 5 | 15u);  // green 31 + 0, undivided
  std::vector<BYTE> none16 = PaletteWith(7, 0, 0, 0);
  EXPECT_TRUE(DDTintBlt(&BackBuffer, 0, 0, 1, 1, &src, 0, 0, 1, none16.data(), nullptr, 7, 2, nullptr));
  EXPECT_EQ(At(&BackBuffer, 0, 0), 7u << 11 | 14u << 5 | 7u);  // 31 x 64/255 = 7.78: 7, green doubled
  DDReleaseSurface(&src);
  DDRelease();

  // DirectDraw 32: the half mix `level` times, the fourth byte kept; a huge level ends promptly.
  StartMode(kDD32);
  Raw(&src, 2, 1, {0x00000000, 0x00FF00FF});
  Raw(&dst, 2, 1, {0xAB000000, 0x11000000});
  std::vector<BYTE> white = PaletteWith(9, 255, 255, 255);
  struct Case {
    int level;
    uint32_t value;
  } cases32[] = {{1, 0x7F}, {2, 0xBF}, {0x7FFFFFFF, 0xFE}};
  for (const Case& c : cases32) {
    EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, white.data(), nullptr, 9, c.level, nullptr));
    EXPECT_EQ(Read(&dst), (Pixels{0xAB000000 | c.value * 0x010101, 0x11000000})) << c.level;
  }
  // Level 0 takes no lock (a surface that cannot be locked still gives true); a negative level copies.
  DDSURFACEDATA none;
  EXPECT_TRUE(DDTintBlt(&none, 0, 0, 2, 1, &src, 0, 0, 1, white.data(), nullptr, 9, 0, nullptr));
  EXPECT_FALSE(DDTintBlt(&none, 0, 0, 2, 1, &src, 0, 0, 1, white.data(), nullptr, 9, 1, nullptr));
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 0, white.data(), nullptr, 9, -3, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{0xAB000000, 0x11FF00FF}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();

  // DirectDraw 16: the palette holds channel units.
  StartMode(kDD16);
  Raw(&src, 2, 1, {0x0000, 0xFFFF});
  Raw(&dst, 2, 1, {0x1234, 0x1234});
  std::vector<BYTE> red16 = PaletteWith(3, 31, 0, 0);
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, red16.data(), nullptr, 3, 1, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{0x7800, 0xFBEF}));  // white: red 31, green 31, blue 15
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 2, 1, &src, 0, 0, 1, red16.data(), nullptr, 3, -1, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{0x0000, 0xFFFF}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();

  // DirectDraw 8: `level` nested look-ups, exact for any level.
  StartMode(kDD8);
  std::vector<BYTE> table(65536, 0);
  for (int p = 0; p < 256; ++p) table[p * 256 + 5] = static_cast<BYTE>(p + 1);
  Raw(&src, 3, 1, {10, 3, 0});
  Raw(&dst, 3, 1, {9, 9, 9});
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 3, 1, &src, 0, 0, 1, white.data(), table.data(), 0x305, 3, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{13, 6, 9}));
  EXPECT_TRUE(DDTintBlt(&dst, 0, 0, 3, 1, &src, 0, 0, 0, white.data(), table.data(), 5, 0x7FFFFFFF, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{9, 2, 255}));  // p + 2^31 - 1, modulo 256
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

// ---- turned blit ----

TEST_P(PixelFxModes, SoftwareTurnMapsTheBoxBackIntoTheSource) {
  StartMode(GetParam());
  DDSURFACEDATA sheet, dst;
  LoadPicture(&sheet, "turn.bmp", {"RGBW", "YCRK"}, 1, SoftwareSource());
  Blank(&dst, 16, 16, 'N');
  // Angle 0: an unchanged copy with the pivot at (x, y).
  EXPECT_TRUE(DDRotateBlt(&dst, 10, 10, 4, 2, 2, 1, 0, &sheet, 0, 0, 1));
  EXPECT_EQ(Grid(&dst, 7, 8, 6, 4), (Rows{"NNNNNN", "NRGBWN", "NYCRNN", "NNNNNN"}));
  // Angle 90 about (2, 1): columns 10 and 11, rows 8 to 11; the key flag skips the transparent pixel.
  DDFillSurfaceColour(&dst, 'N');
  EXPECT_TRUE(DDRotateBlt(&dst, 10, 10, 4, 2, 2, 1, 90, &sheet, 0, 0, 1));
  EXPECT_EQ(Grid(&dst, 9, 7, 4, 6), (Rows{"NNNN", "NYRN", "NCGN", "NRBN", "NNWN", "NNNN"}));
  EXPECT_TRUE(DDRotateBlt(&dst, 10, 10, 4, 2, 2, 1, 90, &sheet, 0, 0, 0));
  EXPECT_EQ(Grid(&dst, 10, 11, 1, 1), (Rows{"T"}));
  // A rectangle past the source's right edge draws only the part inside.
  DDFillSurfaceColour(&dst, 'N');
  EXPECT_TRUE(DDRotateBlt(&dst, 0, 0, 4, 2, 0, 0, 0, &sheet, 2, 0, 1));
  EXPECT_EQ(Grid(&dst, 0, 0, 5, 2), (Rows{"BWNNN", "RNNNN"}));
  // Drawn off the destination's edges, clipped there.
  DDFillSurfaceColour(&dst, 'N');
  EXPECT_TRUE(DDRotateBlt(&dst, -1, 15, 4, 2, 0, 0, 0, &sheet, 0, 0, 1));
  EXPECT_EQ(Grid(&dst, 0, 14, 4, 2), (Rows{"NNNN", "GBWN"}));
  EXPECT_TRUE(DDRotateBlt(&dst, 0, 0, 0, 2, 0, 0, 30, &sheet, 0, 0, 1));
  if (lpDTCon) {
    EXPECT_TRUE(DDRotateBlt(nullptr, 0, 0, 4, 2, 0, 0, 30, &sheet, 0, 0, 1));
  } else {
    DDSURFACEDATA none;
    EXPECT_FALSE(DDRotateBlt(&none, 0, 0, 4, 2, 0, 0, 30, &sheet, 0, 0, 1));
  }
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

TEST_F(PixelFx, SixteenBitSoftwareTurnOntoTheFullScreenBackBufferTakesItsFormat) {
  StartMode(kD3D16);
  DDSURFACEDATA sheet;
  LoadPicture(&sheet, "turn.bmp", {"RGBW", "YCRK"}, 1, DTMEMORYTYPE_SYSTEM);
  DDFillSurfaceColour(&BackBuffer, 'N');
  EXPECT_TRUE(DDRotateBlt(&BackBuffer, 2, 1, 4, 2, 2, 1, 0, &sheet, 0, 0, 1));
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 5, 2), (Rows{"RGBWN", "YCRNN"}));
  EXPECT_EQ(At(&BackBuffer, 1, 0), 0x07C0u);  // green 31 doubled into the 6-bit field
  DDReleaseSurface(&sheet);
}

TEST_F(PixelFx, TurnedQuadCoversThePixelsOfItsCorners) {
  StartMode(kD3D32);
  DDSURFACEDATA sheet, dst;
  Raw(&sheet, 8, 4, Pixels(32, 0xFFFF0000));
  Raw(&dst, 32, 32, {});
  struct Case {
    int w, h, angle;
  } cases[] = {{8, 4, 0}, {8, 4, 90}, {8, 4, 30}, {5, 3, 30}, {8, 4, 135}, {7, 4, -60}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    Fill(&dst, 0xFF000000);
    int px = c.w >> 1, py = c.h >> 1;
    EXPECT_TRUE(DDRotateBlt(&dst, 16, 16, c.w, c.h, px, py, c.angle, &sheet, 0, 0, 1));
    // The corners as the quad puts them; a pixel centre strictly inside is drawn, one strictly
    // outside is not (centres on an edge are left to the fill rule).
    double rad = c.angle * 3.14159265358979 / 180, co = std::cos(rad), si = std::sin(rad);
    double cx[4], cy[4];
    const int corner[4][2] = {{0, 0}, {c.w, 0}, {c.w, c.h}, {0, c.h}};
    for (int k = 0; k < 4; ++k) {
      double dx = corner[k][0] - px, dy = corner[k][1] - py;
      cx[k] = 16 - 0.5 + dx * co - dy * si, cy[k] = 16 - 0.5 + dx * si + dy * co;
    }
    Pixels got = Read(&dst);
    int drawn = 0;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        double lowest = 1e9, highest = -1e9;
        for (int k = 0; k < 4; ++k) {
          int n = (k + 1) % 4;
          double e = (cx[n] - cx[k]) * (y - cy[k]) - (cy[n] - cy[k]) * (x - cx[k]);
          lowest = std::min(lowest, e), highest = std::max(highest, e);
        }
        bool red = got[y * 32 + x] == 0xFFFF0000;
        drawn += red;
        if (lowest > 1e-3 || highest < -1e-3) {
          EXPECT_TRUE(red) << x << "," << y;
        } else if (lowest < -1e-3 && highest > 1e-3) {
          EXPECT_FALSE(red) << x << "," << y;
        }
      }
    }
    if (c.angle % 90 == 0) {
      EXPECT_EQ(drawn, c.w * c.h);
    }
  }
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

// ---- lens ----

TEST_F(PixelFx, LensReadsTheSourceAtScaledOffsets) {
  for (const DrawMode* mode : {&kD3D32, &kDD32}) {
  SCOPED_TRACE(mode->name);
  StartMode(*mode);
  // Each source pixel holds its own position: column in the low byte, row in the next.
  Pixels gradient;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) gradient.push_back(0xFF000000u | uint32_t(y) << 8 | uint32_t(x));
  DDSURFACEDATA src, dst;
  Raw(&src, 64, 64, gradient, SoftwareSource());
  Raw(&dst, 64, 64, Pixels(64 * 64, 0xFF777777));
  EXPECT_TRUE(DDLensBlt(&dst, 32, 32, 10, 5, &src, 32, 32, 1, 0, nullptr));
  const int offsets[][2] = {{1, 0}, {5, 3}, {10, 11}, {-1, 0}, {-5, -2}, {-10, -10}, {0, 0}};
  for (const auto& o : offsets)
    EXPECT_EQ(At(&dst, 32 + o[0], 32) & 0xFFFF, 32u << 8 | uint32_t(32 + o[1])) << o[0];
  EXPECT_EQ(At(&dst, 43, 32), 0xFF777777u);  // outside the disc
  // R 30, D 15 (K 33) at row offset 11, column offset 22: s = 22, so 11 x 15 / 22 = 7.5 reads row
  // offset 8 (scaling by 15 / 22 first gives just under 7.5 and 7) and 22 x 15 / 22 column offset 15.
  Fill(&dst, 0xFF777777);
  EXPECT_TRUE(DDLensBlt(&dst, 20, 20, 30, 15, &src, 20, 20, 1, 0, nullptr));
  EXPECT_EQ(At(&dst, 20 + 22, 20 + 11) & 0xFFFF, uint32_t(20 + 8) << 8 | uint32_t(20 + 15));

  // Depth 0: the centre pixel everywhere inside except the four rim points, which read their own.
  Fill(&dst, 0xFF777777);
  EXPECT_TRUE(DDLensBlt(&dst, 32, 32, 3, 0, &src, 32, 32, 1, 0, nullptr));
  for (int j = -3; j <= 3; ++j) {
    for (int i = -3; i <= 3; ++i) {
      uint32_t got = At(&dst, 32 + i, 32 + j), expect = 0xFF777777;
      if (i * i + j * j < 9) expect = 0xFF000000u | 32u << 8 | 32u;
      else if (i * i + j * j == 9) expect = 0xFF000000u | uint32_t(32 + j) << 8 | uint32_t(32 + i);
      EXPECT_EQ(got & 0xFFFFFF, expect & 0xFFFFFF) << i << "," << j;
    }
  }
  // No lens possible: refused, nothing drawn.
  Fill(&dst, 0xFF777777);
  EXPECT_TRUE(DDLensBlt(&dst, 32, 32, 3, 2, &src, 32, 32, 1, 0, nullptr));
  Fill(&dst, 0xFF777777);
  EXPECT_FALSE(DDLensBlt(&dst, 32, 32, 3, 5, &src, 32, 32, 1, 0, nullptr));
  EXPECT_FALSE(DDLensBlt(&dst, 32, 32, 0, 1, &src, 32, 32, 1, 0, nullptr));
  EXPECT_FALSE(DDLensBlt(&dst, 32, 32, -1, 1, &src, 32, 32, 1, 0, nullptr));
  EXPECT_FALSE(DDLensBlt(&dst, 32, 32, 3, -1, &src, 32, 32, 1, 0, nullptr));
  // Large values: the sphere radius in 64 bits; the disc is walked only where the destination is.
  EXPECT_TRUE(DDLensBlt(&dst, 32, 32, 2000000000, 2000000000, &src, 32, 32, 1, 0, nullptr));
  EXPECT_EQ(At(&dst, 0, 0) & 0xFFFF, 0x0A0Au);  // offset -32 x 0.707..., rounded toward zero
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();
  }
}

TEST_F(PixelFx, LensTransparencyAndClearingPerBackEnd) {
  // Direct3D 32 with the clear flag: outside the disc, and where the source is transparent or
  // missing, the destination becomes 0; without it those points stay.
  StartMode(kD3D32);
  DDSURFACEDATA src, dst;
  Pixels picture(16 * 16, 0xFF00FF00);
  picture[8 * 16 + 8] = 0x00FFFFFF;  // the centre is transparent
  Raw(&src, 16, 16, picture, DTMEMORYTYPE_SYSTEM);
  Raw(&dst, 16, 16, {});
  for (int clear : {1, 0}) {
    Fill(&dst, 0xFF123456);
    EXPECT_TRUE(DDLensBlt(&dst, 8, 8, 3, 0, &src, 8, 8, 0, clear, nullptr));
    uint32_t kept = clear ? 0 : 0xFF123456;
    EXPECT_EQ(At(&dst, 5, 5), kept);   // a corner of the square, outside the disc
    EXPECT_EQ(At(&dst, 8, 8), kept);   // reads the transparent centre
    EXPECT_EQ(At(&dst, 11, 8), 0xFF00FF00u);  // a rim point reads itself
    EXPECT_EQ(At(&dst, 4, 4), 0xFF123456u);   // beyond the square
  }
  const DWORD pair[2] = {0x00FF0000, D3DTOP_ADD};
  Fill(&dst, 0x44123456);
  EXPECT_TRUE(DDLensBlt(&dst, 8, 8, 3, 0, &src, 8, 8, 0, 0, pair));
  EXPECT_EQ(At(&dst, 11, 8), 0x44FFFF00u);  // the pair adds; the destination's alpha stays
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
  DDRelease();

  // Direct3D 16: the key flag skips transparent source pixels; into the full-screen back buffer the
  // texture's format is converted.
  StartMode(kD3D16);
  Pixels picture16(16 * 16, 0xFC00);
  picture16[8 * 16 + 8] = 0x0000;
  Raw(&src, 16, 16, picture16, DTMEMORYTYPE_SYSTEM);
  Fill(&BackBuffer, 0x001F);
  EXPECT_TRUE(DDLensBlt(&BackBuffer, 8, 8, 3, 0, &src, 8, 8, 1, 0, nullptr));
  EXPECT_EQ(At(&BackBuffer, 8, 8), 0x001Fu);
  EXPECT_EQ(At(&BackBuffer, 11, 8), 0xF800u);
  EXPECT_TRUE(DDLensBlt(&BackBuffer, 8, 8, 3, 0, &src, 8, 8, 0, 0, nullptr));
  EXPECT_EQ(At(&BackBuffer, 8, 8), 0x0000u);
  DDReleaseSurface(&src);
  DDRelease();

  // DirectDraw never copies the colour-key value, whatever the key flag.
  StartMode(kDD32);
  Pixels keyed(16 * 16, 0x0000FF00);
  keyed[8 * 16 + 8] = DDColorKey;
  Raw(&src, 16, 16, keyed);
  Raw(&dst, 16, 16, Pixels(256, 0x00123456));
  EXPECT_TRUE(DDLensBlt(&dst, 8, 8, 3, 0, &src, 8, 8, 0, 1, nullptr));
  EXPECT_EQ(At(&dst, 8, 8), 0x00123456u);
  EXPECT_EQ(At(&dst, 11, 8), 0x0000FF00u);
  EXPECT_EQ(At(&dst, 5, 5), 0x00123456u);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

// ---- mosaic and blur ----

TEST_P(PixelFxModes, MosaicBlocksStartAtTheRectangleAndAreCutThere) {
  StartMode(GetParam());
  DDSURFACEDATA sheet, dst;
  // Blocks of 2 over 5 columns: 0, 2 and 4. Every colour appears as a pair or alone, so that the
  // averaging modes give the same letters.
  LoadPicture(&sheet, "mosaic.bmp", {"RRBBW", "RRBBW", "GGKKY"}, 1, SoftwareSource());
  Blank(&dst, 6, 4, 'N');
  EXPECT_TRUE(DDMosaic(&dst, 1, 1, 5, 3, 2, &sheet, 0, 0, 1, nullptr));
  EXPECT_EQ(Grid(&dst), (Rows{"NNNNNN", "NRRBBW", "NRRBBW", "NGGNNY"}));
  // Block 0 and negative blocks draw nothing and end.
  DDFillSurfaceColour(&dst, 'N');
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 5, 3, 0, &sheet, 0, 0, 1, nullptr));
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 5, 3, -2, &sheet, 0, 0, 1, nullptr));
  // A rectangle running past the source reads nothing outside it.
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 6, 4, 1, &sheet, 2, 1, 0, nullptr));
  // (Direct3D 32 stores every block opaque: the transparent texel turns black.)
  const char* keyRow = lpDTCon && DDScreenBpp == 32 ? "NNYNNN" : "TTYNNN";
  EXPECT_EQ(Grid(&dst), (Rows{"BBWNNN", keyRow, "NNNNNN", "NNNNNN"}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

TEST_F(PixelFx, MosaicAveragesInDirectDrawAndTakesTheTopLeftPixelInDirect3D) {
  struct Case {
    const DrawMode* mode;
    Pixels block;
    uint32_t expect;
  } cases[] = {
      {&kDD16, {0xF800, 0x0000}, 0x7800},                // red (255 + 0) / 2 = 127 -> 15
      {&kD3D16, {0xFC00, 0x8000}, 0xFC00},               // the top-left pixel, red 31
      {&kDD32, {0x00FF0000, 0x00010000}, 0x00800000},    // (255 + 1) / 2
      {&kD3D32, {0x10FF0000, 0xFF010000}, 0xFFFF0000},   // the top-left pixel, opaque
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode->name);
    StartMode(*c.mode);
    DDSURFACEDATA src, dst;
    Raw(&src, 2, 1, c.block, SoftwareSource());
    Raw(&dst, 2, 1, {0, 0});
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 2, 1, 2, &src, 0, 0, 0, nullptr));
    EXPECT_EQ(Read(&dst), (Pixels{c.expect, c.expect}));
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
    DDRelease();
  }
  // DirectDraw 32: keyed pixels leave the average; the fourth byte of the destination stays.
  StartMode(kDD32);
  DDSURFACEDATA src, dst;
  Raw(&src, 3, 1, {0x000000FF, DDColorKey, 0x00000001});
  Raw(&dst, 3, 1, {0xAA000000, 0xBB000000, 0xCC000000});
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 3, 1, 3, &src, 0, 0, 1, nullptr));
  EXPECT_EQ(Read(&dst), (Pixels{0xAA000080, 0xBB000080, 0xCC000080}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

TEST_F(PixelFx, BlurAveragesTheWindowAboveAndToTheLeft) {
  for (const DrawMode* mode : {&kD3D32, &kDD32}) {
    SCOPED_TRACE(mode->name);
    StartMode(*mode);
    const uint32_t a = lpDTCon ? 0xFF000000 : 0;
    DDSURFACEDATA src, dst;
    Raw(&src, 3, 2, {a | 10, a | 20, a | 30, a | 40, a | 50, a | 60}, SoftwareSource());
    Raw(&dst, 3, 2, Pixels(6, 0x11000000));
    const uint32_t o = lpDTCon ? 0xFF000000 : 0x11000000;  // Direct3D opaque, DirectDraw keeps the byte
    EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 3, 2, 1, 1, &src, 0, 0, 1, nullptr));
    EXPECT_EQ(Read(&dst), (Pixels{o | 10, o | 15, o | 25, o | 25, o | 30, o | 40}));
    // A transparent centre is left alone, and a transparent neighbour does not count.
    Put(&src, {a | 10, lpDTCon ? 20u : DDColorKey, a | 30, a | 40, a | 50, a | 60});
    Fill(&dst, 0x11000000);
    EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 3, 2, 1, 1, &src, 0, 0, 1, nullptr));
    EXPECT_EQ(Read(&dst), (Pixels{o | 10, 0x11000000, o | 30, o | 25, o | 33, o | 46}));
    // A rectangle past the source: its outside points are skipped and count nothing.
    Fill(&dst, 0x11000000);
    EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 3, 2, 1, 1, &src, 1, 1, 1, nullptr));
    EXPECT_EQ(Read(&dst), (Pixels{o | 50, o | 55, 0x11000000, 0x11000000, 0x11000000, 0x11000000}));
    // Half sizes of 0 or less draw nothing.
    EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 3, 2, 0, 1, &src, 0, 0, 1, nullptr));
    EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 3, 2, 1, -1, &src, 0, 0, 1, nullptr));
    EXPECT_EQ(At(&dst, 2, 1), 0x11000000u);
    // The destination as its own source sees the pixels already blurred.
    Put(&src, {a | 10, a | 20, a | 30, a | 40, a | 50, a | 60});
    EXPECT_TRUE(DDBlurBlt(&src, 0, 0, 3, 2, 1, 1, &src, 0, 0, 1, nullptr));
    const uint32_t s = a ? a : 0;
    EXPECT_EQ(Read(&src), (Pixels{s | 10, s | 15, s | 22, s | 25, s | 25, s | 30}));
    DDReleaseSurface(&dst);
    DDReleaseSurface(&src);
    DDRelease();
  }
}

TEST_F(PixelFx, SixteenBitBlurOfLargeWindowsAndThePair) {
  StartMode(kD3D16);
  DDSURFACEDATA src, dst;
  // 4,096 opaque red-31 pixels in one window: more than 16 bits of sum.
  Raw(&src, 64, 64, Pixels(64 * 64, 0xFC00), DTMEMORYTYPE_SYSTEM);
  Raw(&dst, 64, 64, {});
  EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 64, 64, 64, 64, &src, 0, 0, 1, nullptr));
  EXPECT_EQ(At(&dst, 63, 63), 0xFC00u);
  EXPECT_EQ(At(&dst, 0, 0), 0xFC00u);
  // The pair adds to the average (not to each pixel): blue 255 is 31 in five bits.
  const DWORD pair[2] = {0x000000FF, D3DTOP_ADD};
  EXPECT_TRUE(DDBlurBlt(&dst, 0, 0, 2, 1, 1, 1, &src, 0, 0, 1, pair));
  EXPECT_EQ(At(&dst, 1, 0), 0xFC1Fu);
  // Into the full-screen back buffer: R5G6B5, green doubled.
  Put(&src, {0x83E0, 0x83E0});
  EXPECT_TRUE(DDBlurBlt(&BackBuffer, 0, 0, 2, 1, 1, 1, &src, 0, 0, 1, nullptr));
  EXPECT_EQ(At(&BackBuffer, 1, 0), 0x07C0u);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&src);
}

INSTANTIATE_TEST_SUITE_P(Modes, PixelFxModes, ::testing::ValuesIn(kDrawModes), DrawModeName);

// ---- disc ----

namespace {
// The first column and the width of each row's run of `letter` in a grid (-1, 0 for none).
std::vector<std::pair<int, int>> Runs(const Rows& rows, char letter) {
  std::vector<std::pair<int, int>> out;
  for (const std::string& row : rows) {
    size_t first = row.find(letter);
    if (first == std::string::npos) {
      out.push_back({-1, 0});
      continue;
    }
    size_t last = row.find_last_of(letter);
    out.push_back({static_cast<int>(first), static_cast<int>(last - first + 1)});
  }
  return out;
}
}  // namespace

TEST_F(PixelFx, DiscRowsFollowTheCircle) {
  std::vector<Rows> frames;
  for (const DrawMode* mode : {&kD3D32, &kDD32}) {
    SCOPED_TRACE(mode->name);
    StartMode(*mode);
    DDSURFACEDATA src, dst;
    Blank(&src, 100, 100, 'R');
    Blank(&dst, 100, 100, 'Y');
    int layers = DDLayerCount();
    DDDiscBlt(&dst, 50, 50, 100, 100, 5, 1, &src, 50, 50, 0);
    EXPECT_EQ(DDLayerCount(), layers);
    Rows rows = Grid(&dst, 0, 44, 100, 12);
    frames.push_back(rows);
    // Rows 45 to 54 (offsets -5 to 4): widths 0, 6, 8 x 7, 6, each starting at 50 - width / 2.
    const int widths[12] = {0, 0, 6, 8, 8, 8, 8, 8, 8, 8, 6, 0};
    auto runs = Runs(rows, 'R');
    for (int k = 0; k < 12; ++k) {
      EXPECT_EQ(runs[k].second, widths[k]) << "row " << 44 + k;
      if (widths[k]) {
        EXPECT_EQ(runs[k].first, 50 - widths[k] / 2) << "row " << 44 + k;
      }
    }
    // Half height 2: offsets 1 down to -2 only.
    DDFillSurfaceColour(&dst, 'Y');
    DDDiscBlt(&dst, 50, 50, 100, 2, 5, 1, &src, 50, 50, 0);
    runs = Runs(Grid(&dst, 0, 44, 100, 12), 'R');
    for (int k = 0; k < 12; ++k) EXPECT_EQ(runs[k].second > 0, k >= 4 && k <= 7) << "row " << 44 + k;
    // A source centre at column 3 (half width 10): the row of s = 4 starts at source column 0,
    // 7 wide, one further right.
    DDSURFACEDATA striped;
    Blank(&striped, 100, 100, 'R');
    DDFillRect(&striped, 0, 0, 1, 100, static_cast<DWORD>(IndexOf('G')));
    DDFillSurfaceColour(&dst, 'Y');
    DDDiscBlt(&dst, 50, 50, 10, 100, 5, 1, &striped, 3, 50, 0);
    Rows row = Grid(&dst, 0, 47, 100, 1);  // offset -3: s = 4
    EXPECT_EQ(row[0].substr(46, 9), "YGRRRRRRY");
    // Bands: each as wide as the circle at its middle row; a band taller than the disc draws nothing
    // but still opens and closes its layer; radius or band 0 draw nothing.
    DDFillSurfaceColour(&dst, 'Y');
    DDDiscBlt(&dst, 50, 50, 100, 100, 5, 4, &src, 50, 50, 0);
    runs = Runs(Grid(&dst, 0, 44, 100, 12), 'R');
    // Bands of 4 at offsets 1..4 (middle row 3: s = 4) and -3..0 (middle -1: s = 4); the next, -7,
    // lies beyond the radius.
    for (int k = 0; k < 12; ++k) EXPECT_EQ(runs[k].second, (k >= 3 && k <= 10) ? 8 : 0) << "row " << 44 + k;
    DDFillSurfaceColour(&dst, 'Y');
    DDDiscBlt(&dst, 50, 50, 100, 100, 5, 11, &src, 50, 50, 0);
    DDDiscBlt(&dst, 50, 50, 100, 100, 0, 1, &src, 50, 50, 0);
    DDDiscBlt(&dst, 50, 50, 100, 100, 5, 0, &src, 50, 50, 0);
    EXPECT_EQ(DDLayerCount(), layers);
    EXPECT_EQ(Runs(Grid(&dst, 0, 44, 100, 12), 'R'), (std::vector<std::pair<int, int>>(12, {-1, 0})));
    // A radius far beyond the half height starts at the first row that can draw.
    DDDiscBlt(&dst, 50, 50, 100, 3, 2000000000, 1, &src, 50, 50, 0);
    EXPECT_EQ(Runs(Grid(&dst, 0, 46, 100, 8), 'R')[1], (std::pair<int, int>{0, 100}));
    for (DDSURFACEDATA* sd : {&striped, &dst, &src}) DDReleaseSurface(sd);
    DDRelease();
  }
  EXPECT_EQ(frames[0], frames[1]);
}

// ---- colour change ----

TEST_F(PixelFx, ColourChangeCoversTheWholeSurface) {
  StartMode(kD3D32);
  DDSURFACEDATA sd;
  const uint32_t W = 0xFFFFFFFF, G = 0xFF00FF00;
  Raw(&sd, 3, 2, {W, W, G, W, G, W});
  // Alpha 0: the surface modulated by the colour at full opacity, whatever the rectangle.
  EXPECT_EQ(DDChangeColor(&sd, 0, 0, 1, 1, 0, 255, 0, 0), 1);
  EXPECT_EQ(Grid(&sd), (Rows{"RRN", "RNR"}));
  // Alpha 255: invisible.
  EXPECT_EQ(DDChangeColor(&sd, 0, 0, 3, 2, 255, 0, 0, 255), 1);
  EXPECT_EQ(Grid(&sd), (Rows{"RRN", "RNR"}));

  // BackBuffer outside virtual mode has no texture: the frame takes the flat colour at opacity
  // 255 - alpha (the screen colour).
  DDSURFACEDATA picture;
  LoadPicture(&picture, "frame.bmp", {"WG", "BN"}, 0);
  DDBlt(&BackBuffer, 0, 0, 2, 2, &picture, 0, 0, 0);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 0, 0, 255), 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 3, 2), (Rows{"BBB", "BBB"}));
  DDBlt(&BackBuffer, 0, 0, 2, 2, &picture, 0, 0, 0);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 128, 255, 0, 0), 1);
  EXPECT_EQ(At(&BackBuffer, 1, 0) & 0xFFFFFF, 0x7F8000u);  // green under red at opacity 127
  // In virtual mode the frame is its own texture.
  DDSetVirtualBackBuffer(1);
  DDBlt(&BackBuffer, 0, 0, 2, 2, &picture, 0, 0, 0);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 0, 0), 1);
  EXPECT_EQ(Grid(&VirBackBuffer, 0, 0, 2, 2), (Rows{"RN", "NN"}));
  // The screen colour in virtual mode: a work surface of the colour blended over the frame.
  DDFillRect(&WorkSD, 0, 0, 640, 480, static_cast<DWORD>(IndexOf('B')));
  DDBlt(&BackBuffer, 0, 0, 2, 2, &picture, 0, 0, 0);
  EXPECT_TRUE(DDBlendBlt(&BackBuffer, 0, 0, 640, 480, &WorkSD, 0, 0, 0, DDBlendTable, 0));
  EXPECT_EQ(Grid(&VirBackBuffer, 0, 0, 2, 2), (Rows{"BB", "BB"}));
  DDSetVirtualBackBuffer(0);
  DDReleaseSurface(&picture);
  DDReleaseSurface(&sd);
  DDRelease();

  StartMode(kDD32);
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 0, 0), 1);
  EXPECT_TRUE(Has(DebugLines(),
                  "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int nAlpha,"
                  "BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応"));
}

// ---- palette from pixels ----

TEST_F(PixelFx, PaletteFromSixteenBitDirect3DAndThirtyTwoBitDirectDrawPixels) {
  StartMode(kD3D16);
  DDSURFACEDATA sd;
  Pixels pixels(16 * 24, 0);
  pixels[8 * 16] = 0x8000 | 31u << 10;  // entry 0: red, with alpha
  pixels[8 * 16 + 1] = 0x7C00;          // entry 1: no alpha, left alone
  pixels[23 * 16 + 15] = 0x8000 | 16u;  // entry 255: blue 16 -> 131
  Raw(&sd, 16, 24, pixels, DTMEMORYTYPE_SYSTEM);
  std::vector<BYTE> pal(1024, 0x77);
  EXPECT_EQ(DDSetPalette_UnPal(pal.data(), &sd), 1);
  EXPECT_EQ((std::vector<BYTE>(pal.begin(), pal.begin() + 8)), (std::vector<BYTE>{255, 0, 0, 0x77, 0x77, 0x77, 0x77, 0x77}));
  EXPECT_EQ((std::vector<BYTE>(pal.end() - 4, pal.end())), (std::vector<BYTE>{0, 0, 131, 0x77}));
  DDReleaseSurface(&sd);
  DDRelease();

  StartMode(kDD32);
  pixels.assign(16 * 24, 0);
  pixels[9 * 16] = 0x80FF0102;  // entry 16, the flag from the fourth byte
  Raw(&sd, 16, 24, pixels);
  EXPECT_EQ(DDSetPalette_UnPal(pal.data(), &sd), 1);
  EXPECT_EQ((std::vector<BYTE>(pal.begin() + 64, pal.begin() + 72)), (std::vector<BYTE>{255, 1, 2, 0x80, 0, 0, 0, 0}));
  DDReleaseSurface(&sd);
}

// ---- mirrored aliases ----

TEST_F(PixelFx, SoftwareFormsShowAMirroredAliasAsItsBlitDoes) {
  for (const DrawMode* mode : {&kD3D32, &kD3D16}) {
    SCOPED_TRACE(mode->name);
    StartMode(*mode);
    DDSURFACEDATA sheet, alias, copy, a, b;
    LoadPicture(&sheet, "cells.bmp", {"RGBW", "YCNB"}, 1, DTMEMORYTYPE_SYSTEM);
    ASSERT_EQ(DDCreateSurfaceFromFile(&alias, "cells.bmp", 1, DDScreenBpp, 0, 0, &sheet, 0, 2, 0, 0), 0);
    // What the alias shows, cell by cell.
    ASSERT_TRUE(DDCreateSurface(&copy, 4, 2, 1, 0, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    DDBlt(&copy, 0, 0, 2, 2, &alias, 0, 0, 0);
    DDBlt(&copy, 2, 0, 2, 2, &alias, 2, 0, 0);
    ASSERT_EQ(Grid(&copy), (Rows{"GRWB", "CYBN"}));
    Blank(&a, 4, 2, 'N');
    Blank(&b, 4, 2, 'N');
    std::vector<BYTE> pal = PaletteWith(1, 0, 0, 0);
    const std::function<void(DDSURFACEDATA*, DDSURFACEDATA*)> effects[] = {
        [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDHalfBlt(d, 0, 0, 2, 2, s, 2, 0, 1, nullptr); },
        [&](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDTintBlt(d, 0, 0, 2, 2, s, 2, 0, 1, pal.data(), nullptr, 1, 2, nullptr); },
        [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDRotateBlt(d, 1, 1, 2, 2, 1, 1, 90, s, 0, 0, 1); },
        [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDMosaic(d, 0, 0, 2, 2, 1, s, 2, 0, 1, nullptr); },
        [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDBlurBlt(d, 0, 0, 2, 2, 1, 1, s, 0, 0, 1, nullptr); },
        [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDLensBlt(d, 1, 1, 2, 1, s, 1, 1, 1, 0, nullptr); },
    };
    for (size_t k = 0; k < std::size(effects); ++k) {
      DDFillSurfaceColour(&a, 'N');
      DDFillSurfaceColour(&b, 'N');
      effects[k](&a, &alias);
      effects[k](&b, &copy);
      EXPECT_EQ(Read(&a), Read(&b)) << "effect " << k;
    }
    for (DDSURFACEDATA* sd : {&b, &a, &copy, &alias, &sheet}) DDReleaseSurface(sd);
    DDRelease();
  }
}
