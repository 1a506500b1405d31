#include "stagedata/blockdata.h"

#include "stagedata/definition.h"
#include "stagedata/palette.h"

cBlockData::cBlockData() { SetDefault(); }

void cBlockData::SetDefault() {
  Clear();
  m_cHit = 1;
  m_cHitExempt = -1;
  m_sGraphic = 0;
  m_sCellX = 0;
  m_sCellY = 0;
  m_vInherit.assign(kInheritGroups, 0);
  m_vCond.clear();
}

void cBlockData::RegisterFields(int /*version*/) {
  ClearFields();
  AddField8(&m_cPalKind);
  AddField16(&m_sPalIndex);
  AddString(&m_strName);
  AddField8(&m_cCondLogic);
  AddField8(&m_bCondLatch);
  AddField16(&m_sGraphic);
  AddField8(&m_cGraphicKind);
  AddField16(&m_sGraphicSub);
  AddField8(&m_bFront);
  AddField8(&m_bHidden);
  AddField8(&m_cOverlay);
  AddField16(&m_sOverlay);
  AddField8(&m_cHit);
  AddField8(&m_cHitExempt);
  AddField8(&m_cEffect);
  AddField32(&m_nEffectValue);
  AddField8(&m_cItemKind);
  AddField16(&m_sItemIndex);
  AddField8(&m_bLocked);
}

int cBlockData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file) || !ReadDefinitionTail(*this, file)) return 0;
  RaiseShotGraphicOfOldFile(*this);
  ApplyInherited();
  CheckPaletteRef();
  return 1;
}

int cBlockData::Write(cDataFile& file) {
  CheckPaletteRef();
  cDataRecord::Write(file);
  WriteDefinitionTail(*this, file);
  return file.Failed() ? 0 : 1;
}

void cBlockData::CheckPaletteRef() {
  RepairPaletteRef<cBlockData>(m_cPalKind, m_sPalIndex);
  if (m_sGraphic == 0) {
    m_cHit = 0;
    m_bLocked = 0;
  }
}

void cBlockData::CheckItemRef() { RepairPaletteRef<cItemData>(m_cItemKind, m_sItemIndex); }
