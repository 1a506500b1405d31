#include "scenes/scrollaxis.h"

#include <gtest/gtest.h>

#include "stagedata/stagedata.h"

namespace {

class ScrollAxisTest : public ::testing::Test {
 protected:
  void SetUp() override { g_StageData = cStageData(); }
  void TearDown() override { g_StageData = cStageData(); }
};

struct GeometryCase {
  int axis, cells, outer;
  int wantShift, wantStride, wantMapCells, wantStageMax, wantOuter;
};

TEST_F(ScrollAxisTest, GeometryFromTheStageSize) {
  const GeometryCase cases[] = {
      {0, 0, 0, 5, 32, 20, 320, 640},       // 19 needs five bits
      {0, 12, 0, 5, 32, 32, 704, 640},      // 31 still five bits
      {0, 13, 64, 6, 64, 33, 736, 704},     // 32 needs six
      {0, 400, 0, 9, 512, 420, 13120, 640},
      {1, 15, 100, 0, 35, 35, 800, 740},    // vertical: stride height + 20, the outer range from 640
      {1, 0, 0, 0, 20, 20, 320, 640},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "axis " << c.axis << " cells " << c.cells);
    cScrollAxis a;
    a.SetGeometry(c.axis, c.cells, c.outer);
    EXPECT_EQ(a.m_nShift, c.wantShift);
    EXPECT_EQ(a.m_nRowStride, c.wantStride);
    EXPECT_EQ(a.m_nMapCells, c.wantMapCells);
    EXPECT_EQ(a.m_nStageMin, 320);
    EXPECT_EQ(a.m_nStageMax, c.wantStageMax);
    EXPECT_EQ(a.m_nOuterRange, c.wantOuter);
    EXPECT_EQ(a.m_nViewSize, c.axis == 0 ? 640 : 480);
    EXPECT_EQ(a.m_nMarginCells, 10);
  }
}

struct ClampCase {
  const char* name;
  int axis, cells, first, last, useFirst, useLast;
  double pos;
  double wantPos;
  int wantAtLimit;
};

TEST_F(ScrollAxisTest, ClampAndLimits) {
  const ClampCase cases[] = {
      {"20 wide fills the view, from the left", 0, 20, 0, 0, 0, 0, 0, 320, 1},
      {"20 wide fills the view, from the right", 0, 20, 0, 0, 0, 0, 5000, 320, 1},
      {"15 high fills the view, from above", 1, 15, 0, 0, 0, 0, 0, 320, 1},
      {"15 high fills the view, from below", 1, 15, 0, 0, 0, 0, 900, 320, 1},
      {"inside the range the position stays", 0, 40, 0, 0, 0, 0, 500.5, 500.5, 0},
      {"at the right edge exactly", 0, 40, 0, 0, 0, 0, 960, 960, 1},
      {"a stage narrower than the view keeps the minimum", 0, 5, 0, 0, 0, 0, 400, 320, 1},
      {"limits in cells, last cell included", 0, 100, 10, 39, 1, 1, 2000, 320 + 40 * 32 - 640, 1},
      {"first limit only", 0, 100, 10, 0, 1, 0, 0, 320 + 10 * 32, 1},
      {"last below first: maximum raised to the minimum", 0, 100, 5, 2, 1, 1, 3000, 320 + 5 * 32, 1},
      {"last below first, from below the minimum", 0, 100, 5, 2, 1, 1, 0, 320 + 5 * 32, 1},
  };
  for (const ClampCase& c : cases) {
    SCOPED_TRACE(c.name);
    cScrollAxis a;
    a.SetGeometry(c.axis, c.cells, 0);
    a.SetLimits(c.first, c.last, c.useFirst, c.useLast);
    a.m_dPos = c.pos;
    a.Clamp();
    EXPECT_EQ(a.m_dPos, c.wantPos);
    EXPECT_EQ(a.m_bAtLimit, c.wantAtLimit);
  }
}

TEST_F(ScrollAxisTest, AutoScrollPerSubStepStopsAtTheMinimum) {
  g_StageData.SetCollisionLevel(2);
  cScrollAxis a;
  a.SetGeometry(0, 100, 0);
  a.SetLimits(0, 0, 0, 0);
  a.SetAutoScroll(1, -40);  // 4 pixels a frame over 2 sub-steps
  EXPECT_EQ(a.m_dAutoSpeed, -2.0);
  EXPECT_EQ(a.m_bAutoScroll, 1);
  a.m_dPos = 325;
  a.Advance();
  EXPECT_EQ(a.m_dPos, 323);
  EXPECT_EQ(a.m_bAtLimit, 0);
  EXPECT_TRUE(a.IsScrolling());
  a.Advance();
  a.Advance();
  EXPECT_EQ(a.m_dPos, 320);
  EXPECT_EQ(a.m_bAtLimit, 1);
  EXPECT_FALSE(a.IsScrolling());
  a.SetAutoScroll(0, 50);
  EXPECT_EQ(a.m_dAutoSpeed, 0.0);
  EXPECT_EQ(a.m_bAutoScroll, 0);
}

}  // namespace
