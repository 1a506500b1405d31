#include <gtest/gtest.h>

#include <vector>

#include "objects/objects_fixture.h"

namespace {

template <class Def>
Def EffectDef(int kind, std::vector<int> params) {
  Def d;
  d.m_nKind = kind;
  for (size_t i = 0; i < params.size(); ++i) d.m_nParam[i] = params[i];
  return d;
}

// Character effects: 1 kind 11 (10, 32, 64); 2 kind 7 timed (3, 0, 0); 3 blink kind 6 (10, 5, 9);
// 4 kind 11 with no time (0, 32, 64); 5 kind 11 with a negative time (-2, 32, 64).
// Screen effects: 1 move (20, 1, 2, 3, 4); 2 split (0, 10, 20); 3 split (-2, 10, 20); 4 shake (10, 5, 3).
class EffectPlayerTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    using C = cCharaEffectData;
    using S = cScrEffectData;
    g_Database.m_vCharaEffect = {EffectDef<C>(0, {}),           EffectDef<C>(11, {10, 32, 64}),
                                 EffectDef<C>(7, {3, 0, 0}),    EffectDef<C>(6, {10, 5, 9}),
                                 EffectDef<C>(11, {0, 32, 64}), EffectDef<C>(11, {-2, 32, 64})};
    g_Database.m_vScrEffect = {EffectDef<S>(0, {}), EffectDef<S>(1, {20, 1, 2, 3, 4}), EffectDef<S>(4, {0, 10, 20}),
                               EffectDef<S>(4, {-2, 10, 20}), EffectDef<S>(2, {10, 5, 3})};
    PrepareLoadedDatabase();
  }
  // The number of the step that returned 1, at most `limit` steps; 0 when none did.
  static int StepsToEnd(cCharaEffectState& s, int limit) {
    for (int k = 1; k <= limit; ++k)
      if (s.Step()) return k;
    return 0;
  }
};

TEST_F(EffectPlayerTest, NormalAndReversedRuns) {
  cCharaEffectState s;
  s.Start(1, EFFECT_START_NORMAL, 0);
  EXPECT_EQ(s.m_dValue, 32);
  EXPECT_DOUBLE_EQ(s.m_dStep, 32.0 / 60);
  EXPECT_EQ(StepsToEnd(s, 200), 61);
  EXPECT_GT(s.m_dValue, 64);

  s.Start(1, EFFECT_START_REVERSED, 0);
  EXPECT_EQ(s.m_dValue, 64);
  EXPECT_EQ(s.m_nStart, 64);
  EXPECT_EQ(s.m_nEnd, 32);
  EXPECT_EQ(s.m_bReversed, 1);
  EXPECT_EQ(s.m_pDef, &g_Database.m_vCharaEffectRev[1]);
  EXPECT_EQ(StepsToEnd(s, 200), 61);
  EXPECT_LT(s.m_dValue, 32);

  // Any other start type runs as the normal run and never turns round.
  s.Start(1, 5, 0);
  EXPECT_EQ(s.m_bReversed, 0);
  EXPECT_EQ(StepsToEnd(s, 200), 61);
  EXPECT_EQ(s.m_bReversed, 0);
}

TEST_F(EffectPlayerTest, RoundTripTurnsWithoutFinishingThenEnds) {
  cCharaEffectState s;
  s.Start(1, EFFECT_START_ROUND_TRIP, 0);
  for (int k = 1; k < 61; ++k) ASSERT_EQ(s.Step(), 0) << k;
  EXPECT_EQ(s.Step(), 0);  // the turn
  EXPECT_EQ(s.m_bReversed, 1);
  EXPECT_EQ(s.m_dValue, 64);
  EXPECT_EQ(s.m_nCycleFrame, 0);
  EXPECT_EQ(StepsToEnd(s, 200), 61);
  EXPECT_EQ(s.m_bReversed, 1);

  // Looping, the round trip alternates for ever; a looping reversed run repeats the reversed cycle.
  s.Start(1, EFFECT_START_ROUND_TRIP, 1);
  EXPECT_EQ(StepsToEnd(s, 61 * 5), 0);
  EXPECT_EQ(s.m_bReversed, 1);  // five cycles: forward, back, forward, back, forward ended
  s.Start(1, EFFECT_START_REVERSED, 1);
  for (int cycle = 0; cycle < 3; ++cycle) {
    EXPECT_EQ(StepsToEnd(s, 61), 0);
    EXPECT_EQ(s.m_bReversed, 1);
    EXPECT_EQ(s.m_dValue, 64);  // restarted on the reversed cycle
  }
}

TEST_F(EffectPlayerTest, TimedAndCountedRuns) {
  cCharaEffectState timed;
  timed.Start(2, EFFECT_START_NORMAL, 0);
  EXPECT_EQ(timed.m_dStep, 1.0 / 6);
  EXPECT_EQ(StepsToEnd(timed, 100), 19);
  EXPECT_EQ(timed.m_dValue, 0);

  // The blink counts 0 to p0 in both directions: nothing is exchanged.
  for (int type : {EFFECT_START_NORMAL, EFFECT_START_REVERSED}) {
    cCharaEffectState blink;
    blink.Start(3, type, 0);
    EXPECT_EQ(blink.m_nStart, 0);
    EXPECT_EQ(blink.m_nEnd, 10);
    EXPECT_EQ(StepsToEnd(blink, 100), 61) << type;
  }
  EXPECT_EQ(g_Database.m_vCharaEffectRev[3].m_nParam[1], 5);
}

