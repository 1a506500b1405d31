#include "stagedata/effect.h"

#include "stagedata/anime.h"
#include "stagedata/database.h"
#include "stagedata/dbrecord.h"

cAnimFrameTable g_EffectFrameTables;

void cEffectPart::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_nValue);
  AddField32(&m_nDuration);
}

cEffectData::cEffectData() { Normalize(); }

void cEffectData::Normalize() {
  Clear();
  m_nFrameW = 32;
  m_nFrameH = 32;
  m_bScaleWithObject = 0;
  m_vPart.assign(1, cEffectPart());
}

void cEffectData::RegisterFields(int version) {
  cDbFileData::RegisterFields(version);
  AddField32(&m_nFrameW);
  AddField32(&m_nFrameH);
  AddField32(&m_bScaleWithObject);
}

int cEffectData::Read(cDataFile& file) {
  if (!ReadBodyWithList(*this, m_vPart, file)) return 0;
  ResetAuxOfOldFile(m_nAux);
  return 1;
}

int cEffectData::Write(cDataFile& file) { return WriteBodyWithList(*this, m_vPart, file); }

void BuildEffectFrameTables(cAnimFrameTable& table) {
  BuildFrameTable(table, g_Database.m_vEffect, &cEffectData::m_vPart);
}
