// Shots and swords: set-up from the command's shot parameters, the per-sub-step update with range
// and lifetime, sword parts following the owner, movement, block tests, links and the shot list.
#include "objects/shot.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/blit.h"
#include "gfx/globals.h"
#include "objects/cellhit.h"
#include "scenes/surfacesets.h"
#include "objects/effectobj.h"
#include "objects/objlists.h"
#include "objects/spawn.h"
#include "scenes/sceneplay.h"
#include "stagedata/database.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

const cAnimFrameTable g_ShotFrameTable = {{{0, 7, 0}, {1, 7, 0}, {2, 7, 0}, {-4, 0, 0}},
                                          {{0, 8, 0}, {1, 8, 0}, {-2, 0, 0}}};

namespace {

constexpr int kCmdKindSword = 12;

const cScrollAxis& Axis(bool vertical) {
  static const cScrollAxis none;
  if (!g_pScenePlay) return none;
  return vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX;
}

double AutoShare(bool vertical) {
  const cScrollAxis& a = Axis(vertical);
  return a.IsScrolling() ? a.m_dAutoSpeed : 0;
}

int ClampSteps(double v) {
  if (!(v > 0)) return 0;
  return v >= 2147483647.0 ? INT_MAX : static_cast<int>(v);
}

int ClampSteps64(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, INT_MAX)); }

void AddShotLinkOnce(cCheckedVector<cShotLink>& links, const cShotLink& link) {
  if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
}

void EraseShotLink(cCheckedVector<cShotLink>& links, const cShotLink& link) {
  links.erase(std::remove(links.begin(), links.end(), link), links.end());
}

// The sword type's part, or null when the type or the part does not exist (reported).
const cSwordTypePart* SwordPart(int type, int part) {
  cSwordTypeData& t = g_Database.m_vSwordType.At(type);
  if (t.m_vPart.empty()) return nullptr;
  return &t.m_vPart.At(part);
}

}  // namespace

// ---- Construction ----

cShot::cShot() { m_Shot.SetDefaults(); }

cShot::cShot(const cShot& other)
    : cGameObj(other),
      m_nOwnerNo(other.m_nOwnerNo),
      m_bIsShot(other.m_bIsShot),
      m_nRangeSteps(other.m_nRangeSteps),
      m_nLifeSteps(other.m_nLifeSteps),
      m_nMoveStep(other.m_nMoveStep),
      m_nSwordPart(other.m_nSwordPart),
      m_dAccel(other.m_dAccel),
      m_dMoveSpeed(other.m_dMoveSpeed),
      m_dVelX(other.m_dVelX),
      m_dVelY(other.m_dVelY),
      m_bAccelerating(other.m_bAccelerating),
      m_nTurnStep(other.m_nTurnStep),
      m_nHomeEndStep(other.m_nHomeEndStep),
      m_bMoveDone(other.m_bMoveDone),
      m_dWavePhase(other.m_dWavePhase),
      m_dWaveNormY(other.m_dWaveNormY),
      m_dWaveNormX(other.m_dWaveNormX),
      m_HitBox(other.m_HitBox),
      m_lHitObjects(other.m_lHitObjects),
      m_Shot(other.m_Shot),
      m_pShotTarget(other.m_pShotTarget),
      m_pShotOwner(other.m_pShotOwner),
      m_bReportHit(other.m_bReportHit),
      m_nReportKey(other.m_nReportKey),
      m_bFinished(other.m_bFinished) {}

