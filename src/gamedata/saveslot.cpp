#include "gamedata/saveslot.h"

#include "core/text.h"
#include "gamedata/savedata.h"
#include "gfx/font.h"

cSaveSlotList g_SaveSlotList(kSaveSlotCount);

cCharaSaveData::cCharaSaveData() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cCharaSaveData::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nHP);
  AddField32(&m_nSP);
  AddField32(&m_nTimeLeft);
  AddField32(&m_nLife);
  AddField32(&m_nBgm);
}

int cCharaSaveData::Read(cDataFile& file) { return cDataRecord::Read(file) && m_Chara.Read(file) ? 1 : 0; }

int cCharaSaveData::Write(cDataFile& file) {
  cDataRecord::Write(file);
  m_Chara.Write(file);
  return file.Failed() ? 0 : 1;
}

cStageBestData::cStageBestData() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cStageBestData::RegisterFields(int version) {
  ClearFields();
  AddString(&m_strStage);
  if (version >= 759) {
    AddString(&m_strKey);
    AddField32(&m_bVarSet);
    AddField32(&m_nVarIndex);
    AddField32(&m_nVarValue);
  }
  AddField32(&m_nBest);
}

int cStageBestData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (g_nFileDataVersion < 759) m_strKey = m_strStage;
  return 1;
}

void cStageBestData::Set(int best, const std::string& stage, const std::string& key, int varSet, int varIndex,
                         int varValue) {
  m_nBest = best;
  m_strStage = stage;
  m_strKey = key;
  m_bVarSet = varSet;
  m_nVarIndex = varIndex;
  m_nVarValue = varValue;
}

cIntPairRec::cIntPairRec() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cIntPairRec::RegisterFields(int) {
  ClearFields();
  AddField32(&m_nFirst);
  AddField32(&m_nSecond);
}

cSaveSlotEntry::cSaveSlotEntry() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cSaveSlotEntry::RegisterFields(int) {
  ClearFields();
  AddField32(&m_bUsed);
}

void cSaveSlotEntry::Set(const cSaveData& save) {
  m_bUsed = 1;
  m_Time = save.m_SaveTime;
}

std::string cSaveSlotEntry::GetDateText() const {
  if (!m_bUsed) return "";
  return StrPrintf("%04d/%02d/%02d %02d:%02d\n", m_Time.wYear, m_Time.wMonth, m_Time.wDay, m_Time.wHour,
                   m_Time.wMinute);
}

void LoadSaveSlotList(cSaveSlotList& list) {
  for (int i = 0; i < list.Size(); ++i) {
    cSaveSlotEntry& entry = list.At(i);
    cDataFile* f = DataFileOpenRead(GetStoryPath(i).c_str());
    if (!f) {
      entry.m_bUsed = 0;
      continue;
    }
    // A fresh record for every file, so that a file damaged before its date shows no other slot's.
    cSaveData save;
    save.Read(*f);
    entry.Set(save);
    DataFileClose(f);
  }
}

cPanelLayout GetSaveSlotListLayout(int x, int y, const cSaveSlotList& list, int first, int count) {
  cPanelLayout layout;
  layout.m_Window = {x, y, 320, count * 16};
  for (int i = 0; i + 1 < count; ++i) layout.m_vFill.push_back({{x, y + 16 * i + 15, 320, 1}, 240});
  for (int i = 0; i < count && first + i < list.Size(); ++i) {
    const int row = y + 16 * i;
    layout.m_vText.push_back({x + 16, row, StrPrintf("%d", first + i + 1)});
    const cSaveSlotEntry& entry = list.At(first + i);
    if (entry.m_bUsed) layout.m_vText.push_back({x + 64, row, entry.GetDateText()});
  }
  return layout;
}

void DrawSaveSlotList(DDSURFACEDATA* target, int x, int y, const cSaveSlotList& list, int first, int count) {
  // The list has no cursor of its own: the scene draws the menu cursor beside it.
  DrawPanelLayout(target, GetSaveSlotListLayout(x, y, list, first, count), g_Font[1], nullptr);
}
