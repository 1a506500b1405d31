// Drawing tests in every back end and depth. The library is started full screen as the start-up
// does it: the palette from a palette bitmap (its colour table, and its swatch block at 16 and 32
// bits) and the transparent colour magenta. Pictures are small 8-bit bitmaps written from rows of
// letters, one letter a colour; a surface is read back as the same letters through the library's
// lock, with 'T' for a transparent pixel (alpha 0 in Direct3D, the colour-key value in DirectDraw).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/fill.h"
#include "gfx/lock.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "platform/video/bmp.h"
#include "support/gfx_fixture.h"

struct DrawMode {
  const char* name;
  int backEnd;
  int depth;
};

inline void PrintTo(const DrawMode& mode, std::ostream* os) { *os << mode.name; }

inline const DrawMode kDrawModes[] = {
    {"D3D32", 1, 32}, {"D3D16", 1, 16}, {"DD32", 0, 32}, {"DD16", 0, 16}, {"DD8", 0, 8},
};

class DrawTest : public GfxTest {
 protected:
  // Palette indexes of the letters; index 0 is the transparent colour.
  static constexpr const char* kLetters = "KRGBWYCN";
  static RGBQUAD ColourOf(char letter) {
    switch (letter) {
      case 'K': return {255, 0, 255, 0};
      case 'R': return {0, 0, 255, 0};
      case 'G': return {0, 255, 0, 0};
      case 'B': return {255, 0, 0, 0};
      case 'W': return {255, 255, 255, 0};
      case 'Y': return {0, 255, 255, 0};
      case 'C': return {255, 255, 0, 0};
      default: return {0, 0, 0, 0};
    }
  }
  static int IndexOf(char letter) { return static_cast<int>(std::string(kLetters).find(letter)); }
  static std::vector<RGBQUAD> ColourTable() {
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i) table[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 77, 0};
    for (int i = 0; kLetters[i]; ++i) table[i] = ColourOf(kLetters[i]);
    return table;
  }

  // An 8-bit bitmap of the rows of letters, with the test colour table.
  static void WritePicture(const std::string& file, const std::vector<std::string>& rows) {
    int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    std::vector<uint8_t> indices;
    for (const std::string& row : rows)
      for (char c : row) indices.push_back(static_cast<uint8_t>(IndexOf(c)));
    ASSERT_TRUE(WriteFileBytes(file, video::EncodeBmp(video::BmpImage::FromIndices(w, h, 8, indices, ColourTable()))));
  }

  // The palette bitmap: the transparent colour at the top left, entry n at (n % 16, 8 + n / 16).
  static void WritePaletteFile(const std::string& file, const std::vector<RGBQUAD>& table = ColourTable()) {
    std::vector<uint8_t> indices(16 * 24, 0);
    for (int n = 0; n < 256; ++n) indices[(8 + n / 16) * 16 + n % 16] = static_cast<uint8_t>(n);
    ASSERT_TRUE(WriteFileBytes(file, video::EncodeBmp(video::BmpImage::FromIndices(16, 24, 8, indices, table))));
  }
  // A 24-bit bitmap of 0xRRGGBB pixels, rows from the top.
  static void WriteTrueColour(const std::string& file, int w, int h, const std::vector<uint32_t>& pixels) {
    ASSERT_TRUE(WriteFileBytes(file, video::EncodeBmp(video::BmpImage::FromArgb(w, h, 24, pixels))));
  }

  // Starts full screen in the mode with the test palette and magenta as the transparent colour.
  void StartMode(const DrawMode& mode, DDSURFACEDATA* app = nullptr, DDBITMAPDATA* bitmaps = nullptr, int count = 0) {
    DDColorKey = 0;  // as at program start: DirectDraw at 8 bits keeps it
    ASSERT_TRUE(Start(mode.backEnd, mode.depth, 0, 0, app, bitmaps, count));
    WritePaletteFile("palette.bmp");
    ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, "palette.bmp"));
    if (mode.depth == 16) {
      ASSERT_EQ(DDSetTransmitFromFile("palette.bmp"), 1);
      RGBTRIPLE key{255, 0, 255};
      if (lpDTCon) lpDTCon->rgbTransmitFile = key;
      else lpDDCon->rgbTransmitFile = key;
    } else {
      DDSetTransmit(255, 0, 255);
    }
  }

  // Loads a picture of letters into a surface at the screen depth.
  void LoadPicture(DDSURFACEDATA* sd, const std::string& file, const std::vector<std::string>& rows, int colorKey,
                   int dtMemType = DTMEMORYTYPE_VIDEO_RT, int mirrorWidth = 0, int mirrorHeight = 0, int palIndex = 0) {
    WritePicture(file, rows);
    ASSERT_EQ(DDCreateSurfaceFromFile(sd, file.c_str(), colorKey, DDScreenBpp, 0, dtMemType, nullptr, palIndex,
                                      mirrorWidth, mirrorHeight, 0),
              0);
  }

  // A blank surface filled with a letter's colour: a render target in Direct3D.
  void Blank(DDSURFACEDATA* sd, int w, int h, char fill, int colorKey = 0) {
    ASSERT_TRUE(DDCreateSurface(sd, w, h, colorKey, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    DDFillSurfaceColour(sd, fill);
  }
  static void DDFillSurfaceColour(DDSURFACEDATA* sd, char fill);

  // The letter of a pixel of the running mode.
  static char Letter(const cDDLock& lock, int x, int y) {
    uint32_t p = lock.Get(x, y), rgb;
    if (lpDTCon) {
      if (DDScreenBpp == 32) {
        if ((p >> 24) == 0) return 'T';
        rgb = p & 0xFFFFFF;
      } else if (lock.m_lpSD == &BackBuffer && DDWindowMode == 0) {
        rgb = video::UnpackArgb(video::PixelFormat::R5G6B5, p) & 0xFFFFFF;
      } else {
        if (!(p & 0x8000)) return 'T';
        rgb = video::UnpackArgb(video::PixelFormat::A1R5G5B5, p) & 0xFFFFFF;
      }
    } else {
      if (p == DDColorKey) return 'T';
      if (DDScreenBpp == 8) {
        const PALETTEENTRY& e = DDPalette[p];
        rgb = uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 | e.peBlue;
      } else if (DDScreenBpp == 16) {
        rgb = video::UnpackArgb(video::PixelFormat::R5G6B5, p) & 0xFFFFFF;
      } else {
        rgb = p & 0xFFFFFF;
      }
    }
    // At 16 bits a channel counts by its top five bits (a doubled 5-bit green fills six bits but one).
    uint32_t mask = DDScreenBpp == 16 ? 0xF8F8F8 : 0xFFFFFF;
    for (int i = 0; kLetters[i]; ++i) {
      RGBQUAD c = ColourOf(kLetters[i]);
      if ((rgb & mask) == ((uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | c.rgbBlue) & mask))
        return kLetters[i];
    }
    return '?';
  }

  // The surface's pixels as rows of letters.
  static std::vector<std::string> Grid(DDSURFACEDATA* sd, int x = 0, int y = 0, int w = -1, int h = -1) {
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(sd));
    if (!lock.m_pBits) return {};
    if (w < 0) w = lock.m_lpSD->nWidth;
    if (h < 0) h = lock.m_lpSD->nHeight;
    std::vector<std::string> rows;
    for (int j = 0; j < h; ++j) {
      std::string row;
      for (int k = 0; k < w; ++k) row += Letter(lock, x + k, y + j);
      rows.push_back(row);
    }
    return rows;
  }

  // Raw pixels of the running depth, rows from the top, written into a surface and read back whole.
  static void Put(DDSURFACEDATA* sd, const std::vector<uint32_t>& pixels) {
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(sd));
    const int w = lock.m_lpSD->nWidth;
    for (size_t k = 0; k < pixels.size(); ++k) lock.Set(static_cast<int>(k % w), static_cast<int>(k / w), pixels[k]);
  }
  static std::vector<uint32_t> Read(DDSURFACEDATA* sd) {
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(sd));
    std::vector<uint32_t> out;
    if (!lock.m_pBits) return out;
    for (int y = 0; y < lock.m_lpSD->nHeight; ++y)
      for (int x = 0; x < lock.m_lpSD->nWidth; ++x) out.push_back(lock.Get(x, y));
    return out;
  }
};

inline void DrawTest::DDFillSurfaceColour(DDSURFACEDATA* sd, char fill) {
  DDFillSurface(sd, static_cast<DWORD>(IndexOf(fill)));
}

class DrawModeTest : public DrawTest, public ::testing::WithParamInterface<DrawMode> {};

inline std::string DrawModeName(const ::testing::TestParamInfo<DrawMode>& info) { return info.param.name; }
