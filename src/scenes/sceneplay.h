// The play scene, as far as the stage data and the game objects reach it: the map cells ask it
// whether their conditions hold, through the check the scenes register with the stage data; the
// objects read its view.
#pragma once
#include "core/checked.h"
#include "scenes/scrollaxis.h"
#include "stagedata/cond.h"
#include "stagedata/mapcell.h"

class cScenePlay {
 public:
  virtual ~cScenePlay() = default;

  // 1 when the cell has no conditions, or latches and its conditions have held once. Otherwise the
  // conditions are tested on the hero, combined by the cell's logic byte; when they hold the cell is
  // latched (whether or not it keeps the latch) and the result is 1.
  int CheckBlockCond(cMapCell& cell) {
    if (cell.m_vCond.empty()) return 1;
    if (cell.m_bCondLatch && cell.m_bCondLatched) return 1;
    if (!CheckHeroCondList(cell.m_vCond, cell.m_cCondLogic)) return 0;
    cell.m_bCondLatched = 1;
    return 1;
  }

  // The view, horizontal then vertical.
  cScrollAxis m_ScrollX;
  cScrollAxis m_ScrollY;

 protected:
  // The conditions tested on the hero (element 0 of the hero vector), combined by logic: 0 every one
  // holds, 1 at least one.
  virtual int CheckHeroCondList(const cCheckedVector<cCond>& conds, int logic) = 0;
};

inline cScenePlay* g_pScenePlay = nullptr;

// Registers the play scene's checks with the stage data (at start-up): a map cell with conditions asks
// g_pScenePlay; while there is no play scene its conditions do not hold.
void RegisterScenePlayChecks();
