#include <cstring>

#include "draw_fixture.h"
#include "gfx/blit.h"
#include "gfx/effect.h"
#include "platform/fs/path.h"

namespace {
using Rows = std::vector<std::string>;
}  // namespace

TEST_F(DrawTest, BlendTableFiles) {
  std::vector<uint8_t> shortFile(1000, 0x11), longFile(70000, 0x22);
  longFile[65535] = 0x33;
  ASSERT_TRUE(MakeGameDirectory("bmp") && MakeGameDirectory("bmp\\hbt"));
  ASSERT_TRUE(WriteFileBytes("bmp/hbt/hbt1.dat", shortFile));
  ASSERT_TRUE(WriteFileBytes("bmp/hbt/hbt2.dat", longFile));
  std::vector<BYTE> table(65536, 0x55);

  ASSERT_TRUE(Start(kDirect3D, 32, 1));
  EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt9.dat"));  // untouched, even without a file
  EXPECT_EQ(table[0], 0x55);
  DDRelease();

  ASSERT_TRUE(Start(kDirectDraw, 8, 0));
  EXPECT_FALSE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt9.dat"));
  EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt1.dat"));
  EXPECT_EQ(table[999], 0x11);
  EXPECT_EQ(table[1000], 0x55);  // a short file fills its own length
  EXPECT_TRUE(DDLoadBlendTable(table.data(), "bmp\\hbt\\hbt2.dat"));
  EXPECT_EQ(table[0], 0x22);
  EXPECT_EQ(table[65535], 0x33);
  EXPECT_EQ(DDBlendTable[0], 0);  // the library's table stays zero until loaded into
}

TEST_F(DrawTest, TransparencyPackingAndTheColourOperationPairPerBackEndAndDepth) {
  struct Case {
    int backEnd, depth;
    uint32_t transparent[2];
    uint32_t opaque[2];
  } cases[] = {
      {kDirect3D, 16, {0x0000, 0x1FFF}, {0x2000, 0x8000}},  // the mask is 0xA000
      {kDirect3D, 32, {0x00FFFFFF, 0x00000000}, {0x01000000, 0xFF000000}},
      {kDirectDraw, 32, {0x00FF00FF, 0x00FF00FF}, {0x00FF00FE, 0}},
      {kDirectDraw, 8, {0, 0}, {1, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.depth);
    StartMode({"", c.backEnd, c.depth});
    for (uint32_t p : c.transparent) EXPECT_TRUE(DDIsTransparentPixel(p)) << std::hex << p;
    for (uint32_t p : c.opaque) EXPECT_FALSE(DDIsTransparentPixel(p)) << std::hex << p;
    EXPECT_EQ(DDEffectDepth(), c.depth);
    DDRelease();
  }

  StartMode(kDrawModes[1]);  // Direct3D 16 bits, full screen
  const DWORD white[2] = {0xFFFFFFFF, D3DTOP_ADD}, modulate[2] = {0xFFFFFFFF, D3DTOP_MODULATE},
              red[2] = {0x00400000, D3DTOP_ADD};
  EXPECT_EQ(cDDColorOp(white).Apply(0x8421), 0xFFFFu);
  EXPECT_EQ(cDDColorOp(modulate).Apply(0x8421), 0x8421u);
  EXPECT_EQ(cDDColorOp(nullptr).Apply(0x8421), 0x8421u);
  EXPECT_EQ(cDDColorOp(red).Apply(0x8000 | 30u << 10), 0xFC00u);  // 0x40 is 7 in five bits, clamped at 31
  EXPECT_EQ(DDPack16(&BackBuffer, 31, 10, 1), 31u << 11 | 20u << 5 | 1u);  // R5G6B5, green doubled
  EXPECT_EQ(DDPack16(&VirBackBuffer, 31, 10, 1), 0x8000u | 31u << 10 | 10u << 5 | 1u);
  DDRelease();

  StartMode(kDrawModes[0]);
  const DWORD add[2] = {0x00F01020, D3DTOP_ADD};
  EXPECT_EQ(cDDColorOp(add).Apply(0x80203040), 0x80FF4060u);
}

TEST_F(DrawTest, EffectLocksReleaseBothSurfacesOnEveryPath) {
  for (const DrawMode& mode : {kDrawModes[0], kDrawModes[2]}) {
    SCOPED_TRACE(mode.name);
    StartMode(mode);
    DDSURFACEDATA a, b, none;
    Blank(&a, 4, 2, 'R');
    Blank(&b, 3, 3, 'G');
    {
      cDDEffectLocks locks;
      ASSERT_TRUE(locks.Lock(&a, &b));
      EXPECT_TRUE(locks.InDst(3, 1));
      EXPECT_FALSE(locks.InDst(4, 0));
      EXPECT_TRUE(locks.InSrc(2, 2));
      EXPECT_FALSE(locks.InSrc(3, 0));
      EXPECT_FALSE(locks.InSrc(0, -1));
      EXPECT_NE(locks.Dst().m_pBits, locks.Src().m_pBits);
      // Either lock failing leaves nothing locked.
      EXPECT_FALSE(locks.Lock(&a, &none));
      EXPECT_FALSE(locks.Lock(&none, &b));
      // A destination that is its own source is locked once and read through that lock.
      ASSERT_TRUE(locks.Lock(&b, &b));
      EXPECT_TRUE(locks.Same());
      EXPECT_EQ(locks.Dst().m_pBits, locks.Src().m_pBits);
      locks.Dst().Set(0, 0, locks.Src().Get(1, 1));
    }
    // Both can be locked again, so both were let go.
    cDDLock la, lb;
    EXPECT_TRUE(la.Lock(&a));
    EXPECT_TRUE(lb.Lock(&b));
    la.Unlock();
    lb.Unlock();
    EXPECT_EQ(Grid(&b, 0, 0, 1, 1), (Rows{"G"}));
    DDReleaseSurface(&b);
    DDReleaseSurface(&a);
    DDRelease();
  }
}
