// The status operation command: a status, system value or variable changed by an operator with an
// operand from a value source.
#include "flow/executors.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "objects/charabase.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

enum eStatusParam {
  P_LEFT_KIND = 0,
  P_LEFT_SCOPE = 1,
  P_LEFT_INDEX = 2,
  P_LEFT_WHO = 3,
  P_LEFT_SELECTOR = 4,
  P_OP = 5,
  P_SOURCE = 6,
  P_CONST = 7,
  P_RAND_A = 8,
  P_RAND_B = 9,
  P_SRC_SCOPE = 10,
  P_SRC_INDEX = 11,
  P_SRC_WHO = 12,
  P_SRC_SELECTOR = 13,
  P_PERCENT = 14,
  P_HPSP_MODE = 15,
  P_GAUGE = 16,
  P_SPARE_INVINCIBLE = 17,
  P_SET_COORD = 18,
  P_SRC_COORD = 19,
  P_SET_REF = 20,
  P_SRC_REF = 21,
};

void ChangeVariable(const cFlowCmd& cmd, int32_t x, int percent) {
  int32_t* v = nullptr;
  const int scope = cmd.m_vParam.At(P_LEFT_SCOPE);
  if (scope == 0)
    v = &g_SaveData.m_vCommonVar.At(cmd.m_vParam.At(P_LEFT_INDEX));
  else if (scope == 1 && g_pScenePlay)
    v = &g_pScenePlay->m_vStageVar.At(cmd.m_vParam.At(P_LEFT_INDEX));
  if (!v) return;
  if (percent) x = PercentOf(*v, x);
  ApplyCalcOp(v, x, cmd.m_vParam.At(P_OP), -999999, 999999);
}

void ChangeSystemValue(const cFlowCmd& cmd, int32_t x, int percent) {
  const int selector = cmd.m_vParam.At(P_LEFT_SELECTOR);
  const cStatusRef ref = SysValueRef(selector);
  if (!ref.m_p) return;
  int32_t v = ref.Get();
  if (selector == SYSVAL_LIFE && v == kLivesUnlimited) return;
  if (percent) x = PercentOf(v, x);
  ApplyCalcOp(&v, x, cmd.m_vParam.At(P_OP), ref.m_nMin, ref.m_nMax);
  ref.Set(v);
  if (!g_pScenePlay) return;
  if (selector == SYSVAL_SCROLL_X) g_pScenePlay->m_ScrollX.SetAutoScroll(g_StageData.m_bAutoScrollX, v);
  if (selector == SYSVAL_SCROLL_Y) g_pScenePlay->m_ScrollY.SetAutoScroll(g_StageData.m_bAutoScrollY, v);
}

// HP and SP change on a copy; the difference goes through the object's own HP or SP change.
void ChangeHPSP(cCharaBase& obj, const cFlowCmd& cmd, int selector, int32_t x) {
  const int32_t cur = selector == STATUS_HP ? obj.m_nHP : obj.m_nSP;
  const int32_t max = selector == STATUS_HP ? obj.m_Chara.m_nMaxHP : obj.m_Chara.m_nMaxSP;
  const int op = cmd.m_vParam.At(P_OP);
  int32_t h = cur;
  switch (cmd.m_vParam.At(P_HPSP_MODE)) {
    case 0: ApplyCalcOp(&h, x, op, 0, 999999); break;
    case 1: ApplyCalcOp(&h, PercentOf(max, x), op, 0, 999999); break;
    case 2: ApplyCalcOp(&h, PercentOf(cur, x), op, 0, 999999); break;
    default: break;
  }
  const int32_t diff = static_cast<int32_t>(static_cast<int64_t>(h) - cur);
  if (selector == STATUS_HP)
    obj.AddHP(diff, 1, cmd.m_vParam.At(P_GAUGE));
  else
    obj.AddSP(diff, cmd.m_vParam.At(P_GAUGE));
}

