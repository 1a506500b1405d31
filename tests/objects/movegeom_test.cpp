#include <gtest/gtest.h>

#include <cmath>

#include "support/play_fixture.h"

namespace {

constexpr double kR = 0.7071067811865476;

class MoveGeomTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    obj_ = &AddChara(1);
    obj_->m_Chara.m_bFacingLock = 0;
    move_.SetDefaults();
  }
  // The object's picture on screen: left, top, 32 x 32.
  void PlaceOnScreen(int left, int top) {
    cPicRect& p = obj_->m_PicRect;
    p.m_nLeft = left;
    p.m_nTop = top;
    p.m_nW = p.m_nH = 32;
    p.m_nRight = left + 31;
    p.m_nBottom = top + 31;
  }
  static void Scroll(cScrollAxis& axis, double pos, double autoSpeed) {
    axis.m_dPos = pos;
    axis.m_dAutoSpeed = autoSpeed;
    axis.m_bAtLimit = 0;
  }

  cChara* obj_ = nullptr;
  cEdMove move_;
};

TEST_F(MoveGeomTest, DirectionMoves) {
  cFlowInstance flow;
  scene_.m_pCurFlow = &flow;
  const struct {
    int dir, facing, flying, lock, startKey;
    double dx, dy;
    int face;
  } cases[] = {
      {0, 0, 0, 0, 0, -4, 0, 1},           {0, 1, 0, 0, 0, 4, 0, 2},   {1, 1, 0, 0, 0, -4, 0, 1},
      {6, 1, 0, 0, 0, 0, 0, 0},            {6, 1, 1, 0, 0, 0, -4, 0},  {5, 1, 1, 0, 0, 0, -4, 0},
      {9, 0, 1, 0, 0, -4 * kR, 4 * kR, 1}, {9, 0, 0, 0, 0, -4 * kR, 0, 1},
      {12, 0, 0, 0, 8, 4, 0, 2},           // down-right held, walking: collapsed to right
      {12, 0, 1, 0, 8, 4 * kR, 4 * kR, 2},  // flying keeps the diagonal
      {12, 1, 0, 0, 0, 4, 0, 2},           // no key: the facing
      {12, 1, 0, 0, 9, 0, 0, 9},           // key 9 with the table argument: no move, no request
      {2, 1, 0, 1, 0, -4, 0, 9},           // a locked facing gets no request
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& tc = cases[i];
    obj_->m_nFacing = tc.facing;
    obj_->m_bFlying = tc.flying;
    obj_->m_Chara.m_bFacingLock = static_cast<int8_t>(tc.lock);
    flow.m_nStartDir = tc.startKey;
    double dx = 99, dy = 99;
    int face = 9;
    obj_->CalcDirectionMove(dx, dy, face, 4.0, tc.dir);
    EXPECT_DOUBLE_EQ(dx, tc.dx) << "case " << i;
    EXPECT_DOUBLE_EQ(dy, tc.dy) << "case " << i;
    EXPECT_EQ(face, tc.face) << "case " << i;
  }
  // A replay of version 778 reads key 9 as no key.
  g_bReplayPlayback = 1;
  g_ReplayData.m_nFileVersion = 778;
  flow.m_nStartDir = 9;
  obj_->m_nFacing = 0;
  EXPECT_EQ(obj_->ResolveDirection(12, 0, 1, 0), 2);
  g_ReplayData.m_nFileVersion = 777;
  EXPECT_EQ(obj_->ResolveDirection(12, 0, 0, 0), 0);
  // The key held now on device 0.
  g_vInput[0].m_wDir = 4;
  g_vInput[0].RecordEdges();
  EXPECT_EQ(obj_->ResolveDirection(12, 1, 1, 0), 6);
}

