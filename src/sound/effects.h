// Sound effects: every sound is loaded once at start-up into one static buffer plus duplicates that
// share its data, so that a sound can overlap itself; each play takes the next buffer in turn.
// While there is no device (g_lpDS null) every function returns at once, with success where it
// returns a flag. The buffers lock themselves, so the game thread may play and change volumes while
// the window thread plays.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/dsound.h"

// What to load for one sound.
struct DSSOUNDSRC {
  std::string strFile;  // wave file (game path); empty for an unset sound
  int32_t nCount = 1;   // buffers, so simultaneous plays (0 counts as 1)
  int32_t nVolume = 0;  // hundredths of a decibel, -10000..0
  int32_t nFlag = 0;    // set to 1 by start-up
};

// One loaded sound. Loaded when it has buffers; buffer 0 owns the data, the others are duplicates.
struct DSSOUNDDATA {
  std::string strFile;
  std::vector<IDirectSoundBuffer*> vBuffer;
  int32_t nCount = 0;
  int32_t nNext = 0;  // the buffer the next play takes; DS_Play changes it atomically
};

// A wave file in memory while loading.
struct DSWAVE {
  std::vector<uint8_t> data;
  WAVEFORMATEX format{};
};

extern IDirectSound* g_lpDS;
extern bool g_bDSDevice;
// The runtime sounds: 0-16 the system sounds, 16 + n database sound n (from 1); and what to load.
extern std::vector<DSSOUNDDATA> g_vSound;
extern std::vector<DSSOUNDSRC> g_vSoundSrc;

bool DS_Init(HWND window, int samplesPerSec, int bitsPerSample, int channels);
BOOL DS_EnumCallback(GUID* guid, const char* description, const char* module, void* context);
int DS_LoadSounds(std::vector<DSSOUNDDATA>& runtime, std::vector<DSSOUNDSRC>& sources, int volume);
bool DS_LoadSound(DSSOUNDDATA* sound, const char* file, int count, int volume);
bool DS_CreateBuffer(IDirectSoundBuffer** out, const char* file);
bool DS_DuplicateBuffer(IDirectSoundBuffer** out, IDirectSoundBuffer* source);
bool DS_LoadWave(const char* file, DSWAVE* out);
void DS_FreeWave(DSWAVE* wave);
void DS_Play(DSSOUNDDATA* sound, DWORD flags);
// Direction bits: 1 left, 2 right, 4 up, 8 down; axes: 1 horizontal, 2 vertical.
void DS_PlayCursorSound(const uint16_t* dir, int axes, int soundIndex);
int DS_SetVolume(DSSOUNDDATA* sound, int buffer, int volume, char relative);
int DS_GetVolume(DSSOUNDDATA* sound, int buffer);
void DS_ReleaseSound(DSSOUNDDATA* sound);
void DS_Release();
