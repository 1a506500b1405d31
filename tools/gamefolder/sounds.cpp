// Waves synthesised from tones, glides and noise, and the tune written note by note: the game's
// sounds and music come from nothing but this code.
#include <cmath>
#include <cstdint>
#include <vector>

#include "gamefolder/filebytes.h"
#include "gamefolder/gamefolder.h"
#include "gamefolder/media_writers.h"
#include "platform/fs/path.h"

namespace {

constexpr int kRate = 22050;

// Samples in -1..1: the phase advances by the frequency gliding from start to end; noise comes from a
// fixed generator, so the same description gives the same samples.
std::vector<double> Synthesise(const SynthWave& w) {
  const int n = std::max(1, w.ms * kRate / 1000);
  std::vector<double> out(static_cast<size_t>(n));
  double phase = 0;
  uint32_t noise = 12345;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    const double hz = w.startHz + (w.endHz - w.startHz) * t;
    phase += hz / kRate;
    phase -= std::floor(phase);
    double v = 0;
    switch (w.kind) {
      case SynthWave::kTone: v = std::sin(2 * M_PI * phase); break;
      case SynthWave::kSquare: v = phase < 0.5 ? 0.6 : -0.6; break;
      case SynthWave::kNoise:
        noise = noise * 1103515245u + 12345u;
        v = static_cast<double>((noise >> 16) & 0x7FFF) / 16384.0 - 1.0;
        break;
    }
    const double attack = std::min(1.0, i / (kRate * 0.005));
    out[static_cast<size_t>(i)] = 0.7 * v * attack * (1.0 - t);
  }
  return out;
}

}  // namespace

bool WriteSynthWave(const SynthWave& w) {
  const std::vector<double> samples = Synthesise(w);
  WaveSpec format;
  format.rate = kRate;
  format.bits = static_cast<uint16_t>(w.bits == 8 ? 8 : 16);
  std::vector<uint8_t> pcm;
  if (format.bits == 8) {
    for (double v : samples) pcm.push_back(static_cast<uint8_t>(std::lround(128 + v * 127)));
  } else {
    std::vector<int16_t> s16;
    for (double v : samples) s16.push_back(static_cast<int16_t>(std::lround(v * 32767)));
    pcm = Pcm16(s16);
  }
  return WriteFileBytes(ResolveHostPath(w.path), WaveBytes(format, pcm));
}

std::vector<uint8_t> DemoTuneBytes() {
  constexpr uint16_t kDivision = 480;  // ticks per quarter note
  constexpr uint32_t kEighth = kDivision / 2;
  SmfWriter smf(1, kDivision);
  smf.Track().Tempo(0, 500000).Meta(0, 0x58, {4, 2, 24, 8}).End();
  // Melody: two bars over C, Am, F, G, played twice.
  static const int kMelody[] = {72, 76, 79, 76, 72, 76, 79, 84, 69, 72, 76, 72, 69, 72, 76, 81,
                                65, 69, 72, 69, 65, 69, 72, 77, 67, 71, 74, 71, 67, 71, 74, 79};
  smf.Track().Program(0, 0, 80);
  for (int rep = 0; rep < 2; ++rep)
    for (int i = 0; i < 32; ++i) {
      const int key = kMelody[i] - (i % 8 == 7 && rep ? 12 : 0);
      smf.NoteOn(0, 0, key, 90).NoteOff(kEighth, 0, key);
    }
  smf.End();
  // Bass: one root per bar, in quarters.
  static const int kBass[] = {36, 33, 29, 31};
  smf.Track().Program(0, 1, 38);
  for (int rep = 0; rep < 2; ++rep)
    for (int root : kBass)
      for (int q = 0; q < 4; ++q) smf.NoteOn(0, 1, root + (q == 2 ? 7 : 0), 100).NoteOff(kDivision, 1, root + (q == 2 ? 7 : 0));
  smf.End();
  // Drums on channel 10: kick, hat, snare, hat.
  static const int kDrum[] = {36, 42, 38, 42};
  smf.Track();
  for (int beat = 0; beat < 32; ++beat) smf.NoteOn(0, 9, kDrum[beat % 4], 80).NoteOff(kDivision, 9, kDrum[beat % 4]);
  smf.End();
  return smf.Bytes();
}
