// The warp command: the subject moves at once by a distance in a direction, next to a target, or to
// given coordinates; a warp that leaves it outside its limits or blocked is undone.
#include <cmath>
#include <cstdint>

#include "flow/executors.h"
#include "flow/statusops.h"
#include "gamedata/systemswitches.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"
#include "stagedata/edmove.h"
#include "stagedata/flow.h"

namespace {

const double kInvRoot2 = 1.0 / std::sqrt(2.0);

enum eWarpMode { WARP_DIR = 0, WARP_FROM_TARGET1 = 1, WARP_FROM_TARGET4 = 4, WARP_COORD = 5 };

// The step of a direction code: D straight, d on each axis of a diagonal; 0 for no direction.
void DirOffset(int code, double D, double d, double& dx, double& dy) {
  static constexpr struct {
    int8_t sx, sy;
    bool diag;
  } kSteps[] = {{-1, 0, false}, {1, 0, false}, {0, 0, false}, {0, 0, false}, {0, -1, false}, {0, 1, false},
                {-1, -1, true}, {-1, 1, true},  {1, -1, true},  {1, 1, true}};
  dx = dy = 0;
  if (code < 2 || code > 11 || code == 4 || code == 5) return;
  const auto& st = kSteps[code - 2];
  const double len = st.diag ? d : D;
  dx = st.sx * len;
  dy = st.sy * len;
}

// The direction kind resolved with the facing of `by`; diagonals are kept unless the older rule
// keeps them only for objects without gravity.
int ResolveWarpDir(cCharaBase& by, int dirKind) {
  const int keep = WarpDiagonalFlyingOnlyOn() ? by.m_bFlying != 0 : 1;
  return by.ResolveDirection(dirKind, 0, 1, keep);
}

void Hooks(cCharaBase& s) {
  s.AfterMoveX();
  s.AfterMoveY();
}

void WarpToCoord(cCharaBase& s, const cEdMove& m, int statusCall) {
  const bool cells = m.m_nUnit == 0;
  const double c = cells ? 16 : 0;
  const double B = cells ? m.m_sTargetX * 32.0 + m.m_sTargetDotX : m.m_sTargetX + m.m_sTargetDotX;
  const double w = cells ? m.m_sTargetY * 32.0 + m.m_sTargetDotY : m.m_sTargetY + m.m_sTargetDotY;
  const bool setX = m.m_bAxisX != 0, setY = m.m_bAxisY != 0;
  const bool foot = UseFootPoint(m.m_nRefPoint, s.m_bFlying);
  cScenePlay* scene = g_pScenePlay;
  switch (m.m_nCoordMode) {
    case 0: {
      const bool right = s.m_nFacing == 1;
      if (setX) {
        s.m_dX += right && m.m_bMirrorX ? -B : B;
        s.AfterMoveX();
      }
      if (setY) {
        s.m_dY += right && m.m_bMirrorY ? -w : w;
        s.AfterMoveY();
      }
      return;
    }
    case 1: {
      if (WarpCellPlacementOn() || (statusCall && StatusCellPlacementOn())) {
        if (setX) {
          s.SetCellX(m.m_sTargetX);
          s.m_dX += m.m_sTargetDotX;
        }
        if (setY) {
          s.SetCellY(m.m_sTargetY, 1);
          s.m_dY += m.m_sTargetDotY;
        }
        return;
      }
      const double mx = (scene ? scene->m_ScrollX.m_nMarginCells : cScrollAxis::kMarginCells) * 32.0;
      const double my = (scene ? scene->m_ScrollY.m_nMarginCells : cScrollAxis::kMarginCells) * 32.0;
      if (setX) s.m_dX = mx + B - s.m_nHitW / 2 + c + 0.5;
      if (setY) s.m_dY = foot ? my + w - s.m_nHitH + 16 + c + 0.5 : my + w - s.m_nHitH / 2 + c + 0.5;
      Hooks(s);
      return;
    }
    case 2: {
      const double sx = scene ? scene->m_ScrollX.m_dPos : 0, sy = scene ? scene->m_ScrollY.m_dPos : 0;
      if (WarpCellPlacementOn()) {
        if (setX) s.m_dX = B + s.m_PicRect.m_nOfsX + sx;
        if (setY) s.m_dY = w + s.m_PicRect.m_nOfsY + sy;
      } else {
        if (setX) s.m_dX = B + sx - s.m_nHitW / 2 + c + 0.5;
        if (setY) {
          if (foot && WarpScreenFootAltOn())
            s.m_dY = w + sy - (s.m_nHitH - 32) + c + 0.5;
          else if (foot)
            s.m_dY = w + sy - s.m_nHitH + 16 + c + 0.5;
          else
            s.m_dY = w + sy - s.m_nHitH / 2 + c + 0.5;
        }
      }
      Hooks(s);
      return;
    }
    default: return;
  }
}

}  // namespace

