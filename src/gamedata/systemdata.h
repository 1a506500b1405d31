// The game-wide settings chosen by the game's author ("data\System.dat"): title, menus, texts,
// status items, life and ranking rules, system sounds, menu music, the "System.ini" keys, display
// settings and the switches that keep games made with older data versions behaving as they did.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"
#include "gamedata/cmd.h"
#include "gamedata/systemini.h"

// One status item of the play screen: 0 total score, 1 stage score, 2 HP gauge, 3 SP gauge, 4 lives.
class cSysItem : public cDataRecord {
 public:
  cSysItem();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;

  int32_t m_bShow = 0;
  int32_t m_bIcon = 0;  // a 16-pixel icon instead of the label
  int32_t m_nDigits = 0;
  int32_t m_bShowValue = 0;  // HP and SP: the number follows the gauge (from 204)
  int32_t m_nPinch = 0;      // threshold of the low-value look (from 587)
  int32_t m_bPinchPercent = 0;
  std::string m_strName;
};

// Ranking setting of one game type: recorded at all, and which of the five tables are offered.
class cRankSetting : public cDataRecord {
 public:
  cRankSetting();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  int32_t m_bOn = 0;
  cCheckedVector<uint8_t> m_vShow;
};

// The most challenge stages a game can have. The count sizes a list in every progress and the
// stage-select list, so a file that claims more is damaged rather than a size to allocate.
constexpr int32_t kMaxChallengeStages = 9999;

class cSystemData : public cDataRecord {
 public:
  cSystemData();
  void RegisterFields(int version) override;
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;
  // The same, with the number of entries of the database's music list that bounds the menu music.
  int Read(cDataFile& file, int bgmCount);
  int Write(cDataFile& file, int bgmCount);

  void SetDefault();
  // Brings a record read from a file of an older data version to the current lists and meaning:
  // lists reach the length and order the current code indexes, new commands, texts and keys go
  // where the current layout expects them, and switches keep old games behaving as they did.
  void Upgrade(int fileVersion);
  // Every menu music index not below bgmCount (compared unsigned, so negative ones too) becomes 0.
  void ClampListIndices(int bgmCount);
  // 0 when rankings are off for the game type, else the number of tables it offers.
  int GetRankTableNum(int gameType) const;
  // 1 when the gauge of the item is at or below its pinch threshold.
  int IsUnderThreshold(int item, int value, int maxValue) const;

