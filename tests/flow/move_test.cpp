#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "flow/exec_fixture.h"
#include "objects/chara.h"

namespace {

constexpr double kEps = 1e-9;
const double kDiag = 2 * 0.7071067811865476;

class MoveTest : public ExecTest {
 protected:
  // A flying (or walking) character at (400, 400) facing right, pinned to the screen as a warp
  // leaves it.
  cChara& Mover(bool flying, int facingLock = 0) {
    cChara& c = Body(1, 400, 400);
    c.m_bFlying = flying ? 1 : 0;
    c.m_Chara.m_bFacingLock = static_cast<int8_t>(facingLock);
    c.m_bFixedX = c.m_bFixedY = 1;
    return c;
  }
};

TEST_F(MoveTest, StraightMoveStepPerPass) {
  const struct {
    const char* what;
    bool flying;
    int dir, mode, angle, lockX, lockY, keepAxes;
    double x, y;
  } cases[] = {
      {"right, flying", true, 3, 0, 0, 0, 0, 0, 2, 0},
      {"up-right, flying", true, 10, 0, 0, 0, 0, 0, kDiag, -kDiag},
      {"down, walking: never vertical", false, 7, 0, 0, 0, 0, 0, 0, 0},
      {"up-right by an angle, walking", false, 10, 0, 30, 0, 0, 0, std::nan(""), 0},
      {"X-off zeroes its axis", true, 10, 0, 0, 1, 0, 0, 0, -kDiag},
      {"Y-off zeroes its axis", true, 10, 0, 0, 0, 1, 0, kDiag, 0},
      {"X-off kept by the older rule", true, 10, 0, 0, 1, 0, 1, kDiag, -kDiag},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_lstChara.clear();
    g_SystemData.m_bCompat773 = t.keepAxes;
    cChara& c = Mover(t.flying);
    const cFlowCmd cmd = MoveCmd(CMD_MOVE_STRAIGHT, [&](cEdMove& m) {
      m.m_nDir = static_cast<int8_t>(t.dir);
      m.m_nPosMode = static_cast<int8_t>(t.mode);
      m.m_sAngle = static_cast<int16_t>(t.angle);
      m.m_bLockX = static_cast<int8_t>(t.lockX);
      m.m_bLockY = static_cast<int8_t>(t.lockY);
    });
    cCmdInstance inst = Running(cmd, 2);
    for (int pass = 1; pass <= 2; ++pass) {
      const Step s = RunPass(c, inst);
      if (!std::isnan(t.x)) {
        EXPECT_NEAR(s.x, t.x, kEps) << "pass " << pass;
      }
      EXPECT_NEAR(s.y, t.y, kEps) << "pass " << pass;
    }
    EXPECT_EQ(c.m_bFixedX + c.m_bFixedY, 0) << "unpinned";
  }
}

TEST_F(MoveTest, StraightMoveReversesWhenAFacingFixedSubjectIsTurned) {
  const struct {
    const char* what;
    int lock, follow, mode, flipTargets;
    double second;
  } cases[] = {
      {"facing fixed", 1, 1, 0, 0, -2},
      {"facing free", 0, 1, 0, 0, 2},
      {"byte off", 1, 0, 0, 0, 2},
      {"target point: kept", 1, 1, 1, 0, 2},
      {"target point, older rule: reversed", 1, 1, 1, 1, -2},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_lstChara.clear();
    g_SystemData.m_bCompat783 = t.flipTargets;
    cChara& c = Mover(true, t.lock);
    const cFlowCmd cmd = MoveCmd(CMD_MOVE_STRAIGHT, [&](cEdMove& m) {
      m.m_nDir = 3;
      m.m_nPosMode = static_cast<int8_t>(t.mode);
      m.m_bFollowFacing = static_cast<int8_t>(t.follow);
      // Target point mode: 1000 dots to the right of the picture, level.
      m.m_nCoordMode = 1;
      m.m_nUnit = 1;
      m.m_sTargetX = 1000;
      m.m_bEndAtTarget = 0;
    });
    cCmdInstance inst = Running(cmd, 2);
    EXPECT_NEAR(RunPass(c, inst).x, 2, kEps);
    c.m_nFacing = 0;
    EXPECT_NEAR(RunPass(c, inst).x, t.second, kEps);
  }
}

TEST_F(MoveTest, GroundTurnBack) {
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_GROUND_TURN);
  // A flying subject: nothing at all, not even unpinned.
  cChara& flyer = Mover(true);
  cCmdInstance inst = Running(cmd, 3);
  EXPECT_NEAR(RunPass(flyer, inst).x, 0, kEps);
  EXPECT_EQ(flyer.m_bFixedX, 1);
  // Knocked back: it walks where it faces at its speed, the facing forced.
  g_lstChara.clear();
  cChara& walker = Mover(false, 1);
  walker.m_nFacing = 0;
  walker.m_dImpactX = 4;
  EXPECT_NEAR(RunPass(walker, inst).x, -3, kEps);
  EXPECT_EQ(walker.m_bFixedX, 0);
  EXPECT_EQ(inst.m_nFaceKind, 0);
}

