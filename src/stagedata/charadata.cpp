#include "stagedata/charadata.h"

#include <vector>

#include "stagedata/database.h"
#include "stagedata/definition.h"
#include "stagedata/listindex.h"
#include "stagedata/palette.h"

cCharaData::cCharaData() { SetDefault(); }

void cCharaData::SetDefault() {
  m_nHeldItem = 0;
  Clear();
  m_cGraphicKind = GRAPHIC_CHARA;
  m_cLayer = 3;
  m_bStartEffectLoop = 1;
  m_cOperation = 1;
  m_cSide = 1;
  m_bFacingLock = 1;
  m_cScale = 1;
  m_nMaxHP = 10;
  m_sFriction = 10;
  m_cOption49 = 1;
  m_sCellX = 0;
  m_sCellY = 0;
  m_vInherit.assign(kInheritGroups, 0);
  m_vCond.clear();
  m_vFlow.clear();
}

void cCharaData::RegisterFields(int version) {
  ClearFields();
  AddField8(&m_cPalKind);
  AddField16(&m_sPalIndex);
  AddString(&m_strName);
  AddField8(&m_cCondLogic);
  AddField8(&m_bCondLatch);
  AddField8(&m_cFacing);
  AddField8(&m_cCopies);
  AddField16(&m_sCopyX);
  AddField16(&m_sCopyStepX);
  AddField16(&m_sCopyY);
  AddField16(&m_sCopyStepY);
  AddField8(&m_bCopyMirrorX);
  AddField8(&m_bCopyMirrorY);
  AddField16(&m_sGraphic);
  AddField8(&m_cGraphicKind);
  AddField16(&m_sGraphicSub);
  AddField16(&m_sAnimeSet);
  AddField8(&m_cLayer);
  AddField8(&m_bHiddenStatus);
  AddField16(&m_sStartEffect);
  if (version >= 196) AddField8(&m_cStartEffectType);
  AddField8(&m_bStartEffectLoop);
  AddField16(&m_sDeathEffect);
  if (version >= 196) AddField8(&m_cDeathEffectType);
  AddField8(&m_cMarkShow);
  AddField16(&m_sMark);
  AddField8(&m_cOperation);
  AddField8(&m_cPlayer);
  AddField8(&m_cSide);
  AddField8(&m_cCharaId);
  AddField8(&m_cMoveMode);
  AddField8(&m_bFacingLock);
  AddField8(&m_cInvincible);
  if (version >= 285) AddField8(&m_cInvincibleTint);
  AddField8(&m_bBlockChara);
  AddField8(&m_cScale);
  if (version >= 210) AddField8(&m_bScrollSync);
  AddField8(&m_cSightMode);
  AddField8(&m_cSight);
  AddField32(&m_nMaxHP);
  AddField32(&m_nMaxSP);
  AddField16(&m_sFriction);
  if (version >= 201) AddField8(&m_cBoxChoice);
  AddField32(&m_nPower);
  AddField8(&m_cImpact);
  AddField16(&m_sHitEffect);
  if (version >= 168) AddField32(&m_nDefence);
  AddField8(&m_cImpactResist);
  AddField32(&m_nScore);
  AddField8(&m_cOption49);
  AddField8(&m_bAppearSwitch);
  AddField16(&m_sAppearSwitch);
  AddField8(&m_cViewAxes);
  AddField8(&m_cKeepActive);
}

int cCharaData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file) || !ReadDefinitionTail(*this, file) || !ReadRecordVector(m_vFlow, file)) return 0;
  if (!KeepTestOnlyFlows()) RemoveTestOnlyFlows(m_vFlow);
  if (g_nFileDataVersion < static_cast<uint32_t>(g_nDataVersion)) Upgrade(g_nFileDataVersion);
  ApplyInherited();
  Validate();
  return 1;
}

int cCharaData::Write(cDataFile& file) {
  Validate();
  cDataRecord::Write(file);
  WriteDefinitionTail(*this, file);
  WriteRecordVector(m_vFlow, file);
  return file.Failed() ? 0 : 1;
}

