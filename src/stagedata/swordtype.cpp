#include "stagedata/swordtype.h"

#include "stagedata/dbrecord.h"

const char* const g_SwordPlaceLabels[5] = {"前", "後", "上", "下", ""};

void cSwordTypePart::RegisterFields(int version) {
  ClearFields();
  AddField32(&m_nOfsX);
  AddField32(&m_nOfsY);
  // Older parts keep the default mirroring.
  if (version >= 138) {
    AddField32(&m_bMirrorX);
    AddField32(&m_bMirrorY);
  }
  AddField32(&m_nPlace);
  AddField32(&m_nSrcX);
  AddField32(&m_nSrcY);
  AddField32(&m_nWidth);
  AddField32(&m_nHeight);
  AddField32(&m_nDuration);
}

cSwordTypeData::cSwordTypeData() { Reset(); }

void cSwordTypeData::Reset() {
  Clear();
  m_vPart.assign(1, cSwordTypePart());
}

void cSwordTypeData::RegisterFields(int version) {
  ClearFields();
  if (version >= 151) AddField32(&m_nAux);
  AddString(&m_strName);
  AddString(&m_strFileLeft);
  AddString(&m_strFileRight);
}

int cSwordTypeData::Read(cDataFile& file) {
  if (!ReadBodyWithList(*this, m_vPart, file)) return 0;
  ResetAuxOfOldFile(m_nAux);
  return 1;
}

int cSwordTypeData::Write(cDataFile& file) { return WriteBodyWithList(*this, m_vPart, file); }