TEST_F(MoveTest, CircleRunsAQuarterTurnEachWay) {
  // Radius 32, one degree of phase per pass: a quarter turn in 90 passes.
  const struct {
    const char* what;
    bool flying;
    int sense, facing;
    double x, y;
  } cases[] = {
      {"counter-clockwise", true, 1, 1, -32, 32},
      {"clockwise", true, 0, 1, -32, -32},
      {"by facing: right is counter-clockwise", true, 2, 1, -32, 32},
      {"by facing: left is clockwise", true, 2, 0, -32, -32},
      {"reversed by facing: left is counter-clockwise", true, 3, 0, -32, 32},
      {"walking: no vertical part", false, 1, 1, -32, 0},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_lstChara.clear();
    cChara& c = Mover(t.flying);
    c.m_nFacing = t.facing;
    const cFlowCmd cmd = MoveCmd(CMD_MOVE_CIRCLE, [&](cEdMove& m) { m.m_nDir = static_cast<int8_t>(t.sense); });
    cCmdInstance inst = Running(cmd, 1);
    inst.m_nMoveSetup[MOVESETUP_RADIUS] = 32;
    double x = 0, y = 0;
    for (int pass = 0; pass < 90; ++pass) {
      const Step s = RunPass(c, inst);
      x += s.x;
      y += s.y;
    }
    EXPECT_NEAR(x, t.x, 0.5);
    EXPECT_NEAR(y, t.y, 0.5);
  }
  // Radius 0: nothing at all.
  g_lstChara.clear();
  cChara& c = Mover(true);
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_CIRCLE);
  cCmdInstance inst = Running(cmd, 1);
  const Step s = RunPass(c, inst);
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(c.m_bFixedX, 1);
  EXPECT_EQ(inst.m_bMoveInit, 0);
}

TEST_F(MoveTest, ChargeFixesItsCourseInTheFirstPass) {
  cChara& c = Mover(true);
  cChara& target = Body(2, 600, 400);
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_CHARGE);
  // No target: nothing applied in the first pass, a zero step afterwards.
  cCmdInstance inst = Running(cmd, 2);
  inst.m_dMoveX = 5;
  c.m_dSpeedX = 7;
  g_CmdExecTable[CMD_MOVE_CHARGE](&c, &inst);
  EXPECT_EQ(c.m_dSpeedX, 7) << "nothing applied";
  EXPECT_EQ(inst.m_dMoveX, 0);
  EXPECT_EQ(RunPass(c, inst).x, 0);
  // A dead target: nothing in the first pass; later passes apply what the step holds.
  c.m_pTarget[0] = &target;
  target.m_bDead = 1;
  inst = Running(cmd, 2);
  inst.m_dMoveX = 0.5;
  c.m_dSpeedX = 7;
  g_CmdExecTable[CMD_MOVE_CHARGE](&c, &inst);
  EXPECT_EQ(c.m_dSpeedX, 7);
  EXPECT_EQ(RunPass(c, inst).x, 0.5);
  // A living target to the right: straight at it, and on the same course after the target moved.
  target.m_bDead = 0;
  inst = Running(cmd, 2);
  EXPECT_NEAR(RunPass(c, inst).x, 2, kEps);
  Place(target, 400, 100);
  const Step later = RunPass(c, inst);
  EXPECT_NEAR(later.x, 2, kEps);
  EXPECT_NEAR(later.y, 0, kEps);
}

