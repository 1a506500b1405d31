// Deaths of the hero and the characters during play, and the removal of characters that are gone.
#include "gamedata/systemswitches.h"
#include "objects/objlists.h"
#include "scenes/collision.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"

void cScenePlay::RemoveFromSide(cCharaBase* obj) {
  if (obj->m_nSide >= 0 && obj->m_nSide < m_vSideChara.Size()) m_vSideChara[obj->m_nSide].remove(obj);
}

void cScenePlay::StartResult() {
  FinishStage();
  m_nState = PLAY_RESULT;
  m_nSubState = 0;
}

void cScenePlay::HeroDies() {
  PlaySystemSound(8);
  if (!g_vHero.empty() && g_vHero[0].Die() == 1) StartResult();
}

cCheckedList<cChara>::iterator cScenePlay::RemoveChara(cCheckedList<cChara>::iterator it) {
  it->UnlinkAll();
  RemoveFromSide(&*it);
  // The step loop's place: the character it is on, or, once that one is gone, where it goes on.
  const bool loopPlace = m_pStepChara && (m_bStepCharaGone ? it == m_itStepNext : &*it == m_pStepChara);
  auto next = g_lstChara.erase(it);
  if (loopPlace) {
    m_bStepCharaGone = 1;
    m_itStepNext = next;
  }
  return next;
}

int cScenePlay::KillObject(cCharaBase* obj) {
  if (IsHeroObject(obj)) return 2;
  if (obj->m_bDead) return 0;
  return obj->Die() ? 1 : 0;
}

int cScenePlay::KillChara(cCharaBase* obj, cCheckedList<cChara>&) {
  const int result = KillObject(obj);
  if (result == 1) {
    StartResult();
  } else if (result == 2) {
    PlaySystemSound(8);
    if (obj->Die() == 1) StartResult();
  }
  return result;
}

int cScenePlay::CheckDeaths() {
  cCharaBase* hero = GetHero();
  if (hero && hero->m_nHP <= 0) {
    HeroDies();
    return 1;
  }
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    auto next = std::next(it);
    cChara& c = *it;
    if (c.m_bRemove) {
      RemoveChara(it);
    } else if (c.m_nHP <= 0 && !c.m_bDead) {
      const int result = KillChara(&c, g_lstChara);
      if (!KeepDeadCharaOn() || result == 1) {
        RemoveChara(it);
      } else {
        PlaySystemSound(9);
      }
      if (result != 0) return 1;
    }
    it = next;
  }
  return 0;
}