TEST_F(MoveGeomTest, CommandAnglesOffsetsAndAngleMoves) {
  cFlowCmd cmd = Cmd(CMD_MOVE_STRAIGHT);
  CreateEdMove(cmd.m_pEdMove);
  cCmdInstance inst;
  inst.m_pCmd = &cmd;
  cEdMove& m = *cmd.m_pEdMove;
  const struct {
    int base, step, level, mirror, defFacing, want;
  } angles[] = {{400, 0, 0, 0, 0, 40}, {-30, 0, 0, 0, 1, -30}, {-30, 0, 0, 1, 1, 30}, {30, 0, 0, 1, 0, 30},
                {100, 200, 2, 0, 0, 140}, {720, 0, 0, 0, 0, 0}};
  for (const auto& tc : angles) {
    m.m_sAngle = static_cast<int16_t>(tc.base);
    m.m_sAngleStep = static_cast<int16_t>(tc.step);
    m.m_bAngleMirror = static_cast<int8_t>(tc.mirror);
    obj_->m_sParamLevel = static_cast<int16_t>(tc.level);
    obj_->m_Chara.m_cFacing = static_cast<int8_t>(tc.defFacing);
    obj_->CalcCmdAngle(inst);
    EXPECT_EQ(inst.m_nAngle, tc.want) << tc.base;
  }
  m.m_sTargetX = 2;
  m.m_sTargetDotX = 5;
  m.m_sTargetY = -1;
  m.m_sTargetDotY = 3;
  m.m_bMirrorX = 1;
  m.m_bMirrorY = 1;
  obj_->m_Chara.m_cFacing = 0;
  obj_->GetCmdOffset(inst);
  EXPECT_EQ(inst.m_nOffsetX, 69);
  EXPECT_EQ(inst.m_nOffsetY, -29);
  m.m_nUnit = 1;
  obj_->m_Chara.m_cFacing = 1;
  obj_->GetCmdOffset(inst);
  EXPECT_EQ(inst.m_nOffsetX, -7);
  EXPECT_EQ(inst.m_nOffsetY, -2);

  obj_->m_bFlying = 1;
  double dx, dy;
  int face = 9;
  obj_->CalcAngleMove(dx, dy, face, 2.0, 2, 90);  // left turned by 90: up
  EXPECT_NEAR(dx, 0, 1e-12);
  EXPECT_DOUBLE_EQ(dy, -2.0);
  EXPECT_EQ(face, 1);
  obj_->CalcAngleMove(dx, dy, face, 2.0, 11, 0);  // down-right: 225 degrees
  EXPECT_DOUBLE_EQ(dx, -std::cos(225 * std::numbers::pi / 180) * 2);
  EXPECT_DOUBLE_EQ(dy, -std::sin(225 * std::numbers::pi / 180) * 2);
  EXPECT_EQ(face, 2);
  obj_->m_bFlying = 0;
  obj_->CalcAngleMove(dx, dy, face, 2.0, 6, 0);
  EXPECT_EQ(dy, 0) << "walking objects do not move up";
}

