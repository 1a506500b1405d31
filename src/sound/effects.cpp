#include "sound/effects.h"

#include <algorithm>
#include <atomic>

#include "core/log.h"
#include "platform/audio/mmio.h"

IDirectSound* g_lpDS = nullptr;
bool g_bDSDevice = false;
std::vector<DSSOUNDDATA> g_vSound;
std::vector<DSSOUNDSRC> g_vSoundSrc;

namespace {
IDirectSoundBuffer* g_lpPrimary = nullptr;
HWND g_hDSWindow = nullptr;
std::vector<DSSOUNDDATA>* g_pRuntime = nullptr;
std::vector<DSSOUNDSRC>* g_pSources = nullptr;

IDirectSoundBuffer* BufferAt(DSSOUNDDATA* sound, int index) {
  if (!sound || index < 0 || index >= static_cast<int>(sound->vBuffer.size())) return nullptr;
  return sound->vBuffer[index];
}
}  // namespace

BOOL DS_EnumCallback(GUID* guid, const char* description, const char*, void*) {
  // The default entry comes with a null GUID and does not count as a device.
  if (guid && description) g_bDSDevice = true;
  return TRUE;
}

bool DS_Init(HWND window, int samplesPerSec, int bitsPerSample, int channels) {
  g_bDSDevice = false;
  DirectSoundEnumerateA(DS_EnumCallback, nullptr);
  if (!g_bDSDevice) return false;
  if (FAILED(DirectSoundCreate(nullptr, &g_lpDS, nullptr))) {
    g_lpDS = nullptr;
    DebugLog("DIRECTSOUNDCREATE_ERR!");
    return false;
  }
  if (FAILED(g_lpDS->SetCooperativeLevel(window, DSSCL_PRIORITY))) {
    DebugLog("SETCOOPERATIVELEVEL_ERR!");
    return false;
  }
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  if (FAILED(g_lpDS->CreateSoundBuffer(&desc, &g_lpPrimary, nullptr))) {
    g_lpPrimary = nullptr;
    DebugLog("CREATESOUNDBUFFER_ERR!");
    return false;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = static_cast<DWORD>(samplesPerSec);
  format.wBitsPerSample = static_cast<WORD>(bitsPerSample);
  format.nBlockAlign = static_cast<WORD>(channels * bitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  format.cbSize = 0;
  g_lpPrimary->SetFormat(&format);  // the result is not checked
  g_hDSWindow = window;
  g_pRuntime = nullptr;
  g_pSources = nullptr;
  return true;
}

bool DS_LoadWave(const char* file, DSWAVE* out) {
  if (!g_lpDS) return true;
  HMMIO h = mmioOpenA(file, nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (!h) return false;
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
    ReportLogEcho("%s の読み込みに失敗しました…\n不正なファイルです。", file);
    mmioClose(h, 0);
    return false;
  }
  MMCKINFO chunk{};
  chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(h, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
    mmioClose(h, 0);
    return false;
  }
  // A plain 16-byte PCM header has no extra-size field: the zeroed format counts it as 0.
  out->format = WAVEFORMATEX{};
  bool accepted = false;
  if (chunk.cksize >= 14) {
    const LONG want = static_cast<LONG>(std::min<DWORD>(chunk.cksize, sizeof(WAVEFORMATEX)));
    accepted = mmioRead(h, reinterpret_cast<char*>(&out->format), want) == want && out->format.cbSize == 0;
  }
  if (!accepted) {
    ReportLogEcho(
        "%s の読み込みに失敗しました…。対応していない形式か、不正なwavファイルです。"
        "本ソフトではWave拡張フォーマットが無効かつ非圧縮のPCM形式のみ再生できます。",
        file);
    mmioClose(h, 0);
    return false;
  }
  mmioAscend(h, &chunk, 0);
  chunk = MMCKINFO{};
  chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(h, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || chunk.cksize == 0) {
    mmioClose(h, 0);
    return false;
  }
  // A "data" chunk that claims more than the file holds gives the whole frames the file has: the
  // allocation follows the file, never the claim.
  const LONG fileSize = mmioSeek(h, 0, SEEK_END_MMIO);
  mmioSeek(h, static_cast<LONG>(chunk.dwDataOffset), SEEK_SET_MMIO);
  size_t size = std::min<size_t>(chunk.cksize, static_cast<size_t>(fileSize) - chunk.dwDataOffset);
  if (out->format.nBlockAlign > 0) size -= size % out->format.nBlockAlign;
  if (size == 0) {
    mmioClose(h, 0);
    return false;
  }
  out->data.assign(size, 0);
  mmioRead(h, reinterpret_cast<char*>(out->data.data()), static_cast<LONG>(size));
  mmioClose(h, 0);
  return true;
}

void DS_FreeWave(DSWAVE* wave) {
  if (!wave) return;
  wave->data.clear();
  wave->data.shrink_to_fit();
}

bool DS_CreateBuffer(IDirectSoundBuffer** out, const char* file) {
  if (!g_lpDS) return true;
  DSWAVE wave;
  if (!DS_LoadWave(file, &wave)) {
    ReportLogEcho("%s の読み込みに失敗しました！", file);
    return false;
  }
  DSBUFFERDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                 DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = static_cast<DWORD>(wave.data.size());
  desc.lpwfxFormat = &wave.format;
  if (FAILED(g_lpDS->CreateSoundBuffer(&desc, out, nullptr))) {
    *out = nullptr;
    DebugLogF("%s生成失敗！", file);
    return false;
  }
  void* p = nullptr;
  DWORD bytes = 0;
  if (SUCCEEDED((*out)->Lock(0, 0, &p, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) {
    std::copy(wave.data.begin(), wave.data.begin() + std::min<size_t>(bytes, wave.data.size()), static_cast<uint8_t*>(p));
    (*out)->Unlock(p, bytes, nullptr, 0);
  }
  DS_FreeWave(&wave);
  return true;
}

bool DS_DuplicateBuffer(IDirectSoundBuffer** out, IDirectSoundBuffer* source) {
  if (!g_lpDS) return true;
  if (FAILED(g_lpDS->DuplicateSoundBuffer(source, out))) {
    *out = nullptr;
    return false;
  }
  return true;
}

bool DS_LoadSound(DSSOUNDDATA* sound, const char* file, int count, int volume) {
  if (!g_lpDS) return true;
  *sound = DSSOUNDDATA{};
  count = std::max(count, 1);
  std::vector<IDirectSoundBuffer*> buffers(static_cast<size_t>(count), nullptr);
  if (!DS_CreateBuffer(&buffers[0], file)) return false;
  for (int i = 1; i < count; ++i) {
    if (!DS_DuplicateBuffer(&buffers[i], buffers[0])) {
      DebugLogF("%sのメモリ共用バッファの生成失敗！", file);
      // The buffers made so far are released: a half-made sound stays unloaded.
      for (int j = i - 1; j >= 0; --j) buffers[j]->Release();
      return false;
    }
  }
  sound->vBuffer = std::move(buffers);
  sound->nCount = count;
  sound->strFile = file;
  if (volume != 0)
    for (int i = 0; i < count; ++i) DS_SetVolume(sound, i, volume, 0);
  return true;
}

int DS_LoadSounds(std::vector<DSSOUNDDATA>& runtime, std::vector<DSSOUNDSRC>& sources, int volume) {
  if (!g_lpDS) return 1;
  g_pRuntime = &runtime;
  g_pSources = &sources;
  const size_t n = std::min(runtime.size(), sources.size());
  for (size_t i = 0; i < n; ++i) {
    if (!runtime[i].vBuffer.empty()) continue;
    const DSSOUNDSRC& src = sources[i];
    DS_LoadSound(&runtime[i], src.strFile.c_str(), src.nCount, volume != 0 ? volume : src.nVolume);
  }
  return 1;
}

void DS_Play(DSSOUNDDATA* sound, DWORD flags) {
  if (!g_lpDS || !sound || sound->vBuffer.empty()) return;
  // The game thread and the window thread may play one sound at once: the buffer is taken and the
  // turn passed on in one step, so two plays never take the same buffer or lose a turn.
  const int32_t count = std::min<int32_t>(sound->nCount, static_cast<int32_t>(sound->vBuffer.size()));
  std::atomic_ref<int32_t> next(sound->nNext);
  int32_t seen = next.load(), taken = 0;
  do {
    taken = seen < 0 || seen >= count ? 0 : seen;
  } while (!next.compare_exchange_weak(seen, taken + 1 >= count ? 0 : taken + 1));
  IDirectSoundBuffer* b = sound->vBuffer[taken];
  if (!b) return;
  b->Stop();
  b->SetCurrentPosition(0);
  b->Play(0, 0, flags);
}

void DS_PlayCursorSound(const uint16_t* dir, int axes, int soundIndex) {
  if (!g_lpDS || !dir || soundIndex < 0 || soundIndex >= static_cast<int>(g_vSound.size())) return;
  DSSOUNDDATA* sound = &g_vSound[soundIndex];
  if ((axes & 1) && (*dir & (1 | 2))) DS_Play(sound, 0);
  if ((axes & 2) && (*dir & (4 | 8))) DS_Play(sound, 0);
}

int DS_GetVolume(DSSOUNDDATA* sound, int buffer) {
  if (!g_lpDS) return 0;
  IDirectSoundBuffer* b = BufferAt(sound, buffer);
  LONG v = 0;
  if (b) b->GetVolume(&v);
  return v;
}

int DS_SetVolume(DSSOUNDDATA* sound, int buffer, int volume, char relative) {
  if (!g_lpDS) return 0;
  IDirectSoundBuffer* b = BufferAt(sound, buffer);
  if (!b) return 0;
  if (relative == 1) volume += DS_GetVolume(sound, buffer);
  volume = std::clamp(volume, static_cast<int>(DSBVOLUME_MIN), static_cast<int>(DSBVOLUME_MAX));
  b->SetVolume(volume);
  return volume;
}

void DS_ReleaseSound(DSSOUNDDATA* sound) {
  if (!g_lpDS || !sound || sound->vBuffer.empty()) return;
  for (size_t i = sound->vBuffer.size(); i-- > 1;)
    if (sound->vBuffer[i]) sound->vBuffer[i]->Release();
  if (sound->vBuffer[0]) sound->vBuffer[0]->Release();
  sound->vBuffer.clear();
  sound->nCount = 0;
  std::atomic_ref<int32_t>(sound->nNext).store(0);
}

void DS_Release() {
  if (!g_lpDS) return;
  if (g_pRuntime)
    for (DSSOUNDDATA& s : *g_pRuntime) DS_ReleaseSound(&s);
  if (g_lpPrimary) {
    g_lpPrimary->Release();
    g_lpPrimary = nullptr;
  }
  g_lpDS->Release();
  g_lpDS = nullptr;
  g_pRuntime = nullptr;
  g_pSources = nullptr;
  g_hDSWindow = nullptr;
}