cShot& cShot::operator=(const cShot& other) {
  if (this == &other) return *this;
  Unlink();
  cShot copy(other);
  cGameObj::operator=(copy);
  m_nOwnerNo = copy.m_nOwnerNo;
  m_bIsShot = copy.m_bIsShot;
  m_nRangeSteps = copy.m_nRangeSteps;
  m_nLifeSteps = copy.m_nLifeSteps;
  m_nMoveStep = copy.m_nMoveStep;
  m_nSwordPart = copy.m_nSwordPart;
  m_dAccel = copy.m_dAccel;
  m_dMoveSpeed = copy.m_dMoveSpeed;
  m_dVelX = copy.m_dVelX;
  m_dVelY = copy.m_dVelY;
  m_bAccelerating = copy.m_bAccelerating;
  m_nTurnStep = copy.m_nTurnStep;
  m_nHomeEndStep = copy.m_nHomeEndStep;
  m_bMoveDone = copy.m_bMoveDone;
  m_dWavePhase = copy.m_dWavePhase;
  m_dWaveNormY = copy.m_dWaveNormY;
  m_dWaveNormX = copy.m_dWaveNormX;
  m_HitBox = copy.m_HitBox;
  m_lHitObjects = copy.m_lHitObjects;
  m_Shot = copy.m_Shot;
  m_pShotTarget = copy.m_pShotTarget;
  m_pShotOwner = copy.m_pShotOwner;
  m_bReportHit = copy.m_bReportHit;
  m_nReportKey = copy.m_nReportKey;
  m_bFinished = copy.m_bFinished;
  copy.m_pShotTarget = copy.m_pShotOwner = nullptr;
  return *this;
}

cShot::~cShot() { Unlink(); }

// ---- Rectangles ----

void cShot::ScaleRects(int scale) {
  m_HitBox.m_nOfsX = m_HitBox.m_nBaseOfsX * scale;
  m_HitBox.m_nOfsY = m_HitBox.m_nBaseOfsY * scale;
  m_HitBox.m_nW = m_HitBox.m_nBaseW * scale;
  m_HitBox.m_nH = m_HitBox.m_nBaseH * scale;
  ClampX();
  CheckBoundsY(2);
}

void cShot::AdjustYForScale(int newScale, int oldScale, int) {
  if (newScale == oldScale) return;
  m_dY -= (newScale - oldScale) * m_nBaseHitH / 2;
  CheckBoundsY(2);
}

void cShot::UpdateRectsX() {
  m_HitBox.m_dLeft = TruncToInt(m_dX) + m_HitBox.m_nOfsX;
  m_HitBox.m_dRight = m_HitBox.m_dLeft + m_HitBox.m_nW - 1;
}

void cShot::UpdateRectsY() {
  m_HitBox.m_dTop = TruncToInt(m_dY) + m_HitBox.m_nOfsY;
  m_HitBox.m_dBottom = m_HitBox.m_dTop + m_HitBox.m_nH - 1;
}

// ---- Set-up ----