TEST_F(MoveGeomTest, TargetPointMoves) {
  PlaceOnScreen(84, 84);  // picture centre (100, 100) on screen
  Scroll(scene_.m_ScrollX, 50, 0);
  Scroll(scene_.m_ScrollY, 20, 0);  // centre (150, 120) in the stage
  obj_->m_dHomeX = 100;
  obj_->m_dHomeY = 80;
  auto run = [&](int mode, int unit, int axisY, int lockX, int snap, int tx, int ty, double& dx, double& dy, int& face,
                 int& frames) {
    move_.m_nCoordMode = static_cast<int8_t>(mode);
    move_.m_nUnit = static_cast<int8_t>(unit);
    move_.m_bAxisY = static_cast<int8_t>(axisY);
    move_.m_bLockX = static_cast<int8_t>(lockX);
    move_.m_bSnap = static_cast<int8_t>(snap);
    dx = dy = 99;
    face = 9;
    frames = -1;
    obj_->CalcTargetPointMove(dx, dy, face, 5.0, tx, ty, move_, frames);
  };
  double dx, dy;
  int face, frames;
  run(1, 0, 1, 0, 0, 30, 40, dx, dy, face, frames);
  EXPECT_DOUBLE_EQ(dx, 3);
  EXPECT_DOUBLE_EQ(dy, 4);
  EXPECT_EQ(face, 2);
  EXPECT_EQ(frames, 10);
  run(0, 0, 1, 0, 0, 30, 40, dx, dy, face, frames);  // home + (30, 40) = (130, 120)
  EXPECT_DOUBLE_EQ(dx, -5);
  EXPECT_DOUBLE_EQ(dy, 0);
  EXPECT_EQ(face, 1);
  EXPECT_EQ(frames, 4);
  run(2, 1, 1, 0, 0, -170, 0, dx, dy, face, frames);  // absolute (150, 320): straight down
  EXPECT_DOUBLE_EQ(dx, 0);
  EXPECT_DOUBLE_EQ(dy, 5);
  EXPECT_EQ(face, 0);
  EXPECT_EQ(frames, 40);
  run(3, 0, 1, 0, 0, 84, 84, dx, dy, face, frames);  // screen (84 + 16, 84 + 16) + scroll: the centre
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(frames, 0);
  run(1, 0, 0, 0, 0, 30, 40, dx, dy, face, frames);  // y not given
  EXPECT_DOUBLE_EQ(dx, 5);
  EXPECT_DOUBLE_EQ(dy, 0);
  EXPECT_EQ(frames, 6);
  run(1, 0, 1, 1, 0, 30, 40, dx, dy, face, frames);  // x switched off
  EXPECT_DOUBLE_EQ(dx, 0);
  EXPECT_DOUBLE_EQ(dy, 4);
  EXPECT_EQ(face, 0);
  run(1, 0, 1, 0, 1, 3, 4, dx, dy, face, frames);  // one step away: still a step
  EXPECT_DOUBLE_EQ(dx, 3);
  EXPECT_EQ(frames, 1);
  run(1, 0, 1, 0, 1, 2, 2, dx, dy, face, frames);  // closer than a step, with snap: no step
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  EXPECT_EQ(face, 0);
  run(7, 0, 1, 0, 0, 30, 40, dx, dy, face, frames);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(face, 9) << "an unknown coordinate mode gives no step";
}

TEST_F(MoveGeomTest, TurnBackAtALedgeAndOffABlockCharacter) {
  // A 64-column grid; the object's feet on row 15, its edges in columns 12 and 13.
  scene_.m_ScrollX.m_nShift = 6;
  scene_.m_ScrollY.m_nMapCells = 40;
  cBlockData air;
  air.m_cHit = 0;
  g_MapCells.assign(64 * 40, cMapCell(air));
  g_MapCells[12 + (15 << 6)].m_cHit = 1;
  obj_->m_dBottom = 14 * 32 + 31;
  obj_->m_nCellLeft = 12;
  obj_->m_nCellRight = 13;
  obj_->m_nSide = 1;  // cells let side 0 through
  obj_->m_nFacing = 1;
  cCmdInstance cmd;
  const struct {
    double speed;
    int keepSide, face;
  } cases[] = {{2, 0, 1}, {-2, 0, 2}, {-2, 1, 1}};
  for (const auto& tc : cases) {
    g_SystemData.m_bTurnBackKeepSide = tc.keepSide;
    cmd.m_dSpeed = tc.speed;
    obj_->CalcTurnBackMove(cmd, move_);
    EXPECT_EQ(cmd.m_nFaceKind, tc.face) << tc.speed;
    EXPECT_EQ(cmd.m_dMoveX, tc.speed);
  }
  g_MapCells[13 + (15 << 6)].m_cHit = 1;
  cmd.m_dSpeed = 2;
  obj_->CalcTurnBackMove(cmd, move_);
  EXPECT_EQ(cmd.m_nFaceKind, 0) << "ground under both feet";

  // Pushed off a block character that moved 4 pixels right since the ride.
  cChara& ride = AddChara(5);
  ride.m_dX = 100;
  obj_->m_RideRect.m_dLeft = 96;
  obj_->m_nRideObjNo = 5;
  const struct {
    int facing;
    double dx;
    int face;
  } pushes[] = {{1, 4 - 2, 1}, {0, 2 * 4 + 2, 2}};
  for (const auto& tc : pushes) {
    obj_->m_nFacing = tc.facing;
    obj_->m_bTurnBack = 1;
    obj_->CalcTurnBackMove(cmd, move_);
    EXPECT_DOUBLE_EQ(cmd.m_dMoveX, tc.dx);
    EXPECT_EQ(cmd.m_nFaceKind, tc.face);
    EXPECT_EQ(obj_->m_bTurnBack, 0);
  }
  obj_->m_nRideObjNo = 6;
  obj_->m_bTurnBack = 1;
  obj_->CalcTurnBackMove(cmd, move_);
  EXPECT_DOUBLE_EQ(cmd.m_dMoveX, 2) << "the character is gone: just turn about";
  EXPECT_EQ(obj_->m_bTurnBack, 0);
}

