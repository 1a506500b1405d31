// The player's options ("user_data\Option.dat"): values that load are within their ranges, and
// write and read back the same.
#include <cstdint>

#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_OPTION];
  FuzzWriteFile(path, data, size);
  cOptionData o;
  const int loaded = FuzzWatchedLoad(size, [&] { return o.Load(path); });
  FuzzTakeMessages();
  if (!loaded) return 0;
  FUZZ_CHECK(o.m_nPalette >= 0 && o.m_nPalette <= 23);
  FUZZ_CHECK(o.m_bBgm == 0 || o.m_bBgm == 1);
  FUZZ_CHECK(o.m_nVolume >= 0 && o.m_nVolume < kOptionVolumeSteps);
  FUZZ_CHECK(o.m_nRankMode >= 0 && o.m_nRankMode <= 3);
  FuzzCheckRoundTrip(o);
  return 0;
}
