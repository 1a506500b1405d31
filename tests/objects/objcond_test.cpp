#include <gtest/gtest.h>

#include "flow/condeval.h"
#include "objects/objcond.h"
#include "support/play_fixture.h"

namespace {

cCond Cond(int kind, int owner, int item, int op, int operand = 0) {
  cCond c;
  c.m_nKind = static_cast<int8_t>(kind);
  c.m_nOwner = static_cast<int8_t>(owner);
  c.m_nItem = static_cast<int8_t>(item);
  c.m_nOp = static_cast<int8_t>(op);
  c.m_sIndex = static_cast<int16_t>(operand);
  return c;
}

class ObjCondTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    self_ = &AddChara(1);
    other_ = &AddChara(2);
    SetCharaTarget(self_, 1, other_, 1);  // target 2
  }
  cChara* self_ = nullptr;
  cChara* other_ = nullptr;
};

TEST_F(ObjCondTest, StatusConditions) {
  other_->m_Chara.m_cScale = 3;
  self_->m_Chara.m_cMoveMode = 2;
  g_StageData.m_bAutoScrollY = 1;
  const struct {
    int owner, item, op, operand, want;
  } cases[] = {
      {2, 5, CMP_GE, 2, 1},  {2, 5, CMP_LT, 2, 0},   {3, 5, CMP_GE, 2, 0},  {3, 5, CMP_NE, 2, 0},  // empty slot 3
      {0, 3, CMP_EQ, 2, 1},  {0, 2, CMP_EQ, 1, 1},   {0, 7, CMP_EQ, 0, 0},  {0, 0, CMP_EQ, 0, 0},
      {5, 1, CMP_EQ, 1, 1},  {5, 0, CMP_EQ, 0, 1},   {5, 2, CMP_EQ, 0, 0},  {0, 5, CMP_MULTIPLE, 0, 1},
  };
  for (const auto& tc : cases)
    EXPECT_EQ(self_->TestStatusCond(Cond(COND_STATUS2, tc.owner, tc.item, tc.op, tc.operand)), tc.want)
        << tc.owner << " " << tc.item << " " << tc.op;
}

TEST_F(ObjCondTest, StateConditions) {
  self_->m_nFacing = 0;
  other_->m_bFlying = 1;
  self_->m_bInAir = 0;
  scene_.m_ScrollX.m_dPos = 0;
  scene_.m_ScrollY.m_dPos = 0;
  other_->m_bOnScreen = 1;  // computer-operated: the play update's flag
  other_->m_dX = other_->m_dRight = -500;
  self_->m_nOperation = 0;  // player-operated: the position
  self_->m_dX = self_->m_dY = 10;
  self_->m_dRight = self_->m_dBottom = 20;
  const struct {
    int owner, item, op, want;
  } cases[] = {
      {0, 0, 0, 1}, {0, 1, 0, 0}, {0, 1, 1, 1}, {0, 2, 0, 1}, {2, 2, 0, 0}, {0, 3, 0, 1}, {2, 3, 0, 1},
      {0, 4, 0, 1}, {5, 4, 1, 0}, {2, 4, 0, 1}, {3, 4, 0, 0}, {3, 4, 1, 1}, {3, 0, 1, 0}, {0, 9, 1, 0},
      {0, 1, 5, 0},  // operators other than 1 leave it as it is
  };
  for (const auto& tc : cases)
    EXPECT_EQ(self_->TestStateCond(Cond(COND_STATUS3, tc.owner, tc.item, tc.op)), tc.want)
        << tc.owner << " " << tc.item << " " << tc.op;
  other_->m_bDead = 1;
  EXPECT_EQ(self_->TestStateCond(Cond(COND_STATUS3, 2, 4, 0)), 0) << "a dead target does not exist";
  self_->m_bInAir = 1;
  EXPECT_EQ(self_->TestStateCond(Cond(COND_STATUS3, 0, 2, 0)), 0) << "in the air";
  self_->m_pRide = other_;
  EXPECT_EQ(self_->TestStateCond(Cond(COND_STATUS3, 0, 2, 0)), 1) << "riding a block character";
}

TEST(RangeBand, Bands) {
  const struct {
    int e, s, b, a, both, low, high;
  } cases[] = {{100, 32, 16, 16, 1, 84, 148}, {100, 32, 0, 0, 1, 100, 132}, {100, 32, 0, 0, 0, 116, 116},
               {100, 33, 0, 20, 0, 116, 152}, {100, 32, 20, 0, 0, 80, 116}};
  for (const auto& tc : cases) {
    int low = 0, high = 0;
    CalcRangeBand(tc.e, tc.s, tc.b, tc.a, tc.both, low, high);
    EXPECT_EQ(low, tc.low);
    EXPECT_EQ(high, tc.high);
  }
}

