// The geometry of the move commands: directions, angles and offsets of a command, the step of a
// straight move by direction, angle or target point, the turn-back at ledges, aiming at a point with
// the auto-scroll corrected, the off-screen avoidance, the wave speeds, and the step's application
// to the object's speeds or inertia.
#include <cmath>
#include <numbers>

#include "flow/flowinst.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

namespace {

constexpr double kRootHalf = 0.7071067811865476;
constexpr double kDegree = std::numbers::pi / 180.0;

int StepsPerFrame() { return g_StageData.m_nStepsPerFrame > 0 ? g_StageData.m_nStepsPerFrame : 1; }

const cScrollAxis& AxisX() {
  static const cScrollAxis none;
  return g_pScenePlay ? g_pScenePlay->m_ScrollX : none;
}
const cScrollAxis& AxisY() {
  static const cScrollAxis none;
  return g_pScenePlay ? g_pScenePlay->m_ScrollY : none;
}
double ScrollingSpeed(const cScrollAxis& a) { return a.IsScrolling() ? a.m_dAutoSpeed : 0.0; }

int FaceOf(double dx) { return dx > 0 ? 2 : dx < 0 ? 1 : 0; }

const cEdMove* MoveOf(const cCmdInstance& cmd) { return cmd.m_pCmd ? cmd.m_pCmd->m_pEdMove.get() : nullptr; }

}  // namespace

// ---- Directions, angles, offsets ----

int cCharaBase::ResolveDirection(int dirKind, int inputNow, int tableArg, int keepDiagonal) {
  const bool right = m_nFacing == 1;
  switch (dirKind) {
    case 0: return right ? 3 : 2;
    case 1: return right ? 2 : 3;
    case 4: return right ? 7 : 6;
    case 5: return right ? 6 : 7;
    case 12: {
      int key = 0;
      if (inputNow)
        key = GetFirstHeldDirKey(g_vInput.At(0));
      else if (g_pScenePlay && g_pScenePlay->m_pCurFlow)
        key = g_pScenePlay->m_pCurFlow->m_nStartDir;
      int code = InputDirToDirCode(key, tableArg, m_nFacing, PlaybackVersion());
      if (!keepDiagonal) {
        if (code == 8 || code == 9) code = 2;
        if (code == 10 || code == 11) code = 3;
      }
      return code;
    }
    default: return dirKind >= 2 && dirKind <= 11 ? dirKind : -1;
  }
}

void cCharaBase::CalcCmdAngle(cCmdInstance& cmd) {
  const cEdMove* move = MoveOf(cmd);
  if (!move) return;
  int angle = move->m_sAngleStep * m_sParamLevel + move->m_sAngle;
  if (move->m_bAngleMirror && m_Chara.m_cFacing == 1) angle = 360 - angle;
  if (angle >= 360) angle %= 360;
  cmd.m_nAngle = angle;
}

void cCharaBase::GetCmdOffset(cCmdInstance& cmd) {
  const cEdMove* move = MoveOf(cmd);
  if (!move) return;
  int x, y;
  if (move->m_nUnit == 0) {
    x = move->m_sTargetDotX + move->m_sTargetX * 32;
    y = move->m_sTargetY * 32 + move->m_sTargetDotY;
  } else {
    x = move->m_sTargetDotX + move->m_sTargetX;
    y = move->m_sTargetDotY + move->m_sTargetY;
  }
  if (m_Chara.m_cFacing == 1) {
    if (move->m_bMirrorX) x = -x;
    if (move->m_bMirrorY) y = -y;
  }
  cmd.m_nOffsetX = x;
  cmd.m_nOffsetY = y;
}

// ---- Straight moves ----

