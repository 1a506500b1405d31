#include <gtest/gtest.h>

#include <algorithm>

#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "flow/exectable.h"
#include "flow/statusops.h"
#include "flow/condeval.h"
#include "objects/shot.h"
#include "scenes/map_fixture.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"

namespace {

class HitTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    g_StageData.m_nStepsPerFrame = 1;
    g_StageData.m_nImmuneTime = g_StageData.m_nComImmuneTime = 10;
    g_StageData.m_nImmuneAttacker = g_StageData.m_nComImmuneAttacker = 10;
    scene_.m_vSideChara.assign(3, {});
    scene_.m_vSideShot.assign(3, {});
  }
  void TearDown() override {
    scene_.m_vSideShot.clear();
    scene_.m_lShot.clear();
    scene_.m_vSideChara.clear();
    g_lstChara.clear();
    MapTest::TearDown();
  }
  static void SetRects(cCharaBase& c, double x, double y) {
    c.m_BodyRect = c.m_ShotRect = {x, y, x + 15, y + 23};
  }
  // A character of the side with HP 10 whose body and shot rectangles are at (x, y).
  cChara& Chara(int objNo, int side, double x = 400, double y = 400) {
    cChara& c = Place(g_lstChara.emplace_back(), x, y);
    c.m_nObjNo = objNo;
    c.m_nSide = side;
    c.m_nOperation = 1;
    c.m_nHP = 10;
    SetRects(c, x, y);
    scene_.m_vSideChara[side].push_back(&c);
    return c;
  }
  // A shot of the side, power 3, over (x, y).
  cShot& Shot(int side, double x = 405, double y = 405, int power = 3) {
    cShot& s = scene_.m_lShot.emplace_back();
    s.m_nSide = side;
    s.m_bIsShot = 1;
    s.m_Shot.m_nPower = power;
    s.m_dX = x;
    s.m_dY = y;
    s.m_dRight = x + 7;
    s.m_dBottom = y + 7;
    s.m_HitBox = {x, y, x + 7, y + 7};
    scene_.m_vSideShot[side].push_back(&s);
    return s;
  }
  void Reset() {
    scene_.m_vSideShot.assign(3, {});
    scene_.m_lShot.clear();
    scene_.m_vSideChara.assign(3, {});
    g_lstChara.clear();
  }
  int Resolve() { return scene_.ResolveHits(g_lstChara); }
  size_t ShotsLeft() const { return scene_.m_lShot.size(); }
  static int Count(int sound) { return static_cast<int>(std::count(Sounds().begin(), Sounds().end(), sound)); }
};

