// The modal frame loops: code on the game thread that must wait with the screen alive runs one of
// these loops on a worker thread and blocks until it ends. The game is frozen meanwhile: the loop
// only paces, polls, draws without advancing and presents.
#include "core/log.h"
#include "core/mainwnd.h"
#include "core/thread.h"
#include "gamedata/input.h"
#include "gamedata/panel.h"
#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "platform/time/clock.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"

namespace {

constexpr uint16_t kConfirm = 1 << 0;
constexpr uint16_t kButton4 = 1 << 3;
constexpr DWORD kQuitGraceMs = 2000;

struct LoopStart {
  int (*loop)(void* scene);
  cScenePlay* scene;
};

unsigned RunLoop(void* arg) {
  const LoopStart* start = static_cast<const LoopStart*>(arg);
  return static_cast<unsigned>(start->loop(start->scene));
}

// Takes every pending message of the loop's thread; true when one was WM_QUIT.
bool TakeQuit() {
  bool quit = false;
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = true;
  return quit;
}

// The start of a turn shared by both loops after the quit checks: pacing, the lost-surface check
// (a failure asks the main window to close) and the poll.
void PaceAndPoll(cCheckedVector<cInput>& inputs) {
  cApp::WaitFrame();
  if (!cApp::CheckSurfaceLost()) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  cApp::ReadInput(inputs);
}

}  // namespace

int cScenePlay::RunModalLoop(int (*loop)(void* scene)) {
  cThread& thread = loop == &RankingLoop ? thResult : thPause;
  LoopStart start{loop, this};
  ++m_nModalDepth;
  if (!thread.Start(&RunLoop, &start)) {
    --m_nModalDepth;
    DebugLog("modal loop: no thread");
    return 0;
  }
  // The loop's queue exists once it runs; a loop that already ended needs no message.
  while (!PostThreadMessage(thread.m_dwThreadId, WM_APP, 0, 0) &&
         WaitForSingleObject(thread.m_hThread, 0) == WAIT_TIMEOUT)
    Sleep(0);
  thread.Wait();
  --m_nModalDepth;
  return 1;
}

int cScenePlay::RunDisplayWait(int mode, int waitKey, int frames, int noDelay) {
  SetDisplayWait(&m_Wait, mode, waitKey, frames, noDelay);
  return RunModalLoop(&WaitKeyLoop);
}

int cScenePlay::RunRankingWait() { return RunModalLoop(&RankingLoop); }

int cScenePlay::WaitKeyLoop(void* arg) {
  cScenePlay* scene = static_cast<cScenePlay*>(arg);
  if (scene->m_bQuit) return 0;
  // A private record, so that the game's input history, runs and latches stay as they were. It
  // starts latched: a button held into the wait counts only after all buttons were released.
  cCheckedVector<cInput> inputs(g_vInput.Size() > 0 ? g_vInput.Size() : 1);
  cInput& in = inputs.At(0);
  in.ClearHistory();
  in.TrimEdges();
  in.ClearDir();
  in.ClearButton();
  in.m_bLatched = 1;
  cDisplayWait& wait = scene->m_Wait;
  bool quitSeen = false;
  DWORD quitSince = 0;
  for (;;) {
    if (TakeQuit()) break;
    if (!g_bAppActive) {
      Sleep(1);
      continue;
    }
    if (scene->m_bQuit) {
      if (!quitSeen) {
        quitSeen = true;
        quitSince = timeGetTime();
      } else if (timeGetTime() - quitSince >= kQuitGraceMs) {
        PostThreadMessage(thPause.m_dwThreadId, WM_QUIT, 0, 0);
      }
      Sleep(1);
      continue;
    }
    PaceAndPoll(inputs);
    in.PushHistory();
    in.LatchButtons(0);
    if (CheckReplaySaveKey()) continue;
    if (wait.m_nKeyDelay > 0) {
      --wait.m_nKeyDelay;
    } else if (wait.m_bWaitKey) {
      if (!(in.GetHistory(1, 1) & kConfirm) && (in.m_wButton & kConfirm)) {
        PlaySystemSound(wait.m_nMode == 1 ? 12 : 1);
        scene->m_bPauseRelease = 1;
        break;
      }
    } else if (--wait.m_nFrames < 0) {
      break;
    }
    scene->Draw(0, 1, 0, 1);
    cApp::Present();
  }
  return 1;
}

int cScenePlay::RankingLoop(void* arg) {
  cScenePlay* scene = static_cast<cScenePlay*>(arg);
  const int gameType = cApp::m_nGameType;
  g_SaveData.MoveRankTableCursor(gameType, 0);
  for (;;) {
    // A close request ends this loop as it ends the display waits.
    if (TakeQuit() || scene->m_bQuit) break;
    if (!g_bAppActive) {
      Sleep(1);
      continue;
    }
    PaceAndPoll(g_vInput);
    cInput& in = g_vInput.At(0);
    in.LatchButtons(0);
    in.ApplyRepeat();
    if (in.m_wButton & kConfirm) {
      PlaySystemSound(1);
      break;
    }
    if ((in.m_wButton & kButton4) && g_SystemData.GetRankTableNum(gameType) >= 2) {
      PlaySystemSound(6);
      g_SaveData.MoveRankTableCursor(gameType, 1);
    }
    scene->Draw(0, 1, 0, 1);
    const int table = g_SaveData.m_nRankTable;
    const int place = table >= 0 && table < scene->m_vRankPos.Size() ? scene->m_vRankPos.At(table) : -1;
    if (table >= 0 && table < g_RankingData.m_vTable.Size())
      DrawPanelLayout(&BackBuffer, g_RankingData.GetTableLayout(g_RankAnchor.x, g_RankAnchor.y, table, place, gameType),
                      g_Font[1], &g_AppSurface[kAccessorySheet]);
    cApp::Present();
  }
  return 1;
}
