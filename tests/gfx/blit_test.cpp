#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/drawstate.h"
#include "gfx/layer.h"
#include "core/timing.h"
#include "gfx/present.h"

namespace {
using Rows = std::vector<std::string>;
class BlitModes : public DrawModeTest {};
}  // namespace

TEST_P(BlitModes, SameSizeBlitsWithAndWithoutTheColourKey) {
  StartMode(GetParam());
  DDSURFACEDATA sheet, dst;
  LoadPicture(&sheet, "sheet.bmp", {"RGKB", "KWWK"}, 1);
  Blank(&dst, 6, 4, 'Y');
  DDBlt(&dst, 1, 1, 4, 2, &sheet, 0, 0, 1);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYY", "YRGYBY", "YYWWYY", "YYYYYY"}));

  // An opaque copy of a colour-keyed picture carries its transparent pixels along.
  DDFillSurfaceColour(&dst, 'Y');
  DDBlt(&dst, 1, 1, 4, 2, &sheet, 0, 0, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYY", "YRGTBY", "YTWWTY", "YYYYYY"}));

  // Clipped on every side: the parts inside the destination land where they belong.
  DDFillSurfaceColour(&dst, 'Y');
  DDBlt(&dst, -2, -1, 4, 2, &sheet, 0, 0, 1);
  DDBlt(&dst, 4, 3, 4, 2, &sheet, 0, 0, 1);
  EXPECT_EQ(Grid(&dst), (Rows{"WYYYYY", "YYYYYY", "YYYYYY", "YYYYRG"}));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

TEST_P(BlitModes, StretchedAndMirroredBlits) {
  StartMode(GetParam());
  DDSURFACEDATA sheet, mirrored, dst;
  LoadPicture(&sheet, "cells.bmp", {"RGBW", "KCCK"}, 1);
  Blank(&dst, 8, 4, 'Y');
  DDStretchBlt(&dst, 0, 0, 8, 2, &sheet, 0, 0, 4, 1, 1);
  DDStretchBlt(&dst, 0, 2, 8, 1, &sheet, 0, 1, 4, 1, 1);
  // Shrinking samples at the pixel centres on the device (every second column from the second one),
  // from the left edge in DirectDraw.
  DDStretchBlt(&dst, 0, 3, 2, 1, &sheet, 0, 0, 4, 1, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"RRGGBBWW", "RRGGBBWW", "YYCCCCYY", lpDTCon ? "GWYYYYYY" : "RBYYYYYY"}));

  // Cells of two pixels shown mirrored: in Direct3D an alias reads its partner backwards, in
  // DirectDraw the surface holds the mirrored cells.
  if (lpDTCon) {
    ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, "cells.bmp", 1, DDScreenBpp, 0, 0, &sheet, 0, 2, 0, 0), 0);
  } else {
    LoadPicture(&mirrored, "cells.bmp", {"RGBW", "KCCK"}, 1, DTMEMORYTYPE_VIDEO_RT, 2, 0);
  }
  DDFillSurfaceColour(&dst, 'Y');
  DDBlt(&dst, 0, 0, 2, 2, &mirrored, 0, 0, 1);
  DDBlt(&dst, 3, 0, 2, 2, &mirrored, 2, 0, 1);
  DDBlt(&dst, 6, 0, 1, 1, &mirrored, 1, 0, 1);  // a narrower piece of a cell: its mirror image
  EXPECT_EQ(Grid(&dst, 0, 0, 8, 2), (Rows{"GRYWBYRY", "CYYYCYYY"}));
  DDReleaseSurface(&mirrored);

  if (lpDTCon) {
    ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, "cells.bmp", 1, DDScreenBpp, 0, 0, &sheet, 0, 0, 2, 0), 0);
  } else {
    LoadPicture(&mirrored, "cells.bmp", {"RGBW", "KCCK"}, 1, DTMEMORYTYPE_VIDEO_RT, 0, 2);
  }
  DDFillSurfaceColour(&dst, 'Y');
  DDBlt(&dst, 0, 0, 4, 2, &mirrored, 0, 0, 0);
  EXPECT_EQ(Grid(&dst, 0, 0, 4, 2), (Rows{"TCCT", "RGBW"}));
  DDReleaseSurface(&mirrored);
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

