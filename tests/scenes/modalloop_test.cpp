// The modal frame loops, run as the game runs them: the test thread is the game thread, blocked while
// the loop's own thread runs; a window thread of the test serves the sound requests and the dialog.
// Input scripts are indexed by the loop's turns (one poll per turn).
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/mainwnd.h"
#include "core/random.h"
#include "core/thread.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/systemdata.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "support/game_reset.h"
#include "support/gfx_fixture.h"

namespace {

std::mutex g_mutex;
std::vector<int> g_sounds;
std::vector<DWORD> g_suspendResults;  // what Suspend answered (1 parked)
int g_closes = 0;

// The keys of each turn: 'Z' confirm, 'V' button 4, 'F' the replay-save key F1, '.' nothing.
std::vector<std::string> g_script;
int g_firstPoll = 0;
cScenePlay* g_scene = nullptr;
int g_quitAtTurn = -1;
bool g_postQuit = false;

void ScriptedPoll(int poll) {
  const int turn = poll - g_firstPoll;
  const std::string keys = turn >= 0 && turn < static_cast<int>(g_script.size()) ? g_script[turn] : "";
  SetKeyStateStandIn('Z', keys.find('Z') != std::string::npos);
  SetKeyStateStandIn('V', keys.find('V') != std::string::npos);
  SetKeyStateStandIn(VK_F1, keys.find('F') != std::string::npos);
  if (turn == g_quitAtTurn) {
    // As the main window's close handling does while a wait runs.
    g_scene->m_bQuit = 1;
    if (g_postQuit) PostThreadMessage(thPause.m_dwThreadId, WM_QUIT, 0, 0);
  }
}

LRESULT MainProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (msg == WMU_PLAYSOUND) g_sounds.push_back(static_cast<int>(wParam));
  if (msg == WMU_SAVEREPLAY) {
    // A modal dialog on the window thread: the game threads are suspended around it.
    g_suspendResults.push_back(thPause.Suspend());
    g_suspendResults.push_back(thGame.Suspend());
    thGame.Resume();
    thPause.Resume();
    g_bRequestDone = 1;
  }
  return 0;
}

class ModalLoopTest : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    ResetGameGlobals();
    ASSERT_TRUE(Start(kDirect3D, 32, 0));
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_sounds.clear();
      g_suspendResults.clear();
      g_closes = 0;
    }
    g_script.clear();
    g_quitAtTurn = -1;
    g_postQuit = false;
    g_scene = &scene_;
    g_pScenePlay = &scene_;
    cApp::m_nFps = 60;
    std::promise<HWND> made;
    window_ = std::thread([this, &made] {
      HWND h = CreateWindowStandIn("ModalLoopTestMain");
      SetWindowProcStandIn(h, &MainProc);
      made.set_value(h);
      while (!stop_) {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
          std::lock_guard<std::mutex> lock(g_mutex);
          if (m.message == WM_CLOSE) ++g_closes;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      }
      DestroyWindowStandIn(h);
    });
    g_hMainWnd = made.get_future().get();
    SetInputPollHook(&ScriptedPoll);
  }
  void TearDown() override {
    SetInputPollHook(nullptr);
    stop_ = true;
    window_.join();
    g_hMainWnd = nullptr;
    g_pScenePlay = nullptr;
    ResetGameGlobals();
    GfxTest::TearDown();
  }

  // Runs a display wait with the script; the presents and polls it took.
  struct Outcome {
    int presents;
    int polls;
    std::vector<int> sounds;
  };
  Outcome Wait(int mode, int waitKey, int frames, int noDelay, std::vector<std::string> script) {
    g_script = std::move(script);
    g_firstPoll = polls_;
    const uint64_t before = presenter_->PresentCount();
    EXPECT_EQ(scene_.RunDisplayWait(mode, waitKey, frames, noDelay), 1);
    return Finish(before);
  }
  Outcome Finish(uint64_t presentsBefore) {
    Outcome o{static_cast<int>(presenter_->PresentCount() - presentsBefore), 0, {}};
    // Count the polls through a probe poll of our own.
    const int probe = ProbePoll();
    o.polls = probe - polls_;
    polls_ = probe + 1;
    std::lock_guard<std::mutex> lock(g_mutex);
    o.sounds = g_sounds;
    g_sounds.clear();
    return o;
  }
  static int ProbePoll() {
    static std::atomic<int> seen{-1};
    SetInputPollHook([](int poll) { seen = poll; });
    BeginInputPoll();
    SetInputPollHook(&ScriptedPoll);
    return seen;
  }

  cScenePlay scene_;
  std::thread window_;
  std::atomic<bool> stop_{false};
  int polls_ = 0;
};

