// A ranking file, loaded as the play scene loads the ranking of the stage it enters: a failed load
// leaves a reset set; a set that loads has 20 places per table, takes a result and saves again.
#include <cstdint>
#include <string>

#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const stage = "data\\stg4\\Town.";
  static const std::string path = [stage] {
    std::string p;
    MakeRankingPath(p, GAMETYPE_STORY, stage, 0, 0, 0);
    return p;
  }();
  static const cRankingData kLive = [] {
    cRankingData r;
    for (int t = 0; t < kRankTableCount; ++t)
      for (int n = 0; n < 3 + t; ++n) r.m_vTable[t].Insert("live", 100 * n + t);
    return r;
  }();
  static cRankingData reset;
  static const FuzzBytes kResetImage = FuzzWrittenBytes(reset);

  g_RankingData = kLive;
  FuzzWriteFile(path, data, size);
  const int loaded =
      FuzzWatchedLoad(size, [stage] { return g_RankingData.LoadFile(GAMETYPE_STORY, stage, 0, 0, 0); });
  FuzzTakeMessages();
  if (!loaded) {
    FUZZ_CHECK(FuzzWrittenBytes(g_RankingData) == kResetImage);
    return 0;
  }
  for (cRankTable& table : g_RankingData.m_vTable) {
    FUZZ_CHECK(table.m_vEntry.Size() == kRankPlaceCount);
    table.Insert("new", table.GetInsertPos(500));
  }
  for (int t = 0; t < kRankTableCount; ++t) g_RankingData.GetTableLayout(0, 0, t, 1, GAMETYPE_STORY);
  FUZZ_CHECK(g_RankingData.SaveFile(GAMETYPE_FREE, stage, 0, 0, 0) == 1);
  cRankingData again;
  FUZZ_CHECK(again.LoadFile(GAMETYPE_FREE, stage, 0, 0, 0) == 1);
  FuzzTakeMessages();
  return 0;
}
