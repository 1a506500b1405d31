// The movement commands: straight, ground turn-back, circle, charge, homing and off-screen-avoiding
// moves, the move cancel, the turn and the jump. Each adds this pass's step to the subject's speeds.
#include <cmath>
#include <cstdint>

#include "flow/executors.h"
#include "gamedata/systemswitches.h"
#include "objects/charabase.h"
#include "scenes/requests.h"
#include "stagedata/edmove.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

constexpr double kRadToDegCharge = 57.29577951308239;
constexpr double kDegToRadCharge = 0.017453292519943278;

enum eStraightMode { STRAIGHT_BY_DIRECTION = 0, STRAIGHT_TO_POINT = 1 };

const cEdMove* MoveRecord(const cCmdInstance* cmd) {
  return cmd && cmd->m_pCmd ? cmd->m_pCmd->m_pEdMove.get() : nullptr;
}

void Unpin(cCharaBase& s) { s.m_bFixedX = s.m_bFixedY = 0; }

bool UnderGravity(const cCharaBase& s) { return s.m_bFlying == 0; }

void Apply(cCharaBase& s, cCmdInstance& c, const cEdMove& m, int face, int force) {
  s.ApplyCmdSpeed(c.m_dMoveX, c.m_dMoveY, face, c, m, force);
}

// The charge's aim turned by the command's angle, keeping its speed.
void TurnCharge(const cCharaBase& s, cCmdInstance& c) {
  int a;
  double x;
  if (!ChargeAngleAltOn()) {
    const double deg = std::atan2(c.m_dMoveY, c.m_dMoveX) * kRadToDegCharge + 180.0;
    a = static_cast<int16_t>(TruncToInt(deg)) + static_cast<int16_t>(c.m_nAngle);
    x = -std::cos(a * kDegToRadCharge) * c.m_dSpeed;
  } else {
    const double deg = std::atan2(c.m_dMoveX, c.m_dMoveY) * kRadToDegCharge + 90.0;
    a = static_cast<int16_t>(TruncToInt(deg)) + static_cast<int16_t>(c.m_nAngle);
    x = std::cos(a * kDegToRadCharge) * c.m_dSpeed;
  }
  c.m_dMoveX = x;
  if (!UnderGravity(s)) c.m_dMoveY = -std::sin(a * kDegToRadCharge) * c.m_dSpeed;
}

// The queue holds the one point of a new run; its node is kept from earlier runs.
void RestartQueue(std::list<cHomingPoint>& q, double x, double y) {
  if (q.empty())
    q.push_back({x, y});
  else
    q.resize(1);
  q.front() = {x, y};
}

// Replaces the oldest remembered point by the newest without allocating: the queue's front node
// moves to the back.
void RotateQueue(std::list<cHomingPoint>& q, double x, double y) {
  if (q.empty()) {
    q.push_back({x, y});
    return;
  }
  q.splice(q.end(), q, q.begin());
  q.back() = {x, y};
}

}  // namespace

int ExecMoveStraight(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  const cEdMove& m = *move;
  Unpin(s);
  if (!c.m_bMoveInit) {
    c.m_bMoveInit = 1;
    s.CalcCmdAngle(c);
    if (m.m_nPosMode == STRAIGHT_TO_POINT) {
      s.GetCmdOffset(c);
      s.CalcTargetPointMove(c.m_dMoveX, c.m_dMoveY, c.m_nFaceKind, c.m_dSpeed, c.m_nOffsetX, c.m_nOffsetY, m,
                            c.m_nRemain);
    } else if (c.m_nAngle == 0) {
      s.CalcDirectionMove(c.m_dMoveX, c.m_dMoveY, c.m_nFaceKind, c.m_dSpeed, c.m_cMoveDir);
    } else {
      s.CalcAngleMove(c.m_dMoveX, c.m_dMoveY, c.m_nFaceKind, c.m_dSpeed, c.m_cMoveDir,
                      static_cast<int16_t>(c.m_nAngle));
    }
    if (UnderGravity(s)) c.m_dMoveY = 0;
  } else {
    if (UnderGravity(s)) c.m_dMoveY = 0;
    // A facing-fixed object that was turned reverses its move (target-point moves only by the
    // older rule).
    const bool flips = m.m_nPosMode == STRAIGHT_BY_DIRECTION || FlipTargetMovesOn();
    if (m.m_bFollowFacing && s.m_Chara.m_bFacingLock == 1 && s.m_nFacing != c.m_nPrevFacing && flips) {
      c.m_dMoveX = -c.m_dMoveX;
      c.m_dMoveY = -c.m_dMoveY;
    }
  }
  // The X-off and Y-off bytes hold their axis at 0, except by the older rule.
  if (!KeepMoveAxesOn()) {
    if (m.m_bLockX) c.m_dMoveX = 0;
    if (m.m_bLockY) c.m_dMoveY = 0;
  }
  Apply(s, c, m, c.m_nFaceKind, 0);
  c.m_nPrevFacing = s.m_nFacing;
  return 0;
}

