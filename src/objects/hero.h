// The hero: the player's character, element 0 of the hero vector.
#pragma once
#include "objects/charabase.h"

class cInput;

class cHero : public cCharaBase {
 public:
  cInput* m_pInput = nullptr;  // the input device of the definition's player; key sequences read it
};
