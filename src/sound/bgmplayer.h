// The music manager: the background music of five situations, each a slot holding an Ogg or MIDI
// file. At most one music sounds. Requests come from the window thread and the options scene's
// release and new initialisation from the game thread: the public calls are serialised.
#pragma once
#include <mutex>
#include <vector>

#include "sound/bgmslots.h"
#include "sound/midiplayer.h"
#include "sound/oggplayer.h"
#include "sound/softsynth.h"

class cBgmPlayer {
 public:
  enum Kind { kOther = 0, kOgg = 1, kMidi = 2 };

  cBgmPlayer() = default;
  ~cBgmPlayer() { Release(); }
  cBgmPlayer(const cBgmPlayer&) = delete;
  cBgmPlayer& operator=(const cBgmPlayer&) = delete;

  bool Init(int players, BgmOggSlot* oggTable, BgmMidiSlot* midiTable, int slots, int directMusic);
  void CreatePlayers(int count);
  int SetSlot(int slot, const char* file, int volume);
  bool Play(int player, int slot, int loop, int pause, int force);
  void Stop();
  int Release();

  // Whether Init has made the players (and Release has not undone it).
  bool IsInit() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bInit != 0;
  }
  int CurrentSlot() const { return m_nCurrent; }
  bool UsesSoftSynth() const { return m_bSoftSynth != 0; }
  cOggPlayer& Ogg() { return m_Ogg; }
  cMidiPlayerList& MidiPlayers() { return m_MidiPlayers; }
  const cSoftSynth& SoftSynth() const { return m_SoftSynth; }

 private:
  void CreatePlayersLocked(int count);
  bool TryOgg(int player, int slot, int loop, int stopMidiPause);
  bool TryMidi(int player, int slot, int loop);
  void StopMidi(int pause);
  int ReleaseLocked();

  std::mutex m_mutex;
  int m_bInit = 0;
  cOggPlayer m_Ogg;
  BgmOggSlot* m_pOggSlots = nullptr;
  int m_bSoftSynth = 0;
  cSoftSynth m_SoftSynth;
  cMidiPlayerList m_MidiPlayers;
  BgmMidiSlot* m_pMidiSlots = nullptr;
  int m_nCurrent = -1;
  std::vector<int> m_vKinds;
};

extern cBgmPlayer g_Bgm;
