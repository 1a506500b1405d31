#include "objects/charabase.h"

#include <cmath>
#include <cstdlib>

#include "gamedata/systemdata.h"
#include "stagedata/database.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

void cCharaBase::CopyLook(const cCharaBase& other) {
  m_nGraphicNo = other.m_nGraphicNo;
  m_nSpare = other.m_nSpare;
  m_AnimSeq = other.m_AnimSeq;
  m_PicRect.Assign(other.m_PicRect);
}

// --- Animations -------------------------------------------------------------------------------

void cCharaBase::SetAnimSet(int16_t setIndex, int force) {
  if (!force && setIndex == m_Chara.m_sAnimeSet) return;
  m_Chara.m_sAnimeSet = setIndex;
  const cAnimeSetData& set = g_Database.m_vAnimeSet.At(setIndex);
  // Every frame holds, so only a forced change of motion interrupts one; every motion loops.
  cCheckedVector<cAnimSeqFrames> motions;
  motions.reserve(set.m_vMotion.size());
  for (const cAnimeData& motion : set.m_vMotion) {
    cAnimSeqFrames seq;
    seq.reserve(motion.m_vFrame.size() + 1);
    for (const cAnimFrame& f : motion.m_vFrame) seq.push_back({f.m_nValue, TicksOfTenths(f.m_nDuration), 1});
    seq.push_back({ANIMSEQ_RESTART, 0, 1});
    motions.push_back(std::move(seq));
  }
  const int current = m_AnimSeq.m_nSeq;
  m_AnimSeq.SetSequences(std::move(motions));
  m_AnimSeq.m_nSeq = current;
}

void cCharaBase::StartCueAnim(int animNo, int countdown, int holdExt, int flowKey, int skip, int holdSwitch) {
  cRunAnim& a = m_lRunAnim.emplace_back();
  a.m_AnimSeq.BuildOne(g_AnimeFrameTables.At(animNo));
  a.m_nAnimNo = animNo;
  a.m_bPriority = 1;
  a.m_nCountdown = countdown;
  a.m_nHoldExt = holdExt;
  a.m_nFlowKey = flowKey;
  a.m_AnimSeq.Set(0, 1);
  a.m_AnimSeq.m_nTick += skip;
  if (holdExt > 1 && holdSwitch) {
    for (cAnimSeqFrame& f : a.m_AnimSeq.m_vSeq[0]) {
      if (f.m_bHold) {
        f.m_nTicks += holdExt - 1;
        break;
      }
    }
  }
}

int cCharaBase::StepAnims(int noAdvance) {
  if (!noAdvance) {
    m_AnimSeq.Tick();
    for (auto it = m_lRunAnim.begin(); it != m_lRunAnim.end();) {
      if (it->m_bPaused) {
        ++it;
      } else if (it->m_AnimSeq.Tick() == ANIMSEQ_END) {
        it = m_lRunAnim.erase(it);
      } else {
        --it->m_nCountdown;
        ++it;
      }
    }
  }
  // The prioritised animation nearest its hold frame wins; once two have reached it (settled), the
  // one of either kind that reached it last; an unprioritised one only when nothing else is chosen.
  cRunAnim* chosen = nullptr;
  int best = INT_MAX;
  bool settled = false;
  for (cRunAnim& a : m_lRunAnim) {
    if (a.m_bPaused) continue;
    const int c = a.m_nCountdown;
    if (settled) {
      if (c <= 0 && c > best) {
        chosen = &a;
        best = c;
      }
    } else if (a.m_bPriority) {
      if (c <= 0 && best <= 0) {
        chosen = &a;
        best = c;
        settled = true;
      } else if (c < best) {
        chosen = &a;
        best = c;
      }
    } else if (!chosen) {
      chosen = &a;
      best = INT_MAX;
    }
  }
  return chosen ? chosen->m_AnimSeq.GetValue() : m_AnimSeq.GetValue();
}

void cCharaBase::RemoveAnimsOfFlow(int flowKey) {
  m_lRunAnim.remove_if([&](const cRunAnim& a) { return a.m_nFlowKey == flowKey; });
}

void cCharaBase::RemoveAnimsById(int animNo) {
  m_lRunAnim.remove_if([&](const cRunAnim& a) { return a.m_nAnimNo == animNo; });
}