TEST_F(MoveGeomTest, OffScreenAvoidance) {
  cCmdInstance cmd;
  cmd.m_dSpeed = 3;
  obj_->m_nFacing = 0;
  move_.m_nDir = 2;  // watches left
  for (int left : {608, 609}) {
    PlaceOnScreen(left, 100);
    obj_->CalcScreenAvoidMove(cmd, move_);
    EXPECT_EQ(cmd.m_dMoveX, left == 609 ? -3 : 0);
  }
  move_.m_nDir = 11;  // right and down
  PlaceOnScreen(-1, -1);
  obj_->CalcScreenAvoidMove(cmd, move_);
  EXPECT_EQ(cmd.m_dMoveX, 3);
  EXPECT_EQ(cmd.m_dMoveY, 3);
  // Scrolling right at 2: f = 3; the edges move in by it and the scroll speed is added.
  Scroll(scene_.m_ScrollX, 100, 2);
  scene_.m_ScrollX.m_nOuterRange = 2000;
  scene_.m_ScrollY.m_nOuterRange = 1000;
  move_.m_nDir = 2;
  PlaceOnScreen(606, 100);
  obj_->CalcScreenAvoidMove(cmd, move_);
  EXPECT_EQ(cmd.m_dMoveX, 2 - 3);
  PlaceOnScreen(605, 100);
  obj_->CalcScreenAvoidMove(cmd, move_);
  EXPECT_EQ(cmd.m_dMoveX, 0);
  scene_.m_ScrollX.m_dPos = 1359;  // 2 + 1359 > 2000 - 640
  PlaceOnScreen(606, 100);
  obj_->CalcScreenAvoidMove(cmd, move_);
  EXPECT_EQ(cmd.m_dMoveX, 0);
}

