// Contacts between objects: block characters as solid bodies that push, carry and crush the hero
// and the other characters.
#include <algorithm>

#include "gamedata/systemswitches.h"
#include "objects/cellhit.h"
#include "objects/objlists.h"
#include "stagedata/flow.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "scenes/collision.h"
#include "scenes/sceneplay.h"

bool BoxesOverlap(const cGameObj& a, const cGameObj& b) {
  return BoxesOverlap(a.m_dX, a.m_dY, a.m_dRight, a.m_dBottom, b.m_dX, b.m_dY, b.m_dRight, b.m_dBottom);
}


namespace {

// The list to scan for block characters: an empty one when the play scene knows that the character
// list holds none.
template <class List>
List& BlockCandidates(List& list) {
  static List none;
  return &list == &g_lstChara && g_pScenePlay && !g_pScenePlay->HasBlockCharas() ? none : list;
}

}  // namespace

int cScenePlay::OverlapsAnyBlockChara(cCharaBase* obj, cCheckedList<cChara>& list) {
  if (MoveModeOf(*obj) == MOVE_FLY_THROUGH) return 0;
  for (cChara& c : BlockCandidates(list)) {
    if (&c != obj && c.m_Chara.m_bBlockChara && TakesPart(c) && BoxesOverlap(*obj, c)) return 1;
  }
  return 0;
}

int cScenePlay::OverlapsBlockChara(cCharaBase* obj, cCheckedList<cChara>& list, int excluded) {
  if (MoveModeOf(*obj) == MOVE_FLY_THROUGH) return 0;
  for (cChara& c : BlockCandidates(list)) {
    if (&c != obj && c.m_nObjNo != excluded && c.m_Chara.m_bBlockChara && TakesPart(c) && BoxesOverlap(*obj, c))
      return 1;
  }
  return 0;
}

namespace {

constexpr double kInf = 1e300;

// A block character that other objects meet: appearing, alive, and not the object itself.
bool IsSolidFor(const cChara& c, const cCharaBase* obj) {
  return &c != obj && c.m_Chara.m_bBlockChara && TakesPart(c);
}

// C covers the object's left (right) edge line, the edge without its end pixels.
bool CoversLeftLine(const cGameObj& c, const cGameObj& o) {
  return BoxesOverlap(c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom, o.m_dX, o.m_dY + 1, o.m_dX, o.m_dBottom - 1);
}
bool CoversRightLine(const cGameObj& c, const cGameObj& o) {
  return BoxesOverlap(c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom, o.m_dRight, o.m_dY + 1, o.m_dRight, o.m_dBottom - 1);
}
bool CoversTopLine(const cGameObj& c, const cGameObj& o) {
  return BoxesOverlap(c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom, o.m_dX + 1, o.m_dY, o.m_dRight - 1, o.m_dY);
}

// Overlap of the two boxes in pixels, each counted inclusively.
double OverlapW(const cGameObj& a, const cGameObj& b) {
  return std::min(a.m_dRight, b.m_dRight) - std::max(a.m_dX, b.m_dX) + 1;
}
double OverlapH(const cGameObj& a, const cGameObj& b) {
  return std::min(a.m_dBottom, b.m_dBottom) - std::max(a.m_dY, b.m_dY) + 1;
}

bool RectsOverlap(const cRectD& a, const cRectD& b) {
  return BoxesOverlap(a.m_dLeft, a.m_dTop, a.m_dRight, a.m_dBottom, b.m_dLeft, b.m_dTop, b.m_dRight, b.m_dBottom);
}
cRectD BoxOf(const cGameObj& o) { return {o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom}; }

// Whether the object's box moved to (x, y) would have a corner in a cell that stops its side.
bool BoxInBlockAt(const cCharaBase& obj, double x, double y) {
  const int cols[2] = {TruncToInt(x) >> 5, TruncToInt(x + obj.m_nHitW - 1) >> 5};
  const int rows[2] = {TruncToInt(y) >> 5, TruncToInt(y + obj.m_nHitH - 1) >> 5};
  for (int r : rows)
    for (int c : cols)
      if (CellHitCode(CellIndexOf(c, r), obj.m_nSide) != 0) return true;
  return false;
}

cChara* FindCharaNo(cCheckedList<cChara>& list, int objNo) {
  for (cChara& c : list)
    if (c.m_nObjNo == objNo) return &c;
  return nullptr;
}

void RaiseRidden(cChara& ridden, cCharaBase* rider) {
  if (IsHeroObject(rider)) ridden.RaiseTriggerEx(FLOW_TRIG_RIDDEN_BY_HERO, rider, 0);
  ridden.RaiseTriggerEx(FLOW_TRIG_RIDDEN_BY_CHARA, rider, 0);
}

void RefreshRide(cCharaBase* obj, const cChara& ridden) {
  obj->m_RideRect = BoxOf(ridden);
  obj->m_nNoFloorFrames = 0;
  obj->m_bJumping = 0;
}

// Moves back by step on one axis while a corner lies in a hitting cell, at most 15 times.
void NudgeOut(cCharaBase* obj, bool vertical, double step) {
  for (int i = 0; i < 15 && obj->IsInBlock(); ++i) {
    if (vertical) {
      obj->m_dY += step;
      obj->AfterMoveY();
    } else {
      obj->m_dX += step;
      obj->AfterMoveX();
    }
  }
}

// The candidates the block characters give one object in one call.
struct cPushes {
  double m_dLeft = -kInf, m_dRight = kInf, m_dCeil = -kInf, m_dLand = kInf;
  cChara *m_pLeft = nullptr, *m_pRight = nullptr, *m_pCeil = nullptr, *m_pLand = nullptr;
  double m_dCeilSpeed = 0;
  bool m_bTouched = false;

