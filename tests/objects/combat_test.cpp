#include <algorithm>
#include <gtest/gtest.h>

#include <vector>

#include "objects/effectplayer.h"
#include "support/play_fixture.h"

namespace {

class CombatTest : public PlayTest {
 protected:
  static std::vector<int> Running(const cCharaBase& c) {
    std::vector<int> r;
    for (const cFlowInstance& f : c.m_vFlowInst) r.push_back(f.m_bRunning);
    return r;
  }
};

TEST_F(CombatTest, AddHPAndAddSP) {
  const struct {
    bool sp;
    int maxValue, value, invincible, delta, force, show;
    int want, result, timer;
    double change;
    int length;
  } cases[] = {
      {false, 100, 90, 0, 50, 0, 1, 100, 0, 120, 5, 50},    // a gain cut to the room left
      {false, 100, 90, 1, -20, 0, 1, 90, 0, 0, 0, 0},       // invincible: a loss is ignored
      {false, 100, 90, 1, 0, 0, 1, 90, 0, 0, 0, 0},         // ... and so is nothing
      {false, 100, 90, 1, -20, 1, 1, 70, 0, 120, -10, 35},  // unless forced
      {false, 100, 90, 1, 5, 0, 1, 95, 0, 120, 2.5, 47},    // a gain counts while invincible
      {false, 100, 10, 0, -30, 0, 1, 0, 1, 0, 0, 0},        // reaching 0: result 1, no gauge
      {false, 100, 50, 0, -10, 0, 0, 40, 0, 0, 0, 0},       // no gauge asked for
      {true, 40, 30, 0, 20, 0, 1, 40, 0, 120, 12.5, 50},
      {true, 40, 30, 1, -50, 0, 1, 0, 0, 120, -37.5, 0},    // SP ignores invincibility; the loss shown is the
                                                            // 30 points lost, not the 50 asked for
      {true, 0, 0, 0, 5, 0, 1, 0, 0, 0, 0, 0},              // no maximum: no gauge
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.sp << " " << tc.value << " " << tc.delta << " inv " << tc.invincible);
    cCharaBase c;
    c.m_Chara.m_cInvincible = static_cast<int8_t>(tc.invincible);
    int result = 0;
    const cGaugeAnim* gauge = nullptr;
    if (tc.sp) {
      c.m_Chara.m_nMaxSP = tc.maxValue;
      c.m_nSP = tc.value;
      c.AddSP(tc.delta, tc.show);
      EXPECT_EQ(c.m_nSP, tc.want);
      gauge = &c.m_GaugeSP;
    } else {
      c.m_Chara.m_nMaxHP = tc.maxValue;
      c.m_nHP = tc.value;
      result = c.AddHP(tc.delta, tc.force, tc.show);
      EXPECT_EQ(c.m_nHP, tc.want);
      gauge = &c.m_GaugeHP;
    }
    EXPECT_EQ(result, tc.result);
    EXPECT_EQ(gauge->m_nTimer, tc.timer);
    EXPECT_DOUBLE_EQ(gauge->m_dChange, tc.change);
    EXPECT_DOUBLE_EQ(gauge->m_dStep, tc.change / 60);
    EXPECT_EQ(gauge->m_nLength, tc.length);
  }
}

TEST_F(CombatTest, GaugeOfAHugeMaximumDoesNotOverflow) {
  cCharaBase c;
  c.m_Chara.m_nMaxHP = 2000000000;
  c.m_nHP = 2000000000;
  c.AddHP(-1000000000, 0, 1);
  EXPECT_EQ(c.m_GaugeHP.m_nLength, 25);
  EXPECT_DOUBLE_EQ(c.m_GaugeHP.m_dChange, -25);
}

