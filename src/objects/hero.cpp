// The hero: set-up, view modes, rectangles, movement with the scroll following, the flow pass, the
// key-held jump and the item command lists.
#include "objects/hero.h"

#include <algorithm>
#include <cmath>

#include "core/log.h"
#include "flow/exectable.h"
#include "gamedata/input.h"
#include "gamedata/systemdata.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "objects/meswindow.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {

const cScrollAxis* Axis(bool vertical) {
  if (!g_pScenePlay) return nullptr;
  return vertical ? &g_pScenePlay->m_ScrollY : &g_pScenePlay->m_ScrollX;
}

// The auto-scroll speed of an axis this sub-step: 0 while it does not move.
double AutoShare(bool vertical) {
  const cScrollAxis* a = Axis(vertical);
  return a && a->IsScrolling() ? a->m_dAutoSpeed : 0;
}

int Layout(int field) { return g_StageData.Layout(field); }

void SetRect(cHitRect& r, int ofsX, int ofsY, int w, int h) {
  r.m_nOfsX = r.m_nBaseOfsX = ofsX;
  r.m_nOfsY = r.m_nBaseOfsY = ofsY;
  r.m_nW = r.m_nBaseW = w;
  r.m_nH = r.m_nBaseH = h;
}

void ScaleRect(cHitRect& r, int scale) {
  r.m_nOfsX = r.m_nBaseOfsX * scale;
  r.m_nOfsY = r.m_nBaseOfsY * scale;
  r.m_nW = r.m_nBaseW * scale;
  r.m_nH = r.m_nBaseH * scale;
}

void RectX(cHitRect& r, double x) {
  r.m_dLeft = TruncToInt(x) + r.m_nOfsX;
  r.m_dRight = r.m_dLeft + r.m_nW - 1;
}

void RectY(cHitRect& r, double y) {
  r.m_dTop = TruncToInt(y) + r.m_nOfsY;
  r.m_dBottom = r.m_dTop + r.m_nH - 1;
}

// The scroll follows the hero's centre on one axis, kept within the axis' range.
void FollowScroll(cScrollAxis& a, double pos, int size, int view) {
  if (a.m_bAutoScroll) return;
  a.m_dPos = pos - (view / 2 - size / 2);
  if (a.m_dPos < a.m_nMin)
    a.m_dPos = a.m_nMin;
  else if (a.m_nMax <= a.m_dPos + view)
    a.m_dPos = a.m_nMax - view;
}

}  // namespace

cHero::cHero(const cHero& other) : cCharaBase(other) { CopyOwn(other); }

cHero& cHero::operator=(const cHero& other) {
  if (this == &other) return *this;
  CopyState(other);
  CopyOwn(other);
  return *this;
}

void cHero::CopyOwn(const cHero& o) {
  m_pInput = o.m_pInput;
  m_nJumpHoldFrames = o.m_nJumpHoldFrames;
  m_bJumpHoldOpen = o.m_bJumpHoldOpen;
  m_bJumpCancel = o.m_bJumpCancel;
  m_dFloorUnitSpeed = o.m_dFloorUnitSpeed;
  m_bJumpRan = o.m_bJumpRan;
  m_nPrevFacing = o.m_nPrevFacing;
  m_bRestorePending = o.m_bRestorePending;
  std::copy(std::begin(o.m_dSavedPos), std::end(o.m_dSavedPos), m_dSavedPos);
  m_bRestoreAllowed = o.m_bRestoreAllowed;
  m_lTouchedItems.assign(o.m_lTouchedItems.begin(), o.m_lTouchedItems.end());
  m_nFloorKind = o.m_nFloorKind;
  m_dFloorRate = o.m_dFloorRate;
  m_bOnSpecialFloor = o.m_bOnSpecialFloor;
  m_ItemRect = o.m_ItemRect;
  m_vDrawLayers.assign(o.m_vDrawLayers.begin(), o.m_vDrawLayers.end());
  m_vPendingFlowCmds.assign(o.m_vPendingFlowCmds.begin(), o.m_vPendingFlowCmds.end());
  m_lArranges.assign(o.m_lArranges.begin(), o.m_lArranges.end());
  m_nFloorEffectTime = o.m_nFloorEffectTime;
  m_bNoJump = o.m_bNoJump;
  m_nBlockItemWait = o.m_nBlockItemWait;
  m_nItemCmdDepth = 0;
}

// ---- Set-up and view modes ----

