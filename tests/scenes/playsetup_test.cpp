// Stage set-up: the block map and its geometry, the hero and the view, the placed characters and
// items, the per-attempt tables, restarts, replays and the stage music.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "core/mainwnd.h"
#include "core/random.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/cmdtable.h"
#include "stagedata/flow.h"
#include "stagedata/stageload.h"
#include "support/closerequests.h"
#include "support/play_fixture.h"
#include "support/stage_builder.h"
#include "support/tempdir.h"

namespace {

struct TempDir : TempDirTest {
  void TestBody() override {}
  using TempDirTest::SetUp;
  using TempDirTest::TearDown;
};

// Stage set-up over an in-memory stage "loaded" as LoadStageForPlay leaves it; the main window
// records the music requests and, like the window thread, remembers the stage music requested.
class SetupTest : public PlayTest {
 protected:
  static std::vector<int>& Music() {
    static std::vector<int> music;
    return music;
  }
  static LRESULT Proc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WMU_CHANGEBGM && wParam == 4) {
      Music().push_back(static_cast<int>(lParam));
      g_nStageBgm = static_cast<int>(lParam);
    }
    return 0;
  }

  void SetUp() override {
    PlayTest::SetUp();
    msgbox::Reset();
    g_hMainWnd = CreateWindowStandIn("SetupTestWindow");
    SetWindowProcStandIn(g_hMainWnd, &Proc);
    Music().clear();
    g_lstItem.clear();
    g_nStageBgm = 0;
    g_bFreeStagePlay = 0;
    g_bEditorLaunched = 0;
    cApp::m_nPlayMode = 3;
    g_ReplayData = cReplayData();
    g_PrevReplayData = cReplayData();
    g_StageData = cStageData();
    g_StageData.m_nCollisionLevel = 1;
    SetStageSize(g_StageData, 12, 8);
    PlaceHero(g_StageData, 2, 5);
  }
  void TearDown() override {
    TakeCloseRequests();
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    msgbox::Reset();
    g_lstItem.clear();
    g_MapCells.clear();
    PlayTest::TearDown();
  }

  // What loading the stage keeps beside it: the settings and the placed hero as loaded.
  static void Load() {
    g_PlayStageData.CopyPlaySettings(g_StageData);
    g_PlayStageData.ClearObjects();
    g_HeroCharaData = g_StageData.m_vChara[g_StageData.FindHero()];
  }
  void Setup(int restart = 0, int firstAttempt = 1) {
    if (!restart) Load();
    scene_.SetupStage(restart, firstAttempt);
  }

  static cHero& Hero() { return g_vHero.At(0); }
  static std::vector<int> CharaNumbers() {
    std::vector<int> n;
    for (const cChara& c : g_lstChara) n.push_back(c.m_nObjNo);
    return n;
  }
  FakeClock clock_{5000};
};

TEST_F(SetupTest, MapCellsHoldTheBlocksInAPassableGridWithMargins) {
  // Row 3 holds no block at all.
  cBlockData& corner = PlaceBlock(g_StageData, 0, 0, 7);
  corner.m_bLocked = 1;
  PlaceBlock(g_StageData, 11, 7, 4);
  PlaceBlock(g_StageData, 5, 2, 9).m_cHit = 2;
  Setup();

  EXPECT_EQ(scene_.m_ScrollX.m_nRowStride, 32);
  EXPECT_EQ(scene_.m_ScrollX.m_nShift, 5);
  EXPECT_EQ(scene_.m_ScrollY.m_nMapCells, 28);
  ASSERT_EQ(g_MapCells.Size(), 28 * 32);
  struct Want {
    int column, row, graphic, hit, locked;
  };
  const std::vector<Want> blocks = {{10, 10, 7, 1, 1}, {21, 17, 4, 1, 0}, {15, 12, 9, 2, 0}};
  for (const Want& w : blocks) {
    const cMapCell& c = g_MapCells[(w.row << 5) + w.column];
    EXPECT_EQ((std::vector<int>{c.m_sGraphic, c.m_cHit, c.m_bLocked, c.m_bCondLatched}),
              (std::vector<int>{w.graphic, w.hit, w.locked, 0}))
        << w.column << "," << w.row;
  }
  int solid = 0, shown = 0, locked = 0;
  for (const cMapCell& c : g_MapCells) {
    solid += c.m_cHit != 0;
    shown += c.m_sGraphic != 0;
    locked += c.m_bLocked != 0;
  }
  EXPECT_EQ((std::vector<int>{solid, shown, locked}), (std::vector<int>{3, 3, 1}));
}

