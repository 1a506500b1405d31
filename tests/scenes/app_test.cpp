#include "scenes/app.h"

#include <gtest/gtest.h>

#include <vector>

#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "core/timing.h"
#include "platform/time/clock.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "core/mainwnd.h"
#include "support/game_reset.h"

namespace {

struct Request {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Request&) const = default;
};
std::vector<Request> g_requests;

LRESULT RecordingProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  g_requests.push_back({msg, wParam, lParam});
  if (msg == WMU_SAVEREPLAY) g_bRequestDone = 1;  // the save dialog answered
  return 0;
}

FakeClock* g_clock = nullptr;
void AdvanceFiveMs(int) { g_clock->Advance(5); }

// The application object without graphics: a main window on the test thread that records what the
// game asks of it, the program's clock faked.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGameGlobals();
    g_requests.clear();
    g_hMainWnd = CreateWindowStandIn("AppTestWindow");
    SetWindowProcStandIn(g_hMainWnd, &RecordingProc);
    g_clock = &clock_;
  }
  void TearDown() override {
    ResetGameGlobals();
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    g_clock = nullptr;
  }
  static int Count(UINT msg) {
    int n = 0;
    for (const Request& r : g_requests) n += r.msg == msg;
    return n;
  }
  FakeClock clock_{1000};
};

TEST_F(AppTest, SwitchDeletesTheOldSceneAndTheNewOneStartsInItsFirstFrame) {
  cApp::m_nScene = SCENE_PLAY;
  ASSERT_EQ(cApp::Frame(), 1);
  cScene* play = cApp::SceneOf(SCENE_PLAY);
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(cApp::m_pScene[5], play);  // the play slot comes after the options slot
  EXPECT_EQ(g_pScenePlay, play);
  // Init and the fade-in, complete at once at fade speed 0, ran in the frame the scene was made.
  EXPECT_EQ(play->m_nState, PLAY_BANNER);
  // A fade-out that returns to the play scene keeps the object and runs Init again.
  play->m_nState = -1;
  cApp::m_nPrevScene = SCENE_PLAY;
  cApp::Frame();
  EXPECT_EQ(cApp::SceneOf(SCENE_PLAY), play);
  EXPECT_EQ(play->m_nState, PLAY_BANNER);
  // Another scene: the play scene is deleted in the next frame.
  cApp::m_nScene = SCENE_TITLE;
  cApp::Frame();
  EXPECT_EQ(cApp::SceneOf(SCENE_PLAY), nullptr);
  EXPECT_EQ(g_pScenePlay, nullptr);
  // An id outside the scenes runs nothing and deletes everything.
  cApp::m_nScene = SCENE_PLAY;
  cApp::Frame();
  cApp::m_nScene = 9;
  EXPECT_EQ(cApp::Frame(), 1);
  for (cScene* s : cApp::m_pScene) EXPECT_EQ(s, nullptr);
}

TEST_F(AppTest, TheShownFrameRateReachesThePlayScene) {
  SetInputPollHook(&AdvanceFiveMs);
  cApp::m_nScene = SCENE_PLAY;
  for (int i = 0; i < 250; ++i) cApp::Frame();  // 5 ms a frame: 200 frames a second
  ASSERT_NE(g_pScenePlay, nullptr);
  EXPECT_EQ(g_pScenePlay->m_nShownFps, 200);
}

struct BgmCase {
  const char* name;
  int music1, keep1, music2, keep2;
  int wantRequests;
};

TEST_F(AppTest, MusicRequestsKeepTheSameKeptMusic) {
  const BgmCase cases[] = {
      {"same kept music twice", 5, 1, 5, 1, 1},
      {"same music without keep", 5, 0, 5, 0, 2},
      {"kept after not kept", 5, 0, 5, 1, 2},
      {"not kept after kept", 5, 1, 5, 0, 2},
      {"other music", 5, 1, 6, 1, 2},
      {"no music is always sent", 0, 1, 0, 1, 2},
  };
  for (const BgmCase& c : cases) {
    SCOPED_TRACE(c.name);
    cApp::m_nCurBgm = 0;
    cApp::m_bCurBgmKeep = 0;
    g_requests.clear();
    cApp::RequestBGM(c.music1, static_cast<uint8_t>(c.keep1), 1);
    cApp::RequestBGM(c.music2, static_cast<uint8_t>(c.keep2), 2);
    EXPECT_EQ(Count(WMU_CHANGEBGM), c.wantRequests);
    EXPECT_EQ(cApp::m_nCurBgm, c.music2);
    EXPECT_EQ(g_requests.back(), (Request{WMU_CHANGEBGM, static_cast<WPARAM>(c.wantRequests == 1 ? 1 : 2), 0}));
  }
}