void cHero::Init(const cCharaData& def, double homeX, double homeY, int16_t level) {
  cCharaData d = def;
  if (d.m_cScale < 1) d.m_cScale = 1;
  cCharaBase::Init(&d, homeX, homeY, level);
  int ofsX = 0, ofsY = 0, w = 0, h = 0;
  m_Chara.m_cMoveMode = d.m_cMoveMode;
  GetPictureLayout(ofsX, ofsY, w, h);
  cGameObj::Init(kHeroObjNo, d.m_cOperation, d.m_cPlayer, d.m_cSide, d.m_sGraphic, nullptr, 0, ofsX, ofsY, w, h, 32,
                 32, d.m_cFacing, 0, level);
  m_pInput = &g_vInput.At(d.m_cPlayer);
  SetViewMode(d.m_cMoveMode, 0, 0, 0);
  SetScale(d.m_cScale, 1, 0);
  m_dFloorUnitSpeed = g_StageData.m_dStepsPerFrame > 0 ? 4.0 / g_StageData.m_dStepsPerFrame : 4.0;
  m_nFacing = m_nPrevFacing = d.m_cFacing;
  m_nJumpHoldFrames = 0;
  m_bJumpCancel = 0;
  m_bJumpRan = 0;
  m_bRestorePending = m_bRestoreAllowed = 0;
  std::fill(std::begin(m_dSavedPos), std::end(m_dSavedPos), 0.0);
  m_nFloorKind = 0;
  m_dFloorRate = 0;
  m_bOnSpecialFloor = 0;
  m_nFloorEffectTime = m_bNoJump = m_nBlockItemWait = 0;
  m_nModeChangeWait = 0;
  m_bJumpHoldOpen = 1;
  BuildDrawLayers();
  m_lTouchedItems.clear();
  AddFlows(m_Chara.m_vFlow, 0, 0);
}

void cHero::GetPictureLayout(int& ofsX, int& ofsY, int& w, int& h) const {
  const bool fly = m_Chara.m_cMoveMode != 0;
  w = Layout(fly ? LAYOUT_HERO_PIC_W_FLY : LAYOUT_HERO_PIC_W);
  h = Layout(fly ? LAYOUT_HERO_PIC_H_FLY : LAYOUT_HERO_PIC_H);
  ofsX = (32 - w) >> 1;
  ofsY = Layout(fly ? LAYOUT_HERO_PIC_ALIGN_FLY : LAYOUT_HERO_PIC_ALIGN) == 1 ? 32 - h : (32 - h) >> 1;
}

void cHero::SetViewMode(int mode, int applyScale, int savePos, int allowRestore) {
  const int wasFlying = m_bFlying;
  const int oldMode = m_Chara.m_cMoveMode;
  m_Chara.m_cMoveMode = static_cast<int8_t>(mode);
  SetMoveMode(mode);
  if (savePos) {
    m_bRestorePending = 1;
    m_dSavedPos[0] = m_dX;
    m_dSavedPos[1] = m_dY;
    m_dSavedPos[2] = m_dRight;
    m_dSavedPos[3] = m_dBottom;
  }
  if (mode != oldMode) {
    m_nModeChangeWait = 2;
    if (allowRestore) m_bRestoreAllowed = 1;
  }
  if (wasFlying && !m_bFlying) {
    m_dSpeedX = m_dSpeedY = 0;
    m_dInertiaX = m_dInertiaY = 0;
  } else if (m_bFlying && !g_SystemData.m_bNoAirLockOnFly) {
    m_bInAir = 1;
    m_nJumpCount = g_StageData.m_nSteps8;
  }
  int ofsX = 0, ofsY = 0, w = 0, h = 0;
  GetPictureLayout(ofsX, ofsY, w, h);
  m_nHitW = m_nBaseHitW = w;
  m_nHitH = m_nBaseHitH = h;
  m_PicRect.m_nOfsX = m_PicRect.m_nBaseOfsX = ofsX;
  m_PicRect.m_nOfsY = m_PicRect.m_nBaseOfsY = ofsY;
  m_PicRect.m_nW = m_PicRect.m_nBaseW = 32;
  m_PicRect.m_nH = m_PicRect.m_nBaseH = 32;
  const bool fly = mode != 0;
  switch (m_Chara.m_cBoxChoice) {
    case 0:
      SetBodyRect(Layout(fly ? LAYOUT_HERO_BODY_ALIGN_FLY : LAYOUT_HERO_BODY_ALIGN) == 1,
                  Layout(fly ? LAYOUT_HERO_BODY_W_FLY : LAYOUT_HERO_BODY_W),
                  Layout(fly ? LAYOUT_HERO_BODY_H_FLY : LAYOUT_HERO_BODY_H));
      break;
    case 1: SetBodyRect(0, Layout(LAYOUT_HERO_SHOT_BOX_W), Layout(LAYOUT_HERO_SHOT_BOX_H)); break;
    case 2: SetBodyRect(0, Layout(LAYOUT_PLAYER_SHOT_W), Layout(LAYOUT_PLAYER_SHOT_H)); break;
    default: SetBodyRect(0, 32, 32); break;
  }
  const int sw = Layout(LAYOUT_HERO_SHOT_BOX_W), sh = Layout(LAYOUT_HERO_SHOT_BOX_H);
  SetRect(m_ShotRect, 16 - sw / 2 - ofsX, 16 - sh / 2 - ofsY, sw, sh);
  const int iw = Layout(LAYOUT_HERO_ITEM_BOX_W), ih = Layout(LAYOUT_HERO_ITEM_BOX_H);
  SetRect(m_ItemRect, 16 - iw / 2 - ofsX, 16 - ih / 2 - ofsY, iw, ih);
  if (applyScale) {
    const int s = m_Chara.m_cScale;
    m_nHitW *= s;
    m_nHitH *= s;
    m_PicRect.m_nOfsX *= s;
    m_PicRect.m_nOfsY *= s;
    m_PicRect.m_nW *= s;
    m_PicRect.m_nH *= s;
    ScaleRect(m_BodyRect, s);
    ScaleRect(m_ShotRect, s);
    ScaleRect(m_ItemRect, s);
  }
  BuildDrawLayers();
}

