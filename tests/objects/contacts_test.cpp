#include <gtest/gtest.h>

#include "objects/effectplayer.h"
#include "support/play_fixture.h"

namespace {

class ContactsTest : public PlayTest {
 protected:
  // Flows on the block triggers, each with a command so that it can run.
  static void InstallBlockFlows(cCharaBase& c) {
    Install(c, {Flow(FLOW_TRIG_TOUCH_BLOCK, {Cmd(1)}), Flow(FLOW_TRIG_BLOCK_UPDOWN, {Cmd(1)}),
                Flow(FLOW_TRIG_BLOCK_UP, {Cmd(1)}), Flow(FLOW_TRIG_BLOCK_DOWN, {Cmd(1)})});
  }
  static std::vector<int> Running(const cCharaBase& c) {
    std::vector<int> r;
    for (const cFlowInstance& f : c.m_vFlowInst) r.push_back(f.m_bRunning);
    return r;
  }
};

TEST_F(ContactsTest, LandingAndCeilingPlaceTheEdgesAndRaiseTheBlockTriggers) {
  const struct {
    bool ceiling;
    double y, bottom, wantY;
    std::vector<int> running;  // touch, up/down, up, down
  } cases[] = {
      {false, 80.7, 100.7, 75.7, {1, 1, 0, 1}},  // bottom 100.7: up by 4 + 1
      {false, 64, 95.0, 32, {1, 1, 0, 1}},      // bottom on row 95 already inside: up by 32
      {true, 64.0, 90, 96.0, {1, 1, 1, 0}},     // down by 32
      {true, 70.2, 90, 96.2, {1, 1, 1, 0}},     // down by 26
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.ceiling << " " << tc.y << " " << tc.bottom);
    cChara& c = AddChara(5);
    InstallBlockFlows(c);
    c.m_dY = tc.y;
    c.m_dBottom = tc.bottom;
    c.m_dSpeedY = 3;
    c.m_dInertiaY = 1;
    c.m_bInAir = c.m_bJumping = c.m_bImpacted = 1;
    c.m_bJumpEnded = tc.ceiling ? 0 : 1;
    c.m_nJumpHoldFrames = 4;
    c.m_nNoFloorFrames = 3;
    c.m_dImpactY = 2;
    if (tc.ceiling) {
      c.HitCeiling();
      EXPECT_EQ(c.m_bContactTop, 1);
      EXPECT_EQ(c.m_bJumpEnded, 1);
      EXPECT_EQ(c.m_bJumping, 1);
      EXPECT_EQ(c.m_bCeilingHit, 1);
      EXPECT_EQ(c.m_dImpactY, 0);
    } else {
      c.m_bCeilingHit = 1;
      c.LandOnBlock();
      EXPECT_EQ(c.m_bContactBottom, 1);
      EXPECT_EQ(c.m_dPushBottom, 0);
      EXPECT_EQ(c.m_bInAir + c.m_bJumping + c.m_bJumpEnded + c.m_nJumpHoldFrames + c.m_nNoFloorFrames + c.m_bImpacted, 0);
      EXPECT_EQ(c.m_bCeilingHit, 0) << "a computer-operated object clears the ceiling word";
    }
    EXPECT_DOUBLE_EQ(c.m_dY, tc.wantY);
    EXPECT_EQ(c.m_dSpeedY, 0);
    EXPECT_EQ(c.m_dInertiaY, 0);
    EXPECT_EQ(Running(c), tc.running);
    g_lstChara.clear();
  }
}

TEST_F(ContactsTest, PlayerLandingKeepsTheCeilingWordAndAnOptionKeepsTheImpact) {
  cHero& h = AddHero();
  h.m_bCeilingHit = 1;
  h.m_dBottom = 63;
  h.LandOnBlock();
  EXPECT_EQ(h.m_bCeilingHit, 1);
  g_SystemData.m_bCeilingKeepsImpact = 1;
  h.m_dImpactY = -2;
  h.m_dY = 40;
  h.HitCeiling();
  EXPECT_EQ(h.m_dImpactY, -2);
}

