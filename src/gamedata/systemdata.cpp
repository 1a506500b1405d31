#include "gamedata/systemdata.h"

#include <algorithm>
#include <climits>

#include "stagedata/database.h"

cSystemData g_SystemData;

namespace {

// Entries of the database's music list, against which stored music numbers are checked.
int MusicListSize() { return g_Database.m_vBgm.Size(); }

// A string list: u32 count, then each string.
int ReadTextList(cCheckedVector<std::string>& list, cDataFile& f) {
  uint32_t n;
  if (!f.ReadCount(n, 4)) return 0;
  list.assign(n, std::string());
  for (auto& s : list)
    if (!f.ReadString(s)) return 0;
  return 1;
}

void WriteTextList(cCheckedVector<std::string>& list, cDataFile& f) {
  f.WriteValue(static_cast<uint32_t>(list.size()));
  for (auto& s : list) f.WriteString(s);
}

}  // namespace

void ShiftByteListUp(cCheckedVector<uint8_t>& list, int k) { ShiftListUp(list, k); }
void ShiftTextListUp(cCheckedVector<std::string>& list, int k) { ShiftListUp(list, k); }
void ShiftIniKeyListUp(cSysIniKeyList& list, int k) { ShiftListUp(list, k); }

// ---- cSysItem ----

cSysItem::cSysItem() {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cSysItem::RegisterFields(int version) {
  ClearFields();
  AddField32(&m_bShow);
  AddField32(&m_bIcon);
  AddField32(&m_nDigits);
  if (version >= 204) AddField32(&m_bShowValue);
  if (version >= 587) {
    AddField32(&m_nPinch);
    AddField32(&m_bPinchPercent);
  }
  AddString(&m_strName);
}

int cSysItem::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  if (g_nFileDataVersion < 204) m_bShowValue = 1;
  return 1;
}

// ---- cRankSetting ----

cRankSetting::cRankSetting() : m_vShow(5, 0) {
  RegisterFields(g_nDataVersion);
  Clear();
}

void cRankSetting::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_bOn);
}

int cRankSetting::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  return ReadValueVectorKeptWhenEmpty(m_vShow, file);
}

int cRankSetting::Write(cDataFile& file) {
  cDataRecord::Write(file);
  WriteValueVector(m_vShow, file);
  return file.Failed() ? 0 : 1;
}

// ---- cSystemData ----

cSystemData::cSystemData() {
  RegisterFields(g_nDataVersion);
  SetDefault();
}

void cSystemData::RegisterFields(int v) {
  ClearFields();
  const auto add = [&](int32_t& member, int from) {
    if (v >= from) AddField32(&member);
  };
  add(m_bScoreExtend, 185);
  add(m_nScoreExtendStep, 0);
  add(m_bSpacePause, 838);
  add(m_bPlayDrawLayers, 0);
  add(m_bMenuFontSwitch, 0);
  add(m_nFont, 205);
  add(m_bPlainBrackets, 170);
  add(m_bKeepTestFlows, 113);
  add(m_bNoLayerDraw, 855);
  add(m_bReplaySave, 184);
  add(m_bTitleSwitch, 157);
  add(m_bNewGameSlot, 821);
  add(m_bMapStageLife, 0);
  add(m_bDeathToMap, 191);
  add(m_bMapShowLife, 191);
  add(m_nChallengeNum, 0);
  add(m_bChallengeAllOpen, 0);
  add(m_bMapShow280, 167);
  add(m_bMapMenuShow284, 167);
  add(m_bRestoreVarsStory, 188);
  add(m_bStoryRetryRule, 224);
  add(m_bSelectShow300, 167);
  add(m_bSelectShow304, 167);
  add(m_bRestoreVarsChallenge, 188);
  add(m_bChallengeRetryRule, 224);
  add(m_bRestoreVarsFree, 188);
  add(m_bRestoreVarsStartStage, 192);
  add(m_nColourMode, 187);
  if (v >= 187) {
    AddField8(&m_byKeyRed);
    AddField8(&m_byKeyGreen);
    AddField8(&m_byKeyBlue);
  }
  add(m_bAimAddScroll, 214);
  if (v >= 221 && v <= 259) AddField32(&g_nDiscardField);
  add(m_bScaleKeepBox, 261);
  add(m_bCompat272, 272);
  add(m_bInvincibleTint, 287);
  add(m_nPaletteCycleParam, 515);
  add(m_bPaletteCycle, 289);
  add(m_bStoryMapRule, 757);
  add(m_bTriggerFree, 525);
  add(m_bCompat555, 555);
  add(m_bCompat637, 637);
  add(m_bKeySeqLoose, 669);
  add(m_bCompat677, 677);
  add(m_bCompat695, 695);
  add(m_bCompat696, 696);
  add(m_bCompat697, 697);
  add(m_bCompat721, 721);
  add(m_bCompat728, 728);
  add(m_bRangeTrimBottom, 733);
  add(m_bTriggerOnce, 744);
  add(m_bJumpAnyTime, 749);
  add(m_bCompat752, 752);
  add(m_bCompat763A, 763);
  add(m_bCompat763B, 763);
  add(m_bCompat768, 768);
  add(m_bCompat773, 773);
  add(m_bCeilingKeepsImpact, 781);
  add(m_bRangeNoRefresh, 782);
  add(m_bCompat783, 783);
  add(m_bCompat793, 793);
  add(m_bTurnBackKeepSide, 805);
  add(m_bCompat808, 808);
  add(m_bCompat818A, 818);
  add(m_bNoAirLockOnFly, 818);
  add(m_bCompat819, 819);
  add(m_bCompat822, 822);
  add(m_bCompat827, 827);
  add(m_bScaleModeSwitch, 831);
  add(m_bPictureFollow, 833);
  add(m_bCompat837, 837);
  add(m_bCompat839, 839);
  add(m_bImpactYFree, 841);
  add(m_bCompat845A, 845);
  add(m_bJumpInAir, 845);
  add(m_bJumpDamping, 845);
  add(m_bCompat845D, 845);
  add(m_bTriggerMarkFirst, 861);
  add(m_bCompat875, 875);
  add(m_bCompat894, 894);
  add(m_bCompat895, 895);
  add(m_bCompat896, 896);
  add(m_bImpactYLimited, 897);
  add(m_bStopDropsEnded, 904);
  add(m_bNoPushRecord, 912);
  add(m_bCompat913, 913);
  add(m_nDepthD3D, 670);
  add(m_nDepthDD, 670);
  add(m_bStartStagePlain, 880);
  AddString(&m_strTitle);
}