void cCharaBase::StopAnimsOfFlow(int flowKey) {
  for (auto it = m_lRunAnim.begin(); it != m_lRunAnim.end();) {
    if (it->m_nFlowKey != flowKey) {
      ++it;
    } else if (g_SystemData.m_bStopDropsEnded &&
               static_cast<int64_t>(it->m_nCountdown) + it->m_nHoldExt - 1 < 0) {
      it = m_lRunAnim.erase(it);
    } else {
      (it++)->m_bPaused = 1;
    }
  }
}

void cCharaBase::ResumeAnimsOfFlow(int flowKey) {
  for (cRunAnim& a : m_lRunAnim)
    if (a.m_nFlowKey == flowKey) a.m_bPaused = 0;
}

// --- Impacts ----------------------------------------------------------------------------------

namespace {

// One side is above 1e-8 and the other below -1e-8.
bool Opposes(double a, double b) { return (a > 1e-8 && b < -1e-8) || (a < -1e-8 && b > 1e-8); }

// The starting speed that, decaying by 1/n per sub-step, travels 16 x d pixels.
double ImpactSpeed(double d) {
  const double n = g_StageData.m_dStepsPerFrame;
  if (d > 0) return (std::sqrt(1 + 128 * d * n) - 1) / (2 * n);
  if (d < 0) return -(std::sqrt(1 - 128 * d * n) - 1) / (2 * n);
  return 0;
}

// Moves v toward 0 by step, exactly 0 where it would change sign.
void DecayToward0(double& v, double step) {
  if (v > 0) {
    v -= step;
    if (v < 0) v = 0;
  } else if (v < 0) {
    v += step;
    if (v > 0) v = 0;
  }
}

}  // namespace

void cCharaBase::ApplyFallGravity() {
  if (m_bFlying || m_pRide || m_bGravityOff || m_dImpactY < 0) return;
  m_dSpeedY += g_StageData.m_dGravity;
}

void cCharaBase::ApplyImpact(int8_t impact, double dirX, double dirY, int& out) {
  out = 0;
  if (impact == 0) return;
  // The resistance weakens an impact but never turns it round.
  int i = impact;
  if (i < 0) {
    i += m_Chara.m_cImpactResist;
    i = i < -20 ? -20 : (i > 0 ? 0 : i);
  } else {
    i -= m_Chara.m_cImpactResist;
    i = i > 20 ? 20 : (i < 0 ? 0 : i);
  }
  out = i;
  if (i == 0) return;
  CalcImpactSpeeds(m_dImpactX, m_dImpactY, static_cast<int8_t>(i), dirX, dirY, &m_dImpactPrevY);
  if (Opposes(m_dInertiaX, m_dImpactX)) m_dInertiaX = 0;
  if (Opposes(m_dInertiaY, m_dImpactY)) m_dInertiaY = 0;
  if (Opposes(m_dSpeedY, m_dImpactY)) m_dSpeedY = 0;
  m_bImpacted = 1;
}

void cCharaBase::CalcImpactSpeeds(double& outX, double& outY, int8_t impact, double dirX, double dirY,
                                  double* prevImpactY) {
  if (!g_SystemData.m_bImpactYLimited && prevImpactY) *prevImpactY = 0;
  const double sum = std::fabs(dirX) + std::fabs(dirY);
  if (sum == 0) {
    outX = outY = 0;
    return;
  }
  outX = ImpactSpeed(impact * dirX / sum);
  outY = ImpactSpeed(impact * dirY / sum);
}

void cCharaBase::ApplyCharaImpact(const cCharaBase& attacker, int& out) {
  double dirY = attacker.m_dSpeedY;
  // A walking attacker pushes downward only when it falls faster than after 8 frames of fall.
  if (!attacker.m_bFlying && attacker.m_dSpeedY < g_StageData.m_nSteps8 * g_StageData.m_dGravity) dirY = 0;
  ApplyImpact(attacker.m_Chara.m_cImpact, attacker.m_dSpeedX, dirY, out);
}

void cCharaBase::StepImpactY() {
  if (m_dImpactY != 0) {
    if (m_bFlying) {
      m_dSpeedY += m_dImpactY;
    } else if (m_dImpactY > 0 && ((m_pCellBelow && m_pCellBelow->GetCellHitCode(m_nSide) != 0) || m_pRide)) {
      ClearImpactY();
    } else if (!(g_SystemData.m_bImpactYLimited && !g_SystemData.m_bImpactYFree) ||
               m_dImpactPrevY - m_dSpeedY <= 1 / g_StageData.m_dStepsPerFrame) {
      // The impact's share of the speed is replaced by its new value.
      m_dSpeedY = m_dSpeedY - m_dImpactPrevY + m_dImpactY;
    }
  }
  m_dImpactPrevY = m_dImpactY;
}

