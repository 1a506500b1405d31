// The hit code of a map cell for a side, as cMapCell::GetCellHitCode gives it, answered in place for
// a cell without conditions (nearly every cell): the collision loops ask many cells per object and
// sub-step. A cell with conditions still goes through the registered check, once per question.
#pragma once
#include "stagedata/mapcell.h"

inline int CellHitCode(cMapCell& cell, int side) {
  if (!cell.m_vCond.empty()) return cell.GetCellHitCode(side);
  return cell.m_cHitExempt == side ? 0 : cell.m_cHit;
}