int cSystemData::Read(cDataFile& file) { return Read(file, MusicListSize()); }
int cSystemData::Write(cDataFile& file) { return Write(file, MusicListSize()); }

int cSystemData::Read(cDataFile& f, int bgmCount) {
  const uint32_t v = g_nFileDataVersion;
  if (!cDataRecord::Read(f)) return 0;
  if (m_nChallengeNum > kMaxChallengeStages) {
    f.Fail();
    return 0;
  }
  if (!ReadValueVectorKeptWhenEmpty(m_vCarryOver, f)) return 0;
  if (v > 500 && !ReadValueVectorKeptWhenEmpty(m_vCarryReset, f)) return 0;
  if (!ReadRecordVector(m_vItem, f)) return 0;
  if (!ReadValueVectorKeptWhenEmpty(m_vStartLife, f)) return 0;
  if (v > 190 && !ReadValueVectorKeptWhenEmpty(m_vLifeUnlimited, f)) return 0;
  if (v > 185 && !ReadRecordVector(m_vRankSetting, f)) return 0;
  if (!ReadTextList(m_vText, f) || !ReadTextList(m_vSysSound, f)) return 0;
  if (!ReadValueVectorKeptWhenEmpty(m_vMenuBgm, f)) return 0;
  if (v > 201 && !ReadValueVectorKeptWhenEmpty(m_vMenuBgmContinue, f)) return 0;
  if (!ReadRecordVector(m_vTitleCmd, f) || !ReadRecordVector(m_vMapMenuCmd, f) ||
      !ReadRecordVector(m_vOptionCmd, f))
    return 0;
  if (v > 673 && !ReadTextList(m_vRankRegText, f)) return 0;
  if (!ReadRecordVector(m_vIniKey, f)) return 0;
  Upgrade(static_cast<int>(v));
  ClampListIndices(bgmCount);
  return 1;
}

int cSystemData::Write(cDataFile& f, int bgmCount) {
  ClampListIndices(bgmCount);
  cDataRecord::Write(f);
  WriteValueVector(m_vCarryOver, f);
  WriteValueVector(m_vCarryReset, f);
  WriteRecordVector(m_vItem, f);
  WriteValueVector(m_vStartLife, f);
  WriteValueVector(m_vLifeUnlimited, f);
  WriteRecordVector(m_vRankSetting, f);
  WriteTextList(m_vText, f);
  WriteTextList(m_vSysSound, f);
  WriteValueVector(m_vMenuBgm, f);
  WriteValueVector(m_vMenuBgmContinue, f);
  WriteRecordVector(m_vTitleCmd, f);
  WriteRecordVector(m_vMapMenuCmd, f);
  WriteRecordVector(m_vOptionCmd, f);
  WriteTextList(m_vRankRegText, f);
  WriteRecordVector(m_vIniKey, f);
  return f.Failed() ? 0 : 1;
}

void cSystemData::ClampListIndices(int bgmCount) {
  for (auto& bgm : m_vMenuBgm)
    if (static_cast<uint32_t>(bgm) >= static_cast<uint32_t>(bgmCount)) bgm = 0;
}

int cSystemData::GetRankTableNum(int gameType) const {
  const cRankSetting& setting = m_vRankSetting.At(gameType);
  if (!setting.m_bOn) return 0;
  return static_cast<int>(
      std::count_if(setting.m_vShow.begin(), setting.m_vShow.end(), [](uint8_t b) { return b != 0; }));
}

int cSystemData::IsUnderThreshold(int item, int value, int maxValue) const {
  const cSysItem& it = m_vItem.At(item);
  if (!it.m_bPinchPercent) return it.m_nPinch >= value ? 1 : 0;
  // A gauge without a maximum has no share to compare.
  if (maxValue == 0) return 0;
  return it.m_nPinch >= value * 100.0 / maxValue ? 1 : 0;
}
