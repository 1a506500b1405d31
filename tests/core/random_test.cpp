#include "core/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

#include "core/thread.h"

namespace {

const std::vector<int> kFirstDraws = {41, 18467, 6334, 26500, 19169, 15724};

unsigned DrawSix(void* arg) {
  auto* out = static_cast<std::vector<int>*>(arg);
  for (int i = 0; i < 6; ++i) out->push_back(RandRange(0, 32767));
  return 0;
}

}  // namespace

TEST(Random, EveryNewThreadStartsAtStateOne) {
  RandSeed(12345);  // the starting thread's own state does not leak into new ones
  RandNext();
  for (int round = 0; round < 2; ++round) {
    std::vector<int> draws;
    cThread t;
    ASSERT_EQ(t.Start(&DrawSix, &draws), 1);
    t.Wait();
    EXPECT_EQ(draws, kFirstDraws) << "round " << round;
  }
}

TEST(Random, SeedRestartsTheSequence) {
  RandSeed(1);
  std::vector<int> draws;
  for (int i = 0; i < 6; ++i) draws.push_back(RandNext());
  EXPECT_EQ(draws, kFirstDraws);
  RandSeed(1);
  EXPECT_EQ(RandRange(10, 20), 10 + 41 % 11);
  EXPECT_EQ(RandRange(20, 10), 10 + 18467 % 11);  // the order of the bounds does not matter
}

TEST(Random, RangeStaysWithinBoundsForAnySpan) {
  RandSeed(7);
  std::set<int> seen;
  for (int i = 0; i < 400; ++i) {
    int r = RandRange(5, 2);
    ASSERT_GE(r, 2);
    ASSERT_LE(r, 5);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(RandRange(3, 3), 3);
  EXPECT_EQ(RandRange(-8, -8), -8);

  // Spans of 2^31 values and more: no division by zero, and the low end plus the draw.
  RandSeed(1);
  EXPECT_EQ(RandRange(INT_MIN, INT_MAX), INT_MIN + 41);
  EXPECT_EQ(RandRange(INT_MAX, -1), -1 + 18467);
  EXPECT_EQ(RandRange(INT_MIN, -1), INT_MIN + 6334);
}
