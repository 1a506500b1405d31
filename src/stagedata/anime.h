// Animations of the database: "AnimeSet.dat" holds the animation sets a character takes its motions
// from, "Anime.dat" the free animations that flows start by number. Each animation is a list of
// frames, each naming a picture frame and its display time in tenths of a second.
#pragma once
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

#include "core/record.h"
#include "stagedata/animframes.h"

class cAnimFrame : public cDataRecord {
 public:
  void RegisterFields(int version) override;

  int32_t m_nValue = 0;     // picture frame number
  int32_t m_nDuration = 1;  // tenths of a second
  int32_t m_bHold = 0;      // from the first held frame on, the animation holds
};

class cAnimeData : public cDataRecord {
 public:
  cAnimeData();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // All fields cleared and exactly one frame {0, 1, 0}; what a new animation holds.
  void Reset();

  std::string m_strName;
  cCheckedVector<cAnimFrame> m_vFrame;
  // Kept for writing back; the player does not read them.
  int16_t m_nExtraA = 0;
  int8_t m_nExtraB = 1;
  int16_t m_nExtraC = 0;
};

class cAnimeSetData : public cDataRecord {
 public:
  cAnimeSetData();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // The standard set: offsets 4, 8, 0 and the four motions "立ち", "立ち移動", "飛行", "飛行移動".
  void Normalize();

  std::string m_strName;
  int32_t m_nFrameOfsInvincible = 4;  // added to the drawn frame while invulnerable
  int32_t m_nFrameOfsStatus = 8;      // added while the no-hit status is set
  int32_t m_nFrameOfsFlying = 0;      // added while in a flying movement mode
  // 0 standing, 1 moving while standing, 2 flying, 3 moving while flying, then the author's own.
  cCheckedVector<cAnimeData> m_vMotion;
};

// Frame tables of the free animations and of the effects, one sequence per database entry.
extern cAnimFrameTable g_AnimeFrameTables;

// Rebuilds the table from the database's animations.
void BuildAnimeFrameTables(cAnimFrameTable& table);

// Display time in tenths of a second as ticks of 1/60 s, kept within the range of an int.
inline int TicksOfTenths(int32_t tenths) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{tenths} * 6, INT_MIN, INT_MAX));
}

// The sequence of one database entry. Entry 0 stands for none: its frames take no time, all hold,
// and it restarts for ever. Any other entry plays once and ends; its frames hold from the first one
// whose own hold flag is set, when its parts have such a flag.
template <class Part>
cAnimSeqFrames MakeFrameSequence(const cCheckedVector<Part>& parts, bool entryZero) {
  cAnimSeqFrames seq(parts.size() + 1);
  int hold = entryZero ? 1 : 0;
  for (size_t k = 0; k < parts.size(); ++k) {
    const Part& p = parts[k];
    if constexpr (requires { p.m_bHold; }) {
      if (p.m_bHold) hold = 1;
    }
    seq[k] = cAnimSeqFrame{p.m_nValue, entryZero ? 0 : TicksOfTenths(p.m_nDuration), hold};
  }
  seq.back() = entryZero ? cAnimSeqFrame{ANIMSEQ_RESTART, 0, 1} : cAnimSeqFrame{ANIMSEQ_END, 0, 0};
  return seq;
}

template <class Entry, class Part>
void BuildFrameTable(cAnimFrameTable& table, const cCheckedVector<Entry>& entries,
                     cCheckedVector<Part> Entry::*parts) {
  table.clear();
  table.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) table.push_back(MakeFrameSequence(entries[i].*parts, i == 0));
}