TEST_F(SetupTest, BlocksOutsideTheGridAreLeftOutAndTheMapIsRebuiltEachTime) {
  PlaceBlock(g_StageData, 30, 0);  // column 40 would run into the next row
  PlaceBlock(g_StageData, 0, 25);
  Setup();
  for (const cMapCell& c : g_MapCells) ASSERT_EQ(c.m_cHit, 0);

  g_MapCells[0].m_cHit = 1;
  scene_.m_vChangedCell.push_back(0);
  scene_.SetupStage(1, 0);
  EXPECT_EQ(g_MapCells[0].m_cHit, 0);
  EXPECT_TRUE(scene_.m_vChangedCell.empty());
}

TEST_F(SetupTest, HeroStandsOnItsCellPlusCopyZeroOffsetAndTheViewFollowsWithinLimits) {
  struct Case {
    int width, height, cellX, cellY;
    int nextStart;  // 1: the save data names cell (40, 30) for the next start
    bool centred;
  };
  const Case cases[] = {
      {12, 8, 2, 5, 0, false},   // smaller than the view: the minimum wins
      {80, 60, 40, 30, 0, true},  // room on every side
      {80, 60, 1, 1, 0, false},   // at the stage's top-left corner
      {80, 60, 1, 1, 1, true},    // moved to the next-start cell
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width * 1000 + c.cellX * 10 + c.nextStart);
    g_StageData = cStageData();
    g_StageData.m_nCollisionLevel = 1;
    SetStageSize(g_StageData, c.width, c.height);
    cCharaData& def = PlaceHero(g_StageData, static_cast<int16_t>(c.cellX), static_cast<int16_t>(c.cellY));
    def.m_sCopyX = 3;
    def.m_sCopyY = -2;
    g_SaveData.m_bNextStart = c.nextStart;
    g_SaveData.m_nNextStartX = 40;
    g_SaveData.m_nNextStartY = 30;
    Setup();

    const cHero& h = Hero();
    const int cx = c.nextStart ? 40 : c.cellX, cy = c.nextStart ? 30 : c.cellY;
    EXPECT_EQ(h.m_dX, (cx + 10) * 32 + h.m_PicRect.m_nBaseOfsX + 0.5 + 3);
    EXPECT_EQ(h.m_dY, (cy + 10) * 32 + h.m_PicRect.m_nBaseOfsY - 2);
    EXPECT_EQ(h.m_dRight - h.m_dX, h.m_nHitW - 1);
    // The home point is the centre of the placed cell.
    EXPECT_EQ(h.m_dHomeX, (c.cellX + 10) * 32 + 16);
    if (c.centred) {
      EXPECT_EQ(scene_.m_ScrollX.m_dPos, h.m_dX - 320 + h.m_nHitW / 2);
      EXPECT_EQ(scene_.m_ScrollY.m_dPos, h.m_dY - 240 + h.m_nHitH / 2);
    } else {
      EXPECT_EQ(scene_.m_ScrollX.m_dPos, 320);
      EXPECT_EQ(scene_.m_ScrollY.m_dPos, 320);
      EXPECT_EQ(scene_.m_ScrollX.m_bAtLimit, 1);
    }
    EXPECT_EQ(h.m_PicRect.m_nLeft, static_cast<int>(h.m_dX - scene_.m_ScrollX.m_dPos - h.m_PicRect.m_nOfsX));
    EXPECT_EQ(g_vHero.Size(), 1);
    EXPECT_EQ(scene_.m_nHeroCount, 1);
  }
}