TEST_F(CombatTest, ImmunityGeneralTimerAndPerAttackerEntries) {
  SetSteps(2);
  g_StageData.m_nImmuneTime = 3;
  g_StageData.m_nImmuneAttacker = 5;
  g_StageData.m_nComImmuneTime = 1;
  g_StageData.m_nComImmuneAttacker = 2;
  cHero& h = AddHero();
  h.AddHitImmunity(7);
  EXPECT_EQ(h.m_nImmuneFrames, 6);
  for (int i = 0; i < 6; ++i) h.TickHitImmunity();
  EXPECT_FALSE(h.IsImmune());
  EXPECT_EQ(h.m_nImmuneFrames, 0);
  EXPECT_TRUE(h.IsImmuneTo(7)) << "the attacker's entry outlives the general timer";
  EXPECT_FALSE(h.IsImmuneTo(8));
  for (int i = 0; i < 4; ++i) h.TickHitImmunity();
  EXPECT_FALSE(h.IsImmuneTo(7));
  EXPECT_TRUE(h.m_lImmuneFrom.empty());
  h.TickHitImmunity();
  EXPECT_EQ(h.m_nImmuneFrames, 0) << "never below 0";

  cChara& c = AddChara(3);
  c.AddHitImmunity(9);
  EXPECT_EQ(c.m_nImmuneFrames, 2);
  EXPECT_EQ(c.m_lImmuneFrom, (std::list<cImmuneEntry>{{9, 4}}));
  EXPECT_TRUE(c.IsImmuneTo(1)) << "the general timer keeps everyone out";
  c.StartHitImmunity();
  EXPECT_EQ(c.m_lImmuneFrom.size(), 1u);
}

TEST_F(CombatTest, TakeHitPowerAgainstDefence) {
  const struct {
    int power, defence, invincible, hp;
    int wantDamage, wantHP, died;
  } cases[] = {
      {30, 10, 0, 50, 20, 30, 0},
      {10, 15, 0, 50, 0, 50, 0},            // the defence is larger: no damage
      {-5, 15, 1, 50, 0, 55, 0},            // a negative power heals, an invincible object too
      {30, 0, 1, 50, 0, 50, 0},             // invincible: no damage reported or taken
      {2000000, 0, 0, 50, 999999, 0, 1},    // damage stops at 999999
      {INT32_MIN, 0, 0, 50, INT32_MIN, 100, 0},  // the largest heal does not overflow
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.power << " vs " << tc.defence);
    cCharaBase attacker, c;
    attacker.m_Chara.m_nPower = tc.power;
    c.m_Chara.m_nDefence = tc.defence;
    c.m_Chara.m_cInvincible = static_cast<int8_t>(tc.invincible);
    c.m_Chara.m_nMaxHP = 100;
    c.m_nHP = tc.hp;
    int damage = -1, impact = -1;
    EXPECT_EQ(c.TakeHit(attacker, damage, impact), tc.died);
    EXPECT_EQ(damage, tc.wantDamage);
    EXPECT_EQ(c.m_nHP, tc.wantHP);
    EXPECT_EQ(impact, 0);
  }
  EXPECT_TRUE(scene_.m_lEffect.empty()) << "no hit effect named";
  cCharaBase attacker, c;
  attacker.m_Chara.m_sHitEffect = 2;
  c.m_Chara.m_nMaxHP = 10;
  c.m_nHP = 10;
  int damage = 0, impact = 0;
  c.TakeHit(attacker, damage, impact);
  c.TakeHit(attacker, damage, impact);
  EXPECT_EQ(scene_.m_lEffect.size(), 2u) << "each hit appends its effect";
}