INSTANTIATE_TEST_SUITE_P(Modes, BlitModes, ::testing::ValuesIn(kDrawModes), DrawModeName);

TEST_F(DrawTest, SystemMemorySourcesAreCopiedInSoftware) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[1]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    DDSURFACEDATA sheet, alias, dst, sys;
    LoadPicture(&sheet, "cells.bmp", {"RGBW", "KCCK"}, 1, DTMEMORYTYPE_SYSTEM);
    ASSERT_EQ(DDCreateSurfaceFromFile(&alias, "cells.bmp", 1, DDScreenBpp, 0, 0, &sheet, 0, 2, 0, 0), 0);
    Blank(&dst, 8, 4, 'Y');
    DDStretchBlt(&dst, 0, 0, 8, 1, &sheet, 0, 0, 4, 1, 1);
    DDStretchBlt(&dst, 0, 1, 8, 1, &sheet, 0, 1, 4, 1, 1);
    DDStretchBlt(&dst, 0, 2, 2, 1, &sheet, 0, 0, 4, 1, 0);  // from the left edge, as DirectDraw
    DDBlt(&dst, 0, 3, 2, 1, &alias, 0, 0, 1);
    DDBlt(&dst, 3, 3, 2, 1, &alias, 2, 0, 0);
    EXPECT_EQ(Grid(&dst), (Rows{"RRGGBBWW", "YYCCCCYY", "RBYYYYYY", "GRYWBYYY"}));

    // Onto a surface that is not a render target, with and without the key.
    ASSERT_TRUE(DDCreateSurface(&sys, 4, 2, 1, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    DDFillSurfaceColour(&sys, 'W');
    DDBlt(&sys, 0, 0, 4, 2, &sheet, 0, 0, 1);
    EXPECT_EQ(Grid(&sys), (Rows{"RGBW", "WCCW"}));
    DDBlt(&sys, 0, 0, 4, 2, &sheet, 0, 0, 0);
    EXPECT_EQ(Grid(&sys), (Rows{"RGBW", "TCCT"}));
    for (DDSURFACEDATA* sd : {&sys, &dst, &alias, &sheet}) DDReleaseSurface(sd);
    DDRelease();
  }
}

TEST_F(DrawTest, SixteenBitCopiesOntoTheFullScreenBackBufferTakeItsFormat) {
  StartMode(kDrawModes[1]);
  DDSURFACEDATA sheet;
  LoadPicture(&sheet, "sheet.bmp", {"RGKB", "KWWC"}, 1, DTMEMORYTYPE_SYSTEM);
  DDFillSurfaceColour(&BackBuffer, 'Y');
  DDBlt(&BackBuffer, 0, 0, 4, 2, &sheet, 0, 0, 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 5, 2), (Rows{"RGYBY", "YWWCY"}));
  // An opaque copy of a keyed texture by the device leaves the transparent colour itself, as the
  // software copy makes it.
  DDSURFACEDATA keyed;
  LoadPicture(&keyed, "keyed.bmp", {"KR"}, 1);
  DDBlt(&BackBuffer, 0, 3, 2, 1, &keyed, 0, 0, 0);
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&BackBuffer));
  EXPECT_EQ(lock.Get(1, 0), 0x07C0u);  // green: 5 bits doubled into the 6-bit field
  EXPECT_EQ(lock.Get(3, 1), 0x07DFu);
  EXPECT_EQ(lock.Get(0, 3), 0xF81Fu);
  EXPECT_EQ(lock.Get(1, 3), 0xF800u);
  lock.Unlock();
  DDReleaseSurface(&keyed);
  DDReleaseSurface(&sheet);
}

