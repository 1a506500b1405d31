// The one General MIDI synthesizer of the program, on FluidSynth with a SoundFont from the system. It
// renders inside the mixer pull and serves both MIDI paths (the stream device and the soft-synth
// player), which never sound at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Where MIDI events go: the synthesizer, or a recording sink in tests.
class MidiSink {
 public:
  virtual ~MidiSink() = default;
  // sample: the sending stream's clock in frames; user: the user field of the buffer it came from.
  virtual void ShortMessage(uint64_t sample, uint32_t message, uintptr_t user) = 0;
  // A system-exclusive message with its F0 or F7 status byte first.
  virtual void SysEx(uint64_t sample, const uint8_t* bytes, size_t length, uintptr_t user) = 0;
  virtual void AllNotesOff() = 0;
};

namespace gmsynth {

// Creates the synthesizer and starts loading the SoundFont once, on a thread of its own; false when
// there is no SoundFont or its load has failed. Until the load ends, the file player keeps the tune it
// is given and the stream device's events wait, so they sound from their start once it is in.
bool Open();
// Waits for the SoundFont load to end (shut-down and device close call it: no thread is left behind).
void FinishLoading();
// The synthesizer as a sink; null when it is not open or loading.
MidiSink* Sink();
// Output gain (1 at full volume).
void SetGain(float gain);

// The file player of the soft-synth path, driven by the sample clock of the pull.
bool PlayerStart(const std::vector<uint8_t>& smf, bool loop);
void PlayerPause();
void PlayerStop();
// Whether the player is playing, and its position in ticks.
void PlayerStatus(bool* playing, int* tick);

// The sequencer of the stream device: called at each step of the pull with the frames left in it;
// sends the events that are due and returns how many frames may be rendered before the next one.
void SetSequencer(int (*advance)(int maxFrames));
// Makes sure the synthesizer's mixer source runs (also without a SoundFont, for the sequencer).
void EnsureSource();

// The SoundFont to load: null for the system's General MIDI sets (TimGM6mb first), "" for none.
// Takes effect at the next Open after Close.
void SetSoundFontForTest(const char* path);
void Close();

}  // namespace gmsynth
