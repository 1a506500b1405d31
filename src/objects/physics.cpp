// The sub-step model's conversions, speed clamps and bounds codes, gravity and friction of every
// object. Speeds are pixels per sub-step; n is the loaded stage's sub-steps per frame.
#include <cmath>

#include "gamedata/systemdata.h"
#include "objects/gameobj.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {

const cScrollAxis& Axis(bool vertical) {
  static const cScrollAxis none;
  if (!g_pScenePlay) return none;
  return vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX;
}

// Clamps pos so that [pos, pos + size - 1] lies within [min, max); true when it moved.
bool ClampInto(double& pos, int size, int min, int max) {
  bool moved = false;
  if (pos < min) {
    pos = min;
    moved = true;
  }
  if (pos + size - 1 >= max) {
    pos = static_cast<double>(max) - size;
    moved = true;
  }
  return moved;
}

// The bounds code of one axis. Codes for x: 1 beyond the scroll range, 2 in the stage margin, 3 at
// the grid's end. For y: 1 above / 4 below the scroll range, 2 above / 5 below the stage, 3 at the
// grid's top, 6 at its bottom.
int CheckBounds(double& pos, int size, const cScrollAxis& a, int mode, bool vertical) {
  const int beforeScroll = 1, afterScroll = vertical ? 4 : 1;
  const int beforeStage = 2, afterStage = vertical ? 5 : 2;
  const int gridStart = 3, gridEnd = vertical ? 6 : 3;
  auto scrollCode = [&] {
    if (pos < a.m_nMin) return beforeScroll;
    if (pos + size - 1 >= a.m_nMax) return afterScroll;
    return 0;
  };
  switch (mode) {
    case 0:
      ClampInto(pos, size, a.m_nMin, a.m_nMax);
      return 0;
    case 1:
      if (ClampInto(pos, size, a.m_nStageMin, a.m_nStageMax)) return 0;
      return scrollCode();
    case 2: {
      // Vertically an object of 10 cells or more is never held at the grid's ends.
      const bool clamps = !vertical || size < 320;
      if (pos < 0) {
        if (!clamps) return 0;
        pos = 0;
        return gridStart;
      }
      if (pos + size - 1 >= a.m_nOuterRange) {
        if (!clamps) return 0;
        pos = static_cast<double>(a.m_nOuterRange) - size;
        return gridEnd;
      }
      if (pos < a.m_nStageMin) return beforeStage;
      if (pos + size - 1 >= a.m_nStageMax) return afterStage;
      return scrollCode();
    }
    default:
      return 0;
  }
}

double ClampSpeed(double v) {
  const double max = g_StageData.m_dMaxSpeed;
  if (v > max) return max;
  if (v < -max) return -max;
  return v;
}

}  // namespace

void cGameObj::RefreshX() {
  m_dRight = m_dX + m_nHitW - 1;
  UpdateRectsX();
  m_nCellLeft = TruncToInt(m_dX) >> 5;
  m_nCellRight = TruncToInt(m_dRight) >> 5;
}

void cGameObj::RefreshY() {
  m_dBottom = m_dY + m_nHitH - 1;
  UpdateRectsY();
  m_nCellTop = TruncToInt(m_dY) >> 5;
  m_nCellBottom = TruncToInt(m_dBottom) >> 5;
}

int cGameObj::CheckBoundsX(int mode) {
  const int code = CheckBounds(m_dX, m_nHitW, Axis(false), mode, false);
  RefreshX();
  return code;
}

int cGameObj::CheckBoundsY(int mode) {
  const int code = CheckBounds(m_dY, m_nHitH, Axis(true), mode, true);
  RefreshY();
  return code;
}

int cGameObj::ApplySpeedX(int boundsMode) {
  m_dSpeedX = ClampSpeed(m_dSpeedX);
  m_dX += m_dSpeedX;
  return CheckBoundsX(boundsMode);
}

int cGameObj::ApplySpeedY(int boundsMode) {
  m_dSpeedY = ClampSpeed(m_dSpeedY);
  m_dY += m_dSpeedY;
  return CheckBoundsY(boundsMode);
}

void cGameObj::ApplyGravity() {
  if (!m_bFlying) m_dSpeedY += g_StageData.m_dGravity;
}

void cGameObj::ApplyFriction(double& value, int enabled) const {
  if (!enabled) return;
  if (value > 0) {
    value -= m_dFriction;
    if (value < 0) value = 0;
  } else if (value < 0) {
    value += m_dFriction;
    if (value > 0) value = 0;
  }
}

double cGameObj::JumpSpeedFromDots(double h) const {
  const double g = g_StageData.m_dGravity;
  const double root = g * (g + 8 * h);
  if (h < 0 || !(root >= 0)) return 0;
  double v = (-g - std::sqrt(root)) * 0.5;
  if (g_SystemData.m_bJumpDamping && m_nOperation == 0) v *= 0.99 - 0.025 * g_StageData.m_dGravitySetting;
  return v;
}

double cGameObj::JumpHeightToSpeed(int8_t hbl) const { return JumpSpeedFromDots(HblToDot(hbl)); }

int cGameObj::JumpHeightToFrames(int8_t hbl) const {
  const int n = g_StageData.m_nStepsPerFrame > 0 ? g_StageData.m_nStepsPerFrame : 1;
  return SpeedToFrames(JumpHeightToSpeed(hbl)) / n / 6 + 1;
}

int HblToDot(int8_t hbl) { return hbl * 16; }

double SpeedParamToDots(int16_t v) { return v * 0.01 / g_StageData.m_dStepsPerFrameSq; }

int SpeedToFrames(double v) { return TruncToInt(g_StageData.m_dStepsPerFrame - v / g_StageData.m_dGravity); }

double CellSpeedToStep(double v) { return v / g_StageData.m_dStepsPerFrame / 60; }
