// The conditions that look at objects: status flags of a definition, states of an object, and the
// range (distance) condition with its bands.
#include "objects/objcond.h"

#include "flow/condeval.h"
#include "gamedata/replay.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kSubjectSystem = 5;

// The object a condition's subject 1-4 names: a target slot, or null.
cCharaBase* TargetOf(cCharaBase& self, int subject) {
  if (subject < 1 || subject > 4) return nullptr;
  return self.m_pTarget.At(subject - 1);
}

}  // namespace

void CalcRangeBand(int edge, int size, int before, int after, int bothSides, int& low, int& high) {
  const int h = size / 2;
  const int centre = edge + h;
  low = before != 0 ? edge - before : centre;
  high = after != 0 ? edge + 2 * h + after : centre;
  if (bothSides && before == 0 && after == 0) {
    low = edge;
    high = edge + 2 * h;
  }
}

int GetRangeBand(const cGameObj& obj, int area, int distance, int& low, int& high) {
  const cPicRect& p = obj.m_PicRect;
  const bool right = obj.m_nFacing == 1;
  switch (area) {
    case 0: CalcRangeBand(p.m_nLeft, p.m_nW, distance, distance, 1, low, high); return 1;
    case 1: CalcRangeBand(p.m_nLeft, p.m_nW, right ? 0 : distance, right ? distance : 0, 0, low, high); return 1;
    case 2: CalcRangeBand(p.m_nLeft, p.m_nW, right ? distance : 0, right ? 0 : distance, 0, low, high); return 1;
    case 3: CalcRangeBand(p.m_nTop, p.m_nH, distance, distance, 1, low, high); return 1;
    case 4: CalcRangeBand(p.m_nTop, p.m_nH, right ? 0 : distance, right ? distance : 0, 0, low, high); return 1;
    case 5: CalcRangeBand(p.m_nTop, p.m_nH, right ? distance : 0, right ? 0 : distance, 0, low, high); return 1;
    default: return 0;
  }
}

int cGameObj::IsInRangeBand(int vertical, int low, int high) const {
  const cPicRect& p = m_PicRect;
  int upper, lower;
  if (!vertical) {
    upper = p.m_nLeft + p.m_nOfsX;
    lower = p.m_nRight - p.m_nOfsX;
  } else {
    upper = p.m_nTop + p.m_nOfsY;
    lower = p.m_nBottom - p.m_nOfsY;
    if (m_nHitH + p.m_nOfsY + 1 >= p.m_nH && !g_SystemData.m_bRangeTrimBottom) lower = p.m_nBottom;
  }
  return lower >= low && upper <= high;
}

int RangeDistance(const cCond& c) { return c.m_sRightIndex + c.m_nValue * 16; }

int cCharaBase::TestStatusCond(const cCond& c) {
  int value = 0;
  if (c.m_nOwner == kSubjectSystem) {
    if (c.m_nItem == 0)
      value = g_StageData.m_bAutoScrollX;
    else if (c.m_nItem == 1)
      value = g_StageData.m_bAutoScrollY;
    else
      return 0;
    return CompareByOp(value, c.m_sIndex, c.m_nOp);
  }
  cCharaBase* obj = c.m_nOwner == 0 ? this : TargetOf(*this, c.m_nOwner);
  if (!obj) return 0;
  const cCharaData& d = obj->m_Chara;
  switch (c.m_nItem) {
    case 1: value = d.m_bHiddenStatus; break;
    case 2: value = d.m_bFacingLock; break;
    case 3: value = d.m_cMoveMode; break;
    case 4: value = d.m_cInvincible; break;
    case 5: value = d.m_cScale; break;
    case 6: value = d.m_bScrollSync; break;
    default: return 0;
  }
  return CompareByOp(value, c.m_sIndex, c.m_nOp);
}

int cCharaBase::TestStateCond(const cCond& c) {
  const int selector = c.m_nItem;
  cCharaBase* obj = nullptr;
  if (c.m_nOwner == 0 || c.m_nOwner == kSubjectSystem) {
    obj = this;
  } else if (c.m_nOwner >= 1 && c.m_nOwner <= 4) {
    obj = TargetOf(*this, c.m_nOwner);
    if (!obj) return selector == 4 ? c.m_nOp == 1 : 0;
  } else {
    return 0;
  }
  int result = 0;
  switch (selector) {
    case 0: result = obj->m_nFacing == 0; break;
    case 1: result = obj->m_nFacing == 1; break;
    case 2: result = !obj->m_bFlying && (obj->m_pRide || (!obj->m_bInAir && !obj->m_bJumping)); break;
    case 3: result = obj->m_nOperation == 1 ? obj->m_bOnScreen != 0 : obj->IsOnScreen() != 0; break;
    case 4: result = obj == this || !obj->m_bDead; break;
    default: return 0;
  }
  return c.m_nOp == 1 ? !result : result;
}

int cCharaBase::TestRangeCond(const cCond& c) {
  cCharaBase* subject = c.m_nOwner == 0 ? GetHero() : TargetOf(*this, c.m_nOwner);
  if (!subject) return 0;
  UpdateScreenPos();
  const uint32_t replay = PlaybackVersion();
  if (!g_SystemData.m_bRangeNoRefresh && !(replay != 0 && replay <= 781)) subject->UpdateScreenPos();
  const int distance = RangeDistance(c);
  int result = 0;
  if (c.m_nArea >= 0 && c.m_nArea <= 5) {
    int low = 0, high = 0;
    GetRangeBand(*this, c.m_nArea, distance, low, high);
    result = subject->IsInRangeBand(c.m_nArea >= 3, low, high);
  } else if (c.m_nArea == 6) {
    const double dx = (m_dX + m_nHitW / 2.0) - (subject->m_dX + subject->m_nHitW / 2.0);
    const double dy = (m_dY + m_nHitH / 2.0) - (subject->m_dY + subject->m_nHitH / 2.0);
    result = dx * dx + dy * dy <= static_cast<double>(distance) * distance;
  } else {
    return 0;
  }
  return c.m_nOp == 1 ? !result : result;
}