TEST_F(SetupTest, CopiesThatDoNotFitAreDroppedAndNumbersStayConsecutive) {
  // Copies 5 cells apart from cell (10, 2): the whole grid is 32 cells wide, so the fourth copy
  // (column 35 of the grid) lies outside it.
  cCharaData& row = PlaceComChara(g_StageData, 10, 2);
  row.m_cCopies = 3;
  row.m_sCopyStepX = 160;
  PlaceComChara(g_StageData, 1, 1).m_cCopies = -1;  // no character at all
  PlaceComChara(g_StageData, 4, 4);
  Setup();

  EXPECT_EQ(CharaNumbers(), (std::vector<int>{0, 1, 2, 3}));
  std::vector<double> xs;
  for (const cChara& c : g_lstChara) xs.push_back(c.m_dX - c.m_PicRect.m_nBaseOfsX - 0.5);
  EXPECT_EQ(xs, (std::vector<double>{640, 800, 960, 448}));
  EXPECT_EQ(scene_.m_nNextCharaId, 4);
  // The copies' home points moved with them.
  EXPECT_EQ(g_lstChara.At(1).m_dHomeX - g_lstChara.At(0).m_dHomeX, 160);
}

TEST_F(SetupTest, CopiesKeepTheirHomeWithTheOlderStartSwitch) {
  cCharaData& row = PlaceComChara(g_StageData, 2, 2);
  row.m_cCopies = 1;
  row.m_sCopyStepX = 64;
  g_SystemData.m_bCompat768 = 1;
  Setup();
  ASSERT_EQ(g_lstChara.size(), 2u);
  EXPECT_EQ(g_lstChara.At(0).m_dHomeX, g_lstChara.At(1).m_dHomeX);
  EXPECT_EQ(g_lstChara.At(1).m_dX - g_lstChara.At(0).m_dX, 64);
}

TEST_F(SetupTest, AHeldItemGoesToItsCharacterOnlyAndTakesTheFirstNumber) {
  cItemData& lying = PlaceItem(g_StageData, 3, 3, 5);
  lying.m_sValueA = 4;
  lying.m_sValueB = -6;
  PlaceItem(g_StageData, 6, 6, 8);
  PlaceComChara(g_StageData, 7, 1).m_nHeldItem = 1;
  Setup();

  ASSERT_EQ(g_lstItem.size(), 1u);
  const cItem& item = g_lstItem.front();
  EXPECT_EQ(item.m_Item.m_sGraphic, 5);
  EXPECT_EQ(item.m_nObjNo, 1);
  EXPECT_EQ(item.m_dX, 13 * 32 + item.m_PicRect.m_nBaseOfsX + 0.5 + 4);
  EXPECT_EQ(item.m_dY, 13 * 32 + item.m_PicRect.m_nBaseOfsY - 6);
  ASSERT_EQ(g_lstChara.size(), 1u);
  const cItem& held = g_lstChara.front().m_HeldItem;
  EXPECT_EQ((std::vector<int>{held.m_Item.m_sGraphic, held.m_nObjNo, held.m_bCarried}), (std::vector<int>{8, 0, 1}));
  EXPECT_EQ(scene_.m_nNextItemId, 2);
}

