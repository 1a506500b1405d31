#include "objects/effectplayer.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "objects/gameobj.h"
#include "stagedata/database.h"

cCheckedVector<cCharaEffectState> g_CharaEffectFwd;
cCheckedVector<cCharaEffectState> g_CharaEffectRev;
cCheckedVector<cScreenEffectState> g_ScrEffectFwd;
cCheckedVector<cScreenEffectState> g_ScrEffectRev;

namespace {

// A run time of 0 or less ends the run on its first frame: neither a division by zero nor a step
// that moves away from the end for ever.
bool EndsAtOnce(const cEffectDefData* def) { return def && def->m_nKind != 0 && def->m_nParam[0] <= 0; }

// The step that moves from p1 to p2 in p0 tenths of a second (nothing when the run ends at once).
double StepOver(int p0, int p1, int p2) {
  if (p0 <= 0) return 0;
  return std::fabs(static_cast<double>(p2) - p1) / (p0 * 6.0);
}

bool IsIn(int kind, std::initializer_list<int> kinds) {
  for (int k : kinds)
    if (kind == k) return true;
  return false;
}

// End of a cycle: a loop restarts, the first half of a round trip turns; otherwise finished.
template <class State>
int EndCycle(State& s) {
  if (s.m_bLoop || (s.m_nStartType == EFFECT_START_ROUND_TRIP && !s.m_bReversed)) {
    s.Restart();
    return 0;
  }
  return 1;
}

template <class State, class Def>
void InitPlayers(cCheckedVector<State>& fwd, cCheckedVector<State>& rev, const cCheckedVector<Def>& defs) {
  // Fresh players: nothing of an earlier preparation stays.
  fwd.assign(defs.size(), State{});
  rev.assign(defs.size(), State{});
  for (int i = 0; i < defs.Size(); ++i) {
    fwd[static_cast<size_t>(i)].Setup(i, 0);
    rev[static_cast<size_t>(i)].Setup(i, 1);
  }
}

}  // namespace

void cCharaEffectState::Setup(int index, int reverse) {
  m_nIndex = static_cast<int16_t>(index);
  cCharaEffectData& d =
      reverse ? g_Database.m_vCharaEffectRev.At(index) : g_Database.m_vCharaEffect.At(index);
  m_pDef = &d;
  int* p = d.m_nParam;
  const int kind = d.m_nKind;
  if (IsIn(kind, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 15, 16})) {
    m_nTime = p[0];
    if (reverse) std::swap(p[1], p[2]);
    m_nStart = p[1];
    m_nEnd = p[2];
    m_dValue = p[1];
    m_dStep = StepOver(p[0], p[1], p[2]);
    if (kind == 4 || kind == 5) m_nPhase = 0;
  } else if (kind == 6 || kind == 14) {
    m_nStart = 0;
    m_nEnd = p[0];
    m_nTime = p[0];
    m_dValue = 0;
    m_dStep = kTenthPerFrame;
    m_nPhase = 0;
    m_nToggle = 0;
  }
  if (kind != 0 && m_nStart == m_nEnd) {
    m_dStep = kTenthPerFrame;
    m_dElapsed = 0;
  }
}

void cCharaEffectState::CopyDef(const cCharaEffectState& other) {
  m_pDef = other.m_pDef;
  m_nStart = other.m_nStart;
  m_nEnd = other.m_nEnd;
  m_dValue = other.m_dValue;
  m_dStep = other.m_dStep;
  m_dElapsed = other.m_dElapsed;
  m_nTime = other.m_nTime;
  m_nPhase = other.m_nPhase;
  m_nToggle = other.m_nToggle;
}

void cCharaEffectState::Start(int index, int startType, int loop) {
  CopyDef(startType == EFFECT_START_REVERSED ? g_CharaEffectRev.At(index) : g_CharaEffectFwd.At(index));
  m_bReversed = startType == EFFECT_START_REVERSED;
  m_nIndex = static_cast<int16_t>(index);
  m_nStartType = startType;
  m_nCycleFrame = 0;
  m_bLoop = loop;
}

void cCharaEffectState::Restart() {
  if (m_nStartType == EFFECT_START_ROUND_TRIP) m_bReversed = !m_bReversed;
  CopyDef(m_bReversed ? g_CharaEffectRev.At(m_nIndex) : g_CharaEffectFwd.At(m_nIndex));
  m_nCycleFrame = 0;
}

int cCharaEffectState::Step() {
  if (!EndsAtOnce(m_pDef)) {
    if (m_nStart == m_nEnd) {
      m_dElapsed += m_dStep;
      if (m_dElapsed <= m_nTime) return 0;
    } else if (m_nStart < m_nEnd) {
      m_dValue += m_dStep;
      if (m_dValue <= m_nEnd) return 0;
    } else {
      m_dValue -= m_dStep;
      if (m_dValue >= m_nEnd) return 0;
    }
  }
  return EndCycle(*this);
}