TEST_F(HitTest, ShotKindsAndTheirHitLists) {
  struct Case {
    const char* name;
    int isShot, pierce;
    size_t shotsAfter;
  } cases[] = {
      {"plain shot: removed after the pass of its first hit", 1, 0, 0},
      {"piercing shot: each character once", 1, 1, 1},
      {"sword: once per swing", 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cChara& a = Chara(10, 1);
    cChara& b = Chara(11, 1, 402, 402);
    cShot& s = Shot(0);
    s.m_bIsShot = c.isShot;
    s.m_Shot.m_bPierceChara = static_cast<int8_t>(c.pierce);
    EXPECT_EQ(Resolve(), 0);
    a.m_nImmuneFrames = b.m_nImmuneFrames = 0;  // only the hit list keeps them apart
    EXPECT_EQ(Resolve(), 0);
    EXPECT_EQ(ShotsLeft(), c.shotsAfter);
    EXPECT_EQ(scene_.m_vSideShot[0].size(), c.shotsAfter);
    EXPECT_EQ(a.m_nHP, 7);
    EXPECT_EQ(b.m_nHP, 7) << "the characters of the same pass are all hit";
    Reset();
  }
}

TEST_F(HitTest, WhoAShotActsOn) {
  // Shots pass through a character invincible with shots passing.
  cChara& ghost = Chara(10, 1);
  ghost.m_Chara.m_cInvincible = 2;
  Shot(0);
  Resolve();
  EXPECT_EQ(ShotsLeft(), 1u);
  ghost.m_Chara.m_cInvincible = 0;

  // An immune character is skipped altogether by a shot with power.
  ghost.StartHitImmunity();
  Resolve();
  EXPECT_EQ(ghost.m_nHP, 10);
  EXPECT_EQ(ShotsLeft(), 1u);

  // Without power, impact or item the shot ignores immunity and, with the shot immunity option
  // off, is spent on its first hit although it does no damage.
  scene_.m_lShot.front().m_Shot.m_nPower = 0;
  g_SystemData.m_bCompat763B = 1;
  Resolve();
  EXPECT_EQ(ShotsLeft(), 1u) << "the option keeps it from acting";
  g_SystemData.m_bCompat763B = 0;
  Resolve();
  EXPECT_EQ(ShotsLeft(), 0u);
  EXPECT_EQ(ghost.m_nHP, 10);
  EXPECT_EQ(Count(7), 1);
}

TEST_F(HitTest, KillsAndTheHeroesDeath) {
  cChara& weak = Chara(10, 1);
  weak.m_nHP = 2;
  Shot(0);
  EXPECT_EQ(Resolve(), 0);
  EXPECT_EQ(weak.m_bDead, 1);
  EXPECT_EQ(Count(9), 1);

  cHero& hero = Place(AddHero(), 600, 400);
  hero.m_nHP = 2;
  hero.m_ShotRect = hero.m_BodyRect = {600, 400, 615, 423};
  scene_.m_vSideChara[0].push_back(&hero);
  Shot(1, 605, 405);
  EXPECT_EQ(Resolve(), 2) << "the hero's death ends the pass";
  EXPECT_EQ(Count(9), 1) << "no kill sound for the hero";
  EXPECT_EQ(scene_.m_bInHitPass, 0);
}

TEST_F(HitTest, AShotsItemGoesToTheHeroAndCanEndTheStage) {
  static int taken = 0;
  taken = 0;
  g_ItemCmdExecTable[3] = [](cCharaBase* subject, const cFlowCmd*) {
    ++taken;
    return dynamic_cast<cHero*>(subject) ? 1 : 0;
  };
  cItemData item;
  item.m_sGraphic = 1;
  item.m_bPopup = 0;
  cFlowCmd clear = Cmd(3);
  clear.m_nCategory = CMD_CATEGORY_ITEM;
  item.m_vCmd = {clear};
  CommonPalette().List<cItemData>() = {cItemData(), item};

  Place(AddHero(), 100, 100).m_nHP = 10;
  cChara& target = Chara(10, 1);
  cShot& shot = Shot(0, 405, 405, 0);
  shot.m_Shot.m_nItemPalette = PAL_COMMON;
  shot.m_Shot.m_sItem = 1;
  EXPECT_EQ(Resolve(), 1) << "the item's commands cleared the stage";
  EXPECT_EQ(taken, 1);
  EXPECT_GT(target.m_nImmuneFrames, 0) << "a shot with an item starts the target's immunity";
  EXPECT_EQ(scene_.m_bInHitPass, 0);

  CommonPalette().List<cItemData>().clear();
  g_ItemCmdExecTable.fill(nullptr);
}

TEST_F(HitTest, CharactersOfTwoSidesTouch) {
  cChara& u = Chara(10, 0);
  cChara& w = Chara(11, 1, 405, 405);
  Install(u, {Flow(FLOW_TRIG_TOUCH_CHARA, {Cmd(CMD_WAIT, 10)})});
  Install(w, {Flow(FLOW_TRIG_TOUCH_CHARA, {Cmd(CMD_WAIT, 10)})});
  u.m_Chara.m_nPower = 2;
  EXPECT_EQ(Resolve(), 0);
  EXPECT_EQ(u.m_vFlowInst[0].m_bStarted, 1);
  EXPECT_EQ(w.m_vFlowInst[0].m_bStarted, 1);
  EXPECT_EQ(w.m_nHP, 8);
  EXPECT_EQ(u.m_nHP, 10) << "w has no power";
  EXPECT_EQ(Count(7), 1);
  EXPECT_TRUE(w.IsImmuneTo(u.m_nObjNo));
  w.m_nImmuneFrames = 0;
  Resolve();
  EXPECT_EQ(w.m_nHP, 8) << "immune to its attacker";
}

TEST_F(HitTest, HitTriggersAtOnceSeeThePartnerBeforeItIsHit) {
  // u's damage flow starts only while its partner w still has full HP: with the triggers at once
  // u's trigger comes before w takes its damage, otherwise after both hits.
  for (const int atOnce : {0, 1}) {
    SCOPED_TRACE(atOnce);
    g_SystemData.m_bCompat763A = atOnce;
    cChara& u = Chara(10, 0);
    cChara& w = Chara(11, 1, 405, 405);
    u.m_Chara.m_nPower = 2;
    w.m_Chara.m_nPower = 3;
    cFlow flow = Flow(FLOW_TRIG_DAMAGE_SET, {Cmd(CMD_WAIT, 10)});
    cCond partnerUnhurt;
    partnerUnhurt.m_nKind = COND_STATUS;
    partnerUnhurt.m_nOwner = 1;  // target slot 0
    partnerUnhurt.m_nItem = STATUS_HP;
    partnerUnhurt.m_nOp = CMP_EQ;
    partnerUnhurt.m_nValue = 10;
    flow.m_vCond.push_back(partnerUnhurt);
    Install(u, {flow});
    SetCharaTarget(&u, 0, &w, 1);
    EXPECT_EQ(Resolve(), 0);
    EXPECT_EQ(u.m_nHP, 7);
    EXPECT_EQ(w.m_nHP, 8);
    EXPECT_EQ(u.m_vFlowInst[0].m_bStarted, atOnce);
    Reset();
  }
  g_SystemData.m_bCompat763A = 0;
}

TEST_F(HitTest, ShotsCancelByStrength) {
  struct Case {
    int cancelA, strengthA, cancelB, strengthB;
    bool aLeft, bLeft;
  } cases[] = {
      {1, 3, 1, 3, false, false}, {1, 5, 1, 3, true, false}, {1, 2, 1, 3, false, true},
      {0, 0, 1, 9, true, false},  {1, 9, 0, 0, false, true}, {0, 0, 0, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cancelA << c.strengthA << c.cancelB << c.strengthB);
    cShot& a = Shot(0, 100, 100);
    cShot& b = Shot(1, 104, 104);
    a.m_Shot.m_bShotVsShot = static_cast<int8_t>(c.cancelA);
    a.m_Shot.m_nVanish = static_cast<int8_t>(c.strengthA);
    b.m_Shot.m_bShotVsShot = static_cast<int8_t>(c.cancelB);
    b.m_Shot.m_nVanish = static_cast<int8_t>(c.strengthB);
    Resolve();
    EXPECT_EQ(scene_.m_vSideShot[0].size(), c.aLeft ? 1u : 0u);
    EXPECT_EQ(scene_.m_vSideShot[1].size(), c.bLeft ? 1u : 0u);
    EXPECT_EQ(ShotsLeft(), size_t{c.aLeft} + size_t{c.bLeft});
    Reset();
  }
}

TEST_F(HitTest, FinishedShotsAndTheShotStepTable) {
  cChara& c = Chara(10, 1);
  Shot(0).m_bFinished = 1;
  Resolve();
  EXPECT_EQ(ShotsLeft(), 0u);
  EXPECT_EQ(c.m_nHP, 10);

  scene_.m_vShotTestStep = {0, 1};
  scene_.m_nSubStep = 1;
  Shot(0);
  Resolve();
  EXPECT_EQ(c.m_nHP, 10) << "shots are not tested in this sub-step";
  scene_.m_nSubStep = 2;
  Resolve();
  EXPECT_EQ(c.m_nHP, 7);
}

}  // namespace