TEST_F(DrawTest, ClippingTable) {
  enum { kD3D = 1, kDD = 2, kBoth = 3 };
  struct Case {
    const char* name;
    int backEnds;
    int in[8];   // x, y, w, h, sx, sy, sw, sh
    int out[8];  // after clipping, when something remains
    int remains;
  };
  // Destination 100 x 50, source 200 x 20.
  const Case cases[] = {
      {"inside", kBoth, {10, 5, 8, 4, 2, 3, 8, 4}, {10, 5, 8, 4, 2, 3, 8, 4}, 1},
      {"left edge moves the source", kBoth, {-3, 0, 8, 4, 2, 0, 8, 4}, {0, 0, 5, 4, 5, 0, 5, 4}, 1},
      {"negative source start keeps x", kBoth, {10, 0, 8, 4, -3, 0, 8, 4}, {10, 0, 5, 4, 0, 0, 5, 4}, 1},
      {"right and bottom edges", kBoth, {96, 48, 8, 4, 0, 0, 8, 4}, {96, 48, 4, 2, 0, 0, 4, 2}, 1},
      {"past both edges", kBoth, {-5, 0, 120, 4, 0, 0, 120, 4}, {0, 0, 100, 4, 5, 0, 100, 4}, 1},
      {"source wholly outside", kBoth, {0, 0, 8, 4, 250, 0, 8, 4}, {}, 0},
      {"nothing to draw", kBoth, {0, 0, 0, 4, 0, 0, 0, 4}, {}, 0},
      {"stretch from -10 keeps x", kD3D, {20, 0, 80, 8, -10, 0, 40, 4}, {20, 0, 60, 8, 0, 0, 30, 4}, 1},
      {"mirrored stretch", kD3D, {0, 0, 16, 4, 30, 0, -40, 4}, {0, 0, 12, 4, 30, 0, -30, 4}, 1},
      {"stretched source outside", kD3D, {0, 0, 16, 4, 245, 0, 10, 4}, {}, 0},
      {"stretch clipped at the left", kDD, {-10, 0, 40, 4, 0, 0, 20, 4}, {0, 0, 30, 4, 5, 0, 15, 4}, 1},
      {"stretch clipped at the right", kDD, {80, 0, 40, 4, 0, 0, 20, 4}, {80, 0, 20, 4, 0, 0, 10, 4}, 1},
  };
  for (int backEnd : {kDirect3D, kDirectDraw}) {
    ASSERT_TRUE(Start(backEnd, 32, 1));
    DDSURFACEDATA dst, src;
    dst.nWidth = 100, dst.nHeight = 50, src.nWidth = 200, src.nHeight = 20;
    for (const Case& c : cases) {
      if (!(c.backEnds & (backEnd ? kD3D : kDD))) continue;
      SCOPED_TRACE(std::string(c.name) + (backEnd ? " D3D" : " DD"));
      int v[8];
      std::copy(c.in, c.in + 8, v);
      int remains = DDClipBlt(&dst, &v[0], &v[1], &v[2], &v[3], &src, &v[4], &v[5], &v[6], &v[7]);
      EXPECT_EQ(remains, c.remains);
      if (remains) {
        EXPECT_EQ(std::vector<int>(v, v + 8), std::vector<int>(c.out, c.out + 8));
      }
    }
    DDRelease();
  }
}

