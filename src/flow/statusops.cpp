#include "flow/statusops.h"

#include <climits>
#include <cmath>

#include "core/random.h"
#include "flow/condeval.h"
#include "flow/executors.h"
#include "gamedata/savedata.h"
#include "gamedata/systemswitches.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"
#include "stagedata/cond.h"
#include "stagedata/edmove.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

int64_t Clamp64(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// v x percent / 100 rounded half away from zero, exactly, in 64 bits.
int64_t Percent64(int64_t v, int64_t percent) {
  const int64_t p = v * percent;
  const int64_t q = p / 100;
  const int64_t r = p % 100;
  if (r >= 50) return q + 1;
  if (r <= -50) return q - 1;
  return q;
}

// The operator on 64-bit operands; nothing for division by 0 or an unknown operator.
int64_t Calc64(int64_t v, int64_t x, int32_t op) {
  switch (op) {
    case CALC_SET: return x;
    case CALC_ADD: return v + x;
    case CALC_SUB: return v - x;
    case CALC_MUL: return v * x;
    case CALC_DIV: return x != 0 ? v / x : v;
    case CALC_MOD: return x != 0 ? v % x : v;
    case CALC_PERCENT: return Percent64(v, x);
    default: return v;
  }
}

// The narrow operations work on the 32-bit result of the operator, which is then stored in the
// status's width before the clamp: a product beyond the width wraps.
template <class T>
void ApplyNarrow(T* v, T x, int32_t op, T lo, T hi) {
  T r = static_cast<T>(Calc64(*v, x, op));
  if (r < lo) r = lo;
  if (r > hi) r = hi;
  *v = r;
}

const cScrollAxis& AxisOrDefault(int vertical) {
  static const cScrollAxis none{.m_nMarginCells = cScrollAxis::kMarginCells};
  if (!g_pScenePlay) return none;
  return vertical ? g_pScenePlay->m_ScrollY : g_pScenePlay->m_ScrollX;
}

// The stage offset of an axis: the view position, truncated, less the margin.
int32_t StageOffset(int vertical) {
  const cScrollAxis& a = AxisOrDefault(vertical);
  return static_cast<int32_t>(std::trunc(a.m_dPos)) - a.m_nMarginCells * cScrollAxis::kCellSize;
}

}  // namespace

void ApplyCalcOp(int32_t* v, int32_t x, int32_t op, int32_t lo, int32_t hi) {
  *v = static_cast<int32_t>(Clamp64(Calc64(*v, x, op), lo, hi));
}

void ApplyCalcOp8(int8_t* v, int8_t x, int32_t op, int8_t lo, int8_t hi) { ApplyNarrow(v, x, op, lo, hi); }
void ApplyCalcOp16(int16_t* v, int16_t x, int32_t op, int16_t lo, int16_t hi) { ApplyNarrow(v, x, op, lo, hi); }

int CompareByOp8(int8_t a, int8_t b, int32_t op) { return CompareByOp(a, b, op); }
int CompareByOp16(int16_t a, int16_t b, int32_t op) { return CompareByOp(a, b, op); }

int32_t PercentOf(int32_t base, int32_t percent) {
  return static_cast<int32_t>(Clamp64(Percent64(base, percent), INT_MIN, INT_MAX));
}
int8_t PercentOf8(int8_t base, int32_t percent) { return static_cast<int8_t>(Percent64(base, percent)); }
int16_t PercentOf16(int16_t base, int32_t percent) { return static_cast<int16_t>(Percent64(base, percent)); }

int32_t cStatusRef::Get() const {
  if (!m_p) return 0;
  switch (m_nWidth) {
    case 8: return *static_cast<int8_t*>(m_p);
    case 16: return *static_cast<int16_t*>(m_p);
    default: return *static_cast<int32_t*>(m_p);
  }
}

void cStatusRef::Set(int32_t v) const {
  if (!m_p) return;
  switch (m_nWidth) {
    case 8: *static_cast<int8_t*>(m_p) = static_cast<int8_t>(v); break;
    case 16: *static_cast<int16_t*>(m_p) = static_cast<int16_t>(v); break;
    default: *static_cast<int32_t*>(m_p) = v; break;
  }
}

cStatusRef ObjStatusRef(cCharaBase& obj, int selector, int index) {
  cCharaData& d = obj.m_Chara;
  switch (selector) {
    case STATUS_CHARA_VAR: return {&obj.m_vCharaVar.At(index), 32, -999999, 999999};
    case STATUS_HP: return {&obj.m_nHP, 32, 0, 999999};
    case STATUS_SP: return {&obj.m_nSP, 32, 0, 999999};
    case STATUS_MAX_HP: return {&d.m_nMaxHP, 32, 0, 999999};
    case STATUS_MAX_SP: return {&d.m_nMaxSP, 32, 0, 999999};
    case STATUS_CHARA_ID: return {&d.m_cCharaId, 8, 0, 99};
    case STATUS_X:
    case STATUS_Y: return {nullptr, 32, -16384, 16384};
    case STATUS_Z: return {&d.m_cLayer, 8, 0, 7};
    case STATUS_MARK: return {&d.m_sMark, 16, 0, 119};
    case STATUS_SIGHT: return {&d.m_cSight, 8, 0, 40};
    case STATUS_POWER: return {&d.m_nPower, 32, -999999, 999999};
    case STATUS_IMPACT: return {&d.m_cImpact, 8, -20, 20};
    case STATUS_DEFENCE: return {&d.m_nDefence, 32, 0, 999999};
    case STATUS_IMPACT_RESIST: return {&d.m_cImpactResist, 8, 0, 20};
    case STATUS_FRICTION: return {&d.m_sFriction, 16, 0, 200};
    case STATUS_SCORE: return {&d.m_nScore, 32, -999999, 999999};
    default: return {};
  }
}