TEST_F(EffectPlayerTest, NoTimeOrANegativeTimeEndsOnTheFirstStep) {
  for (int index : {4, 5}) {
    cCharaEffectState s;
    s.Start(index, EFFECT_START_NORMAL, 0);
    EXPECT_EQ(s.Step(), 1) << index;
    EXPECT_EQ(s.m_dValue, 32) << index;  // no infinite or wandering value
    s.Start(index, EFFECT_START_ROUND_TRIP, 0);
    EXPECT_EQ(s.Step(), 0) << index;
    EXPECT_EQ(s.Step(), 1) << index;
  }
  for (int index : {2, 3}) {
    cScreenEffectState s;
    s.Start(index, EFFECT_START_NORMAL, 0);
    EXPECT_EQ(s.Step(10, 20, s.m_dStep), 1) << index;
    EXPECT_EQ(s.m_dValue, 10) << index;
  }
}

TEST_F(EffectPlayerTest, ScreenMoveReversedRunsFromTheEndPointToTheStart) {
  cScreenEffectState fwd, rev;
  fwd.Start(1, EFFECT_START_NORMAL, 0);
  rev.Start(1, EFFECT_START_REVERSED, 0);
  EXPECT_EQ(fwd.m_nAuxA, 1);
  EXPECT_EQ(fwd.m_nAuxB, 2);
  EXPECT_EQ(rev.m_nAuxA, 3);
  EXPECT_EQ(rev.m_nAuxB, 4);
  EXPECT_EQ(rev.m_pDef->m_nParam[3], 1);
  EXPECT_EQ(rev.m_pDef->m_nParam[4], 2);
  EXPECT_EQ(fwd.m_pDef->m_nParam[3], 3);
  // The handler counts its time from 0 to p0 in steps of 1/6; the run ends once the cut value
  // passes p0.
  int k = 1;
  while (!rev.Step(0, 20, rev.m_dStep) && k < 1000) ++k;
  EXPECT_EQ(k, 126);
}

TEST_F(EffectPlayerTest, ScreenStepMovesDownWhenFromIsAboveTo) {
  cScreenEffectState s;
  s.Start(2, EFFECT_START_NORMAL, 0);
  s.m_pDef = &g_Database.m_vScrEffect[4];  // a definition with a run time
  s.m_dValue = 20;
  int k = 1;
  while (!s.Step(20, 10, 2.5) && k < 100) ++k;
  EXPECT_EQ(k, 5);  // 17.5, 15, 12.5, 10, then 7.5 is below 10
}

TEST_F(EffectPlayerTest, CopyDefLeavesTheRunsOwnFieldsAlone) {
  cCharaEffectState s;
  s.Start(1, EFFECT_START_ROUND_TRIP, 1);
  s.m_nCycleFrame = 7;
  s.CopyDef(g_CharaEffectFwd[2]);
  EXPECT_EQ(s.m_nIndex, 1);
  EXPECT_EQ(s.m_nStartType, EFFECT_START_ROUND_TRIP);
  EXPECT_EQ(s.m_bLoop, 1);
  EXPECT_EQ(s.m_nCycleFrame, 7);
  EXPECT_EQ(s.m_pDef, &g_Database.m_vCharaEffect[2]);
  EXPECT_EQ(s.m_nTime, 3);
}

TEST_F(EffectPlayerTest, StartUpExchangesEachReverseEntryOnce) {
  ASSERT_EQ(g_CharaEffectFwd.size(), 6u);
  ASSERT_EQ(g_ScrEffectRev.size(), 5u);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(g_Database.m_vCharaEffectRev[1].m_nParam[1], 64) << round;
    EXPECT_EQ(g_Database.m_vCharaEffectRev[1].m_nParam[2], 32) << round;
    EXPECT_EQ(g_Database.m_vCharaEffect[1].m_nParam[1], 32) << round;
    EXPECT_EQ(g_Database.m_vScrEffectRev[1].m_nParam[1], 3) << round;
    EXPECT_EQ(g_CharaEffectRev[1].m_dValue, 64) << round;
    PrepareLoadedDatabase();
  }
  // The frame tables come with it.
  EXPECT_EQ(g_AnimeFrameTables.size(), g_Database.m_vAnime.size());
  EXPECT_EQ(g_EffectFrameTables.size(), g_Database.m_vEffect.size());
}

TEST_F(EffectPlayerTest, IndexOutsideTheListIsReportedAndEntryZeroUsed) {
  cCharaEffectState s;
  s.Start(40, EFFECT_START_NORMAL, 0);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(s.m_pDef, &g_Database.m_vCharaEffect[0]);
  cScreenEffectState screen;
  screen.Start(-1, EFFECT_START_REVERSED, 0);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(screen.m_pDef, &g_Database.m_vScrEffectRev[0]);
}

}  // namespace
