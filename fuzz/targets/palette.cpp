// The common palette ("data\" common palette file), loaded into the live palette as start-up does.
// A failed load leaves the palette as it was; one that loads writes, and reads back the same.
#include <cstdint>

#include "gamedata/datapath.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_COMMON_PALETTE];
  static const cCommonPaletteData kLive = [] {
    cCommonPaletteData p;
    p.m_vBlock.resize(3);
    p.m_vBlock[1].m_sGraphic = 4;
    p.m_vChara.resize(2);
    p.m_vChara[1].m_sGraphic = 2;
    p.m_vItem.resize(2);
    return p;
  }();
  g_CommonPalette = kLive;
  g_StageData.Reset();
  const FuzzBytes before = FuzzWrittenBytes(g_CommonPalette);

  FuzzWriteFile(path, data, size);
  const int loaded = FuzzWatchedLoad(size, [&] { return g_CommonPalette.Load(path); });
  FuzzTakeMessages();
  if (!loaded) {
    FUZZ_CHECK(FuzzWrittenBytes(g_CommonPalette) == before);
    return 0;
  }
  const FuzzBytes written = FuzzWrittenBytes(g_CommonPalette);
  FUZZ_CHECK(!written.empty());
  FuzzWriteFile(path, written);
  FUZZ_CHECK(g_CommonPalette.Load(path) == 1);
  FUZZ_CHECK(FuzzWrittenBytes(g_CommonPalette) == written);
  return 0;
}