void cShot::Init(int objNo, cCharaBase* owner, int cmdKind, const cEdShot& rec, const cShotLaunch& launch) {
  m_Shot = rec;
  if (m_Shot.m_nScale < 1) m_Shot.m_nScale = 1;
  const int ownerFacing = owner ? owner->m_nFacing : 0;
  const int facing = launch.m_dVX > 0 ? 1 : (launch.m_dVX == 0 ? ownerFacing : 0);
  const bool sword = cmdKind == kCmdKindSword;
  int w = 16, h = 16;
  if (sword) {
    const cSwordTypePart* part = SwordPart(m_Shot.m_nMoveKind, 0);
    w = part ? part->m_nWidth : 0;
    h = part ? part->m_nHeight : 0;
  }
  m_nOwnerNo = owner ? owner->m_nObjNo : 0;
  cGameObj::Init(objNo, owner ? owner->m_nOperation : 0, owner ? owner->m_nController : 0, m_Shot.m_nFaction,
                 m_Shot.m_sGraphic, &g_ShotFrameTable, sword ? 0 : 1, 0, 0, w, h, 16, 16, facing, MOVE_FLY_THROUGH,
                 static_cast<int16_t>(launch.m_nLevel));
  if (m_Shot.m_bOwnerFaction && owner) {
    m_Shot.m_nFaction = owner->m_Chara.m_cSide;
    m_nSide = owner->m_Chara.m_cSide;
  }
  if (sword) {
    m_HitBox.m_nOfsX = m_HitBox.m_nBaseOfsX = 0;
    m_HitBox.m_nOfsY = m_HitBox.m_nBaseOfsY = 0;
    m_HitBox.m_nW = m_HitBox.m_nBaseW = w;
    m_HitBox.m_nH = m_HitBox.m_nBaseH = h;
  } else {
    const bool player = !owner || owner->m_nOperation == 0;
    const int bw = g_StageData.Layout(player ? LAYOUT_PLAYER_SHOT_W : LAYOUT_COM_SHOT_W);
    const int bh = g_StageData.Layout(player ? LAYOUT_PLAYER_SHOT_H : LAYOUT_COM_SHOT_H);
    m_HitBox.m_nOfsX = m_HitBox.m_nBaseOfsX = 8 - bw / 2;
    m_HitBox.m_nOfsY = m_HitBox.m_nBaseOfsY = 8 - bh / 2;
    m_HitBox.m_nW = m_HitBox.m_nBaseW = bw;
    m_HitBox.m_nH = m_HitBox.m_nBaseH = bh;
  }
  m_bIsShot = sword ? 0 : 1;
  SetScale(m_Shot.m_nScale, 1, 0);
  m_dX = launch.m_nX;
  ClampX();
  m_dY = launch.m_nY;
  CheckBoundsY(2);
  const double n = g_StageData.m_dStepsPerFrame > 0 ? g_StageData.m_dStepsPerFrame : 1;
  m_dVelX = launch.m_dVX / n;
  m_dVelY = launch.m_dVY / n;
  if (m_Shot.m_bAccelShot) {
    m_bAccelerating = 1;
    m_dAccel = (m_Shot.m_sAccel + m_Shot.m_sAccelStep * launch.m_nLevel) * 0.1 / n;
    SetSpeedByDirection(m_dInertiaX, m_dInertiaY, launch.m_dVX, launch.m_dVY);
  } else {
    m_bAccelerating = 0;
    m_dAccel = 0;
    m_dInertiaX = m_dInertiaY = 0;
  }
  m_dSpeedX = m_dSpeedY = 0;
  m_bScrollSync = m_Shot.m_bScrollSync;
  const int steps = std::max(1, static_cast<int>(g_StageData.m_nStepsPerFrame));
  if (m_Shot.m_bLifeOn) m_nLifeSteps = ClampSteps64(int64_t{launch.m_nLifetime} * steps * 6);
  if (m_Shot.m_bRangeOn) {
    const double w = std::max(0, launch.m_nRange * 16 - m_nHitW);
    const double c = std::fabs(launch.m_dSpeed / n);
    if (w > 0 && c > 0)
      m_nRangeSteps = ClampSteps(w / c);
    else
      m_nRangeSteps = (c > 0 && m_nHitW < c * n) ? ClampSteps(m_nHitW / c) : TruncToInt(n);
    if (m_nRangeSteps < n) {
      // The whole range fits in one frame: the velocity is cut so that the frame covers it exactly.
      const double sum = std::fabs(launch.m_dVX) + std::fabs(launch.m_dVY);
      m_dVelX = sum > 0 ? (w / n) * launch.m_dVX / sum : 0;
      m_dVelY = sum > 0 ? (w / n) * launch.m_dVY / sum : 0;
      m_nRangeSteps = TruncToInt(n);
    }
  }
  m_nMoveStep = m_nSwordPart = 0;
  m_dMoveSpeed = 0;
  m_nTurnStep = m_nHomeEndStep = 0;
  m_bMoveDone = 0;
  m_dWavePhase = m_dWaveNormX = m_dWaveNormY = 0;
  m_lHitObjects.clear();
  m_pShotTarget = owner ? owner->m_pTarget.At(m_Shot.m_nOwnerTarget) : nullptr;
  m_pShotOwner = owner;
  m_bReportHit = m_Shot.m_bReportHit;
  m_nReportKey = static_cast<uint8_t>(m_Shot.m_nReportKey);
}

void cShot::SetSpeedByDirection(double& outX, double& outY, double dx, double dy) const {
  const double a = CellSpeedToStep(m_dAccel);
  if (dx == 0 && dy == 0) {
    outX = outY = 0;
  } else if (dy == 0) {
    outX = dx > 0 ? a : -a;
    outY = 0;
  } else if (dx == 0) {
    outX = 0;
    outY = dy > 0 ? a : -a;
  } else {
    const double len = std::sqrt(dx * dx + dy * dy);
    outX = dx / len * a;
    outY = dy / len * a;
  }
}

// ---- Per sub-step ----

