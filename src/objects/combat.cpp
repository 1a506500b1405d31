// HP and SP with their animated gauges, hit immunity, damage from characters, the triggers of a hit
// and death with its score.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "gamedata/savedata.h"
#include "objects/charabase.h"
#include "objects/effectobj.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/stagedata.h"

namespace {
constexpr int kGaugeFrames = 120;
constexpr int kGaugeFadeFrames = 60;
constexpr int kGaugeWidth = 50;
constexpr int64_t kDamageMax = 999999;
constexpr int64_t kScoreMax = 999999;

// Adds delta to value, a positive delta first cut to the room below the maximum, the result kept
// within 0..maximum. Returns the change made, which the gauge shows: a loss beyond 0 shows only what
// was there, so the gauge never draws a change wider than its bar.
int64_t AddWithin(int& value, int64_t delta, int maxValue) {
  if (delta > 0) delta = std::min<int64_t>(delta, std::max<int64_t>(0, int64_t{maxValue} - value));
  const int before = value;
  value = static_cast<int>(std::clamp<int64_t>(value + delta, 0, std::max(0, maxValue)));
  return int64_t{value} - before;
}

void StartGauge(cGaugeAnim& gauge, int value, int maxValue, int64_t delta) {
  if (delta == 0 || maxValue <= 0) return;
  gauge.m_nTimer = kGaugeFrames;
  gauge.m_nLength = static_cast<int>(int64_t{value} * kGaugeWidth / maxValue);
  gauge.m_dChange = static_cast<double>(delta * kGaugeWidth) / maxValue;
  gauge.m_dStep = gauge.m_dChange / kGaugeFadeFrames;
}

cRectD ToRect(const cHitRect& r) { return {r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom}; }

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }
}  // namespace

int cCharaBase::AddHP(int delta, int force, int showGauge) {
  if (!force && delta <= 0 && m_Chara.m_cInvincible != 0) return 0;
  const int64_t applied = AddWithin(m_nHP, delta, m_Chara.m_nMaxHP);
  if (m_nHP <= 0) {
    m_nHP = 0;
    return 1;
  }
  if (showGauge) StartHPGauge(ClampToInt(applied));
  return 0;
}

void cCharaBase::StartHPGauge(int delta) { StartGauge(m_GaugeHP, m_nHP, m_Chara.m_nMaxHP, delta); }

void cCharaBase::AddSP(int delta, int showGauge) {
  const int64_t applied = AddWithin(m_nSP, delta, m_Chara.m_nMaxSP);
  if (m_Chara.m_nMaxSP <= 0) return;
  if (showGauge) StartSPGauge(ClampToInt(applied));
}

void cCharaBase::StartSPGauge(int delta) { StartGauge(m_GaugeSP, m_nSP, m_Chara.m_nMaxSP, delta); }

void cCharaBase::StartHitImmunity() {
  const int frames = m_nOperation == 1 ? g_StageData.m_nComImmuneTime : g_StageData.m_nImmuneTime;
  m_nImmuneFrames = ClampToInt(int64_t{frames} * g_StageData.m_nStepsPerFrame);
}

void cCharaBase::AddHitImmunity(int attackerKey) {
  StartHitImmunity();
  const int frames = m_nOperation == 1 ? g_StageData.m_nComImmuneAttacker : g_StageData.m_nImmuneAttacker;
  m_lImmuneFrom.push_back({attackerKey, ClampToInt(int64_t{frames} * g_StageData.m_nStepsPerFrame)});
}

void cCharaBase::TickHitImmunity() {
  if (m_nImmuneFrames > 0) --m_nImmuneFrames;
  for (auto it = m_lImmuneFrom.begin(); it != m_lImmuneFrom.end();) {
    if (--it->m_nFrames <= 0) {
      it = m_lImmuneFrom.erase(it);
    } else {
      ++it;
    }
  }
}

int cCharaBase::IsImmuneTo(int attackerKey) const {
  if (IsImmune()) return 1;
  for (const cImmuneEntry& e : m_lImmuneFrom) {
    if (e.m_nKey == attackerKey) return 1;
  }
  return 0;
}

int cCharaBase::TakeHit(const cCharaBase& attacker, int& damageOut, int& impactOut) {
  // A positive power is reduced by the defence; zero or a negative power (which heals) is used as it is.
  int64_t damage = attacker.m_Chara.m_nPower;
  if (damage > 0) damage = std::clamp<int64_t>(damage - m_Chara.m_nDefence, 0, kDamageMax);
  damageOut = m_Chara.m_cInvincible != 0 ? 0 : static_cast<int>(damage);
  const int died = AddHP(ClampToInt(-damage), 0, 1);
  if (attacker.m_Chara.m_sHitEffect != 0 && g_pScenePlay) {
    cEffectObj effect;
    effect.SetupAtHit(attacker.m_Chara.m_sHitEffect, ToRect(m_BodyRect), ToRect(attacker.m_BodyRect),
                      attacker.m_Chara.m_cScale);
    g_pScenePlay->m_lEffect.push_back(effect);
  }
  ApplyCharaImpact(attacker, impactOut);
  return died;
}

void cCharaBase::RaiseHitTriggers(const cCharaBase& attacker, int damage, int impacted) {
  cCharaBase* owner = attacker.m_pOwner;
  const bool toOwner = owner && attacker.m_bOwnerGetsHits;
  cCharaBase* other = toOwner ? owner : const_cast<cCharaBase*>(&attacker);
  const uint8_t key = static_cast<uint8_t>(attacker.m_nOwnerKey);
  // Each pair: the trigger on this object, its "taken" form, and the owner's two.
  auto raise = [&](int set, int taken, int ownerSet, int ownerGiven, bool hit) {
    RaiseTriggerEx(set, other, 0);
    if (hit) RaiseTriggerEx(taken, other, 0);
    if (toOwner) {
      owner->RaiseTriggerEx(ownerSet, this, key);
      if (hit) owner->RaiseTriggerEx(ownerGiven, this, key);
    }
  };
  if (attacker.m_Chara.m_nPower != 0) {
    raise(FLOW_TRIG_DAMAGE_SET, FLOW_TRIG_DAMAGE_TAKEN, FLOW_TRIG_ATTACK_DAMAGE_SET, FLOW_TRIG_ATTACK_DAMAGE_GIVEN,
          damage > 0);
  }
  if (attacker.m_Chara.m_cImpact != 0) {
    raise(FLOW_TRIG_IMPACT_SET, FLOW_TRIG_IMPACT_TAKEN, FLOW_TRIG_ATTACK_IMPACT_SET, FLOW_TRIG_ATTACK_IMPACT_GIVEN,
          impacted != 0);
  }
}

int cCharaBase::Die() {
  RaiseTrigger(FLOW_TRIG_DEATH);
  RunFlows(1);
  g_SaveData.m_nScore =
      static_cast<int>(std::clamp<int64_t>(int64_t{g_SaveData.m_nScore} + m_Chara.m_nScore, 0, kScoreMax));
  int itemEnded = 0;
  if (cItem* item = GetHeldItem()) {
    cHero* hero = g_vHero.empty() ? nullptr : &g_vHero[0];
    if (hero) itemEnded = ApplyItem(item, hero) == 1;
  }
  if ((g_pScenePlay && g_pScenePlay->m_nStageEnd == 1) || itemEnded) return 1;
  UnlinkAll();
  m_bDead = 1;
  m_CharaEffect.Start(m_Chara.m_sDeathEffect, m_Chara.m_cDeathEffectType, 0);
  return 0;
}
