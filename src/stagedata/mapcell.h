// The cells of the running stage's map. The play scene builds them from the placed blocks (a copy of
// each, the blank block made passable elsewhere); the collision code, the objects and the map drawing
// ask a cell for its hit code.
#pragma once
#include <cstdint>
#include <vector>

#include "core/checked.h"
#include "stagedata/blockdata.h"

class cMapCell : public cBlockData {
 public:
  cMapCell() = default;
  explicit cMapCell(const cBlockData& block) : cBlockData(block) {}

  // The hit code for an object of the given side: 0 while the cell's conditions do not hold (the
  // registered check decides; without one they do not hold), 0 for the side the cell lets through,
  // otherwise m_cHit.
  int GetCellHitCode(int side);

  int32_t m_bCondLatched = 0;  // the conditions have held once
};

// The cells of the running stage with ten cells of margin on every side, row by row; a cell's index
// is column + (row << the horizontal scroll axis's shift). Stage set-up builds it.
extern cCheckedVector<cMapCell> g_MapCells;

// What the collision tests read of each map cell, four bytes a cell beside the large records of
// g_MapCells, so that the many probes of a sub-step stay in the cache. The play scene builds it with
// the map and refreshes a cell wherever one changes; it serves only while it covers the whole map
// (a map laid by other means is read from its records).
struct cCellHit {
  int8_t m_cHit = 0;
  int8_t m_cHitExempt = -1;
  uint8_t m_bCond = 0;  // the cell has conditions: its records answer
};

class cMapHitGrid {
 public:
  // Every cell of g_MapCells anew.
  void Rebuild();
  // Cell `index` of g_MapCells after it changed.
  void Refresh(int index);
  void Clear() { m_vCell.clear(); }
  // The entry of cell `index`, or null when the grid does not cover the map or the index lies outside.
  const cCellHit* Find(int index) const {
    return m_vCell.size() == g_MapCells.size() && static_cast<size_t>(index) < m_vCell.size() ? &m_vCell[index]
                                                                                              : nullptr;
  }

 private:
  std::vector<cCellHit> m_vCell;
};

extern cMapHitGrid g_MapHits;

// The play scene's check of a cell with conditions (1 when they hold), registered by the scenes at
// start-up. Without it a cell with conditions answers 0.
void SetBlockCondCheck(int (*check)(cMapCell& cell));

// Cell n of the overlay sheet, which holds 15 cells of 32 x 32 per column.
inline int OverlayCellX(int n) { return n / 15 * 32; }
inline int OverlayCellY(int n) { return n % 15 * 32; }
