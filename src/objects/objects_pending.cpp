// Operations of the game objects that other code calls before the parts of the objects that own them
// are built: each line is replaced by the real operation when it lands.
#include <algorithm>

#include "gamedata/systemdata.h"
#include "objects/chara.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "objects/gameobj.h"
#include "stagedata/mapcell.h"

void cCharaBase::ClearContacts() { m_bContactLeft = m_bContactRight = m_bContactTop = m_bContactBottom = 0; m_dPushLeft = m_dPushRight = m_dPushTop = m_dPushBottom = 0; }  // pending
void cCharaBase::SetContactLeft(const cCharaBase& p) { m_bContactLeft = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushLeft = p.m_dSpeedX; }  // pending
void cCharaBase::SetContactRight(const cCharaBase& p) { m_bContactRight = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushRight = p.m_dSpeedX; }  // pending
void cCharaBase::SetContactTop(const cCharaBase& p) { m_bContactTop = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushTop = p.m_dSpeedY; }  // pending
void cCharaBase::SetContactBottom(const cCharaBase& p) { m_bContactBottom = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushBottom = p.m_dSpeedY; }  // pending
void cCharaBase::LandOnBlock() { m_dSpeedY = m_dInertiaY = 0; m_bContactBottom = 1; m_dPushBottom = 0; m_bInAir = m_bJumping = m_bJumpEnded = m_bImpacted = m_nNoFloorFrames = 0; m_dY -= TruncToInt(m_dBottom) % 32 + 1; AfterMoveY(); RaiseTrigger(11); RaiseTrigger(15); RaiseTrigger(17); }  // pending
void cCharaBase::HitCeiling() { m_bJumpEnded = m_bJumping = m_bContactTop = m_bCeilingHit = 1; m_dSpeedY = m_dInertiaY = 0; if (!g_SystemData.m_bCeilingKeepsImpact) ClearImpactY(); m_dY += 32 - TruncToInt(m_dY) % 32; AfterMoveY(); RaiseTrigger(11); RaiseTrigger(15); RaiseTrigger(16); }  // pending
void cCharaBase::LeaveRide(int turnBack) { m_pRide = nullptr; if (m_dImpactY == 0) m_dSpeedY = 0; if (turnBack) m_bTurnBack = 1; }  // pending
int cCharaBase::Die() { m_bDead = 1; return 0; }  // pending
int cCharaBase::AddHP(int delta, int force, int showGauge) { if (!force && delta <= 0 && m_Chara.m_cInvincible) return 0; if (delta > 0) delta = std::min(delta, m_Chara.m_nMaxHP - m_nHP); m_nHP = std::clamp(m_nHP + delta, 0, std::max(m_Chara.m_nMaxHP, 0)); if (m_nHP <= 0) { m_nHP = 0; return 1; } if (showGauge) StartHPGauge(delta); return 0; }  // pending
void cCharaBase::AddSP(int delta, int showGauge) { if (delta > 0) delta = std::min(delta, m_Chara.m_nMaxSP - m_nSP); m_nSP = std::clamp(m_nSP + delta, 0, std::max(m_Chara.m_nMaxSP, 0)); if (showGauge && m_Chara.m_nMaxSP > 0) StartSPGauge(delta); }  // pending
void cCharaBase::StartHPGauge(int delta) { if (delta == 0 || m_Chara.m_nMaxHP <= 0) return; m_GaugeHP.m_nTimer = 120; m_GaugeHP.m_nLength = m_nHP * 50 / m_Chara.m_nMaxHP; m_GaugeHP.m_dChange = static_cast<double>(delta) * 50 / m_Chara.m_nMaxHP; m_GaugeHP.m_dStep = m_GaugeHP.m_dChange / 60; }  // pending
void cCharaBase::StartSPGauge(int delta) { if (delta == 0 || m_Chara.m_nMaxSP <= 0) return; m_GaugeSP.m_nTimer = 120; m_GaugeSP.m_nLength = m_nSP * 50 / m_Chara.m_nMaxSP; m_GaugeSP.m_dChange = static_cast<double>(delta) * 50 / m_Chara.m_nMaxSP; m_GaugeSP.m_dStep = m_GaugeSP.m_dChange / 60; }  // pending
void DrawGraphicCell(DDSURFACEDATA*, int, int, int, int, int) {}  // pending
int cCharaBase::IsOnSolidCell() const { return (m_pCellBelow && m_pCellBelow->GetCellHitCode(m_nSide) != 0) || m_pRide; }  // pending
int cCharaBase::Draw(DDSURFACEDATA*, int) { return 0; }  // pending
int cCharaBase::DrawDead(DDSURFACEDATA*, int) { return 1; }  // pending
void cCharaBase::RunCharaEffect(int) {}  // pending
void cCharaBase::DrawHPGauge(DDSURFACEDATA*) {}  // pending
void cCharaBase::DrawSPGauge(DDSURFACEDATA*) {}  // pending
