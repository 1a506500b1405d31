// The challenge progress file, loaded into the live progress as challenge mode loads it.
#include <cstdint>

#include "gamedata/datapath.h"
#include "progress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  SetLiveProgress();
  const FuzzBytes before = FuzzWrittenBytes(g_SaveData);
  FuzzWriteFile(g_DataPath[DATAPATH_CHALLENGE], data, size);
  const int loaded = FuzzWatchedLoad(size, [] { return g_SaveData.LoadChallenge(); });
  FuzzTakeMessages();
  if (!loaded) FUZZ_CHECK(FuzzWrittenBytes(g_SaveData) == before);
  else UseLoadedProgress(g_SaveData);
  return 0;
}
