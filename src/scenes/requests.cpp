#include "scenes/requests.h"

#include "gamedata/replay.h"
#include "gamedata/systemswitches.h"
#include "platform/time/clock.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "core/mainwnd.h"

int g_nStageBgm = 0;
int g_bStageBgmLoop = 0;

void PlaySystemSound(int sound) { TrySendMessage(g_hMainWnd, WMU_PLAYSOUND, static_cast<WPARAM>(sound), 0, nullptr); }

void PlayDataSound(int16_t sound) {
  if (sound == 0) return;
  TrySendMessage(g_hMainWnd, WMU_PLAYSOUND, static_cast<WPARAM>(sound + 16), 0, nullptr);
}

void RequestStageBgm(int music, int loop) {
  g_bStageBgmLoop = loop;
  TrySendMessage(g_hMainWnd, WMU_CHANGEBGM, 4, static_cast<LPARAM>(music), nullptr);
}

std::atomic<int> g_bRequestDone{0};
std::atomic<int> g_bRequestResult{0};
std::atomic<int> g_bNameEntryDone{0};
int g_nReplayKeyWait = 0;

int CheckReplaySaveKey() {
  if (cApp::m_nPlayMode == 4 || !ReplayRecordingOn()) return 0;
  if (g_nReplayKeyWait > 0) --g_nReplayKeyWait;
  int request;
  const cReplayData* record;
  if (GetAsyncKeyState(VK_F1) & 0x8000) {
    request = 0;
    record = &g_ReplayData;
  } else if (GetAsyncKeyState(VK_F2) & 0x8000) {
    request = 1;
    record = &g_PrevReplayData;
  } else {
    return 0;
  }
  if (record->m_vDir.empty()) {
    if (g_nReplayKeyWait <= 0) {
      PlaySystemSound(3);
      g_nReplayKeyWait = 60;
    }
    return 0;
  }
  PlaySystemSound(1);
  g_bRequestDone = 0;
  if (TrySendMessage(g_hMainWnd, WMU_SAVEREPLAY, static_cast<WPARAM>(request), 0, nullptr))
    while (!g_bRequestDone && !ShutdownBegun()) Sleep(1);
  return 1;
}

bool SendRequestAndWait(UINT msg, std::atomic<int>& done) {
  done = 0;
  if (!TrySendMessage(g_hMainWnd, msg, 0, 0, nullptr)) return false;
  while (!done && !ShutdownBegun()) Sleep(1);
  return done != 0;
}

int RequestReplayLoad() {
  g_bRequestResult = 0;
  if (!SendRequestAndWait(WMU_OPENREPLAY, g_bRequestDone)) return 0;
  return g_bRequestResult != 0;
}
