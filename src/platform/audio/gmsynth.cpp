#include "platform/audio/gmsynth.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "platform/audio/mixer.h"

namespace gmsynth {
namespace {

void Quiet(int, const char*, void*) {}

class Synth final : public MidiSink, public audio::Source {
 public:
  void ShortMessage(uint64_t, uint32_t m, uintptr_t) override {
    fluid_synth_t* s = synth;
    if (!s) return;
    const int ch = m & 0x0F, d1 = (m >> 8) & 0x7F, d2 = (m >> 16) & 0x7F;
    switch (m & 0xF0) {
      case 0x80: fluid_synth_noteoff(s, ch, d1); break;
      case 0x90: fluid_synth_noteon(s, ch, d1, d2); break;
      case 0xA0: fluid_synth_key_pressure(s, ch, d1, d2); break;
      case 0xB0: fluid_synth_cc(s, ch, d1, d2); break;
      case 0xC0: fluid_synth_program_change(s, ch, d1); break;
      case 0xD0: fluid_synth_channel_pressure(s, ch, d1); break;
      case 0xE0: fluid_synth_pitch_bend(s, ch, d1 | (d2 << 7)); break;
      default: break;
    }
  }
  void SysEx(uint64_t, const uint8_t* bytes, size_t length, uintptr_t) override {
    if (!synth || length < 2) return;
    // The synthesizer takes the message without its F0 and its final F7.
    size_t n = length - 1;
    if (bytes[length - 1] == 0xF7) --n;
    fluid_synth_sysex(synth, reinterpret_cast<const char*>(bytes + 1), static_cast<int>(n), nullptr, nullptr, nullptr, 0);
  }
  void AllNotesOff() override {
    if (synth) fluid_synth_all_notes_off(synth, -1);
  }

  void Mix(float* out, int frames) override {
    // While the SoundFont loads, the stream device's events wait in their queue rather than fall silent.
    if (loading) return;
    int pos = 0;
    while (pos < frames) {
      int n = frames - pos;
      if (auto* seq = sequencer.load()) n = std::max(1, std::min(n, seq(n)));
      if (synth) {
        fluid_synth_write_float(synth, n, left, 0, 1, right, 0, 1);
        const float g = gain.load(std::memory_order_relaxed);
        float* dst = out + 2 * pos;
        for (int i = 0; i < n; ++i) {
          dst[2 * i] += left[i] * g;
          dst[2 * i + 1] += right[i] * g;
        }
      }
      pos += n;
    }
  }

