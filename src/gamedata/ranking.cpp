#include "gamedata/ranking.h"

#include "core/paths.h"
#include "core/text.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "stagedata/stagedata.h"

cRankingData g_RankingData;

cRankEntry::cRankEntry() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cRankEntry::RegisterFields(int) {
  ClearFields();
  AddField32(&m_bUsed);
  AddString(&m_strName);
  AddField32(&m_nScore);
}

cRankTable::cRankTable() {
  RegisterFields(g_nDataVersion);
  Clear();
  m_vEntry.assign(kRankPlaceCount, cRankEntry());
}

void cRankTable::RegisterFields(int) {
  ClearFields();
  AddField32(&m_bHigherBetter);
}

void cRankTable::FitPlaces() { m_vEntry.resize(kRankPlaceCount, cRankEntry()); }

int cRankTable::Read(cDataFile& file) {
  if (!cDataRecord::Read(file) || !ReadRecordVector(m_vEntry, file)) return 0;
  // Every place is looked up by its number.
  FitPlaces();
  return 1;
}

int cRankTable::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteRecordVector(m_vEntry, file);
  return file.Failed() ? 0 : 1;
}

void cRankTable::Reset() {
  Clear();
  FitPlaces();
}

int cRankTable::GetInsertPos(int value) const {
  for (int i = 0; i < kRankPlaceCount && i < m_vEntry.Size(); ++i) {
    const cRankEntry& e = m_vEntry[i];
    if (!e.m_bUsed || (m_bHigherBetter == 1 && e.m_nScore < value) || (m_bHigherBetter == 0 && e.m_nScore > value))
      return i;
  }
  return -1;
}

void cRankTable::Insert(const std::string& name, int value) {
  const int pos = GetInsertPos(value);
  cRankEntry entry;
  entry.m_bUsed = 1;
  entry.m_strName = name;
  entry.m_nScore = value;
  m_vEntry.insert(pos < 0 ? m_vEntry.end() : m_vEntry.begin() + pos, entry);
  m_vEntry.pop_back();
}

cPanelLayout cRankTable::GetDrawLayout(int x, int y, int table, int cursorRow, int gameType) const {
  cPanelLayout layout;
  layout.m_Window = {x + 1, y + 1, 270, 350};
  const std::string& name = g_SystemData.m_vText.At(table + 5);
  if (g_SystemIni.English == 1)
    layout.m_vText.push_back({x, y, StrPrintf("Ranking     %s", name.c_str()), true});
  else
    layout.m_vText.push_back({x, y, StrPrintf("ランキング    %s", name.c_str())});

  // Numbers end at the column of place 0's digits.
  const int digits0 = m_vEntry.Size() ? CountDigits(m_vEntry[0].m_nScore) : 1;
  for (int i = 0; i < kRankPlaceCount && i < m_vEntry.Size(); ++i) {
    const cRankEntry& e = m_vEntry[i];
    if (!e.m_bUsed) continue;
    const int row = y + 16 * (i + 1);
    layout.m_vText.push_back({x + 16, row, StrPrintf("%d", i + 1)});
    layout.m_vText.push_back({x + 64, row, e.m_strName, true});
    if (table == kRankTablePlayTime) {
      std::string time;
      FormatRankTime(time, e.m_nScore);
      layout.m_vText.push_back({x + 144, row, time});
    } else {
      layout.m_vText.push_back({x + (digits0 - CountDigits(e.m_nScore) + 9) * 16, row, StrPrintf("%d", e.m_nScore)});
    }
  }

  if (g_SystemData.GetRankTableNum(gameType) > 1) {
    const std::string& hint = g_SystemData.m_vText.At(25);
    layout.m_vText.push_back({x + 136 - 8 * SjisCharCount(hint), y + 16 * 20 + 16, hint});
  }
  if (cursorRow != -1) {
    layout.m_bCursor = true;
    layout.m_nCursorX = x;
    layout.m_nCursorY = y + 16 * cursorRow + 16;
  }
  return layout;
}

cRankingData::cRankingData() {
  RegisterFields(g_nDataVersion);
  Clear();
  Reset();
}

void cRankingData::RegisterFields(int) { ClearFields(); }

void cRankingData::Reset() {
  m_vTable.assign(kRankTableCount, cRankTable());
  for (int t = 0; t < kRankTableCount; ++t) m_vTable[t].m_bHigherBetter = t == kRankTablePlayTime ? 0 : 1;
}