int ExecMoveGroundTurn(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move || !UnderGravity(*subject)) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  Unpin(s);
  if (s.m_dImpactX != 0 || s.m_dImpactY != 0) {
    // Knocked back: it keeps walking where it faces.
    c.m_dMoveX = s.GetFacingSign() * c.m_dSpeed;
    c.m_dMoveY = 0;
    c.m_nFaceKind = 0;
  } else {
    s.CalcTurnBackMove(c, *move);
  }
  Apply(s, c, *move, c.m_nFaceKind, 1);
  return 0;
}

int ExecMoveCircle(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move) return 0;
  const int radius = cmd->m_nMoveSetup[MOVESETUP_RADIUS];
  if (radius == 0) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  const cEdMove& m = *move;
  Unpin(s);
  if (!c.m_bMoveInit) {
    c.m_bMoveInit = 1;
    c.m_dWork1 = c.m_dWork2 = c.m_nMoveSetup[MOVESETUP_START_ANGLE];
  }
  const bool right = s.m_nFacing == 1;
  const int sense = c.m_cMoveDir;
  const bool ccw = sense == 1 || (sense == 2 && right) || (sense == 3 && !right);
  c.m_dMoveX = c.m_dMoveY = 0;
  const double step = static_cast<double>(g_StageData.m_nStepsPerFrame) * c.m_dSpeed;
  if (!m.m_bLockX) c.m_dMoveX = -cGameObj::WaveSpeedCos(radius, 1, c.m_dWork1, step, 0) * c.m_dSpeed;
  if (!m.m_bLockY && !UnderGravity(s))
    c.m_dMoveY = -cGameObj::WaveSpeedCos(radius, 1, c.m_dWork2, step, ccw ? 90.0 : 270.0) * c.m_dSpeed;
  Apply(s, c, m, 0, 0);
  return 0;
}

int ExecMoveCharge(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  const cEdMove& m = *move;
  Unpin(s);
  if (!c.m_bMoveInit) {
    c.m_bMoveInit = 1;
    s.CalcCmdAngle(c);
    s.GetCmdOffset(c);
    cCharaBase* target = TargetInSlot(s, m.m_nTargetSlot);
    if (!target) {
      c.m_dMoveX = c.m_dMoveY = 0;
      return 0;
    }
    if (target->m_bDead) return 0;
    if (!UnderGravity(s)) {
      double x = 0, y = 0;
      target->GetCommandPoint(x, y, c);
      s.CalcAimMove(c, m, target, x, y);
    } else if (m.m_bLockX) {
      c.m_dMoveX = 0;
    } else {
      cGameObj::StepTowardX(c.m_dMoveX, c.m_dMoveY, c.m_nFaceKind, target, s.m_PicRect.CentreX(),
                            target->m_PicRect.CentreX() + c.m_nOffsetX, c.m_dSpeed, s.m_bScrollSync, 0);
    }
    if (c.m_nAngle != 0) TurnCharge(s, c);
  } else if (UnderGravity(s)) {
    c.m_dMoveY = 0;
  }
  Apply(s, c, m, c.m_nFaceKind, 0);
  return 0;
}