TEST_F(CombatTest, HitTriggersGoToTheOwnerThatGetsTheHits) {
  for (int ownerGetsHits : {0, 1}) {
    SCOPED_TRACE(ownerGetsHits);
    g_lstChara.clear();
    cChara& target = AddChara(1);
    cChara& owner = AddChara(2);
    cChara& attacker = AddChara(3);
    attacker.m_pOwner = &owner;
    owner.m_vBackLink.push_back({&attacker, kLinkSlotOwner});
    attacker.m_bOwnerGetsHits = ownerGetsHits;
    attacker.m_nOwnerKey = 9;
    attacker.m_Chara.m_nPower = 5;
    attacker.m_Chara.m_cImpact = 3;
    std::vector<cFlow> mine;
    for (int t : {1, 2, 3, 4}) {
      cFlow f = Flow(t, {Cmd(1)});
      f.m_bBindPartner = 1;
      f.m_nPartnerTarget = 1;
      mine.push_back(f);
    }
    Install(target, mine);
    Install(owner, {Flow(20, {Cmd(1)}, 0, 9), Flow(21, {Cmd(1)}, 0, 9), Flow(22, {Cmd(1)}, 0, 9),
                    Flow(23, {Cmd(1)}, 0, 9), Flow(20, {Cmd(1)}, 0, 8)});
    target.RaiseHitTriggers(attacker, 0, 1);  // no damage, but the impact took
    EXPECT_EQ(Running(target), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(target.m_pTarget[1], ownerGetsHits ? static_cast<cCharaBase*>(&owner) : &attacker);
    EXPECT_EQ(Running(owner), ownerGetsHits ? (std::vector<int>{1, 0, 1, 1, 0}) : (std::vector<int>{0, 0, 0, 0, 0}));
  }
}

TEST_F(CombatTest, HitTriggersNeedPowerOrImpact) {
  cChara& target = AddChara(1);
  cChara& attacker = AddChara(3);
  Install(target, {Flow(1, {Cmd(1)}), Flow(2, {Cmd(1)}), Flow(3, {Cmd(1)}), Flow(4, {Cmd(1)})});
  target.RaiseHitTriggers(attacker, 5, 1);
  EXPECT_EQ(Running(target), (std::vector<int>{0, 0, 0, 0}));
  attacker.m_Chara.m_nPower = -1;  // a healing hit still counts as a hit
  target.RaiseHitTriggers(attacker, 5, 1);
  EXPECT_EQ(Running(target), (std::vector<int>{1, 1, 0, 0}));
}

class DieTest : public CombatTest {
 protected:
  void SetUp() override {
    CombatTest::SetUp();
    g_Database.m_vCharaEffect.assign(3, cCharaEffectData());
    g_Database.m_vCharaEffect[2].m_nKind = 6;
    g_Database.m_vCharaEffect[2].m_nParam[0] = 10;
    PrepareLoadedDatabase();
  }
};

TEST_F(DieTest, ScoreStaysWithinItsRange) {
  const struct {
    int score, points, want;
  } cases[] = {{100, 50, 150}, {999990, 20, 999999}, {5, -20, 0}, {999999, 2147483647, 999999}};
  for (const auto& tc : cases) {
    g_SaveData.m_nScore = tc.score;
    cChara& c = AddChara(4);
    c.m_Chara.m_nScore = tc.points;
    c.Die();
    EXPECT_EQ(g_SaveData.m_nScore, tc.want) << tc.score << " + " << tc.points;
  }
}

TEST_F(DieTest, DeathUnlinksMarksAndStartsTheDeathEffect) {
  cChara& c = AddChara(4);
  cChara& other = AddChara(5);
  SetCharaTarget(&other, 1, &c, 1);
  Install(c, {Flow(FLOW_TRIG_DEATH, {Cmd(1)})});
  c.m_Chara.m_sDeathEffect = 2;
  c.m_Chara.m_cDeathEffectType = EFFECT_START_REVERSED;
  EXPECT_EQ(c.Die(), 0);
  EXPECT_EQ(c.m_bDead, 1);
  const ExecCall ran{c.m_nObjNo, 1};
  EXPECT_TRUE(c.m_vFlowInst[0].m_bRunning || std::count(Calls().begin(), Calls().end(), ran) > 0)
      << "the death flow started (and ran in the dying pass)";
  EXPECT_EQ(other.m_pTarget[1], nullptr);
  EXPECT_TRUE(c.m_vBackLink.empty());
  EXPECT_EQ(c.m_CharaEffect.m_nIndex, 2);
  EXPECT_EQ(c.m_CharaEffect.m_bReversed, 1);
  EXPECT_EQ(c.m_CharaEffect.m_bLoop, 0);
}

TEST_F(DieTest, AClearedStageKeepsTheObjectAlive) {
  cChara& c = AddChara(4);
  cChara& other = AddChara(5);
  SetCharaTarget(&other, 1, &c, 1);
  c.m_Chara.m_nScore = 30;
  c.m_Chara.m_sDeathEffect = 2;
  scene_.m_nStageEnd = 1;
  g_SaveData.m_nScore = 0;
  EXPECT_EQ(c.Die(), 1);
  EXPECT_EQ(c.m_bDead, 0);
  EXPECT_EQ(other.m_pTarget[1], &c);
  EXPECT_EQ(c.m_CharaEffect.m_nIndex, 0);
  EXPECT_EQ(g_SaveData.m_nScore, 30) << "the points still count";
}

}  // namespace
