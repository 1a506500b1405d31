#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "gamedata/cmd.h"
#include "gamedata/option.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "objects/item.h"
#include "objects/objlists.h"
#include "platform/win/keys.h"
#include "scenes/app.h"
#include "scenes/map_fixture.h"
#include "scenes/menucursor.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"
#include "support/closerequests.h"
#include "support/game_reset.h"
#include "support/stage_builder.h"
#include "support/tempdir.h"
#include "support/test_logs.h"

namespace {

constexpr int kConfirm = 1;  // button 1
constexpr int kCancel = 2;   // button 2

// The play scene's states run headless: no graphics library, so every drawing call finds no surface
// and draws nothing; states, sounds, close requests and the progress are what the tests read.
class PlayStatesTest : public MapTest {
 protected:
  void SetUp() override {
    ResetGameGlobals();
    MapTest::SetUp();
    g_vInput.assign(1, cInput());
    g_SaveData.Reset(3);
    g_SystemData.m_vText.assign(40, std::string());
    for (int i = 0; i < 4; ++i) g_SystemData.m_vText[19 + i] = std::string(2 + i, 'M');
    cApp::m_nGameType = GAMETYPE_FREE;
    cApp::m_nPlayMode = 3;
    cApp::m_nFadeSpeed = 30;  // four calls per fade
    cApp::m_nFps = 60;
    g_bEditorLaunched = 0;
    g_lstItem.clear();
    TakeCloseRequests();
    // Fades keep their angle for the whole run: start both from the beginning.
    DDFadeOut(nullptr, 0, 255, 0, 0, 0, 30.0, nullptr, 1);
    DDFadeIn(nullptr, 0, 255, 0, 0, 0, 30.0, nullptr, 1);
  }
  void TearDown() override {
    g_bEditorLaunched = 0;
    DDAppBitmaps = nullptr;
    DDAppCount = 0;
    g_lstItem.clear();
    MapTest::TearDown();
    ResetGameGlobals();
  }

  // One frame of the scene with these buttons held (the menu states latch them themselves).
  void Frame(int buttons = 0, int dir = 0) {
    g_vInput[0].m_wButton = static_cast<uint16_t>(buttons);
    g_vInput[0].m_wDir = static_cast<uint16_t>(dir);
    scene_.Run();
  }
  // Frames with nothing pressed until the state changes; the number of frames run.
  int FramesInState(int limit = 1000) {
    const int state = scene_.m_nState;
    int n = 0;
    while (scene_.m_nState == state && n < limit) {
      Frame();
      ++n;
    }
    return n;
  }
  // Enters a menu-like state: its first frame (sub-state 0) places the cursor.
  void Enter(int state) {
    scene_.m_nState = state;
    scene_.m_nSubState = 0;
    Frame();
  }
  // Puts the cursor on the row and confirms.
  void ConfirmRow(int row) {
    g_MenuCursor.m_pCur->m_nRow = row;
    Frame(kConfirm);
  }
  std::vector<int> EnabledPauseEntries() const {
    std::vector<int> entries;
    for (int i = 0; i < scene_.m_vPauseCmd.Size(); ++i)
      if (scene_.m_vPauseCmd[i].m_bEnable) entries.push_back(i);
    return entries;
  }
  static int CountSound(int n) {
    int c = 0;
    for (int s : Sounds()) c += s == n;
    return c;
  }
  // The hero, dying, with no death effect: its death ends after cApp::m_nFps + 1 advancing draws.
  cHero& DyingHero() {
    cHero& hero = AddHero();
    hero.m_bDead = 1;
    return hero;
  }
};

TEST_F(PlayStatesTest, FadeInAndBannersTakeTheirFramesBeforeThePlayStep) {
  struct Case {
    const char* name;
    int stageBanner, startBanner, playMode, editorSingle;
    int bannerFrames;  // frames run in the banner state, the last one switching to play
  };
  const Case cases[] = {
      {"both banners", 1, 1, 3, 0, 79 + 79 + 1},
      {"stage number only", 1, 0, 3, 0, 79 + 1},
      {"start banner only", 0, 1, 3, 0, 79 + 1},
      {"no banner", 0, 0, 3, 0, 1},
      {"replay word instead of both", 1, 1, 4, 0, 79 + 1},
      {"editor test play", 1, 1, 3, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_StageData.m_bStageBanner = c.stageBanner;
    g_StageData.m_bStartBanner = c.startBanner;
    cApp::m_nPlayMode = c.playMode;
    g_bEditorLaunched = c.editorSingle;
    g_bFreeStagePlay = c.editorSingle;
    scene_.m_nState = -1;
    scene_.m_nStateFrames = scene_.m_nBanner2Frames = 0;
    Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_FADEIN) << "Init and the first fade step share the first frame";
    EXPECT_EQ(FramesInState(), 3) << "the fade-in at speed 30 takes four calls";
    EXPECT_EQ(scene_.m_nState, PLAY_BANNER);
    EXPECT_EQ(FramesInState(), c.bannerFrames);
    EXPECT_EQ(scene_.m_nState, PLAY_MAIN);
    EXPECT_EQ(scene_.m_nStateFrames, 0);
  }
}

TEST_F(PlayStatesTest, PlayStartsWithTheHerosBaseAnimationRestarted) {
  g_StageData.m_bStageBanner = g_StageData.m_bStartBanner = 0;
  cHero& hero = AddHero();
  hero.m_AnimSeq.m_vSeq.resize(3);
  for (int flying : {0, 1}) {
    SCOPED_TRACE(flying);
    hero.SetMoveMode(flying);
    hero.m_AnimSeq.m_nSeq = 1;
    hero.m_AnimSeq.m_nFrame = 2;
    scene_.m_nState = PLAY_BANNER;
    Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_MAIN);
    EXPECT_EQ(hero.m_AnimSeq.m_nSeq, flying ? 2 : 0);
    EXPECT_EQ(hero.m_AnimSeq.m_nFrame, 0);
  }
}

