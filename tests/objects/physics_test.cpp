#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "objects/objects_fixture.h"

namespace {

class PhysicsTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    // Scroll range inside the stage: x 480..1440, y 400..1200; stage x 320..1600, y 320..1280;
    // grid x 0..1920, y 0..1600.
    scene_.m_ScrollX.m_nMin = 480;
    scene_.m_ScrollX.m_nMax = 1440;
    scene_.m_ScrollY.m_nMin = 400;
    scene_.m_ScrollY.m_nMax = 1200;
  }
};

// Counts the kinds' rectangle updates that the bounds checks call.
class CountingObj : public cCharaBase {
 public:
  void UpdateRectsX() override { ++m_nRectsX; }
  void UpdateRectsY() override { ++m_nRectsY; }
  int m_nRectsX = 0;
  int m_nRectsY = 0;
};

struct ConversionRow {
  int level, n;
  double gravity, maxSpeed, jump4, jump4Damped;
  int riseSteps, jump4Units;
  double friction10, cellSpeed30;
};

TEST_F(PhysicsTest, ConversionsPerCollisionLevel) {
  const ConversionRow rows[] = {
      {1, 1, 0.4, 6, -7.358212067269313, -7.211047825923926, 19, 4, 0.1, 0.5},
      {10, 10, 0.004, 6, -0.7175445478794454, -0.7031936569218565, 189, 4, 0.001, 0.05},
      {11, 1, 0.4, 60, -7.358212067269313, -7.211047825923926, 19, 4, 0.1, 0.5},
      {15, 5, 0.016, 12, -1.4391058661049503, -1.4103237487828513, 94, 4, 0.004, 0.1},
  };
  for (const ConversionRow& r : rows) {
    g_StageData.SetCollisionLevel(r.level);
    cGameObj player, computer;
    computer.m_nOperation = 1;
    EXPECT_EQ(g_StageData.m_nStepsPerFrame, r.n) << r.level;
    EXPECT_DOUBLE_EQ(g_StageData.m_dGravity, r.gravity) << r.level;
    EXPECT_EQ(g_StageData.m_dMaxSpeed, r.maxSpeed) << r.level;
    for (int damping : {0, 1}) {
      g_SystemData.m_bJumpDamping = damping;
      EXPECT_DOUBLE_EQ(player.JumpHeightToSpeed(4), damping ? r.jump4Damped : r.jump4) << r.level;
      EXPECT_DOUBLE_EQ(computer.JumpHeightToSpeed(4), r.jump4) << r.level;  // never damped
    }
    g_SystemData.m_bJumpDamping = 0;
    EXPECT_EQ(SpeedToFrames(r.jump4), r.riseSteps) << r.level;
    EXPECT_EQ(player.JumpHeightToFrames(4), r.jump4Units) << r.level;
    EXPECT_DOUBLE_EQ(SpeedParamToDots(10), r.friction10) << r.level;
    EXPECT_DOUBLE_EQ(CellSpeedToStep(30), r.cellSpeed30) << r.level;
  }
  EXPECT_EQ(HblToDot(-3), -48);
}

TEST_F(PhysicsTest, ConversionsOfBadValuesStayDefined) {
  cGameObj o;
  EXPECT_EQ(o.JumpSpeedFromDots(-64), 0);  // no root of a negative number
  EXPECT_EQ(o.JumpSpeedFromDots(0), -g_StageData.m_dGravity);
  g_StageData.m_dGravitySetting = 1e-300;  // a huge height over a tiny gravity
  g_StageData.SetCollisionLevel(10);
  EXPECT_EQ(SpeedToFrames(-1e6), INT_MAX);
  EXPECT_EQ(SpeedToFrames(1e6), INT_MIN);
  EXPECT_GT(o.JumpHeightToFrames(127), 0);
  g_StageData.m_dGravitySetting = 0;
  g_StageData.SetCollisionLevel(10);
  EXPECT_EQ(SpeedToFrames(0), 0);  // 0 / 0
  EXPECT_EQ(o.JumpHeightToSpeed(4), 0);
}

