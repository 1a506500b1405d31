#include "shell/appsound.h"

#include <string>

#include "core/log.h"
#include "gamedata/systemdata.h"
#include "sound/bgmplayer.h"
#include "sound/effects.h"
#include "stagedata/database.h"

namespace {

void BuildSoundList() {
  const size_t n = g_Database.m_vSound.size() + 16;
  g_vSound.resize(n);
  g_vSoundSrc.resize(n);
  for (size_t i = 0; i < n; ++i) {
    DSSOUNDSRC& src = g_vSoundSrc[i];
    if (i <= 16) {
      src.strFile = i < g_SystemData.m_vSysSound.size() ? g_SystemData.m_vSysSound[i] : std::string();
    } else {
      src.strFile = g_Database.m_vSound[i - 16].m_strFile;
    }
    src.nCount = 1;
    src.nVolume = 0;
    src.nFlag = 1;
  }
}

}  // namespace

void StartMusic(int directMusic) { g_Bgm.Init(1, g_BgmOggSlots, g_BgmMidiSlots, kBgmSlots, directMusic); }

void StartSoundEffects(HWND hwnd, int volume) {
  BuildSoundList();
  if (!DS_Init(hwnd, 22050, 8, 1)) {
    DebugLog("DS_Init失敗！");
    ReportLog("DSInit Err");
  }
  DS_LoadSounds(g_vSound, g_vSoundSrc, volume);
}

void StopSound() {
  DS_Release();
  g_Bgm.Release();
}