TEST_F(PlayStatesTest, PauseMenuEntriesFollowGameTypeSwitchesAndRecords) {
  struct Case {
    const char* name;
    int gameType, storyRestart, storyLeave, challengeRestart, stageFlag, challengeCleared;
    std::vector<int> enabled;
  };
  const Case cases[] = {
      {"story, both switches, stage cleared", 0, 1, 1, 0, 1, 0, {0, 1, 2, 3}},
      {"story, both switches, stage not cleared", 0, 1, 1, 0, 0, 0, {0, 1}},
      {"story, restart switch only", 0, 1, 0, 0, 1, 0, {0, 1, 2}},
      {"story, leave switch only", 0, 0, 1, 0, 1, 0, {0, 1, 3}},
      {"challenge, restart switch, cleared before", 1, 1, 1, 1, 1, 1, {0, 1, 2}},
      {"challenge, restart switch, never cleared", 1, 1, 1, 1, 1, 0, {0, 1}},
      {"challenge, no restart switch", 1, 0, 0, 0, 1, 1, {0, 1}},
      {"free stage", 2, 0, 0, 0, 0, 0, {0, 1, 2}},
      {"replay", 3, 1, 1, 1, 1, 1, {0, 1, 2}},
  };
  g_SaveData.m_nStageNo = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cApp::m_nGameType = c.gameType;
    g_SystemData.m_bStoryRetryRule = c.storyRestart;
    g_SystemData.m_bStoryMapRule = c.storyLeave;
    g_SystemData.m_bChallengeRetryRule = c.challengeRestart;
    g_SaveData.m_vFlag[2] = c.stageFlag;
    g_SaveData.m_vChallenge[1].m_nFirst = c.challengeCleared;
    // The menu is built anew on every frame, whatever it held before.
    scene_.m_vPauseCmd.assign(6, cCmd());
    scene_.m_vPauseCmd[0].m_bEnable = 0;
    g_PauseAnchor.x = 0;
    Enter(PLAY_PAUSE);
    EXPECT_EQ(EnabledPauseEntries(), c.enabled);
    ASSERT_EQ(scene_.m_vPauseCmd.Size(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(scene_.m_vPauseCmd[i].m_strLabel, g_SystemData.m_vText[19 + i]);
    // The window is centred on 320 for the labels it shows now.
    EXPECT_EQ(g_PauseAnchor.x + LayoutCmdWindow(scene_.m_vPauseCmd).nWidth / 2, 320);
    EXPECT_EQ(g_MenuCursor.m_pCur->m_nRow, 1) << "the menu opens on resume";
  }
}

TEST_F(PlayStatesTest, SpaceOpensThePauseMenuOverGameOverAndResumeOrCancelReturns) {
  g_SystemData.m_bSpacePause = 1;
  for (int leaveBy : {kConfirm, kCancel}) {
    SCOPED_TRACE(leaveBy == kConfirm ? "resume" : "cancel");
    Sounds().clear();
    scene_.m_nState = PLAY_GAMEOVER;
    scene_.m_nSubState = 3;
    scene_.m_bPauseRelease = 0;
    SetKeyStateStandIn(VK_SPACE, true);
    Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_PAUSE);
    EXPECT_EQ(scene_.m_nSubState, 0);
    EXPECT_EQ(scene_.m_nPausedState, PLAY_GAMEOVER);
    EXPECT_EQ(Sounds(), std::vector<int>{4});
    // Space is not read by the menu itself: held, it neither closes nor re-opens it.
    Frame();
    Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_PAUSE);
    SetKeyStateStandIn(VK_SPACE, false);
    Frame(leaveBy);
    EXPECT_EQ(scene_.m_nState, PLAY_GAMEOVER);
    EXPECT_EQ(scene_.m_nSubState, 3);
    EXPECT_EQ(scene_.m_bPauseRelease, 1) << "the closing press must not reach the game";
    EXPECT_EQ(Sounds(), (std::vector<int>{4, leaveBy == kConfirm ? 1 : 2}));
  }
}