struct BoundsRow {
  int vertical, mode;
  double pos;
  int size;
  double after;
  int code;
};

TEST_F(PhysicsTest, BoundsCodesPerAxisAndMode) {
  const BoundsRow rows[] = {
      // x: scroll 480..1440, stage 320..1600, grid 0..1920
      {0, 0, 470, 32, 480, 0},      {0, 0, 1420, 32, 1408, 0},    {0, 0, 800, 32, 800, 0},
      {0, 1, 300, 32, 320, 0},      {0, 1, 1590, 32, 1568, 0},    {0, 1, 470, 32, 470, 1},
      {0, 1, 1420, 32, 1420, 1},    {0, 1, 800, 32, 800, 0},      {0, 2, -0.5, 32, 0, 3},
      {0, 2, 1900, 32, 1888, 3},    {0, 2, 300, 32, 300, 2},      {0, 2, 1580, 32, 1580, 2},
      {0, 2, 470, 32, 470, 1},      {0, 2, 1420, 32, 1420, 1},    {0, 2, 800, 32, 800, 0},
      {0, 5, -50, 32, -50, 0},      {0, -1, 5000, 32, 5000, 0},
      // y: scroll 400..1200, stage 320..1280, grid 0..1600
      {1, 0, 390, 32, 400, 0},      {1, 0, 1190, 32, 1168, 0},    {1, 1, 300, 32, 320, 0},
      {1, 1, 1270, 32, 1248, 0},    {1, 1, 390, 32, 390, 1},      {1, 1, 1190, 32, 1190, 4},
      {1, 1, 800, 32, 800, 0},      {1, 2, -3, 32, 0, 3},         {1, 2, 1590, 32, 1568, 6},
      {1, 2, 300, 32, 300, 2},      {1, 2, 1260, 32, 1260, 5},    {1, 2, 390, 32, 390, 1},
      {1, 2, 1190, 32, 1190, 4},    {1, 2, 800, 32, 800, 0},      {1, 2, -3, 320, -3, 0},
      {1, 2, 1400, 320, 1400, 0},   {1, 2, 300, 320, 300, 2},     {1, 2, -3, 319, 0, 3},
      {1, 7, 900, 32, 900, 0},
  };
  for (const BoundsRow& r : rows) {
    CountingObj o;
    o.m_nHitW = o.m_nHitH = r.size;
    double& pos = r.vertical ? o.m_dY : o.m_dX;
    pos = r.pos;
    const int code = r.vertical ? o.CheckBoundsY(r.mode) : o.CheckBoundsX(r.mode);
    const std::string name = (r.vertical ? "y" : "x") + std::to_string(r.mode) + " at " + std::to_string(r.pos);
    EXPECT_EQ(code, r.code) << name;
    EXPECT_EQ(pos, r.after) << name;
    // Whatever the mode: the far edge, the kinds' rectangles and the edge cells follow.
    const double far = r.after + r.size - 1;
    EXPECT_EQ(r.vertical ? o.m_dBottom : o.m_dRight, far) << name;
    EXPECT_EQ(r.vertical ? o.m_nRectsY : o.m_nRectsX, 1) << name;
    EXPECT_EQ(r.vertical ? o.m_nCellTop : o.m_nCellLeft, static_cast<int>(r.after) >> 5) << name;
    EXPECT_EQ(r.vertical ? o.m_nCellBottom : o.m_nCellRight, static_cast<int>(far) >> 5) << name;
  }
}

