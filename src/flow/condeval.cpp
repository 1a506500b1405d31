#include "flow/condeval.h"

#include "flow/flowinst.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "objects/charabase.h"
#include "objects/item.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"

int CompareByOp(int32_t a, int32_t b, int32_t op) {
  switch (op) {
    case CMP_EQ: return a == b;
    case CMP_NE: return a != b;
    case CMP_GE: return a >= b;
    case CMP_LE: return a <= b;
    case CMP_GT: return a > b;
    case CMP_LT: return a < b;
    case CMP_MULTIPLE: return b == 0 || static_cast<int64_t>(a) % b == 0;
    case CMP_NOT_MULTIPLE: return b != 0 && static_cast<int64_t>(a) % b != 0;
    default: return 0;
  }
}

namespace {

// The latched entry points: an empty list holds; a latching list that has held holds without being
// evaluated; every success latches.
template <class Latch>
int CheckLatched(cScenePlay& scene, const cCheckedVector<cCond>& conds, int logic, int keepLatch, Latch& latch,
                 cCharaBase* subject) {
  if (conds.empty()) return 1;
  if (keepLatch && latch) return 1;
  if (!scene.CheckCondList(conds, logic, subject)) return 0;
  latch = 1;
  return 1;
}

}  // namespace

int cScenePlay::CheckCondList(const cCheckedVector<cCond>& conds, int logic, cCharaBase* subject) {
  if (logic == 0) {
    for (const cCond& c : conds)
      if (!EvalCond(c, subject)) return 0;
    return 1;
  }
  if (logic == 1) {
    for (const cCond& c : conds)
      if (EvalCond(c, subject)) return 1;
    return 0;
  }
  return 0;
}

int cScenePlay::EvalCond(const cCond& cond, cCharaBase* subject) {
  switch (cond.m_nKind) {
    case COND_COMMON_VAR: return CompareByOp(g_SaveData.m_vCommonVar.At(cond.m_sIndex), cond.m_nValue, cond.m_nOp);
    case COND_STAGE_VAR: return CompareByOp(m_vStageVar.At(cond.m_sIndex), cond.m_nValue, cond.m_nOp);
    case COND_CHARA_VAR:
      return subject ? CompareByOp(subject->m_vCharaVar.At(cond.m_sIndex), cond.m_nValue, cond.m_nOp) : 0;
    case COND_STATUS2: return subject ? subject->TestStatusCond(cond) : 0;
    case COND_STATUS3: return subject ? subject->TestStateCond(cond) : 0;
    case COND_RANGE: return subject ? subject->TestRangeCond(cond) : 0;
    case COND_STATUS: return EvalStatusCond(cond, subject);
    default: return 0;
  }
}

int cScenePlay::CheckBlockCond(cMapCell& cell) {
  return CheckLatched(*this, cell.m_vCond, cell.m_cCondLogic, cell.m_bCondLatch, cell.m_bCondLatched, GetHero());
}

int cScenePlay::CheckCharaCond(cCharaBase* chara) {
  if (!chara) return 0;
  const cCharaData& d = chara->m_Chara;
  return CheckLatched(*this, d.m_vCond, d.m_cCondLogic, d.m_bCondLatch, chara->m_bAppearLatched, chara);
}

int cScenePlay::CheckItemCond(cItem* item) {
  if (!item) return 0;
  const cItemData& d = item->m_Item;
  return CheckLatched(*this, d.m_vCond, d.m_cCondLogic, d.m_bCondLatch, item->m_bAppearLatched, GetHero());
}

int cScenePlay::CheckFlowCond(cFlowInstance* flow, cCharaBase* subject) {
  if (!flow || !flow->m_pFlow) return 0;
  const cFlow& f = *flow->m_pFlow;
  return CheckLatched(*this, f.m_vCond, f.m_nCondLogic, f.m_bCondLatch, flow->m_bCondLatch, subject);
}