TEST_F(PlayStatesTest, WithoutThePauseSwitchSpaceDoesNothing) {
  scene_.m_nState = PLAY_GAMEOVER;
  SetKeyStateStandIn(VK_SPACE, true);
  Frame();
  EXPECT_EQ(scene_.m_nState, PLAY_GAMEOVER);
  EXPECT_TRUE(Sounds().empty());
}

TEST_F(PlayStatesTest, PauseMenuChoices) {
  struct Case {
    const char* name;
    int gameType, singleStage, row;
    int wantState, wantNextScene, wantCloses, wantMapReturn, wantRow;
  };
  // Story mode with every entry enabled: rows are entries.
  const Case cases[] = {
      {"leave to the title", 0, 0, 0, PLAY_FADEOUT, SCENE_TITLE, 0, 0, 1},
      {"leave in single-stage mode closes", 2, 1, 0, PLAY_FADEOUT, -1, 1, 0, 0},
      {"restart: set-up resets the cursor", 0, 0, 2, PLAY_BANNER, -1, 0, 0, 0},
      {"leave the stage for the world map", 0, 0, 3, PLAY_FADEOUT, SCENE_WORLDMAP, 0, 1, 3},
  };
  g_SystemData.m_bStoryRetryRule = g_SystemData.m_bStoryMapRule = 1;
  g_SaveData.m_nStageNo = 1;
  g_SaveData.m_vFlag[1] = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cApp::m_nGameType = c.gameType;
    cApp::m_nPlayMode = 1;
    g_bFreeStagePlay = c.singleStage;
    cApp::m_nNextScene = -1;
    g_SaveData.m_bMapReturn = 0;
    // The attempt's snapshot, and a progress that the attempt changed.
    g_SaveData.m_nLife = 5;
    g_SaveData.m_vCommonVar[7] = 0;
    g_SaveData.SnapshotVars();
    g_SaveData.m_nLife = 2;
    g_SaveData.m_vCommonVar[7] = 99;
    Sounds().clear();
    Enter(PLAY_PAUSE);
    ConfirmRow(c.row);
    EXPECT_EQ(scene_.m_nState, c.wantState);
    EXPECT_EQ(cApp::m_nNextScene, c.wantNextScene);
    EXPECT_EQ(TakeCloseRequests(), c.wantCloses);
    EXPECT_EQ(g_SaveData.m_bMapReturn, c.wantMapReturn);
    EXPECT_EQ(g_MenuCursor.m_pCur->m_nRow, c.wantRow);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
    if (c.row == 2) {
      EXPECT_EQ(g_SaveData.m_nLife, 5) << "a restart puts the attempt's lives back";
      EXPECT_EQ(g_SaveData.m_vCommonVar[7], 0);
    }
  }
}

