#include <gtest/gtest.h>

#include <vector>

#include "scenes/sceneplay.h"
#include "stagedata/mapcell.h"
#include "support/definitions.h"

namespace {

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

  // A condition that holds while stage variable 0 is 1.
  static cCond StageVarIsOne() {
    cCond c;
    c.m_nKind = COND_STAGE_VAR;
    c.m_nValue = 1;
    return c;
  }

  cScenePlay scene_;
};

TEST_F(MapCellTest, HitCodeBySide) {
  cMapCell solid(PlacedBlock(0, 0, 1, 1));
  solid.m_cHitExempt = 3;
  EXPECT_EQ(HitCodes(solid), (std::vector<int>{1, 1, 1, 0, 1, 1, 1, 1}));
  cMapCell deadly(PlacedBlock(0, 0, 1, 2));
  EXPECT_EQ(HitCodes(deadly), std::vector<int>(8, 2));
  cMapCell passable(PlacedBlock(0, 0, 1, 0));
  EXPECT_EQ(HitCodes(passable), std::vector<int>(8, 0));
}

TEST_F(MapCellTest, ConditionsDecideWhetherTheCellIsThere) {
  for (int latch : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "latch " << latch);
    cMapCell cell(PlacedBlock(0, 0, 1, 1));
    cell.m_vCond.assign(2, StageVarIsOne());
    cell.m_cCondLogic = 1;
    cell.m_bCondLatch = static_cast<int8_t>(latch);
    scene_.m_vStageVar[0] = 0;
    EXPECT_EQ(HitCodes(cell), std::vector<int>(8, 0));
    EXPECT_EQ(cell.m_bCondLatched, 0);

    scene_.m_vStageVar[0] = 1;
    EXPECT_EQ(cell.GetCellHitCode(0), 1);
    EXPECT_EQ(cell.m_bCondLatched, 1) << "a pass latches the cell, latching or not";

    // Once held, a latching cell stays; another follows its conditions.
    scene_.m_vStageVar[0] = 0;
    EXPECT_EQ(HitCodes(cell), std::vector<int>(8, latch));
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
