// The characters of a stage other than the hero.
#pragma once
#include "objects/charabase.h"

class cItem;

class cChara : public cCharaBase {
 public:
  int AfterMoveX() override;
  int AfterMoveY() override;
  using cCharaBase::Init;
  // Set-up from the definition: box and rectangles, the carried item (a copy of heldItem, or none),
  // the base sequence and, last, the flows.
  void Init(int objNo, const cCharaData& def, const cItem* heldItem, double homeX, double homeY, int16_t level,
            int startSeq, const cAnimFrameTable* table);
};
