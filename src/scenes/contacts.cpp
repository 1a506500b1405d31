// Contacts between objects: block characters as solid bodies that push, carry and crush the hero
// and the other characters.
#include "objects/objlists.h"
#include "scenes/collision.h"
#include "scenes/sceneplay.h"

bool BoxesOverlap(double l1, double t1, double r1, double b1, double l2, double t2, double r2, double b2) {
  return l1 <= r2 && l2 <= r1 && t1 <= b2 && t2 <= b1;
}

bool BoxesOverlap(const cGameObj& a, const cGameObj& b) {
  return BoxesOverlap(a.m_dX, a.m_dY, a.m_dRight, a.m_dBottom, b.m_dX, b.m_dY, b.m_dRight, b.m_dBottom);
}

bool TakesPart(const cCharaBase& c) { return c.m_bActive && !c.m_bDead; }

int cScenePlay::OverlapsAnyBlockChara(cCharaBase* obj, cCheckedList<cChara>& list) {
  if (MoveModeOf(*obj) == MOVE_FLY_THROUGH) return 0;
  for (cChara& c : list) {
    if (&c != obj && c.m_Chara.m_bBlockChara && TakesPart(c) && BoxesOverlap(*obj, c)) return 1;
  }
  return 0;
}

int cScenePlay::OverlapsBlockChara(cCharaBase* obj, cCheckedList<cChara>& list, int excluded) {
  if (MoveModeOf(*obj) == MOVE_FLY_THROUGH) return 0;
  for (cChara& c : list) {
    if (&c != obj && c.m_nObjNo != excluded && c.m_Chara.m_bBlockChara && TakesPart(c) && BoxesOverlap(*obj, c))
      return 1;
  }
  return 0;
}
