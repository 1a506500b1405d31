// Helpers shared by the play scene's block collision, contacts and summons.
#pragma once
#include "objects/gameobj.h"

class cHero;
class cItemData;

// The move mode 0-3 of the object, from its flying flag and block mode.
int MoveModeOf(const cGameObj& obj);
// The index of map cell (column, row) in g_MapCells, by the horizontal axis's row shift.
int CellIndexOf(int column, int row);
// Frames in a row without a floor after which a walking object counts as airborne.
int NoFloorLimit();
// A temporary item made from the definition, applied to the hero (ApplyItem's codes).
int ApplyPaletteItem(const cItemData& def, cHero* hero);
// Inclusive overlap of two boxes given by their edges: boxes that only touch overlap.
bool BoxesOverlap(double l1, double t1, double r1, double b1, double l2, double t2, double r2, double b2);
bool BoxesOverlap(const cGameObj& a, const cGameObj& b);
class cCharaBase;
// The character takes part in contacts and hits: its appearance conditions hold and it is not dead.
bool TakesPart(const cCharaBase& c);
