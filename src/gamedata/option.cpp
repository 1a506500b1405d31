#include "gamedata/option.h"

#include <algorithm>

cOptionData g_OptionData;

cOptionData::cOptionData() {
  Clear();
  m_bBgm = 1;
  m_nVolume = 7;
  m_strRankName = "aaa";
}

void cOptionData::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nPalette);
  AddField32(&m_bBgm);
  AddField32(&m_nVolume);
  AddField32(&m_nRankMode);
  AddString(&m_strRankName);
}

int cOptionData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  m_nPalette = std::clamp(m_nPalette, 0, 23);
  m_bBgm = std::clamp(m_bBgm, 0, 1);
  m_nVolume = std::clamp(m_nVolume, 0, kOptionVolumeSteps - 1);
  m_nRankMode = std::clamp(m_nRankMode, 0, 3);
  return 1;
}

int32_t OptionSoundVolume(int step) {
  static constexpr int32_t kVolume[kOptionVolumeSteps] = {-10000, -3000, -2000, -1300, -800, -500,
                                                          -300,   -150,  -80,   -30,   0};
  return kVolume[std::clamp(step, 0, kOptionVolumeSteps - 1)];
}
