// Effects of the database ("Effect.dat"): short picture animations played at a point of the stage.
// The frames are cells of one horizontal strip; frame k is drawn from the cell m_nValue × m_nFrameW.
#pragma once
#include <cstdint>

#include "core/record.h"
#include "stagedata/animframes.h"
#include "stagedata/media.h"

class cEffectPart : public cDataRecord {
 public:
  void RegisterFields(int version) override;

  int32_t m_nValue = 0;     // cell counted from the left of the strip
  int32_t m_nDuration = 1;  // tenths of a second
};

class cEffectData : public cDbFileData {
 public:
  cEffectData();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // Frame cells of 32 × 32, no scaling, exactly one part {0, 1}.
  void Normalize();

  int32_t m_nFrameW = 32;
  int32_t m_nFrameH = 32;
  // Shown at an object whose scale is above 1, the effect is drawn enlarged by that scale.
  int32_t m_bScaleWithObject = 0;
  cCheckedVector<cEffectPart> m_vPart;
};

extern cAnimFrameTable g_EffectFrameTables;

// Rebuilds the table from the database's effects.
void BuildEffectFrameTables(cAnimFrameTable& table);
