#include "platform/audio/mixer.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace audio {
namespace {

struct State {
  std::mutex mutex;  // held by the pull and by every change to the source list
  Source* sources[32] = {};
  int sourceCount = 0;
  Backend backend = Backend::Sdl;
  int configuredRate = 44100;
  int rate = 0;  // 0: not open
  SDL_AudioDeviceID sdlDevice = 0;
  bool absent = false;
  bool fellBack = false;  // the SDL device could not open: nothing pulls the mixer
  std::atomic<uint64_t> pulls{0};
  float scratch[kMaxSlice * 2];
};

State& S() {
  static State* s = new State;  // lives to the end of the process: the audio thread may outlive statics
  return *s;
}

// Renders under the lock that the caller holds.
void RenderLocked(State& s, float* out, int frames) {
  std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
  for (int i = 0; i < s.sourceCount; ++i) s.sources[i]->Mix(out, frames);
}

void Render(float* out, int frames) {
  State& s = S();
  s.pulls.fetch_add(1, std::memory_order_relaxed);
  std::lock_guard<std::mutex> lock(s.mutex);
  while (frames > 0) {
    const int n = std::min(frames, kMaxSlice);
    RenderLocked(s, out, n);
    out += 2 * n;
    frames -= n;
  }
}

void SdlCallback(void*, Uint8* stream, int len) { Render(reinterpret_cast<float*>(stream), len / 8); }

void OpenLocked(State& s) {
  if (s.rate) return;
  s.pulls = 0;
  s.fellBack = false;
  if (s.backend == Backend::Sdl && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    SDL_AudioSpec want{}, have{};
    want.freq = 44100;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = SdlCallback;
    s.sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (s.sdlDevice) {
      s.rate = have.freq;
      return;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  s.fellBack = s.backend == Backend::Sdl;
  s.rate = s.configuredRate;
}

void StartSdl(State& s) {
  if (s.sdlDevice) SDL_PauseAudioDevice(s.sdlDevice, 0);
}

void CloseDevice(State& s) {
  if (s.sdlDevice) {
    SDL_CloseAudioDevice(s.sdlDevice);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s.sdlDevice = 0;
  }
  s.rate = 0;
}

}  // namespace

void Configure(Backend backend, int rate) {
  State& s = S();
  CloseDevice(s);
  std::lock_guard<std::mutex> lock(s.mutex);
  s.backend = backend;
  s.configuredRate = rate;
}

int Rate() {
  State& s = S();
  int rate;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.rate) return s.rate;
    OpenLocked(s);
    rate = s.rate;
  }
  StartSdl(s);
  return rate;
}

bool Available() {
  if (S().absent) return false;
  const bool open = Rate() > 0;
  std::lock_guard<std::mutex> lock(S().mutex);
  return open && !S().fellBack;
}

void SetAbsent(bool absent) { S().absent = absent; }

void Shutdown() { CloseDevice(S()); }

void AddSource(Source* source) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (int i = 0; i < s.sourceCount; ++i)
    if (s.sources[i] == source) return;
  if (s.sourceCount < static_cast<int>(std::size(s.sources))) s.sources[s.sourceCount++] = source;
}

void RemoveSource(Source* source) {
  State& s = S();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (int i = 0; i < s.sourceCount; ++i) {
    if (s.sources[i] == source) {
      std::copy(s.sources + i + 1, s.sources + s.sourceCount, s.sources + i);
      --s.sourceCount;
      return;
    }
  }
}

std::unique_lock<std::mutex> LockMixer() { return std::unique_lock<std::mutex>(S().mutex); }

void Pull(float* out, int frames) { Render(out, frames); }

void PullS16(int16_t* out, int frames) {
  State& s = S();
  s.pulls.fetch_add(1, std::memory_order_relaxed);
  std::lock_guard<std::mutex> lock(s.mutex);
  while (frames > 0) {
    const int n = std::min(frames, kMaxSlice);
    RenderLocked(s, s.scratch, n);
    for (int i = 0; i < 2 * n; ++i) {
      const float v = std::nearbyint(s.scratch[i] * 32768.0f);
      out[i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
    }
    out += 2 * n;
    frames -= n;
  }
}

uint64_t PullCount() { return S().pulls.load(std::memory_order_relaxed); }

}  // namespace audio