class RangeCondTest : public ObjCondTest {
 protected:
  // Box w x h at (x, y) with its 32 x 32 picture centred on it; the view at 0, 0.
  static void Put(cCharaBase& o, double x, double y, int w = 16, int h = 16) {
    o.m_dX = x;
    o.m_dY = y;
    o.m_nHitW = w;
    o.m_nHitH = h;
    o.m_dRight = x + w - 1;
    o.m_dBottom = y + h - 1;
    o.m_PicRect.m_nOfsX = o.m_PicRect.m_nBaseOfsX = (32 - w) / 2;
    o.m_PicRect.m_nOfsY = o.m_PicRect.m_nBaseOfsY = 32 - h;
    o.m_PicRect.m_nW = o.m_PicRect.m_nBaseW = 32;
    o.m_PicRect.m_nH = o.m_PicRect.m_nBaseH = 32;
  }
  static cCond Range(int area, int hbl, int px, int owner = 0, int op = 0) {
    cCond c = Cond(COND_RANGE, owner, 0, op);
    c.m_nArea = static_cast<int8_t>(area);
    c.m_nValue = hbl;
    c.m_sRightIndex = static_cast<int16_t>(px);
    return c;
  }
};

TEST_F(RangeCondTest, BandsAndCircles) {
  cHero& hero = AddHero();
  Put(*self_, 200, 200);  // picture 192..223 x 184..215
  self_->m_nFacing = 1;
  const struct {
    double hx, hy;
    int area, hbl, px, op, want;
  } cases[] = {
      {230, 400, 0, 0, 0, 0, 0},   // columns apart, distance 0
      {222, 400, 0, 0, 0, 0, 1},   // the hero's box reaches the picture's last column
      {240, 400, 0, 1, 0, 0, 1},   // 16 pixels more
      {240, 400, 0, 1, 0, 1, 0},   // outside
      {150, 400, 1, 4, 0, 0, 0},   // area 1 in front of a right-facing object ignores the left side
      {240, 400, 1, 4, 0, 0, 1},
      {150, 400, 2, 4, 0, 0, 1},   // behind
      {400, 240, 3, 2, 0, 0, 1},   // vertical
      {400, 260, 4, 1, 4, 0, 0},
      {200, 230, 6, 2, 0, 0, 1},   // centres 30 apart, 32 allowed
      {200, 233, 6, 2, 0, 0, 0},
      {200, 200, 9, 2, 0, 0, 0},   // an unknown area
  };
  for (const auto& tc : cases) {
    Put(hero, tc.hx, tc.hy);
    EXPECT_EQ(self_->TestRangeCond(Range(tc.area, tc.hbl, tc.px, 0, tc.op)), tc.want)
        << tc.hx << "," << tc.hy << " area " << tc.area;
  }
  EXPECT_EQ(self_->TestRangeCond(Range(0, 99, 0, 3)), 0) << "an empty target slot";
  EXPECT_EQ(self_->TestRangeCond(Range(0, 99, 0, 3, 1)), 0) << "...with any operator";
  Put(*other_, 210, 500);
  EXPECT_EQ(self_->TestRangeCond(Range(0, 0, 0, 2)), 1);
  EXPECT_EQ(self_->TestRangeCond(Range(0, 0, 0, 6)), 0) << "an unknown subject";
}

TEST_F(RangeCondTest, TheSubjectsScreenRectangleIsRefreshedUnlessOldReplaysOrTheSwitchSayNo) {
  cHero& hero = AddHero();
  Put(*self_, 200, 200);
  Put(hero, 205, 400);
  const cCond c = Range(0, 0, 0);
  hero.UpdateScreenPos();
  hero.m_dX = 900;  // moved since its rectangle was made
  g_bReplayPlayback = 1;
  g_ReplayData.m_nFileVersion = 781;
  EXPECT_EQ(self_->TestRangeCond(c), 1) << "an old replay tests the rectangle as it was";
  g_ReplayData.m_nFileVersion = 782;
  EXPECT_EQ(self_->TestRangeCond(c), 0);
  hero.m_dX = 205;
  hero.UpdateScreenPos();
  hero.m_dX = 900;
  g_bReplayPlayback = 0;
  g_SystemData.m_bRangeNoRefresh = 1;
  EXPECT_EQ(self_->TestRangeCond(c), 1);
}

}  // namespace