TEST_F(AppTest, FrameTimeAverageChangesOncePerSixteenFramesAndOnlyWhileShown) {
  SetInputPollHook(&AdvanceFiveMs);  // each frame's poll takes 5 ms
  for (int i = 0; i < 20; ++i) cApp::Frame();
  EXPECT_EQ(cApp::FrameTimeAverage(), 0u);  // ShowFps 0: the ring is not filled
  g_SystemIni.ShowFps = 1;
  for (int i = 0; i < 15; ++i) cApp::Frame();
  EXPECT_EQ(cApp::FrameTimeAverage(), 0u);
  cApp::Frame();
  EXPECT_EQ(cApp::FrameTimeAverage(), 5u);
}

TEST_F(AppTest, InputIsPolledThroughTheConfigurationWhenItIsInUse) {
  SetKeyStateStandIn('Q', true);
  SetKeyStateStandIn(VK_RIGHT, true);
  cApp::Frame();
  EXPECT_EQ(g_vInput[0].m_wDir, 2);  // the fixed mapping
  g_KeyConfig.bUse = 1;
  g_KeyConfig.Entry[0] = {kKeyboardDevice, 'Q', 0};
  g_KeyConfig.Entry[1] = {kKeyboardDevice, 'W', 0};
  cApp::Frame();
  EXPECT_EQ(g_vInput[0].m_wDir, 1);
}

TEST_F(AppTest, SoundRequestsGoToTheMainWindow) {
  PlaySystemSound(3);
  PlayDataSound(0);
  PlayDataSound(7);
  RequestStageBgm(12, 1);
  const std::vector<Request> want = {{WMU_PLAYSOUND, 3, 0}, {WMU_PLAYSOUND, 23, 0}, {WMU_CHANGEBGM, 4, 12}};
  EXPECT_EQ(g_requests, want);
  EXPECT_EQ(g_bStageBgmLoop, 1);
  // Without a main window a request is dropped, not waited for.
  DestroyWindowStandIn(g_hMainWnd);
  g_hMainWnd = nullptr;
  PlaySystemSound(1);
  EXPECT_EQ(g_requests.size(), want.size());
}

TEST_F(AppTest, ReplaySaveKeys) {
  g_ReplayData.m_vDir.assign(1, 0);
  g_PrevReplayData.m_vDir.assign(1, 0);
  SetKeyStateStandIn(VK_F1, true);
  g_SystemData.m_bReplaySave = 0;
  EXPECT_EQ(CheckReplaySaveKey(), 0);  // recording off
  g_SystemData.m_bReplaySave = 1;
  cApp::m_nPlayMode = 4;
  EXPECT_EQ(CheckReplaySaveKey(), 0);  // a replay
  EXPECT_TRUE(g_requests.empty());
  cApp::m_nPlayMode = 3;
  EXPECT_EQ(CheckReplaySaveKey(), 1);
  EXPECT_EQ(g_requests, (std::vector<Request>{{WMU_PLAYSOUND, 1, 0}, {WMU_SAVEREPLAY, 0, 0}}));
  g_requests.clear();
  SetKeyStateStandIn(VK_F1, false);
  SetKeyStateStandIn(VK_F2, true);
  EXPECT_EQ(CheckReplaySaveKey(), 1);
  EXPECT_EQ(g_requests.back(), (Request{WMU_SAVEREPLAY, 1, 0}));
  // Nothing recorded: sound 3, then silence for 60 frames.
  g_requests.clear();
  g_PrevReplayData.m_vDir.clear();
  int sounds = 0;
  for (int frame = 0; frame < 61; ++frame) {
    EXPECT_EQ(CheckReplaySaveKey(), 0);
    sounds += Count(WMU_PLAYSOUND);
    g_requests.clear();
  }
  EXPECT_EQ(sounds, 2);  // frames 0 and 60
  // Without a window the request is not waited for.
  g_PrevReplayData.m_vDir.assign(1, 0);
  DestroyWindowStandIn(g_hMainWnd);
  g_hMainWnd = nullptr;
  EXPECT_EQ(CheckReplaySaveKey(), 1);
}

class PlaySceneTest : public AppTest {
 protected:
};

