// The characters of a stage other than the hero.
#pragma once
#include "objects/charabase.h"

class cChara : public cCharaBase {
 public:
  void DrawBlinkMark(DDSURFACEDATA* target);
};
