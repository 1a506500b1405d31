// "data\System.dat" of any data version: a system record that loads is brought to the current
// layout, sizes a new game's progress, answers the play screen's questions, writes, and reads back
// the same.
#include <cstdint>

#include "gamedata/datapath.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_SYSTEM];
  FuzzWriteFile(path, data, size);
  cSystemData d;
  const int loaded = FuzzWatchedLoad(size, [&] { return d.Load(path); });
  FuzzTakeMessages();
  if (!loaded) return 0;
  // A count below 0 stands for none (the progress clamps it); a larger one than any game has fails.
  FUZZ_CHECK(d.m_nChallengeNum <= kMaxChallengeStages);
  // A new game sizes its challenge list by the loaded count.
  cSaveData progress;
  progress.Reset(d.m_nChallengeNum);
  for (int type = 0; type < 3; ++type) d.GetRankTableNum(type);
  for (int item = 0; item < 5; ++item) d.IsUnderThreshold(item, 3, 10);
  const FuzzBytes written = FuzzWrittenBytes(d);
  FUZZ_CHECK(!written.empty());
  cSystemData again;
  FUZZ_CHECK(again.Load("fuzz_written.bin") == 1);
  FUZZ_CHECK(FuzzWrittenBytes(again) == written);
  return 0;
}