TEST_F(DrawTest, BothBackEndsDrawTheSameFrameOfCopiesAndFills) {
  // Unscaled blits with and without the key, clipped at every edge, and fills, onto the back buffer.
  auto frame = [this](int backEnd) {
    StartMode({"", backEnd, 32});
    DDSURFACEDATA sprite, picture;
    LoadPicture(&sprite, "sprite.bmp", {"KRRK", "RWWR", "RWWR", "KBBK"}, 1);
    LoadPicture(&picture, "picture.bmp", {"CCGY", "CNNY", "CNNY"}, 0);
    DDFillSurfaceColour(&BackBuffer, 'N');
    DDFillRect(&BackBuffer, -5, 100, 700, 20, IndexOf('G'));
    DDFillRect(&BackBuffer, 630, 470, 50, 50, IndexOf('W'));
    DDFillRect(&BackBuffer, 3, 3, 10, 10, IndexOf('C'));
    for (int i = 0; i < 40; ++i) {
      DDBlt(&BackBuffer, i * 17 - 2, (i * 29) % 490 - 2, 4, 4, &sprite, 0, 0, 1);
      DDBlt(&BackBuffer, 638 - i * 16, (i * 13) % 480, 4, 3, &picture, 0, 0, 0);
    }
    DDBlt(&BackBuffer, 5, 200, 4, 4, &sprite, 0, 0, 0);  // opaque: the transparent colour itself
    std::vector<uint32_t> pixels;
    cDDLock lock;
    EXPECT_TRUE(lock.Lock(&BackBuffer));
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) pixels.push_back(lock.Get(x, y) & 0xFFFFFF);
    lock.Unlock();
    DDReleaseSurface(&picture);
    DDReleaseSurface(&sprite);
    DDRelease();
    return pixels;
  };
  std::vector<uint32_t> d3d = frame(kDirect3D), dd = frame(kDirectDraw);
  ASSERT_EQ(d3d.size(), dd.size());
  int differ = 0;
  for (size_t i = 0; i < d3d.size(); ++i) differ += d3d[i] != dd[i];
  EXPECT_EQ(differ, 0);
  EXPECT_EQ(d3d[200 * 640 + 5], 0xFF00FFu);  // the opaque copy left the transparent colour
  EXPECT_EQ(d3d[100 * 640 + 0], 0x00FF00u);
}

TEST_F(DrawTest, VirtualModeDrawsIntoTheVirtualBackBufferUntilItIsTurnedOff) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA sheet;
  LoadPicture(&sheet, "sheet.bmp", {"RG"}, 1);
  DDFillSurfaceColour(&BackBuffer, 'N');
  DDSetVirtualBackBuffer(1);
  DDFillSurfaceColour(&BackBuffer, 'Y');
  DDBlt(&BackBuffer, 10, 10, 2, 1, &sheet, 0, 0, 1);
  EXPECT_EQ(Grid(&VirBackBuffer, 9, 10, 4, 1), (Rows{"YRGY"}));
  DDSetVirtualBackBuffer(0);  // checked on the device's back buffer itself
  IDirect3DSurface9* back = BackBuffer.lpDT->lpSurface;
  EXPECT_EQ(back->Pixels().Get(10, 10), 0xFFFF0000u);
  EXPECT_EQ(back->Pixels().Get(0, 0), 0xFFFFFF00u);

  // Present copies the virtual back buffer while virtual mode is on.
  DDSetVirtualBackBuffer(1);
  DDFillSurfaceColour(&BackBuffer, 'C');
  ASSERT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(presenter_->LastFrame().At(0, 0), 0xFF00FFFFu);
  DDSetVirtualBackBuffer(0);
  DDReleaseSurface(&sheet);
}

TEST_F(DrawTest, BlendBlitsUseTheirColourForOneBlitOnly) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA sheet, dst;
  LoadPicture(&sheet, "sheet.bmp", {"WR"}, 1);
  Blank(&dst, 2, 2, 'N');
  const DWORD half[2] = {0xFF808080, D3DTOP_MODULATE};
  DDBltBlend(&dst, 0, 0, 2, 1, &sheet, 0, 0, 1, half);
  const DWORD add[2] = {0xFF0000FF, D3DTOP_ADD};
  DDStretchBltBlend(&dst, 0, 1, 2, 1, &sheet, 0, 0, 2, 1, 1, add);
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&dst));
  EXPECT_EQ(lock.Get(0, 0), 0xFF808080u);
  EXPECT_EQ(lock.Get(1, 0), 0xFF800000u);
  EXPECT_EQ(lock.Get(0, 1), 0xFFFFFFFFu);
  EXPECT_EQ(lock.Get(1, 1), 0xFFFF00FFu);
  lock.Unlock();
  EXPECT_EQ(lpDTCon->dwDrawColor, 0xFFFFFFFFu);
  EXPECT_EQ(lpDTCon->dwColorOp, static_cast<DWORD>(D3DTOP_MODULATE));
  DDReleaseSurface(&dst);
  DDReleaseSurface(&sheet);
}