TEST_F(SetupTest, ObjectsKeepTheirAddressesInSideListsAndLinks) {
  PlaceComChara(g_StageData, 3, 3).m_cSide = 2;
  PlaceComChara(g_StageData, 5, 3).m_cSide = 2;
  PlaceComChara(g_StageData, 7, 3).m_cSide = 0;
  g_StageData.m_vChara[0].m_cSide = 0;
  Setup();

  const std::vector<cCharaBase*> side0(scene_.m_vSideChara[0].begin(), scene_.m_vSideChara[0].end());
  const std::vector<cCharaBase*> side2(scene_.m_vSideChara[2].begin(), scene_.m_vSideChara[2].end());
  EXPECT_EQ(side0, (std::vector<cCharaBase*>{&Hero(), &g_lstChara.At(2)}));
  EXPECT_EQ(side2, (std::vector<cCharaBase*>{&g_lstChara.At(0), &g_lstChara.At(1)}));
  for (cChara& c : g_lstChara) EXPECT_EQ(c.m_pTarget.At(0), &Hero());
  EXPECT_EQ(scene_.m_vSideChara.Size(), kSideCount);
}

TEST_F(SetupTest, ShotTestStepsSpreadTheCountOverTheSubSteps) {
  struct Case {
    int level, count;
    std::vector<int32_t> want;
  };
  const Case cases[] = {
      {4, 1, {1, 0, 0, 0}}, {4, 3, {1, 1, 1, 0}}, {4, 0, {1, 1, 1, 1}},
      {4, 2, {1, 0, 1, 0}}, {4, 6, {1, 1, 1, 1}}, {1, 5, {1}},
  };
  for (const Case& c : cases) {
    g_StageData.m_nCollisionLevel = c.level;
    g_StageData.m_nContactLevel = c.count;
    Setup();
    EXPECT_EQ(std::vector<int32_t>(scene_.m_vShotTestStep.begin(), scene_.m_vShotTestStep.end()), c.want)
        << c.level << "/" << c.count;
  }
}

TEST_F(SetupTest, StageTimeRunsOnlyWithALimit) {
  g_StageData.m_bTimeLimit = 1;
  g_StageData.m_nTimeLimit = 120;
  Setup();
  EXPECT_EQ((std::vector<int>{scene_.m_nStageTime, scene_.m_bTimeStopped}), (std::vector<int>{120, 0}));

  g_StageData.m_bTimeLimit = 0;
  Setup();
  EXPECT_EQ((std::vector<int>{scene_.m_nStageTime, scene_.m_bTimeStopped}), (std::vector<int>{999, 1}));
}