int ExecWarp(cCharaBase* subject, const cFlowCmd& cmd, int statusCall) {
  const cEdMove* move = cmd.m_pEdMove.get();
  if (!subject || !move || move->m_nPosMode < WARP_DIR || move->m_nPosMode > WARP_COORD) return 0;
  cCharaBase& s = *subject;
  const cEdMove& m = *move;
  s.m_bFixedX = s.m_bFixedY = 0;
  const double oldX = s.m_dX, oldY = s.m_dY, oldRight = s.m_dRight, oldBottom = s.m_dBottom;
  const double D = (m.m_sDistStep * s.m_sParamLevel + m.m_sDist) * 16.0;
  const double d = D * kInvRoot2;

  if (m.m_nPosMode == WARP_DIR) {
    double dx, dy;
    DirOffset(ResolveWarpDir(s, m.m_nDir), D, d, dx, dy);
    if (dx != 0) {
      s.m_dX += dx;
      s.AfterMoveX();
    }
    if (dy != 0) {
      s.m_dY += dy;
      s.AfterMoveY();
    }
  } else if (m.m_nPosMode <= WARP_FROM_TARGET4) {
    cCharaBase* t = s.m_pTarget.At(m.m_nPosMode - 1);
    if (!t) return 0;
    // Picture centre on the target's picture centre, then the distance along the direction.
    s.m_dX = t->m_dX - t->m_PicRect.m_nOfsX + t->m_PicRect.m_nW / 2 + s.m_PicRect.m_nOfsX - s.m_PicRect.m_nW / 2;
    s.m_dY = t->m_dY - t->m_PicRect.m_nOfsY + t->m_PicRect.m_nH / 2 + s.m_PicRect.m_nOfsY - s.m_PicRect.m_nH / 2;
    double dx, dy;
    DirOffset(ResolveWarpDir(*t, m.m_nDir), D, d, dx, dy);
    s.m_dX += dx;
    s.m_dY += dy;
    Hooks(s);
  } else {
    WarpToCoord(s, m, statusCall);
  }

  s.UpdateScreenPos();
  const bool blocked = g_pScenePlay && g_pScenePlay->IsBoxBlocked(&s);
  if (s.IsInStage(0) && !blocked) {
    if (!s.m_bFlying) s.m_dSpeedY = 0;
  } else {
    s.m_dX = oldX;
    s.m_dY = oldY;
    s.m_dRight = oldRight;
    s.m_dBottom = oldBottom;
    s.AfterMoveY();
    s.AfterMoveX();
    s.UpdateScreenPos();
  }
  if (m.m_nPosMode == WARP_COORD && m.m_nCoordMode == 2) {
    s.m_bFixedX = s.m_bFixedY = 1;
    s.m_nFixedX = s.m_PicRect.m_nLeft;
    s.m_nFixedY = s.m_PicRect.m_nTop;
  }
  return 0;
}