TEST_F(ContactsTest, CrushNeedsBothSidesSqueezing) {
  const struct {
    double nearPush, farPush;
    int noPushRecord, crushed;
  } cases[] = {
      {0.5, 0.7, 0, 0},  // the far side moves away faster
      {0.7, 0.5, 0, 1},
      {0.0, -0.3, 0, 1},  // the far side pushes back inward
      {0.0, 0.0, 0, 0},   // touching without pushes
      {1e-9, 0.0, 0, 0},  // below the threshold
      {0.7, 0.5, 1, 0},   // pushes not recorded
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.nearPush << " " << tc.farPush << " " << tc.noPushRecord);
    g_SystemData.m_bNoPushRecord = tc.noPushRecord;
    cCharaBase near, far, c;
    near.m_dSpeedX = near.m_dSpeedY = tc.nearPush;
    far.m_dSpeedX = far.m_dSpeedY = tc.farPush;
    c.SetContactLeft(near);
    EXPECT_EQ(c.IsCrushedX(), 0) << "one side only";
    c.SetContactRight(far);
    c.SetContactTop(near);
    c.SetContactBottom(far);
    EXPECT_EQ(c.m_bContactLeft + c.m_bContactRight + c.m_bContactTop + c.m_bContactBottom, 4);
    EXPECT_EQ(c.IsCrushedX(), tc.crushed);
    EXPECT_EQ(c.IsCrushedY(), tc.crushed);
    c.ClearContacts();
    EXPECT_EQ(c.m_bContactLeft + c.m_bContactRight + c.m_bContactTop + c.m_bContactBottom, 0);
    EXPECT_EQ(c.m_dPushLeft, 0);
    EXPECT_EQ(c.m_dPushBottom, 0);
  }
}

TEST_F(ContactsTest, LeaveRideKeepsTheFallWhileAnImpactRuns) {
  cCharaBase block;
  for (double impact : {0.0, 1.5}) {
    cCharaBase c;
    c.m_pRide = &block;
    c.m_dSpeedY = 2;
    c.m_dImpactY = impact;
    EXPECT_EQ(c.IsOnSolidCell(), 1);
    c.LeaveRide(impact != 0);
    EXPECT_EQ(c.m_pRide, nullptr);
    EXPECT_EQ(c.m_dSpeedY, impact != 0 ? 2 : 0);
    EXPECT_EQ(c.m_bTurnBack, impact != 0 ? 1 : 0);
    EXPECT_EQ(c.IsOnSolidCell(), 0);
  }
}

TEST_F(ContactsTest, PreviousPositionUndoesAMove) {
  cCharaBase c;
  c.m_dX = 10.5, c.m_dY = 20.25, c.m_dRight = 41.5, c.m_dBottom = 51.25;
  c.SavePrevPos();
  c.m_dX = c.m_dY = c.m_dRight = c.m_dBottom = 0;
  c.RestorePrevPos();
  EXPECT_EQ(c.m_dX, 10.5);
  EXPECT_EQ(c.m_dY, 20.25);
  EXPECT_EQ(c.m_dRight, 41.5);
  EXPECT_EQ(c.m_dBottom, 51.25);
}

TEST(RectD, TouchingEdgesOverlap) {
  const cRectD a{0, 0, 10, 10};
  const struct {
    cRectD b;
    bool overlaps;
  } cases[] = {
      {{10, 0, 20, 10}, true},   {{0, 10, 10, 20}, true},      {{-5, -5, 0, 0}, true},
      {{10.001, 0, 20, 10}, false}, {{0, -5, 10, -0.001}, false}, {{2, 2, 3, 3}, true},
  };
  for (const auto& tc : cases) {
    EXPECT_EQ(a.Overlaps(tc.b), tc.overlaps) << tc.b.m_dLeft << "," << tc.b.m_dTop;
    EXPECT_EQ(tc.b.Overlaps(a), tc.overlaps);
  }
  cRectD c = a;
  c.Clear();
  EXPECT_EQ(c.m_dRight, 0);
}

}  // namespace
