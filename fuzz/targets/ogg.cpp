// The Ogg player's open of a file: any bytes open or are refused, and the player is destroyed clean.
#include <cstdint>

#include "platform/audio/mixer.h"
#include "platform/audio/vox.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static const bool ready = [] {
    audio::Configure(audio::Backend::Null, 22050);
    return MakeGameDirectory("bgm");
  }();
  FUZZ_CHECK(ready);
  const char* const path = "bgm\\fuzz.ogg";
  FuzzWriteFile(path, data, size);
  IVox* vox = CreateVox();
  FUZZ_CHECK(vox != nullptr);
  if (vox->Open(path)) {
    vox->Prepare();
    vox->Stop();
  }
  vox->Destroy();
  FUZZ_CHECK(vox::LiveCount() == 0);
  FuzzTakeMessages();
  return 0;
}
