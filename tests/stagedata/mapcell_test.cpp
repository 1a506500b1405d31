#include <gtest/gtest.h>

#include <vector>

#include "scenes/sceneplay.h"
#include "stagedata/mapcell.h"
#include "support/definitions.h"

namespace {

// A play scene whose hero meets the conditions while `m_bHolds` is set; it counts the tests.
class FakeScenePlay : public cScenePlay {
 public:
  int m_bHolds = 0;
  int m_nTests = 0;
  int m_nLastLogic = -1;

 protected:
  int CheckHeroCondList(const cCheckedVector<cCond>&, int logic) override {
    ++m_nTests;
    m_nLastLogic = logic;
    return m_bHolds;
  }
};

class MapCellTest : public ::testing::Test {
 protected:
  void SetUp() override { g_pScenePlay = &scene_; }
  void TearDown() override { g_pScenePlay = nullptr; }

  // The hit codes for sides 0 to 7.
  static std::vector<int> HitCodes(cMapCell& cell) {
    std::vector<int> codes;
    for (int side = 0; side < 8; ++side) codes.push_back(cell.GetCellHitCode(side));
    return codes;
  }

  FakeScenePlay scene_;
};

TEST_F(MapCellTest, HitCodeBySide) {
  cMapCell solid(PlacedBlock(0, 0, 1, 1));
  solid.m_cHitExempt = 3;
  EXPECT_EQ(HitCodes(solid), (std::vector<int>{1, 1, 1, 0, 1, 1, 1, 1}));
  cMapCell deadly(PlacedBlock(0, 0, 1, 2));
  EXPECT_EQ(HitCodes(deadly), std::vector<int>(8, 2));
  cMapCell passable(PlacedBlock(0, 0, 1, 0));
  EXPECT_EQ(HitCodes(passable), std::vector<int>(8, 0));
  EXPECT_EQ(scene_.m_nTests, 0) << "cells without conditions are not tested";
}

TEST_F(MapCellTest, ConditionsDecideWhetherTheCellIsThere) {
  for (int latch : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "latch " << latch);
    cMapCell cell(PlacedBlock(0, 0, 1, 1));
    cell.m_vCond.resize(2);
    cell.m_cCondLogic = 1;
    cell.m_bCondLatch = static_cast<int8_t>(latch);
    scene_.m_bHolds = 0;
    EXPECT_EQ(HitCodes(cell), std::vector<int>(8, 0));
    EXPECT_EQ(cell.m_bCondLatched, 0);
    EXPECT_EQ(scene_.m_nLastLogic, 1);

    scene_.m_bHolds = 1;
    EXPECT_EQ(cell.GetCellHitCode(0), 1);
    EXPECT_EQ(cell.m_bCondLatched, 1) << "a pass latches the cell, latching or not";

    // Once held, a latching cell stays without being tested again; another follows its conditions.
    scene_.m_bHolds = 0;
    scene_.m_nTests = 0;
    EXPECT_EQ(HitCodes(cell), std::vector<int>(8, latch));
    EXPECT_EQ(scene_.m_nTests, latch ? 0 : 8);
  }
}

TEST_F(MapCellTest, WithoutAPlaySceneConditionsDoNotHold) {
  g_pScenePlay = nullptr;
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
