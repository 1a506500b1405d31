#include "gamedata/savedata.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "core/log.h"
#include "core/membercopy.h"
#include "core/text.h"
#include "gamedata/datapath.h"
#include "gamedata/ranking.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "stagedata/charadata.h"
#include "stagedata/stagedata.h"

cSaveData g_SaveData;
cSaveData g_ReplaySaveData;
cSaveData g_PrevReplaySaveData;

cSaveData::cSaveData() {
  RegisterFields(g_nDataVersion);
  Reset(0);
}

void cSaveData::RegisterFields(int v) {
  ClearFields();
  const auto add = [&](int32_t& member, int from) {
    if (v >= from) AddField32(&member);
  };
  add(m_bCarryOver, 0);
  add(m_nMapX, 0);
  add(m_nMapY, 0);
  add(m_nEnteredNode, 0);
  add(m_nLap, 0);
  add(m_bVarSet, 758);
  add(m_nVarIndex, 758);
  add(m_nVarValue, 758);
  add(m_nStageNo, 0);
  add(m_nPart, 0);
  add(m_nStartLife, 0);
  add(m_nLife, 0);
  add(m_nScore, 0);
  add(m_nTotalScore, 0);
  add(m_nBestTotal, 0);
  add(m_nTotalTimeLeft, 0);
  add(m_nTotalPlayTime, 0);
  add(m_nTotalHP, 182);
  add(m_nTotalSP, 182);
  add(m_bMultiPart, 0);
  add(m_nStageBgm, 0);
  add(m_bStageBgmLoop, 166);
  add(m_nMapDir, 194);
  add(m_bMapReturn, 190);
  add(m_nMapPrevX, 191);
  add(m_nMapPrevY, 191);
  add(m_nChallengeOpen, 0);
  add(m_nSlot, 0);
  add(m_bAutoSave, 169);
  add(m_bRankShow, 0);
  add(m_nRankTable, 0);
  add(m_bNextStart, 678);
  add(m_nNextStartX, 678);
  add(m_nNextStartY, 678);
  add(m_nNextStartDir, 679);
  AddString(&m_strStage);
  if (v >= 724) AddString(&m_strStageKey);
  AddString(&m_strName);
}

void cSaveData::Reset(int challengeCount) {
  Clear();
  m_vCarrySwitch.assign(kCarryGroupCount, 0);
  m_vCharaSave.assign(1, cCharaSaveData());
  m_vFlag.assign(kStageFlagCount, 0);
  m_vFlag.At(0) = 1;
  m_vCommonVar.assign(kCommonVarCount, 0);
  m_vStageBest.clear();
  m_vChallenge.assign(static_cast<size_t>(std::max(challengeCount, 0)), cIntPairRec());
  m_nChallengeOpen = 1;
  m_nSlot = -1;
  m_strName = "aaa";
}

namespace {

// A list that indexes need to reach: grown with zeros, never shortened.
void GrowTo(cCheckedVector<int32_t>& list, int size) {
  if (list.Size() < size) list.resize(static_cast<size_t>(size), 0);
}

}  // namespace

int cSaveData::Read(cDataFile& f) {
  const uint32_t v = g_nFileDataVersion;
  if (!cDataRecord::Read(f) || !f.ReadValue(m_SaveTime)) return 0;
  if (v > 500 && !ReadValueVectorKeptWhenEmpty(m_vCarrySwitch, f)) return 0;
  if (!ReadRecordVector(m_vCharaSave, f) || !ReadRecordVector(m_vStageBest, f) ||
      !ReadRecordVector(m_vChallenge, f))
    return 0;
  if (!ReadValueVectorKeptWhenEmpty(m_vFlag, f) || !ReadValueVectorKeptWhenEmpty(m_vCommonVar, f)) return 0;

  if (v < 166) m_bStageBgmLoop = 1;
  if (v < 169) m_bAutoSave = 0;
  if (v < 182) m_nTotalHP = m_nTotalSP = 0;
  if (v < 190) m_bMapReturn = 0;
  if (v < 191) m_nMapPrevX = m_nMapPrevY = 0;
  if (v < 194) m_nMapDir = 0;
  if (v <= 500) m_vCarrySwitch.assign(kCarryGroupCount, 1);
  // Variable numbers reach 1000 whatever the file's version, so no variable a file holds is dropped
  // and a short list grows to the full count.
  GrowTo(m_vCommonVar, kCommonVarCount);
  if (v < 754) m_vCommonVarBackup.assign(m_vCommonVar.size(), 0);
  if (v < 804) m_vFlag.At(0) = 1;
  // Every carry-over group is looked up, whatever count the file stored.
  GrowTo(m_vCarrySwitch, kCarryGroupCount);
  Normalize();
  return 1;
}