void cCharaBase::CalcDirectionMove(double& dx, double& dy, int& face, double speed, int dirKind) {
  dx = dy = 0;
  const int code = ResolveDirection(dirKind, 0, 1, m_bFlying);
  const double diag = speed * kRootHalf;
  int f = 0;
  switch (code) {
    case 2: dx = -speed; f = 1; break;
    case 3: dx = speed; f = 2; break;
    case 6: dy = m_bFlying ? -speed : 0; break;
    case 7: dy = m_bFlying ? speed : 0; break;
    case 8: dx = -diag; dy = m_bFlying ? -diag : 0; f = 1; break;
    case 9: dx = -diag; dy = m_bFlying ? diag : 0; f = 1; break;
    case 10: dx = diag; dy = m_bFlying ? -diag : 0; f = 2; break;
    case 11: dx = diag; dy = m_bFlying ? diag : 0; f = 2; break;
    default: return;
  }
  if (!m_Chara.m_bFacingLock) face = f;
}

void cCharaBase::CalcAngleMove(double& dx, double& dy, int& face, double speed, int dirKind, int16_t angleOffset) {
  const int code = ResolveDirection(dirKind, 0, 1, m_bFlying);
  int base = 0, f = -1;
  switch (code) {
    case 2: base = 0; f = 1; break;
    case 3: base = 180; f = 2; break;
    case 6: base = 90; f = 0; break;
    case 7: base = 270; f = 0; break;
    case 8: base = 45; f = 1; break;
    case 9: base = 315; f = 1; break;
    case 10: base = 135; f = 2; break;
    case 11: base = 225; f = 2; break;
    default: break;
  }
  const double a = (base + angleOffset) * kDegree;
  dx = -std::cos(a) * speed;
  dy = m_bFlying ? -std::sin(a) * speed : 0;
  if (f >= 0) face = f;
}

void cCharaBase::CalcTargetPointMove(double& dx, double& dy, int& face, double speed, int tx, int ty,
                                     const cEdMove& move, int& frames) {
  dx = dy = 0;
  const double px = m_PicRect.CentreX() + AxisX().m_dPos;
  const double py = m_PicRect.CentreY() + AxisY().m_dPos;
  const int cellCentre = move.m_nUnit != 1 ? 16 : 0;
  double goalX, goalY;
  switch (move.m_nCoordMode) {
    case 0: goalX = m_dHomeX + tx; goalY = m_dHomeY + ty; break;
    case 1: goalX = px + tx; goalY = py + ty; break;
    case 2: goalX = 10 * 32 + tx + cellCentre; goalY = 10 * 32 + ty + cellCentre; break;
    case 3: goalX = AxisX().m_dPos + tx + cellCentre; goalY = AxisY().m_dPos + ty + cellCentre; break;
    default: return;
  }
  const double vx = move.m_bAxisX ? goalX - px : 0;
  const double vy = move.m_bAxisY ? goalY - py : 0;
  const double d = std::sqrt(vx * vx + vy * vy);
  if (d != 0) {
    dx = move.m_bLockX ? 0 : speed * vx / d;
    dy = move.m_bLockY ? 0 : speed * vy / d;
  }
  const bool locked = m_Chara.m_bFacingLock != 0;
  if (!locked) face = dx < -1e-8 ? 1 : dx > 1e-8 ? 2 : 0;
  if (move.m_bEndAtTarget && speed != 0) {
    frames = TruncToInt(std::fabs(d) / std::fabs(speed));
    if (move.m_bSnap && frames < 1) {
      if (move.m_bAxisX && !move.m_bLockX) {
        dx = 0;
        if (!locked) face = 0;
      }
      if (move.m_bAxisY && !move.m_bLockY) dy = 0;
    }
  }
}

