// Sword types of the database ("SwordType.dat"): two pictures, one per facing, and the frames a
// swing goes through, each with its picture cell, size, place beside the owner and time.
#pragma once
#include <cstdint>
#include <string>

#include "core/record.h"

class cSwordTypePart : public cDataRecord {
 public:
  void RegisterFields(int version) override;

  int32_t m_nOfsX = 0;     // offset from the placement point, times the sword's scale
  int32_t m_nOfsY = 0;
  int32_t m_bMirrorX = 1;  // facing right, the x offset is subtracted
  int32_t m_bMirrorY = 0;  // facing right, the y offset is subtracted
  int32_t m_nPlace = 0;    // 0 in front, 1 behind, 2 above, 3 below
  int32_t m_nSrcX = 0;     // the frame's cell in the sword picture
  int32_t m_nSrcY = 0;
  int32_t m_nWidth = 0;    // also the sword's box
  int32_t m_nHeight = 0;
  int32_t m_nDuration = 1;  // tenths of a second
};

class cSwordTypeData : public cDataRecord {
 public:
  cSwordTypeData();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // All fields cleared and exactly one default part.
  void Reset();

  std::string m_strName;
  int32_t m_nAux = 0;  // stored and written back; the player does not read it
  std::string m_strFileLeft;
  std::string m_strFileRight;
  cCheckedVector<cSwordTypePart> m_vPart;
};

// Labels of the placement kinds, ended by "".
extern const char* const g_SwordPlaceLabels[5];
