#include "stagedata/mapcell.h"

namespace {

int (*g_BlockCondCheck)(cMapCell& cell) = nullptr;

}  // namespace

void SetBlockCondCheck(int (*check)(cMapCell& cell)) { g_BlockCondCheck = check; }

cCheckedVector<cMapCell> g_MapCells;

int cMapCell::GetCellHitCode(int side) {
  if (!m_vCond.empty() && !(g_BlockCondCheck && g_BlockCondCheck(*this))) return 0;
  if (m_cHitExempt == side) return 0;
  return m_cHit;
}