int cSaveData::Write(cDataFile& f) {
  Normalize();
  cDataRecord::Write(f);
  f.WriteValue(m_SaveTime);
  WriteValueVector(m_vCarrySwitch, f);
  WriteRecordVector(m_vCharaSave, f);
  WriteRecordVector(m_vStageBest, f);
  WriteRecordVector(m_vChallenge, f);
  WriteValueVector(m_vFlag, f);
  WriteValueVector(m_vCommonVar, f);
  return f.Failed() ? 0 : 1;
}

void cSaveData::Normalize() {
  // A position off the map, negative ones included, would index outside the map's cells.
  if (m_nMapX < 0 || m_nMapX >= g_WorldMapData.m_nWidth) m_nMapX = g_WorldMapData.m_nStartX;
  if (m_nMapY < 0 || m_nMapY >= g_WorldMapData.m_nHeight) m_nMapY = g_WorldMapData.m_nStartY;
  const int count = std::max(g_SystemData.m_nChallengeNum, 0);
  m_vChallenge.resize(static_cast<size_t>(count), cIntPairRec());
  if (m_nChallengeOpen > count) m_nChallengeOpen = count;
}

// Lives rule after a load: unlimited lives when the game type has them, else a stored unlimited
// count becomes the game type's start lives.
void cSaveData::ApplyLivesRule(int gameType) {
  if (g_SystemData.m_vLifeUnlimited.At(gameType)) {
    m_nStartLife = m_nLife = kUnlimitedLife;
  } else if (m_nLife == kUnlimitedLife) {
    m_nLife = g_SystemData.m_vStartLife.At(gameType);
  }
}

int cSaveData::LoadProgress(const char* path, int gameType) {
  if (!LoadRecordKeepingOnFailure(*this, path)) {
    ReportLog("%s の読み込みに失敗しました！", path);
    return 0;
  }
  ApplyLivesRule(gameType);
  return 1;
}

int cSaveData::SaveProgress(const char* path) {
  if (SaveRecordKeepingNewerFile(*this, path)) return 1;
  ReportLogBox("%s の保存に失敗しました！", path);
  return 0;
}

int cSaveData::SaveStory(int slot) {
  if (slot < 0 || slot >= g_SaveSlotList.Size()) {
    CheckedAccessFailed('V', slot, g_SaveSlotList.Size(), static_cast<int>(sizeof(cSaveSlotEntry)));
    return 0;
  }
  GetLocalTime(&m_SaveTime);
  if (!SaveProgress(GetStoryPath(slot).c_str())) return 0;
  g_SaveSlotList.At(slot).Set(*this);
  return 1;
}

int cSaveData::LoadStory(int slot) { return LoadProgress(GetStoryPath(slot).c_str(), GAMETYPE_STORY); }

int cSaveData::LoadChallenge() { return LoadProgress(g_DataPath[DATAPATH_CHALLENGE], GAMETYPE_CHALLENGE); }

int cSaveData::SaveChallenge() { return SaveProgress(g_DataPath[DATAPATH_CHALLENGE]); }

std::string GetStoryPath(int slot) {
  std::string number;
  FormatNumber(number, slot + 1, 2, 1, 0);
  return StrPrintf("%s%s.dat", g_DataPath[DATAPATH_STORY], number.c_str());
}

void cSaveData::SetStage(const char* stageFile, int varSet, int varIndex, int varValue) {
  m_strStage = stageFile ? stageFile : "";
  m_bVarSet = varSet;
  m_nVarIndex = varIndex;
  m_nVarValue = varValue;
  m_bMultiPart = 0;
  // Neither '-', '1' nor '.' can be the second byte of a two-byte character, so a byte search is safe.
  size_t part = m_strStage.rfind("-1");
  if (part != std::string::npos) {
    m_bMultiPart = 1;
    m_strStage.resize(part);
    m_strStage += '.';
  } else {
    size_t dot = m_strStage.rfind('.');
    if (dot != std::string::npos) m_strStage.resize(dot + 1);
  }
  m_strStageKey = m_strStage;
  if (m_bVarSet) AppendVarKey(m_strStageKey, 1, varIndex, varValue);
}

