// MIDI music through the run-time software synthesizer "GuruGuruSMF4.dll", loaded from the program's
// own folder with its functions fetched by name. When it cannot be opened, the music manager plays
// MIDI on the program's own stream player.
#pragma once
#include <cstdint>

#include "platform/audio/ggs4.h"
#include "platform/win/module.h"

struct BgmMidiSlot;

// The library's functions; a forwarder whose function is missing returns 15 or does nothing.
class cSoftSynthLib {
 public:
  static constexpr int kMissing = 15;
  int GGS4OpenDevice(int device, int window);
  void GGS4CloseDevice();
  int GGS4Play(int options, int listNumber, int a, int b, int c);
  void GGS4Stop(int fade);
  void GGS4Pause();
  void GGS4SetMasterVolume(int volume);
  void GGS4GetPlayerStatus(GGS4PLAYERSTATUS* status, int size);
  int GGS4AddListFromFileA(const char* file, int options, int listNumber);
};

// 0 when the library is loaded (or was already), 1 when it cannot be loaded.
int SoftSynthLoad();
cSoftSynthLib* SoftSynthInstance();
// Closes the device, deletes the wrapper and unloads the library.
void SoftSynthClose();

class cSoftSynth {
 public:
  bool Open(int directMusic);
  bool Play(int slot, BgmMidiSlot* entry, int loop, int volume);
  void Stop(int pause);
  int MasterVolume() const { return m_nMasterVolume; }

 private:
  int m_nSlot = 0;
  int m_nMasterVolume = 0;  // -127..0
  int m_nLastSlot = 0;      // remembered when playback is interrupted
  int m_nLastPosition = 0;
  int m_nLastVolume = 0;
};
