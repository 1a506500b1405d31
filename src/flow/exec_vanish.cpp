// The vanish command: the characters or shots of a side, or the subject's descendants and their
// shots, are removed. Characters go by the kill rule; shots are taken out of the lists, or only
// marked while the play scene resolves hits.
#include <algorithm>
#include <vector>

#include "flow/executors.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "objects/shot.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"

namespace {

constexpr int kDescendantLimit = 1000;

enum eVanishMode {
  VANISH_CHARAS = 0,
  VANISH_SHOTS = 1,
  VANISH_DESCENDANTS = 2,
  VANISH_OWN_SHOTS = 3,
  VANISH_ALL = 4,
  VANISH_DESCENDANTS_WITH_SHOTS = 5,
};

// A character has appeared when its appearance conditions hold; the hero always has.
bool Appeared(cCharaBase& c) {
  if (dynamic_cast<cHero*>(&c) || !g_pScenePlay) return true;
  return g_pScenePlay->CheckCharaCond(&c) != 0;
}

// True when the shot was taken out at once.
bool RemoveShotObj(cShot* shot) {
  cScenePlay* scene = g_pScenePlay;
  if (!scene || !shot) return false;
  if (scene->m_bInHitPass) {
    shot->m_bFinished = 1;
    return false;
  }
  return RemoveShot(scene->m_lShot, shot);
}

}  // namespace

void RemoveOwnShots(cCharaBase* obj) {
  if (!obj) return;
  cCheckedVector<cShotLink>& links = obj->m_vShotLink;
  size_t i = 0;
  while (i < links.size()) {
    const cShotLink link = links[i];
    if (link.m_nSlot != kLinkSlotOwner || !link.m_pShot) {
      ++i;
      continue;
    }
    const size_t before = links.size();
    if (RemoveShotObj(link.m_pShot)) {
      auto at = std::find(links.begin(), links.end(), link);
      if (at != links.end()) links.erase(at);
    }
    // A walk whose list changed size starts again from the front.
    if (links.size() != before)
      i = 0;
    else
      ++i;
  }
}

void VanishDescendants(cCharaBase* obj, int depth, int withShots, cCharaBase* subject) {
  if (!obj || depth > kDescendantLimit) return;
  for (size_t i = 0; i < obj->m_vBackLink.size(); ++i) {
    const cObjLink link = obj->m_vBackLink[i];
    if (link.m_nSlot != kLinkSlotOwner || !link.m_pObj || !Appeared(*link.m_pObj)) continue;
    if (withShots) RemoveOwnShots(link.m_pObj);
    VanishDescendants(link.m_pObj, depth + 1, withShots, subject);
    KillByCommand(link.m_pObj, subject);
  }
}

int ExecVanish(cCharaBase* subject, const cFlowCmd& cmd) {
  cScenePlay* scene = g_pScenePlay;
  if (!scene) return 0;
  const int mode = cmd.m_vParam.At(0);
  const int side = cmd.m_vParam.At(1);
  const bool inactiveToo = cmd.m_vParam.At(2) != 0;
  switch (mode) {
    case VANISH_CHARAS:
      for (cCharaBase* c : scene->m_vSideChara.At(side))
        if (c && (inactiveToo || (Appeared(*c) && c->m_bActive))) KillByCommand(c, subject);
      break;
    case VANISH_SHOTS: {
      // Removal changes the side's list: the shots are chosen first.
      std::vector<cShot*> chosen;
      for (cShot* s : scene->m_vSideShot.At(side))
        if (s && (inactiveToo || s->m_bActive)) chosen.push_back(s);
      for (cShot* s : chosen) RemoveShotObj(s);
      break;
    }
    case VANISH_DESCENDANTS: VanishDescendants(subject, 0, 0, subject); break;
    case VANISH_OWN_SHOTS: RemoveOwnShots(subject); break;
    case VANISH_ALL:
      RemoveOwnShots(subject);
      VanishDescendants(subject, 0, 1, subject);
      break;
    case VANISH_DESCENDANTS_WITH_SHOTS: VanishDescendants(subject, 0, 1, subject); break;
    default: break;
  }
  return 0;
}
