// Ogg Vorbis music through the run-time library "Vox.dll": one player object per music player, driven
// only through the slots of its method table.
#pragma once
#include <vector>

#include "platform/audio/vox.h"
#include "platform/win/module.h"

struct BgmOggSlot;
typedef IVox* (*CreateVoxProc)();

class cOggPlayer {
 public:
  cOggPlayer() = default;
  ~cOggPlayer() { Release(); }
  cOggPlayer(const cOggPlayer&) = delete;
  cOggPlayer& operator=(const cOggPlayer&) = delete;

  bool Init();
  bool CreatePlayers(int n);
  bool Play(int player, BgmOggSlot* slot, int loop, int volume);
  void Stop();
  void SetVolume(int player, float volume);
  void Release();

  int Current() const { return m_nCurrent; }
  IVox* Player(int i) const { return i >= 0 && i < m_nCount ? m_vPlayers[i] : nullptr; }

 private:
  std::vector<IVox*> m_vPlayers;
  int m_nCount = 0;
  int m_nCurrent = -1;  // the player sounding; -1 none
  HMODULE m_hModule = nullptr;
  CreateVoxProc m_pCreateVox = nullptr;
};