namespace {

// The auto-scroll share of a shot's speeds this sub-step.
void ScrollShare(cShot& s) {
  if (g_SystemData.m_bAimAddScroll) {
    s.m_dSpeedX = 0;
    if (s.m_bFlying) s.m_dSpeedY = 0;
  } else if (s.m_bScrollSync) {
    s.m_dSpeedX = AutoShare(false);
    if (s.m_bFlying) s.m_dSpeedY = AutoShare(true);
  } else {
    s.m_dSpeedX = 0;
    if (s.m_bFlying) s.m_dSpeedY = 0;
  }
}

}  // namespace

int cShot::Update() {
  if (!m_bIsShot) return UpdateSword();
  ScrollShare(*this);
  const int kind = m_Shot.m_nMoveKind;
  if (kind > 0 && kind < static_cast<int>(g_ShotMoveTable.size()) && g_ShotMoveTable[kind])
    g_ShotMoveTable[kind](*this);
  if (m_bAccelerating) {
    m_dVelX += m_dInertiaX;
    if (m_bFlying)
      m_dVelY += m_dInertiaY;
    else
      m_dSpeedY += m_dInertiaY;
  }
  m_dSpeedX += m_dVelX;
  if (m_bFlying) m_dSpeedY += m_dVelY;
  if (m_Shot.m_bLifeOn) {
    if (m_nLifeSteps <= 0) return 1;
    --m_nLifeSteps;
  }
  if (m_dSpeedX != 0) m_nFacing = m_dSpeedX > 0 ? 1 : 0;
  if (m_Shot.m_bRangeOn) {
    if (m_nRangeSteps > 0) {
      --m_nRangeSteps;
    } else {
      if (!m_Shot.m_bKeepAtRangeEnd) return 1;
      m_dVelX = m_dVelY = 0;
      m_Shot.m_nMoveKind = 0;
      ScrollShare(*this);
    }
  }
  return 0;
}

int cShot::UpdateSword() {
  cCharaBase* owner = FindObjById(m_nOwnerNo);
  if (!owner) return 1;
  owner->UpdateScreenPos();
  m_nFacing = owner->m_nFacing;
  const cSwordTypePart* part = SwordPart(m_Shot.m_nMoveKind, m_nSwordPart);
  if (!part) return 1;
  const int scale = m_Shot.m_nScale;
  if (m_nMoveStep == 0) {
    m_PicRect.m_nBaseW = m_nBaseHitW = m_HitBox.m_nBaseW = part->m_nWidth;
    m_PicRect.m_nBaseH = m_nBaseHitH = m_HitBox.m_nBaseH = part->m_nHeight;
    m_PicRect.m_nW = m_nHitW = m_HitBox.m_nW = part->m_nWidth * scale;
    m_PicRect.m_nH = m_nHitH = m_HitBox.m_nH = part->m_nHeight * scale;
  }
  const int sx = TruncToInt(Axis(false).m_dPos), sy = TruncToInt(Axis(true).m_dPos);
  const cPicRect& o = owner->m_PicRect;
  const int left = o.m_nLeft + sx, right = o.m_nRight + sx, top = o.m_nTop + sy, bottom = o.m_nBottom + sy;
  const int w = m_nHitW, h = m_nHitH;
  const int cx = left + o.m_nW / 2 - w / 2, cy = top + o.m_nH / 2 - h / 2;
  const bool right1 = owner->m_nFacing != 0;
  double x = cx, y = cy;
  switch (part->m_nPlace) {
    case 0: x = right1 ? right + 1 : left - w; break;
    case 1:
      m_nFacing = right1 ? 0 : 1;
      x = right1 ? left - w : right + 1;
      break;
    case 2: y = top - h; break;
    case 3: y = bottom + 1; break;
    default: break;
  }
  const int ox = part->m_nOfsX * scale, oy = part->m_nOfsY * scale;
  x += (right1 && part->m_bMirrorX) ? -ox : ox;
  y += (right1 && part->m_bMirrorY) ? -oy : oy;
  m_dX = x;
  m_dY = y;
  ClampX();
  CheckBoundsY(2);
  ++m_nMoveStep;
  const int steps = std::max(1, static_cast<int>(g_StageData.m_nStepsPerFrame));
  if (m_nMoveStep <= ClampSteps64(int64_t{part->m_nDuration} * steps * 6)) return 0;
  m_nMoveStep = 0;
  ++m_nSwordPart;
  return m_nSwordPart >= g_Database.m_vSwordType.At(m_Shot.m_nMoveKind).m_vPart.Size() ? 1 : 0;
}

