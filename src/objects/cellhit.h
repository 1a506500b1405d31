// The hit code of a map cell for a side, as cMapCell::GetCellHitCode gives it, answered in place for
// a cell without conditions (nearly every cell): the collision loops ask many cells per object and
// sub-step. A cell with conditions still goes through the registered check, once per question.
#pragma once
#include "stagedata/mapcell.h"

inline int CellHitCode(cMapCell& cell, int side) {
  if (!cell.m_vCond.empty()) return cell.GetCellHitCode(side);
  return cell.m_cHitExempt == side ? 0 : cell.m_cHit;
}

// The same for cell `index` of g_MapCells, read from the compact grid where it serves; a cell with
// conditions, and an index outside the map (reported), go to the record. `conditions` is set when the
// cell has conditions.
inline int CellHitCode(int index, int side, bool& conditions) {
  if (const cCellHit* h = g_MapHits.Find(index); h && !h->m_bCond) return h->m_cHitExempt == side ? 0 : h->m_cHit;
  cMapCell& cell = g_MapCells.At(index);
  conditions = conditions || !cell.m_vCond.empty();
  return CellHitCode(cell, side);
}

inline int CellHitCode(int index, int side) {
  bool conditions = false;
  return CellHitCode(index, side, conditions);
}