// A stage cleared, restarted from the pause menu over its result and cleared again counts once.
TEST_F(PlayStatesTest, RestartFromTheResultsPauseMenuCountsTheStageOnce) {
  g_SystemData.m_bSpacePause = 1;
  g_SaveData.m_nTotalScore = 1000;
  g_SaveData.m_nTotalPlayTime = 2000;
  g_SaveData.m_nTotalHP = 30;
  g_SaveData.m_nTotalSP = 40;
  scene_.SetupStage(0, 1);
  auto totals = [] {
    const cSaveData& s = g_SaveData;
    return std::vector<int>{s.m_nTotalScore, s.m_nTotalTimeLeft, s.m_nTotalPlayTime, s.m_nTotalHP, s.m_nTotalSP};
  };
  // One displayed frame of play that ends with the stage cleared by 70 points, the hero at 8 HP and 2 SP.
  auto clear = [this] {
    scene_.m_nState = PLAY_MAIN;
    g_vHero[0].m_nHP = 8;
    g_vHero[0].m_nSP = 2;
    g_SaveData.m_nScore = 70;
    scene_.m_nStageEnd = 1;
    Frame();
    ASSERT_EQ(scene_.m_nState, PLAY_RESULT);
  };
  clear();
  const std::vector<int> once = totals();
  EXPECT_EQ(once, (std::vector<int>{1070, 0, 2001, 38, 42}));
  SetKeyStateStandIn(VK_SPACE, true);
  Frame();
  SetKeyStateStandIn(VK_SPACE, false);
  ASSERT_EQ(scene_.m_nState, PLAY_PAUSE);
  Frame();
  ConfirmRow(2);
  ASSERT_EQ(scene_.m_nState, PLAY_BANNER);
  EXPECT_EQ(totals(), (std::vector<int>{1000, 0, 2000, 30, 40})) << "the restart takes the stage's totals back";
  FramesInState();
  clear();
  EXPECT_EQ(totals(), once);
}

TEST_F(PlayStatesTest, EndOfTheHerosDeath) {
  struct Case {
    const char* name;
    int gameType, playMode, retryWindow, lives;
    int wantState, wantLives;
  };
  const Case cases[] = {
      {"story with the retry window", 0, 0, 1, 3, PLAY_RETRY, 2},
      {"story without it restarts", 0, 0, 0, 3, PLAY_BANNER, 2},
      {"challenge ignores the retry switch", 1, 2, 1, 3, PLAY_BANNER, 2},
      {"last life lost", 0, 0, 1, 0, PLAY_GAMEOVER, 0},
      {"unlimited lives", 0, 0, 0, kUnlimitedLife, PLAY_BANNER, kUnlimitedLife},
      {"replay starts over with the attempt's lives", 3, 4, 1, 1, PLAY_BANNER, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_vHero.clear();
    cHero& hero = DyingHero();
    cApp::m_nGameType = c.gameType;
    cApp::m_nPlayMode = c.playMode;
    g_SystemData.m_bDeathToMap = c.retryWindow;
    g_SaveData.m_nLife = 4;
    g_SaveData.SnapshotVars();
    g_SaveData.m_nLife = c.lives;
    scene_.m_nState = PLAY_MAIN;
    scene_.m_nSubState = 5;
    // Frozen frames do not advance the death.
    for (int i = 0; i < 100; ++i) ASSERT_EQ(scene_.OnHeroDown(1), 0);
    for (int i = 0; i < cApp::m_nFps; ++i) ASSERT_EQ(scene_.OnHeroDown(0), 0);
    EXPECT_EQ(scene_.m_nState, PLAY_MAIN);
    EXPECT_EQ(g_SaveData.m_nLife, c.lives);
    EXPECT_EQ(hero.m_nDeadFrames, cApp::m_nFps);
    EXPECT_EQ(scene_.OnHeroDown(0), 1);
    EXPECT_EQ(scene_.m_nState, c.wantState);
    EXPECT_EQ(g_SaveData.m_nLife, c.wantLives);
    if (c.wantState == PLAY_RETRY) {
      EXPECT_EQ(scene_.m_nSubState, 0);
    }
  }
}

TEST_F(PlayStatesTest, UnlimitedLivesNeverReachGameOver) {
  g_SaveData.m_nLife = kUnlimitedLife;
  for (int miss = 0; miss < 5; ++miss) {
    g_vHero.clear();
    DyingHero().m_nDeadFrames = cApp::m_nFps;
    scene_.m_nState = PLAY_MAIN;
    ASSERT_EQ(scene_.OnHeroDown(0), 1);
    EXPECT_EQ(scene_.m_nState, PLAY_BANNER);
  }
  EXPECT_EQ(g_SaveData.m_nLife, kUnlimitedLife);
}

TEST_F(PlayStatesTest, DeathEndingInAFrozenModalFrameWaitsForTheNextTopLevelFrame) {
  DyingHero().m_nDeadFrames = cApp::m_nFps + 1;
  g_SaveData.m_nLife = 3;
  scene_.m_nState = PLAY_MAIN;
  scene_.m_nModalDepth = 1;
  EXPECT_EQ(scene_.OnHeroDown(1), 0);
  EXPECT_EQ(scene_.m_nState, PLAY_MAIN);
  EXPECT_EQ(g_SaveData.m_nLife, 3);
  scene_.m_nModalDepth = 0;
  EXPECT_EQ(scene_.OnHeroDown(1), 1);
  EXPECT_EQ(scene_.m_nState, PLAY_BANNER);
  EXPECT_EQ(g_SaveData.m_nLife, 2);
}

// A miss in story mode played through the running scene: the play step ends the death, the retry
// window stays open for many frames over the dead hero, and a continue plays the stage again.
TEST_F(PlayStatesTest, EachMissTakesOneLifeThroughTheRetryWindow) {
  cApp::m_nGameType = GAMETYPE_STORY;
  cApp::m_nPlayMode = 0;
  g_SystemData.m_bDeathToMap = 1;
  g_SaveData.m_nLife = 4;
  g_SaveData.SnapshotVars();
  AddHero();
  scene_.m_nState = PLAY_MAIN;
  for (int lives : {3, 2}) {
    SCOPED_TRACE(lives);
    ASSERT_EQ(scene_.m_nState, PLAY_MAIN);
    g_vHero[0].m_nHP = 0;  // the next play step finds it out of HP: it dies
    FramesInState();
    ASSERT_EQ(scene_.m_nState, PLAY_RETRY);
    EXPECT_EQ(g_SaveData.m_nLife, lives);
    for (int i = 0; i < 120; ++i) Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_RETRY);
    EXPECT_EQ(g_SaveData.m_nLife, lives) << "the window's frames take no life";
    ConfirmRow(0);
    ASSERT_EQ(scene_.m_nState, PLAY_BANNER);
    ASSERT_EQ(g_vHero.size(), 1u);
    EXPECT_EQ(g_vHero[0].m_bDead, 0) << "the stage starts again with a new hero";
    FramesInState();
  }
  EXPECT_EQ(g_SaveData.m_nLife, 2);
}

