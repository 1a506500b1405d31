#include "stagedata/itemdata.h"

#include "stagedata/database.h"
#include "stagedata/definition.h"
#include "stagedata/listindex.h"
#include "stagedata/palette.h"

cItemData::cItemData() { SetDefault(); }

void cItemData::SetDefault() {
  Clear();
  m_cGraphicKind = GRAPHIC_ITEM;
  m_cLayer = 6;
  m_bPopup = 1;
  m_cScale = 1;
  m_sCellX = 0;
  m_sCellY = 0;
  m_vInherit.assign(kInheritGroups, 0);
  m_vCond.clear();
  m_vCmd.clear();
}

void cItemData::RegisterFields(int /*version*/) {
  ClearFields();
  AddField8(&m_cPalKind);
  AddField16(&m_sPalIndex);
  AddString(&m_strName);
  AddField8(&m_cCondLogic);
  AddField8(&m_bCondLatch);
  AddField16(&m_sValueA);
  AddField16(&m_sValueB);
  AddField16(&m_sGraphic);
  AddField8(&m_cGraphicKind);
  AddField16(&m_sGraphicSub);
  AddField8(&m_cLayer);
  AddField8(&m_bHidden);
  AddField8(&m_cOverlay);
  AddField16(&m_sOverlay);
  AddField8(&m_bPopup);
  AddField8(&m_cTakeMode);
  AddField8(&m_cScale);
  AddField16(&m_sSound);
}

int cItemData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file) || !ReadDefinitionTail(*this, file) || !ReadCmdVector(m_vCmd, file)) return 0;
  RaiseShotGraphicOfOldFile(*this);
  ApplyInherited();
  Validate();
  return 1;
}

int cItemData::Write(cDataFile& file) {
  Validate();
  cDataRecord::Write(file);
  WriteDefinitionTail(*this, file);
  WriteRecordVector(m_vCmd, file);
  return file.Failed() ? 0 : 1;
}

void cItemData::Validate() {
  RepairPaletteRef<cItemData>(m_cPalKind, m_sPalIndex);
  if (m_cScale < 1) m_cScale = 1;
  if (!InList(m_sSound, g_Database.m_vSound.size())) m_sSound = 0;
  for (cFlowCmd& cmd : m_vCmd) cmd.Normalize();
}

void cItemData::FixCommands() {
  const cPaletteSizes common = CommonPalette().Sizes();
  const cPaletteSizes stage = StagePalette().Sizes();
  for (cFlowCmd& cmd : m_vCmd) cmd.NormalizeRefs(common, stage);
}

const cItemData* GetPaletteItemData(int8_t kind, int16_t index) { return PaletteEntry<cItemData>(kind, index); }
