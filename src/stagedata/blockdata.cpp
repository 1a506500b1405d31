#include "stagedata/blockdata.h"

#include <algorithm>

#include "stagedata/bytelist.h"
#include "stagedata/palette.h"

void RaiseShotGraphicOfOldFile(int8_t graphicKind, int16_t& graphic) {
  if (g_nFileDataVersion < 219 && graphicKind == GRAPHIC_SHOT)
    graphic = static_cast<int16_t>(std::min(graphic + 1, 119));
}

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
  if (!cDataRecord::Read(file) || !file.ReadValue(m_sCellX) || !file.ReadValue(m_sCellY)) return 0;
  if (!ReadByteList(m_vInherit, file) || !ReadRecordVector(m_vCond, file)) return 0;
  RaiseShotGraphicOfOldFile(m_cGraphicKind, m_sGraphic);
  ApplyInherited();
  CheckPaletteRef();
  return 1;
}

int cBlockData::Write(cDataFile& file) {
  CheckPaletteRef();
  cDataRecord::Write(file);
  file.WriteValue(m_sCellX);
  file.WriteValue(m_sCellY);
  WriteByteList(m_vInherit, file);
  WriteRecordVector(m_vCond, file);
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
