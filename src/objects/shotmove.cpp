// The movement kinds of shots, run once per sub-step before the shot moves: aiming once, homing,
// waving across the flight and falling.
#include <cmath>

#include "objects/objlists.h"
#include "objects/spawn.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

int ShotDistToSteps(int hbl, double speed) {
  if (speed == 0) return 0;
  const double steps = (hbl * 16.0) / speed;
  if (!(steps == steps)) return 0;
  if (steps >= 2147483647.0) return INT_MAX;
  if (steps <= -2147483648.0) return INT_MIN;
  return static_cast<int>(steps);
}

namespace {

double StepsPerFrame() { return g_StageData.m_dStepsPerFrame > 0 ? g_StageData.m_dStepsPerFrame : 1; }

double MoveSpeed(const cShot& s) {
  return (s.m_Shot.m_sSpeed + s.m_Shot.m_sSpeedStep * s.m_sParamLevel) * 0.1 / StepsPerFrame();
}

// The nearest character of the side that the kind's parameter names.
cCharaBase* NearestOfSide(cShot& s, int param) {
  if (!g_pScenePlay) return nullptr;
  return FindNearestCharaToCentre(s, g_pScenePlay->m_vSideChara.At(s.m_Shot.m_sMoveParam[param]));
}
cCharaBase* AimNearestTarget(cShot& s) { return NearestOfSide(s, 1); }
cCharaBase* HomeNearestTarget(cShot& s) { return NearestOfSide(s, 2); }

cCharaBase* LiveTarget(cShot& s) { return s.m_pShotTarget && !s.m_pShotTarget->m_bDead ? s.m_pShotTarget : nullptr; }

// The velocity that heads from the shot's centre to the target's centre at the move speed.
void AimVelocity(cShot& s, cCharaBase& target, double& vx, double& vy) {
  s.UpdateScreenPos();
  int face = s.m_nFacing;
  vx = vy = 0;
  cGameObj::CalcAimStep(vx, vy, face, &target, s.m_PicRect.CentreX(), s.m_PicRect.CentreY(),
                        target.m_PicRect.CentreX(), target.m_PicRect.CentreY(), s.m_dMoveSpeed, s.m_bScrollSync, 0, 0);
}

void Aim(cShot& s, cCharaBase* (*find)(cShot&)) {
  if (s.m_bMoveDone) return;
  if (s.m_nMoveStep == 0) {
    s.m_dMoveSpeed = MoveSpeed(s);
    s.m_nTurnStep = ShotDistToSteps(s.m_Shot.m_sMoveParam[0], s.m_dMoveSpeed);
  }
  if (s.m_nMoveStep == s.m_nTurnStep) {
    s.UpdateScreenPos();  // the nearest search measures from where the shot is now
    if (cCharaBase* target = find(s)) {
      AimVelocity(s, *target, s.m_dVelX, s.m_dVelY);
      if (s.m_bAccelerating) s.SetSpeedByDirection(s.m_dInertiaX, s.m_dInertiaY, s.m_dVelX, s.m_dVelY);
    }
    s.m_bMoveDone = 1;
  }
  ++s.m_nMoveStep;
}

void Home(cShot& s, cCharaBase* (*find)(cShot&)) {
  if (s.m_nMoveStep == 0) {
    s.m_dMoveSpeed = MoveSpeed(s);
    s.m_nTurnStep = ShotDistToSteps(s.m_Shot.m_sMoveParam[0], s.m_dMoveSpeed);
    s.m_nHomeEndStep = s.m_Shot.m_sMoveParam[1] == 0 ? 0 : ShotDistToSteps(s.m_Shot.m_sMoveParam[1], s.m_dMoveSpeed);
  }
  if (s.m_nMoveStep >= s.m_nHomeEndStep) {
    s.m_bMoveDone = 1;
  } else if (s.m_nMoveStep >= s.m_nTurnStep) {
    s.UpdateScreenPos();
    if (cCharaBase* target = find(s)) {
      double vx = 0, vy = 0;
      AimVelocity(s, *target, vx, vy);
      if (s.m_bAccelerating) {
        if (s.m_nMoveStep == s.m_nTurnStep) {
          s.m_dVelX = vx;
          s.m_dVelY = vy;
        }
        s.SetSpeedByDirection(s.m_dInertiaX, s.m_dInertiaY, vx, vy);
      } else {
        s.m_dVelX = vx;
        s.m_dVelY = vy;
      }
    }
  }
  if (s.m_nMoveStep < INT_MAX) ++s.m_nMoveStep;
}

cCharaBase* FindHero(cShot&) { return GetHero(); }

void ShotAimHero(cShot& s) { Aim(s, FindHero); }
void ShotAimNearest(cShot& s) { Aim(s, AimNearestTarget); }
void ShotAimTarget(cShot& s) { Aim(s, LiveTarget); }
void ShotHomeHero(cShot& s) { Home(s, FindHero); }
// Kinds 5 and 7 share it: a new nearest search every sub-step.
void ShotHomeNearest(cShot& s) { Home(s, HomeNearestTarget); }
void ShotHomeTarget(cShot& s) { Home(s, LiveTarget); }

// Adds d to v unless that would turn v's sign round: then v becomes 0.
void AddNoReverse(double& v, double d) {
  const double r = v + d;
  v = (v > 0 && r < 0) || (v < 0 && r > 0) ? 0 : r;
}

void ShotWave(cShot& s) {
  const int amplitude = s.m_Shot.m_sMoveParam[0] * 16;
  const int rate = s.m_Shot.m_sMoveParam[1];
  if (s.m_nMoveStep == 0) {
    const int a = s.m_Shot.m_sMoveParam[2] + (s.m_nFacing ? 0 : 180);
    s.m_dWavePhase = rate != 0 ? StepsPerFrame() * a / rate : 0;
    double flight = std::atan2(s.m_dVelY, s.m_dVelX) * kRadToDeg;
    if (flight < 0) flight += 360;
    const double b = (flight - 90) / kRadToDeg;
    s.m_dWaveNormX = std::cos(b);
    s.m_dWaveNormY = std::sin(b);
    const double v = cGameObj::WaveSpeedCos(amplitude, rate, s.m_dWavePhase, 1, 0);
    s.m_dVelX += s.m_dWaveNormX * v;
    s.m_dVelY += s.m_dWaveNormY * v;
  } else {
    const double v = cGameObj::WaveSpeedSin(amplitude, rate, s.m_dWavePhase, 1, 0);
    AddNoReverse(s.m_dVelX, s.m_dWaveNormX * v);
    AddNoReverse(s.m_dVelY, s.m_dWaveNormY * v);
  }
  if (s.m_bAccelerating) s.SetSpeedByDirection(s.m_dInertiaX, s.m_dInertiaY, s.m_dVelX, s.m_dVelY);
  if (s.m_nMoveStep < INT_MAX) ++s.m_nMoveStep;
}

void ShotFall(cShot& s) {
  if (s.m_bMoveDone) return;
  if (s.m_nMoveStep == 0) {
    s.m_dMoveSpeed = MoveSpeed(s);
    s.m_nTurnStep = ShotDistToSteps(s.m_Shot.m_sMoveParam[0], s.m_dMoveSpeed);
  }
  if (s.m_nMoveStep >= s.m_nTurnStep) {
    s.m_dSpeedY = s.m_dVelY;
    s.m_bFlying = 0;
    s.m_bMoveDone = 1;
  }
  ++s.m_nMoveStep;
}

}  // namespace

const std::array<ShotMoveFn, 10> g_ShotMoveTable = {
    nullptr,         ShotAimHero,  ShotAimNearest,  ShotAimTarget, ShotHomeHero,
    ShotHomeNearest, ShotHomeTarget, ShotHomeNearest, ShotWave,      ShotFall,
};