TEST_F(PlayStatesTest, RetryWindowHasNoCancel) {
  for (int row : {0, 1}) {
    SCOPED_TRACE(row);
    g_SaveData.m_bMapReturn = 0;
    cApp::m_nNextScene = -1;
    Enter(PLAY_RETRY);
    EXPECT_EQ(g_MenuCursor.m_pCur->m_nRow, 0) << "the window opens on retry";
    Frame(kCancel);
    Frame();
    EXPECT_EQ(scene_.m_nState, PLAY_RETRY);
    Sounds().clear();
    ConfirmRow(row);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
    EXPECT_EQ(scene_.m_nState, row == 0 ? PLAY_BANNER : PLAY_FADEOUT);
    EXPECT_EQ(cApp::m_nNextScene, row == 0 ? -1 : SCENE_WORLDMAP);
    EXPECT_EQ(g_SaveData.m_bMapReturn, row);
  }
}

TEST_F(PlayStatesTest, GameOverEndsOnConfirm) {
  g_StageData.m_bGameOverBanner = 1;
  scene_.m_nState = PLAY_GAMEOVER;
  cApp::m_nNextScene = -1;
  Frame(kCancel);
  Frame();
  EXPECT_EQ(scene_.m_nState, PLAY_GAMEOVER);
  Frame(kConfirm);
  EXPECT_EQ(scene_.m_nState, PLAY_FADEOUT);
  EXPECT_EQ(cApp::m_nNextScene, SCENE_TITLE);
  EXPECT_EQ(Sounds(), std::vector<int>{1});
}

TEST_F(PlayStatesTest, ResultEndsAfterTwoHundredCountedFrames) {
  struct Case {
    const char* name;
    int noResult, clearWord;
    int calls;  // frames until the result ends: without the switch confirm is pressed on every second one
  };
  const Case cases[] = {
      // Counted 4, 8, ... at the end of frames 1, 2, ...: 200 is seen at the start of frame 51,
      // and the next press comes on frame 52.
      {"clear word combed in at 4 a frame", 0, 1, 52},
      {"no clear word: counted full at once", 0, 0, 2},
      {"no result: ends by itself", 1, 1, 51},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_StageData.m_bResultAuto = c.noResult;
    g_StageData.m_bClearBanner = c.clearWord;
    scene_.m_nState = PLAY_RESULT;
    scene_.m_nSubState = 0;
    Sounds().clear();
    int calls = 0;
    while (scene_.m_nState == PLAY_RESULT && calls < 1000) {
      ++calls;
      Frame(!c.noResult && calls % 2 == 0 ? kConfirm : 0);
    }
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(scene_.m_nState, PLAY_FADEOUT);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
    EXPECT_EQ(scene_.m_nStateFrames, 0);
  }
}

