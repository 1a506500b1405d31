// The hit pass of a sub-step: shots and swords against characters, characters against characters
// of other sides, and shots cancelling each other.
#include <iterator>
#include <tuple>

#include "gamedata/systemswitches.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "scenes/collision.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"

namespace {


bool RectsOverlap(const cHitRect& a, const cHitRect& b) {
  return BoxesOverlap(a.m_dLeft, a.m_dTop, a.m_dRight, a.m_dBottom, b.m_dLeft, b.m_dTop, b.m_dRight, b.m_dBottom);
}

bool CarriesItem(const cShot& s) { return s.m_Shot.m_nItemPalette != 0; }
// A shot with power, impact or an item hits only targets that are not immune, and always acts.
bool IsStrong(const cShot& s) { return s.m_Shot.m_nPower != 0 || s.m_Shot.m_nImpact != 0 || CarriesItem(s); }
bool Harms(const cCharaBase& c) { return c.m_Chara.m_nPower != 0 || c.m_Chara.m_cImpact != 0; }

// The character touched another: the toucher's owner takes the touch when it asked for its hits.
void RaiseTouch(cCharaBase& touched, cCharaBase& toucher) {
  if (toucher.m_pOwner && toucher.m_bOwnerGetsHits) {
    touched.RaiseTriggerEx(FLOW_TRIG_TOUCH_CHARA, toucher.m_pOwner, 0);
    toucher.m_pOwner->RaiseTriggerEx(FLOW_TRIG_ATTACK_HIT, &touched, static_cast<uint8_t>(toucher.m_nOwnerKey));
  } else {
    touched.RaiseTriggerEx(FLOW_TRIG_TOUCH_CHARA, &toucher, 0);
  }
}

}  // namespace

void cScenePlay::EraseShot(cShot* shot) {
  if (RemoveShot(m_lShot, shot)) return;
  for (cCheckedList<cShot*>& side : m_vSideShot) side.remove(shot);
}

cHitIndex& cScenePlay::HitIndexOf(int side, int shotRect, bool rebuild, cCheckedList<cCharaBase*>::iterator mark,
                                   int* markPos) {
  const size_t slot = static_cast<size_t>(side) * 2 + (shotRect ? 1 : 0);
  if (m_vHitIndex.size() <= slot) m_vHitIndex.resize(static_cast<size_t>(m_vSideChara.Size()) * 2 + 2);
  cHitIndex& index = m_vHitIndex[slot];
  if (rebuild || index.m_nStamp != m_nHitGeneration) {
    cCheckedList<cCharaBase*>& list = m_vSideChara[side];
    const int pos =
        index.Build(list, shotRect ? &cCharaBase::m_ShotRect : &cCharaBase::m_BodyRect, rebuild ? mark : list.end());
    if (markPos) *markPos = pos;
    index.m_nStamp = m_nHitGeneration;
  }
  return index;
}