  void Left(cChara& c, double x) {
    if (x > m_dLeft) m_dLeft = x, m_pLeft = &c;
  }
  void Right(cChara& c, double x) {
    if (x < m_dRight) m_dRight = x, m_pRight = &c;
  }
  void Ceil(cChara& c, double y) {
    if (y > m_dCeil) m_dCeil = y, m_pCeil = &c, m_dCeilSpeed = c.m_dSpeedY;
  }
  void Land(cChara& c, double y) {
    if (y < m_dLand) m_dLand = y, m_pLand = &c;
  }
};

}  // namespace

cCharaBase* cScenePlay::FindRideChara(cCharaBase* obj) {
  for (cChara& c : BlockCandidates(g_lstChara)) {
    if (IsSolidFor(c, obj) &&
        BoxesOverlap(c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom, obj->m_dX, obj->m_dBottom, obj->m_dRight,
                     obj->m_dBottom + 5))
      return &c;
  }
  return nullptr;
}

int cScenePlay::IsStillRiding(cCharaBase* obj) {
  const cChara* c = FindCharaNo(g_lstChara, obj->m_nRideObjNo);
  return c && IsSolidFor(*c, obj) &&
         BoxesOverlap(c->m_dX, c->m_dY, c->m_dRight, c->m_dBottom, obj->m_dX, obj->m_dBottom, obj->m_dRight,
                      obj->m_dBottom + 5);
}

int cScenePlay::IsCrushedByBlockCharas(cCharaBase* obj, const double* startBox) {
  const double inset = ExactPushOutOn() ? 0 : 1;
  const double now[4] = {obj->m_dX, obj->m_dY, obj->m_dRight - inset, obj->m_dBottom - 1};
  const double start[4] = {startBox[0], startBox[1], startBox[2] - inset, startBox[3] - 1};
  for (int corner = 0; corner < 4; ++corner) {
    const int xi = corner & 1 ? 2 : 0, yi = corner & 2 ? 3 : 1;
    bool covered = false;
    for (const cChara& c : BlockCandidates(g_lstChara)) {
      if (!IsSolidFor(c, obj)) continue;
      for (const double* box : {now, start}) {
        const double x = box[xi], y = box[yi];
        if (c.m_dX <= x && x <= c.m_dRight && c.m_dY <= y && y <= c.m_dBottom) covered = true;
      }
      if (covered) break;
    }
    if (!covered) return 0;
  }
  return 1;
}

