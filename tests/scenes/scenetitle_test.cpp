#include "scenes/scenetitle.h"

#include <gtest/gtest.h>

#include "gamedata/saveslot.h"
#include "gamedata/worldmap.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"
#include "menu_fixture.h"

namespace {

class TitleTest : public MenuSceneTest {
 protected:
  cSceneTitle* EnterTitle() {
    auto* title = static_cast<cSceneTitle*>(Enter(SCENE_TITLE));
    Closes();  // the headless screen cannot make the menu surface
    return title;
  }
  // Moves the cursor onto the row of the kind and accepts it.
  void Choose(int kind) {
    cSceneTitle* title = static_cast<cSceneTitle*>(cApp::SceneOf(SCENE_TITLE));
    for (int i = 0; i < 20 && title->m_vEntry[Row()] != kind; ++i) Press(0, kDown);
    ASSERT_EQ(title->m_vEntry[Row()], kind);
    Frame(kKeyAccept);
  }
};

TEST_F(TitleTest, MenuEntriesAndTheCursorRowOfEachSetUp) {
  const struct {
    const char* name;
    std::vector<int> enabled;  // enabled flag per command; the list takes this length
    int playMode;
    int freeStageTitle;
    std::vector<int> entries;
    int row;  // after the first menu frame
  } cases[] = {
      {"all disabled", {0, 0, 0, 0, 0, 0, 0}, 0, 0, {0}, 0},
      {"back from a replay", {1, 1, 1, 1, 1, 1, 1}, 4, 0, {0, 1, 2, 3, 4, 5, 6}, 4},
      {"the kind is missing: its number, wrapped", {1, 0, 1, 0, 0, 0, 1}, 5, 0, {0, 2, 6}, 0},
      {"after a start-up stage", {1, 1, 1, 1, 1, 1, 1}, 3, 1, {0, 1, 2, 3, 4, 5, 6}, 0},
      {"more commands than the old table", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cApp::ResetForTest();
    g_SystemData.m_vTitleCmd.resize(c.enabled.size());
    for (size_t i = 0; i < c.enabled.size(); ++i) g_SystemData.m_vTitleCmd.At(static_cast<int>(i)).m_bEnable = c.enabled[i];
    cApp::m_nPlayMode = c.playMode;
    g_bFreeStageTitle = g_bFreeStagePlay = c.freeStageTitle;
    cSceneTitle* title = EnterTitle();
    EXPECT_EQ(title->m_vEntry, c.entries);
    Frame();
    EXPECT_EQ(Row(), c.row);
    EXPECT_EQ(g_bFreeStageTitle, 0);
    EXPECT_EQ(g_bFreeStagePlay, 0);
  }
  // An accepted kind the title does not know does nothing.
  Frame(kKeyAccept);
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 1);
  EXPECT_EQ(cApp::m_nPlayMode, 9);
}

TEST_F(TitleTest, NewGameWithoutSlotsGoesToTheWorldMapWithAFreshProgress) {
  g_SystemData.m_bNewGameSlot = 0;
  g_SystemData.m_vStartLife.At(0) = 3;
  g_WorldMapData.SetSize(8, 8);
  g_WorldMapData.m_nStartX = 4;
  g_WorldMapData.m_nStartY = 6;
  g_SaveData.m_nLap = 2;
  g_SaveData.m_nScore = 77;
  EnterTitle();
  Choose(TITLE_NEWGAME);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_WORLDMAP);
  EXPECT_EQ(cApp::m_nPrevScene, SCENE_TITLE);
  EXPECT_EQ(cApp::m_nGameType, GAMETYPE_STORY);
  EXPECT_EQ(g_SaveData.m_nMapX, 4);
  EXPECT_EQ(g_SaveData.m_nMapY, 6);
  EXPECT_EQ(g_SaveData.m_nLap, 0);
  EXPECT_EQ(g_SaveData.m_nScore, 0);
  EXPECT_EQ(g_SaveData.m_nStartLife, 3);
  EXPECT_EQ(g_SaveData.m_nLife, 2);
}

