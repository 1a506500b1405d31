#include "sound/oggplayer.h"

#include "core/log.h"
#include "sound/bgmslots.h"

bool cOggPlayer::Init() {
  if (!m_hModule) m_hModule = LoadLibraryA("Vox.dll");
  m_pCreateVox = m_hModule ? reinterpret_cast<CreateVoxProc>(GetProcAddress(m_hModule, "CreateVox")) : nullptr;
  if (!m_pCreateVox) {
    ErrorBoxF("oggの初期化に失敗！");
    return false;
  }
  return true;
}

bool cOggPlayer::CreatePlayers(int n) {
  // Without the library there are no players: every Ogg request then fails cleanly.
  if (!m_pCreateVox) return false;
  for (IVox* p : m_vPlayers)
    if (p) p->Destroy();  // the old objects go with the old array
  m_vPlayers.assign(static_cast<size_t>(n > 0 ? n : 0), nullptr);
  m_nCount = static_cast<int>(m_vPlayers.size());
  m_nCurrent = -1;
  for (IVox*& p : m_vPlayers) {
    p = m_pCreateVox();
    if (!p) {
      OutOfMemoryExit();
      return false;
    }
  }
  return true;
}

bool cOggPlayer::Play(int player, BgmOggSlot* slot, int loop, int volume) {
  if (!slot || slot->szFile.empty()) return false;
  Stop();
  IVox* vox = Player(player);
  if (!vox) return false;
  vox->Prepare();
  if (!vox->Open(slot->szFile.c_str())) {
    m_nCurrent = -1;
    return false;
  }
  if (volume < 100) vox->SetVolume(volume * 0.01f);
  vox->Play(loop ? 0x7fffffff : 0);
  vox->AfterPlay();
  m_nCurrent = player;
  return true;
}

void cOggPlayer::Stop() {
  if (IVox* vox = Player(m_nCurrent)) vox->Stop();
  m_nCurrent = -1;
}

void cOggPlayer::SetVolume(int player, float volume) {
  if (IVox* vox = Player(player)) vox->SetVolume(volume);
}

void cOggPlayer::Release() {
  for (IVox* p : m_vPlayers)
    if (p) p->Destroy();
  m_vPlayers.clear();
  m_nCount = 0;
  m_nCurrent = -1;
  if (m_hModule) FreeLibrary(m_hModule);
  m_hModule = nullptr;
  m_pCreateVox = nullptr;
}
