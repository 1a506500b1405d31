// Operations of the game objects that other parts call before the part that owns them builds them.
#include "objects/charabase.h"
#include "objects/hero.h"
#include "stagedata/mapcell.h"

int cCharaBase::IsOnSolidCell() const { return (m_pCellBelow && m_pCellBelow->GetCellHitCode(m_nSide) != 0) || m_pRide; }  // pending
void cCharaBase::LeaveRide(int turnBack) { m_pRide = nullptr; if (m_dImpactY == 0) m_dSpeedY = 0; if (turnBack) m_bTurnBack = 1; }  // pending
int cCharaBase::AddHP(int delta, int, int) { m_nHP = m_nHP + delta < 0 ? 0 : m_nHP + delta; return m_nHP == 0; }  // pending
int cCharaBase::Die() { return 0; }  // pending
void DrawGraphicCell(DDSURFACEDATA*, int, int, int, int, int) {}  // pending
void cHero::ShowPopup(int, int, int) {}  // pending