TEST_F(PlaySceneTest, ConstructionResetsTheStageMusicAndTheTintStrength) {
  g_nStageBgm = 8;
  cScenePlay play;
  EXPECT_EQ(g_nStageBgm, 0);
  EXPECT_EQ(play.m_ScreenColor.m_nStrength, 255);
  EXPECT_EQ(play.m_ScreenColor.m_nPrevTransparency, 255);
  EXPECT_EQ(play.m_nState, -1);
  EXPECT_EQ(play.m_vSideChara.Size(), kSideCount);
}

TEST_F(PlaySceneTest, UsingALife) {
  struct Case {
    int freeStage, lives, wantResult, wantLives;
  };
  const Case cases[] = {{0, 3, 1, 2}, {0, 1, 1, 0}, {0, 0, 0, 0}, {0, kUnlimitedLife, 1, kUnlimitedLife}, {1, 0, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.freeStage << " " << c.lives);
    g_bFreeStagePlay = c.freeStage;
    cScenePlay play;
    g_SaveData.m_nLife = c.lives;
    EXPECT_EQ(play.UseLife(g_SaveData), c.wantResult);
    EXPECT_EQ(g_SaveData.m_nLife, c.wantLives);
  }
}

TEST_F(PlaySceneTest, PauseKeyIsSpaceHeldWithThePauseSwitch) {
  cScenePlay play;
  play.m_nState = PLAY_RESULT;
  play.m_nSubState = 1;
  SetKeyStateStandIn(VK_SPACE, true);
  EXPECT_EQ(play.CheckPauseKey(), 0);  // switch off
  EXPECT_EQ(Count(WMU_PLAYSOUND), 0);
  g_SystemData.m_bSpacePause = 1;
  EXPECT_EQ(play.CheckPauseKey(), 1);
  EXPECT_EQ(play.CheckPauseKey(), 1);  // level-triggered
  EXPECT_EQ(play.m_nPausedState, PLAY_RESULT);
  EXPECT_EQ(play.m_nPausedSubState, 1);
  EXPECT_EQ(g_requests.front(), (Request{WMU_PLAYSOUND, 4, 0}));
  SetKeyStateStandIn(VK_SPACE, false);
  EXPECT_EQ(play.CheckPauseKey(), 0);
}

TEST_F(PlaySceneTest, StageTimeStepsOncePerSixtyFramesAndPlayTimeStopsAtItsCap) {
  cScenePlay play;
  play.m_nStageTime = 2;
  EveryNFrames(0, 60);
  int ranOut = 0, frames = 0;
  while (!ranOut && frames < 1000) {
    ++frames;
    ranOut = play.TickStageTime(-1);
  }
  EXPECT_EQ(frames, 120);
  EXPECT_EQ(play.m_nStageTime, 0);
  play.m_nStageTime = 999;
  for (int i = 0; i < 60; ++i) EXPECT_EQ(play.TickStageTime(1), 0);
  EXPECT_EQ(play.m_nStageTime, 999);
  play.m_bTimeStopped = 1;
  play.m_nStageTime = 5;
  for (int i = 0; i < 200; ++i) play.TickStageTime(-1);
  EXPECT_EQ(play.m_nStageTime, 5);

  play.TickPlayTimer();
  EXPECT_EQ(play.m_nPlayTime, 1);  // 1 * 100 / 60
  for (int i = 0; i < 59; ++i) play.TickPlayTimer();
  EXPECT_EQ(play.m_nPlayTime, 100);
  play.m_nPlayTimeFrames = 359999;
  play.m_nPlayTime = 599998;
  play.TickPlayTimer();
  EXPECT_EQ(play.m_nPlayTime, kPlayTimeMax);
  const int framesAtCap = play.m_nPlayTimeFrames;
  play.TickPlayTimer();
  EXPECT_EQ(play.m_nPlayTimeFrames, framesAtCap);
}

TEST_F(PlaySceneTest, DisplayWaitKeyDelayOnlyForAMessageWaitingForTheKey) {
  struct Case {
    int mode, waitKey, noDelay, wantDelay;
  };
  for (const Case& c : {Case{1, 1, 0, 10}, Case{1, 1, 1, 0}, Case{1, 0, 0, 0}, Case{3, 1, 0, 0}}) {
    cDisplayWait w;
    w.m_nCounter = 7;
    SetDisplayWait(&w, c.mode, c.waitKey, 30, c.noDelay);
    EXPECT_EQ(w.m_nKeyDelay, c.wantDelay);
    EXPECT_EQ(w.m_nFrames, 30);
    EXPECT_EQ(w.m_nCounter, 0);
  }
}

}  // namespace
