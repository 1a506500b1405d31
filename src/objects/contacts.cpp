// What an object records and does when the play scene's collision code finds it against blocks or
// block characters: the contact record with the pushes, landing, ceilings, rides, crushes and the
// position that undoes a move.
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "stagedata/mapcell.h"

namespace {
constexpr double kPushEpsilon = 1e-8;

// Pushes squeeze when the near side pushes inward at least as hard as the far side pushes back.
int IsSqueezed(int contactNear, int contactFar, double pushNear, double pushFar) {
  if (!contactNear || !contactFar) return 0;
  if (!(pushNear > kPushEpsilon || pushFar < -kPushEpsilon)) return 0;
  return pushNear >= pushFar ? 1 : 0;
}
}  // namespace

void cCharaBase::ClearContacts() {
  m_bContactLeft = m_bContactRight = m_bContactTop = m_bContactBottom = 0;
  m_dPushLeft = m_dPushRight = m_dPushTop = m_dPushBottom = 0;
}

void cCharaBase::SavePrevPos() { m_PrevPos = {m_dX, m_dY, m_dRight, m_dBottom}; }

void cCharaBase::RestorePrevPos() {
  m_dX = m_PrevPos.m_dLeft;
  m_dY = m_PrevPos.m_dTop;
  m_dRight = m_PrevPos.m_dRight;
  m_dBottom = m_PrevPos.m_dBottom;
}

void cCharaBase::SetContactLeft(const cCharaBase& pusher) {
  m_bContactLeft = 1;
  if (!g_SystemData.m_bNoPushRecord) m_dPushLeft = pusher.m_dSpeedX;
}

void cCharaBase::SetContactRight(const cCharaBase& pusher) {
  m_bContactRight = 1;
  if (!g_SystemData.m_bNoPushRecord) m_dPushRight = pusher.m_dSpeedX;
}

void cCharaBase::SetContactTop(const cCharaBase& pusher) {
  m_bContactTop = 1;
  if (!g_SystemData.m_bNoPushRecord) m_dPushTop = pusher.m_dSpeedY;
}

void cCharaBase::SetContactBottom(const cCharaBase& pusher) {
  m_bContactBottom = 1;
  if (!g_SystemData.m_bNoPushRecord) m_dPushBottom = pusher.m_dSpeedY;
}

int cCharaBase::IsCrushedX() const { return IsSqueezed(m_bContactLeft, m_bContactRight, m_dPushLeft, m_dPushRight); }

int cCharaBase::IsCrushedY() const { return IsSqueezed(m_bContactTop, m_bContactBottom, m_dPushTop, m_dPushBottom); }

void cCharaBase::LandOnBlock() {
  m_dSpeedY = 0;
  m_dInertiaY = 0;
  m_bContactBottom = 1;
  m_dPushBottom = 0;
  m_bInAir = m_bJumping = m_bJumpEnded = 0;
  m_nJumpHoldFrames = 0;
  m_nNoFloorFrames = 0;  // the run of frames without a floor ends
  m_bImpacted = 0;
  if (m_nOperation == 1) m_bCeilingHit = 0;
  // The bottom edge goes to the last pixel row above the block's cell.
  m_dY -= TruncToInt(m_dBottom) % 32 + 1;
  AfterMoveY();
  RaiseTrigger(FLOW_TRIG_TOUCH_BLOCK);
  RaiseTrigger(FLOW_TRIG_BLOCK_UPDOWN);
  RaiseTrigger(FLOW_TRIG_BLOCK_DOWN);
}

void cCharaBase::HitCeiling() {
  m_bJumpEnded = 1;
  m_bJumping = 1;
  m_bContactTop = 1;
  m_bCeilingHit = 1;
  m_dSpeedY = 0;
  m_dInertiaY = 0;
  if (!g_SystemData.m_bCeilingKeepsImpact) ClearImpactY();
  // The top edge goes to the first pixel row of the next cell.
  m_dY += 32 - TruncToInt(m_dY) % 32;
  AfterMoveY();
  RaiseTrigger(FLOW_TRIG_TOUCH_BLOCK);
  RaiseTrigger(FLOW_TRIG_BLOCK_UPDOWN);
  RaiseTrigger(FLOW_TRIG_BLOCK_UP);
}

void cCharaBase::LeaveRide(int turnBack) {
  m_pRide = nullptr;
  if (m_dImpactY == 0) m_dSpeedY = 0;
  if (turnBack) m_bTurnBack = 1;
}

int cCharaBase::IsOnSolidCell() const {
  if (m_pRide) return 1;
  return m_pCellBelow && m_pCellBelow->GetCellHitCode(m_nSide) != 0 ? 1 : 0;
}
