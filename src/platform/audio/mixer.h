// The audio output: one device and the project's own mixer. The mixer adds the sources (sound-effect
// voices, the synthesizer, Ogg streams) into interleaved stereo float frames at the device's rate.
// Two back ends: SDL2 (its audio thread pulls the mixer) and a null device with no thread, which tests
// and headless runs pull by hand.
#pragma once
#include <cstdint>
#include <mutex>

namespace audio {

// Longest slice a source is asked to render in one call.
constexpr int kMaxSlice = 4096;

class Source {
 public:
  virtual ~Source() = default;
  // Adds `frames` (at most kMaxSlice) stereo frames into out. Runs inside the pull, under the mixer
  // lock: no allocation, no file input or output.
  virtual void Mix(float* out, int frames) = 0;
};

enum class Backend { Null, Sdl };

// Chooses the back end and, for the null device, its rate; closes an open device. Sources that
// converted their data keep the old rate: configure before any sound is loaded.
void Configure(Backend backend, int rate = 44100);
// Opens the device when it is not open yet; its rate.
int Rate();
// Whether an output device exists: false while it is made absent, and when the SDL device could not
// open (the null device then stands in, unpulled, so that music players still find a rate).
bool Available();
void SetAbsent(bool absent);
void Shutdown();

void AddSource(Source* source);
// Returns when no pull is inside the source any more.
void RemoveSource(Source* source);
// Holds the pull out while a source changes what the pull reads.
std::unique_lock<std::mutex> LockMixer();

// The null device: renders frames of interleaved stereo.
void Pull(float* out, int frames);
void PullS16(int16_t* out, int frames);
// Pulls counted since the device opened (each call to the back end's pull counts once).
uint64_t PullCount();

}  // namespace audio
