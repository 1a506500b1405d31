// An effect of the database's effect list played once on the play screen: for the effect command at
// a given place, or for a hit at the overlap of two rectangles. The play scene keeps them in its list
// and removes those whose Draw reports 1.
#pragma once
#include "objects/animseq.h"

struct DDSURFACEDATA;
struct cRectD;

class cEffectObj {
 public:
  // Stores the fields and builds the frames; a number marked invalid or beyond the effect list is
  // reported and entry 0 plays.
  void SetupFromCommand(int effectNo, double x, double y, int width, int height, int countFrozen);
  // Centred on the overlap of a and b (or on (0, 0) when they do not overlap), scaled by scale when
  // the effect allows it, then moved by a random offset in -4 scale .. 4 scale: x drawn first, then y.
  void SetupAtHit(int effectNo, const cRectD& a, const cRectD& b, int scale);
  // The sequencer holds one sequence, a copy of the effect's frame list, started forced.
  void BuildAnim(int effectNo);
  // One drawn frame; 1 when the effect has ended.
  int Draw(DDSURFACEDATA* target, int frozen);

  int m_nEffectNo = 0;  // low 16 bits: the effect list index; bit 0x8000 marks it invalid
  double m_dX = 0;      // stage position of the top-left corner
  double m_dY = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_bStretched = 0;
  cAnimSeq m_AnimSeq;
  int m_bCountFrozen = 0;
};
