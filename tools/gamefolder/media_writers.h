// Writers of sound files for the game folder and for tests: RIFF/WAVE with every field chosen, and
// Standard MIDI Files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A RIFF/WAVE file. The chunks are written in the order given; each chunk of odd size gets a pad byte.
struct WaveSpec {
  uint16_t tag = 1;  // WAVE_FORMAT_PCM
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  uint32_t fmtSize = 16;  // 16: no cbSize field; 18 and above: cbSize follows, then zero bytes
  uint16_t cbSize = 0;
  bool dataBeforeFmt = false;
  bool waveForm = true;              // false: the form type is "AVI " instead of "WAVE"
  int64_t dataSizeClaimed = -1;      // the "data" length field; -1: the real size
  std::vector<uint8_t> extraChunkBeforeFmt;  // when not empty: a "LIST" chunk with these bytes
};
std::vector<uint8_t> WaveBytes(const WaveSpec& layout, const std::vector<uint8_t>& pcm);
// 16-bit little-endian samples as bytes.
std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples);

// A Standard MIDI File, track by track. Events are raw bytes after their delta time, so running
// status is written by leaving the status out.
class SmfWriter {
 public:
  SmfWriter(int format, uint16_t division) : format_(format), division_(division) {}
  SmfWriter& Track();  // starts a new track; the events below go into it
  SmfWriter& Ev(uint32_t delta, std::vector<uint8_t> bytes);
  SmfWriter& NoteOn(uint32_t delta, int ch, int key, int vel) { return Ev(delta, {uint8_t(0x90 | ch), uint8_t(key), uint8_t(vel)}); }
  SmfWriter& NoteOff(uint32_t delta, int ch, int key) { return Ev(delta, {uint8_t(0x80 | ch), uint8_t(key), 0}); }
  SmfWriter& Program(uint32_t delta, int ch, int program) { return Ev(delta, {uint8_t(0xC0 | ch), uint8_t(program)}); }
  SmfWriter& Tempo(uint32_t delta, uint32_t usPerQuarter);
  SmfWriter& SysEx(uint32_t delta, const std::vector<uint8_t>& data);  // F0, length, data
  SmfWriter& Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& data);
  SmfWriter& End(uint32_t delta = 0) { return Ev(delta, {0xFF, 0x2F, 0x00}); }
  // Bytes written after the current track's end of track, inside its chunk.
  SmfWriter& Pad(size_t n);
  // A chunk of another kind before the next track.
  SmfWriter& AlienChunk(const std::string& tag, size_t n);
  std::vector<uint8_t> Bytes() const;

 private:
  int format_;
  uint16_t division_;
  std::vector<std::vector<uint8_t>> chunks_;  // whole chunks, in order
  std::vector<size_t> trackChunks_;
};
void AppendVarLen(std::vector<uint8_t>& out, uint32_t v);