TEST_F(MoveGeomTest, AimStepsWorkedByHand) {
  cChara& target = AddChara(2);
  auto aim = [&](double tx, double ty, double speed, int sync, const cGameObj* t, int& arrived) {
    double dx = 0, dy = 0;
    int face = 9;
    arrived = cGameObj::CalcAimStep(dx, dy, face, t, 0, 0, tx, ty, speed, sync, 0, 1);
    return std::vector<double>{dx, dy, static_cast<double>(face)};
  };
  int arrived;
  EXPECT_EQ(aim(30, -40, 5, 0, nullptr, arrived), (std::vector<double>{3, -4, 2}));
  EXPECT_EQ(arrived, 0);
  EXPECT_EQ(aim(0, 0, 5, 0, nullptr, arrived), (std::vector<double>{0, 0, 0})) << "on the point: d counts as 1";
  EXPECT_EQ(arrived, 1);
  EXPECT_EQ(aim(4, -5, 5, 0, nullptr, arrived), (std::vector<double>{5 * 4 / std::sqrt(41.0), -5 * 5 / std::sqrt(41.0), 2}));
  EXPECT_EQ(arrived, 1);
  EXPECT_EQ(aim(10, 0, -2, 0, nullptr, arrived), (std::vector<double>{-2 * kR, 2 * kR, 1})) << "flee";

  // The view scrolls down at 3; the target moves with it, the mover does not.
  Scroll(scene_.m_ScrollY, 0, 3);
  target.m_bScrollSync = 1;
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{4, 3, 2})) << "intercept: k = 4";
  Scroll(scene_.m_ScrollY, 0, 6);
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 0, 2})) << "no real root";
  Scroll(scene_.m_ScrollY, 0, 0);
  Scroll(scene_.m_ScrollX, 0, 3);
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 0, 2})) << "k = 2";
  Scroll(scene_.m_ScrollX, 0, -3);
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 0, 2})) << "k = 8";
  Scroll(scene_.m_ScrollX, 0, 8);
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 0, 2})) << "no positive time";
  Scroll(scene_.m_ScrollX, 0, 0);
  Scroll(scene_.m_ScrollY, 0, 3);
  // Neither moves with the scroll, or only the mover: the scroll is taken off.
  target.m_bScrollSync = 0;
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, -3, 2}));
  EXPECT_EQ(aim(100, 0, 5, 1, &target, arrived), (std::vector<double>{5, -3, 2}));
  target.m_bScrollSync = 1;
  EXPECT_EQ(aim(100, 0, 5, 1, &target, arrived), (std::vector<double>{5, 0, 2})) << "both move with it";
  EXPECT_EQ(aim(100, 0, 5, 1, nullptr, arrived), (std::vector<double>{5, 0, 2})) << "no target, no correction";
  EXPECT_EQ(aim(-10, 0, -2, 0, &target, arrived), (std::vector<double>{2 * kR, 2 * kR - 3, 2})) << "flee corrected";
  g_SystemData.m_bAimAddScroll = 1;
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 3, 2}));
  scene_.m_ScrollY.m_bAtLimit = 1;
  EXPECT_EQ(aim(100, 0, 5, 0, &target, arrived), (std::vector<double>{5, 0, 2})) << "a view at its limit stands";
}

TEST_F(MoveGeomTest, SnappingOntoTheCommandPoint) {
  PlaceOnScreen(84, 84);
  cFlowCmd rec = Cmd(CMD_MOVE_CHARGE);
  CreateEdMove(rec.m_pEdMove);
  cCmdInstance cmd;
  cmd.m_pCmd = &rec;
  cmd.m_dSpeed = 5;
  obj_->m_dX = obj_->m_dY = 400;
  // A grid wide enough that the character's bounds never hold it.
  scene_.m_ScrollX.m_nOuterRange = scene_.m_ScrollY.m_nOuterRange = 4096;
  // Screen positions follow the box through the scroll (0) and the offset (0).
  obj_->m_PicRect.m_nW = obj_->m_PicRect.m_nH = 32;
  obj_->UpdateScreenPos();
  move_.m_bSnap = 1;
  EXPECT_EQ(obj_->CalcAimMove(cmd, move_, nullptr, 419, 419), 1);
  EXPECT_EQ(obj_->m_dX, 403);
  EXPECT_EQ(obj_->m_dY, 403);
  EXPECT_EQ(cmd.m_dMoveX, 0);
  move_.m_bLockY = 1;
  EXPECT_EQ(obj_->CalcAimMove(cmd, move_, nullptr, 500, 0), 0);
  EXPECT_EQ(cmd.m_dMoveX, 5);
  EXPECT_EQ(cmd.m_nFaceKind, 2);
  move_.m_bLockX = 1;
  obj_->CalcAimMove(cmd, move_, nullptr, 500, 0);
  EXPECT_EQ(cmd.m_dMoveX, 0);
  EXPECT_EQ(cmd.m_nFaceKind, 0);
}