TEST_F(TitleTest, SlotListsRefuseTheWrongSlotAndContinueLoadsTheChosenOne) {
  g_SystemData.m_bNewGameSlot = 1;
  g_SaveData.Reset(0);
  g_SaveData.m_nScore = 1234;
  ASSERT_EQ(g_SaveData.SaveStory(0), 1);  // slot 1 used, the others empty
  g_SaveData.Reset(0);

  EnterTitle();
  Choose(TITLE_NEWGAME);
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 2);
  Frame();
  Script().sounds.clear();
  Press(kKeyAccept);  // the used slot
  EXPECT_EQ(Script().sounds, std::vector<int>{3});
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 2);
  Press(kKeyCancel);
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 1);

  Choose(TITLE_CONTINUE);
  Frame();
  Press(0, kDown);  // slot 2: empty
  Script().sounds.clear();
  Press(kKeyAccept);
  EXPECT_EQ(Script().sounds, std::vector<int>{3});
  Press(0, kUp);
  Frame(kKeyAccept);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_WORLDMAP);
  EXPECT_EQ(g_SaveData.m_nScore, 1234);
  EXPECT_EQ(g_SaveData.m_nSlot, 0);
}

TEST_F(TitleTest, ANewGameInAnEmptySlotTakesItWithAutoSave) {
  g_SystemData.m_bNewGameSlot = 1;
  EnterTitle();
  Choose(TITLE_NEWGAME);
  Frame();
  Press(0, kDown);
  Press(0, kDown);
  Frame(kKeyAccept);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_WORLDMAP);
  EXPECT_EQ(g_SaveData.m_nSlot, 2);
  EXPECT_EQ(g_SaveData.m_bAutoSave, 1);
}

TEST_F(TitleTest, AChallengeWithoutItsFileStartsAFreshRecordInTheStageSelect) {
  g_SystemData.m_nChallengeNum = 4;
  g_SaveData.m_nChallengeOpen = 3;
  EnterTitle();
  Choose(TITLE_CHALLENGE);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_STAGESELECT);
  EXPECT_EQ(cApp::m_nGameType, GAMETYPE_CHALLENGE);
  EXPECT_EQ(g_SaveData.m_vChallenge.Size(), 4);
  EXPECT_EQ(g_SaveData.m_nChallengeOpen, cSaveData().m_nChallengeOpen);
}

TEST_F(TitleTest, FreeStageAndReplayFollowTheDialogsAnswers) {
  ASSERT_TRUE(SaveSampleStage("data\\stg4\\free.stg4"));
  g_SystemData.m_vStartLife.At(2) = 5;
  EnterTitle();
  Choose(TITLE_FREE);  // cancelled: the menu stays
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 1);
  Frame();

  Script().replayChosen = false;
  Choose(TITLE_REPLAY);
  EXPECT_EQ(cApp::SceneOf(SCENE_TITLE)->m_nState, 1);
  Frame();

  Script().stagePath = "data\\stg4\\free.stg4";
  Choose(TITLE_FREE);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_PLAY);
  EXPECT_EQ(cApp::m_nGameType, GAMETYPE_FREE);
  EXPECT_EQ(cApp::m_nPlayMode, TITLE_FREE);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\free.");
  EXPECT_EQ(g_SaveData.m_nStageNo, 1);
  EXPECT_EQ(g_SaveData.m_nPart, 1);
  EXPECT_EQ(g_SaveData.m_nStartLife, 5);
  EXPECT_EQ(g_SaveData.m_nLife, 4);

  cApp::m_nScene = SCENE_TITLE;
  Script().replayChosen = true;
  EnterTitle();
  Frame();
  Choose(TITLE_REPLAY);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_PLAY);
  EXPECT_EQ(cApp::m_nPlayMode, TITLE_REPLAY);
}

TEST_F(TitleTest, OptionsSwitchAndQuitPostsAClose) {
  EnterTitle();
  Choose(TITLE_QUIT);
  EXPECT_EQ(Closes(), 1);
  Frame();
  Choose(TITLE_OPTION);
  RunUntilSwitched(SCENE_TITLE);
  EXPECT_EQ(cApp::m_nScene, SCENE_OPTION);
}

TEST_F(TitleTest, TheTitleMusicIsSituationZero) {
  g_SystemData.m_vMenuBgm.At(0) = 2;
  EnterTitle();
  EXPECT_EQ(Script().musicSituations, std::vector<int>{0});
}

TEST_F(TitleTest, DialogWaitsEndWhenTheRequestCannotBeSent) {
  DestroyWindowStandIn(g_hMainWnd);
  EXPECT_FALSE(cSceneTitle::OpenStageFile());
  EXPECT_EQ(RequestReplayLoad(), 0);
  g_hMainWnd = CreateWindowStandIn("MenuSceneTest");
}

}  // namespace
