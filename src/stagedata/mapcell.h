// The cells of the running stage's map. The play scene builds them from the placed blocks (a copy of
// each, the blank block made passable elsewhere); the collision code, the objects and the map drawing
// ask a cell for its hit code.
#pragma once
#include <cstdint>

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

// The play scene's check of a cell with conditions (1 when they hold), registered by the scenes at
// start-up. Without it a cell with conditions answers 0.
void SetBlockCondCheck(int (*check)(cMapCell& cell));

// Cell n of the overlay sheet, which holds 15 cells of 32 x 32 per column.
inline int OverlayCellX(int n) { return n / 15 * 32; }
inline int OverlayCellY(int n) { return n % 15 * 32; }
