#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "gfx/globals.h"
#include "objects/objects_fixture.h"
#include "stagedata/stagesub.h"

namespace {

class GameObjTest : public ObjectsTest {
 protected:
  // A box of w x h at (x, y) with its edges and cells refreshed.
  static void Place(cGameObj& o, double x, double y, int w = 32, int h = 32) {
    o.m_nHitW = o.m_nBaseHitW = w;
    o.m_nHitH = o.m_nBaseHitH = h;
    o.m_dX = x;
    o.m_dY = y;
    o.CheckBoundsX(-1);
    o.CheckBoundsY(-1);
  }
};

TEST_F(GameObjTest, InitStartsTheSequencerOnlyWithATable) {
  const cAnimFrameTable table = {{{1, 5, 1}, {-2, 0, 0}}, {{7, 5, 1}, {-2, 0, 0}}};
  cGameObj o;
  o.m_bActive = o.m_bOnScreen = o.m_bAppearLatched = 1;
  o.m_dSpeedX = o.m_dInertiaY = 2;
  o.Init(12, 1, 0, 3, 40, &table, 1, 4, 6, 24, 26, 32, 32, 1, 3, 2);
  EXPECT_EQ(o.m_nLifeTime, INT_MAX);
  EXPECT_EQ(o.m_AnimSeq.GetValue(), 7);
  EXPECT_EQ(o.m_nObjNo, 12);
  EXPECT_EQ(o.m_nSide, 3);
  EXPECT_EQ(o.m_sParamLevel, 2);
  EXPECT_EQ(o.m_PicRect.m_nBaseOfsY, 6);
  EXPECT_EQ(o.m_PicRect.m_nOfsY, 6);
  EXPECT_EQ(o.m_nBaseHitH, 26);
  EXPECT_EQ(o.m_nHitW, 24);
  EXPECT_EQ(o.m_bActive + o.m_bOnScreen + o.m_bAppearLatched, 0);
  EXPECT_EQ(o.m_dSpeedX + o.m_dInertiaY, 0);
  EXPECT_EQ(o.m_bFlying, 1);
  EXPECT_EQ(o.m_nBlockMode, BLOCK_DIE);

  // Without a table the sequencer keeps what it had.
  o.Init(13, 1, 0, 3, 40, nullptr, 0, 4, 6, 24, 26, 32, 32, 1, 0, 2);
  EXPECT_EQ(o.m_AnimSeq.GetValue(), 7);
}

TEST_F(GameObjTest, MoveModes) {
  const struct {
    int mode, flying, blockMode;
  } rows[] = {{0, 0, BLOCK_STOP}, {1, 1, BLOCK_PASS}, {2, 1, BLOCK_STOP}, {3, 1, BLOCK_DIE},
              {7, 5, 9},          {-1, 5, 9}};
  for (const auto& r : rows) {
    cGameObj o;
    o.m_bFlying = 5;
    o.m_nBlockMode = 9;
    o.SetMoveMode(r.mode);
    EXPECT_EQ(o.m_bFlying, r.flying) << r.mode;
    EXPECT_EQ(o.m_nBlockMode, r.blockMode) << r.mode;
  }
}

TEST_F(GameObjTest, ScaleMovesXByTheIntegerHalfOfTheBaseWidth) {
  cGameObj o;
  o.Init(1, 1, 0, 1, 0, nullptr, 0, 2, 3, 13, 20, 32, 30, 0, 0, 0);
  Place(o, 800.25, 700, 13, 20);
  o.SetScale(1, 1, 0);  // equal scales: nothing
  EXPECT_EQ(o.m_nHitW, 13);
  EXPECT_EQ(o.m_dX, 800.25);
  o.SetScale(3, 1, 0);
  EXPECT_EQ(o.m_dX, 800.25 - 2 * 6);
  EXPECT_EQ(o.m_dRight, 800.25 - 12 + 39 - 1);
  EXPECT_EQ(o.m_nHitW, 39);
  EXPECT_EQ(o.m_nHitH, 60);
  EXPECT_EQ(o.m_PicRect.m_nOfsX, 6);
  EXPECT_EQ(o.m_PicRect.m_nOfsY, 9);
  EXPECT_EQ(o.m_PicRect.m_nW, 96);
  EXPECT_EQ(o.m_PicRect.m_nH, 90);
  o.SetScale(2, 3, 0);  // shrinking moves right
  EXPECT_EQ(o.m_dX, 800.25 - 12 + 6);
  // Near the grid's start the bounds check of mode 2 keeps the box on the grid.
  Place(o, 4, 700, 13, 20);
  o.SetScale(3, 2, 0);
  EXPECT_EQ(o.m_dX, 0);
}

struct ScreenCase {
  const char* name;
  int flying, scrollSync;
  double autoSpeedX, autoSpeedY;
  int atLimitX;
  int left, top;
};

TEST_F(GameObjTest, ScreenPositionTruncatesByMoveModeAndScrolling) {
  // x = 322.5, scroll x = 320.7: trunc(x) - trunc(sx) - 3 = -1; trunc(x - sx) - 3 = -2;
  // trunc(x - 3 - trunc(sx)) = 0. y = 321.9, scroll y = 320.2: trunc(y) - trunc(sy) - 3 = -2;
  // trunc(y - sy) - 3 + 1 = -1; trunc(y - 3 - trunc(sy)) = -1.
  const ScreenCase cases[] = {
      {"walking, idle", 0, 0, 0, 0, 0, 0, -1},
      {"walking, scrolling with sync", 0, 1, 1.5, 1.5, 0, 0, -1},
      {"flying, idle", 1, 0, 0, 0, 0, -1, -2},
      {"flying, scrolling held at its limit", 1, 1, 1.5, 0, 1, -1, -2},
      {"flying, scrolling", 1, 0, 1.5, -0.5, 0, 0, -1},
      {"flying, scrolling with sync", 1, 1, 1.5, 0.5, 0, -2, -1},
  };
  for (const ScreenCase& c : cases) {
    cGameObj o;
    o.Init(1, 1, 0, 1, 0, nullptr, 0, 3, 3, 20, 20, 24, 28, 0, c.flying ? 1 : 0, 0);
    o.m_bScrollSync = c.scrollSync;
    o.m_dX = 322.5;
    o.m_dY = 321.9;
    scene_.m_ScrollX.m_dPos = 320.7;
    scene_.m_ScrollY.m_dPos = 320.2;
    scene_.m_ScrollX.m_dAutoSpeed = c.autoSpeedX;
    scene_.m_ScrollY.m_dAutoSpeed = c.autoSpeedY;
    scene_.m_ScrollX.m_bAtLimit = c.atLimitX;
    o.UpdateScreenPos();
    EXPECT_EQ(o.m_PicRect.m_nLeft, c.left) << c.name;
    EXPECT_EQ(o.m_PicRect.m_nTop, c.top) << c.name;
    EXPECT_EQ(o.m_PicRect.m_nRight, c.left + 23) << c.name;
    EXPECT_EQ(o.m_PicRect.m_nBottom, c.top + 27) << c.name;
  }
}

TEST_F(GameObjTest, OnScreenBoundaries) {
  scene_.m_ScrollX.m_dPos = 400;
  scene_.m_ScrollY.m_dPos = 500;
  const struct {
    double x, y;
    int on, onIgnoringX, onIgnoringY;
  } rows[] = {
      {400 - 31, 600, 1, 1, 1},          // right edge on the view's left edge
      {400 - 32, 600, 0, 1, 0},          // one pixel further left
      {400 + 640, 600, 0, 1, 0},         // x on the view's right end
      {400 + 639.5, 600, 1, 1, 1},
      {600, 500 - 31, 1, 1, 1},
      {600, 500 + 480, 0, 0, 1},
      {400 + 640, 500 + 480, 0, 0, 0},
  };
  for (const auto& r : rows) {
    cGameObj o;
    Place(o, r.x, r.y);
    EXPECT_EQ(o.IsOnScreen(), r.on) << r.x << "," << r.y;
    EXPECT_EQ(o.IsOnScreenEx(1, 0), r.onIgnoringX) << r.x << "," << r.y;
    EXPECT_EQ(o.IsOnScreenEx(0, 1), r.onIgnoringY) << r.x << "," << r.y;
    EXPECT_EQ(o.IsOnScreenEx(1, 1), 1);
  }
}

TEST_F(GameObjTest, InStageOnTheWholeGridOrTheStage) {
  const int gridW = kStageW * 32 + 640, gridH = kStageH * 32 + 640;
  const struct {
    double x, y;
    int inGrid, inStage;
  } rows[] = {
      {0, 0, 1, 0},           {-0.5, 100, 0, 0},  {gridW - 32, gridH - 32, 1, 0}, {gridW - 31, 100, 0, 0},
      {320, 320, 1, 1},       {319.5, 400, 1, 0}, {1600 - 32, 1280 - 32, 1, 1},  {1600 - 31, 400, 1, 0},
      {400, 1280 - 31, 1, 0},
  };
  for (const auto& r : rows) {
    cGameObj o;
    Place(o, r.x, r.y);
    EXPECT_EQ(o.IsInStage(1), r.inGrid) << r.x << "," << r.y;
    EXPECT_EQ(o.IsInStage(0), r.inStage) << r.x << "," << r.y;
  }
}

TEST_F(GameObjTest, OutOfAreaBySideSwitchesAndAtTheGridsEdge) {
  scene_.m_ScrollX.m_dPos = 640.5;
  scene_.m_ScrollY.m_dPos = 400;
  cStageSubRec area;
  area.Set(1, 1, 1, 1, 2, 3, 1, 4);  // left 2, right 3, top 1, bottom 4 cells beyond the view
  const int gridW = kStageW * 32 + 640;
  const struct {
    double x, y;
    int onScreen, out;
  } rows[] = {
      {640 - 64 - 31, 600, 0, 1},         // right edge on trunc(640.5 - 64): out on the left
      {640 - 64 - 30, 600, 0, 0},
      {640 + 96 + 640, 600, 0, 1},        // x on trunc(640.5 + 96 + 640): out on the right
      {640 + 96 + 639, 600, 0, 0},
      {800, 400 + 128 + 480, 0, 1},       // bottom
      {800, 400 + 128 + 479, 0, 0},
      {800, 400 - 32 - 31, 0, 1},         // top
      {800, 400 - 32 - 30, 0, 0},
      {0, 600, 1, 0},                     // on screen: never out, even at the grid's edge
      {0, 600, 0, 1},                     // off screen at x = 0
      {gridW - 32, 600, 0, 1},            // right edge on grid width - 1
      {800, 0, 0, 1},
  };
  for (const auto& r : rows) {
    cGameObj o;
    Place(o, r.x, r.y);
    o.m_bOnScreen = r.onScreen;
    EXPECT_EQ(o.IsOutOfArea(area), r.out) << r.x << "," << r.y;
  }
  // Switches off: only the grid's edges count.
  cStageSubRec none;
  none.Set(0, 0, 0, 0, 0, 0, 0, 0);
  cGameObj far;
  Place(far, 640 + 96 + 640 + 300, 600);
  EXPECT_EQ(far.IsOutOfArea(none), 0);
}

TEST_F(GameObjTest, InBlockLooksAtTheFourCornerCellsForTheObjectsSide) {
  const int stride = scene_.m_ScrollX.m_nRowStride;
  cMapCell blank;
  blank.m_cHit = 0;
  g_MapCells.assign(static_cast<size_t>(stride * (kStageH + 20)), blank);
  cMapCell& solid = g_MapCells[static_cast<size_t>(20 + (15 << scene_.m_ScrollX.m_nShift))];
  solid.m_cHit = 1;
  solid.m_cHitExempt = 4;  // lets side 4 through
  const struct {
    double x, y;
    int side, in;
  } rows[] = {
      {20 * 32 - 31, 15 * 32 - 31, 1, 1},  // bottom-right corner in the cell
      {20 * 32 + 31, 15 * 32 + 31, 1, 1},  // top-left corner
      {20 * 32 - 32, 15 * 32, 1, 0},       // touching from the left
      {20 * 32, 15 * 32 + 32, 1, 0},       // below it
      {20 * 32, 15 * 32, 4, 0},            // the exempt side
  };
  for (const auto& r : rows) {
    cGameObj o;
    o.m_nSide = r.side;
    Place(o, r.x, r.y);
    EXPECT_EQ(o.IsInBlock(), r.in) << r.x << "," << r.y;
    EXPECT_EQ(o.IsInBlockForSide(), r.in);
  }
  // A cell whose conditions do not hold on the hero blocks nothing (a condition of kind 0 never holds).
  solid.m_vCond.resize(1);
  cGameObj o;
  Place(o, 20 * 32, 15 * 32);
  EXPECT_EQ(o.IsInBlock(), 0);
  EXPECT_EQ(TakeCloseRequests(), 0);
}

TEST_F(GameObjTest, CopiesKeepToTheirPart) {
  cCharaBase a, b;
  a.m_dX = 5.5;
  a.m_nGraphicNo = 9;
  a.m_PicRect.m_nW = 48;
  a.m_AnimSeq.BuildOne({{3, 1, 0}, {-2, 0, 0}});
  a.m_dImpactX = 2;
  b.CopyFrom(a);
  EXPECT_EQ(b.m_dX, 5.5);
  EXPECT_EQ(b.m_AnimSeq.GetValue(), 3);
  EXPECT_EQ(b.m_dImpactX, 0);  // the root's copy leaves the kind's members alone
  cCharaBase c;
  c.CopyLook(a);
  EXPECT_EQ(c.m_nGraphicNo, 9);
  EXPECT_EQ(c.m_PicRect.m_nW, 48);
  EXPECT_EQ(c.m_AnimSeq.GetValue(), 3);
  EXPECT_EQ(c.m_dX, 0);
  EXPECT_EQ(a.GetFacingSign(), -1);
  a.m_nFacing = 1;
  EXPECT_EQ(a.GetFacingSign(), 1);
}

TEST_F(GameObjTest, AlternatePictureIndexInDirectDrawMode) {
  std::vector<DDSURFACEDATA> surfaces(40);
  std::snprintf(surfaces[20].szFileName, sizeof surfaces[20].szFileName, "bmp\\Shot.bmp");
  std::snprintf(surfaces[39].szFileName, sizeof surfaces[39].szFileName, "bmp\\Shot.bmp");
  DDSURFACEDATA* const saved = DDAppSurfaces;
  const int savedCount = DDAppCount;
  DDAppSurfaces = surfaces.data();
  DDAppCount = 40;
  EXPECT_EQ(AltPictureIndex(20, 0), 20);  // the plain entry is there
  EXPECT_EQ(AltPictureIndex(21, 0), 39);  // missing: its copy
  EXPECT_EQ(AltPictureIndex(21, 1), 39);  // the copy is there
  EXPECT_EQ(AltPictureIndex(20, 1), 20);  // no copy of entry 38
  DTCONTEXT context;
  lpDTCon = &context;
  EXPECT_EQ(AltPictureIndex(21, 0), 21);  // Direct3D: always the entry itself
  lpDTCon = nullptr;
  DDAppSurfaces = saved;
  DDAppCount = savedCount;
}

}  // namespace
