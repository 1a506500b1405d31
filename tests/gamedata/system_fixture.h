// Data files as older editors stored them.
#pragma once
#include <cstdint>
#include <string>

#include "core/datafile.h"
#include "gamedata/systemdata.h"

// Records write the layout of data version v while it lives.
struct cDataVersionScope {
  int32_t saved = g_nDataVersion;
  explicit cDataVersionScope(int v) { g_nDataVersion = v; }
  ~cDataVersionScope() { g_nDataVersion = saved; }
};

// Saves the record the way an editor of data version v stored it: the raw members and item
// members registered for v, and the lists that version stores, in file order.
inline int SaveAsVersion(cSystemData& d, int v, const char* path) {
  const cDataVersionScope scope(v);
  cDataFile* f = DataFileOpenWrite(path);
  if (!f) return 0;
  const auto writeTexts = [f](cCheckedVector<std::string>& list) {
    f->WriteValue(static_cast<uint32_t>(list.size()));
    for (std::string& s : list) f->WriteString(s);
  };
  d.cDataRecord::Write(*f);
  WriteValueVector(d.m_vCarryOver, *f);
  if (v > 500) WriteValueVector(d.m_vCarryReset, *f);
  WriteRecordVector(d.m_vItem, *f);
  WriteValueVector(d.m_vStartLife, *f);
  if (v > 190) WriteValueVector(d.m_vLifeUnlimited, *f);
  if (v > 185) WriteRecordVector(d.m_vRankSetting, *f);
  writeTexts(d.m_vText);
  writeTexts(d.m_vSysSound);
  WriteValueVector(d.m_vMenuBgm, *f);
  if (v > 201) WriteValueVector(d.m_vMenuBgmContinue, *f);
  WriteRecordVector(d.m_vTitleCmd, *f);
  WriteRecordVector(d.m_vMapMenuCmd, *f);
  WriteRecordVector(d.m_vOptionCmd, *f);
  if (v > 673) writeTexts(d.m_vRankRegText);
  WriteRecordVector(d.m_vIniKey, *f);
  return DataFileClose(f);
}