void AppendVarKey(std::string& name, int varSet, int varIndex, int varValue) {
  if (!varSet) return;
  StrCutAtNul(name);
  const bool dot = !name.empty() && name.back() == '.';
  if (dot) name.pop_back();
  std::string index;
  FormatNumber(index, varIndex, 3, 1, 0);
  StrAppendF(name, "_c%s_%d", index.c_str(), varValue);
  if (dot) name += '.';
}

void cSaveData::SetStageBest(const std::string& stage, const std::string& key, int varSet, int varIndex, int varValue,
                             int value) {
  auto it = std::find_if(m_vStageBest.begin(), m_vStageBest.end(),
                         [&](const cStageBestData& e) { return e.m_strKey == key; });
  if (it == m_vStageBest.end()) {
    cStageBestData entry;
    entry.Set(value, stage, key, varSet, varIndex, varValue);
    m_vStageBest.push_back(entry);
    m_nBestTotal += value;
  } else if (it->m_nBest < value) {
    m_nBestTotal += value - it->m_nBest;
    it->m_nBest = value;
  }
}

int cSaveData::GetStageBest(const std::string& key) const {
  for (const cStageBestData& e : m_vStageBest)
    if (e.m_strKey == key) return e.m_nBest;
  return 0;
}

void cSaveData::UpdateTotal() {
  m_nBestTotal = 0;
  for (const cStageBestData& e : m_vStageBest)
    if (g_WorldMapData.IsStageOnMap(e.m_strStage, e.m_bVarSet, e.m_nVarIndex, e.m_nVarValue)) m_nBestTotal += e.m_nBest;
}

namespace {

// The result counters in ranking order.
constexpr int32_t cSaveData::*kResultCounters[] = {&cSaveData::m_nTotalScore, &cSaveData::m_nTotalTimeLeft,
                                                   &cSaveData::m_nTotalPlayTime, &cSaveData::m_nTotalHP,
                                                   &cSaveData::m_nTotalSP};
static_assert(std::size(kResultCounters) == std::extent_v<decltype(cSaveData::m_nResultBackup)>);

}  // namespace

void cSaveData::SnapshotVars() {
  m_vCommonVarBackup = m_vCommonVar;
  m_nLifeBackup = m_nLife;
  for (size_t i = 0; i < std::size(kResultCounters); ++i) m_nResultBackup[i] = this->*kResultCounters[i];
}

void cSaveData::ClearResultCounters() {
  for (int32_t cSaveData::*counter : kResultCounters) this->*counter = 0;
}

int cSaveData::RestoreVars(int force, int gameType, int startStagePlay) {
  if (force) {
    m_vCommonVar = m_vCommonVarBackup;
    m_nLife = m_nLifeBackup;
  } else {
    int restore = 1;
    if (startStagePlay) restore = g_SystemData.m_bRestoreVarsStartStage;
    else if (gameType == GAMETYPE_STORY) restore = g_SystemData.m_bRestoreVarsStory;
    else if (gameType == GAMETYPE_CHALLENGE) restore = g_SystemData.m_bRestoreVarsChallenge;
    else if (gameType == GAMETYPE_FREE) restore = g_SystemData.m_bRestoreVarsFree;
    if (restore) m_vCommonVar = m_vCommonVarBackup;
  }
  for (size_t i = 0; i < std::size(kResultCounters); ++i) this->*kResultCounters[i] = m_nResultBackup[i];
  return m_nTotalScore;
}

namespace {

// The members of each carry-over group in the definition; the groups whose values do not live in the
// definition (hit and skill points, time left, lives, music) copy nothing.
using C = cCharaData;
constexpr cGroupCopy<C> kCarryGroups[] = {
    CopyMembers<C, &C::m_cGraphicKind, &C::m_sGraphic, &C::m_sGraphicSub>,
    CopyMembers<C, &C::m_sAnimeSet>,
    CopyMembers<C, &C::m_cLayer>,
    CopyMembers<C, &C::m_bHiddenStatus>,
    CopyMembers<C, &C::m_sStartEffect, &C::m_cStartEffectType, &C::m_bStartEffectLoop>,
    CopyMembers<C, &C::m_bFacingLock>,
    CopyMembers<C, &C::m_cMoveMode>,
    CopyMembers<C, &C::m_cInvincible>,
    CopyMembers<C, &C::m_cScale>,
    CopyMembers<C, &C::m_bScrollSync>,
    CopyMembers<C, &C::m_cSightMode, &C::m_cSight>,
    CopyMembers<C>,
    CopyMembers<C>,
    CopyMembers<C, &C::m_nMaxHP>,
    CopyMembers<C, &C::m_nMaxSP>,
    CopyMembers<C, &C::m_cBoxChoice>,
    CopyMembers<C, &C::m_nPower>,
    CopyMembers<C, &C::m_cImpact>,
    CopyMembers<C, &C::m_nDefence>,
    CopyMembers<C, &C::m_cImpactResist>,
    CopyMembers<C, &C::m_sFriction>,
    CopyMembers<C, &C::m_vFlow>,
    CopyMembers<C>,
    CopyMembers<C>,
    CopyMembers<C>,
};
static_assert(std::size(kCarryGroups) == kCarryGroupCount);

}  // namespace