void ChangeObjStatus(cCharaBase& obj, const cFlowCmd& cmd, int32_t x, int percent) {
  const int selector = cmd.m_vParam.At(P_LEFT_SELECTOR);
  const int op = cmd.m_vParam.At(P_OP);
  if (selector == STATUS_HP || selector == STATUS_SP) return ChangeHPSP(obj, cmd, selector, x);
  if (selector == STATUS_X || selector == STATUS_Y) {
    // The current value is the screen centre, whatever the coordinate mode of the write.
    int32_t v = selector == STATUS_X ? ScreenCentreX(obj) : ScreenCentreY(obj);
    if (percent) x = PercentOf(v, x);
    ApplyCalcOp(&v, x, op, -16384, 16384);
    if (selector == STATUS_X)
      SetObjPosX(v, &obj, cmd.m_vParam.At(P_SET_COORD));
    else
      SetObjPosY(v, &obj, cmd.m_vParam.At(P_SET_COORD), cmd.m_vParam.At(P_SET_REF));
    return;
  }
  if (selector == STATUS_SIGHT && obj.m_nInitCleared) return;
  if (selector < 0 || selector >= kObjStatusCount) return;
  const cStatusRef ref = ObjStatusRef(obj, selector, cmd.m_vParam.At(P_LEFT_INDEX));
  switch (ref.m_nWidth) {
    case 8: {
      int8_t v = static_cast<int8_t>(ref.Get());
      int8_t x8 = static_cast<int8_t>(x);
      if (percent) x8 = PercentOf8(v, x8);
      ApplyCalcOp8(&v, x8, op, static_cast<int8_t>(ref.m_nMin), static_cast<int8_t>(ref.m_nMax));
      ref.Set(v);
      break;
    }
    case 16: {
      int16_t v = static_cast<int16_t>(ref.Get());
      int16_t x16 = static_cast<int16_t>(x);
      if (percent) x16 = PercentOf16(v, x16);
      ApplyCalcOp16(&v, x16, op, static_cast<int16_t>(ref.m_nMin), static_cast<int16_t>(ref.m_nMax));
      ref.Set(v);
      break;
    }
    default: {
      int32_t v = ref.Get();
      if (percent) x = PercentOf(v, x);
      ApplyCalcOp(&v, x, op, ref.m_nMin, ref.m_nMax);
      ref.Set(v);
      break;
    }
  }
  if (selector == STATUS_MAX_HP && obj.m_nHP > obj.m_Chara.m_nMaxHP) obj.m_nHP = obj.m_Chara.m_nMaxHP;
  if (selector == STATUS_MAX_SP && obj.m_nSP > obj.m_Chara.m_nMaxSP) obj.m_nSP = obj.m_Chara.m_nMaxSP;
  if (selector == STATUS_SIGHT) AfterSightChange(obj);
  if (selector == STATUS_FRICTION) AfterFrictionChange(obj);
}

}  // namespace

int ExecStatus(cCharaBase* subject, const cFlowCmd& cmd) {
  const cValueSource src{cmd.m_vParam.At(P_SOURCE),      cmd.m_vParam.At(P_CONST),     cmd.m_vParam.At(P_RAND_A),
                         cmd.m_vParam.At(P_RAND_B),      cmd.m_vParam.At(P_SRC_SCOPE), cmd.m_vParam.At(P_SRC_INDEX),
                         cmd.m_vParam.At(P_SRC_WHO),     cmd.m_vParam.At(P_SRC_SELECTOR),
                         cmd.m_vParam.At(P_SRC_COORD),   cmd.m_vParam.At(P_SRC_REF)};
  int32_t x = 0;
  if (!ReadValueSource(src, subject, &x)) return 0;
  const int percent = static_cast<int8_t>(cmd.m_vParam.At(P_PERCENT)) != 0;

  if (cmd.m_vParam.At(P_LEFT_KIND) == 1) {
    ChangeVariable(cmd, x, percent);
    return 0;
  }
  if (cmd.m_vParam.At(P_LEFT_KIND) != 0) return 0;
  const int who = cmd.m_vParam.At(P_LEFT_WHO);
  if (who == kStatusSubjectSystem) {
    ChangeSystemValue(cmd, x, percent);
    return 0;
  }
  cCharaBase* obj = StatusSubject(subject, who);
  if (!obj) return 0;
  if (cmd.m_vParam.At(P_SPARE_INVINCIBLE) && obj->m_Chara.m_cInvincible) return 0;
  ChangeObjStatus(*obj, cmd, x, percent);
  const int selector = cmd.m_vParam.At(P_LEFT_SELECTOR);
  // Another object brought down by the operation is dealt with by the play step.
  if ((selector == STATUS_HP || selector == STATUS_MAX_HP) && obj != subject && obj->m_nHP <= 0 && g_pScenePlay)
    g_pScenePlay->m_bDeathPending = 1;
  return 0;
}
