#include "stagedata/edmove.h"

#include "stagedata/cmdholder.h"

cEdMove::cEdMove() { SetDefaults(); }

void cEdMove::SetDefaults() {
  Clear();
  m_bAngleMirror = 1;
  m_bAxisX = 1;
  m_bAxisY = 1;
  m_bEndAtTarget = 1;
  m_bMirrorX = 1;
  m_bFollowFacing = 1;
  m_sMoveSpeed = 10;
  m_dTurnFactor = 1.0;
}

void cEdMove::RegisterFields(int version) {
  ClearFields();
  AddField8(&m_nPosMode);
  AddField8(&m_nDir);
  AddField16(&m_sAngle);
  AddField16(&m_sAngleStep);
  if (version >= 158) AddField8(&m_bAngleMirror);
  AddField8(&m_bAxisX);
  AddField8(&m_bAxisY);
  AddField16(&m_sTargetX);
  AddField16(&m_sTargetY);
  AddField16(&m_sTargetDotX);
  AddField16(&m_sTargetDotY);
  AddField8(&m_nCoordMode);
  if (version >= 891) AddField8(&m_nUnit);
  if (version >= 892) AddField8(&m_nRefPoint);
  AddField8(&m_bEndAtTarget);
  AddField8(&m_bLockX);
  AddField8(&m_bLockY);
  AddField8(&m_bMirrorX);
  AddField8(&m_bMirrorY);
  AddField8(&m_bFollowFacing);
  AddField8(&m_bSnap);
  if (version >= 162) AddField8(&m_bKeepFacing);
  AddField8(&m_nSpeedMode);
  AddField16(&m_sMoveSpeed);
  AddField16(&m_sMoveSpeedStep);
  AddField16(&m_sDist);
  AddField16(&m_sDistStep);
  if (version >= 159) AddField8(&m_nDistUnit);
  AddField16(&m_sHomingLag);
  AddField16(&m_sHomingLagStep);
  AddField8(&m_bAccel);
  AddField16(&m_sMaxSpeed);
  AddField64(&m_dTurnFactor);
  if (version >= 162) AddField8(&m_nAnimMode);
  if (version >= 767) AddField8(&m_nTargetSlot);
}

int cEdMove::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  const uint32_t v = g_nFileDataVersion;
  if (v >= static_cast<uint32_t>(g_nDataVersion)) return 1;
  if (v < 158) m_bAngleMirror = 0;
  if (v < 159) m_nDistUnit = 0;
  if (v < 162) {
    m_bKeepFacing = 0;
    m_nAnimMode = 0;
  }
  // Older files gave the command's own animation the value 1.
  if (v < 830 && m_nAnimMode == 1) m_nAnimMode = 2;
  return 1;
}

void CreateEdMove(cEdMoveHolder& holder) { holder = std::make_shared<cEdMove>(); }

void AssignEdMoveHolder(cEdMoveHolder& target, const cEdMoveHolder& source) { AssignRecordHolder(target, source); }
