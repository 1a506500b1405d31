// The computer-operated characters: set-up, waking, movement codes, the flow pass and the fixed jump.
#include "objects/chara.h"

#include "gamedata/systemdata.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {

int Layout(int field) { return g_StageData.Layout(field); }

void SetRect(cHitRect& r, int ofsX, int ofsY, int w, int h) {
  r.m_nOfsX = r.m_nBaseOfsX = ofsX;
  r.m_nOfsY = r.m_nBaseOfsY = ofsY;
  r.m_nW = r.m_nBaseW = w;
  r.m_nH = r.m_nBaseH = h;
}

double AutoShare(bool vertical) {
  if (!g_pScenePlay) return 0;
  const cScrollAxis& a = vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX;
  return a.IsScrolling() ? a.m_dAutoSpeed : 0;
}

int Grid(bool vertical) {
  if (!g_pScenePlay) return cScrollAxis::kMarginCells;
  return (vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX).m_nMarginCells;
}

}  // namespace

cChara::cChara(const cChara& other)
    : cCharaBase(other),
      m_bInView(other.m_bInView),
      m_HeldItem(other.m_HeldItem),
      m_nBlinkCount(other.m_nBlinkCount),
      m_bIgnoreViewX(other.m_bIgnoreViewX),
      m_bIgnoreViewY(other.m_bIgnoreViewY),
      m_bStarted(other.m_bStarted) {}