void cSaveData::StoreCharaParams(int set, const cCharaData& chara, int hp, int sp, int v4a, int v4b, int v4c,
                                 int timeLeft, int lives, int bgm) {
  m_bCarryOver = 1;
  cCharaSaveData& save = m_vCharaSave.At(set);
  for (int g = 0; g < kCarryGroupCount; ++g) {
    if (!g_SystemData.m_vCarryOver.At(g)) continue;
    kCarryGroups[g](save.m_Chara, chara);
    switch (g) {
      case 4:
        save.m_Chara.m_sStartEffect = static_cast<int16_t>(v4a);
        save.m_Chara.m_cStartEffectType = static_cast<int8_t>(v4b);
        save.m_Chara.m_bStartEffectLoop = static_cast<int8_t>(v4c);
        break;
      case 11: save.m_nHP = hp; break;
      case 12: save.m_nSP = sp; break;
      case 22: save.m_nTimeLeft = timeLeft; break;
      case 23: save.m_nLife = lives; break;
      case 24: save.m_nBgm = bgm; break;
      default: break;
    }
    m_vCarrySwitch.At(g) = 1;
  }
}

void cSaveData::ApplyCharaParams(int set, cCharaData& chara, cStageData& stage) {
  if (!m_bCarryOver) return;
  const cCharaSaveData& save = m_vCharaSave.At(set);
  for (int g = 0; g < kCarryGroupCount; ++g) {
    if (g == 11 || g == 12 || m_vCarrySwitch.At(g) != 1) continue;
    kCarryGroups[g](chara, save.m_Chara);
    switch (g) {
      case 0:
        if (save.m_Chara.m_sGraphic == 0) chara.m_sGraphic = 1;
        break;
      case 22: stage.m_nTimeLimit = save.m_nTimeLeft; break;
      case 23: m_nLife = save.m_nLife; break;
      case 24: stage.m_nBgm = save.m_nBgm; break;
      default: break;
    }
  }
}

void cSaveData::GetCarriedHpSp(int set, int* hp, int* sp) const {
  if (!m_bCarryOver) return;
  const cCharaSaveData& save = m_vCharaSave.At(set);
  if (g_SystemData.m_vCarryOver.At(11) && m_vCarrySwitch.At(11)) *hp = save.m_nHP;
  if (g_SystemData.m_vCarryOver.At(12) && m_vCarrySwitch.At(12)) *sp = save.m_nSP;
}

void cSaveData::ClearCarryOver() {
  for (int g = 0; g < kCarryGroupCount; ++g)
    if (g_SystemData.m_vCarryReset.At(g)) m_vCarrySwitch.At(g) = 0;
}

void cSaveData::NextLap() {
  ++m_nLap;
  m_vFlag.Fill(0);
  m_vFlag.At(0) = 1;
  m_nMapX = g_WorldMapData.m_nStartX;
  m_nMapY = g_WorldMapData.m_nStartY;
}

void cSaveData::MoveRankTableCursor(int gameType, int steps) {
  const cCheckedVector<uint8_t>& show = g_SystemData.m_vRankSetting.At(gameType).m_vShow;
  const auto offered = [&](int t) { return t >= 0 && t < kRankTableCount && t < show.Size() && show[t] != 0; };
  bool any = false;
  for (int t = 0; t < kRankTableCount; ++t) any = any || offered(t);
  if (!any) return;
  const int dir = steps < 0 ? -1 : 1;
  // A table number from a damaged file may lie anywhere in the int range: the step is taken in a
  // wider type, so that it wraps at the ends of that range too.
  const auto step = [&] {
    const int64_t next = int64_t{m_nRankTable} + dir;
    m_nRankTable = next < 0 ? kRankTableCount - 1 : next >= kRankTableCount ? 0 : static_cast<int>(next);
  };

  if (steps == 0) {
    while (!offered(m_nRankTable)) step();
    return;
  }
  for (int64_t n = steps < 0 ? -static_cast<int64_t>(steps) : steps; n > 0; --n) {
    do step();
    while (!offered(m_nRankTable));
  }
}
