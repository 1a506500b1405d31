// Object operations that their owning part of the objects has not built yet: each line is a
// stand-in, replaced when the real operation lands.
#include <algorithm>

#include "objects/charabase.h"

int cCharaBase::AddHP(int delta, int force, int showGauge) { if (!force && delta <= 0 && m_Chara.m_cInvincible) return 0; if (delta > 0) delta = std::min(delta, m_Chara.m_nMaxHP - m_nHP); m_nHP = std::clamp(m_nHP + delta, 0, std::max(m_Chara.m_nMaxHP, 0)); if (m_nHP <= 0) { m_nHP = 0; return 1; } if (showGauge) StartHPGauge(delta); return 0; }  // pending
void cCharaBase::AddSP(int delta, int showGauge) { if (delta > 0) delta = std::min(delta, m_Chara.m_nMaxSP - m_nSP); m_nSP = std::clamp(m_nSP + delta, 0, std::max(m_Chara.m_nMaxSP, 0)); if (showGauge && m_Chara.m_nMaxSP > 0) StartSPGauge(delta); }  // pending
void cCharaBase::StartHPGauge(int delta) { if (delta == 0 || m_Chara.m_nMaxHP <= 0) return; m_GaugeHP.m_nTimer = 120; m_GaugeHP.m_nLength = m_nHP * 50 / m_Chara.m_nMaxHP; m_GaugeHP.m_dChange = static_cast<double>(delta) * 50 / m_Chara.m_nMaxHP; m_GaugeHP.m_dStep = m_GaugeHP.m_dChange / 60; }  // pending
void cCharaBase::StartSPGauge(int delta) { if (delta == 0 || m_Chara.m_nMaxSP <= 0) return; m_GaugeSP.m_nTimer = 120; m_GaugeSP.m_nLength = m_nSP * 50 / m_Chara.m_nMaxSP; m_GaugeSP.m_dChange = static_cast<double>(delta) * 50 / m_Chara.m_nMaxSP; m_GaugeSP.m_dStep = m_GaugeSP.m_dChange / 60; }  // pending
