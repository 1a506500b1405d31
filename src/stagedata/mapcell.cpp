#include "stagedata/mapcell.h"

namespace {

int (*g_BlockCondCheck)(cMapCell& cell) = nullptr;

}  // namespace

void SetBlockCondCheck(int (*check)(cMapCell& cell)) { g_BlockCondCheck = check; }

cCheckedVector<cMapCell> g_MapCells;
cMapHitGrid g_MapHits;

namespace {

cCellHit HitOf(const cMapCell& cell) {
  return cCellHit{cell.m_cHit, cell.m_cHitExempt, static_cast<uint8_t>(!cell.m_vCond.empty())};
}

}  // namespace

void cMapHitGrid::Rebuild() {
  m_vCell.resize(g_MapCells.size());
  for (size_t i = 0; i < m_vCell.size(); ++i) m_vCell[i] = HitOf(g_MapCells[i]);
}

void cMapHitGrid::Refresh(int index) {
  if (m_vCell.size() == g_MapCells.size() && static_cast<size_t>(index) < m_vCell.size())
    m_vCell[index] = HitOf(g_MapCells[index]);
}

int cMapCell::GetCellHitCode(int side) {
  if (!m_vCond.empty() && !(g_BlockCondCheck && g_BlockCondCheck(*this))) return 0;
  if (m_cHitExempt == side) return 0;
  return m_cHit;
}
