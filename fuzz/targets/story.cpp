// A story slot file: loaded into the live progress as the slot menu loads it, shown in the slot
// list whether it loads or not.
#include <cstdint>

#include "gamedata/saveslot.h"
#include "progress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  SetLiveProgress();
  const FuzzBytes before = FuzzWrittenBytes(g_SaveData);
  FuzzWriteFile(GetStoryPath(0), data, size);
  const int loaded = FuzzWatchedLoad(size, [] { return g_SaveData.LoadStory(0); });
  FuzzTakeMessages();
  if (!loaded) FUZZ_CHECK(FuzzWrittenBytes(g_SaveData) == before);
  else UseLoadedProgress(g_SaveData);

  // The slot list reads the same file for its entry.
  cSaveSlotList list(2);
  list[1].m_bUsed = 1;
  FuzzWatchedLoad(size, [&] {
    LoadSaveSlotList(list);
    return 1;
  });
  FuzzTakeMessages();
  FUZZ_CHECK(list[1].m_bUsed == 0);
  return 0;
}