void cScenePlay::RealignToBlockCharas(cCharaBase* obj, int axis) {
  cPushes p;
  for (cChara& c : BlockCandidates(g_lstChara)) {
    if (!IsSolidFor(c, obj) || !BoxesOverlap(*obj, c)) continue;
    if (axis == 0) {
      if (CoversLeftLine(c, *obj)) {
        obj->SetContactLeft(c);
        p.Left(c, c.m_dRight + 1);
      }
      if (CoversRightLine(c, *obj)) {
        obj->SetContactRight(c);
        p.Right(c, c.m_dX - obj->m_nHitW);
      }
    } else if (CoversTopLine(c, *obj)) {
      obj->SetContactTop(c);
      p.Ceil(c, c.m_dBottom + 1);
    } else {
      obj->SetContactBottom(c);
      p.Land(c, c.m_dY - obj->m_nHitH);
    }
  }
  if (axis == 0) {
    for (cChara* c : {p.m_pLeft, p.m_pRight}) {
      if (!c) continue;
      if (obj->m_pRide != c) obj->m_bPushed = 1;
      obj->m_dX = c == p.m_pLeft ? p.m_dLeft : p.m_dRight;
      obj->AfterMoveX();
    }
  } else {
    if (p.m_pCeil) {
      obj->m_dY = p.m_dCeil;
      obj->AfterMoveY();
    }
    if (p.m_pLand) {
      obj->m_dY = p.m_dLand;
      obj->AfterMoveY();
    }
  }
}

int cScenePlay::CarryRider(cCharaBase* obj, cCheckedList<cChara>& list) {
  if (obj->m_bFlying || !obj->m_pRide) return 0;
  cChara* ridden = FindCharaNo(list, obj->m_nRideObjNo);
  if (!ridden) return 0;
  obj->m_dSpeedX += ridden->m_dX - obj->m_RideRect.m_dLeft;
  if (ridden->m_bFlying || !RideFollowAirborneOn() || ridden->m_bInAir)
    obj->m_dSpeedY = ridden->m_dY - obj->m_RideRect.m_dTop;
  RaiseRidden(*ridden, obj);
  return 0;
}