void cCharaBase::CalcTurnBackMove(cCmdInstance& cmd, const cEdMove&) {
  const double sign = GetFacingSign();
  const double speed = cmd.m_dSpeed;
  cmd.m_dMoveY = 0;
  cmd.m_nFaceKind = 0;
  cmd.m_dMoveX = sign * speed;
  if (m_bTurnBack) {
    // Pushed off a block character: turn about, measured against where that character went.
    cmd.m_nFaceKind = m_nFacing == 0 ? 2 : 1;
    cmd.m_dMoveX = -(sign * speed);
    const cChara* ride = nullptr;
    for (const cChara& c : g_lstChara)
      if (c.m_nObjNo == m_nRideObjNo) {
        ride = &c;
        break;
      }
    m_bTurnBack = 0;
    if (!ride) return;
    const double diff = ride->m_dX - m_RideRect.m_dLeft;
    if ((m_nFacing == 1 && diff < 0) || (m_nFacing == 0 && diff > 0))
      cmd.m_dMoveX = 2 * diff - sign * speed;
    else
      cmd.m_dMoveX = diff - sign * speed;
    return;
  }
  // At a ledge: turn toward the foot that still has ground.
  const cScrollAxis& ax = AxisX();
  const cScrollAxis& ay = AxisY();
  int row = TruncToInt((m_dBottom + 1.1) / 32);
  if (ay.m_nMapCells > 0 && row > ay.m_nMapCells - 1) row = ay.m_nMapCells - 1;
  auto ground = [&](int col) {
    const int index = col + (row << ax.m_nShift);
    return g_MapCells.At(index).GetCellHitCode(m_nSide) != 0;
  };
  const bool left = ground(m_nCellLeft);
  const bool right = ground(m_nCellRight);
  int request = 0;
  if (right && !left) request = 2;
  if (left && !right) request = 1;
  if (speed < 0 && !g_SystemData.m_bTurnBackKeepSide && request) request = 3 - request;
  cmd.m_nFaceKind = request;
}

// ---- Aiming ----

int cCharaBase::CalcAimMove(cCmdInstance& cmd, const cEdMove& move, cGameObj* target, double tx, double ty) {
  const int sync = m_bScrollSync;
  if (!move.m_bLockX && !move.m_bLockY) return SnapToCommandPoint(cmd, target, tx, ty, sync, move.m_bSnap);
  if (!move.m_bLockX) return SnapToCommandPointX(cmd, target, tx, sync, move.m_bSnap);
  if (!move.m_bLockY) return SnapToCommandPointY(cmd, target, ty, sync, move.m_bSnap);
  cmd.m_dMoveX = cmd.m_dMoveY = 0;
  cmd.m_nFaceKind = 0;
  return 0;
}

void cGameObj::GetCommandPoint(double& x, double& y, const cCmdInstance& cmd) const {
  const cEdMove* move = MoveOf(cmd);
  if (!move || !move->m_bLockX) x = m_PicRect.CentreX() + cmd.m_nOffsetX;
  if (!move || !move->m_bLockY) y = m_PicRect.CentreY() + cmd.m_nOffsetY;
}

namespace {

// Before putting the mover on the point: both screen rectangles as they are now (an accelerating
// move keeps the ones it had).
void RefreshForSnap(cGameObj& mover, cGameObj* target, const cCmdInstance& cmd) {
  const cEdMove* move = MoveOf(cmd);
  if (move && move->m_bAccel) return;
  mover.UpdateScreenPos();
  if (target) target->UpdateScreenPos();
}

}  // namespace

int cGameObj::SnapToCommandPoint(cCmdInstance& cmd, cGameObj* target, double tx, double ty, int sync, int snap) {
  const int arrived = CalcAimStep(cmd.m_dMoveX, cmd.m_dMoveY, cmd.m_nFaceKind, target, m_PicRect.CentreX(),
                                  m_PicRect.CentreY(), tx, ty, cmd.m_dSpeed, sync, 0, snap);
  if (arrived && snap) {
    RefreshForSnap(*this, target, cmd);
    SetCentreAndClear(TruncToInt(tx), TruncToInt(ty), cmd);
  }
  return arrived;
}

int cGameObj::SnapToCommandPointX(cCmdInstance& cmd, cGameObj* target, double t, int sync, int snap) {
  const int arrived = StepTowardX(cmd.m_dMoveX, cmd.m_dMoveY, cmd.m_nFaceKind, target, m_PicRect.CentreX(), t,
                                  cmd.m_dSpeed, sync, snap);
  if (arrived && snap) {
    RefreshForSnap(*this, target, cmd);
    SetCentreXAndClear(TruncToInt(t), cmd);
  }
  return arrived;
}

int cGameObj::SnapToCommandPointY(cCmdInstance& cmd, cGameObj* target, double t, int sync, int snap) {
  const int arrived = StepTowardY(cmd.m_dMoveY, cmd.m_dMoveX, cmd.m_nFaceKind, target, m_PicRect.CentreY(), t,
                                  cmd.m_dSpeed, sync, snap);
  if (arrived && snap) {
    RefreshForSnap(*this, target, cmd);
    SetCentreYAndClear(TruncToInt(t), cmd);
  }
  return arrived;
}

