// Frame tables built from the database's animations and effects.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "stagedata/database.h"
#include "dbtesting.h"

namespace {

using FrameSpec = std::vector<std::tuple<int32_t, int32_t, int32_t>>;  // value, duration, hold

struct FrameCase {
  const char* name;
  bool entryZero;
  FrameSpec frames;
  cAnimSeqFrames expected;
};

class FrameTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    g_Database.SetDefaults();
    g_AnimeFrameTables.clear();
    g_EffectFrameTables.clear();
  }
};

// The case's entry at index 0, or at index 1 behind a default entry.
template <class Entry, class Part>
void PlaceEntry(cCheckedVector<Entry>& list, cCheckedVector<Part> Entry::*parts, const FrameCase& c) {
  Entry e;
  (e.*parts).clear();
  for (auto [value, duration, hold] : c.frames) {
    Part p;
    p.m_nValue = value;
    p.m_nDuration = duration;
    if constexpr (requires { p.m_bHold; }) p.m_bHold = hold;
    (e.*parts).push_back(p);
  }
  list.assign(c.entryZero ? 0 : 1, Entry());
  list.push_back(e);
}

// Builds the table of each case's list and compares the case's sequence.
template <class Entry, class Part>
void CheckCases(const std::vector<FrameCase>& cases, cCheckedVector<Entry>& list,
                cCheckedVector<Part> Entry::*parts, void (*build)(cAnimFrameTable&), cAnimFrameTable& table) {
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    PlaceEntry(list, parts, c);
    build(table);
    ASSERT_EQ(table.size(), list.size());
    EXPECT_EQ(table.back(), c.expected);
  }
}

}  // namespace

TEST_F(FrameTableTest, AnimationSequences) {
  const std::vector<FrameCase> cases = {
      {"hold spreads from the first held frame", false, {{1, 1, 0}, {2, 2, 1}, {3, 3, 0}},
       {{1, 6, 0}, {2, 12, 1}, {3, 18, 1}, {ANIMSEQ_END, 0, 0}}},
      {"entry 0 takes no time, holds and restarts", true, {{5, 5, 0}, {6, 7, 0}},
       {{5, 0, 1}, {6, 0, 1}, {ANIMSEQ_RESTART, 0, 1}}},
      {"no frames", false, {}, {{ANIMSEQ_END, 0, 0}}},
      {"entry 0 without frames", true, {}, {{ANIMSEQ_RESTART, 0, 1}}},
      {"times beyond an int stop at its ends", false, {{1, INT_MAX, 0}, {2, INT_MIN / 2, 0}},
       {{1, INT_MAX, 0}, {2, INT_MIN, 0}, {ANIMSEQ_END, 0, 0}}},
  };
  CheckCases(cases, g_Database.m_vAnime, &cAnimeData::m_vFrame, BuildAnimeFrameTables, g_AnimeFrameTables);
}

TEST_F(FrameTableTest, EffectSequencesNeverHoldOutsideEntryZero) {
  const std::vector<FrameCase> cases = {
      {"plays once and ends", false, {{3, 2, 0}, {4, 1, 0}}, {{3, 12, 0}, {4, 6, 0}, {ANIMSEQ_END, 0, 0}}},
      {"entry 0 takes no time, holds and restarts", true, {{3, 2, 0}, {4, 1, 0}},
       {{3, 0, 1}, {4, 0, 1}, {ANIMSEQ_RESTART, 0, 1}}},
      {"no parts: ends at once", false, {}, {{ANIMSEQ_END, 0, 0}}},
  };
  CheckCases(cases, g_Database.m_vEffect, &cEffectData::m_vPart, BuildEffectFrameTables, g_EffectFrameTables);
}