void cCharaBase::DecayImpactX() { DecayToward0(m_dImpactX, 1 / g_StageData.m_dStepsPerFrame); }

void cCharaBase::DecayImpactY() {
  DecayToward0(m_dImpactY, 1 / g_StageData.m_dStepsPerFrame);
  if (m_dImpactY == 0) ClearImpactY();
}

void cCharaBase::ClearImpactY() {
  m_dImpactY = 0;
  m_dImpactPrevY = 0;
}

// --- Target searches --------------------------------------------------------------------------

bool CompareCharaVar(int32_t var, int32_t value, int op) {
  // In 64 bits, so that |INT_MIN| and a divisor of -1 are defined; 0 divides everything.
  const int64_t v = var, w = value;
  switch (op) {
    case 0: return v == w;
    case 1: return v != w;
    case 2: return v >= w;
    case 3: return v <= w;
    case 4: return v > w;
    case 5: return v < w;
    case 6: return w == 0 || std::llabs(v) % w == 0;
    case 7: return w != 0 && std::llabs(v) % w != 0;
    default: return false;
  }
}

bool cCharaFilter::Passes(const cCharaBase& c) const {
  if (c.m_bDead) return false;
  if (m_bGroupOn && c.m_Chara.m_cCharaId != m_nGroup) return false;
  if (m_bExcludeObjNoOn && c.m_nObjNo == m_nObjNo) return false;
  if (m_bExcludeInvincible1 && c.m_Chara.m_cInvincible == 1) return false;
  if (m_bExcludeInvincible2 && c.m_Chara.m_cInvincible == 2) return false;
  if (m_bExcludeUntouchable && c.m_Chara.m_bHiddenStatus) return false;
  if (m_bVarOn && !CompareCharaVar(c.m_vCharaVar.At(m_nVarIndex), m_nValue, m_nCompareOp)) return false;
  return true;
}

cCharaBase* FindCharaByCondition(const cCharaPtrList& list, const cCharaFilter& filter) {
  for (cCharaBase* c : list)
    if (c && filter.Passes(*c)) return c;
  return nullptr;
}

cCharaBase* FindLinkedChara(const cCheckedVector<cObjLink>& links, int slot, int side, int skipSideTest,
                            const cCharaFilter& filter) {
  for (auto it = links.rbegin(); it != links.rend(); ++it) {
    cCharaBase* c = it->m_pObj;
    if (!c || it->m_nSlot != slot) continue;
    if (!skipSideTest && c->m_nSide != side) continue;
    if (filter.Passes(*c)) return c;
  }
  return nullptr;
}

cCharaBase* FindNearestChara(int x, int y, const cCharaPtrList& list, int mode, const cCharaFilter& filter) {
  // onScreen: 1 only on-screen characters, 0 only off-screen ones, -1 both.
  auto nearest = [&](int onScreen) -> cCharaBase* {
    cCharaBase* best = nullptr;
    int64_t bestDist = 0;
    for (cCharaBase* c : list) {
      if (!c || !c->m_bActive) continue;
      if (onScreen >= 0 && (c->m_bOnScreen != 0) != (onScreen == 1)) continue;
      if (!filter.Passes(*c)) continue;
      const int64_t d =
          std::llabs(int64_t{x} - c->m_PicRect.CentreX()) + std::llabs(int64_t{y} - c->m_PicRect.CentreY());
      if (!best || d < bestDist) {
        best = c;
        bestDist = d;
      }
    }
    return best;
  };
  switch (mode) {
    case 1: return nearest(-1);
    case 2: return nearest(1);
    default:
      if (cCharaBase* c = nearest(1)) return c;
      return nearest(0);
  }
}

cCharaBase* FindNearestCharaToPoint(int x, int y, const cCharaPtrList& list) {
  return FindNearestChara(x, y, list, g_StageData.m_bNearestOnScreen ? 2 : 0, cCharaFilter{});
}

cCharaBase* FindNearestCharaToCentre(const cGameObj& self, const cCharaPtrList& list) {
  return FindNearestCharaToPoint(self.m_PicRect.CentreX(), self.m_PicRect.CentreY(), list);
}
