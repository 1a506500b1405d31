// The hero: the player's character, element 0 of the hero vector.
#pragma once
#include "objects/charabase.h"

class cInput;

class cHero : public cCharaBase {
 public:
  cInput* m_pInput = nullptr;
  void DrawSightMask(DDSURFACEDATA* target);  // the input device of the definition's player; key sequences read it

  // ---- The special floors and cell items under the hero's feet (the play scene writes them) ----
  int m_nFloorKind = 0;        // speed floor in force: 3 rate, 4 pushed left, 5 pushed right
  double m_dFloorRate = 0;     // its value
  int m_nFloorEffectTime = 0;  // frames the speed floor still acts
  int m_bNoJump = 0;           // stands on a no-jump floor
  int m_nBlockItemWait = 0;    // frames before a cell's item can be taken again
  int m_nJumpFrames = 0;       // rise time of a jump-pad launch
  int m_bJumpCancel = 0;       // stops a held jump
  // ---- end of the floor members ----
};
