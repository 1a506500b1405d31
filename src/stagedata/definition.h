// Pieces the block, character and item definitions share.
#pragma once
#include <algorithm>
#include <cstdint>

#include "core/datafile.h"
#include "stagedata/blockdata.h"
#include "stagedata/bytelist.h"

// The start of a definition's tail: its cell, a character's held item, the inherit flags and the
// conditions. 0 when the file is damaged.
template <class T>
int ReadDefinitionTail(T& def, cDataFile& file) {
  if (!file.ReadValue(def.m_sCellX) || !file.ReadValue(def.m_sCellY)) return 0;
  if constexpr (requires { def.m_nHeldItem; }) {
    if (!file.ReadValue(def.m_nHeldItem)) return 0;
  }
  return ReadByteList(def.m_vInherit, file) && ReadRecordVector(def.m_vCond, file) ? 1 : 0;
}

template <class T>
void WriteDefinitionTail(T& def, cDataFile& file) {
  file.WriteValue(def.m_sCellX);
  file.WriteValue(def.m_sCellY);
  if constexpr (requires { def.m_nHeldItem; }) file.WriteValue(def.m_nHeldItem);
  WriteByteList(def.m_vInherit, file);
  WriteRecordVector(def.m_vCond, file);
}

// Files before 219 numbered the shot sheet's graphics from 0: the number moves up by one, to at most
// 119.
template <class T>
void RaiseShotGraphicOfOldFile(T& def) {
  if (g_nFileDataVersion < 219 && def.m_cGraphicKind == GRAPHIC_SHOT)
    def.m_sGraphic = static_cast<int16_t>(std::min(def.m_sGraphic + 1, 119));
}
