// The music files of the five situations (0 title, 1 world map, 2 challenge stage select, 3 options,
// 4 stage): one Ogg and one MIDI entry per situation.
#pragma once
#include <cstdint>
#include <string>

struct BgmOggSlot {
  std::string szFile;
  int32_t nVolume = 0;  // 0-100, 100 full
};

struct BgmMidiSlot {
  std::string szFile;
  int32_t nReserved = 0;
  int32_t nVolume = 100;  // 0-100
};

constexpr int kBgmSlots = 5;
// The built-in tables, indexed by situation.
extern BgmOggSlot g_BgmOggSlots[kBgmSlots];
extern BgmMidiSlot g_BgmMidiSlots[kBgmSlots];