TEST_F(MoveTest, ChargeTurnedByItsAngleUnderBothFormulas) {
  cChara& c = Mover(true);
  cChara& target = Body(2, 600, 400);
  c.m_pTarget[0] = &target;
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_CHARGE, [](cEdMove& m) { m.m_sAngle = 45; });
  const double r = std::sqrt(2.0);
  for (int alt : {0, 1}) {
    SCOPED_TRACE(alt);
    g_SystemData.m_bCompat728 = alt;
    cCmdInstance inst = Running(cmd, 2);
    const Step s = RunPass(c, inst);
    EXPECT_NEAR(s.x, alt ? -r : r, 1e-6);
    EXPECT_NEAR(s.y, r, 1e-6);
  }
  // Walking: the turned course keeps no vertical part after the first pass.
  c.m_bFlying = 0;
  g_SystemData.m_bCompat728 = 0;
  cCmdInstance inst = Running(cmd, 2);
  RunPass(c, inst);
  EXPECT_NEAR(RunPass(c, inst).y, 0, kEps);
}

TEST_F(MoveTest, HomingSteersEveryPeriodTowardWhereTheTargetWas) {
  cChara& c = Mover(true);
  cChara& target = Body(2, 600, 400);
  c.m_pTarget[1] = &target;
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_HOMING, [](cEdMove& m) { m.m_nTargetSlot = 1; });
  // Period 3: steering in passes 1, 4 and 7. The target goes below the subject after pass 1.
  cCmdInstance inst = Running(cmd, 2);
  inst.m_nMoveSetup[MOVESETUP_HOMING] = 3;
  std::string course;
  for (int pass = 1; pass <= 8; ++pass) {
    const Step s = RunPass(c, inst);
    course += s.x > 1.9 ? 'R' : s.y > 1.9 ? 'D' : '?';
    if (pass == 1) Place(target, 400, 700);
  }
  EXPECT_EQ(course, "RRRRRRDD") << "pass 4 aims at the point of pass 1, pass 7 at that of pass 4";
  EXPECT_EQ(inst.m_lstWork.size(), 1u);
  // Period 0: the current point every pass.
  Place(target, 600, 400);
  inst = Running(cmd, 2);
  RunPass(c, inst);
  Place(target, 400, 700);
  EXPECT_NEAR(RunPass(c, inst).y, 2, kEps);
  // No target, or a dead one: nothing, and the counter does not advance.
  for (int dead : {0, 1}) {
    c.m_pTarget[1] = dead ? &target : nullptr;
    target.m_bDead = dead;
    c.m_bFixedX = 1;
    inst = Running(cmd, 2);
    EXPECT_EQ(RunPass(c, inst).x, 0);
    EXPECT_EQ(inst.m_bActed, 0);
    EXPECT_EQ(c.m_bFixedX, 1);
  }
}

TEST_F(MoveTest, HomingOnFootFollowsTheTargetsColumn) {
  cChara& c = Mover(false);
  cChara& target = Body(2, 200, 100);
  c.m_pTarget[0] = &target;
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_HOMING);
  cCmdInstance inst = Running(cmd, 2);
  const Step s = RunPass(c, inst);
  EXPECT_NEAR(s.x, -2, kEps);
  EXPECT_EQ(s.y, 0);
  EXPECT_EQ(inst.m_bActed, 1);
  // With the X-off byte a walker returns at once, its counter kept.
  const cFlowCmd off = MoveCmd(CMD_MOVE_HOMING, [](cEdMove& m) { m.m_bLockX = 1; });
  inst = Running(off, 2);
  EXPECT_EQ(RunPass(c, inst).x, 0);
  EXPECT_EQ(inst.m_bActed, 0);
}

TEST_F(MoveTest, MoveCancelStopsTheObjectDead) {
  cChara& c = Mover(false);
  c.m_dImpactX = c.m_dImpactY = 3;
  c.m_dInertiaX = c.m_dInertiaY = 2;
  c.m_dImpactPrevY = 1;
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_CANCEL);
  cCmdInstance inst = Running(cmd);
  c.m_dSpeedX = c.m_dSpeedY = 5;
  g_CmdExecTable[CMD_MOVE_CANCEL](&c, &inst);
  for (double v : {c.m_dImpactX, c.m_dImpactY, c.m_dInertiaX, c.m_dInertiaY, c.m_dSpeedX, c.m_dSpeedY, c.m_dImpactPrevY})
    EXPECT_EQ(v, 0);
  EXPECT_EQ(c.m_bGravityOff, 1);
  EXPECT_EQ(c.m_bFixedX + c.m_bFixedY, 0);
}

