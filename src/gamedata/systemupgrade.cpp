// The upgrade of system data written by older versions of the editor. After the body of an older
// file was read with the layout of its own version, the steps below run in their order. Each
// applies to the file versions in its range, and each sees the record as the earlier steps left it.
// A step that gives a member a value only ever touches a member the file's version does not store.
#include "gamedata/systemdata.h"

#include <initializer_list>

namespace {

// Inserts value at k in a list kept at its length: the last entry is lost.
template <class T>
void InsertAt(cCheckedVector<T>& list, int k, const T& value) {
  ShiftListUp(list, k);
  list.At(k) = value;
}

void InsertText(cSystemData& d, int k, const char* text) { InsertAt(d.m_vText, k, std::string(text)); }

void InsertCarryOver(cSystemData& d, int k, uint8_t value) {
  d.m_vCarryOver.resize(25);
  InsertAt(d.m_vCarryOver, k, value);
}

cSysIniKey NumericKey(const char* name, int32_t value) {
  cSysIniKey key;
  key.SetValue(name, value);
  return key;
}

void SetAll(std::initializer_list<int32_t*> members, int32_t value) {
  for (int32_t* m : members) *m = value;
}

struct cUpgradeStep {
  int nFrom;  // applies to files of versions nFrom <= v < nBelow
  int nBelow;
  void (*Apply)(cSystemData& d, int v);
};

constexpr int kAny = 0;

constexpr cUpgradeStep kSteps[] = {
    {kAny, 113, [](cSystemData& d, int) { d.m_bKeepTestFlows = 0; }},
    {kAny, 157, [](cSystemData& d, int) { d.m_bTitleSwitch = 0; }},
    {kAny, 167,
     [](cSystemData& d, int) {
       SetAll({&d.m_bMapShow280, &d.m_bMapMenuShow284, &d.m_bSelectShow300, &d.m_bSelectShow304}, 1);
     }},
    {kAny, 168, [](cSystemData& d, int) { InsertCarryOver(d, 16, 1); }},
    {kAny, 169,
     [](cSystemData& d, int) {
       // Autosave: a world-map menu command and its three texts.
       cCmd autosave;
       autosave.m_bEnable = 1;
       autosave.m_strLabel = "オートセーブ";
       d.m_vMapMenuCmd.resize(4);
       InsertAt(d.m_vMapMenuCmd, 1, autosave);
       d.m_vText.resize(29);
       InsertText(d, 12, "保存先が不明です！一度は「セーブ」して下さい！");
       InsertText(d, 12, "オートセーブＯＦＦ");
       InsertText(d, 12, "オートセーブＯＮ");
     }},
    {kAny, 170, [](cSystemData& d, int) { d.m_bPlainBrackets = 0; }},
    {kAny, 181,
     [](cSystemData& d, int) {
       // Ranking tables 3 and 4 (remaining HP and SP) and their titles.
       for (cRankSetting& setting : d.m_vRankSetting) {
         setting.m_vShow.resize(5);
         setting.m_vShow.At(3) = 0;
         setting.m_vShow.At(4) = 0;
       }
       d.m_vText.resize(29);
       InsertText(d, 8, "残りHP");
       InsertText(d, 9, "残りSP");
     }},
    {kAny, 184, [](cSystemData& d, int) { d.m_bReplaySave = 1; }},
    {kAny, 185, [](cSystemData& d, int) { d.m_bScoreExtend = 1; }},
    {kAny, 187,
     [](cSystemData& d, int) {
       d.m_nColourMode = 0;
       d.m_byKeyRed = 0;
       d.m_byKeyGreen = 177;
       d.m_byKeyBlue = 0;
     }},
    {kAny, 188,
     [](cSystemData& d, int) { SetAll({&d.m_bRestoreVarsStory, &d.m_bRestoreVarsChallenge, &d.m_bRestoreVarsFree}, 1); }},
    {kAny, 191,
     [](cSystemData& d, int) {
       d.m_vLifeUnlimited.assign({0, 0, 0, 1});
       d.m_bDeathToMap = 0;
       d.m_bMapShowLife = 0;
     }},
    {kAny, 192, [](cSystemData& d, int) { d.m_bRestoreVarsStartStage = 1; }},
    {kAny, 193,
     [](cSystemData& d, int) {
       // The game-over box: retry or back to the map.
       d.m_vText.resize(29);
       InsertText(d, 22, "リトライ");
       InsertText(d, 23, "マップへ戻る");
     }},
    {kAny, 201, [](cSystemData& d, int) { InsertCarryOver(d, 14, 0); }},
    {kAny, 202, [](cSystemData& d, int) { d.m_vMenuBgmContinue.assign(4, 1); }},
    {kAny, 205, [](cSystemData& d, int) { d.m_nFont = 60; }},
    {kAny, 210, [](cSystemData& d, int) { InsertCarryOver(d, 9, 0); }},
    {kAny, 214, [](cSystemData& d, int) { d.m_bAimAddScroll = 1; }},
    {kAny, 224,
     [](cSystemData& d, int) {
       d.m_bStoryRetryRule = 0;
       d.m_bChallengeRetryRule = 0;
     }},
    {kAny, 261, [](cSystemData& d, int) { d.m_bScaleKeepBox = 1; }},
    {kAny, 272, [](cSystemData& d, int) { d.m_bCompat272 = 0; }},
    {kAny, 286,
     [](cSystemData& d, int) {
       d.m_vIniKey.resize(11);
       InsertAt(d.m_vIniKey, 0, NumericKey("Direct3D", 1));
       // VSync (now key 3) knew no value above 2.
       cSysIniKey& vsync = d.m_vIniKey.At(3);
       if (vsync.m_nValue >= 3) vsync.m_nValue = 2;
     }},
    {kAny, 287, [](cSystemData& d, int) { d.m_bInvincibleTint = 0; }},
    {kAny, 289, [](cSystemData& d, int) { d.m_bPaletteCycle = d.m_nColourMode == 0 ? 1 : 0; }},
    {kAny, 501, [](cSystemData& d, int) { d.m_vCarryReset.assign(25, 0); }},
    {kAny, 515, [](cSystemData& d, int) { d.m_nPaletteCycleParam = 16; }},
    {kAny, 525, [](cSystemData& d, int) { d.m_bTriggerFree = 1; }},
    {kAny, 555, [](cSystemData& d, int) { d.m_bCompat555 = 1; }},
    {kAny, 567,
     [](cSystemData& d, int) {
       d.m_vIniKey.resize(11);
       InsertAt(d.m_vIniKey, 4, NumericKey("DD_VideoStretch", 0));
     }},
    {kAny, 568,
     [](cSystemData& d, int) {
       d.m_vIniKey.resize(11);
       InsertAt(d.m_vIniKey, 4, NumericKey("D3D_FontCache", 0));
       InsertAt(d.m_vIniKey, 5, NumericKey("DD_FontCache", 1));
     }},
    {kAny, 587,
     [](cSystemData& d, int) {
       // The HP and SP gauges look low at a third of their maximum.
       d.m_vItem.resize(5);
       for (int i : {2, 3}) {
         d.m_vItem.At(i).m_nPinch = 33;
         d.m_vItem.At(i).m_bPinchPercent = 1;
       }
     }},
    {kAny, 637, [](cSystemData& d, int v) { d.m_bCompat637 = v < 617 ? 1 : 0; }},
    {kAny, 669, [](cSystemData& d, int) { d.m_bKeySeqLoose = 1; }},
    {kAny, 670,
     [](cSystemData& d, int) {
       d.m_nDepthD3D = 0;
       d.m_nDepthDD = 2;
     }},
    {kAny, 672,
     [](cSystemData& d, int) {
       d.m_vIniKey.resize(11);
       d.m_vIniKey.At(9).SetValue("English", 0);
     }},
    {kAny, 677, [](cSystemData& d, int) { d.m_bCompat677 = 1; }},
    {kAny, 695, [](cSystemData& d, int) { d.m_bCompat695 = 1; }},
    {kAny, 696, [](cSystemData& d, int) { d.m_bCompat696 = 1; }},
    {kAny, 697, [](cSystemData& d, int) { d.m_bCompat697 = 1; }},
    {kAny, 721, [](cSystemData& d, int) { d.m_bCompat721 = 1; }},
    {kAny, 728, [](cSystemData& d, int) { d.m_bCompat728 = 1; }},
    {kAny, 733, [](cSystemData& d, int) { d.m_bRangeTrimBottom = 1; }},
    {kAny, 744, [](cSystemData& d, int) { d.m_bTriggerOnce = 1; }},
    {kAny, 749, [](cSystemData& d, int) { d.m_bJumpAnyTime = 1; }},
    {kAny, 752, [](cSystemData& d, int) { d.m_bCompat752 = 1; }},
    {kAny, 756,
     [](cSystemData& d, int) {
       // The play scene's menu: back to the map.
       d.m_vText.resize(29);
       InsertText(d, 22, "マップへ戻る");
     }},
    {kAny, 757, [](cSystemData& d, int) { d.m_bStoryMapRule = 0; }},
    {kAny, 763, [](cSystemData& d, int) { SetAll({&d.m_bCompat763A, &d.m_bCompat763B}, 1); }},
    {kAny, 768, [](cSystemData& d, int) { d.m_bCompat768 = 1; }},
    {kAny, 773, [](cSystemData& d, int) { d.m_bCompat773 = 1; }},
    {kAny, 781, [](cSystemData& d, int) { d.m_bCeilingKeepsImpact = 1; }},
    {kAny, 782, [](cSystemData& d, int) { d.m_bRangeNoRefresh = 1; }},
    {kAny, 783, [](cSystemData& d, int) { d.m_bCompat783 = 1; }},
    {kAny, 793, [](cSystemData& d, int) { d.m_bCompat793 = 1; }},
    {kAny, 805, [](cSystemData& d, int) { d.m_bTurnBackKeepSide = 1; }},
    {kAny, 808, [](cSystemData& d, int) { d.m_bCompat808 = 1; }},
    {kAny, 818, [](cSystemData& d, int) { SetAll({&d.m_bCompat818A, &d.m_bNoAirLockOnFly}, 1); }},
    {kAny, 819, [](cSystemData& d, int) { d.m_bCompat819 = 1; }},
    {kAny, 821, [](cSystemData& d, int) { d.m_bNewGameSlot = 0; }},
    {kAny, 822, [](cSystemData& d, int) { d.m_bCompat822 = 1; }},
    {kAny, 827, [](cSystemData& d, int) { d.m_bCompat827 = 1; }},
    {kAny, 831, [](cSystemData& d, int) { d.m_bScaleModeSwitch = 1; }},
    {817, 833, [](cSystemData& d, int) { d.m_bPictureFollow = 1; }},
    {kAny, 837, [](cSystemData& d, int) { d.m_bCompat837 = 1; }},
    {kAny, 838, [](cSystemData& d, int) { d.m_bSpacePause = 1; }},
    {kAny, 839, [](cSystemData& d, int) { d.m_bCompat839 = 1; }},
    {kAny, 841, [](cSystemData& d, int) { d.m_bImpactYFree = 1; }},
    {kAny, 842,
     [](cSystemData& d, int) {
       d.m_vIniKey.resize(11);
       d.m_vIniKey.At(10).SetValue("Midi_DirectMusic", 1);
     }},
    {kAny, 845,
     [](cSystemData& d, int v) {
       SetAll({&d.m_bCompat845A, &d.m_bJumpInAir, &d.m_bJumpDamping}, 1);
       d.m_bCompat845D = v >= 656 ? 1 : 0;
     }},
    {kAny, 855, [](cSystemData& d, int) { d.m_bNoLayerDraw = 1; }},
    {kAny, 861, [](cSystemData& d, int) { d.m_bTriggerMarkFirst = 1; }},
    {kAny, 875, [](cSystemData& d, int) { d.m_bCompat875 = 1; }},
    {822, 894, [](cSystemData& d, int) { d.m_bCompat894 = 1; }},
    {kAny, 895, [](cSystemData& d, int) { d.m_bCompat895 = 1; }},
    {890, 896, [](cSystemData& d, int) { d.m_bCompat896 = 1; }},
    {kAny, 897, [](cSystemData& d, int) { d.m_bImpactYLimited = 1; }},
    {kAny, 904, [](cSystemData& d, int) { d.m_bStopDropsEnded = 1; }},
    {kAny, 912, [](cSystemData& d, int) { d.m_bNoPushRecord = 1; }},
    {kAny, 913, [](cSystemData& d, int) { d.m_bCompat913 = 1; }},
};

}  // namespace

void cSystemData::Upgrade(int fileVersion) {
  for (const cUpgradeStep& step : kSteps)
    if (fileVersion >= step.nFrom && fileVersion < step.nBelow) step.Apply(*this, fileVersion);
}