void cChara::Init(int objNo, const cCharaData& def, const cItem* heldItem, double homeX, double homeY, int16_t level,
                  int startSeq, const cAnimFrameTable* table) {
  cCharaData d = def;
  if (d.m_cScale < 1) d.m_cScale = 1;
  cCharaBase::Init(&d, homeX, homeY, level);
  const bool fly = d.m_cMoveMode != 0;
  int ofsX = 0, ofsY = 0, w = 32, h = 32;
  if (!d.m_bBlockChara) {
    w = Layout(fly ? LAYOUT_CHARA_PIC_W_FLY : LAYOUT_CHARA_PIC_W);
    h = Layout(fly ? LAYOUT_CHARA_PIC_H_FLY : LAYOUT_CHARA_PIC_H);
    ofsX = (32 - w) >> 1;
    ofsY = Layout(fly ? LAYOUT_CHARA_PIC_ALIGN_FLY : LAYOUT_CHARA_PIC_ALIGN) == 1 ? 32 - h : (32 - h) >> 1;
  }
  cGameObj::Init(objNo, d.m_cOperation, d.m_cPlayer, d.m_cSide, d.m_sGraphic, table, startSeq, ofsX, ofsY, w, h, 32,
                 32, d.m_cFacing, d.m_cMoveMode, level);
  if (d.m_bBlockChara) {
    SetRect(m_BodyRect, 0, 0, 0, 0);
    SetRect(m_ShotRect, 0, 0, 32, 32);
  } else {
    switch (d.m_cBoxChoice) {
      case 0:
        SetBodyRect(Layout(fly ? LAYOUT_CHARA_BODY_ALIGN_FLY : LAYOUT_CHARA_BODY_ALIGN) == 1,
                    Layout(fly ? LAYOUT_CHARA_BODY_W_FLY : LAYOUT_CHARA_BODY_W),
                    Layout(fly ? LAYOUT_CHARA_BODY_H_FLY : LAYOUT_CHARA_BODY_H));
        break;
      case 1: SetBodyRect(0, Layout(LAYOUT_CHARA_SHOT_BOX_W), Layout(LAYOUT_CHARA_SHOT_BOX_H)); break;
      case 2: SetBodyRect(0, Layout(LAYOUT_COM_SHOT_W), Layout(LAYOUT_COM_SHOT_H)); break;
      default: SetBodyRect(0, w, h); break;
    }
    const int sw = Layout(LAYOUT_CHARA_SHOT_BOX_W), sh = Layout(LAYOUT_CHARA_SHOT_BOX_H);
    SetRect(m_ShotRect, 16 - sw / 2 - ofsX, 16 - sh / 2 - ofsY, sw, sh);
  }
  SetScale(d.m_cScale, 1, 0);
  m_nBlinkCount = 0;
  if (heldItem)
    m_HeldItem = *heldItem;
  else
    m_HeldItem.m_Item.m_sGraphic = 0;
  static constexpr int kAxes[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
  const int axes = d.m_cViewAxes >= 0 && d.m_cViewAxes < 4 ? d.m_cViewAxes : 0;
  m_bIgnoreViewX = kAxes[axes][0];
  m_bIgnoreViewY = kAxes[axes][1];
  m_bStarted = 0;
  m_AnimSeq.Set(m_bFlying ? 0 : 1, 1);
  AddFlows(m_Chara.m_vFlow, 0, 0);
}

int cChara::SetCellPos(int column, int row) {
  m_dX = (column + Grid(false)) * 32 + m_PicRect.m_nBaseOfsX + 0.5;
  m_dY = (row + Grid(true)) * 32 + m_PicRect.m_nBaseOfsY;
  ScaleKeepX(m_Chara.m_cScale, 1, 0);
  AfterMoveX();
  return AfterMoveY();
}

int cChara::UpdateActive(cCheckedVector<uint8_t>& switches) {
  if (IsOnScreenEx(m_bIgnoreViewX, m_bIgnoreViewY)) {
    m_bInView = 1;
    if (m_Chara.m_bAppearSwitch) switches.At(m_Chara.m_sAppearSwitch) = 1;
    return 1;
  }
  m_bInView = 0;
  return 0;
}

int cChara::CheckStart(cCheckedVector<uint8_t>& switches) {
  bool run = m_bInView || (m_Chara.m_bAppearSwitch && switches.At(m_Chara.m_sAppearSwitch));
  if (!run && !m_bFlying) run = m_bJumping || (m_bStarted && m_bInAir);
  if (!run) return 0;
  m_bStarted = 1;
  if (m_Chara.m_cKeepActive == 1) m_bIgnoreViewX = m_bIgnoreViewY = 1;
  UpdateScreenPos();
  return 1;
}

int cChara::OverlapsRect(double left, double top, double right, double bottom) const {
  return !(m_dX > right || m_dRight < left || m_dY > bottom || m_dBottom < top);
}

void cChara::DrawBlinkMark(DDSURFACEDATA* target) {
  if (!m_HeldItem.m_bCarried || !m_bOnScreen || m_bHidden || m_HeldItem.m_Item.m_bHidden) return;
  // The counter runs 0..95; the mark shows while it is 64 or more.
  if (++m_nBlinkCount >= 96) m_nBlinkCount = 0;
  if (m_nBlinkCount >= 64) {
    const cPicRect& item = m_HeldItem.m_PicRect;
    DrawGraphicCell(target, m_PicRect.m_nLeft + m_PicRect.m_nW / 2 - item.m_nW / 4, m_PicRect.m_nTop - item.m_nH / 2,
                    m_HeldItem.m_Item.m_cGraphicKind, m_HeldItem.m_Item.m_sGraphic, m_HeldItem.m_Item.m_sGraphicSub);
  }
}

void cChara::ScaleRects(int scale) {
  if (m_Chara.m_bBlockChara) {
    for (cHitRect* r : {&m_BodyRect, &m_ShotRect}) {
      r->m_nOfsX = r->m_nOfsY = 0;
      r->m_nW = m_nHitW;
      r->m_nH = m_nHitH;
    }
  } else {
    for (cHitRect* r : {&m_BodyRect, &m_ShotRect}) {
      r->m_nOfsX = r->m_nBaseOfsX * scale;
      r->m_nOfsY = r->m_nBaseOfsY * scale;
      r->m_nW = r->m_nBaseW * scale;
      r->m_nH = r->m_nBaseH * scale;
    }
  }
  AfterMoveX();
  AfterMoveY();
}

void cChara::UpdateRectsX() {
  for (cHitRect* r : {&m_BodyRect, &m_ShotRect}) {
    r->m_dLeft = TruncToInt(m_dX) + r->m_nOfsX;
    r->m_dRight = r->m_dLeft + r->m_nW - 1;
  }
}

void cChara::UpdateRectsY() {
  for (cHitRect* r : {&m_BodyRect, &m_ShotRect}) {
    r->m_dTop = TruncToInt(m_dY) + r->m_nOfsY;
    r->m_dBottom = r->m_dTop + r->m_nH - 1;
  }
}

cItem* cChara::GetHeldItem() { return &m_HeldItem; }
int cChara::AfterMoveX() { return CheckBoundsX(2); }
int cChara::AfterMoveY() { return CheckBoundsY(2); }

int cChara::MoveX() {
  if (m_dImpactX != 0) {
    m_dSpeedX = m_dImpactX;
  } else if (m_dInertiaX != 0) {
    ApplyFriction(m_dInertiaX, m_bFrictionX);
    m_dSpeedX += m_dInertiaX;
  }
  const int code = ApplySpeedX(2);
  AfterMoveX();
  return code == 3 ? 4 : code;
}

int cChara::MoveY() {
  StepImpactY();
  if (m_dImpactY == 0 && m_bFlying && m_dInertiaY != 0) {
    ApplyFriction(m_dInertiaY, m_bFrictionY);
    m_dSpeedY += m_dInertiaY;
  }
  const int code = ApplySpeedY(2);
  AfterMoveY();
  if (m_bFlying && (code == 3 || code == 6)) return 8;
  if (!m_bFlying && (code == 5 || code == 6)) return 7;
  return code;
}

int cChara::RunFlows(int dying) {
  cScenePlay* scene = g_pScenePlay;
  if (scene) {
    scene->m_pCurObj = this;
    scene->m_bStatusChanged = 0;
    scene->m_bDeathPending = 0;
  }
  if (g_SystemData.m_bAimAddScroll) {
    m_dSpeedX = 0;
    if (m_bFlying) m_dSpeedY = 0;
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
  m_bGravityOff = 0;
  RunAnimCues();
  const int stop = StepFlows(dying, 1);
  if (scene) scene->m_pCurObj = nullptr, scene->m_pCurFlow = nullptr, scene->m_pCurCmd = nullptr;
  if (stop) return 1;
  FinishFlowPass();
  SettleBaseAnim();
  return m_nHP <= 0 ? 1 : 0;
}

void cChara::Jump(cCmdInstance& cmd) {
  const cFlowCmd* rec = cmd.m_pCmd;
  auto takeOff = [&] {
    cmd.m_bTookOff = 1;
    if (rec && (!rec->m_bSoundOnScreen || m_bOnScreen)) PlayDataSound(rec->m_sSound);
    m_dSpeedY = cmd.m_dSpeed;
    m_bJumping = 1;
    m_bJumpEnded = 1;
    m_pRide = nullptr;
  };
  if (g_SystemData.m_bJumpAnyTime) {
    if (!m_bInAir && !m_bCeilingHit && !m_bImpacted && m_nJumpCount == 0) {
      takeOff();
      return;
    }
  }
  if (!cmd.m_bTookOff) {
    const int lock = g_SystemData.m_bJumpInAir ? m_nJumpCount : m_bJumping;
    if (!m_bInAir && !m_bCeilingHit && !m_bImpacted && !lock) {
      takeOff();
    } else if (cmd.m_bActed >= 4 * g_StageData.m_nStepsPerFrame) {
      // It could not take off within four displayed frames: the command ends without a jump.
      cmd.m_bTookOff = 1;
      m_bCeilingHit = 0;
      m_bImpacted = 0;
      cmd.m_nRemain = 0;
    }
    return;
  }
  if (IsOnSolidCell()) {
    m_bCeilingHit = 0;
    m_bImpacted = 0;
    cmd.m_nRemain = 0;
  }
}