TEST_F(MoveTest, TurnSetsTheFacingOfAFacingFixedSubject) {
  const struct {
    const char* what;
    int kind, facing, lastSide;
    bool target, targetRight;
    int want;
  } cases[] = {
      {"left", 0, 1, 2, false, false, 0},
      {"right", 1, 0, 2, false, false, 1},
      {"toward target 1 on the right", 2, 0, 2, true, true, 1},
      {"toward target 1 level: left", 2, 1, 2, true, false, 0},
      {"away from target 1 on the right", 3, 1, 2, true, true, 0},
      {"toward the last block", 10, 0, 1, false, false, 1},
      {"away from the last block", 11, 1, 1, false, false, 0},
      {"no last block: unchanged", 10, 1, 2, false, false, 1},
      {"unknown kind: unchanged", 12, 1, 2, false, false, 1},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_lstChara.clear();
    Sounds().clear();
    cChara& c = Mover(true, 1);
    cChara& other = Body(2, t.targetRight ? 500 : 400, 300);
    c.m_nFacing = t.facing;
    c.m_nLastBlockSide = t.lastSide;
    if (t.target) c.m_pTarget[0] = &other;
    cFlowCmd cmd = Cmd(CMD_TURN);
    cmd.m_vParam[0] = t.kind;
    cmd.m_sSound = 4;
    cCmdInstance inst = Running(cmd);
    RunPass(c, inst);
    EXPECT_EQ(c.m_nFacing, t.want);
    EXPECT_EQ(Sounds(), std::vector<int>{4}) << "played whether on screen or not";
    EXPECT_EQ(inst.m_bActed, 1);
    EXPECT_EQ(c.m_bFixedX, 1) << "the turn leaves the pin";
  }
}

TEST_F(MoveTest, TurnWaitsForItsTargetAndIgnoresFreeFacings) {
  cChara& c = Mover(true, 1);
  c.m_nFacing = 0;
  cFlowCmd cmd = Cmd(CMD_TURN);
  cmd.m_vParam[0] = 4;  // toward target 2
  cCmdInstance inst = Running(cmd);
  RunPass(c, inst);
  EXPECT_EQ(inst.m_bActed, 0) << "tried again next pass";
  cChara& other = Body(2, 600, 400);
  c.m_pTarget[1] = &other;
  RunPass(c, inst);
  EXPECT_EQ(c.m_nFacing, 1);
  // A subject whose facing follows its moves: nothing, and no sound.
  c.m_Chara.m_bFacingLock = 0;
  c.m_nFacing = 0;
  cmd.m_sSound = 4;
  Sounds().clear();
  inst = Running(cmd);
  RunPass(c, inst);
  EXPECT_EQ(c.m_nFacing, 0);
  EXPECT_TRUE(Sounds().empty());
}

TEST_F(MoveTest, TargetSlotsOutsideTheFourAreReported) {
  cChara& c = Mover(true);
  const cFlowCmd cmd = MoveCmd(CMD_MOVE_HOMING, [](cEdMove& m) { m.m_nTargetSlot = 7; });
  cCmdInstance inst = Running(cmd, 2);
  c.m_pTarget[0] = &c;
  EXPECT_EQ(RunPass(c, inst).x, 0);
  EXPECT_EQ(TakeCloseRequests(), 1);
}

// A character whose jump records the counter it is handed.
struct JumpRecorder : cChara {
  std::vector<int> seen;
  void Jump(cCmdInstance& cmd) override { seen.push_back(cmd.m_bActed); }
};

TEST_F(MoveTest, JumpCallsTheSubjectsJumpAndCounts) {
  JumpRecorder c;
  c.m_bFixedX = 1;
  cFlowCmd cmd = MoveCmd(CMD_JUMP);
  cCmdInstance inst = Running(cmd);
  RunPass(c, inst);
  RunPass(c, inst);
  EXPECT_EQ(c.seen, (std::vector<int>{0, 1}));
  EXPECT_EQ(inst.m_bActed, 2);
  EXPECT_EQ(c.m_bFixedX, 0);
}

}  // namespace