namespace {

int StepToward(double& step, double& other, int& face, const cGameObj* target, double pos, double goal, double speed,
               int sync, int testArrive, const cScrollAxis& axis, int faceLow, int faceHigh) {
  if (pos >= goal) {
    step = -speed;
    face = faceLow;
  } else {
    step = speed;
    face = faceHigh;
  }
  if (g_SystemData.m_bAimAddScroll && !sync && target && target->m_bScrollSync) step += ScrollingSpeed(axis);
  other = 0;
  return testArrive ? std::fabs(speed) > std::fabs(pos - goal) : 0;
}

}  // namespace

int cGameObj::StepTowardX(double& step, double& other, int& face, const cGameObj* target, double pos, double goal,
                          double speed, int sync, int testArrive) {
  return StepToward(step, other, face, target, pos, goal, speed, sync, testArrive, AxisX(), 1, 2);
}

int cGameObj::StepTowardY(double& step, double& other, int& face, const cGameObj* target, double pos, double goal,
                          double speed, int sync, int testArrive) {
  return StepToward(step, other, face, target, pos, goal, speed, sync, testArrive, AxisY(), 0, 0);
}

int cGameObj::CalcAimStep(double& dx, double& dy, int& face, const cGameObj* target, double cx, double cy, double tx,
                          double ty, double speed, int sync, int plain, int testArrive) {
  const double sx = ScrollingSpeed(AxisX());
  const double sy = ScrollingSpeed(AxisY());
  const bool targetSync = target && target->m_bScrollSync;
  if (speed < 0 && !plain) {
    // Flee: away from the target's side on each axis.
    const double a = std::fabs(speed) * kRootHalf;
    dx = tx <= cx ? a : -a;
    dy = ty <= cy ? a : -a;
    face = FaceOf(dx);
    if (g_SystemData.m_bAimAddScroll) {
      dx += sx;
      dy += sy;
    } else if (target && (sync != 0) != targetSync) {
      dx -= sx;
      dy -= sy;
    }
    return 0;
  }
  const double vx = tx - cx;
  const double vy = ty - cy;
  double d = std::sqrt(vx * vx + vy * vy);
  const bool onPoint = d == 0;
  if (onPoint) d = 1;
  dx = speed * vx / d;
  dy = speed * vy / d;
  if (g_SystemData.m_bAimAddScroll) {
    dx += sx;
    dy += sy;
  } else if (target) {
    if (!sync && targetSync) {
      // Intercept: a step of the same length whose motion relative to the scrolling view points
      // at the target. With u the unit vector of v and S the scroll velocity, the step is S + k u
      // with |S + k u| = speed: k^2 + 2 (S.u) k + |S|^2 - speed^2 = 0, the larger root, which must be
      // positive (the target is reached in a positive time).
      if ((sx != 0 || sy != 0) && !onPoint && speed > 0) {
        const double ux = vx / d, uy = vy / d;
        const double b = sx * ux + sy * uy;
        const double disc = b * b - (sx * sx + sy * sy) + speed * speed;
        if (disc >= 0) {
          const double k = -b + std::sqrt(disc);
          if (k > 0) {
            dx = sx + k * ux;
            dy = sy + k * uy;
          }
        }
      }
    } else if (!(sync && targetSync)) {
      dx -= sx;
      dy -= sy;
    }
  }
  face = FaceOf(dx);
  if (!testArrive) return 0;
  return std::fabs(vx) <= std::fabs(speed) && std::fabs(vy) <= std::fabs(speed);
}

// ---- Off-screen avoidance ----

