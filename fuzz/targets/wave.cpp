// The wave reader (the RIFF chunk walk and the format and data chunks) and the sound buffer made from
// what it accepts: a file is refused, or gives whole frames that the file holds, never more.
#include <cstdint>

#include "platform/audio/mixer.h"
#include "sound/effects.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static const bool ready = [] {
    audio::Configure(audio::Backend::Null, 22050);
    return MakeGameDirectory("wave") && DS_Init(nullptr, 22050, 8, 1);
  }();
  FUZZ_CHECK(ready);
  const char* const path = "wave\\fuzz.wav";
  FuzzWriteFile(path, data, size);
  DSWAVE wave;
  if (DS_LoadWave(path, &wave)) {
    FUZZ_CHECK(!wave.data.empty() && wave.data.size() <= size);
    if (wave.format.nBlockAlign > 0) FUZZ_CHECK(wave.data.size() % wave.format.nBlockAlign == 0);
    IDirectSoundBuffer* buffer = nullptr;
    if (DS_CreateBuffer(&buffer, path)) {
      FUZZ_CHECK(buffer != nullptr);
      buffer->Release();
    }
  }
  FuzzTakeMessages();
  return 0;
}
