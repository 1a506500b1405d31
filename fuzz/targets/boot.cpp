// The start-up choice ("user_data\Boot.dat"): any file loads whole or leaves the choice as it was, and
// what loads writes and reads back the same.
#include <cstdint>

#include "gamedata/datapath.h"
#include "shell/startupsetting.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  FuzzWriteFile(g_DataPath[DATAPATH_BOOT], data, size);
  g_StartupSetting = cStartupSetting();
  FuzzAllocWatch watch;
  watch.Start();
  LoadStartupSetting();
  watch.Stop(size, 64);
  FuzzTakeMessages();
  FuzzCheckRoundTrip(g_StartupSetting);
  return 0;
}