int cHero::RestorePosAfterModeChange() {
  if (m_nModeChangeWait <= 0) return 0;
  if (m_bRestoreAllowed && m_bRestorePending) {
    m_bRestoreAllowed = 0;
    m_dX = m_dSavedPos[0];
    m_dY = m_dSavedPos[1];
    m_dRight = m_dSavedPos[2];
    m_dBottom = m_dSavedPos[3];
  }
  return 1;
}

void cHero::StorePrevFootCell() { m_pPrevLandCell = m_pLandCell; }

int cHero::IsNotInContactList(int objNo) const {
  return std::find(m_lTouchedItems.begin(), m_lTouchedItems.end(), objNo) == m_lTouchedItems.end();
}

void cHero::RemoveFromContactList(int objNo) { m_lTouchedItems.remove(objNo); }

void cHero::UpdateScreenRect() {
  static const cScrollAxis none;
  const cScrollAxis& ax = Axis(false) ? *Axis(false) : none;
  const cScrollAxis& ay = Axis(true) ? *Axis(true) : none;
  auto edge = [](double pos, const cScrollAxis& a, int ofs) {
    if (!a.m_bAutoScroll) return TruncToInt(pos - a.m_dPos - ofs);
    return TruncToInt(pos) - TruncToInt(a.m_dPos) - ofs;
  };
  m_PicRect.m_nLeft = edge(m_dX, ax, m_PicRect.m_nOfsX);
  m_PicRect.m_nRight = m_PicRect.m_nLeft + m_PicRect.m_nW - 1;
  m_PicRect.m_nTop = edge(m_dY, ay, m_PicRect.m_nOfsY);
  m_PicRect.m_nBottom = m_PicRect.m_nTop + m_PicRect.m_nH - 1;
}

void cHero::UpdateRectsX() {
  RectX(m_BodyRect, m_dX);
  RectX(m_ShotRect, m_dX);
  RectX(m_ItemRect, m_dX);
}

void cHero::UpdateRectsY() {
  RectY(m_BodyRect, m_dY);
  RectY(m_ShotRect, m_dY);
  RectY(m_ItemRect, m_dY);
}

void cHero::ScaleRects(int scale) {
  ScaleRect(m_BodyRect, scale);
  ScaleRect(m_ShotRect, scale);
  ScaleRect(m_ItemRect, scale);
  AfterMoveX();
  AfterMoveY();
}

// ---- Movement ----