int cRankingData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file) || !ReadRecordVector(m_vTable, file)) return 0;
  if (g_nFileDataVersion <= 180) {
    // The HP and SP tables came later.
    m_vTable.resize(kRankTableCount, cRankTable());
    m_vTable[3].m_bHigherBetter = 1;
    m_vTable[4].m_bHigherBetter = 1;
  }
  return 1;
}

int cRankingData::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteRecordVector(m_vTable, file);
  return file.Failed() ? 0 : 1;
}

cPanelLayout cRankingData::GetTableLayout(int x, int y, int table, int cursorRow, int gameType) const {
  return m_vTable.At(table).GetDrawLayout(x, y, table, cursorRow, gameType);
}

int cRankingData::LoadFile(int gameType, const char* stage, int varSet, int varIndex, int varValue) {
  std::string path;
  if (MakeRankingPath(path, gameType, stage, varSet, varIndex, varValue) && Load(path.c_str(), PathOrigin::Data))
    return 1;
  Reset();
  return 0;
}

int cRankingData::SaveFile(int gameType, const char* stage, int varSet, int varIndex, int varValue) {
  std::string path;
  if (!MakeRankingPath(path, gameType, stage, varSet, varIndex, varValue)) return 0;
  return SaveRecordKeepingNewerFile(*this, path.c_str(), PathOrigin::Data);
}

int cRankingData::FindResultPlaces(const cSaveData& save, int gameType, const cStageData& stage,
                                   int places[kRankTableCount]) const {
  const cRankSetting& setting = g_SystemData.m_vRankSetting.At(gameType);
  int any = 0;
  for (int t = 0; t < kRankTableCount; ++t) {
    places[t] = -1;
    const bool offered = setting.m_bOn && t < setting.m_vShow.Size() && setting.m_vShow[t];
    const bool shown = t < stage.m_vResultLine.Size() && stage.m_vResultLine[t];
    if (!offered || !shown) continue;
    places[t] = m_vTable.At(t).GetInsertPos(GetRankValue(save, t));
    if (places[t] >= 0) any = 1;
  }
  return any;
}

int cRankingData::RegisterResult(cSaveData& save, int gameType, const cStageData& stage,
                                 const std::string& enteredName, int places[kRankTableCount]) {
  if (!FindResultPlaces(save, gameType, stage, places)) return 0;
  const int mode = g_OptionData.m_nRankMode;
  std::string name = g_OptionData.m_strRankName;
  if (mode == 0 || mode == 2) {
    name = enteredName;
    save.m_strName = enteredName;
  }
  for (int t = 0; t < kRankTableCount; ++t)
    if (places[t] >= 0) m_vTable.At(t).Insert(name, GetRankValue(save, t));
  return SaveFile(gameType, save.m_strStage.c_str(), save.m_bVarSet, save.m_nVarIndex, save.m_nVarValue);
}

int GetRankValue(const cSaveData& save, int table) {
  switch (table) {
    case 0: return save.m_nTotalScore;
    case 1: return save.m_nTotalTimeLeft;
    case 2: return save.m_nTotalPlayTime;
    case 3: return save.m_nTotalHP;
    case 4: return save.m_nTotalSP;
    default: return 0;
  }
}

int MakeRankingPath(std::string& out, int gameType, const char* stage, int varSet, int varIndex, int varValue) {
  if (gameType < GAMETYPE_STORY || gameType > GAMETYPE_FREE) return 0;
  std::string name = stage ? stage : "";
  if (gameType == GAMETYPE_STORY) AppendVarKey(name, varSet, varIndex, varValue);
  PathStripDir(name);
  out = StrPrintf("%s%s%s", g_DataPath[DATAPATH_RANK_STORY + gameType], name.c_str(), g_FileExt[3]);
  return 1;
}

void FormatRankTime(std::string& out, int hundredths) {
  std::string minutes, seconds, rest;
  FormatNumber(minutes, hundredths / 100 / 60, 2, 1, 0);
  FormatNumber(seconds, hundredths / 100 % 60, 2, 1, 0);
  FormatNumber(rest, hundredths % 100, 2, 1, 0);
  out = StrPrintf("%s:%s.%s", minutes.c_str(), seconds.c_str(), rest.c_str());
}