TEST_F(PhysicsTest, SpeedIsClampedToTheStagesLimitBeforeMoving) {
  for (int level : {10, 15}) {
    g_StageData.SetCollisionLevel(level);
    cGameObj o;
    o.m_nHitW = o.m_nHitH = 32;
    o.m_dX = o.m_dY = 800;
    o.m_dSpeedX = 40;
    o.m_dSpeedY = -40;
    EXPECT_EQ(o.ApplySpeedX(2), 0);
    EXPECT_EQ(o.ApplySpeedY(2), 0);
    const double limit = level == 10 ? 6 : 12;
    EXPECT_EQ(o.m_dSpeedX, limit);
    EXPECT_EQ(o.m_dX, 800 + limit);
    EXPECT_EQ(o.m_dY, 800 - limit);
    EXPECT_EQ(o.m_dRight, 800 + limit + 31);
    o.m_dSpeedX = -1;
    o.m_dX = 470.5;
    EXPECT_EQ(o.ApplySpeedX(0), 0);
    EXPECT_EQ(o.m_dX, 480);
  }
}

TEST_F(PhysicsTest, GravityAndItsExceptions) {
  cCharaBase rider;
  const struct {
    const char* name;
    int flying;
    cCharaBase* ride;
    int gravityOff;
    double impactY;
    bool falls;
  } rows[] = {
      {"walking", 0, nullptr, 0, 0, true},           {"falling impact", 0, nullptr, 0, 0.5, true},
      {"flying", 1, nullptr, 0, 0, false},           {"riding", 0, &rider, 0, 0, false},
      {"jump state", 0, nullptr, 1, 0, false},       {"rising impact", 0, nullptr, 0, -0.5, false},
  };
  for (const auto& r : rows) {
    cCharaBase c;
    c.m_bFlying = r.flying;
    c.m_pRide = r.ride;
    c.m_bGravityOff = r.gravityOff;
    c.m_dImpactY = r.impactY;
    c.m_dSpeedY = 1;
    c.ApplyFallGravity();
    EXPECT_EQ(c.m_dSpeedY, r.falls ? 1 + g_StageData.m_dGravity : 1) << r.name;
    // Shots' gravity knows only the flying exception.
    c.m_dSpeedY = 1;
    c.ApplyGravity();
    EXPECT_EQ(c.m_dSpeedY, r.flying ? 1 : 1 + g_StageData.m_dGravity) << r.name;
  }
}

TEST_F(PhysicsTest, FrictionStopsAtExactlyZero) {
  const struct {
    double value, friction;
    int enabled;
    double after;
  } rows[] = {{0.3, 0.5, 1, 0}, {-0.3, 0.5, 1, 0}, {1.0, 0.25, 1, 0.75}, {-1.0, 0.25, 1, -0.75},
              {0.3, 0.5, 0, 0.3}, {0, 0.5, 1, 0}};
  for (const auto& r : rows) {
    cGameObj o;
    o.m_dFriction = r.friction;
    double v = r.value;
    o.ApplyFriction(v, r.enabled);
    EXPECT_EQ(v, r.after) << r.value << " by " << r.friction;
  }
}

TEST_F(PhysicsTest, ImpactResistanceNeverTurnsAnImpactRound) {
  const struct {
    int impact, resist, out;
  } rows[] = {{25, 3, 20}, {-2, 3, 0}, {-25, 3, -20}, {10, 3, 7}, {-10, 3, -7}, {5, -30, 20}, {0, -5, 0}, {3, 3, 0}};
  for (const auto& r : rows) {
    cCharaBase c;
    c.m_Chara.m_cImpactResist = static_cast<int8_t>(r.resist);
    int out = 99;
    c.ApplyImpact(static_cast<int8_t>(r.impact), 1, 0, out);
    EXPECT_EQ(out, r.out) << r.impact << " against " << r.resist;
    EXPECT_EQ(c.m_bImpacted, r.out != 0 ? 1 : 0) << r.impact << " against " << r.resist;
  }
}