int ExecMoveHoming(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  const cEdMove& m = *move;
  cCharaBase* target = TargetInSlot(s, m.m_nTargetSlot);
  if (!target || target->m_bDead) return 0;
  if (!c.m_bMoveInit) {
    c.m_bMoveInit = 1;
    s.GetCmdOffset(c);
  }
  Unpin(s);
  const int period = c.m_nMoveSetup[MOVESETUP_HOMING];
  const int n = c.m_bActed;
  const bool first = period != 0 && n == 0;
  const bool steer = period != 0 && n != 0 && n % period == 0;
  std::list<cHomingPoint>& q = c.m_lstWork;
  if (!UnderGravity(s)) {
    double x = 0, y = 0;
    if (first || period == 0) {
      target->GetCommandPoint(x, y, c);
      if (first) RestartQueue(q, x, y);
      s.CalcAimMove(c, m, target, x, y);
    } else if (steer) {
      const cHomingPoint oldest = q.empty() ? cHomingPoint{} : q.front();
      s.CalcAimMove(c, m, target, oldest.m_dX, oldest.m_dY);
      target->GetCommandPoint(x, y, c);
      RotateQueue(q, x, y);
    }
  } else {
    if (m.m_bLockX) return 0;
    c.m_dMoveY = 0;
    const double x = target->m_PicRect.CentreX() + c.m_nOffsetX;
    if (first || period == 0) {
      if (first) RestartQueue(q, x, 0);
      s.SnapToCommandPointX(c, target, x, s.m_bScrollSync, m.m_bSnap);
    } else if (steer) {
      const double oldest = q.empty() ? 0 : q.front().m_dX;
      s.SnapToCommandPointX(c, target, oldest, s.m_bScrollSync, m.m_bSnap);
      RotateQueue(q, x, 0);
    }
  }
  Apply(s, c, m, c.m_nFaceKind, 0);
  ++c.m_bActed;
  return 0;
}

int ExecMoveAvoidOffscreen(cCharaBase* subject, cCmdInstance* cmd) {
  const cEdMove* move = MoveRecord(cmd);
  if (!subject || !move) return 0;
  cCharaBase& s = *subject;
  cCmdInstance& c = *cmd;
  Unpin(s);
  s.CalcScreenAvoidMove(c, *move);
  if (UnderGravity(s)) c.m_dMoveY = 0;
  Apply(s, c, *move, c.m_nFaceKind, 0);
  ++c.m_bActed;
  return 0;
}

int ExecMoveCancel(cCharaBase* subject, cCmdInstance*) {
  if (!subject) return 0;
  cCharaBase& s = *subject;
  s.m_dImpactX = s.m_dImpactY = 0;
  s.m_dSpeedX = s.m_dSpeedY = 0;
  s.m_dInertiaX = s.m_dInertiaY = 0;
  Unpin(s);
  s.m_bGravityOff = 1;
  s.ClearImpactY();
  return 0;
}

int ExecTurn(cCharaBase* subject, cCmdInstance* cmd) {
  if (!subject || !cmd->m_pCmd || !subject->m_Chara.m_bFacingLock) return 0;
  cCharaBase& s = *subject;
  if (cmd->m_bActed == 0) {
    PlayCmdSound(*cmd->m_pCmd);
    const int kind = cmd->m_pCmd->m_vParam.At(0);
    if (kind == 0 || kind == 1) {
      s.m_nFacing = kind;
    } else if (kind >= 2 && kind <= 9) {
      cCharaBase* t = TargetInSlot(s, (kind - 2) / 2);
      if (!t) return 0;  // tried again next pass
      const bool toward = kind % 2 == 0;
      const bool targetRight = t->m_dX + t->m_nHitW / 2.0 > s.m_dX + s.m_nHitW / 2.0;
      s.m_nFacing = targetRight == toward ? 1 : 0;
    } else if (kind == 10 || kind == 11) {
      const int side = s.m_nLastBlockSide;
      if (side == 0 || side == 1) s.m_nFacing = kind == 10 ? side : 1 - side;
    }
  }
  RepeatCounterActs(cmd);
  return 0;
}

int ExecJump(cCharaBase* subject, cCmdInstance* cmd) {
  if (!subject) return 0;
  Unpin(*subject);
  subject->Jump(*cmd);
  ++cmd->m_bActed;  // the sub-steps this run of the command has taken: a jump that cannot start gives up
  return 0;
}