TEST_F(PlayStatesTest, NoResultSwitchIgnoresThePauseKey) {
  g_SystemData.m_bSpacePause = 1;
  SetKeyStateStandIn(VK_SPACE, true);
  for (int noResult : {0, 1}) {
    SCOPED_TRACE(noResult);
    g_StageData.m_bResultAuto = noResult;
    scene_.m_nState = PLAY_RESULT;
    scene_.m_nSubState = 0;
    Frame();
    EXPECT_EQ(scene_.m_nState, noResult ? PLAY_RESULT : PLAY_PAUSE);
  }
}

TEST_F(PlayStatesTest, FadeOutNamesTheNextSceneWhenComplete) {
  for (int freeStageTitle : {0, 1}) {
    SCOPED_TRACE(freeStageTitle);
    g_bFreeStageTitle = freeStageTitle;
    cApp::m_nPlayMode = 0;  // story: no stage reload
    cApp::m_nScene = SCENE_PLAY;
    cApp::m_nNextScene = SCENE_WORLDMAP;
    cApp::m_nPrevScene = SCENE_TITLE;
    cApp::m_nFps = 30;
    scene_.m_nState = PLAY_FADEOUT;
    EXPECT_EQ(FramesInState(), 4);
    EXPECT_EQ(scene_.m_nState, -1);
    EXPECT_EQ(cApp::m_nScene, freeStageTitle ? SCENE_TITLE : SCENE_WORLDMAP);
    EXPECT_EQ(cApp::m_nPrevScene, SCENE_PLAY);
    EXPECT_EQ(cApp::m_nFps, 60);
    EXPECT_EQ(TakeCloseRequests(), 0);
  }
}

struct TempDir : TempDirTest {
  void TestBody() override {}
  using TempDirTest::SetUp;
  using TempDirTest::TearDown;
};

TEST_F(PlayStatesTest, FadeOutReadsTheStageAgainAfterAFreeOrSingleStagePlay) {
  TempDir dir;
  dir.SetUp();
  ASSERT_TRUE(SaveSampleStage("Free.stg4"));
  struct Case {
    const char* name;
    int playMode, multiPart, singleStage;
    const char* path;
    bool wantReload;
    int wantCloses;
  };
  const Case cases[] = {
      {"free stage", 3, 0, 0, "Free.stg4", true, 0},
      {"free stage started by the stage select", 3, 1, 0, "Free.stg4", false, 0},
      {"single-stage play", 0, 1, 1, "Free.stg4", true, 0},
      {"story", 0, 0, 0, "Free.stg4", false, 0},
      {"stage file gone", 3, 0, 0, "Gone.stg4", true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cApp::m_nPlayMode = c.playMode;
    g_bFreeStagePlay = c.singleStage;
    g_StageData.m_strPath = c.path;
    g_SaveData.m_bMultiPart = c.multiPart;
    g_SaveData.m_strStage = "data\\stg4\\Old.";
    g_SaveData.m_nStageNo = 7;
    scene_.m_nState = PLAY_FADEOUT;
    FramesInState();
    EXPECT_EQ(scene_.m_nState, -1);
    EXPECT_EQ(g_SaveData.m_strStage != "data\\stg4\\Old.", c.wantReload);
    if (c.wantReload && !c.wantCloses) {
      EXPECT_EQ(g_SaveData.m_strStage, "Free.");
      EXPECT_EQ(g_SaveData.m_nStageNo, 1);
    }
    EXPECT_EQ(g_SaveData.m_bMultiPart, c.wantReload ? 0 : c.multiPart);
    EXPECT_EQ(TakeCloseRequests(), c.wantCloses);
  }
  dir.TearDown();
}

TEST_F(PlayStatesTest, InitCountsLivesOnlyWhenComingFromAnotherScene) {
  g_SaveData.m_nStartLife = 3;
  g_SaveData.m_nLife = 7;
  cApp::m_nPrevScene = SCENE_WORLDMAP;
  scene_.Init();
  EXPECT_EQ(g_SaveData.m_nLife, 2) << "the entry's lives, one of them used";
  EXPECT_EQ(scene_.m_vRankPos.Size(), 5);
  EXPECT_EQ(scene_.m_vRankValue.Size(), 5);
  cApp::m_nPrevScene = SCENE_PLAY;
  scene_.Init();
  EXPECT_EQ(g_SaveData.m_nLife, 2);
}

TEST_F(PlayStatesTest, InitGivesTheBackgroundEntriesThePictureLayersFiles) {
  g_StageData.ResizeBackLayer(3);
  g_StageData.m_vBackLayer[0].m_bFill = 0;
  g_StageData.m_vBackLayer[0].m_strPicture = "bmp\\Sky.bmp";
  g_StageData.m_vBackLayer[1].m_bFill = 1;
  g_StageData.m_vBackLayer[1].m_strPicture = "bmp\\Unused.bmp";
  g_StageData.m_vBackLayer[2].m_bFill = 0;
  g_StageData.m_vBackLayer[2].m_strPicture = "bmp\\Hills.bmp";
  for (int i = 0; i < 8; ++i) std::snprintf(g_BitmapSet[kLayerPicture + i].szFileName, 8, "old");
  for (int prev : {SCENE_TITLE, SCENE_PLAY}) {
    cApp::m_nPrevScene = prev;
    scene_.Init();
    const std::vector<std::string> want = {"bmp\\Sky.bmp", "", "bmp\\Hills.bmp", "", "", "", "", ""};
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) names.push_back(g_BitmapSet[kLayerPicture + i].szFileName);
    EXPECT_EQ(names, want);
  }
}

