#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/win/keys.h"
#include "scenes/sceneplay.h"
#include "scenes/app.h"
#include "scenes/map_fixture.h"
#include "scenes/requests.h"
#include "scenes/result.h"
#include "stagedata/flow.h"
#include "support/stage_builder.h"
#include "support/tempdir.h"

namespace {

struct TempDir : TempDirTest {
  void TestBody() override {}
  using TempDirTest::SetUp;
  using TempDirTest::TearDown;
};

// The stage result in a temp game folder; the main window answers the name request with "Ann".
class ResultTest : public MapTest {
 protected:
  static int& NameRequests() {
    static int n = 0;
    return n;
  }
  static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WMU_NAMEENTRY) {
      ++NameRequests();
      g_pScenePlay->m_strRankName = typed_;
      g_bNameEntryDone = 1;
    }
    return SoundProc(hwnd, msg, wParam, lParam);
  }
  void SetUp() override {
    MapTest::SetUp();
    dir_.SetUp();
    for (const char* d : {"user_data", "user_data\\story", "user_data\\challenge", "user_data\\free", "data",
                          "data\\stg4"})
      ASSERT_TRUE(MakeGameDirectory(d));
    SetWindowProcStandIn(g_hMainWnd, &Proc);
    NameRequests() = 0;
    typed_ = "Ann";
    g_OptionData = cOptionData();
    g_RankingData.Reset();
    g_WorldMapData = cWorldMapData();
    cApp::m_nPlayMode = 0;
    cApp::m_nGameType = 0;
    cApp::m_bRanking = 1;
    g_bFreeStagePlay = 0;
    g_bEditorLaunched = 0;
    g_SaveData.m_strStage = "data\\stg4\\c03.";
    g_SaveData.m_strStageKey = g_SaveData.m_strStage;
    g_SaveData.m_nStageNo = 3;
    g_SaveData.m_nLife = 3;
    g_SystemData.m_vRankSetting.At(0).m_bOn = 1;
    g_SystemData.m_vRankSetting.At(0).m_vShow.assign(kRankTableCount, 1);
    g_StageData.m_vResultLine.assign(kResultLineCount, 1);
  }
  void TearDown() override {
    cApp::m_bRanking = 0;
    cApp::m_nPlayMode = 0;
    g_SaveData.Reset(0);
    g_RankingData.Reset();
    dir_.TearDown();
    MapTest::TearDown();
  }
  static int CountSound(int n) {
    int c = 0;
    for (int s : Sounds()) c += s == n;
    return c;
  }

  TempDir dir_;
  static inline std::string typed_;
};

TEST_F(ResultTest, ExtraLivesForEveryFullStepOfPoints) {
  struct Case {
    int extend, step, totalBefore, score, lives, wantLives, wantSounds;
  };
  const Case cases[] = {
      {1, 1000, 1900, 1200, 3, 5, 2},  // 3100 / 1000 - 1900 / 1000
      {1, 1000, 1900, 1200, 99, 99, 2},  // at 99: the sounds come, the lives stay
      {1, 1000, 1900, 1200, 120, 120, 2},  // lives above 99 are never lowered
      {1, 1000, 1900, 1200, kUnlimitedLife, kUnlimitedLife, 0},
      {1, 0, 1900, 1200, 3, 3, 0},
      {0, 1000, 1900, 1200, 3, 3, 0},
      {1, 1000, 1900, 99, 3, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.extend << " " << c.step << " " << c.lives);
    Sounds().clear();
    g_SystemData.m_bScoreExtend = c.extend;
    g_SystemData.m_nScoreExtendStep = c.step;
    g_SaveData.m_nTotalScore = c.totalBefore;
    g_SaveData.m_nScore = c.score;
    g_SaveData.m_nLife = c.lives;
    scene_.m_lMesWindow.clear();
    scene_.m_lMesWindow.emplace_back().m_nKind = MESWIN_TEXT;  // a window of the stage, kept
    scene_.AddStageTotals();
    ASSERT_EQ(scene_.m_lMesWindow.size(), 1u) << "each extra-life mark is removed after its wait";
    EXPECT_EQ(scene_.m_lMesWindow.front().m_nKind, MESWIN_TEXT);
    EXPECT_TRUE(scene_.m_vFinishedDisplay.empty());
    EXPECT_EQ(g_SaveData.m_nTotalScore, c.totalBefore + c.score);
    EXPECT_EQ(g_SaveData.m_nLife, c.wantLives);
    EXPECT_EQ(CountSound(15), c.wantSounds);
    EXPECT_EQ(scene_.m_Wait.m_nMode, c.wantSounds ? 4 : 0);
    scene_.m_Wait = cDisplayWait();
  }
}

