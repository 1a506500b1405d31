#include <gtest/gtest.h>

#include <vector>

#include "gamedata/input.h"

namespace {

// Feeds one (direction, button) pair per frame.
void Feed(cInput& in, std::vector<std::pair<uint16_t, uint16_t>> frames) {
  for (auto [dir, button] : frames) {
    in.m_wDir = dir;
    in.m_wButton = button;
    in.RecordEdges();
  }
}

std::vector<cKeyRun> Newest(const cKeyRunList& runs, int count) { return {runs.begin(), runs.begin() + count}; }

TEST(InputRuns, EachKeyKeepsItsPressedAndReleasedRunsNewestFirst) {
  cInput in;
  // Left 2 frames, up-left 1, nothing 3; button 1 then buttons 1 and 3.
  Feed(in, {{1, 1}, {1, 1}, {5, 5}, {0, 0}, {0, 0}, {0, 0}});
  using R = std::vector<cKeyRun>;
  EXPECT_EQ(Newest(in.m_vDirRuns[1], 3), (R{{0, 4}, {1, 2}, {0, 0}})) << "left only";
  EXPECT_EQ(Newest(in.m_vDirRuns[5], 3), (R{{0, 3}, {1, 1}, {0, 2}})) << "up-left (word 5)";
  EXPECT_EQ(Newest(in.m_vDirRuns[9], 2), (R{{0, 3}, {1, 3}})) << "any direction";
  EXPECT_EQ(Newest(in.m_vDirRuns[0], 2), (R{{1, 3}, {0, 3}})) << "no direction";
  EXPECT_EQ(Newest(in.m_vButtonRuns[1], 2), (R{{0, 3}, {1, 3}}));
  EXPECT_EQ(Newest(in.m_vButtonRuns[3], 3), (R{{0, 3}, {1, 1}, {0, 2}}));
  EXPECT_EQ(Newest(in.m_vButtonRuns[0], 2), (R{{1, 3}, {0, 3}})) << "no button";
  for (const cKeyRunList& runs : in.m_vDirRuns) EXPECT_EQ(runs.Size(), kKeyRunDepth);
}

TEST(InputRuns, AHistoryKeepsThirtyTwoRunsAndTrimmingForgetsThem) {
  cInput in;
  for (int i = 0; i < 40; ++i) Feed(in, {{static_cast<uint16_t>(i % 2 ? 2 : 0), 0}});
  const cKeyRunList& right = in.m_vDirRuns[2];
  ASSERT_EQ(right.Size(), kKeyRunDepth);
  for (int i = 0; i < kKeyRunDepth; ++i) EXPECT_EQ(right[i], (cKeyRun{i % 2 ? 0 : 1, 1})) << i;
  in.TrimEdges();
  EXPECT_EQ(in.m_vDirRuns[2], cKeyRunList(kKeyRunDepth));
  EXPECT_EQ(in.m_vButtonRuns.Size(), kButtonKeyCount);
}

}  // namespace