TEST_F(PlayStatesTest, InitStopsAndClosesWhenTheSurfacesCannotBeReloaded) {
  // The fixed set with no files in the game folder: the first sheet that is not optional fails.
  BuildBitmapSet();
  DDAppBitmaps = g_BitmapSet;
  DDAppCount = kAppSurfaceCount;
  g_SaveData.m_nStartLife = 3;
  g_SaveData.m_nLife = 7;
  for (int prev : {SCENE_TITLE, SCENE_PLAY}) {
    SCOPED_TRACE(prev);
    // A background picture that is missing fails too when it is named by the stage's layer and the
    // entry is not optional; entries 56..63 are optional, so only the full reload fails here.
    cApp::m_nPrevScene = prev;
    scene_.m_nSubState = 9;
    scene_.Init();
    EXPECT_EQ(TakeCloseRequests(), prev == SCENE_PLAY ? 0 : 1);
    EXPECT_EQ(g_SaveData.m_nLife, 7) << "the counters of a new entry are not touched";
    EXPECT_EQ(scene_.m_nSubState, prev == SCENE_PLAY ? 0 : 9) << "a failed Init stops before its last step";
  }
}

TEST_F(PlayStatesTest, ResetPlayCountersStartsAFreshEntry) {
  for (int replay : {0, 1}) {
    SCOPED_TRACE(replay);
    cApp::m_nPlayMode = replay ? 4 : 3;
    g_bFreeStagePlay = 1;
    cSaveData& s = g_SaveData;
    s.m_bVarSet = 1;
    s.m_nVarIndex = 12;
    s.m_nVarValue = 34;
    s.m_vCommonVar[12] = 0;
    s.m_nStartLife = 3;
    s.m_nLife = 9;
    s.m_nScore = s.m_nTotalScore = s.m_nTotalTimeLeft = s.m_nTotalPlayTime = s.m_nTotalHP = s.m_nTotalSP = 5;
    s.m_bNextStart = 1;
    s.m_nStageNo = 4;
    g_ReplayData.m_vDir.assign(3, 1);
    g_ReplayData.m_nSeed = 77;
    g_PrevReplayData.m_vButton.assign(2, 1);
    scene_.m_nStageTime = scene_.m_nStateFrames = scene_.m_bPauseRelease = scene_.m_bRankEntered = 1;
    scene_.m_ScrollX.m_dPos = scene_.m_ScrollY.m_dPos = 100;
    scene_.m_lMesWindow.emplace_back();
    scene_.ResetPlayCounters();
    EXPECT_EQ(s.m_vCommonVar[12], replay ? 0 : 34) << "a replay keeps its recorded variables";
    EXPECT_EQ(s.m_nLife, 3);
    EXPECT_EQ(s.m_nScore + s.m_nTotalScore + s.m_nTotalTimeLeft + s.m_nTotalPlayTime + s.m_nTotalHP + s.m_nTotalSP, 0);
    EXPECT_EQ(s.m_bNextStart, 0);
    EXPECT_EQ(s.m_nStageNo, 1);
    EXPECT_EQ(g_ReplayData.m_vDir.Size(), replay ? 3 : 0) << "a replay keeps the recording it plays";
    EXPECT_EQ(g_ReplayData.m_nSeed, replay ? 77 : 0);
    EXPECT_EQ(g_PrevReplayData.m_vButton.Size(), replay ? 2 : 0);
    EXPECT_EQ(scene_.m_nStageTime + scene_.m_nStateFrames + scene_.m_bPauseRelease + scene_.m_bRankEntered, 0);
    EXPECT_EQ(scene_.m_ScrollX.m_dPos, 0);
    EXPECT_EQ(scene_.m_ScrollY.m_dPos, 0);
    EXPECT_TRUE(scene_.m_lMesWindow.empty());
  }
}

