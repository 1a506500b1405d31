// The scene harness itself: the written game starts, the free-stage route enters the play scene,
// scripted keys reach the frame they are meant for, and requests keep the frame that sent them.
#include <gtest/gtest.h>

#include "gamedata/worldmap.h"
#include "scenes/requests.h"
#include "scenes/surfacesets.h"
#include "support/scene_harness.h"
#include "support/test_logs.h"

using Harness = SceneHarnessTest;

TEST_F(Harness, TheDemoStartsAndTheFreeStageRouteEntersPlay) {
  GameFolder demo = DemoGame();
  ASSERT_TRUE(StartGame(demo));
  EXPECT_TRUE(TakeBoxTexts().empty());
  // Start-up read the written records and made the pictures it needs at once.
  EXPECT_EQ(g_SystemData.m_strTitle, "Demo");
  EXPECT_EQ(g_WorldMapData.m_vPlace.Size(), 3);
  EXPECT_EQ(g_Database.m_vBgm.back().m_strFile, "bgm\\Demo.mid");
  for (int entry : {1, 45, 51}) EXPECT_NE(g_AppSurface[entry].lpDT, nullptr) << entry;  // Direct3D

  ASSERT_EQ(EnterFreeStage(kDemoStagePaths[0]), 1) << ::testing::PrintToString(TakeBoxTexts())
                                                    << ::testing::PrintToString(LogLines("Report_Game.txt"));
  EXPECT_EQ(g_bFreeStagePlay, 1);
  EXPECT_EQ(cApp::m_nGameType, 2);
  EXPECT_EQ(cApp::m_nPlayMode, 3);
  EXPECT_EQ(g_SaveData.m_nLife, kUnlimitedLife);
  EXPECT_EQ(g_SaveData.m_nStageNo, 1);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\Meadow.");
  EXPECT_FALSE(g_StageData.m_vChara.empty());

  const uint64_t presentedBefore = presenter_->PresentCount();
  ASSERT_TRUE(RunFrames(3));
  ASSERT_EQ(frames_.size(), 3u);
  ASSERT_NE(cApp::SceneOf(SCENE_PLAY), nullptr);
  EXPECT_EQ(g_pScenePlay, cApp::SceneOf(SCENE_PLAY));
  for (const HarnessFrame& f : frames_) {
    EXPECT_EQ(f.scene, SCENE_PLAY);
    EXPECT_GE(f.state, 0);  // Init ran in the first frame
  }
  // Each frame presents; entering the stage also shows the loading picture.
  EXPECT_GE(presenter_->PresentCount(), presentedBefore + 3);
}

TEST_F(Harness, AStageThatIsNotThereIsNotEntered) {
  GameFolder game = BasicGameFolder();
  ASSERT_TRUE(StartGame(game));
  EXPECT_EQ(EnterFreeStage("data\\stg4\\Missing.stg4"), 0);
  EXPECT_EQ(cApp::m_nScene, SCENE_TITLE);
}

TEST_F(Harness, KeysHeldInAFrameReachThatFramesInput) {
  GameFolder game = BasicGameFolder();
  ASSERT_TRUE(StartGame(game));
  ASSERT_EQ(EnterFreeStage("data\\stg4\\Sample.stg4_914"), 1);
  HoldKeys(2, 3, {VK_RIGHT});
  HoldKeys(3, 3, {VK_UP});
  ASSERT_TRUE(RunFrames(4));
  const uint32_t kRight = 2, kUp = 4;
  EXPECT_EQ(frames_[0].inputWord & 0xFFFF, 0u);
  EXPECT_EQ(frames_[1].inputWord & 0xFFFF, kRight);
  EXPECT_EQ(frames_[2].inputWord & 0xFFFF, kRight | kUp);
  EXPECT_EQ(frames_[3].inputWord & 0xFFFF, 0u);
}

TEST_F(Harness, RequestsKeepTheFrameThatSentThem) {
  GameFolder game = BasicGameFolder();
  ASSERT_TRUE(StartGame(game));
  ASSERT_EQ(EnterFreeStage("data\\stg4\\Sample.stg4_914"), 1);
  BeforeFrame(2, [] { PlaySystemSound(5); });
  BeforeFrame(3, [] {
    RequestStageBgm(1, 1);
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  });
  ASSERT_TRUE(RunFrames(3));
  EXPECT_EQ(Requests(WMU_PLAYSOUND), (std::vector<HarnessRequest>{{2, WMU_PLAYSOUND, 5, 0}}));
  // The stage's own music is asked for by set-up in the first frame; the scripted request keeps frame 3.
  ASSERT_FALSE(Requests(WMU_CHANGEBGM).empty());
  EXPECT_EQ(Requests(WMU_CHANGEBGM).front().frame, 1);
  EXPECT_EQ(Requests(WMU_CHANGEBGM).back(), (HarnessRequest{3, WMU_CHANGEBGM, 4, 1}));
  EXPECT_EQ(Requests(WM_CLOSE), (std::vector<HarnessRequest>{{3, WM_CLOSE, 0, 0}}));
  EXPECT_EQ(CloseRequests(), 1);
}