TEST_F(PhysicsTest, ImpactSplitOverTheAxesAndOpposedMotionStopped) {
  // At n = 10, 7 half blocks start at (sqrt(1 + 128 x 7 x 10) - 1) / 20.
  const double v7 = 4.683127929815546;
  cCharaBase up;
  int out = 0;
  up.m_dInertiaX = 0.5;
  up.m_dInertiaY = 0.5;
  up.m_dSpeedY = 0.3;
  up.ApplyImpact(7, 0, -2, out);  // straight up: all on y
  EXPECT_EQ(up.m_dImpactX, 0);
  EXPECT_DOUBLE_EQ(up.m_dImpactY, -v7);
  EXPECT_EQ(up.m_dInertiaX, 0.5);  // no x impact to oppose it
  EXPECT_EQ(up.m_dInertiaY, 0);
  EXPECT_EQ(up.m_dSpeedY, 0);

  cCharaBase diagonal;
  diagonal.m_dInertiaX = -1e-9;  // too small to count as opposing
  diagonal.m_dInertiaY = 2;
  diagonal.m_dSpeedY = 1;
  diagonal.ApplyImpact(14, 3, 3, out);
  EXPECT_DOUBLE_EQ(diagonal.m_dImpactX, v7);
  EXPECT_DOUBLE_EQ(diagonal.m_dImpactY, v7);
  EXPECT_EQ(diagonal.m_dInertiaX, -1e-9);
  EXPECT_EQ(diagonal.m_dInertiaY, 2);
  EXPECT_EQ(diagonal.m_dSpeedY, 1);

  double x = 9, y = 9;
  diagonal.CalcImpactSpeeds(x, y, 5, 0, 0, nullptr);  // no direction: no speed
  EXPECT_EQ(x + y, 0);
}

TEST_F(PhysicsTest, PreviousVerticalImpactIsResetUnlessLimited) {
  for (int limited : {0, 1}) {
    g_SystemData.m_bImpactYLimited = limited;
    cCharaBase c;
    c.m_dImpactPrevY = 0.75;
    int out = 0;
    c.ApplyImpact(3, 1, 0, out);
    EXPECT_EQ(c.m_dImpactPrevY, limited ? 0.75 : 0) << limited;
  }
}

TEST_F(PhysicsTest, AWalkingAttackerPushesDownOnlyWhenFallingFast) {
  const double threshold = g_StageData.m_nSteps8 * g_StageData.m_dGravity;  // 80 x 0.004
  const struct {
    int flying;
    double speedY;
    bool downward;
  } rows[] = {{0, threshold - 0.01, false}, {0, threshold, true}, {1, 0.1, true}, {0, -2, false}};
  for (const auto& r : rows) {
    cCharaBase attacker, target;
    attacker.m_Chara.m_cImpact = 6;
    attacker.m_bFlying = r.flying;
    attacker.m_dSpeedX = 1;
    attacker.m_dSpeedY = r.speedY;
    int out = 0;
    target.ApplyCharaImpact(attacker, out);
    EXPECT_EQ(out, 6);
    EXPECT_EQ(target.m_dImpactY > 0 || target.m_dImpactY < 0, r.downward) << r.flying << " " << r.speedY;
    EXPECT_GT(target.m_dImpactX, 0);
  }
}

TEST_F(PhysicsTest, DecayReachesExactlyZero) {
  cCharaBase c;
  c.m_dImpactX = 0.25;
  c.m_dImpactY = -0.25;
  c.m_dImpactPrevY = -0.35;
  std::vector<double> xs, ys;
  for (int i = 0; i < 4; ++i) {
    c.DecayImpactX();
    c.DecayImpactY();
    xs.push_back(c.m_dImpactX);
    ys.push_back(c.m_dImpactY);
  }
  EXPECT_EQ(xs, (std::vector<double>{0.25 - 0.1, 0.25 - 0.1 - 0.1, 0, 0}));
  EXPECT_EQ(ys, (std::vector<double>{-0.25 + 0.1, -0.25 + 0.1 + 0.1, 0, 0}));
  EXPECT_EQ(c.m_dImpactPrevY, 0);  // cleared with it
}

