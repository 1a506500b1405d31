// The MIDI file reader and the stream packer: a file either is refused or merges into an image whose
// every event the packer puts into buffers of the player's size, each within its buffer, until the
// whole track is taken.
#include <cstdint>
#include <vector>

#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "sound/midiplayer.h"
#include "support.h"

namespace {

// The SoundFont is loaded once, before the first input (the fuzzer times each input, and a stream's
// close waits for that load).
void LoadSynthesizer() {
  static const bool loaded = [] {
    audio::Configure(audio::Backend::Null, 22050);
    if (gmsynth::Open()) gmsynth::FinishLoading();
    return true;
  }();
  (void)loaded;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadSynthesizer();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  LoadSynthesizer();
  static const bool folder = MakeGameDirectory("bgm");
  FUZZ_CHECK(folder);
  const char* const path = "bgm\\fuzz.mid";
  FuzzWriteFile(path, data, size);
  cMidiStream stream(path);
  FuzzTakeMessages();
  if (!stream.HasImage()) return 0;
  const std::vector<uint8_t>& image = stream.Image();
  FUZZ_CHECK(image.size() >= cMidiFile::kImageHeader);
  std::vector<char> buffer(cMidiStream::kBufferSize);
  MIDIHDR header{};
  header.lpData = buffer.data();
  header.dwBufferLength = cMidiStream::kBufferSize;
  size_t pos = cMidiFile::kImageHeader;
  // Each fill takes at least one event; an image holds fewer events than bytes.
  for (size_t fills = 0; pos < image.size(); ++fills) {
    FUZZ_CHECK(fills <= image.size());
    const size_t taken = stream.FillBuffer(pos, &header);
    FUZZ_CHECK(header.dwBytesRecorded <= header.dwBufferLength);
    if (taken == 0) break;
    pos += taken;
    FUZZ_CHECK(pos <= image.size());
  }
  FuzzTakeMessages();
  return 0;
}