namespace {

// A group added to the list: a set flag goes in at its place, the flags from there on move up one and
// the last is dropped, so that the count stays.
void InsertInheritFlag(cCheckedVector<int8_t>& flags, size_t index) {
  flags.insert(flags.begin() + static_cast<std::ptrdiff_t>(index), 1);
  flags.pop_back();
}

}  // namespace

// Each step sees the record as the steps before it left it.
void cCharaData::Upgrade(uint32_t v) {
  // Files of these versions store 35 or 36 flags; a damaged one may store fewer, and every insertion
  // below needs its place to exist.
  if (v < 210 && m_vInherit.size() < kInheritGroups) m_vInherit.resize(kInheritGroups, 0);
  if (v < 168) {
    m_nDefence = 0;
    m_vInherit.resize(kInheritGroups, 0);
    InsertInheritFlag(m_vInherit, 27);
  }
  if (v < 196) {
    m_cStartEffectType = 0;
    m_cDeathEffectType = 0;
  }
  if (v < 201) {
    m_cBoxChoice = 0;
    InsertInheritFlag(m_vInherit, 24);
  }
  if (v < 206 && m_cBoxChoice > 1) ++m_cBoxChoice;
  if (v < 210) {
    m_bScrollSync = 0;
    InsertInheritFlag(m_vInherit, 21);
  }
  RaiseShotGraphicOfOldFile(*this);
  if (v < 285) m_cInvincibleTint = 1;
}

namespace {

// A flow that can never do anything: no key, no flow ID, the first trigger and nothing in its lists.
bool IsEmptyFlow(const cFlow& f) {
  return f.m_nKey == 0 && f.m_nFlowId == 0 && f.m_nTrigger == 0 && f.m_vCond.empty() && f.m_vKeyCond.empty() &&
         f.m_vCmd.empty();
}

template <class T>
void RepairDatabaseIndex(T& index, size_t count) {
  if (!InList(index, count)) index = 0;
}

}  // namespace

void cCharaData::Validate() {
  RepairPaletteRef<cCharaData>(m_cPalKind, m_sPalIndex);
  const cDatabase& db = g_Database;
  // A dedicated bitmap outside the list falls back to the first real one, or to none when the list
  // has only its blank entry.
  if (m_cGraphicKind == GRAPHIC_OWN_BITMAP && !InList(m_sGraphic, db.m_vBmpCharaExc.size()))
    m_sGraphic = db.m_vBmpCharaExc.size() >= 2 ? 1 : 0;
  if (m_cScale < 1) m_cScale = 1;
  RepairDatabaseIndex(m_sAnimeSet, db.m_vAnimeSet.size());
  RepairDatabaseIndex(m_sStartEffect, db.m_vCharaEffect.size());
  RepairDatabaseIndex(m_sDeathEffect, db.m_vCharaEffect.size());
  RepairDatabaseIndex(m_sHitEffect, db.m_vEffect.size());
  if (m_cOperation == 0) {
    m_bBlockChara = 0;
    m_cCopies = 0;
  }
  for (cFlow& flow : m_vFlow) flow.Normalize();
  std::erase_if(m_vFlow, IsEmptyFlow);
}

void cCharaData::FixFlows() {
  const cPaletteSizes common = CommonPalette().Sizes();
  const cPaletteSizes stage = StagePalette().Sizes();
  for (cFlow& flow : m_vFlow) flow.NormalizeRefs(common, stage);
}

double cCharaData::GetSpawnOffsetX(int i, int facing) const {
  const double offset = static_cast<double>(m_sCopyStepX) * i + m_sCopyX;
  return facing == 1 && m_bCopyMirrorX ? -offset : offset;
}

double cCharaData::GetSpawnOffsetY(int i, int facing) const {
  const double offset = static_cast<double>(m_sCopyStepY) * i + m_sCopyY;
  return facing == 1 && m_bCopyMirrorY ? -offset : offset;
}
