#include <gtest/gtest.h>

#include <vector>

#include "stagedata/mapcell.h"
#include "support/definitions.h"

namespace {

// The registered check answers `g_nHolds` and counts the cells it was asked about.
int g_nHolds = 0;
int g_nChecks = 0;

int CountingCheck(cMapCell&) {
  ++g_nChecks;
  return g_nHolds;
}

class MapCellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nHolds = 0;
    g_nChecks = 0;
    SetBlockCondCheck(CountingCheck);
  }
  void TearDown() override { SetBlockCondCheck(nullptr); }

  // The hit codes for sides 0 to 7.
  static std::vector<int> HitCodes(cMapCell& cell) {
    std::vector<int> codes;
    for (int side = 0; side < 8; ++side) codes.push_back(cell.GetCellHitCode(side));
    return codes;
  }
};

TEST_F(MapCellTest, HitCodeBySide) {
  cMapCell solid(PlacedBlock(0, 0, 1, 1));
  solid.m_cHitExempt = 3;
  EXPECT_EQ(HitCodes(solid), (std::vector<int>{1, 1, 1, 0, 1, 1, 1, 1}));
  cMapCell deadly(PlacedBlock(0, 0, 1, 2));
  EXPECT_EQ(HitCodes(deadly), std::vector<int>(8, 2));
  cMapCell passable(PlacedBlock(0, 0, 1, 0));
  EXPECT_EQ(HitCodes(passable), std::vector<int>(8, 0));
  EXPECT_EQ(g_nChecks, 0) << "cells without conditions are not checked";
}

TEST_F(MapCellTest, TheRegisteredCheckDecidesACellWithConditions) {
  cMapCell cell(PlacedBlock(0, 0, 1, 1));
  cell.m_vCond.resize(1);
  cell.m_cHitExempt = 2;
  EXPECT_EQ(HitCodes(cell), std::vector<int>(8, 0));
  g_nHolds = 1;
  EXPECT_EQ(HitCodes(cell), (std::vector<int>{1, 1, 0, 1, 1, 1, 1, 1}));
  EXPECT_EQ(g_nChecks, 16);
}

TEST_F(MapCellTest, WithoutARegisteredCheckConditionsDoNotHold) {
  SetBlockCondCheck(nullptr);
  cMapCell cell(PlacedBlock(0, 0, 1, 1));
  EXPECT_EQ(cell.GetCellHitCode(0), 1);
  cell.m_vCond.resize(1);
  EXPECT_EQ(cell.GetCellHitCode(0), 0);
}

TEST(OverlaySheet, CellsRunDownColumnsOfFifteen) {
  const struct {
    int cell, x, y;
  } cases[] = {{0, 0, 0}, {14, 0, 448}, {15, 32, 0}, {16, 32, 32}, {119, 224, 448}};
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.cell);
    EXPECT_EQ(OverlayCellX(tc.cell), tc.x);
    EXPECT_EQ(OverlayCellY(tc.cell), tc.y);
  }
}

}  // namespace