  // Raw members in file order (RegisterFields gives the data version from which each is stored).
  int32_t m_bScoreExtend = 0;
  int32_t m_nScoreExtendStep = 0;
  int32_t m_bSpacePause = 0;
  int32_t m_bPlayDrawLayers = 0;
  int32_t m_bMenuFontSwitch = 0;
  int32_t m_nFont = 0;  // index into g_FontName
  int32_t m_bPlainBrackets = 0;
  int32_t m_bKeepTestFlows = 0;
  int32_t m_bNoLayerDraw = 0;
  int32_t m_bReplaySave = 0;
  int32_t m_bTitleSwitch = 0;
  int32_t m_bNewGameSlot = 0;
  int32_t m_bMapStageLife = 0;
  int32_t m_bDeathToMap = 0;
  int32_t m_bMapShowLife = 0;
  int32_t m_nChallengeNum = 0;
  int32_t m_bChallengeAllOpen = 0;
  int32_t m_bMapShow280 = 0;
  int32_t m_bMapMenuShow284 = 0;
  int32_t m_bRestoreVarsStory = 0;
  int32_t m_bStoryRetryRule = 0;
  int32_t m_bSelectShow300 = 0;
  int32_t m_bSelectShow304 = 0;
  int32_t m_bRestoreVarsChallenge = 0;
  int32_t m_bChallengeRetryRule = 0;
  int32_t m_bRestoreVarsFree = 0;
  int32_t m_bRestoreVarsStartStage = 0;
  int32_t m_nColourMode = 0;  // 0 palette, 1 full colour
  uint8_t m_byKeyRed = 0;     // the transparent colour
  uint8_t m_byKeyGreen = 0;
  uint8_t m_byKeyBlue = 0;
  int32_t m_bAimAddScroll = 0;  // files of 221 to 259 store one more int32 after it
  int32_t m_bScaleKeepBox = 0;
  int32_t m_bCompat272 = 0;
  int32_t m_bInvincibleTint = 0;
  int32_t m_nPaletteCycleParam = 0;
  int32_t m_bPaletteCycle = 0;
  int32_t m_bStoryMapRule = 0;
  int32_t m_bTriggerFree = 0;
  int32_t m_bCompat555 = 0;
  int32_t m_bCompat637 = 0;
  int32_t m_bKeySeqLoose = 0;
  int32_t m_bCompat677 = 0;
  int32_t m_bCompat695 = 0;
  int32_t m_bCompat696 = 0;
  int32_t m_bCompat697 = 0;
  int32_t m_bCompat721 = 0;
  int32_t m_bCompat728 = 0;
  int32_t m_bRangeTrimBottom = 0;
  int32_t m_bTriggerOnce = 0;
  int32_t m_bJumpAnyTime = 0;
  int32_t m_bCompat752 = 0;
  int32_t m_bCompat763A = 0;
  int32_t m_bCompat763B = 0;
  int32_t m_bCompat768 = 0;
  int32_t m_bCompat773 = 0;
  int32_t m_bCeilingKeepsImpact = 0;
  int32_t m_bRangeNoRefresh = 0;
  int32_t m_bCompat783 = 0;
  int32_t m_bCompat793 = 0;
  int32_t m_bTurnBackKeepSide = 0;
  int32_t m_bCompat808 = 0;
  int32_t m_bCompat818A = 0;
  int32_t m_bNoAirLockOnFly = 0;
  int32_t m_bCompat819 = 0;
  int32_t m_bCompat822 = 0;
  int32_t m_bCompat827 = 0;
  int32_t m_bScaleModeSwitch = 0;
  int32_t m_bPictureFollow = 0;
  int32_t m_bCompat837 = 0;
  int32_t m_bCompat839 = 0;
  int32_t m_bImpactYFree = 0;
  int32_t m_bCompat845A = 0;
  int32_t m_bJumpInAir = 0;
  int32_t m_bJumpDamping = 0;
  int32_t m_bCompat845D = 0;
  int32_t m_bTriggerMarkFirst = 0;
  int32_t m_bCompat875 = 0;
  int32_t m_bCompat894 = 0;
  int32_t m_bCompat895 = 0;
  int32_t m_bCompat896 = 0;
  int32_t m_bImpactYLimited = 0;
  int32_t m_bStopDropsEnded = 0;
  int32_t m_bNoPushRecord = 0;
  int32_t m_bCompat913 = 0;
  int32_t m_nDepthD3D = 0;  // 0 32 bit, 1 16 bit
  int32_t m_nDepthDD = 0;   // 0 32 bit, 1 16 bit, 2 8 bit
  int32_t m_bStartStagePlain = 0;

  std::string m_strTitle;

  // Lists, in file order; a list a file's version does not store keeps its content.
  cCheckedVector<uint8_t> m_vCarryOver;
  cCheckedVector<uint8_t> m_vCarryReset;
  cCheckedVector<cSysItem> m_vItem;
  cCheckedVector<int32_t> m_vStartLife;         // per game type
  cCheckedVector<int32_t> m_vLifeUnlimited;     // per game type
  cCheckedVector<cRankSetting> m_vRankSetting;  // per game type
  cCheckedVector<std::string> m_vText;
  cCheckedVector<std::string> m_vSysSound;
  cCheckedVector<int32_t> m_vMenuBgm;  // 0 title, 1 world map, 2 stage select, 3 options
  cCheckedVector<uint8_t> m_vMenuBgmContinue;
  cCmdList m_vTitleCmd;
  cCmdList m_vMapMenuCmd;
  cCmdList m_vOptionCmd;
  cCheckedVector<std::string> m_vRankRegText;
  cSysIniKeyList m_vIniKey;
};

extern cSystemData g_SystemData;

// Move entries k .. n-2 one place up; the last entry is lost and entry k keeps its value for the
// caller to overwrite.
template <class T>
void ShiftListUp(cCheckedVector<T>& list, int k) {
  for (int i = list.Size() - 1; i > k; --i) list.At(i) = list.At(i - 1);
}
void ShiftByteListUp(cCheckedVector<uint8_t>& list, int k);
void ShiftTextListUp(cCheckedVector<std::string>& list, int k);
void ShiftIniKeyListUp(cSysIniKeyList& list, int k);