TEST_F(ResultTest, TotalsOfTimeHpAndSp) {
  cHero& hero = AddHero();
  hero.m_nHP = 40;
  hero.m_nSP = 7;
  scene_.m_nStageTime = 120;
  scene_.m_nPlayTime = 4567;
  g_SaveData.m_nTotalTimeLeft = 10;
  scene_.AddStageTotals();
  EXPECT_EQ(g_SaveData.m_nTotalTimeLeft, 130);
  EXPECT_EQ(g_SaveData.m_nTotalPlayTime, 4567);
  EXPECT_EQ(g_SaveData.m_nTotalHP, 40);
  EXPECT_EQ(g_SaveData.m_nTotalSP, 7);
  scene_.m_bTimeStopped = 1;  // a stopped timer adds no time
  scene_.AddStageTotals();
  EXPECT_EQ(g_SaveData.m_nTotalTimeLeft, 130);
  EXPECT_EQ(g_SaveData.m_nTotalPlayTime, 2 * 4567);
}

TEST_F(ResultTest, NextStagePath) {
  ASSERT_TRUE(SaveSampleStage("data/stg4/c03-2.stg4_001"));
  ASSERT_TRUE(SaveSampleStage("data/stg4/c03-2.stg4_004"));
  ASSERT_TRUE(SaveSampleStage("data/stg4/Boss.stg4_000"));
  struct Case {
    int multiPart, next;
    const char* named;
    const char* stage;
    int part, want;
    const char* wantName;
  };
  const Case cases[] = {
      {1, 2, "", "data\\stg4\\c03.", 2, 1, "data\\stg4\\c03-2.stg4_004"},
      {1, 2, "data\\stg4\\Boss.", "data\\stg4\\c03.", 2, 1, "data\\stg4\\Boss.stg4_000"},
      {1, 3, "", "data\\stg4\\c03.", 3, 0, ""},
      {0, 2, "", "data\\stg4\\c03.", 2, 0, ""},  // no stage select
      {1, 0, "", "data\\stg4\\c03.", 2, 0, ""},  // no next stage
      {1, 2, "", "", 2, 0, ""},                   // no stage file: nothing to cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.named << " " << c.part);
    g_SaveData.m_bMultiPart = c.multiPart;
    g_SaveData.m_strStage = c.stage;
    scene_.m_nNextStage = c.next;
    scene_.m_strNextStage = c.named;
    std::string name = "stale";
    EXPECT_EQ(scene_.MakeNextStagePath(&name, c.part), c.want);
    EXPECT_EQ(name, c.wantName);
    EXPECT_EQ(scene_.IsLastStage(c.part), 1 - c.want);
  }
}

