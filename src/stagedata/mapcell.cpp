#include "stagedata/mapcell.h"

#include "scenes/sceneplay.h"

cCheckedVector<cMapCell> g_MapCells;

int cMapCell::GetCellHitCode(int side) {
  if (!m_vCond.empty() && !(g_pScenePlay && g_pScenePlay->CheckBlockCond(*this))) return 0;
  if (m_cHitExempt == side) return 0;
  return m_cHit;
}
