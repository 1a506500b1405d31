// Operations of the game objects that the play scene's collision code calls before the parts of the
// objects that own them are built: each line is replaced by the real operation when it lands.
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/gameobj.h"

void cCharaBase::ClearContacts() { m_bContactLeft = m_bContactRight = m_bContactTop = m_bContactBottom = 0; m_dPushLeft = m_dPushRight = m_dPushTop = m_dPushBottom = 0; }  // pending
void cCharaBase::SetContactLeft(const cCharaBase& p) { m_bContactLeft = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushLeft = p.m_dSpeedX; }  // pending
void cCharaBase::SetContactRight(const cCharaBase& p) { m_bContactRight = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushRight = p.m_dSpeedX; }  // pending
void cCharaBase::SetContactTop(const cCharaBase& p) { m_bContactTop = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushTop = p.m_dSpeedY; }  // pending
void cCharaBase::SetContactBottom(const cCharaBase& p) { m_bContactBottom = 1; if (!g_SystemData.m_bNoPushRecord) m_dPushBottom = p.m_dSpeedY; }  // pending
void cCharaBase::LandOnBlock() { m_dSpeedY = m_dInertiaY = 0; m_bContactBottom = 1; m_dPushBottom = 0; m_bInAir = m_bJumping = m_bJumpEnded = m_bImpacted = 0; m_dY -= TruncToInt(m_dBottom) % 32 + 1; AfterMoveY(); RaiseTrigger(11); RaiseTrigger(15); RaiseTrigger(17); }  // pending
void cCharaBase::HitCeiling() { m_bJumpEnded = m_bJumping = m_bContactTop = m_bCeilingHit = 1; m_dSpeedY = m_dInertiaY = 0; if (!g_SystemData.m_bCeilingKeepsImpact) ClearImpactY(); m_dY += 32 - TruncToInt(m_dY) % 32; AfterMoveY(); RaiseTrigger(11); RaiseTrigger(15); RaiseTrigger(16); }  // pending
void cCharaBase::LeaveRide(int turnBack) { m_pRide = nullptr; if (m_dImpactY == 0) m_dSpeedY = 0; if (turnBack) m_bTurnBack = 1; }  // pending
int cCharaBase::Die() { m_bDead = 1; return 0; }  // pending
void DrawGraphicCell(DDSURFACEDATA*, int, int, int, int, int) {}  // pending
