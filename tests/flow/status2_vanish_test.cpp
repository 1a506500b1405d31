#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "flow/exec_fixture.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "stagedata/cond.h"
#include "stagedata/stagedata.h"

namespace {

class Status2Test : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    hero_ = &AddHero(9);
    hero_->m_PicRect.m_nW = hero_->m_PicRect.m_nBaseW = 32;
    Place(*hero_, 100, 100);
    hero_->m_nHP = 50;
    me_ = &Body(1, 400, 400);
    enemy_ = &Body(2, 500, 400);
    SetCharaTarget(me_, 0, hero_, 1);
    SetCharaTarget(me_, 1, enemy_, 1);
  }
  void Run(cCharaBase& s, std::vector<int> params) {
    cFlowCmd cmd = Cmd(CMD_STATUS2);
    std::copy(params.begin(), params.end(), cmd.m_vParam.begin());
    cCmdInstance inst = Running(cmd);
    g_CmdExecTable[CMD_STATUS2](&s, &inst);
  }
  cHero* hero_ = nullptr;
  cChara *me_ = nullptr, *enemy_ = nullptr;
};

TEST_F(Status2Test, TheKillRule) {
  Run(*me_, {1, 0});  // target 1, the hero
  EXPECT_EQ(hero_->m_nHP, 0);
  EXPECT_EQ(hero_->m_bVanished, 0);
  EXPECT_EQ(scene_.m_bDeathPending, 1);
  scene_.m_bDeathPending = 0;
  Run(*me_, {2, 0});
  EXPECT_EQ(enemy_->m_bVanished, 1);
  EXPECT_EQ(enemy_->m_nHP, 50);
  EXPECT_EQ(scene_.m_bDeathPending, 1);
  scene_.m_bDeathPending = 0;
  Run(*me_, {0, 0});
  EXPECT_EQ(me_->m_bVanished, 1);
  EXPECT_EQ(scene_.m_bDeathPending, 0) << "the subject itself ends through its own pass";
}

TEST_F(Status2Test, StatusBytesOnTheHeroAndOnAnEnemy) {
  for (int who : {1, 2}) {
    SCOPED_TRACE(who);
    cCharaBase& o = who == 1 ? static_cast<cCharaBase&>(*hero_) : *enemy_;
    Run(*me_, {who, 1, 1});
    Run(*me_, {who, 2, 0});
    Run(*me_, {who, 4, 2});
    Run(*me_, {who, 6, -1});
    EXPECT_EQ(o.m_Chara.m_bHiddenStatus, 1);
    EXPECT_EQ(o.m_bHidden, 0) << "not the per-pass flag";
    EXPECT_EQ(o.m_Chara.m_bFacingLock, 0);
    EXPECT_EQ(o.m_Chara.m_cInvincible, 2);
    EXPECT_EQ(o.m_Chara.m_bScrollSync, -1);
    EXPECT_EQ(o.m_bScrollSync, 255);
  }
  // Flying acts on the hero only.
  Run(*me_, {1, 3, 1});
  EXPECT_EQ(hero_->m_bFlying, 1);
  Run(*me_, {2, 3, 1});
  EXPECT_EQ(enemy_->m_bFlying, 0);
  // Parameter 0 beyond the system means the subject; an empty slot means nobody.
  Run(*me_, {7, 4, 1});
  EXPECT_EQ(me_->m_Chara.m_cInvincible, 1);
  Run(*me_, {4, 4, 0});
  EXPECT_EQ(me_->m_Chara.m_cInvincible, 1);
}

TEST_F(Status2Test, SizeWithItsCountdownUnderBothSettings) {
  const struct {
    const char* what;
    int value, noCountdown, scale, countdown;
  } cases[] = {
      {"grown", 3, 0, 3, 2},
      {"grown, the older rule sets no countdown", 3, 1, 3, 0},
      {"same size: no countdown", 1, 0, 1, 0},
      {"beyond 10 clamped", 15, 0, 10, 2},
      {"below 1 clamped", -2, 0, 1, 0},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_SystemData.m_bScaleModeSwitch = t.noCountdown;
    for (cCharaBase* o : {static_cast<cCharaBase*>(hero_), static_cast<cCharaBase*>(enemy_)}) {
      o->SetScale(1, o->m_Chara.m_cScale, 0);
      o->m_Chara.m_cScale = 1;
      o->m_nModeChangeWait = 0;
      Run(*me_, {o == hero_ ? 1 : 2, 5, t.value});
      EXPECT_EQ(o->m_Chara.m_cScale, t.scale);
      EXPECT_EQ(o->m_nModeChangeWait, t.countdown);
      EXPECT_EQ(o->m_PicRect.m_nW, 32 * t.scale);
    }
  }
  EXPECT_FALSE(hero_->m_vDrawLayers.empty()) << "the hero's layers rebuilt";
}

TEST_F(Status2Test, TheSystemSwitchesAnAxisOfAutoScrolling) {
  g_StageData.m_nAutoScrollSpeedX = 20;
  g_StageData.m_nAutoScrollSpeedY = 30;
  Run(*me_, {5, 0, 1});
  EXPECT_EQ(g_StageData.m_bAutoScrollX, 1);
  EXPECT_EQ(scene_.m_ScrollX.m_bAutoScroll, 1);
  EXPECT_NE(scene_.m_ScrollX.m_dAutoSpeed, 0);
  EXPECT_EQ(scene_.m_ScrollY.m_bAutoScroll, 0);
  Run(*me_, {5, 1, 1});
  EXPECT_EQ(g_StageData.m_bAutoScrollY, 1);
  EXPECT_EQ(scene_.m_ScrollY.m_bAutoScroll, 1);
  Run(*me_, {5, 0, 0});
  EXPECT_EQ(scene_.m_ScrollX.m_bAutoScroll, 0);
  EXPECT_EQ(me_->m_bVanished, 0) << "the system is no object";
}

