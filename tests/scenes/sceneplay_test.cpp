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

  FakeScenePlay scene_;
};

TEST_F(ScenePlayCellTest, ConditionsDecideWhetherTheCellIsThere) {
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

TEST_F(ScenePlayCellTest, CellsWithoutConditionsAreNotTested) {
  cMapCell cell(PlacedBlock(0, 0, 1, 1));
  EXPECT_EQ(HitCodes(cell), std::vector<int>(8, 1));
  EXPECT_EQ(scene_.m_nTests, 0);
}

TEST_F(ScenePlayCellTest, WithoutAPlaySceneConditionsDoNotHold) {
  g_pScenePlay = nullptr;
  cMapCell cell(PlacedBlock(0, 0, 1, 1));
  cell.m_vCond.resize(1);
  EXPECT_EQ(cell.GetCellHitCode(0), 0);
}

}  // namespace
