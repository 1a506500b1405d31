// Small records a stage holds: the out-of-area settings that decide when objects that left the view
// are deleted, the background layers and the texts of the stage variable names. All are plain record
// bodies without a tail.
#pragma once
#include <cstdint>
#include <string>

#include "core/record.h"

class cStageSubRec : public cDataRecord {
 public:
  cStageSubRec();
  void RegisterFields(int version) override;
  void Set(int32_t left, int32_t right, int32_t top, int32_t bottom, int32_t marginLeft, int32_t marginRight,
           int32_t marginTop, int32_t marginBottom);

  // Objects beyond a side are deleted while its switch is on; the margins count 32-pixel cells
  // beyond the view. Files before 125 store only the left switch: the other three keep their values.
  int32_t m_bLeft = 0;
  int32_t m_bRight = 0;
  int32_t m_bTop = 0;
  int32_t m_bBottom = 0;
  int32_t m_nLeft = 0;
  int32_t m_nRight = 0;
  int32_t m_nTop = 0;
  int32_t m_nBottom = 0;
};

class cBackLayerData : public cDataRecord {
 public:
  // A new layer has the layer defaults.
  cBackLayerData();
  void RegisterFields(int version) override;
  void SetDefaults();
  // Files before 876 kept a self-moving axis's speed in its rate: the speed moves out and the rate
  // becomes 1. Run by the stage reader once the layers are read.
  void ConvertOldAutoScroll();

  int32_t m_bShow = 1;
  int32_t m_bFill = 0;  // 1: fills the screen with m_nColor; 0: shows the picture
  int32_t m_nColor = 16;
  int32_t m_nPass = 0;  // drawing pass
  double m_dRateX = 0.1;  // movement per pixel of scroll
  double m_dRateY = 0.1;
  int32_t m_bAutoX = 0;  // the layer also moves by itself
  int32_t m_bAutoY = 0;
  double m_dAutoSpeedX = 0;  // pixels per frame
  double m_dAutoSpeedY = 0;
  std::string m_strPicture;
  double m_dAutoPosX = 0;  // current self-movement offset
  double m_dAutoPosY = 0;
};

class cStringRec : public cDataRecord {
 public:
  cStringRec();
  void RegisterFields(int version) override;

  std::string m_strText;
};
