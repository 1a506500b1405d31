#include "stagedata/media.h"

#include <algorithm>
#include <climits>

#include "stagedata/dbrecord.h"

void cDbFileData::RegisterFields(int version) {
  ClearFields();
  if (version >= 151) AddField32(&m_nAux);
  AddString(&m_strName);
  AddString(&m_strFile);
}

int cDbFileData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  ResetAuxOfOldFile(m_nAux);
  return 1;
}

void cBgmData::RegisterFields(int version) {
  cDbFileData::RegisterFields(version);
  if (version >= 814) AddField32(&m_nVolume);
}

void cBmpCharaExcData::RegisterFields(int version) {
  ClearFields();
  if (version >= 152) AddField32(&m_nAux);
  if (version >= 172) {
    AddField32(&m_bLargeCells);
    AddField32(&m_nCellSize);
  }
  AddString(&m_strName);
  AddString(&m_strFile);
}

int cBmpCharaExcData::GetCellEdge() const {
  if (!m_bLargeCells) return 32;
  return static_cast<int>(std::clamp<int64_t>(int64_t{m_nCellSize} * 32, INT_MIN, INT_MAX));
}
