// The window placement ("user_data\Window.dat"): a placement that loads lies on the screen with a
// client size the window can take, and writes and reads back the same.
#include <cstdint>

#include "gamedata/datapath.h"
#include "shell/wndplacement.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_WINDOW];
  FuzzWriteFile(path, data, size);
  cWndPlacement w;
  const int loaded = FuzzWatchedLoad(size, [&] { return w.Load(path); });
  FuzzTakeMessages();
  if (!loaded) return 0;
  FUZZ_CHECK(w.m_nX >= 0 && w.m_nY >= 0);
  FUZZ_CHECK(w.m_nWidth >= kMinClientWidth && w.m_nHeight >= kMinClientHeight);
  FuzzCheckRoundTrip(w);
  return 0;
}