// Both hit loops visit, for each attacker in list order, the characters of the other side in list
// order, exactly as a walk over the whole list would; the index only leaves out those whose rectangle
// cannot overlap. After a hit that may have changed the lists or the rectangles, the index is made
// anew and the walk goes on at the list position after the character just hit.
int cScenePlay::ResolveShotHits() {
  ++m_nHitGeneration;
  cHero* hero = g_vHero.empty() ? nullptr : &g_vHero[0];
  const int sides = m_vSideShot.Size();
  std::vector<int>& candidates = m_vHitCandidates;
  for (int i = 0; i < sides; ++i) {
    for (int j = 0; j < m_vSideChara.Size(); ++j) {
      if (i == j || m_vSideChara[j].empty()) continue;
      cCheckedList<cShot*>& shots = m_vSideShot[i];
      for (auto si = shots.begin(); si != shots.end();) {
        cShot* shot = *si;
        auto nextShot = std::next(si);
        if (shot->m_bFinished) {
          si = nextShot;
          continue;
        }
        const bool strong = IsStrong(*shot);
        bool spent = false;
        int from = 0;
        for (bool again = true; again;) {
          again = false;
          const cHitIndex& index = HitIndexOf(j, 1);
          const cHitRect& box = shot->m_HitBox;
          index.Collect(box.m_dLeft, box.m_dTop, box.m_dRight, box.m_dBottom, from, candidates);
          for (const int pos : candidates) {
            cCharaBase* r = index.At(pos).m_pObj;
            const auto nextTarget = std::next(index.At(pos).m_It);
            if (!TakesPart(*r) || r->m_Chara.m_cInvincible == 2 || !RectsOverlap(r->m_ShotRect, shot->m_HitBox) ||
                shot->HasHit(r->m_nObjNo))
              continue;
            if (strong && r->IsImmune()) continue;
            const bool acts = strong || !ShotImmunityOn();
            r->RaiseTriggerEx(FLOW_TRIG_TOUCH_SHOT, shot->m_pShotOwner, 0);
            if (shot->m_pShotOwner && shot->m_bReportHit)
              shot->m_pShotOwner->RaiseTriggerEx(FLOW_TRIG_ATTACK_HIT, r, shot->m_nReportKey);
            if (!acts) continue;
            bool changed = false;
            int damage = 0, impact = 0;
            const int died = r->TakeShotHit(*shot, damage, impact);
            r->RaiseShotHitTriggers(*shot, damage, impact);
            if (!died) {
              PlaySystemSound(7);
              if (ShotImmunityOn() || strong) r->StartHitImmunity();
            } else {
              if (!IsHeroObject(r)) PlaySystemSound(9);
              changed = true;
              if (const int result = KillObject(r)) return result;
            }
            const bool pierces =
                r->m_Chara.m_bBlockChara ? shot->m_Shot.m_bPierceBlockChara : shot->m_Shot.m_bPierceChara;
            if (!shot->m_bIsShot || pierces)
              shot->AddHit(r->m_nObjNo);
            else
              spent = true;
            if (CarriesItem(*shot) && hero) {
              if (const cItemData* def = GetPaletteItemData(shot->m_Shot.m_nItemPalette, shot->m_Shot.m_sItem)) {
                changed = true;
                if (const int result = ApplyPaletteItem(*def, hero)) return result;
              }
            }
            if (changed) {
              ++m_nHitGeneration;
              HitIndexOf(j, 1, true, nextTarget, &from);
              again = true;
              break;
            }
          }
        }
        if (spent && !shot->m_bFinished) EraseShot(shot);
        si = nextShot;
      }
    }
  }
  return 0;
}

int cScenePlay::ResolveCharaHits() {
  ++m_nHitGeneration;
  const bool atOnce = HitTriggersAtOnceOn();
  std::vector<int>& candidates = m_vHitCandidates;
  for (int i = 0; i < m_vSideChara.Size(); ++i) {
    for (int j = i + 1; j < m_vSideChara.Size(); ++j) {
      if (m_vSideChara[i].empty() || m_vSideChara[j].empty()) continue;
      for (auto ui = m_vSideChara[i].begin(); ui != m_vSideChara[i].end();) {
        cCharaBase* u = *ui;
        ++ui;
        int from = 0;
        for (bool again = true; again;) {
          again = false;
          const cHitIndex& index = HitIndexOf(j, 0);
          const cHitRect& body = u->m_BodyRect;
          index.Collect(body.m_dLeft, body.m_dTop, body.m_dRight, body.m_dBottom, from, candidates);
          for (const int pos : candidates) {
            cCharaBase* w = index.At(pos).m_pObj;
            const auto nextW = std::next(index.At(pos).m_It);
            if (!RectsOverlap(u->m_BodyRect, w->m_BodyRect) || u->m_Chara.m_bBlockChara || w->m_Chara.m_bBlockChara ||
                !TakesPart(*u) || !TakesPart(*w))
              continue;
            const bool uImmune = u->IsImmuneTo(w->m_nObjNo), wImmune = w->IsImmuneTo(u->m_nObjNo);
            if (!uImmune) RaiseTouch(*u, *w);
            if (!wImmune) RaiseTouch(*w, *u);
            const bool uHit = !uImmune && Harms(*w), wHit = !wImmune && Harms(*u);
            int uDied = 0, wDied = 0, uDamage = 0, uImpact = 0, wDamage = 0, wImpact = 0;
            if (uHit) {
              uDied = u->TakeHit(*w, uDamage, uImpact);
              if (atOnce) u->RaiseHitTriggers(*w, uDamage, uImpact);
            }
            if (wHit) {
              wDied = w->TakeHit(*u, wDamage, wImpact);
              if (atOnce) w->RaiseHitTriggers(*u, wDamage, wImpact);
            }
            if (!atOnce) {
              if (uHit) u->RaiseHitTriggers(*w, uDamage, uImpact);
              if (wHit) w->RaiseHitTriggers(*u, wDamage, wImpact);
            }
            if (!uHit && !wHit) continue;
            PlaySystemSound(7);
            bool changed = false;
            for (auto [a, b, died] : {std::tuple{u, w, uDied}, std::tuple{w, u, wDied}}) {
              if (!died) {
                a->AddHitImmunity(b->m_nObjNo);
                continue;
              }
              if (!IsHeroObject(a)) PlaySystemSound(9);
              changed = true;
              if (const int result = KillObject(a)) return result;
            }
            if (changed) {
              ++m_nHitGeneration;
              HitIndexOf(j, 0, true, nextW, &from);
              again = true;
              break;
            }
          }
        }
      }
    }
  }
  return 0;
}