TEST_F(ResultTest, FinishStageFindsPlacesOnlyForTheLastStageAndNotInATestPlay) {
  g_SaveData.m_nScore = 500;
  scene_.FinishStage();
  EXPECT_EQ(Sounds().front(), 14);
  EXPECT_EQ(scene_.m_bNewRecord, 1);
  EXPECT_EQ(scene_.m_vRankPos, (cCheckedVector<int32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(scene_.m_vRankValue[0], 500);
  EXPECT_EQ(scene_.m_bRankEntered, 0);

  // Only offered tables shown by the stage take a place.
  g_SystemData.m_vRankSetting.At(0).m_vShow[1] = 0;
  g_StageData.m_vResultLine[3] = 0;
  scene_.FinishStage();
  EXPECT_EQ(scene_.m_vRankPos, (cCheckedVector<int32_t>{0, -1, 0, -1, 0}));

  // A following part of the stage exists: no ranking yet.
  ASSERT_TRUE(SaveSampleStage("data/stg4/c03-2.stg4_000"));
  g_SaveData.m_bMultiPart = 1;
  scene_.m_nNextStage = 2;
  scene_.FinishStage();
  EXPECT_EQ(scene_.m_bNewRecord, 0);
  EXPECT_EQ(scene_.m_vRankPos, (cCheckedVector<int32_t>{-1, -1, -1, -1, -1}));
  // ... unless only this stage is played.
  g_bFreeStagePlay = 1;
  scene_.FinishStage();
  EXPECT_EQ(scene_.m_bNewRecord, 1);
  // A test play from the editor never enters rankings.
  g_bEditorLaunched = 1;
  scene_.FinishStage();
  EXPECT_EQ(scene_.m_bNewRecord, 0);
  EXPECT_EQ(scene_.m_vRankPos[0], -1);
  g_bFreeStagePlay = 0;
}

TEST_F(ResultTest, EnterRankingByRankingMode) {
  struct Case {
    int mode;
    const char* typed;
    const char* fixed;
    int wantRequests;
    const char* wantName;
    const char* wantLast;
  };
  const Case cases[] = {
      {0, "Ann", "Fix", 1, "Ann", "Ann"},
      {2, "", "Fix", 1, "", "Old"},  // an empty name keeps the last one
      {1, "Ann", "Fix", 0, "Fix", "Old"},
      {3, "Ann", "", 0, "", "Old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    g_RankingData.Reset();
    std::filesystem::remove("user_data/story/c03.rkg");
    Sounds().clear();
    NameRequests() = 0;
    typed_ = c.typed;
    g_OptionData.m_nRankMode = c.mode;
    g_OptionData.m_strRankName = c.fixed;
    g_SaveData.m_strName = "Old";
    g_SaveData.m_nTotalScore = 900;
    scene_.FinishStage();
    Sounds().clear();
    // The ranking display runs until it is closed: its first poll asks it to close.
    g_pScenePlay = &scene_;
    SetInputPollHook([](int) { g_pScenePlay->m_bQuit = 1; });
    scene_.EnterRanking();
    SetInputPollHook(nullptr);
    scene_.m_bQuit = 0;
    EXPECT_EQ(NameRequests(), c.wantRequests);
    EXPECT_EQ(scene_.m_strRankName, c.wantName);
    EXPECT_EQ(g_SaveData.m_strName, c.wantLast);
    EXPECT_EQ(Sounds(), std::vector<int>{16});
    EXPECT_EQ(scene_.m_bRankEntered, 1);
    EXPECT_EQ(g_RankingData.m_vTable[0].m_vEntry[0].m_strName, c.wantName);
    EXPECT_EQ(g_RankingData.m_vTable[0].m_vEntry[0].m_nScore, 900);
    EXPECT_TRUE(std::filesystem::exists("user_data/story/c03.rkg"));
    // Once per result.
    scene_.EnterRanking();
    EXPECT_EQ(Sounds().size(), 1u);
  }
  // Nothing without a new record or with rankings off.
  scene_.m_bRankEntered = 0;
  cApp::m_bRanking = 0;
  scene_.EnterRanking();
  EXPECT_EQ(scene_.m_bRankEntered, 0);
}

TEST_F(ResultTest, StoryGoesToTheNextPartOrByTheNodesAction) {
  // The next part exists: it is loaded and the play scene follows.
  ASSERT_TRUE(SaveSampleStage("data/stg4/c03-2.stg4_000", "Part two"));
  g_SaveData.m_bMultiPart = 1;
  g_SaveData.m_nPart = 1;
  scene_.m_nNextStage = 2;
  EXPECT_EQ(scene_.NextSceneAfterClear(), 4);
  EXPECT_EQ(g_SaveData.m_nPart, 2);
  EXPECT_EQ(g_StageData.m_strName, "Part two");
  EXPECT_EQ(g_SaveData.m_vFlag[3], 0);

  // A next stage that does not exist: the stage is cleared and the map node decides.
  g_WorldMapData.m_vPlace.assign(1, cMapPlace());
  g_WorldMapData.m_vPlace[0].m_nX = g_SaveData.m_nMapX = 4;
  g_WorldMapData.m_vPlace[0].m_nY = g_SaveData.m_nMapY = 5;
  g_WorldMapData.m_vPlace[0].m_vNode.assign(2, cMapNode());
  g_SaveData.m_nEnteredNode = 1;
  struct Case {
    int action, wantScene, wantLap;
  };
  const Case cases[] = {{0, 1, 0}, {1, 1, 1}, {2, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    g_WorldMapData.m_vPlace[0].m_vNode[1].m_nAfterClear = c.action;
    g_SaveData.m_nLap = 0;
    g_SaveData.m_nMapX = 4;
    g_SaveData.m_nMapY = 5;
    g_SaveData.m_vFlag.Fill(0);
    g_SaveData.m_nPart = 1;
    g_SaveData.m_nTotalScore = 700;
    scene_.m_nNextStage = 5;
    EXPECT_EQ(scene_.NextSceneAfterClear(), c.wantScene);
    EXPECT_EQ(g_SaveData.m_nLap, c.wantLap);
    EXPECT_EQ(g_SaveData.m_vFlag[3], c.wantLap ? 0 : 1);  // a new lap clears the flags again
    EXPECT_EQ(g_SaveData.GetStageBest(g_SaveData.m_strStageKey), 700);
    if (c.action != 2) {
      EXPECT_EQ(g_SaveData.m_nPart, 1);
    }
  }
}

TEST_F(ResultTest, ChallengeRecordsOnlyABeatenBest) {
  cApp::m_nPlayMode = 2;
  g_SystemData.m_nChallengeNum = 4;
  g_SaveData.Reset(4);
  g_SaveData.m_nStageNo = 3;
  g_SaveData.m_vChallenge[2].m_nSecond = 800;
  g_SaveData.m_nBestTotal = 1000;
  struct Case {
    int stageNo, open, total, wantBest, wantBestTotal, wantOpen;
  };
  const Case cases[] = {
      {3, 3, 500, 800, 1000, 4},   // below the best: best and total unchanged, the next stage opens
      {3, 4, 950, 950, 1150, 4},   // beaten: the total of bests grows by the difference
      {4, 4, 10, 10, 1160, 4},     // the open count stays within the challenge count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.total);
    std::filesystem::remove("user_data/challenge/Challenge.dat");
    g_SaveData.m_nStageNo = c.stageNo;
    g_SaveData.m_nChallengeOpen = c.open;
    g_SaveData.m_nTotalScore = c.total;
    EXPECT_EQ(scene_.NextSceneAfterClear(), 3);
    const cIntPairRec& rec = g_SaveData.m_vChallenge[c.stageNo - 1];
    EXPECT_EQ(rec.m_nFirst, 1);
    EXPECT_EQ(rec.m_nSecond, c.wantBest);
    EXPECT_EQ(g_SaveData.m_nBestTotal, c.wantBestTotal);
    EXPECT_EQ(g_SaveData.m_nChallengeOpen, c.wantOpen);
    EXPECT_TRUE(std::filesystem::exists("user_data/challenge/Challenge.dat"));
  }
}

TEST_F(ResultTest, FreeStageAndReplayReplay) {
  cApp::m_nPlayMode = 3;
  g_SaveData.m_bNextStart = 1;
  EXPECT_EQ(scene_.NextSceneAfterClear(), 4);  // no stage select: the same stage again
  EXPECT_EQ(g_SaveData.m_bNextStart, 0);
  g_SaveData.m_bMultiPart = 1;
  scene_.m_nNextStage = 2;
  EXPECT_EQ(scene_.NextSceneAfterClear(), 0);  // no next part: the title
  cApp::m_nPlayMode = 4;
  g_SaveData.SnapshotVars();
  g_SaveData.m_nTotalScore = 1234;
  EXPECT_EQ(scene_.NextSceneAfterClear(), 4);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 0);  // the progress of the replay's start is back
  cApp::m_nPlayMode = 9;
  EXPECT_EQ(scene_.NextSceneAfterClear(), 3);
}

TEST_F(ResultTest, ResultPanelRowsWidthsAndMarks) {
  g_SystemData.m_vText.assign(10, "");
  g_SystemData.m_vText[5] = "スコア";      // 3 characters
  g_SystemData.m_vText[6] = "タイム";
  g_SystemData.m_vText[7] = "プレイ時間";  // 5 characters
  g_SystemData.m_vText[8] = "HP";
  g_SystemData.m_vText[9] = "SP";
  g_SaveData.m_nTotalScore = 123456;
  g_SaveData.m_nTotalTimeLeft = 12;
  g_SaveData.m_nTotalPlayTime = 6000;
  g_SaveData.m_nTotalHP = 7;
  g_SaveData.m_nTotalSP = 1234567;
  const cCheckedVector<int32_t> places{-1, 3, -1, 0, -1};

  // Every row: labels 5 wide, values 8 wide (the time row; the SP total has 7 digits).
  cResultPanel all = LayoutResultPanel(100, 200, places);
  ASSERT_TRUE(all.m_bShown);
  EXPECT_EQ(all.m_Window, (cPanelBox{100, 200, (5 + 8 + 3) * 16, 5 * 16}));
  ASSERT_EQ(all.m_vText.size(), 10u);
  EXPECT_EQ(all.m_vText[0], (cPanelText{116, 200, "スコア", false}));
  EXPECT_EQ(all.m_vText[1], (cPanelText{100 + 6 * 16 + 16, 200, "123456", false}));
  EXPECT_EQ(all.m_vText[5], (cPanelText{100 + 6 * 16 + 16, 232, "01:00.00", false}));
  EXPECT_EQ(all.m_vMarkY, (std::vector<int>{200, 216}));  // one per table with a place, from the top

  // Hidden rows do not count: without the SP and play-time rows the values are 6 wide and the
  // labels 3.
  g_StageData.m_vResultLine[4] = 0;
  g_SystemData.m_vRankSetting.At(0).m_vShow[2] = 0;
  cResultPanel some = LayoutResultPanel(0, 0, places);
  EXPECT_EQ(some.m_Window, (cPanelBox{0, 0, (3 + 6 + 3) * 16, 3 * 16}));
  EXPECT_EQ(some.m_vText[4].m_strText, "HP");
  // The time row alone is 8 wide; a free-stage play shows what the stage shows.
  g_StageData.m_vResultLine.assign(kResultLineCount, 0);
  g_StageData.m_vResultLine[2] = 1;
  EXPECT_FALSE(LayoutResultPanel(0, 0, places).m_bShown);
  g_bFreeStagePlay = 1;
  EXPECT_EQ(LayoutResultPanel(0, 0, places).m_Window.m_nW, (5 + 8 + 3) * 16);
  g_bFreeStagePlay = 0;
}

}  // namespace
