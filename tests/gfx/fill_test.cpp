#include "draw_fixture.h"
#include "gfx/fill.h"

namespace {
using Rows = std::vector<std::string>;
class FillModes : public DrawModeTest {};
}  // namespace

TEST_P(FillModes, FillsAreClippedToTheSurfaceOnEverySide) {
  StartMode(GetParam());
  DDSURFACEDATA dst;
  Blank(&dst, 8, 3, 'N');
  DDFillRect(&dst, -5, 0, 10, 1, IndexOf('R'));   // columns 0 to 4
  DDFillRect(&dst, -5, 1, 700, 1, IndexOf('G'));  // starts before and ends past the surface
  DDFillRect(&dst, 6, 2, 10, 5, IndexOf('B'));
  DDFillRect(&dst, 9, 0, 3, 3, IndexOf('W'));  // wholly outside
  DDFillRect(&dst, 2, 0, -2, 3, IndexOf('W'));  // no width
  DDSetPixel(&dst, 3, 2, IndexOf('Y'));
  DDSetPixel(&dst, 8, 2, IndexOf('Y'));
  EXPECT_EQ(Grid(&dst), (Rows{"RRRRRNNN", "GGGGGGGG", "NNNYNNBB"}));
  DDReleaseSurface(&dst);
}

TEST_P(FillModes, CircleOutlines) {
  StartMode(GetParam());
  DDSURFACEDATA dst;
  Blank(&dst, 6, 5, 'N');
  DDCircle(&dst, 2, 2, 2, IndexOf('W'));
  DDCircle(&dst, 2, 2, 1, IndexOf('R'));
  DDCircle(&dst, 5, 0, 1, IndexOf('G'));  // partly outside
  DDCircle(&dst, 0, 0, 0, IndexOf('G'));  // no radius
  EXPECT_EQ(Grid(&dst), (Rows{"NWWWGN", "WNRNWG", "WRNRWN", "WNRNWN", "NWWWNN"}));
  DDReleaseSurface(&dst);
}

INSTANTIATE_TEST_SUITE_P(Fills, FillModes, ::testing::ValuesIn(kDrawModes), DrawModeName);

TEST_F(DrawTest, Direct3DFillsBlendOverRenderTargetsAndWriteOtherSurfacesExactly) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[1]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    DDSURFACEDATA rt, keyed, sys;
    Blank(&rt, 2, 1, 'N');
    DDFillRectRGB(&rt, 0, 0, 1, 1, 0x80FF0000);
    DDFillRect(&rt, 1, 0, 1, 1, 0);  // colour 0 has no opacity: nothing changes
    // A colour-keyed render target: palette 0 is its transparent value, written by a clear.
    Blank(&keyed, 3, 1, 'W', 1);
    DDFillRect(&keyed, 0, 0, 1, 1, 0);
    DDFillRect(&keyed, 1, 0, 1, 1, 256);
    EXPECT_TRUE(Has(DebugLines(), "PalNumToRGB(DWORD dwPalNum) Err dwPalNum = 256"));
    EXPECT_EQ(Grid(&keyed), (Rows{"TTW"}));
    // System memory: every pixel written, no blending.
    ASSERT_TRUE(DDCreateSurface(&sys, 3, 1, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    DDFillRectRGB(&sys, -1, 0, 3, 1, 0x80FF8040);
    cDDLock lock;
    ASSERT_TRUE(lock.Lock(&rt));
    if (mode.depth == 32) {
      EXPECT_EQ(lock.Get(0, 0), 0xBF800000u);  // half red over black, alpha blended as well
      EXPECT_EQ(lock.Get(1, 0), 0xFF000000u);
    } else {
      EXPECT_EQ(lock.Get(0, 0), 0xC000u);  // red 16 of 31, the alpha bit from 128 on
      EXPECT_EQ(lock.Get(1, 0), 0x8000u);
    }
    ASSERT_TRUE(lock.Lock(&sys));
    // Each channel c x maximum / 255: at 16 bits alpha 0, red 31, green 15, blue 7.
    uint32_t expected = mode.depth == 32 ? 0x80FF8040u : 0x7DE7u;
    EXPECT_EQ(lock.Get(0, 0), expected);
    EXPECT_EQ(lock.Get(1, 0), expected);
    EXPECT_EQ(lock.Get(2, 0), 0u);
    lock.Unlock();
    for (DDSURFACEDATA* sd : {&rt, &keyed, &sys}) DDReleaseSurface(sd);
    DDRelease();
  }
}

TEST_F(DrawTest, TheBoxBatchDrawsItsBoxesAtTheEndInTheirOrder) {
  StartMode(kDrawModes[0]);
  DDSURFACEDATA a, b, keyed;
  Blank(&a, 4, 4, 'N');
  Blank(&b, 4, 2, 'N');
  Blank(&keyed, 2, 1, 'W', 1);
  DDBeginBoxBatch();
  DDFillRect(&a, 0, 0, 3, 3, IndexOf('R'));
  DDFillRect(&b, -1, 0, 3, 9, IndexOf('G'));
  DDFillRect(&a, 1, 1, 5, 5, IndexOf('C'));
  DDFillRectRGB(&b, 3, 0, 1, 1, 0x80FF0000);
  DDFillRect(&keyed, 0, 0, 1, 1, 0);  // the transparent clear is not queued
  EXPECT_EQ(Grid(&a), (Rows{"NNNN", "NNNN", "NNNN", "NNNN"}));
  EXPECT_EQ(Grid(&keyed), (Rows{"TW"}));
  EXPECT_EQ(DDEndBoxBatch(), 1);
  EXPECT_EQ(Grid(&a), (Rows{"RRRN", "RCCC", "RCCC", "NCCC"}));
  EXPECT_EQ(Grid(&b, 0, 0, 3, 2), (Rows{"GGN", "GGN"}));
  cDDLock lock;
  ASSERT_TRUE(lock.Lock(&b));
  EXPECT_EQ(lock.Get(3, 0) & 0xFFFFFF, 0x800000u);  // the box colour's alpha blends
  lock.Unlock();
  // Closed: fills draw at once again.
  DDFillRect(&a, 0, 0, 1, 1, IndexOf('W'));
  EXPECT_EQ(Grid(&a, 0, 0, 1, 1), (Rows{"W"}));
  for (DDSURFACEDATA* sd : {&a, &b, &keyed}) DDReleaseSurface(sd);
}