int cHero::MoveX() {
  if (m_dImpactX != 0) {
    m_dSpeedX = m_dImpactX;
    if (DebugLogIsOn()) DebugLog(StrPrintf("MoveX() m_dSpeedX = %lf, m_dImpactX = %lf", m_dSpeedX, m_dImpactX).c_str());
  } else if (m_dInertiaX != 0) {
    ApplyFriction(m_dInertiaX, m_bFrictionX);
    if (m_bOnSpecialFloor && m_nFloorKind == 3) {
      // A sliding floor speeds the slide up or slows it, never turning it round.
      const double p = CellSpeedToStep(m_dFloorUnitSpeed) * (m_dFloorRate - 1.0);
      if (m_dInertiaX > 0) {
        m_dInertiaX += p;
        if (m_dInertiaX < 0) m_dInertiaX = 0;
      } else if (m_dInertiaX < 0) {
        m_dInertiaX -= p;
        if (m_dInertiaX > 0) m_dInertiaX = 0;
      }
    }
    m_dSpeedX += m_dInertiaX;
  }
  const double max = g_StageData.m_dMaxSpeed;
  m_dSpeedX = std::clamp(m_dSpeedX, -max, max);
  m_dX += m_dSpeedX;
  AfterMoveX();
  return 0;
}

int cHero::MoveY() {
  StepImpactY();
  if (m_dImpactY != 0) {
    if (DebugLogIsOn()) DebugLog(StrPrintf("MoveY() m_dSpeedY = %lf, m_dImpactY = %lf", m_dSpeedY, m_dImpactY).c_str());
  } else if (m_bFlying && m_dInertiaY != 0) {
    ApplyFriction(m_dInertiaY, m_bFrictionY);
    m_dSpeedY += m_dInertiaY;
  }
  int code = ApplySpeedY(m_bFlying ? 0 : 2);
  AfterMoveY();
  if (!m_bFlying && (code == 5 || code == 6)) code = 7;
  return code;
}

int cHero::AfterMoveX() {
  if (cScrollAxis* a = g_pScenePlay ? &g_pScenePlay->m_ScrollX : nullptr) FollowScroll(*a, m_dX, m_nHitW, 640);
  const int code = CheckBoundsX(m_bFlying ? 0 : 1);
  m_dRight = m_nHitW + m_dX - 1;
  return code;
}

int cHero::AfterMoveY() {
  if (cScrollAxis* a = g_pScenePlay ? &g_pScenePlay->m_ScrollY : nullptr) FollowScroll(*a, m_dY, m_nHitH, 480);
  const int code = CheckBoundsY(m_bFlying ? 0 : 1);
  m_dBottom = m_nHitH + m_dY - 1;
  return code;
}

// ---- The flow pass ----

int cHero::RunFlows(int dying) {
  cScenePlay* scene = g_pScenePlay;
  if (scene) {
    scene->m_pCurObj = this;
    scene->m_bStatusChanged = 0;
    scene->m_bDeathPending = 0;
  }
  if (g_SystemData.m_bAimAddScroll) {
    if (m_bFlying) {
      m_dSpeedX = AutoShare(false);
      m_dSpeedY = AutoShare(true);
    } else {
      m_dSpeedX = 0;
    }
  } else if (m_bScrollSync) {
    m_dSpeedX = AutoShare(false);
    if (m_bFlying) m_dSpeedY = AutoShare(true);
  } else {
    m_dSpeedX = 0;
    if (m_bFlying) m_dSpeedY = 0;
  }
  m_bFrictionX = m_bFrictionY = 1;
  m_bHidden = 0;
  m_nBaseAnimReqLevel = m_nBaseAnimReq = 0;
  m_bMoveReq = 0;
  m_bJumpRan = 0;
  m_bGravityOff = 0;
  if (m_nModeChangeWait > 0 && --m_nModeChangeWait == 0) m_bRestoreAllowed = 0;
  RunAnimCues();
  const int stop = StepFlows(dying, 0);
  if (scene) scene->m_pCurObj = nullptr, scene->m_pCurFlow = nullptr, scene->m_pCurCmd = nullptr;
  if (stop) return 1;
  std::vector<cFlowCmd> pending;
  pending.swap(m_vPendingFlowCmds);
  for (const cFlowCmd& c : pending) ExecChangeFlow(this, &c, 1);
  FinishFlowPass();
  SettleBaseAnim();
  if (!m_bJumpRan) {
    m_nJumpHoldFrames = 0;
    m_bJumpHoldOpen = 1;
    m_bCeilingHit = 0;
  }
  return m_nHP <= 0 ? 1 : 0;
}

// ---- Jump ----

