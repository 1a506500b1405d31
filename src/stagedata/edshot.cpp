#include "stagedata/edshot.h"

#include "stagedata/cmdholder.h"
#include "stagedata/database.h"

cEdShot::cEdShot() { SetDefaults(); }

void cEdShot::SetDefaults() {
  Clear();
  m_bAngleMirrorShot = 1;
  m_bMirrorPosX = 1;
  m_bOwnerFaction = 1;
  m_nScale = 1;
}

void cEdShot::RegisterFields(int version) {
  ClearFields();
  AddField8(&m_nCount);
  AddField8(&m_nFormation);
  AddField16(m_sFormParam, 3);
  if (version >= 671) AddField8(&m_nOrigin);
  AddField8(&m_nShotDir);
  AddField8(&m_bAim);
  if (version >= 767) AddField8(&m_nShotTarget);
  AddField16(&m_sAngleOfs);
  AddField16(&m_sAngleOfsStep);
  if (version >= 158) AddField8(&m_bAngleMirrorShot);
  AddField16(&m_sSpread);
  AddField8(&m_bRotate);
  AddField8(&m_nCopies);
  AddField16(&m_sPosX);
  AddField16(&m_sPosXStep);
  AddField16(&m_sPosY);
  AddField16(&m_sPosYStep);
  AddField8(&m_bMirrorPosX);
  AddField8(&m_bMirrorPosY);
  AddField16(&m_sGraphic);
  AddField8(&m_nZ);
  AddField8(&m_bInvisible);
  AddField8(&m_bOwnerFaction);
  AddField8(&m_nFaction);
  AddField8(&m_nReserved25);
  AddField8(&m_nScale);
  AddField8(&m_nReserved27);
  AddField8(&m_nMoveKind);
  AddField16(m_sMoveParam, 3);
  if (version >= 767) AddField8(&m_nOwnerTarget);
  if (version >= 211) AddField8(&m_bScrollSync);
  AddField16(&m_sSpeed);
  AddField16(&m_sSpeedStep);
  if (version >= 213) {
    AddField8(&m_bAccelShot);
    AddField16(&m_sAccel);
    AddField16(&m_sAccelStep);
  }
  AddField16(&m_sRange);
  AddField8(&m_bRangeOn);
  AddField16(&m_sRangeStep);
  AddField8(&m_bKeepAtRangeEnd);
  AddField8(&m_bLifeOn);
  AddField16(&m_sLife);
  AddField16(&m_sLifeStep);
  AddField8(&m_nBlockPass);
  AddField8(&m_bPierceChara);
  if (version >= 636) AddField8(&m_bPierceBlockChara);
  AddField8(&m_bShotVsShot);
  AddField8(&m_nVanish);
  AddField32(&m_nPower);
  AddField16(&m_sReserved50);
  AddField8(&m_nImpact);
  AddField16(&m_sEffect);
  AddField8(&m_nItemPalette);
  AddField16(&m_sItem);
  AddField8(&m_nBlockMode);
  AddField8(&m_nReserved56);
  if (version >= 197) AddField8(&m_nReserved57);
  AddField8(&m_nSummonPalette);
  AddField16(&m_sSummon);
  AddField8(&m_nSummonFaction);
  AddField8(&m_nReserved61);
  AddField8(&m_bSummonReverse);
  if (version >= 762) {
    AddField8(&m_bReportHit);
    AddField8(&m_nReportKey);
  }
}

int cEdShot::Read(cDataFile& file, size_t effectCount) {
  if (!cDataRecord::Read(file)) return 0;
  if (g_nFileDataVersion < static_cast<uint32_t>(g_nDataVersion)) Upgrade(g_nFileDataVersion);
  Normalize(effectCount);
  return 1;
}

void cEdShot::Upgrade(uint32_t v) {
  if (v < 158) m_bAngleMirrorShot = 0;
  if (v < 197) m_nReserved57 = m_nReserved56;
  // Before the switch existed, the homing kinds (4-7) moved with the auto-scroll.
  if (v < 212) m_bScrollSync = (m_nMoveKind >= 4 && m_nMoveKind <= 7) ? 1 : 0;
  if (v < 213) {
    m_bAccelShot = 0;
    m_sAccel = 0;
    m_sAccelStep = 0;
  }
  if (v < 636) m_bPierceBlockChara = m_bPierceChara;
  if (v < 671) m_nOrigin = 0;
}

int cEdShot::Write(cDataFile& file, size_t effectCount) {
  Normalize(effectCount);
  return cDataRecord::Write(file);
}

void cEdShot::Normalize(size_t effectCount) {
  if (m_nScale <= 0) m_nScale = 1;
  if (m_sEffect < 0 || static_cast<size_t>(m_sEffect) >= effectCount) m_sEffect = 0;
}

double cEdShot::GetLevelOffsetX(int level, int facing) const {
  double ofs = static_cast<double>(level) * m_sPosXStep + m_sPosX;
  return (facing == 1 && m_bMirrorPosX) ? -ofs : ofs;
}

double cEdShot::GetLevelOffsetY(int level, int facing) const {
  double ofs = static_cast<double>(level) * m_sPosYStep + m_sPosY;
  return (facing == 1 && m_bMirrorPosY) ? -ofs : ofs;
}

void CreateEdShot(cEdShotHolder& holder) { holder = std::make_shared<cEdShot>(); }

void AssignEdShotHolder(cEdShotHolder& target, const cEdShotHolder& source) { AssignRecordHolder(target, source); }

int cEdShot::Read(cDataFile& file) { return Read(file, g_Database.m_vEffect.size()); }
int cEdShot::Write(cDataFile& file) { return Write(file, g_Database.m_vEffect.size()); }
