#include "gamedata/systemdata.h"
#include "gfx/draw_fixture.h"
#include "objects/hero.h"

namespace {

using Rows = std::vector<std::string>;

class HeroBoxes : public DrawTest {
 protected:
  // A hero whose picture sits at (1, 1) on screen, with one display box over its body rectangle.
  void SetUpHero(int kind, int colour) {
    hero_.m_PicRect.m_nLeft = hero_.m_PicRect.m_nTop = 1;
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

}  // namespace
