// "System.ini", the player's own settings text, read over the defaults of the system data's keys.
#include <cstdint>
#include <cstring>

#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  static const cSystemData kSystem;
  FuzzWriteFile("System.ini", data, size);
  cSystemIni ini;
  SetSystemIniDefault(ini, kSystem.m_vIniKey);
  FuzzWatchedLoad(size, [&] { return ReadSystemIni("System.ini", ini, kSystem.m_vIniKey); });
  FuzzTakeMessages();
  // The stage name is a C string, read whatever the file held.
  FUZZ_CHECK(std::memchr(ini.FreeStage, 0, sizeof(ini.FreeStage)) != nullptr);
  return 0;
}
