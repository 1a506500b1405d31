// The world map ("data\" world map file): a map that loads has its grid inside its cell list naming
// known tile kinds, its start and places on the grid, is searched as the map scene searches it,
// writes, and reads back the same.
#include <algorithm>
#include <cstdint>

#include "gamedata/datapath.h"
#include "gamedata/worldmap.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const char* const path = g_DataPath[DATAPATH_WORLD_MAP];
  FuzzWriteFile(path, data, size);
  cWorldMapData m;
  const int loaded = FuzzWatchedLoad(size, [&] { return m.Load(path); });
  FuzzTakeMessages();
  if (!loaded) return 0;
  FUZZ_CHECK(m.m_nWidth >= 1 && m.m_nHeight >= 1);
  FUZZ_CHECK(m.m_vCell.size() >= static_cast<size_t>(m.m_nHeight) << m.m_nShift);
  for (int y = 0; y < m.m_nHeight; ++y)
    for (int x = 0; x < m.m_nWidth; ++x)
      FUZZ_CHECK(static_cast<uint32_t>(m.m_vCell[x + (y << m.m_nShift)]) <
                 std::max<size_t>(m.m_vTileKind.size(), 1));
  FUZZ_CHECK(m.m_nStartX >= 0 && m.m_nStartX < m.m_nWidth && m.m_nStartY >= 0 && m.m_nStartY < m.m_nHeight);
  for (const cMapPlace& p : m.m_vPlace) {
    FUZZ_CHECK(p.m_nX >= 0 && p.m_nX < m.m_nWidth && p.m_nY >= 0 && p.m_nY < m.m_nHeight);
    FUZZ_CHECK(m.FindPlace(p.m_nX, p.m_nY) != nullptr);
    for (const cMapNode& n : p.m_vNode) m.IsStageOnMap(n.m_strStage, n.m_bVarSet, n.m_nVarIndex, n.m_nVarValue);
  }
  const FuzzBytes written = FuzzWrittenBytes(m);
  FUZZ_CHECK(!written.empty());
  cWorldMapData again;
  FUZZ_CHECK(again.Load("fuzz_written.bin") == 1);
  FUZZ_CHECK(FuzzWrittenBytes(again) == written);
  return 0;
}