cStatusRef SysValueRef(int selector) {
  cScenePlay* scene = g_pScenePlay;
  switch (selector) {
    case SYSVAL_TIME: return {scene ? &scene->m_nStageTime : nullptr, 32, 0, 999};
    case SYSVAL_SCROLL_X: return {&g_StageData.m_nAutoScrollSpeedX, 32, -480, 480};
    case SYSVAL_SCROLL_Y: return {&g_StageData.m_nAutoScrollSpeedY, 32, -480, 480};
    case SYSVAL_SCORE: return {&g_SaveData.m_nScore, 32, 0, 999999};
    case SYSVAL_LIFE: return {&g_SaveData.m_nLife, 32, 0, 99};
    default: return {};
  }
}

cCharaBase* StatusSubject(cCharaBase* subject, int who) {
  if (!subject) return nullptr;
  if (who == 0) return subject;
  if (who >= 1 && who <= 4) return subject->m_pTarget.At(who - 1);
  return nullptr;
}

int32_t ScreenCentreX(const cCharaBase& obj) { return obj.m_PicRect.CentreX(); }
int32_t ScreenCentreY(const cCharaBase& obj) { return obj.m_PicRect.CentreY(); }

void AfterSightChange(cCharaBase& obj) {
  obj.m_nSight = HblToDot(obj.m_Chara.m_cSight);
  if (g_pScenePlay) g_pScenePlay->RebuildSightSurfaces();
}

void AfterFrictionChange(cCharaBase& obj) { obj.m_dFriction = SpeedParamToDots(obj.m_Chara.m_sFriction); }

int ReadValueSource(const cValueSource& src, cCharaBase* subject, int32_t* out) {
  switch (src.m_nSource) {
    case 0: *out = src.m_nConst; return 1;
    case 1: *out = RandRange(src.m_nRandA, src.m_nRandB); return 1;
    case 3:
      if (src.m_nScope == 0)
        *out = g_SaveData.m_vCommonVar.At(src.m_nIndex);
      else if (src.m_nScope == 1 && g_pScenePlay)
        *out = g_pScenePlay->m_vStageVar.At(src.m_nIndex);
      else
        *out = 0;
      return 1;
    case 2: break;
    default: *out = 0; return 1;
  }
  if (src.m_nWho == kStatusSubjectSystem) {
    const cStatusRef ref = SysValueRef(src.m_nSelector);
    int32_t v = ref.Get();
    if (src.m_nSelector == SYSVAL_TIME && !g_StageData.m_bTimeLimit) v = 0;
    if (src.m_nSelector == SYSVAL_LIFE && v == kLivesUnlimited) v = UnlimitedLivesZeroOn() ? 0 : 100;
    *out = v;
    return 1;
  }
  cCharaBase* obj = StatusSubject(subject, src.m_nWho);
  if (!obj) return 0;
  switch (src.m_nSelector) {
    case STATUS_X: return GetObjPosX(out, obj, src.m_nCoord, subject);
    case STATUS_Y: return GetObjPosY(out, obj, src.m_nCoord, src.m_nRefPoint, subject);
    case STATUS_SIGHT:
      if (obj->m_nInitCleared) return 0;
      break;
    case STATUS_FRICTION: AfterFrictionChange(*obj); break;
    default: break;
  }
  *out = src.m_nSelector >= 0 && src.m_nSelector < kObjStatusCount
             ? ObjStatusRef(*obj, src.m_nSelector, src.m_nIndex).Get()
             : 0;
  return 1;
}

int GetObjPosX(int32_t* out, cCharaBase* obj, int mode, cCharaBase* subject) {
  if (!obj) return 0;
  switch (mode) {
    case 0:
      if (!subject) return 0;
      *out = ScreenCentreX(*obj) - ScreenCentreX(*subject);
      return 1;
    case 1: *out = StageOffset(0) + ScreenCentreX(*obj); return 1;
    case 2: *out = ScreenCentreX(*obj); return 1;
    default: return 1;
  }
}

int GetObjPosY(int32_t* out, cCharaBase* obj, int mode, int refPoint, cCharaBase* subject) {
  if (!obj) return 0;
  const int32_t y = UseFootPoint(refPoint, obj->m_bFlying) ? obj->m_PicRect.m_nBottom - 15 : ScreenCentreY(*obj);
  switch (mode) {
    case 0:
      if (!subject) return 0;
      *out = ScreenCentreY(*obj) - ScreenCentreY(*subject);
      return 1;
    case 1: *out = StageOffset(1) + y; return 1;
    case 2: *out = y; return 1;
    default: return 1;
  }
}

