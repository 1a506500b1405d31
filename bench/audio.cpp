// One 1024-frame pull of the mixer at 44.1 kHz (23 ms of sound) with what a busy scene plays at once:
// 16 effect voices (four sounds of four buffers each, so duplicates share their data), one Ogg stream
// and the synthesizer playing a 16-channel General MIDI tune. Goal: at most 2 ms a pull and no
// allocation in it; the allocations (malloc, and so new) made inside the pull are counted.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/audio/ggs4.h"
#include "platform/audio/mixer.h"
#include "platform/audio/vox.h"
#include "sound/effects.h"

#include "alloccount.h"

namespace {

void Put(std::vector<uint8_t>& b, std::initializer_list<int> bytes) {
  for (int v : bytes) b.push_back(static_cast<uint8_t>(v));
}

// A format-0 tune: every channel holds a chord that changes each quarter note, for 16 bars.
std::vector<uint8_t> Tune() {
  std::vector<uint8_t> t;
  for (int ch = 0; ch < 16; ++ch) Put(t, {0, 0xC0 | ch, (ch * 8) % 128});
  for (int beat = 0; beat < 64; ++beat) {
    for (int ch = 0; ch < 16; ++ch) {
      const int key = ch == 9 ? 35 + beat % 10 : 36 + (ch * 5 + beat * 3) % 48;
      Put(t, {0, 0x90 | ch, key, 100, 0, 0x90 | ch, key + 4, 90});
    }
    for (int ch = 0; ch < 16; ++ch) {
      const int key = ch == 9 ? 35 + beat % 10 : 36 + (ch * 5 + beat * 3) % 48;
      if (ch == 0)
        Put(t, {0x81, 0x40});  // each chord lasts 192 ticks
      else
        Put(t, {0});
      Put(t, {0x80 | ch, key, 0, 0, 0x80 | ch, key + 4, 0});
    }
  }
  Put(t, {0, 0xFF, 0x2F, 0});
  std::vector<uint8_t> f;
  Put(f, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k'});
  const size_t n = t.size();
  Put(f, {int(n >> 24) & 255, int(n >> 16) & 255, int(n >> 8) & 255, int(n) & 255});
  f.insert(f.end(), t.begin(), t.end());
  return f;
}

void WriteFile(const char* name, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(name, "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<uint8_t> Wave(double freq) {
  const int frames = 22050;
  std::vector<uint8_t> w;
  auto u32 = [&](uint32_t v) { Put(w, {int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255), int(v >> 24)}); };
  Put(w, {'R', 'I', 'F', 'F'});
  u32(36 + frames * 2);
  Put(w, {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  Put(w, {1, 0, 1, 0});
  u32(22050);
  u32(44100);
  Put(w, {2, 0, 16, 0, 'd', 'a', 't', 'a'});
  u32(frames * 2);
  for (int i = 0; i < frames; ++i) {
    const int s = static_cast<int>(8000 * std::sin(2 * M_PI * freq * i / 22050));
    Put(w, {s & 255, (s >> 8) & 255});
  }
  return w;
}

void BM_MixerPull(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "audio-bench";
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  audio::Configure(audio::Backend::Null, 44100);

  DS_Init(nullptr, 22050, 8, 1);
  std::vector<DSSOUNDDATA> sounds(4);
  for (int i = 0; i < 4; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%d.wav", i);
    WriteFile(name, Wave(220.0 * (i + 1)));
    DS_LoadSound(&sounds[i], name, 4, -600);
  }
  t_counting = true;
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) DS_Play(&sounds[i], DSBPLAY_LOOPING);
  t_counting = false;
  state.counters["allocations_in_DS_Play"] = static_cast<double>(g_allocations.exchange(0));

  // The Ogg clip is made with sox, which the setup script installs.
  IVox* ogg = CreateVox();
  const bool haveOgg = std::system("sox -n -r 44100 -c 2 music.ogg synth 30 sine 330 vol 0.5 2>/dev/null") == 0 &&
                       ogg->Open("music.ogg") && ogg->Play(0x7fffffff);
  if (!haveOgg) state.SetLabel("without Ogg: sox missing");

  WriteFile("tune.mid", Tune());
  const bool haveSynth = GGS4OpenDevice(-1, 0) == 0 && GGS4AddListFromFileA("tune.mid", 0, 0) == 0 &&
                         GGS4Play(1, 0, 0, 0, 0) == 0;
  if (!haveSynth) state.SkipWithError("no SoundFont");

  std::vector<float> out(2 * 1024);
  for (int i = 0; i < 50; ++i) audio::Pull(out.data(), 1024);  // past the start of every stream
  g_allocations = 0;
  long pulls = 0;
  for (auto _ : state) {
    t_counting = true;
    audio::Pull(out.data(), 1024);
    t_counting = false;
    ++pulls;
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["allocations_per_pull"] = pulls ? static_cast<double>(g_allocations) / pulls : 0;
  GGS4CloseDevice();
  ogg->Destroy();
  for (DSSOUNDDATA& s : sounds) DS_ReleaseSound(&s);
  DS_Release();
}
BENCHMARK(BM_MixerPull)->Unit(benchmark::kMicrosecond);

}  // namespace