int cShot::MoveX() {
  if (m_dInertiaX != 0) m_dSpeedX += m_dInertiaX;
  if (m_dSpeedX != 0) {
    const double max = g_StageData.m_dMaxSpeed;
    m_dSpeedX = std::clamp(m_dSpeedX, -max, max);
    m_dX += m_dSpeedX;
    ClampX();
  }
  return 0;
}

int cShot::MoveY() {
  if (m_dInertiaY != 0) m_dSpeedY += m_dInertiaY;
  if (m_dSpeedY != 0) {
    ApplySpeedY(2);
    CheckBoundsY(2);
  }
  return 0;
}

int cShot::ClampX() {
  const cScrollAxis& a = Axis(false);
  int result = 0;
  if (m_nHitW < a.m_nMarginCells * 32) {
    if (m_dX < 0) {
      m_dX = 0;
      result = 3;
    } else if (m_dX + m_nHitW - 1 >= a.m_nOuterRange) {
      m_dX = static_cast<double>(a.m_nOuterRange) - m_nHitW;
      result = 3;
    }
  }
  // A mode outside 0-2 moves nothing: it only refreshes the right edge, the rectangles and the cells.
  CheckBoundsX(-1);
  return result;
}

int cShot::IsInBlock() const {
  if (m_Shot.m_nBlockPass == 1) return 0;
  const int shift = Axis(false).m_nShift;
  auto hits = [&](int px, int py) {
    const int64_t index = (px >> 5) + (int64_t{py >> 5} << shift);
    const int i = index < INT_MIN || index > INT_MAX ? -1 : static_cast<int>(index);
    return CellHitCode(i, m_nSide) != 0;
  };
  const int left = TruncToInt(m_dX), right = TruncToInt(m_dRight);
  const int top = TruncToInt(m_dY), bottom = TruncToInt(m_dBottom);
  if (m_nHitW > 32) {
    // Every cell under the box, the last pixel row and column included.
    for (int y = top;; y = std::min(y + 32, bottom)) {
      for (int x = left;; x = std::min(x + 32, right)) {
        if (hits(x, y)) return 1;
        if (x == right) break;
      }
      if (y == bottom) break;
    }
    return 0;
  }
  return hits(left, top) || hits(left, bottom) || hits(right, top) || hits(right, bottom);
}

// ---- Links and the shot list ----

void cShot::Unlink() {
  if (m_pShotTarget) EraseShotLink(m_pShotTarget->m_vShotLink, {this, 0});
  if (m_pShotOwner) EraseShotLink(m_pShotOwner->m_vShotLink, {this, kLinkSlotOwner});
  m_pShotTarget = nullptr;
  m_pShotOwner = nullptr;
}

void cShot::RegisterLinks() {
  const int kind = m_Shot.m_nMoveKind;
  if (m_bIsShot && (kind == 3 || kind == 6) && m_pShotTarget)
    AddShotLinkOnce(m_pShotTarget->m_vShotLink, {this, 0});
  else
    m_pShotTarget = nullptr;
  if (m_pShotOwner) AddShotLinkOnce(m_pShotOwner->m_vShotLink, {this, kLinkSlotOwner});
}

int cShot::HasHit(int objNo) const {
  return std::find(m_lHitObjects.begin(), m_lHitObjects.end(), objNo) != m_lHitObjects.end();
}

void cShot::AddHit(int objNo) {
  if (!HasHit(objNo)) m_lHitObjects.push_back(objNo);
}