namespace {

// A warp of kind 5 in dots along one axis, as a command record of this program's data version.
void WarpToCoord(cCharaBase* obj, int32_t value, int mode, int vertical, int refPoint) {
  if (!obj || mode < 0 || mode > 2) return;
  // Older data aimed at the centre: the stage and screen modes come out 16 higher.
  if (CentredCoordWritesOn() && mode != 0) value -= 16;
  cFlowCmd cmd;
  cmd.m_nKind = CMD_WARP;
  CreateEdMove(cmd.m_pEdMove);
  cEdMove& m = *cmd.m_pEdMove;
  m.m_nPosMode = 5;
  m.m_nUnit = 1;
  m.m_bMirrorX = 0;
  m.m_bMirrorY = 0;
  m.m_bAxisX = vertical ? 0 : 1;
  m.m_bAxisY = vertical ? 1 : 0;
  m.m_nCoordMode = static_cast<int8_t>(mode);
  m.m_sTargetDotX = 0;
  m.m_sTargetDotY = 0;
  if (vertical) {
    m.m_sTargetY = static_cast<int16_t>(value);
    m.m_nRefPoint = static_cast<int8_t>(CentredCoordWritesOn() ? 0 : refPoint);
  } else {
    m.m_sTargetX = static_cast<int16_t>(value);
  }
  ExecWarp(obj, cmd, 1);
}

}  // namespace

void SetObjPosX(int32_t value, cCharaBase* obj, int mode) { WarpToCoord(obj, value, mode, 0, 0); }

void SetObjPosY(int32_t value, cCharaBase* obj, int mode, int refPoint) {
  WarpToCoord(obj, value, mode, 1, refPoint);
}

bool UseFootPoint(int point, int noGravity) { return point == 1 || (point == 2 && !noGravity); }

int EvalStatusCond(const cCond& cond, cCharaBase* subject) {
  const cValueSource src{cond.m_nRightSource, cond.m_nValue,       cond.m_nRandMin,   cond.m_nRandMax,
                         cond.m_nRightScope,  cond.m_sRightIndex,  cond.m_nRightOwner, cond.m_nRightItem,
                         cond.m_nRightCoord,  cond.m_nRightRefPoint};
  int32_t r = 0;
  if (!ReadValueSource(src, subject, &r)) return 0;

  if (cond.m_nLeftSource == 1) {
    int32_t left = 0;
    if (cond.m_nLeftScope == 0)
      left = g_SaveData.m_vCommonVar.At(cond.m_sIndex);
    else if (cond.m_nLeftScope == 1 && g_pScenePlay)
      left = g_pScenePlay->m_vStageVar.At(cond.m_sIndex);
    else
      return 0;
    if (cond.m_bPercent) r = 0;
    return CompareByOp(left, r, cond.m_nOp);
  }
  if (cond.m_nLeftSource != 0) return 0;

  if (cond.m_nOwner == kStatusSubjectSystem) {
    int32_t left = SysValueRef(cond.m_nItem).Get();
    if (cond.m_nItem == SYSVAL_LIFE && left == kLivesUnlimited) {
      if (UnlimitedLivesZeroOn()) return 0;
      left = 100;
    }
    if (cond.m_bPercent) r = 0;
    return CompareByOp(left, r, cond.m_nOp);
  }

  cCharaBase* obj = StatusSubject(subject, cond.m_nOwner);
  if (!obj || cond.m_nItem < 0 || cond.m_nItem >= kObjStatusCount) return 0;
  const cStatusRef ref = ObjStatusRef(*obj, cond.m_nItem, cond.m_sIndex);
  if (cond.m_bPercent) {
    const int32_t base = cond.m_nItem == STATUS_HP   ? obj->m_Chara.m_nMaxHP
                         : cond.m_nItem == STATUS_SP ? obj->m_Chara.m_nMaxSP
                                                     : 0;
    r = static_cast<int32_t>(Clamp64(PercentOf(base, r), ref.m_nMin, ref.m_nMax));
  }
  int32_t left = 0;
  switch (cond.m_nItem) {
    case STATUS_X:
      if (!GetObjPosX(&left, obj, cond.m_nLeftCoord, subject)) return 0;
      return CompareByOp(left, r, cond.m_nOp);
    case STATUS_Y:
      if (!GetObjPosY(&left, obj, cond.m_nLeftCoord, cond.m_nLeftRefPoint, subject)) return 0;
      return CompareByOp(left, r, cond.m_nOp);
    default: break;
  }
  switch (ref.m_nWidth) {
    case 8: return CompareByOp8(static_cast<int8_t>(ref.Get()), static_cast<int8_t>(r), cond.m_nOp);
    case 16: return CompareByOp16(static_cast<int16_t>(ref.Get()), static_cast<int16_t>(r), cond.m_nOp);
    default: return CompareByOp(ref.Get(), r, cond.m_nOp);
  }
}