TEST_F(PhysicsTest, StepImpactReplacesTheImpactsShareOfTheSpeed) {
  cMapCell floor;
  floor.m_cHit = 1;
  cMapCell air;
  air.m_cHit = 0;
  cCharaBase ride;
  struct Row {
    const char* name;
    int flying;
    cMapCell* below;
    cCharaBase* ride;
    int limited, free;
    double speedY, impactY, prevY;
    double speedAfter, impactAfter;
  };
  const Row rows[] = {
      {"flying adds", 1, nullptr, nullptr, 0, 0, 0.5, 0.25, 0.25, 0.75, 0.25},
      {"replaced", 0, &air, nullptr, 0, 0, 0.5, 0.25, 0.375, 0.375, 0.25},
      {"down onto a floor", 0, &floor, nullptr, 0, 0, 0.5, 0.25, 0.375, 0.5, 0},
      {"down onto a ride", 0, nullptr, &ride, 0, 0, 0.5, 0.25, 0.375, 0.5, 0},
      {"rising over a floor", 0, &floor, nullptr, 0, 0, 0.5, -0.25, 0, 0.25, -0.25},
      {"limited, within 1/n", 0, &air, nullptr, 1, 0, 0.5, 0.25, 0.6, 0.15, 0.25},
      {"limited, beyond 1/n", 0, &air, nullptr, 1, 0, 0.5, 0.25, 0.625, 0.5, 0.25},
      {"limited and free", 0, &air, nullptr, 1, 1, 0.5, 0.25, 0.625, 0.125, 0.25},
  };
  for (const Row& r : rows) {
    g_SystemData.m_bImpactYLimited = r.limited;
    g_SystemData.m_bImpactYFree = r.free;
    cCharaBase c;
    c.m_bFlying = r.flying;
    c.m_pCellBelow = r.below;
    c.m_pRide = r.ride;
    c.m_dSpeedY = r.speedY;
    c.m_dImpactY = r.impactY;
    c.m_dImpactPrevY = r.prevY;
    c.StepImpactY();
    EXPECT_DOUBLE_EQ(c.m_dSpeedY, r.speedAfter) << r.name;
    EXPECT_EQ(c.m_dImpactY, r.impactAfter) << r.name;
    EXPECT_EQ(c.m_dImpactPrevY, r.impactAfter) << r.name;
  }
  // Without an impact only the previous value follows.
  cCharaBase still;
  still.m_dImpactPrevY = 0.5;
  still.m_dSpeedY = 1;
  still.StepImpactY();
  EXPECT_EQ(still.m_dImpactPrevY, 0);
  EXPECT_EQ(still.m_dSpeedY, 1);
}

}  // namespace

namespace {

// A second hit while the first one's vertical impact still rises: new data adds the new impact to
// the speed the first one gave; with the old data's switches (all on) the new impact replaces the
// old one's share.
TEST_F(PhysicsTest, SecondHitWhileRisingAtNewAndOldSwitches) {
  for (int old : {0, 1}) {
    g_SystemData.m_bImpactYLimited = old;
    g_SystemData.m_bImpactYFree = old;
    g_SystemData.m_bJumpDamping = old;
    g_SystemData.m_bStopDropsEnded = old;
    cCharaBase c;
    int out = 0;
    c.ApplyImpact(4, 0, -1, out);
    c.StepImpactY();
    const double first = c.m_dImpactY;
    EXPECT_EQ(c.m_dSpeedY, first);
    c.ApplyImpact(2, 0, -1, out);
    const double second = c.m_dImpactY;
    c.ApplyFallGravity();  // rising: no gravity
    c.StepImpactY();
    EXPECT_EQ(c.m_dSpeedY, old ? first - first + second : first - 0 + second) << old;
    EXPECT_EQ(c.m_dImpactPrevY, second);
  }
}

}  // namespace