namespace {

// The scene's spare nodes when the list is the scene's shot list, otherwise none.
cScenePlay* PoolOf(const cCheckedList<cShot>& list) {
  return g_pScenePlay && &list == &g_pScenePlay->m_lShot ? g_pScenePlay : nullptr;
}

void FileBySide(cShot& shot) {
  if (!g_pScenePlay) return;
  cCheckedList<cShot*>& side = g_pScenePlay->m_vSideShot.At(shot.m_Shot.m_nFaction);
  cCheckedList<cShot*>& spare = g_pScenePlay->m_lSpareSideShot;
  if (spare.empty()) {
    side.push_back(&shot);
  } else {
    side.splice(side.end(), spare, spare.begin());
    side.back() = &shot;
  }
  shot.m_pSideList = &side;
  shot.m_itSide = std::prev(side.end());
}

void UnfileSide(cShot& shot) {
  if (!shot.m_pSideList) {
    // A shot filed by other means is looked for in every side's list.
    if (g_pScenePlay)
      for (cCheckedList<cShot*>& side : g_pScenePlay->m_vSideShot) side.remove(&shot);
    return;
  }
  if (g_pScenePlay)
    g_pScenePlay->m_lSpareSideShot.splice(g_pScenePlay->m_lSpareSideShot.end(), *shot.m_pSideList, shot.m_itSide);
  else
    shot.m_pSideList->erase(shot.m_itSide);
  shot.m_pSideList = nullptr;
}

cShot& FileInList(cCheckedList<cShot>& list, cCheckedList<cShot>::iterator pos) {
  cShot& shot = *pos;
  shot.m_pFiledIn = &list;
  shot.m_itFiled = pos;
  FileBySide(shot);
  return shot;
}

}  // namespace

cShot& AddShotToList(cCheckedList<cShot>& list, const cShot& shot) {
  list.push_back(shot);
  return FileInList(list, std::prev(list.end()));
}

cShot& EmplaceShot(cCheckedList<cShot>& list, int objNo, cCharaBase* owner, int cmdKind, const cEdShot& rec,
                   const cShotLaunch& launch) {
  cScenePlay* pool = PoolOf(list);
  if (pool && !pool->m_lSpareShot.empty())
    list.splice(list.end(), pool->m_lSpareShot, pool->m_lSpareShot.begin());
  else
    list.emplace_back();
  cShot& shot = list.back();
  shot.Init(objNo, owner, cmdKind, rec, launch);
  return FileInList(list, std::prev(list.end()));
}

cCheckedList<cShot>::iterator RemoveShot(cCheckedList<cShot>& list, cCheckedList<cShot>::iterator pos) {
  cShot& shot = *pos;
  UnfileSide(shot);
  cScenePlay* pool = PoolOf(list);
  if (!pool) return list.erase(pos);
  // The shot ends here as if erased; its node keeps a shot made anew for the next one fired, with the
  // storage of its frame sequences (the next Init builds them afresh).
  const auto next = std::next(pos);
  cAnimSeq frames = std::move(shot.m_AnimSeq);
  std::destroy_at(&shot);
  std::construct_at(&shot);
  shot.m_AnimSeq = std::move(frames);
  pool->m_lSpareShot.splice(pool->m_lSpareShot.end(), list, pos);
  return next;
}

bool RemoveShot(cCheckedList<cShot>& list, cShot* shot) {
  if (shot->m_pFiledIn == &list) {
    RemoveShot(list, shot->m_itFiled);
    return true;
  }
  // A shot put in the list by other means.
  for (auto it = list.begin(); it != list.end(); ++it)
    if (&*it == shot) {
      RemoveShot(list, it);
      return true;
    }
  return false;
}

void ClearSideShots(cCheckedVector<cCheckedList<cShot*>>& sides, cCheckedList<cShot>& list) {
  for (cShot& shot : list) shot.m_pSideList = nullptr;
  for (cCheckedList<cShot*>& side : sides) side.clear();
}

std::list<int> CopyRefList(const cShot& shot) { return shot.m_lHitObjects; }

// ---- Hits ----

void cCharaBase::ApplyShotImpact(const cShot& shot, int& out) {
  // A shot pushes along its speeds, a sword horizontally by its facing.
  if (shot.m_bIsShot)
    ApplyImpact(shot.m_Shot.m_nImpact, shot.m_dSpeedX, shot.m_dSpeedY, out);
  else
    ApplyImpact(shot.m_Shot.m_nImpact, shot.GetFacingSign(), 0, out);
}