void cCharaBase::CalcScreenAvoidMove(cCmdInstance& cmd, const cEdMove& move) {
  const int code = ResolveDirection(move.m_nDir, 0, 1, 1);
  const bool left = code == 2 || code == 8 || code == 9;
  const bool right = code == 3 || code == 10 || code == 11;
  const bool up = code == 6 || code == 8 || code == 10;
  const bool down = code == 7 || code == 9 || code == 11;
  const double speed = cmd.m_dSpeed;
  const cPicRect& p = m_PicRect;
  const cScrollAxis& ax = AxisX();
  const cScrollAxis& ay = AxisY();
  double dx = 0, dy = 0;
  if (ax.m_dAutoSpeed == 0 || ax.m_bAtLimit) {
    if (left && p.m_nLeft > 608) dx = -speed;
    if (right && p.m_nRight < 32) dx = speed;
    if (up && p.m_nTop > 448) dy = -speed;
    if (down && p.m_nBottom < 32) dy = speed;
  } else {
    const double vx = ax.m_dAutoSpeed, fx = std::fabs(vx + 1);
    const double vy = ay.m_dAutoSpeed, fy = std::fabs(vy + 1);
    const double roomX = ax.m_nOuterRange - 640, roomY = ay.m_nOuterRange - 480;
    if (left && p.m_nLeft > 608 - fx && ax.m_dPos > 0 && vx + ax.m_dPos <= roomX) dx = vx - speed;
    if (right && p.m_nRight < fx + 32 && vx + ax.m_dPos > 0 && ax.m_dPos < roomX) dx = vx + speed;
    if (up && p.m_nTop > 448 - fy && ay.m_dPos > 0 && vy + ay.m_dPos <= roomY) dy = vy - speed;
    if (down && p.m_nBottom < fy + 32 && vy + ay.m_dPos > 0 && ay.m_dPos < roomY) dy = vy + speed;
  }
  cmd.m_dMoveX = dx;
  cmd.m_dMoveY = dy;
}

// ---- Waves ----

double cGameObj::WaveSpeedCos(int amplitude, int rate, double& phase, double phaseStep, double start) {
  const int n = StepsPerFrame();
  const double w = rate * kDegree;
  const double v = amplitude * w * std::cos(w * (phase / n + start)) / n;
  phase += phaseStep;
  if (phase >= 360.0 * n) phase -= 360.0 * n;
  return v;
}

double cGameObj::WaveSpeedSin(int amplitude, int rate, double& phase, double phaseStep, double start) {
  const int n = StepsPerFrame();
  const double w = rate * kDegree;
  const double v = -amplitude * w * w * std::sin(w * (phase / n + start)) / (static_cast<double>(n) * n);
  phase += phaseStep;
  if (phase >= 360.0 * n) phase -= 360.0 * n;
  return v;
}

// ---- Applying a step ----

int cCharaBase::ApplyCmdSpeed(double dx, double dy, int face, cCmdInstance& cmd, const cEdMove& move, int force) {
  if (!move.m_bKeepFacing && !(m_Chara.m_bFacingLock && !force)) {
    if (face == 1) m_nFacing = 0;
    if (face == 2) m_nFacing = 1;
  }
  if (move.m_bAccel) {
    auto accelerate = [&](double& inertia, double step, int& friction) {
      double inc = CellSpeedToStep(step);
      if (inertia * step < 0)
        inc *= move.m_dTurnFactor;
      else
        friction = 0;
      inertia += inc;
      if (inertia > cmd.m_dMaxSpeed) inertia = cmd.m_dMaxSpeed;
      if (inertia < -cmd.m_dMaxSpeed) inertia = -cmd.m_dMaxSpeed;
    };
    accelerate(m_dInertiaX, dx, m_bFrictionX);
    accelerate(m_dInertiaY, dy, m_bFrictionY);
  } else {
    m_dSpeedX += dx;
    m_dSpeedY += dy;
  }
  switch (move.m_nAnimMode) {
    case 0:
      m_bMoveReq = 1;
      if (m_nBaseAnimReqLevel > 2) return 2;
      m_nBaseAnimReqLevel = 2;
      m_nBaseAnimReq = m_bFlying ? 3 : 1;
      return m_bFlying;
    case 1:
      m_bMoveReq = 1;
      if (m_nBaseAnimReqLevel > 1) return 1;
      m_nBaseAnimReqLevel = 1;
      m_nBaseAnimReq = m_bFlying ? 2 : 0;
      return m_bFlying;
    default: return move.m_nAnimMode - 1;
  }
}
