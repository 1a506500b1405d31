#include "gamedata/systemdata.h"
#include "gfx/draw_fixture.h"
#include "objects/hero.h"
#include "scenes/surfacesets.h"

namespace {

using Rows = std::vector<std::string>;

class HeroBoxes : public DrawTest {
 protected:
  // A hero whose picture sits at (1, 1) on screen, with one display box over its body rectangle.
  void SetUpHero(int kind, int colour) {
    hero_.m_bFixedX = hero_.m_bFixedY = 1;
    hero_.m_nFixedX = hero_.m_nFixedY = 1;
    hero_.m_BodyRect.m_nOfsX = hero_.m_BodyRect.m_nOfsY = 0;
    hero_.m_BodyRect.m_nW = 4;
    hero_.m_BodyRect.m_nH = 3;
    cDrawLayer l;
    l.m_nType = 1;
    l.m_nKind = kind;
    l.m_nColor = colour;
    hero_.m_vDrawLayers = {l};
  }
  cHero hero_;
};

TEST_F(HeroBoxes, FilledAndFramedBoxesCycleTheirColour) {
  StartMode({"DD32", 0, 32});
  DDSURFACEDATA dst;
  Blank(&dst, 6, 5, 'Y');
  SetUpHero(1, IndexOf('R'));
  hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYY", "YRRRRY", "YRRRRY", "YRRRRY", "YYYYYY"}));
  for (int i = 0; i < 8; ++i) hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst, 1, 1, 1, 1), (Rows{"G"})) << "the colour steps every 8 frames";
  EXPECT_EQ(hero_.m_vDrawLayers[0].m_nCounter, 9);
  for (int i = 0; i < 23; ++i) hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(hero_.m_vDrawLayers[0].m_nCounter, 0) << "modulo 32";

  DDFillSurfaceColour(&dst, 'Y');
  SetUpHero(2, IndexOf('B'));
  hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst), (Rows{"YYYYYY", "YBBBBY", "YBYYBY", "YBBBBY", "YYYYYY"}));
  DDReleaseSurface(&dst);
}

TEST_F(HeroBoxes, BodyPictureUnderTheBoxes) {
  StartMode({"DD32", 0, 32});
  Blank(&g_AppSurface[4], 32, 32, 'K', 1);  // the first character sheet: cell 0 red, but its top-left pixel
  DDFillRect(&g_AppSurface[4], 0, 0, 32, 32, static_cast<DWORD>(IndexOf('R')));
  DDFillRect(&g_AppSurface[4], 0, 0, 1, 1, 0);
  DDSURFACEDATA dst;
  Blank(&dst, 34, 34, 'Y');
  SetUpHero(2, IndexOf('B'));
  hero_.m_Chara.m_cGraphicKind = 1;
  hero_.m_PicRect.m_nW = hero_.m_PicRect.m_nH = hero_.m_PicRect.m_nBaseW = hero_.m_PicRect.m_nBaseH = 32;
  hero_.m_BodyRect.m_nOfsX = hero_.m_BodyRect.m_nOfsY = 4;
  hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst, 0, 0, 3, 3), (Rows{"YYY", "YYR", "YRR"})) << "the picture at the fixed position, keyed";
  EXPECT_EQ(Grid(&dst, 4, 4, 6, 4), (Rows{"RRRRRR", "RBBBBR", "RBRRBR", "RBBBBR"})) << "the frame over the body";
  EXPECT_EQ(Grid(&dst, 32, 32, 2, 2), (Rows{"RY", "YY"}));
  DDFillSurfaceColour(&dst, 'Y');
  hero_.m_bHidden = 1;
  hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst, 1, 1, 2, 2), (Rows{"YY", "YY"})) << "a hidden hero has no picture";
  EXPECT_EQ(Grid(&dst, 5, 5, 1, 1), (Rows{"B"})) << "but its boxes show";
  DDReleaseSurface(&dst);
  DDReleaseSurface(&g_AppSurface[4]);
}

TEST_F(HeroBoxes, PaletteCycleKeepsTheBaseColourAt8Bits) {
  StartMode({"DD8", 0, 8});
  g_SystemData.m_bPaletteCycle = 1;
  DDSURFACEDATA dst;
  Blank(&dst, 6, 5, 'Y');
  SetUpHero(1, IndexOf('R'));
  for (int i = 0; i < 9; ++i) hero_.DrawLayers(&dst, 0);
  EXPECT_EQ(Grid(&dst, 1, 1, 1, 1), (Rows{"R"}));
  g_SystemData.m_bPaletteCycle = 0;
  DDReleaseSurface(&dst);
}

TEST_F(HeroBoxes, SightMaskFollowsTheHeroWithinTheMask) {
  StartMode({"D3D32", 1, 32});
  DDSURFACEDATA mask, dst;
  Blank(&mask, 1280, 960, 'K', 1);
  Blank(&dst, 640, 480, 'Y');
  hero_.m_PicRect.m_nW = hero_.m_PicRect.m_nH = 32;
  hero_.m_nSight = 64;
  hero_.m_nFacing = 1;
  const struct {
    int mode, left, top, sx, sy;
  } cases[] = {
      {1, 304, 224, 320, 240},  // centred
      {2, 304, 224, 272, 240},  // in front, facing right: 16 - 64 further left in the mask
      {1, -1000, 900, 640, 0},  // clamped to the mask
  };
  for (auto c : cases) {
    hero_.m_Chara.m_cSightMode = static_cast<int8_t>(c.mode);
    hero_.m_PicRect.m_nLeft = c.left;
    hero_.m_PicRect.m_nTop = c.top;
    DDFillSurfaceColour(&mask, 'K');
    DDFillRect(&mask, c.sx, c.sy, 1, 1, static_cast<DWORD>(IndexOf('R')));
    DDFillSurfaceColour(&dst, 'Y');
    hero_.DrawSightMask(&dst, &mask);
    EXPECT_EQ(Grid(&dst, 0, 0, 2, 1), (Rows{"RY"})) << c.mode << " " << c.left;
  }
  hero_.m_Chara.m_cSightMode = 0;
  DDFillSurfaceColour(&dst, 'Y');
  hero_.DrawSightMask(&dst, &mask);
  EXPECT_EQ(Grid(&dst, 0, 0, 1, 1), (Rows{"Y"})) << "no sight setting, no mask";
  DDReleaseSurface(&dst);
  DDReleaseSurface(&mask);
}

}  // namespace
