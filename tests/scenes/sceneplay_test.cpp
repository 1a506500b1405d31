#include <gtest/gtest.h>

#include <vector>

#include "scenes/sceneplay.h"
#include "stagedata/mapcell.h"
#include "support/definitions.h"

namespace {

class ScenePlayCellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterScenePlayChecks();
    g_pScenePlay = &scene_;
  }
  void TearDown() override {
    g_pScenePlay = nullptr;
    SetBlockCondCheck(nullptr);
  }

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

TEST_F(ScenePlayCellTest, ConditionsDecideWhetherTheCellIsThere) {
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

TEST_F(ScenePlayCellTest, WithoutAPlaySceneConditionsDoNotHold) {
  g_pScenePlay = nullptr;
  cMapCell cell(PlacedBlock(0, 0, 1, 1));
  cell.m_vCond.resize(1);
  EXPECT_EQ(cell.GetCellHitCode(0), 0);
}

}  // namespace