void cHero::Jump(cCmdInstance& cmd) {
  if (m_bJumpRan || m_bFlying || !cmd.m_pCmd) return;
  const cFlowCmd& rec = *cmd.m_pCmd;
  auto param = [&](int i) { return i < static_cast<int>(rec.m_vParam.size()) ? rec.m_vParam[i] : 0; };
  const int mode = param(0);
  cFlowInstance* flow = g_pScenePlay ? g_pScenePlay->m_pCurFlow : nullptr;
  const bool hasKeys = flow && !flow->m_vKeyCond.empty();
  bool held = mode == 0;
  if (mode != 0 && hasKeys && m_pInput) held = TestKeyList(*m_pInput, *flow->m_vKeyCond.back()) != 0;
  if (mode == 2) {
    const double u = g_StageData.m_dStepsPerFrame * 10;
    const double t1 = param(1) / u, t3 = param(3) / u, m = std::fabs(m_dInertiaX);
    int height;
    if (m >= t1)
      height = param(2);
    else if (m <= t3)
      height = param(4);
    else
      height = TruncToInt(param(4) + (param(2) - param(4)) * m / t1);
    cmd.m_dSpeed = JumpSpeedFromDots(height * 16.0);
  }
  const bool riding = m_pRide != nullptr;
  if (held && !m_bJumpCancel) {
    ++m_nJumpHoldFrames;
    if (m_nJumpHoldFrames >= cmd.m_nUseTime && (m_dSpeedY < 0 || riding) && m_bJumpHoldOpen && !m_bCeilingHit &&
        (!m_bJumpEnded || riding)) {
      m_bJumpEnded = 1;
      m_bJumpHoldOpen = 0;
    } else if (!m_bInAir && m_nJumpHoldFrames <= g_StageData.m_nStepsPerFrame && (!m_bJumpEnded || riding) &&
               m_bJumpHoldOpen && !m_bCeilingHit && !m_bImpacted && !cmd.m_bTookOff && !m_bNoJump) {
      const bool lastSubStep = g_pScenePlay && g_pScenePlay->m_nSubStep == g_StageData.m_nStepsPerFrame;
      double speed = cmd.m_dSpeed;
      bool takeOff = false;
      if (!g_SystemData.m_bCompat845A) {
        if (!m_bJumping) takeOff = !riding || lastSubStep;
      } else {
        takeOff = !riding || lastSubStep;
        if (riding) speed *= static_cast<double>(1.02f);
      }
      if (takeOff) {
        m_bJumping = 1;
        if (riding) LeaveRide(0);
        m_dSpeedY = speed;
        cmd.m_bTookOff = 1;
        PlayDataSound(rec.m_sSound);
      }
    }
  } else {
    if (m_nJumpHoldFrames > 0 && m_nJumpHoldFrames < cmd.m_nUseTime && !m_bJumpEnded && !m_bCeilingHit &&
        !m_bJumpCancel && !m_bImpacted) {
      if (m_pRide) LeaveRide(0);
      if (m_dSpeedY < 0) m_dSpeedY *= 0.3;
      m_bJumpEnded = 1;
    }
    m_nJumpHoldFrames = 0;
    m_bJumpHoldOpen = 1;
    m_bCeilingHit = 0;
  }
  if (IsOnSolidCell() && m_dSpeedY >= 0) {
    auto reset = [&] {
      m_nJumpHoldFrames = 0;
      m_bJumpHoldOpen = 1;
      m_bCeilingHit = 0;
      m_bImpacted = 0;
    };
    if (hasKeys && !held) {
      reset();
      cmd.m_nRemain = 0;
    } else if (!hasKeys) {
      reset();
      cmd.m_bTookOff = 0;
    }
  }
  m_bJumpRan = 1;
}

// ---- Items ----

int cHero::RunItemCommands(const cCheckedVector<cFlowCmd>& cmds) {
  if (m_nItemCmdDepth >= kItemCmdNestMax) {
    // An item that takes itself would nest for ever.
    DebugLog("RunItemCommands: nesting too deep");
    return 0;
  }
  ++m_nItemCmdDepth;
  if (g_pScenePlay) g_pScenePlay->m_bItemSetMessage = 0;
  int result = 0;
  for (const cFlowCmd& c : cmds) {
    cFlowCmd cmd = c;
    if (!(cmd.m_nCategory == CMD_CATEGORY_ITEM && cmd.m_nKind == 23)) {
      ApplyCharaArranges(cmd, this);
      m_lArranges.clear();
    }
    const int r = DispatchItemCmd(this, &cmd);
    if (m_nHP <= 0) {
      result = 2;
      break;
    }
    if (r != 0) {
      result = r;
      break;
    }
  }
  --m_nItemCmdDepth;
  if (result == 0 && m_nHP <= 0) result = 2;
  return result;
}

