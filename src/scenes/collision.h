// Helpers shared by the play scene's block collision, contacts and summons.
#pragma once
#include "objects/charabase.h"
#include "objects/gameobj.h"

class cHero;
class cItemData;

// The object is of the hero's class. A plain character or the hero is told by its exact class,
// without walking the class tree; any other class is cast.
bool IsHeroObject(const cCharaBase* obj);
// The move mode 0-3 of the object, from its flying flag and block mode.
int MoveModeOf(const cGameObj& obj);
// The index of map cell (column, row) in g_MapCells, by the horizontal axis's row shift.
int CellIndexOf(int column, int row);
// Frames in a row without a floor after which a walking object counts as airborne.
int NoFloorLimit();
// A temporary item made from the definition, applied to the hero (ApplyItem's codes).
int ApplyPaletteItem(const cItemData& def, cHero* hero);
// Inclusive overlap of two boxes given by their edges: boxes that only touch overlap.
inline bool BoxesOverlap(double l1, double t1, double r1, double b1, double l2, double t2, double r2, double b2) {
  return l1 <= r2 && l2 <= r1 && t1 <= b2 && t2 <= b1;
}
bool BoxesOverlap(const cGameObj& a, const cGameObj& b);
// The character takes part in contacts and hits: its appearance conditions hold and it is not dead.
inline bool TakesPart(const cCharaBase& c) { return c.m_bActive && !c.m_bDead; }
class cEdShot;
// Settings of a summon record read by the block summons: refuse a block over the hero, over a
// character, and summon a character that gives no score.
bool SummonRefusesHero(const cEdShot& s);
bool SummonRefusesChara(const cEdShot& s);
bool SummonClearsScore(const cEdShot& s);