int cScenePlay::CollideBlockCharas(cCharaBase* obj, cCheckedList<cChara>& list) {
  const int mode = MoveModeOf(*obj);
  if (mode == MOVE_FLY_THROUGH) return 0;
  const double div = g_StageData.m_dStepsPerFrame;
  const double start[4] = {obj->m_dX, obj->m_dY, obj->m_dRight, obj->m_dBottom};
  cPushes p;

  if (mode != MOVE_WALK) {
    for (cChara& c : BlockCandidates(list)) {
      if (!IsSolidFor(c, obj) || !BoxesOverlap(*obj, c)) continue;
      p.m_bTouched = true;
      if (OverlapW(*obj, c) <= OverlapH(*obj, c)) {
        if (CoversLeftLine(c, *obj)) {
          obj->SetContactLeft(c);
          p.Left(c, c.m_dRight + 1);
        }
        if (CoversRightLine(c, *obj)) {
          obj->SetContactRight(c);
          p.Right(c, c.m_dX - obj->m_nHitW);
        }
      } else if (CoversTopLine(c, *obj)) {
        obj->SetContactTop(c);
        p.Ceil(c, c.m_dBottom + 1);
      } else {
        obj->SetContactBottom(c);
        p.Land(c, c.m_dY - obj->m_nHitH);
      }
    }
    if (p.m_bTouched) obj->RaiseTrigger(FLOW_TRIG_TOUCH_BLOCKCHARA);
    const bool any = p.m_pLeft || p.m_pRight || p.m_pCeil || p.m_pLand;
    if (mode == MOVE_FLY_DEADLY) return any ? 2 : 0;
    if (p.m_pLeft) {
      obj->m_dInertiaX = 0;
      if (p.m_pLeft->m_dSpeedX >= 0 || obj->m_dSpeedX < 0) {
        obj->m_dX = p.m_dLeft;
        obj->m_bPushed = 1;
        obj->AfterMoveX();
      } else {
        obj->m_bContactLeft = 0;
        RealignToBlockCharas(obj, 0);
      }
    }
    if (p.m_pRight) {
      obj->m_dInertiaX = 0;
      if (p.m_pRight->m_dSpeedX <= 0 || obj->m_dSpeedX > 0) {
        obj->m_dX = p.m_dRight;
        obj->m_bPushed = 1;
        obj->AfterMoveX();
      } else {
        obj->m_bContactRight = 0;
        RealignToBlockCharas(obj, 0);
      }
    }
    if (p.m_pCeil) {
      obj->m_dInertiaY = 0;
      if (p.m_pCeil->m_dSpeedY >= 0 || obj->m_dSpeedY < 0) {
        obj->m_dY = p.m_dCeil;
        obj->AfterMoveY();
      } else {
        obj->m_bContactTop = 0;
        RealignToBlockCharas(obj, 1);
      }
    }
    if (p.m_pLand) {
      obj->m_dInertiaY = 0;
      if (p.m_pLand->m_dSpeedY <= 0 || obj->m_dSpeedY > 0) {
        obj->m_dY = p.m_dLand;
        obj->AfterMoveY();
      } else {
        obj->m_bContactBottom = 0;
        RealignToBlockCharas(obj, 1);
      }
    }
    return 0;
  }

  // A walking object: where each block character meets it decides the push.
  auto side = [&](cChara& c) {
    const bool left = CoversLeftLine(c, *obj), right = CoversRightLine(c, *obj);
    auto pushLeft = [&] {
      obj->SetContactLeft(c);
      p.Left(c, c.m_dRight + 1.5);
    };
    auto pushRight = [&] {
      obj->SetContactRight(c);
      p.Right(c, c.m_dX - obj->m_nHitW - 0.5);
    };
    if (obj->m_dSpeedX < 0) {
      if (left) pushLeft();
      else if (right) pushRight();
    } else {
      if (right) pushRight();
      else if (left) pushLeft();
    }
  };
  auto land = [&](cChara& c) {
    if (c.m_dSpeedY < 0) obj->SetContactBottom(c);
    p.Land(c, c.m_dY - obj->m_nHitH);
  };
  for (cChara& c : BlockCandidates(list)) {
    if (!IsSolidFor(c, obj) || !BoxesOverlap(*obj, c)) continue;
    p.m_bTouched = true;
    const bool upper = BoxesOverlap(obj->m_dX, obj->m_dY, obj->m_dRight, obj->m_dY + obj->m_nHitH / 2, c.m_dX,
                                    c.m_dY, c.m_dRight, c.m_dBottom);
    if (upper) {
      const cRectD& op = obj->m_PrevPos;
      const cRectD& cp = c.m_PrevPos;
      const bool prevOverlap = RectsOverlap(op, cp);
      if (obj->m_dSpeedY > 2.0 / div && prevOverlap && op.m_dTop < cp.m_dTop &&
          (LooseBlockCharaTestOn() || op.m_dBottom < cp.m_dBottom)) {
        land(c);
      } else if ((OverlapW(*obj, c) > OverlapH(*obj, c) + 0.4 / div && obj->m_dBottom > c.m_dBottom &&
                  (LooseBlockCharaTestOn() || obj->m_dY > c.m_dY)) ||
                 (prevOverlap && op.m_dTop > cp.m_dTop && !RectsOverlap(op, BoxOf(c)))) {
        if (c.m_dSpeedY > 0) obj->SetContactTop(c);
        p.Ceil(c, c.m_dBottom + 1);
        if (obj->m_pRide && obj->m_dSpeedY < 0) obj->SetContactBottom(c);
      } else {
        side(c);
      }
    } else if (OverlapW(*obj, c) < OverlapH(*obj, c)) {
      side(c);
    } else {
      land(c);
    }
  }

  bool landed = false;
  // The head push: under a block character, taking its vertical speed.
  auto pushHead = [&](double y, double speed) {
    obj->m_bJumping = obj->m_bJumpEnded = 1;
    obj->m_dInertiaY = 0;
    if (!KeepImpactOnHeadOn() && obj->m_dImpactY < 0) obj->ClearImpactY();
    obj->m_dSpeedY = speed;
    obj->m_dY = y;
    obj->AfterMoveY();
    RecheckBlocksY(obj);
  };
  bool ceilApplied = false;
  if (p.m_pLand && !(p.m_pLeft && p.m_pRight)) {
    if (BoxInBlockAt(*obj, obj->m_dX, p.m_dLand)) {
      obj->m_pRide = nullptr;
      p.m_pLand = nullptr;
    } else {
      landed = true;
      obj->m_dInertiaY = 0;
      if (!obj->m_pRide) {
        obj->m_pRide = p.m_pLand;
        obj->m_nRideObjNo = p.m_pLand->m_nObjNo;
        RaiseRidden(*p.m_pLand, obj);
      }
      obj->m_RideRect = BoxOf(*p.m_pLand);
      obj->m_dY = p.m_dLand;
      obj->AfterMoveY();
      obj->m_dSpeedY = 0;
      obj->m_nNoFloorFrames = 0;
      obj->m_bInAir = obj->m_bJumping = obj->m_bJumpEnded = 0;
      if (!IsHeroObject(obj)) obj->m_bCeilingHit = 0;
      if (auto* hero = dynamic_cast<cHero*>(obj)) hero->m_bNoJump = 0;
    }
  } else if (p.m_pLand) {
    p.m_pLand = nullptr;  // squeezed from both sides: no landing
  }
  if (p.m_pCeil && !landed) {
    bool free = true;
    if (p.m_pCeil->m_dSpeedY < 0) {
      const double y = obj->m_dY, bottom = obj->m_dBottom;
      obj->m_dY = p.m_dCeil;
      obj->m_dBottom = p.m_dCeil + obj->m_nHitH - 1;
      free = !BoxInBlockAt(*obj, obj->m_dX, p.m_dCeil) && !OverlapsBlockChara(obj, list, p.m_pCeil->m_nObjNo);
      obj->m_dY = y;
      obj->m_dBottom = bottom;
    }
    if (free) {
      pushHead(p.m_dCeil, p.m_dCeilSpeed);
      ceilApplied = true;
    }
  }
  // Squeezed between two sides: the first block character over the upper part pushes it down.
  auto squeeze = [&] {
    const double l = obj->m_dX + 1, r = obj->m_dRight - 1, t = obj->m_dY, b = obj->m_dBottom - obj->m_nHitH / 3.0;
    for (cChara& c : BlockCandidates(list)) {
      if (!IsSolidFor(c, obj) || !BoxesOverlap(l, t, r, b, c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom)) continue;
      pushHead(c.m_dBottom + 1, c.m_dSpeedY);
      ceilApplied = true;
      p.m_pLeft = p.m_pRight = nullptr;
      obj->m_bContactLeft = obj->m_bContactRight = 0;
      return;
    }
  };
  if (p.m_pLeft && p.m_pRight && !landed) squeeze();
  bool leftApplied = false, rightApplied = false;
  for (cChara* c : {p.m_pLeft, p.m_pRight}) {
    if (!c) continue;
    obj->m_dInertiaX = 0;
    if (obj->m_pRide != c) obj->m_bPushed = 1;
    obj->m_dX = c == p.m_pLeft ? p.m_dLeft : p.m_dRight;
    obj->AfterMoveX();
    (c == p.m_pLeft ? leftApplied : rightApplied) = true;
  }
  if (leftApplied && rightApplied && !landed) {
    obj->m_dX = start[0];
    obj->AfterMoveX();
    squeeze();
  }
  if (p.m_bTouched) obj->RaiseTrigger(FLOW_TRIG_TOUCH_BLOCKCHARA);
  if (obj->m_pRide) {
    obj->RaiseTrigger(FLOW_TRIG_ON_BLOCKCHARA);
    if (auto* hero = dynamic_cast<cHero*>(obj)) hero->m_bNoJump = 0;
  }
  if ((obj->m_bContactLeft && obj->m_bContactRight) || (obj->m_bContactTop && obj->m_bContactBottom) ||
      IsCrushedByBlockCharas(obj, start))
    return 2;
  if (NudgeByContactOn()) {
    if (obj->m_bContactLeft) NudgeOut(obj, false, -0.1);
    if (obj->m_bContactRight) NudgeOut(obj, false, 0.1);
    if (obj->m_bContactTop) NudgeOut(obj, true, -0.1);
    if (obj->m_bContactBottom) NudgeOut(obj, true, 0.1);
  } else {
    if (leftApplied) NudgeOut(obj, false, -0.1);
    if (rightApplied) NudgeOut(obj, false, 0.1);
    if (ceilApplied) NudgeOut(obj, true, -0.1);
    if (landed) NudgeOut(obj, true, 0.1);
  }
  if (obj->m_pRide && !landed) {
    if (obj->m_dImpactY < 0) {
      obj->LeaveRide(1);
    } else if (IsStillRiding(obj)) {
      if (const cChara* ridden = FindCharaNo(list, obj->m_nRideObjNo)) RefreshRide(obj, *ridden);
    } else if (cCharaBase* next = FindRideChara(obj)) {
      obj->m_pRide = next;
      obj->m_nRideObjNo = next->m_nObjNo;
      RefreshRide(obj, static_cast<const cChara&>(*next));
    } else {
      obj->LeaveRide(1);
    }
  }
  return 0;
}