void cHero::ShowPopup(int graphicKind, int index, int frame) {
  if (!g_pScenePlay) return;
  // The item's icon over the hero (position mode 4), fixed, for 30 frames, not counted while frozen.
  g_pScenePlay->m_lMesWindow.emplace_back(MESWIN_ITEM_ICON, std::string(), graphicKind, index, frame, 4, 0, 0, 0, 0, 0,
                                          0, 1, MESTIME_BY_TIME, 30, 0, m_nObjNo, 0, 0, 0, 0, 0, 0, 0);
}

// ---- Display boxes ----

void cHero::BuildDrawLayers() {
  m_vDrawLayers.clear();
  auto add = [&](int type, int field, int w, int h) {
    cDrawLayer l;
    l.m_nType = type;
    l.m_nKind = Layout(LAYOUT_HERO_BOX_SHOW + field);
    l.m_nColor = 208 + 4 * Layout(LAYOUT_HERO_BOX_COLOR + field);
    l.m_nW = w;
    l.m_nH = h;
    m_vDrawLayers.push_back(l);
  };
  add(0, 0, m_nHitW, m_nHitH);
  add(2, 3, m_ItemRect.m_nW, m_ItemRect.m_nH);
  add(1, 1, m_BodyRect.m_nW, m_BodyRect.m_nH);
  add(3, 2, m_ShotRect.m_nW, m_ShotRect.m_nH);
  std::stable_sort(m_vDrawLayers.begin(), m_vDrawLayers.end(), [](const cDrawLayer& a, const cDrawLayer& b) {
    return static_cast<int64_t>(a.m_nW) * a.m_nH > static_cast<int64_t>(b.m_nW) * b.m_nH;
  });
}

void cHero::DrawLayers(DDSURFACEDATA* target, int noAdvance) {
  // The body picture first, then the boxes over it.
  cCharaBase::Draw(target, noAdvance);
  const bool cycleByPalette = DDScreenBpp == 8 && g_SystemData.m_bPaletteCycle;
  for (cDrawLayer& l : m_vDrawLayers) {
    if (l.m_nKind == 1 || l.m_nKind == 2) {
      const cHitRect* r = l.m_nType == 1 ? &m_BodyRect : l.m_nType == 2 ? &m_ItemRect : l.m_nType == 3 ? &m_ShotRect
                                                                                                     : nullptr;
      const int x = m_PicRect.m_nLeft + m_PicRect.m_nOfsX + (r ? r->m_nOfsX : 0);
      const int y = m_PicRect.m_nTop + m_PicRect.m_nOfsY + (r ? r->m_nOfsY : 0);
      const int w = r ? r->m_nW : m_nHitW, h = r ? r->m_nH : m_nHitH;
      const DWORD colour = static_cast<DWORD>(l.m_nColor + (cycleByPalette ? 0 : l.m_nCounter / 8));
      if (l.m_nKind == 1)
        DDFillRect(target, x, y, w, h, colour);
      else
        DDDrawFrame(target, x, y, w, h, 1, colour);
    }
    l.m_nCounter = (l.m_nCounter + 1) % 32;
  }
}

void cHero::DrawSightMask(DDSURFACEDATA* target, DDSURFACEDATA* mask) {
  if (!target || !mask || m_Chara.m_cSightMode == 0) return;
  const int maskW = mask->nWidth, maskH = mask->nHeight;
  int sx = maskW / 2 - m_PicRect.m_nW / 2 - m_PicRect.m_nLeft;
  const int sy0 = maskH / 2 - m_PicRect.m_nH / 2 - m_PicRect.m_nTop;
  // Modes 2 and 4 see in front of the hero only.
  if (m_Chara.m_cSightMode == 2 || m_Chara.m_cSightMode == 4) sx += GetFacingSign() * (m_PicRect.m_nW / 2 - m_nSight);
  sx = std::clamp(sx, 0, std::max(0, maskW - 640));
  const int sy = std::clamp(sy0, 0, std::max(0, maskH - 480));
  DDBlt(target, 0, 0, 640, 480, mask, sx, sy, 1);
}