TEST_F(SetupTest, PerAttemptStateStartsAfresh) {
  g_StageData.m_nFps = 45;
  g_StageData.m_bShowStatus = 1;
  g_StageData.m_Area[AREA_BLOCK_CHARA].m_bBottom = 1;
  g_StageData.m_vBackLayer.resize(1);
  Setup();
  scene_.m_vStageVar[7] = 3;
  scene_.m_vSwitch[2] = 1;
  scene_.m_nStageEnd = 1;
  scene_.m_nPlayTime = 500;
  g_SaveData.m_nScore = 900;
  g_StageData.m_vBackLayer[0].m_dAutoPosX = 12;
  cApp::m_nFps = 60;
  // Marks a modal loop left: an object of the new attempt may take a marked address.
  scene_.m_vFinishedChara.push_back(&Hero());
  scene_.m_vFinishedDisplay.push_back(&Hero());
  scene_.SetupStage(1, 0);

  EXPECT_EQ(scene_.m_vStageVar[7], 0);
  EXPECT_EQ(scene_.m_vStageVar.Size(), kStageVarCount);
  EXPECT_EQ(scene_.m_vSwitch.Size(), kSwitchCount);
  EXPECT_EQ(scene_.m_vSwitch[2], 0);
  EXPECT_EQ((std::vector<int>{scene_.m_nStageEnd, scene_.m_nPlayTime, g_SaveData.m_nScore}),
            (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(g_StageData.m_vBackLayer[0].m_dAutoPosX, 0);
  EXPECT_EQ(cApp::m_nFps, 45);
  EXPECT_EQ(scene_.m_bShowStatus, 1);
  EXPECT_EQ((std::vector<int>{scene_.m_bCharaAreaCheck, scene_.m_bBlockCharaAreaCheck, scene_.m_bItemAreaCheck}),
            (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(scene_.m_ScreenColor.m_nStrength, 255);
  EXPECT_TRUE(scene_.m_vFinishedChara.empty());
  EXPECT_TRUE(scene_.m_vFinishedDisplay.empty());
}

TEST_F(SetupTest, ResultCountersAreClearedInReplaysAndEditorSingleStagePlaysOnly) {
  struct Case {
    int playMode, editor, single, cleared;
  };
  const Case cases[] = {{3, 0, 0, 0}, {4, 0, 0, 1}, {3, 1, 1, 1}, {3, 1, 0, 0}, {3, 0, 1, 0}};
  for (const Case& c : cases) {
    cApp::m_nPlayMode = c.playMode;
    g_bEditorLaunched = c.editor;
    g_bFreeStagePlay = c.single;
    g_ReplayData.m_nSeed = 1;
    g_SaveData.m_nTotalScore = g_SaveData.m_nTotalTimeLeft = g_SaveData.m_nTotalPlayTime = 5;
    g_SaveData.m_nTotalHP = g_SaveData.m_nTotalSP = 5;
    Setup();
    const std::vector<int> got = {g_SaveData.m_nTotalScore, g_SaveData.m_nTotalTimeLeft, g_SaveData.m_nTotalPlayTime,
                                  g_SaveData.m_nTotalHP, g_SaveData.m_nTotalSP};
    EXPECT_EQ(got, std::vector<int>(5, c.cleared ? 0 : 5)) << c.playMode << c.editor << c.single;
  }
}

TEST_F(SetupTest, RestartPutsBackTheLoadedSettingsAndHeroUnlessTheHeroIsKept) {
  for (int keep : {0, 1}) {
    SCOPED_TRACE(keep);
    g_SystemData.m_bCompat697 = keep;
    g_StageData = cStageData();
    g_StageData.m_nCollisionLevel = 1;
    SetStageSize(g_StageData, 12, 8);
    g_StageData.m_nFps = 60;
    PlaceHero(g_StageData, 2, 5).m_nMaxHP = 10;
    PlaceComChara(g_StageData, 6, 2);
    Setup();
    // What flows change during the attempt.
    g_StageData.m_nFps = 30;
    g_StageData.m_bTimeLimit = 1;
    g_StageData.m_vChara[0].m_nMaxHP = 99;
    g_StageData.m_vChara[0].m_sCellX = 8;
    scene_.SetupStage(1, 0);

    EXPECT_EQ(g_StageData.m_nFps, 60);
    EXPECT_EQ(g_StageData.m_bTimeLimit, 0);
    EXPECT_EQ(Hero().m_nHP, keep ? 99 : 10);
    EXPECT_EQ(g_StageData.m_vChara[0].m_sCellX, keep ? 8 : 2);
    // The placed lists are the map: a restart rebuilds the same characters.
    EXPECT_EQ(CharaNumbers(), (std::vector<int>{0}));
  }
}

TEST_F(SetupTest, StageMusicIsRequestedOnlyWhenItIsNotAlreadyPlaying) {
  struct Case {
    int playing, music, keep, firstAttempt, requests;
  };
  const Case cases[] = {
      {0, 3, 0, 1, 1},  // a new stage music
      {3, 3, 0, 0, 0},  // a restart leaves it alone
      {2, 3, 0, 0, 1},  // a restart with other music playing
      {3, 3, 0, 1, 1},  // a first set-up starts it again
      {3, 3, 1, 1, 0},  // unless the stage keeps it
      {0, 0, 1, 1, 1},  // the keep switch holds no silence
  };
  for (const Case& c : cases) {
    g_nStageBgm = c.playing;
    g_StageData.m_nBgm = c.music;
    g_StageData.m_bBgmKeep = c.keep;
    g_StageData.m_bBgmLoop = 1;
    Music().clear();
    Setup(0, c.firstAttempt);
    EXPECT_EQ(Music(), c.requests ? std::vector<int>{c.music} : std::vector<int>{})
        << c.playing << c.music << c.keep << c.firstAttempt;
    EXPECT_EQ(cApp::m_nCurBgm, 0);
  }
}

TEST_F(SetupTest, LivePlaySeedsFromTheClockAndRollsRecordingsOnlyWhileRecording) {
  for (int recording : {0, 1}) {
    SCOPED_TRACE(recording);
    g_SystemData.m_bReplaySave = recording;
    g_ReplayData = cReplayData();
    const int16_t words[2] = {1, 2};
    g_ReplayData.Record(words);
    g_ReplayData.m_nSeed = 77;
    g_SaveData.m_nLife = 4;
    clock_.Set(123456);
    Setup();

    EXPECT_EQ(scene_.m_nRandSeed, 123456);
    RandSeed(123456);
    const int expected = RandRange(0, 1000000);
    Setup();  // the same seed again: the clock has not moved
    EXPECT_EQ(RandRange(0, 1000000), expected);
    if (recording) {
      EXPECT_TRUE(g_ReplayData.m_vDir.empty());
      EXPECT_EQ(g_ReplayData.m_nSeed, 123456);
      EXPECT_EQ(g_ReplaySaveData.m_nLife, 4);
    } else {
      EXPECT_EQ(g_ReplayData.m_vDir.Size(), 1);
      EXPECT_EQ(g_ReplayData.m_nSeed, 77);
    }
  }
}

TEST_F(SetupTest, AReplayStartsFromItsSeedWithThePlaybackRewound) {
  cApp::m_nPlayMode = 4;
  const int16_t words[2] = {1, 2};
  for (int i = 0; i < 3; ++i) g_ReplayData.Record(words);
  g_ReplayData.m_nSeed = 4242;
  int16_t out[2];
  g_ReplayData.Play(out);
  Setup();

  EXPECT_EQ(scene_.m_nRandSeed, 4242);
  EXPECT_EQ(g_ReplayData.m_nDirPos + g_ReplayData.m_nDirCount, 0);
  EXPECT_EQ(g_bReplayPlayback, 1);
  const int first = RandRange(0, 1000000);
  RandSeed(4242);
  EXPECT_EQ(RandRange(0, 1000000), first);
  g_bReplayPlayback = 0;
}

TEST_F(SetupTest, AReplayRestartReadsTheFileAgainAndAFailureClosesButGoesOn) {
  TempDir dir;
  dir.SetUp();
  PlaceComChara(g_StageData, 6, 2);
  g_StageData.m_nFps = 50;
  Load();
  g_ReplayData.m_nSeed = 31;
  const int16_t words[2] = {4, 8};
  g_ReplayData.Record(words);
  ASSERT_EQ(g_ReplayData.SaveFile("run.rpl4_914", g_StageData, g_PlayStageData, g_SaveData), 1);
  cApp::m_nPlayMode = 4;
  g_StageData.m_strPath = "run.rpl4_914";
  Setup();

  // A flow changed the stage and the recording was played; the restart reads them back.
  g_StageData.m_vChara[1].m_sCellX = 9;
  g_ReplayData = cReplayData();
  scene_.SetupStage(1, 1);
  EXPECT_EQ(g_ReplayData.m_nSeed, 31);
  EXPECT_EQ(scene_.m_nRandSeed, 31);
  EXPECT_EQ(g_ReplayData.m_vDir.Size(), 1);
  EXPECT_EQ(g_StageData.m_vChara[1].m_sCellX, 6);
  EXPECT_EQ(TakeCloseRequests(), 0);

  g_StageData.m_strPath = "gone.rpl4_914";
  scene_.SetupStage(1, 1);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(msgbox::TakeRecords().size(), 1u);
  // Set-up went on with what was loaded.
  EXPECT_EQ(g_vHero.Size(), 1);
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{0}));
  EXPECT_EQ(cApp::m_nFps, 50);
  g_bReplayPlayback = 0;
  dir.TearDown();
}

TEST_F(SetupTest, StartTriggerReachesEveryCharacterAndRemovesTheVanishedAndTheDead) {
  g_SystemData.m_bCompat827 = 1;
  for (int x : {2, 4, 6}) {
    cCharaData& c = PlaceComChara(g_StageData, static_cast<int16_t>(x), 2);
    c.m_vFlow.assign(1, Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_STATUS, 0, 1)}));
    c.m_cSide = 3;
  }
  g_StageData.m_vChara[0].m_vFlow.assign(1, Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_STATUS, 0, 1)}));
  Actions()[CMD_STATUS] = [](cCharaBase* subject, cCmdInstance*) {
    if (subject->m_nObjNo == 0) subject->m_bVanished = 1;
    if (subject->m_nObjNo == 2) subject->m_nHP = 0;
  };
  Setup();

  EXPECT_EQ(Calls(), (std::vector<ExecCall>{{kHeroObjNo, CMD_STATUS}, {0, CMD_STATUS}, {1, CMD_STATUS}, {2, CMD_STATUS}}));
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{1}));
  const std::vector<cCharaBase*> side3(scene_.m_vSideChara[3].begin(), scene_.m_vSideChara[3].end());
  EXPECT_EQ(side3, (std::vector<cCharaBase*>{&g_lstChara.front()}));
}