void cScreenEffectState::Setup(int index, int reverse) {
  m_nIndex = static_cast<int16_t>(index);
  m_bTimed = 0;
  cScrEffectData& d = reverse ? g_Database.m_vScrEffectRev.At(index) : g_Database.m_vScrEffect.At(index);
  m_pDef = &d;
  int* p = d.m_nParam;
  const int kind = d.m_nKind;
  if (kind == 1) {
    if (reverse) {
      std::swap(p[1], p[3]);
      std::swap(p[2], p[4]);
    }
    m_dValue = 0;
    m_dStep = kTenthPerFrame;
    m_nAuxA = p[1];
    m_nAuxB = p[2];
  } else if (kind == 2 || kind == 3) {
    m_dValue = 0;
    m_dValue2 = 0;
    m_dStep = kTenthPerFrame;
    m_nAuxA = 0;
  } else if (kind == 8) {
    m_dValue = 0;
    m_dStep = kTenthPerFrame;
    m_nAuxA = 0;
    m_nAuxB = 0;
  } else if (IsIn(kind, {4, 5, 6, 7, 9, 10, 11, 12, 13})) {
    if (reverse) std::swap(p[1], p[2]);
    m_dValue = p[1];
    m_dStep = StepOver(p[0], p[1], p[2]);
    if (p[1] == p[2]) {
      m_bTimed = 1;
      m_dStep = kTenthPerFrame;
      m_dElapsed = 0;
      m_nTime = p[0];
    }
    if (kind == 6 || kind == 7) m_nAuxA = 0;
  }
}

void cScreenEffectState::CopyDef(const cScreenEffectState& other) {
  m_pDef = other.m_pDef;
  m_dValue = other.m_dValue;
  m_dValue2 = other.m_dValue2;
  m_dStep = other.m_dStep;
  m_nAuxA = other.m_nAuxA;
  m_nAuxB = other.m_nAuxB;
  m_bTimed = other.m_bTimed;
  m_dElapsed = other.m_dElapsed;
  m_nTime = other.m_nTime;
}

void cScreenEffectState::Start(int index, int startType, int loop) {
  CopyDef(startType == EFFECT_START_REVERSED ? g_ScrEffectRev.At(index) : g_ScrEffectFwd.At(index));
  m_bReversed = startType == EFFECT_START_REVERSED;
  m_nIndex = static_cast<int16_t>(index);
  m_nStartType = startType;
  m_nCycleFrame = 0;
  m_bLoop = loop;
}

void cScreenEffectState::Restart() {
  if (m_nStartType == EFFECT_START_ROUND_TRIP) m_bReversed = !m_bReversed;
  CopyDef(m_bReversed ? g_ScrEffectRev.At(m_nIndex) : g_ScrEffectFwd.At(m_nIndex));
  m_nCycleFrame = 0;
}

int cScreenEffectState::Step(int from, int to, double step) {
  if (!EndsAtOnce(m_pDef)) {
    if (m_bTimed) {
      m_dElapsed += m_dStep;
      if (m_dElapsed <= m_nTime) return 0;
    } else if (from > to) {
      m_dValue -= step;
      if (TruncToInt(m_dValue) >= to) return 0;
    } else {
      m_dValue += step;
      if (TruncToInt(m_dValue) <= to) return 0;
    }
  }
  return EndCycle(*this);
}

void InitCharaEffectPlayers(cCheckedVector<cCharaEffectState>& fwd, cCheckedVector<cCharaEffectState>& rev) {
  InitPlayers(fwd, rev, g_Database.m_vCharaEffect);
}

void InitScrEffectPlayers(cCheckedVector<cScreenEffectState>& fwd, cCheckedVector<cScreenEffectState>& rev) {
  InitPlayers(fwd, rev, g_Database.m_vScrEffect);
}

void PrepareLoadedDatabase() {
  g_Database.m_vCharaEffectRev.assign(g_Database.m_vCharaEffect.begin(), g_Database.m_vCharaEffect.end());
  g_Database.m_vScrEffectRev.assign(g_Database.m_vScrEffect.begin(), g_Database.m_vScrEffect.end());
  BuildAnimeFrameTables(g_AnimeFrameTables);
  BuildEffectFrameTables(g_EffectFrameTables);
  InitCharaEffectPlayers(g_CharaEffectFwd, g_CharaEffectRev);
  InitScrEffectPlayers(g_ScrEffectFwd, g_ScrEffectRev);
}