// ---- Vanish ----

class VanishTest : public ExecTest {
 protected:
  // A character of side 1, active or not, filed in its side's list.
  cChara& Member(int objNo, int active) {
    cChara& c = Body(objNo, 300 + objNo * 10, 400);
    c.m_nSide = 1;
    c.m_bActive = active;
    scene_.m_vSideChara[1].push_back(&c);
    return c;
  }
  // A shot owned by the object, side 1.
  cShot& ShotOf(cCharaBase& owner, int active = 1) {
    cEdShot rec;
    rec.m_nFaction = 1;
    rec.m_bOwnerFaction = 0;
    cShotLaunch launch;
    launch.m_nX = 300;
    launch.m_nY = 300;
    cShot& s = EmplaceShot(scene_.m_lShot, ++shotNo_, &owner, CMD_SHOT, rec, launch);
    s.RegisterLinks();
    s.m_bActive = active;
    return s;
  }
  void Run(cCharaBase& s, int mode, int side = 1, int inactiveToo = 0) {
    cFlowCmd cmd = Cmd(CMD_VANISH);
    cmd.m_vParam[0] = mode;
    cmd.m_vParam[1] = side;
    cmd.m_vParam[2] = inactiveToo;
    cCmdInstance inst = Running(cmd);
    g_CmdExecTable[CMD_VANISH](&s, &inst);
  }
  std::vector<int> ShotOwners() const {
    std::vector<int> owners;
    for (const cShot& s : scene_.m_lShot) owners.push_back(s.m_nOwnerNo);
    return owners;
  }
  int shotNo_ = 100;
};

TEST_F(VanishTest, CharactersAndShotsOfASide) {
  cChara& me = Body(1, 200, 200);
  cChara& active = Member(2, 1);
  cChara& inactive = Member(3, 0);
  cChara& hidden = Member(4, 1);
  cCond never;
  never.m_nKind = COND_STAGE_VAR;
  never.m_sIndex = 9;
  never.m_nValue = 1;
  hidden.m_Chara.m_vCond.push_back(never);  // its appearance condition does not hold
  Run(me, 0);
  EXPECT_EQ(active.m_bVanished, 1);
  EXPECT_EQ(inactive.m_bVanished + hidden.m_bVanished, 0);
  EXPECT_EQ(scene_.m_bDeathPending, 1);
  Run(me, 0, 1, 1);
  EXPECT_EQ(inactive.m_bVanished + hidden.m_bVanished, 2);
  // Shots of side 1: the inactive one stays unless included.
  ShotOf(active, 1);
  ShotOf(active, 0);
  Run(me, 1);
  EXPECT_EQ(scene_.m_lShot.size(), 1u);
  EXPECT_EQ(scene_.m_vSideShot[1].size(), 1u);
  Run(me, 1, 1, 1);
  EXPECT_TRUE(scene_.m_lShot.empty());
  EXPECT_TRUE(active.m_vShotLink.empty());
}

TEST_F(VanishTest, DescendantsAndTheirShotsByMode) {
  const struct {
    const char* what;
    int mode;
    std::vector<int> shotsLeft;
    int childrenGone;
  } cases[] = {
      {"descendants, shots stay", 2, {1, 2, 3}, 1},
      {"own shots", 3, {2, 3}, 0},
      {"own shots, descendants and theirs", 4, {}, 1},
      {"descendants and theirs, own shots stay", 5, {1}, 1},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    scene_.m_lShot.clear();
    g_lstChara.clear();
    cChara& me = Body(1, 200, 200);
    cChara& child = Body(2, 300, 200);
    cChara& grandchild = Body(3, 400, 200);
    child.InitLinks(&me);
    grandchild.InitLinks(&child);
    ShotOf(me);
    ShotOf(child);
    ShotOf(grandchild);
    Run(me, t.mode);
    EXPECT_EQ(ShotOwners(), t.shotsLeft);
    EXPECT_EQ(child.m_bVanished + grandchild.m_bVanished, 2 * t.childrenGone);
    EXPECT_EQ(me.m_bVanished, 0);
  }
}

TEST_F(VanishTest, DuringTheHitPassShotsAreOnlyMarked) {
  cChara& me = Body(1, 200, 200);
  cShot& own = ShotOf(me);
  scene_.m_bInHitPass = 1;
  Run(me, 3);
  EXPECT_EQ(scene_.m_lShot.size(), 1u);
  EXPECT_EQ(own.m_bFinished, 1);
  EXPECT_EQ(me.m_vShotLink.size(), 1u);
  scene_.m_bInHitPass = 0;
}

TEST_F(VanishTest, ADescendantChainIsCutAtDepth1000) {
  cChara* parent = &Body(1, 200, 200);
  cChara& me = *parent;
  for (int i = 0; i < 1005; ++i) {
    cChara& c = AddChara(10 + i);
    c.InitLinks(parent);
    parent = &c;
  }
  Run(me, 2);
  int gone = 0;
  for (const cChara& c : g_lstChara) gone += c.m_bVanished;
  EXPECT_EQ(gone, 1001);
}

}  // namespace