TEST_F(PlayStatesTest, RefreshAppearanceLetsAnySwitchStartAnyCharacter) {
  scene_.m_vSwitch.assign(kSwitchCount, 1);  // last pass's switches are forgotten
  cHero& hero = AddHero();
  // A off screen, B on screen, C on screen but its condition fails: all flying, so only the view
  // and switch 5 can start them. B comes after A in the list and still starts it.
  // The view starts at the stage's top-left corner, (320, 320) with the map's margins.
  cChara& a = Place(g_lstChara.emplace_back(), 3000, 400);
  cChara& b = Place(g_lstChara.emplace_back(), 400, 400);
  cChara& c = Place(g_lstChara.emplace_back(), 450, 400);
  for (cChara* ch : {&a, &b, &c}) {
    ch->SetMoveMode(1);
    ch->m_Chara.m_bAppearSwitch = 1;
    ch->m_Chara.m_sAppearSwitch = 5;
  }
  c.m_Chara.m_vCond.resize(1);
  c.m_Chara.m_vCond[0].m_nKind = COND_STAGE_VAR;
  c.m_Chara.m_vCond[0].m_nValue = 1;
  scene_.RefreshAppearance();
  std::vector<int> active, onScreen, started;
  for (cChara& ch : g_lstChara) {
    active.push_back(ch.m_bActive);
    onScreen.push_back(ch.m_bOnScreen);
    started.push_back(ch.m_bStarted);
  }
  EXPECT_EQ(active, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(onScreen, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(started, (std::vector<int>{1, 1, 0}));
  EXPECT_EQ(hero.m_bActive, 1);
  EXPECT_EQ(hero.m_bOnScreen, 1);
  std::vector<int> set;
  for (int i = 0; i < kSwitchCount; ++i)
    if (scene_.m_vSwitch[i]) set.push_back(i);
  EXPECT_EQ(set, std::vector<int>{5});

  // Without B nobody sets the switch and A stays.
  g_lstChara.erase(std::next(g_lstChara.begin()));
  scene_.RefreshAppearance();
  EXPECT_EQ(g_lstChara.front().m_bStarted, 0);
}

TEST_F(PlayStatesTest, RefreshAppearanceOfItemsAndShots) {
  AddHero();
  cItem& shown = g_lstItem.emplace_back();
  cItem& hidden = g_lstItem.emplace_back();
  hidden.m_Item.m_vCond.resize(1);
  hidden.m_Item.m_vCond[0].m_nKind = COND_STAGE_VAR;
  hidden.m_Item.m_vCond[0].m_nValue = 1;
  for (cItem* item : {&shown, &hidden}) {
    item->m_dX = item->m_dY = 400;
    item->m_dRight = item->m_dBottom = 416;
    item->m_bOnScreen = 1;
  }
  scene_.RefreshAppearance();
  EXPECT_EQ(shown.m_bActive, 1);
  EXPECT_EQ(shown.m_bOnScreen, 1);
  EXPECT_EQ(hidden.m_bActive, 0);
  EXPECT_EQ(hidden.m_bOnScreen, 0);
  scene_.m_vStageVar[0] = 1;
  scene_.RefreshAppearance();
  EXPECT_EQ(hidden.m_bActive, 1);
}

// A scene whose set-up throws a text.
struct ThrowingScene : cScene {
  void Init() override { throw "ステージ読み込み失敗"; }
  void Run() override { RunStates(*this, kStates); }
  int Idle() {
    ++runs;
    return 0;
  }
  int runs = 0;
  static int (ThrowingScene::*const kStates[1])();
};
int (ThrowingScene::*const ThrowingScene::kStates[1])() = {&ThrowingScene::Idle};

class SceneFatalTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    StartTestLogs();
  }
  void TearDown() override {
    StopTestLogs();
    TempDirTest::TearDown();
  }
};

TEST_F(SceneFatalTest, ATextThrownBySetUpIsReportedAndClosesTheProgram) {
  ThrowingScene scene;
  scene.Run();
  // The report log is kept in a normal run, where the debug log is off.
  EXPECT_EQ(LogLines("Report_Game.txt"), std::vector<std::string>{"ステージ読み込み失敗"});
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(scene.m_nState, 0);
  EXPECT_EQ(scene.runs, 1) << "the frame goes on while the close request waits";
}

}  // namespace