int cCharaBase::TakeShotHit(const cShot& shot, int& damageOut, int& impactOut) {
  int64_t damage = shot.m_Shot.m_nPower;
  if (damage > 0) damage = std::clamp<int64_t>(damage - m_Chara.m_nDefence, 0, 999999);
  damageOut = m_Chara.m_cInvincible ? 0 : static_cast<int>(damage);
  const int died = AddHP(static_cast<int>(-damage), 0, 1);
  if (shot.m_Shot.m_sEffect != 0 && g_pScenePlay) {
    // The hit effect plays where this object's shot rectangle and the shot's box overlap.
    const cHitRect& mine = m_ShotRect;
    const cHitRect& its = shot.m_HitBox;
    cEffectObj& effect = g_pScenePlay->m_lEffect.emplace_back();
    effect.SetupAtHit(shot.m_Shot.m_sEffect, cRectD{mine.m_dLeft, mine.m_dTop, mine.m_dRight, mine.m_dBottom},
                      cRectD{its.m_dLeft, its.m_dTop, its.m_dRight, its.m_dBottom}, shot.m_Shot.m_nScale);
  }
  ApplyShotImpact(shot, impactOut);
  return died;
}

void cCharaBase::RaiseShotHitTriggers(const cShot& shot, int damage, int impacted) {
  cCharaBase* owner = shot.m_pShotOwner;
  const bool toOwner = owner && owner->m_bOwnerGetsHits;
  if (shot.m_Shot.m_nPower != 0) {
    RaiseTriggerEx(FLOW_TRIG_DAMAGE_SET, owner, 0);
    if (damage > 0) RaiseTriggerEx(FLOW_TRIG_DAMAGE_TAKEN, owner, 0);
    if (toOwner) {
      owner->RaiseTriggerEx(FLOW_TRIG_ATTACK_DAMAGE_SET, this, shot.m_nReportKey);
      if (damage > 0) owner->RaiseTriggerEx(FLOW_TRIG_ATTACK_DAMAGE_GIVEN, this, shot.m_nReportKey);
    }
  }
  if (shot.m_Shot.m_nImpact != 0) {
    RaiseTriggerEx(FLOW_TRIG_IMPACT_SET, owner, 0);
    if (impacted) RaiseTriggerEx(FLOW_TRIG_IMPACT_TAKEN, owner, 0);
    if (toOwner) {
      owner->RaiseTriggerEx(FLOW_TRIG_ATTACK_IMPACT_SET, this, shot.m_nReportKey);
      if (impacted) owner->RaiseTriggerEx(FLOW_TRIG_ATTACK_IMPACT_GIVEN, this, shot.m_nReportKey);
    }
  }
}

// ---- Drawing ----

void cShot::Draw(DDSURFACEDATA* target, int advance) {
  if (m_Shot.m_bInvisible) return;
  UpdateScreenPos();
  // Scaled pictures come from the alternate surfaces, except where DirectDraw stretches itself.
  const int alternate = m_Shot.m_nScale > 1 && !(!lpDTCon && g_SystemIni.DD_VideoStretch) ? 1 : 0;
  const int x = m_PicRect.m_nLeft, y = m_PicRect.m_nTop;
  DDSURFACEDATA* source = nullptr;
  int sx = 0, sy = 0, sw = 16, sh = 16;
  if (m_bIsShot) {
    const int frame = advance ? m_AnimSeq.Tick() : m_AnimSeq.GetValue();
    const int entry = AltPictureIndex(20 + (m_nFacing ? 1 : 0), alternate);
    if (entry < 0 || entry >= kAppSurfaceCount) return;
    source = &g_AppSurface[entry];
    sx = (frame + (m_nGraphicNo / 30) * 2) * 16;
    sy = (m_nGraphicNo % 30) * 16;
  } else {
    const cSwordTypePart* part = SwordPart(m_Shot.m_nMoveKind, m_nSwordPart);
    if (!part) return;
    source = &g_vSwordSD.At(4 * m_Shot.m_nMoveKind + (m_nFacing ? 1 : 0) + 2 * alternate);
    sx = part->m_nSrcX;
    sy = part->m_nSrcY;
    sw = part->m_nWidth;
    sh = part->m_nHeight;
  }
  if (m_Shot.m_nScale > 1)
    DDStretchBlt(target, x, y, m_PicRect.m_nW, m_PicRect.m_nH, source, sx, sy, sw, sh, 1);
  else
    DDBlt(target, x, y, sw, sh, source, sx, sy, 1);
}
