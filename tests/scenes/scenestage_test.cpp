#include "scenes/scenestage.h"

#include <gtest/gtest.h>

#include "gamedata/ranking.h"
#include "stagedata/stagedata.h"
#include "menu_fixture.h"

namespace {

class StageSelectTest : public MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    g_SystemData.m_nChallengeNum = 12;
    g_SystemData.m_bChallengeAllOpen = 0;
    g_SystemData.m_vStartLife.At(1) = 4;
    g_SaveData.Reset(12);
    cApp::m_nGameType = GAMETYPE_CHALLENGE;
  }
  cSceneStageSelect* EnterSelect() { return static_cast<cSceneStageSelect*>(Enter(SCENE_STAGESELECT)); }
};

TEST_F(StageSelectTest, OneOpenedStageGivesOneRowThatTheCursorCannotLeave) {
  g_SaveData.m_nChallengeOpen = 1;
  auto* select = EnterSelect();
  Frame();
  EXPECT_EQ(select->m_nStageCount, 1);
  EXPECT_EQ(select->m_nRows, 1);
  Press(0, kDown);
  Press(0, kRight);
  EXPECT_EQ(Row(), 0);
  g_SystemData.m_bChallengeAllOpen = 1;
  select->UpdateCounts();
  EXPECT_EQ(select->m_nStageCount, 12);
  EXPECT_EQ(select->m_nRows, 10);
}

TEST_F(StageSelectTest, AcceptLoadsTheNumberedChallengeFileAndPlaysIt) {
  EXPECT_EQ(ChallengeStagePath(7), "data\\stg4\\c07-1.stg4");
  ASSERT_TRUE(SaveSampleStage("data\\stg4\\c02-1.stg4_914"));
  g_SaveData.m_nChallengeOpen = 3;
  EnterSelect();
  Press(0, kDown);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\c02.");  // selected on the move
  Frame(kKeyAccept);
  RunUntilSwitched(SCENE_STAGESELECT);
  ASSERT_EQ(cApp::m_nScene, SCENE_PLAY);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\c02-1.stg4_914");
  EXPECT_EQ(g_SaveData.m_nStageNo, 2);
  EXPECT_EQ(g_SaveData.m_nPart, 1);
  EXPECT_EQ(g_SaveData.m_nStartLife, 4);
  EXPECT_EQ(g_SaveData.m_nLife, 3);
  EXPECT_EQ(g_SaveData.m_bMultiPart, 1);
  EXPECT_EQ(cApp::m_nSelectCursor, 1);

  // Back from play: the same row and first row.
  cApp::m_nSelectCursor = 8;
  cApp::m_nSelectTop = 3;
  g_SaveData.m_nChallengeOpen = 12;
  auto* select = EnterSelect();
  EXPECT_EQ(Row(), 8);
  EXPECT_EQ(select->m_nScroll, 3);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\c09.");
}

TEST_F(StageSelectTest, AMissingStageFileIsReportedAndTheListStays) {
  g_SaveData.m_nChallengeOpen = 1;
  auto* select = EnterSelect();
  msgbox::TakeRecords();
  Press(kKeyAccept);
  EXPECT_EQ(Script().sounds.back(), 3);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ステージファイル data\\stg4\\c01-1.stg4 が読み込めません！"});
  EXPECT_EQ(select->m_nState, 1);
  Press(kKeyCancel);
  RunUntilSwitched(SCENE_STAGESELECT);
  EXPECT_EQ(cApp::m_nScene, SCENE_TITLE);
}

TEST_F(StageSelectTest, RankingButtons) {
  g_SaveData.m_nChallengeOpen = 1;
  g_SaveData.m_bRankShow = 1;
  g_SystemData.m_vRankSetting.At(1).m_bOn = 0;
  EnterSelect();
  Script().sounds.clear();
  Press(kKeyRank);  // rankings off: the toggle is cleared without a sound
  EXPECT_EQ(g_SaveData.m_bRankShow, 0);
  EXPECT_TRUE(Script().sounds.empty());

  cRankSetting& setting = g_SystemData.m_vRankSetting.At(1);
  setting.m_bOn = 1;
  for (uint8_t& shown : setting.m_vShow) shown = 0;
  setting.m_vShow.At(0) = 1;
  g_SaveData.m_nRankTable = 0;
  Press(kKeyGenre);  // one table: nothing moves
  EXPECT_EQ(g_SaveData.m_nRankTable, 0);
  EXPECT_TRUE(Script().sounds.empty());
  setting.m_vShow.At(3) = 1;
  Press(kKeyGenre);
  EXPECT_EQ(g_SaveData.m_nRankTable, 3);
  EXPECT_EQ(Script().sounds, std::vector<int>{6});
  Press(kKeyRank);
  EXPECT_EQ(g_SaveData.m_bRankShow, 1);
}

}  // namespace