TEST_F(ModalLoopTest, ATimedWaitPresentsItsFramesAndLeavesTheGameAsItWas) {
  RandSeed(77);
  RandNext();
  const int playFrames = scene_.m_nPlayFrames = 1234;
  const Outcome o = Wait(0, 0, 30, 0, {});
  EXPECT_EQ(o.presents, 30);
  EXPECT_EQ(o.polls, 31) << "it ends in the turn after its last frame";
  EXPECT_TRUE(o.sounds.empty());
  EXPECT_EQ(scene_.m_nPlayFrames, playFrames);
  EXPECT_EQ(scene_.m_nModalDepth, 0);
  const int next = RandNext();
  RandSeed(77);
  RandNext();
  EXPECT_EQ(RandNext(), next) << "the game thread's generator comes out of the wait unchanged";

  const Outcome zero = Wait(2, 0, 0, 0, {});
  EXPECT_EQ(zero.presents, 0);
  EXPECT_EQ(zero.polls, 1);
}

TEST_F(ModalLoopTest, KeyWaitsEndOnAFreshConfirmPress) {
  struct Case {
    const char* name;
    int mode, noDelay;
    std::vector<std::string> script;
    int wantPresents, wantSound;
  };
  const Case cases[] = {
      // The message's first 10 frames ignore the confirm key.
      {"message with delay", 1, 0, {".", ".", ".", ".", "Z", ".", ".", ".", ".", ".", "Z"}, 10, 12},
      {"message without delay", 1, 1, {".", ".", ".", ".", "Z"}, 4, 12},
      {"picture", 3, 0, {".", ".", "Z"}, 2, 1},
      // A key held into the wait counts only after it was released.
      {"held into the wait", 3, 0, {"Z", "Z", "Z", ".", ".", "Z"}, 5, 1},
      // A press held through the end of the delay does not end it either.
      {"held through the delay", 1, 0, {".", ".", ".", ".", ".", ".", ".", ".", ".", "Z", "Z", ".", "Z"}, 12, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scene_.m_bPauseRelease = 0;
    g_vInput[0] = cInput();
    const Outcome o = Wait(c.mode, 1, 0, c.noDelay, c.script);
    EXPECT_EQ(o.presents, c.wantPresents);
    EXPECT_EQ(o.sounds, std::vector<int>{c.wantSound});
    EXPECT_EQ(scene_.m_bPauseRelease, 1) << "the press that ended the wait does not reach the game";
    EXPECT_EQ(g_vInput[0].m_wButton, 0);
    EXPECT_EQ(g_vInput[0].GetHistory(1, 0), 0) << "the game's input record is untouched";
  }
}

TEST_F(ModalLoopTest, ACloseRequestEndsTheWait) {
  for (bool postQuit : {true, false}) {
    SCOPED_TRACE(postQuit ? "WM_QUIT posted" : "m_bQuit only");
    scene_.m_bQuit = 0;
    g_quitAtTurn = 3;
    g_postQuit = postQuit;
    const Outcome o = Wait(1, 1, 0, 0, {});
    // Turn 3 still draws; afterwards nothing is drawn while the loop waits to end.
    EXPECT_EQ(o.presents, 4);
    EXPECT_EQ(o.polls, 4);
    EXPECT_TRUE(o.sounds.empty());
  }
  // A wait that starts while quitting returns at once.
  g_quitAtTurn = -1;
  const Outcome o = Wait(0, 0, 30, 0, {});
  EXPECT_EQ(o.presents, 0);
  EXPECT_EQ(o.polls, 0);
}

TEST_F(ModalLoopTest, ADialogOnTheWindowThreadSuspendsAndResumesTheLoop) {
  g_SystemData.m_bReplaySave = 1;
  g_ReplayData.m_vDir.assign(1, 0);
  cApp::m_nPlayMode = 0;
  const Outcome o = Wait(0, 0, 5, 0, {".", "F"});
  EXPECT_EQ(o.presents, 5);
  EXPECT_EQ(o.polls, 7) << "the turn of the save request starts again";
  EXPECT_EQ(o.sounds, std::vector<int>{1});
  std::lock_guard<std::mutex> lock(g_mutex);
  EXPECT_EQ(g_suspendResults, (std::vector<DWORD>{1, 1})) << "both suspensions succeed";
}

TEST_F(ModalLoopTest, TheRankingDisplayChangesTablesOnlyWhenSeveralAreOffered) {
  struct Case {
    std::vector<uint8_t> show;
    int wantTable;
    std::vector<int> wantSounds;
  };
  const Case cases[] = {
      {{1, 0, 1, 0, 0}, 2, {6, 1}},
      {{0, 1, 0, 0, 0}, 1, {1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wantTable);
    cApp::m_nGameType = 0;
    g_SystemData.m_vRankSetting.At(0).m_bOn = 1;
    g_SystemData.m_vRankSetting.At(0).m_vShow.assign(c.show.begin(), c.show.end());
    g_SaveData.m_nRankTable = 0;
    g_vInput[0] = cInput();
    g_script = {".", "V", ".", "Z"};
    g_firstPoll = polls_;
    const uint64_t before = presenter_->PresentCount();
    EXPECT_EQ(scene_.RunRankingWait(), 1);
    const Outcome o = Finish(before);
    EXPECT_EQ(o.presents, 3);
    EXPECT_EQ(o.sounds, c.wantSounds);
    EXPECT_EQ(g_SaveData.m_nRankTable, c.wantTable);
  }
}

}  // namespace
