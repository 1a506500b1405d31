#include "sound/bgmplayer.h"

#include <string>

#include "core/paths.h"

BgmOggSlot g_BgmOggSlots[kBgmSlots] = {
    {"bgm\\Title.ogg", 0}, {"bgm\\WorldMap.ogg", 0}, {"bgm\\Challenge.ogg", 0}, {"bgm\\Option.ogg", 0}, {"bgm\\Stage.ogg", 0},
};
BgmMidiSlot g_BgmMidiSlots[kBgmSlots] = {
    {"bgm\\Title.mid", 0, 100}, {"bgm\\WorldMap.mid", 0, 100}, {"bgm\\Challenge.mid", 0, 100},
    {"bgm\\Option.mid", 0, 100}, {"bgm\\Stage.mid", 0, 100},
};

cBgmPlayer g_Bgm;

bool cBgmPlayer::Init(int players, BgmOggSlot* oggTable, BgmMidiSlot* midiTable, int slots, int directMusic) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bInit = 1;
  if (m_SoftSynth.Open(directMusic)) {
    m_bSoftSynth = 1;
  } else {
    m_bSoftSynth = 0;
    m_MidiPlayers.Resize(0);
  }
  // Without the Ogg library the manager is still set up whole: Ogg requests fail cleanly and MIDI
  // music keeps playing.
  const bool ogg = m_Ogg.Init();
  CreatePlayersLocked(players);
  m_pOggSlots = oggTable;
  m_pMidiSlots = midiTable;
  m_vKinds.assign(static_cast<size_t>(slots > 0 ? slots : 0), kOther);
  return ogg;
}

void cBgmPlayer::CreatePlayers(int count) {
  std::lock_guard<std::mutex> lock(m_mutex);
  CreatePlayersLocked(count);
}

void cBgmPlayer::CreatePlayersLocked(int count) {
  if (!m_bInit) return;
  if (!m_bSoftSynth) m_MidiPlayers.Resize(count);
  m_Ogg.CreatePlayers(count);
}

int cBgmPlayer::SetSlot(int slot, const char* file, int volume) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bInit) return 1;
  if (slot < 0 || slot >= static_cast<int>(m_vKinds.size()) || !m_pOggSlots || !m_pMidiSlots) return 0;
  std::string name = file ? file : "";
  std::string ext;
  if (!PathGetExt(ext, name)) {
    name.clear();
    volume = 0;
  } else if (ext == "mid" || ext == "MID") {
    PathChangeExt(m_pMidiSlots[slot].szFile, name, "mid");
    m_vKinds[slot] = kMidi;
    m_pMidiSlots[slot].nVolume = volume;
    return 1;
  } else if (ext == "ogg" || ext == "OGG") {
    m_pOggSlots[slot].szFile = name;
    m_vKinds[slot] = kOgg;
    m_pOggSlots[slot].nVolume = volume;
    return 1;
  }
  m_pOggSlots[slot].szFile = name;
  m_pOggSlots[slot].nVolume = volume;
  m_pMidiSlots[slot].szFile = name;
  m_pMidiSlots[slot].nVolume = volume;
  m_vKinds[slot] = kOther;
  return 0;
}

void cBgmPlayer::StopMidi(int pause) {
  if (m_bSoftSynth)
    m_SoftSynth.Stop(pause);
  else
    m_MidiPlayers.StopAll(pause);
}

bool cBgmPlayer::TryOgg(int player, int slot, int loop, int stopMidiPause) {
  if (!m_Ogg.Play(player, &m_pOggSlots[slot], loop, m_pOggSlots[slot].nVolume)) return false;
  StopMidi(stopMidiPause);
  return true;
}

bool cBgmPlayer::TryMidi(int player, int slot, int loop) {
  BgmMidiSlot* entry = &m_pMidiSlots[slot];
  const bool started = m_bSoftSynth ? m_SoftSynth.Play(player, entry, loop, entry->nVolume)
                                    : m_MidiPlayers.Play(player, entry, loop);
  if (!started) return false;
  m_Ogg.Stop();
  return true;
}

bool cBgmPlayer::Play(int player, int slot, int loop, int pause, int force) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bInit || (slot == m_nCurrent && !force)) return true;
  m_nCurrent = slot;
  const bool valid = slot >= 0 && slot < static_cast<int>(m_vKinds.size()) && m_pOggSlots && m_pMidiSlots;
  if (valid) {
    switch (m_vKinds[slot]) {
      case kOther:
        if (TryOgg(player, slot, loop, pause) || TryMidi(player, slot, loop)) return true;
        break;
      case kOgg:
        if (TryOgg(player, slot, loop, 0)) return true;
        break;
      case kMidi:
        if (TryMidi(player, slot, loop)) return true;
        break;
    }
  }
  m_nCurrent = -1;
  m_Ogg.Stop();
  StopMidi(0);
  return false;
}

void cBgmPlayer::Stop() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bInit) return;
  StopMidi(0);
  m_Ogg.Stop();
}

int cBgmPlayer::Release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return ReleaseLocked();
}

int cBgmPlayer::ReleaseLocked() {
  if (!m_bInit) return 0;
  m_Ogg.Release();
  if (m_bSoftSynth)
    SoftSynthClose();
  else
    m_MidiPlayers.Resize(0);
  m_bSoftSynth = 0;
  m_bInit = 0;
  return 1;
}