TEST_F(DrawTest, EmptyRecordsDrawNothing) {
  for (int backEnd : {kDirect3D, kDirectDraw}) {
    StartMode({"", backEnd, 32});
    DDSURFACEDATA empty, dst;
    Blank(&dst, 2, 1, 'Y');
    EXPECT_EQ(DDBlt(&dst, 0, 0, 2, 1, &empty, 0, 0, 0), 0);
    EXPECT_EQ(DDBlt(&empty, 0, 0, 2, 1, &dst, 0, 0, 0), 0);
    EXPECT_EQ(DDBlt(&dst, 0, 0, 2, 1, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(Grid(&dst), (Rows{"YY"}));
    DDReleaseSurface(&dst);
    DDRelease();
  }
}

TEST_F(DrawTest, DebugTextPlacesGlyphCellsAndWraps) {
  for (int backEnd : {kDirect3D, kDirectDraw}) {
    StartMode({"", backEnd, 32});
    // A sheet of 16 x 16 cells of 40 x 1 pixels: the cell of byte 0x52 ('R') is red, the cells of 'G'
    // and of the half-width katakana 0xB0 (row 1 of the sheet) green and blue, the rest transparent.
    std::vector<std::string> rows(16, std::string(640, 'K'));
    auto paint = [&rows](int row, int column, char c) { rows[row].replace(column * 40, 40, 40, c); };
    paint(5, 2, 'R');
    paint(4, 7, 'G');
    paint(1, 0, 'B');
    DDSURFACEDATA sheet;
    LoadPicture(&sheet, "debug.bmp", rows, 1);
    DDFillSurfaceColour(&BackBuffer, 'N');
    std::string text = "RG\nG" + std::string(14, ' ') + "\xB0" + "R";  // the 17th cell of a line wraps
    DDDebugText(&BackBuffer, 0, 10, 40, 1, &sheet, text.c_str());
    EXPECT_EQ(Grid(&BackBuffer, 0, 10, 3, 1), (Rows{"RRR"}));
    EXPECT_EQ(Grid(&BackBuffer, 40, 10, 1, 1), (Rows{"G"}));
    EXPECT_EQ(Grid(&BackBuffer, 0, 11, 1, 1), (Rows{"G"}));
    EXPECT_EQ(Grid(&BackBuffer, 600, 11, 40, 1), (Rows{std::string(40, 'B')}));
    EXPECT_EQ(Grid(&BackBuffer, 0, 12, 41, 1), (Rows{std::string(40, 'R') + "N"}));
    EXPECT_EQ(DDLayerCount(), 0);

    // Formatted text is cut at 255 bytes: byte 254 is drawn (line 15, cell 14), byte 255 is not.
    DDFillSurfaceColour(&BackBuffer, 'N');
    DDDebugPrintf(&BackBuffer, 0, 20, 40, 1, &sheet, "%s%s", std::string(254, ' ').c_str(), "RR");
    EXPECT_EQ(Grid(&BackBuffer, 560, 35, 41, 1), (Rows{std::string(40, 'R') + "N"}));
    DDReleaseSurface(&sheet);
    DDRelease();
  }
}

TEST_F(DrawTest, TheFrameLimiterDrawsItsStatisticsAsDebugText) {
  ResetTimingForTest();
  StartMode(kDrawModes[0]);  // started without VSync: the present asks the frame limiter
  DDSURFACEDATA sheet;
  LoadPicture(&sheet, "debug.bmp", std::vector<std::string>(256, std::string(128, 'W')), 0);
  DDFillSurfaceColour(&BackBuffer, 'N');
  ASSERT_EQ(DDPresent(60, 1, &sheet), 1);
  video::Frame frame = presenter_->LastFrame();
  EXPECT_EQ(frame.At(0, 16), 0xFFFFFFFFu);  // the first glyph cell of the text at (0, 16)
  EXPECT_EQ(frame.At(0, 15), 0xFF000000u);
  DDReleaseSurface(&sheet);
  ResetTimingForTest();
}
