// The player's options, kept in "user_data\Option.dat": the 8-bit display palette, music on or off,
// the sound-effect volume step and how results enter the rankings.
#pragma once
#include <cstdint>
#include <string>

#include "core/record.h"

// Ranking registration modes: 0 and 1 register on F3 on the result screen, 2 and 3 when the result
// is confirmed; 0 and 2 ask for the name, 1 and 3 use m_strRankName.
class cOptionData : public cDataRecord {
 public:
  int32_t m_nPalette;   // 0..23: palette loaded at start-up in 8-bit display mode
  int32_t m_bBgm;       // 0..1: music on
  int32_t m_nVolume;    // 0..10: sound-effect volume step
  int32_t m_nRankMode;  // 0..3
  std::string m_strRankName;  // the fixed registration name of modes 1 and 3

  cOptionData();
  void RegisterFields(int version) override;
  // Reads the body and brings every value into its range: the file is the player's and may be
  // damaged, and the volume and mode index tables.
  int Read(cDataFile& file) override;
};

extern cOptionData g_OptionData;

constexpr int kOptionVolumeSteps = 11;
// The sound-effect volume of a step, in hundredths of a decibel (0 is full volume); a step outside
// 0..10 takes the nearest one.
int32_t OptionSoundVolume(int step);