void cScenePlay::CancelShots() {
  // A pair acts only when one of its shots cancels; the pass removes shots and adds none, so a side
  // without a cancelling shot at the start has none later and a shot that does not cancel skips it.
  bool sideCancels[kSideCount + 1] = {};
  const int sides = m_vSideShot.Size();
  for (int j = 0; j < sides && j <= kSideCount; ++j)
    for (const cShot* b : m_vSideShot[j])
      if (b->m_Shot.m_bShotVsShot != 0) {
        sideCancels[j] = true;
        break;
      }
  for (int i = 0; i < m_vSideShot.Size(); ++i) {
    for (auto ai = m_vSideShot[i].begin(); ai != m_vSideShot[i].end();) {
      cShot* a = *ai;
      ++ai;
      bool removeA = false;
      for (int j = i + 1; j < m_vSideShot.Size() && !removeA; ++j) {
        if (a->m_Shot.m_bShotVsShot == 0 && j <= kSideCount && !sideCancels[j]) continue;
        for (auto bi = m_vSideShot[j].begin(); bi != m_vSideShot[j].end();) {
          cShot* b = *bi;
          ++bi;
          const bool aCancels = a->m_Shot.m_bShotVsShot != 0, bCancels = b->m_Shot.m_bShotVsShot != 0;
          if ((!aCancels && !bCancels) || !BoxesOverlap(*a, *b)) continue;
          bool removeB = false;
          if (aCancels && bCancels) {
            const int sa = a->m_Shot.m_nVanish, sb = b->m_Shot.m_nVanish;
            removeB = sb <= sa;
            removeA = removeA || sb >= sa;
          } else {
            removeB = bCancels;
            removeA = removeA || aCancels;
          }
          if (removeB) EraseShot(b);
        }
      }
      if (removeA) EraseShot(a);
    }
  }
}

int cScenePlay::ResolveHits(cCheckedList<cChara>&) {
  m_bInHitPass = 1;
  int result = 0;
  // An empty table tests shots in every sub-step.
  const bool shotsTested = m_vShotTestStep.empty() || m_nSubStep < 1 || m_nSubStep > m_vShotTestStep.Size() ||
                           m_vShotTestStep[m_nSubStep - 1] != 0;
  if (shotsTested) result = ResolveShotHits();
  if (result == 0) {
    for (auto it = m_lShot.begin(); it != m_lShot.end();)
      it = it->m_bFinished ? RemoveShot(m_lShot, it) : std::next(it);
    result = ResolveCharaHits();
  }
  if (result == 0) CancelShots();
  m_bInHitPass = 0;
  return result;
}
