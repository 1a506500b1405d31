// The key configuration ("user_data\KeyConfig.dat"): what the start-up takes from any file is the
// file's configuration when every value is one the game can poll with, else the default keys; and
// the game polls with it without reaching past its entries or its joysticks.
#include <cstdint>
#include <cstring>

#include "gamedata/datapath.h"
#include "gamedata/input.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_KEY_CONFIG];
  FuzzWriteFile(path, data, size);
  KEYCONFIG config;
  std::memset(&config, 0xA5, sizeof config);
  LoadKeyConfigOrDefault(path, &config);
  FUZZ_CHECK(KeyConfigIsSound(config));
  KEYCONFIG defaults;
  DefaultKeyConfig(&defaults);
  KEYCONFIG file = defaults;
  std::memcpy(&file, data, size < sizeof file ? size : sizeof file);
  const KEYCONFIG& expect = KeyConfigIsSound(file) ? file : defaults;
  FUZZ_CHECK(std::memcmp(&config, &expect, sizeof config) == 0);
  g_KeyConfig = config;
  cInput input;
  input.ReadConfig(1, 0);
  FuzzTakeMessages();
  return 0;
}
