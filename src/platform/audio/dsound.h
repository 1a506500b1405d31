// DirectSound in the manner the sound effects use it: a device, a primary buffer whose format is
// recorded and not used, and static secondary buffers of PCM that play through the mixer. Each buffer
// (and each duplicate, which shares the PCM of its source) is a voice with its own position, state and
// volume. Voices are locked inside: any thread may play, stop or change them while the pull runs.
#pragma once
#include <cstdint>

#include "platform/win/types.h"

#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  WAVEFORMATEX* lpwfxFormat;
};

constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032);
constexpr HRESULT DSERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001);

class IDirectSoundBuffer {
 public:
  virtual HRESULT SetFormat(const WAVEFORMATEX* format) = 0;
  virtual HRESULT Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                       DWORD flags) = 0;
  // The PCM is converted once here to the mixer's format.
  virtual HRESULT Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2) = 0;
  virtual HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT SetCurrentPosition(DWORD bytes) = 0;
  virtual HRESULT GetCurrentPosition(DWORD* play, DWORD* write) = 0;
  // Hundredths of a decibel, -10000 (silent) to 0.
  virtual HRESULT SetVolume(LONG volume) = 0;
  virtual HRESULT GetVolume(LONG* volume) = 0;
  virtual HRESULT GetStatus(DWORD* status) = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IDirectSoundBuffer() = default;
};

class IDirectSound {
 public:
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
  // Secondary buffers accept PCM only: 8-bit unsigned or 16-bit signed, 1 or 2 channels, any rate.
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void* outer) = 0;
  virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* source, IDirectSoundBuffer** out) = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IDirectSound() = default;
};

typedef BOOL (*LPDSENUMCALLBACKA)(GUID* guid, const char* description, const char* module, void* context);

// Reports the default entry (null GUID) and, when an output device exists, the device itself.
HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, void* context);
HRESULT DirectSoundCreate(const GUID* device, IDirectSound** out, void* outer);

namespace dsound {
// The format last set on a primary buffer (recorded only).
WAVEFORMATEX LastPrimaryFormat();
// Secondary buffers alive (duplicates included).
int LiveBufferCount();
// Gain of a volume in hundredths of a decibel: 10^(mB/2000), 0 at -10000 and below.
float GainOf(LONG millibels);
}  // namespace dsound
