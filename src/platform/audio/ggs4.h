// The software-synthesizer library ("GuruGuruSMF4.dll") stood in for on the General MIDI synthesizer.
// Files added to its play list are checked by a MIDI file reader that a higher layer registers; the
// player plays the checked image on FluidSynth's file player, timed by the pull's sample clock.
// Return values: 0 for success.
#pragma once
#include <cstdint>
#include <vector>

struct GGS4PLAYERSTATUS {
  int32_t State;     // 1 while playing
  int32_t Reserved1;
  int32_t Tick;      // position in ticks
  int32_t Reserved2;
  int32_t Reserved3;
};

int GGS4OpenDevice(int device, int window);
void GGS4CloseDevice();
int GGS4AddDlsW(const wchar_t* file);
int GGS4AddDlsA(const char* file);
int GGS4Play(int options, int listNumber, int a, int b, int c);
void GGS4Stop(int fadeMs);
void GGS4Pause();
void GGS4Restart();
void GGS4SetMasterTempo(float tempo);
// -127 (silent) to 0 (full): the gain is (volume + 127) / 127.
void GGS4SetMasterVolume(int volume);
void GGS4SetMasterPitch(int pitch);
void GGS4GetPlayerStatus(GGS4PLAYERSTATUS* status, int size);
int GGS4AddListFromFileW(const wchar_t* file, int options, int listNumber);
int GGS4AddListFromFileA(const char* file, int options, int listNumber);
int GGS4AddListFromMemory(int listNumber, const void* data, int size, int options);
void GGS4DeleteListItem(int listNumber);
void GGS4ClearList();
int GGS4EnumList(int* numbers, int size);
int GGS4GetSmfInformation(void* info, int size, int listNumber);

namespace ggs4 {
// The check of a MIDI file before it is kept: its image to play, empty to refuse it. While none is
// registered, only a "MThd" header is checked.
typedef std::vector<uint8_t> (*FileCheck)(const char* file, const std::vector<uint8_t>& bytes);
void SetFileCheck(FileCheck check);
// The gain last set by the master volume.
float MasterGain();
}  // namespace ggs4