TEST_F(MoveGeomTest, WavesOverAFullPeriod) {
  for (int n : {1, 2}) {
    SetSteps(n);
    double phase = 0, position = 0, speed = 0;
    double quarter = 0;
    for (int i = 0; i < 360 * n; ++i) {
      double p2 = phase;
      speed += cGameObj::WaveSpeedSin(10, 1, p2, 0, 0);
      position += cGameObj::WaveSpeedCos(10, 1, phase, 1, 0);
      if (i == 90 * n - 1) quarter = position;
    }
    EXPECT_NEAR(quarter, 10, 0.1) << "a quarter period rises by the amplitude";
    EXPECT_NEAR(position, 0, 1e-9) << "a full period comes back";
    EXPECT_NEAR(speed, 0, 1e-9);
    EXPECT_EQ(phase, 0) << "the phase wraps at 360 x n";
  }
}

TEST_F(MoveGeomTest, ApplyingAStep) {
  cCmdInstance cmd;
  cmd.m_dMaxSpeed = 1;
  const struct {
    int choice, flying, levelBefore, result, level, request, moveReq;
  } cases[] = {
      {0, 0, 0, 0, 2, 1, 1}, {0, 1, 1, 1, 2, 3, 1}, {0, 0, 3, 2, 3, -1, 1},
      {1, 0, 0, 0, 1, 0, 1}, {1, 1, 0, 1, 1, 2, 1}, {1, 0, 2, 1, 2, -1, 1}, {2, 0, 0, 1, 0, -1, 0},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.choice << tc.flying << tc.levelBefore);
    move_.m_nAnimMode = static_cast<int8_t>(tc.choice);
    obj_->m_bFlying = tc.flying;
    obj_->m_nBaseAnimReqLevel = tc.levelBefore;
    obj_->m_nBaseAnimReq = -1;
    obj_->m_bMoveReq = 0;
    EXPECT_EQ(obj_->ApplyCmdSpeed(0, 0, 0, cmd, move_, 0), tc.result);
    EXPECT_EQ(obj_->m_nBaseAnimReqLevel, tc.level);
    EXPECT_EQ(obj_->m_nBaseAnimReq, tc.request);
    EXPECT_EQ(obj_->m_bMoveReq, tc.moveReq);
  }
  // Facing: requests turn unless the record keeps the facing or the facing is locked without force.
  obj_->m_nFacing = 1;
  obj_->ApplyCmdSpeed(1.5, -2, 1, cmd, move_, 0);
  EXPECT_EQ(obj_->m_nFacing, 0);
  EXPECT_EQ(obj_->m_dSpeedX, 1.5);
  EXPECT_EQ(obj_->m_dSpeedY, -2);
  obj_->m_Chara.m_bFacingLock = 1;
  obj_->ApplyCmdSpeed(0, 0, 2, cmd, move_, 0);
  EXPECT_EQ(obj_->m_nFacing, 0);
  obj_->ApplyCmdSpeed(0, 0, 2, cmd, move_, 1);
  EXPECT_EQ(obj_->m_nFacing, 1);
  // Accelerating: the reverse factor on an axis that reverses, friction off on the other.
  move_.m_bAccel = 1;
  move_.m_dTurnFactor = 3;
  obj_->m_dInertiaX = 0.5;
  obj_->m_dInertiaY = 0.5;
  obj_->m_bFrictionX = obj_->m_bFrictionY = 1;
  obj_->ApplyCmdSpeed(-6, 6, 0, cmd, move_, 0);
  EXPECT_DOUBLE_EQ(obj_->m_dInertiaX, 0.5 + CellSpeedToStep(-6) * 3);
  EXPECT_DOUBLE_EQ(obj_->m_dInertiaY, 0.5 + CellSpeedToStep(6));
  EXPECT_EQ(obj_->m_bFrictionX, 1);
  EXPECT_EQ(obj_->m_bFrictionY, 0);
  obj_->ApplyCmdSpeed(600, 0, 0, cmd, move_, 0);
  EXPECT_EQ(obj_->m_dInertiaX, 1) << "held to the maximum speed";
}

}  // namespace
