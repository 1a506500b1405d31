// The target setting command: fills one of the subject's four target slots with the hero, itself,
// a character found by a search, its parent or child, or the object of another slot.
#include <cstdint>

#include "flow/executors.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

constexpr int kSideCount = 8;

enum eTargetChoice {
  CHOOSE_HERO = 0,
  CHOOSE_SELF = 1,
  CHOOSE_NEAREST = 2,
  CHOOSE_BY_FILTER = 3,
  CHOOSE_PARENT = 4,
  CHOOSE_CHILD = 5,
  CHOOSE_CHILD_BY_FILTER = 6,
  CHOOSE_TARGET1 = 7,
  CHOOSE_TARGET4 = 10,
};

// Parameters 9, 10 (8-bit), 11, 12 (16-bit), 13, 14, 5, 6, 7, 8 in the searches' filter order, the
// subject's number last.
cCharaFilter FilterOf(const cFlowCmd& cmd, const cCharaBase& s) {
  const auto p = [&](int i) { return cmd.m_vParam.At(i); };
  cCharaFilter f;
  f.m_bGroupOn = static_cast<int8_t>(p(9));
  f.m_nGroup = static_cast<int8_t>(p(10));
  f.m_bVarOn = static_cast<int16_t>(p(11));
  f.m_nVarIndex = static_cast<int16_t>(p(12));
  f.m_nValue = p(13);
  f.m_nCompareOp = p(14);
  f.m_bExcludeObjNoOn = p(5);
  f.m_bExcludeInvincible1 = p(6);
  f.m_bExcludeInvincible2 = p(7);
  f.m_bExcludeUntouchable = p(8);
  f.m_nObjNo = s.m_nObjNo;
  return f;
}

cCharaBase* Nearest(const cFlowCmd& cmd, const cCharaBase& s, cScenePlay& scene) {
  const int x = s.m_PicRect.CentreX(), y = s.m_PicRect.CentreY();
  const int mode = cmd.m_vParam.At(4);
  const cCharaFilter filter = FilterOf(cmd, s);
  if (!cmd.m_vParam.At(3)) return FindNearestChara(x, y, scene.m_vSideChara.At(cmd.m_vParam.At(2)), mode, filter);
  // Each side's winner, then the nearest of the winners.
  cCharaPtrList winners;
  for (int g = 0; g < kSideCount && g < scene.m_vSideChara.Size(); ++g) {
    const cCharaPtrList& list = scene.m_vSideChara[g];
    if (list.empty()) continue;
    if (cCharaBase* w = FindNearestChara(x, y, list, mode, filter)) winners.push_back(w);
  }
  return winners.empty() ? nullptr : FindNearestChara(x, y, winners, mode, filter);
}

cCharaBase* ByFilter(const cFlowCmd& cmd, const cCharaBase& s, cScenePlay& scene) {
  const cCharaFilter filter = FilterOf(cmd, s);
  if (!cmd.m_vParam.At(3)) return FindCharaByCondition(scene.m_vSideChara.At(cmd.m_vParam.At(2)), filter);
  for (int g = 0; g < kSideCount && g < scene.m_vSideChara.Size(); ++g)
    if (cCharaBase* c = FindCharaByCondition(scene.m_vSideChara[g], filter)) return c;
  return nullptr;
}

cCharaBase* NewestChild(const cCharaBase& s) {
  for (auto it = s.m_vBackLink.rbegin(); it != s.m_vBackLink.rend(); ++it)
    if (it->m_nSlot == kLinkSlotOwner) return it->m_pObj;
  return nullptr;
}

}  // namespace

int ExecSetTarget(cCharaBase* subject, const cFlowCmd& cmd) {
  cScenePlay* scene = g_pScenePlay;
  if (!subject || !scene) return 0;
  cCharaBase& s = *subject;
  const int slot = cmd.m_vParam.At(0);
  const int choice = cmd.m_vParam.At(1);
  const int whenNone = cmd.m_vParam.At(15);
  if (slot < 0 || slot > 3) {
    TargetInSlot(s, slot);  // reported
    return 0;
  }
  if (whenNone != 0 && whenNone != 1) return 0;
  cCharaBase* o = nullptr;
  switch (choice) {
    case CHOOSE_HERO: o = GetHero(); break;
    case CHOOSE_SELF: o = &s; break;
    case CHOOSE_NEAREST: o = Nearest(cmd, s, *scene); break;
    case CHOOSE_BY_FILTER: o = ByFilter(cmd, s, *scene); break;
    case CHOOSE_PARENT: o = s.m_pOwner; break;
    case CHOOSE_CHILD: o = NewestChild(s); break;
    case CHOOSE_CHILD_BY_FILTER:
      o = FindLinkedChara(s.m_vBackLink, kLinkSlotOwner, cmd.m_vParam.At(2), cmd.m_vParam.At(3), FilterOf(cmd, s));
      break;
    default:
      if (choice >= CHOOSE_TARGET1 && choice <= CHOOSE_TARGET4) o = TargetInSlot(s, choice - CHOOSE_TARGET1);
      break;
  }
  SetCharaTarget(&s, slot, o, whenNone == 0 ? 1 : 0);
  return 0;
}