// With the start-trigger switch off, only the characters that appear get the trigger: one without
// appearance conditions does, one whose condition fails does not.
TEST_F(SetupTest, StartTriggerWithTheSwitchOffReachesOnlyTheCharactersThatAppear) {
  g_SystemData.m_bCompat827 = 0;
  for (int x : {2, 4}) {
    cCharaData& c = PlaceComChara(g_StageData, static_cast<int16_t>(x), 2);
    c.m_vFlow.assign(1, Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_STATUS, 0, 1)}));
  }
  // The first placed character (number 0) waits for stage variable 0 to be 1.
  cCharaData& hidden = g_StageData.m_vChara[g_StageData.m_vChara.Size() - 2];
  hidden.m_vCond.resize(1);
  hidden.m_vCond[0].m_nKind = COND_STAGE_VAR;
  hidden.m_vCond[0].m_nValue = 1;
  Actions()[CMD_STATUS] = [](cCharaBase*, cCmdInstance*) {};
  Setup();

  EXPECT_EQ(Calls(), (std::vector<ExecCall>{{1, CMD_STATUS}}));
  EXPECT_EQ(CharaNumbers(), (std::vector<int>{0, 1}));
}

}  // namespace

namespace {

TEST_F(SetupTest, MemoryExhaustionShowsItsMessageClosesAndLeavesNoHalfBuiltList) {
  g_SystemData.m_bCompat827 = 1;
  PlaceComChara(g_StageData, 2, 2).m_cSide = 1;
  cCharaData& last = PlaceComChara(g_StageData, 4, 2);
  last.m_cSide = 1;
  last.m_vFlow.assign(1, Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_STATUS, 0, 1)}));
  Actions()[CMD_STATUS] = [](cCharaBase*, cCmdInstance*) { throw std::bad_alloc(); };
  Setup();

  EXPECT_EQ(TakeCloseRequests(), 1);
  const std::vector<MessageBoxRecord> boxes = msgbox::TakeRecords();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "メモリ不足により、ステージの初期設定に失敗しました！");
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_TRUE(g_lstItem.empty());
  for (const auto& side : scene_.m_vSideChara) EXPECT_TRUE(side.empty());
}

}  // namespace