  fluid_settings_t* settings = nullptr;
  // Null while no SoundFont is loaded; set by the loader thread while a stream may be stopping.
  std::atomic<fluid_synth_t*> synth{nullptr};
  fluid_player_t* player = nullptr;
  bool paused = false;
  bool tried = false;
  bool loading = false;  // the loader thread is reading the SoundFont
  // A tune asked for while loading: played once the SoundFont is in.
  bool tunePending = false;
  bool tuneLoop = false;
  std::vector<uint8_t> tune;
  bool sourceAdded = false;
  std::atomic<float> gain{1.0f};
  std::atomic<int (*)(int)> sequencer{nullptr};
  float left[audio::kMaxSlice];
  float right[audio::kMaxSlice];
};

Synth& G() {
  static Synth* s = new Synth;  // the audio thread may outlive static destruction
  return *s;
}

bool g_soundFontSet = false;
std::string g_soundFont;

std::string FindSoundFont() {
  if (g_soundFontSet) return g_soundFont;
  static const char* const kCandidates[] = {
      "/usr/share/sounds/sf2/TimGM6mb.sf2",  // small: the large sets would break the memory goal
      "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/share/sounds/sf2/FluidR3_GM.sf2",
  };
  for (const char* c : kCandidates) {
    if (FILE* f = std::fopen(c, "rb")) {
      std::fclose(f);
      return c;
    }
  }
  return "";
}

void DeletePlayerLocked(Synth& g) {
  g.tunePending = false;
  g.tune.clear();
  if (!g.player) return;
  fluid_player_stop(g.player);
  delete_fluid_player(g.player);
  g.player = nullptr;
  if (g.synth) fluid_synth_all_notes_off(g.synth, -1);
}

bool StartPlayerLocked(Synth& g, const std::vector<uint8_t>& smf, bool loop) {
  g.player = new_fluid_player(g.synth);
  if (!g.player) return false;
  if (fluid_player_add_mem(g.player, smf.data(), smf.size()) != FLUID_OK) {
    delete_fluid_player(g.player);
    g.player = nullptr;
    return false;
  }
  fluid_player_set_loop(g.player, loop ? -1 : 1);
  fluid_player_play(g.player);
  g.paused = false;
  return true;
}

// Reads the SoundFont outside the mixer lock, so neither the caller nor the audio thread waits for it.
void Load(std::string path, int rate) {
  Synth& g = G();
  // The library reads the samples in an OpenMP team whose idle workers spin for a while afterwards,
  // taking processor time from the start-up; off its path, one thread reads them alone.
  using SetThreads = void (*)(int);
  if (auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"))) set(1);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", rate);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setnum(settings, "synth.gain", 0.5);  // the default 0.2 leaves General MIDI tunes faint
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (!synth || fluid_synth_sfload(synth, path.c_str(), 1) == FLUID_FAILED) {
    if (synth) delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    settings = nullptr;
    synth = nullptr;
  }
  auto lock = audio::LockMixer();
  g.loading = false;
  g.settings = settings;
  g.synth = synth;
  if (g.tunePending) {
    g.tunePending = false;
    std::vector<uint8_t> tune = std::move(g.tune);
    g.tune.clear();
    if (synth) StartPlayerLocked(g, tune, g.tuneLoop);
  }
}

std::mutex g_loaderMutex;
// Never destroyed: a process that ends without closing the device must not end on a joinable thread.
std::thread& Loader() {
  static auto* t = new std::thread;
  return *t;
}

}  // namespace

void EnsureSource() {
  Synth& g = G();
  auto lock = audio::LockMixer();
  if (g.sourceAdded) return;
  g.sourceAdded = true;
  lock.unlock();
  audio::AddSource(&g);
}

bool Open() {
  Synth& g = G();
  const int rate = audio::Rate();
  EnsureSource();
  std::lock_guard<std::mutex> loaderLock(g_loaderMutex);
  auto lock = audio::LockMixer();
  if (g.synth || g.loading) return true;
  if (g.tried) return false;
  g.tried = true;
  const std::string path = FindSoundFont();
  if (path.empty()) return false;
  for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, Quiet, nullptr);
  g.loading = true;
  Loader() = std::thread(Load, path, rate);
  return true;
}

void FinishLoading() {
  std::lock_guard<std::mutex> loaderLock(g_loaderMutex);
  if (Loader().joinable()) Loader().join();
}

MidiSink* Sink() {
  Synth& g = G();
  auto lock = audio::LockMixer();
  return g.synth || g.loading ? &g : nullptr;
}

void SetGain(float gain) { G().gain.store(gain); }

bool PlayerStart(const std::vector<uint8_t>& smf, bool loop) {
  Synth& g = G();
  auto lock = audio::LockMixer();
  DeletePlayerLocked(g);
  if (g.loading) {
    g.tune = smf;
    g.tuneLoop = loop;
    g.tunePending = true;
    g.paused = false;
    return true;
  }
  if (!g.synth) return false;
  return StartPlayerLocked(g, smf, loop);
}

void PlayerPause() {
  Synth& g = G();
  auto lock = audio::LockMixer();
  if (g.tunePending) {  // paused before its first note: nothing is left to resume
    DeletePlayerLocked(g);
    g.paused = true;
    return;
  }
  if (!g.player) return;
  fluid_player_stop(g.player);
  g.paused = true;
  if (g.synth) fluid_synth_all_notes_off(g.synth, -1);
}

void PlayerStop() {
  Synth& g = G();
  auto lock = audio::LockMixer();
  DeletePlayerLocked(g);
}

void PlayerStatus(bool* playing, int* tick) {
  Synth& g = G();
  auto lock = audio::LockMixer();
  // A player that has started counts as playing until it is paused or has played to its end.
  *playing = g.tunePending || (g.player && !g.paused && fluid_player_get_status(g.player) != FLUID_PLAYER_DONE);
  *tick = g.player ? fluid_player_get_current_tick(g.player) : 0;
}

void SetSequencer(int (*advance)(int)) { G().sequencer.store(advance); }

void SetSoundFontForTest(const char* path) {
  g_soundFontSet = path != nullptr;
  g_soundFont = path ? path : "";
}

void Close() {
  FinishLoading();
  Synth& g = G();
  auto lock = audio::LockMixer();
  DeletePlayerLocked(g);
  if (g.synth) delete_fluid_synth(g.synth);
  if (g.settings) delete_fluid_settings(g.settings);
  g.synth = nullptr;
  g.settings = nullptr;
  g.tried = false;
  g.gain = 1.0f;
}

}  // namespace gmsynth
