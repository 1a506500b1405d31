// The demo's last stage: its boss walks and fires three-way volleys while it holds half its HP or
// more, turns to standing eight-way bursts below that, and its defeat clears the stage.
#include <gtest/gtest.h>

#include "objects/objlists.h"
#include "stagedata/stageload.h"
#include "support/scene_harness.h"

namespace {

using BossStage = SceneHarnessTest;


cChara* FindBoss() {
  for (cChara& c : g_lstChara)
    if (c.m_Chara.m_strName == "Keeper") return &c;
  return nullptr;
}

}  // namespace

TEST_F(BossStage, BelowHalfItsHpTheBossTurnsFierceAndItsDefeatClearsTheStage) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(StartGame(demo));
  ASSERT_EQ(EnterFreeStage(kDemoStagePaths[2]), 1);
  // A sturdier hero: the guards' fire must not end the attempt (and set the stage up again) while
  // the boss is watched.
  for (cCharaData& c : g_StageData.m_vChara)
    if (c.m_cSide == 0) c.m_nMaxHP = 5000;
  g_HeroCharaData.m_nMaxHP = 5000;
  ASSERT_TRUE(RunFrames(100));
  ASSERT_EQ(frames_.back().state, PLAY_MAIN);
  ASSERT_EQ(g_vHero[0].m_nHP, 5000);
  cChara* boss = FindBoss();
  ASSERT_NE(boss, nullptr);
  ASSERT_EQ(boss->m_nHP, 40);

  // The hero is put a few steps left of the boss, which wakes once it is on the screen, and turns
  // to it.
  cHero& hero = g_vHero[0];
  hero.m_dX = boss->m_dX - 96;
  hero.m_dY = boss->m_dY;
  HoldKeys(frameNo_ + 1, frameNo_ + 1, {VK_RIGHT});
  ASSERT_TRUE(RunFrames(2));

  // Its flows: 0 walks and fires volleys at half its HP or more, 1 fires bursts below that.
  auto running = [&](int flow) { return boss->m_vFlowInst.At(flow).m_bRunning != 0; };

  // At half its HP (the condition's edge) a whole cycle of the first behaviour (four seconds): it
  // walks, and the second never starts.
  boss->m_nHP = 20;
  const double startX = boss->m_dX;
  bool calm = false, fierce = false;
  for (int i = 0; i < 250; ++i) {
    ASSERT_TRUE(RunFrames(1));
    calm |= running(0);
    fierce |= running(1);
  }
  EXPECT_TRUE(calm);
  EXPECT_FALSE(fierce);
  EXPECT_NE(boss->m_dX, startX);

  // One point less: once the running cycle ends, only the bursts run.
  boss->m_nHP = 19;
  for (int i = 0; i < 250 && running(0); ++i) ASSERT_TRUE(RunFrames(1));
  ASSERT_TRUE(RunFrames(1));
  EXPECT_FALSE(running(0));
  EXPECT_TRUE(running(1));
  ASSERT_EQ(FindBoss(), boss) << "the stage was set up again";
  const double burstX = boss->m_dX;
  ASSERT_TRUE(RunFrames(30));
  EXPECT_EQ(boss->m_dX, burstX) << "the bursts stand still";

  // Two points left: the hero shoots until it falls.
  boss->m_nHP = 2;
  hero.m_dX = boss->m_dX - 96;
  hero.m_dY = boss->m_dY;
  const int now = frameNo_;
  HoldKeys(now + 1, now + 1, {VK_RIGHT});
  for (int f = now + 10; f < now + 200; f += 20) HoldKeys(f, f, {'X'});
  bool cleared = false;
  for (int i = 0; i < 200 && !cleared; ++i) {
    ASSERT_TRUE(RunFrames(1));
    cleared = frames_.back().state == PLAY_RESULT;
  }
  EXPECT_TRUE(cleared);
  ASSERT_NE(FindBoss(), nullptr);
  EXPECT_LE(FindBoss()->m_nHP, 0);
}
