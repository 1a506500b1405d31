#include "scenes/requests.h"

#include "platform/win/messages.h"
#include "shell/mainwnd.h"

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
