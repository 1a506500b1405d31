// The system data of a new game: what a record holds before "data\System.dat" is read, and what
// every member or list that an older file does not store keeps.
#include "gamedata/systemdata.h"

namespace {

constexpr uint8_t kCarryOver[25] = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0};

struct cItemDefault {
  int32_t bShow, bIcon, nDigits;
  const char* name;
};
constexpr cItemDefault kItems[5] = {
    {1, 1, 4, "スコア"}, {1, 1, 3, "スコア"}, {1, 1, 0, "HP"}, {1, 1, 0, "SP"}, {1, 1, 2, "人"},
};

constexpr const char* kTitleCmd[7] = {"はじめから", "つづきから", "チャレンジ",  "フリー",
                                      "リプレイ",   "オプション", "しゅうりょう"};
constexpr const char* kMapMenuCmd[4] = {"セーブ", "オートセーブ", "もどる", "タイトルへ"};
constexpr const char* kOptionCmd[6] = {"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""};

constexpr const char* kRankRegText[4] = {"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）",
                                         "自動登録（登録名固定）"};

constexpr const char* kText[29] = {
    "ワールド",                                        // 0  stage select
    "ステージ",                                        // 1  menu screens
    "スコア",                                          // 2  world map
    "ハイスコア",                                      // 3  stage select
    "トータルスコア",                                  // 4  stage select, world-map menu
    "スコア",                                          // 5  result panel; ranking table 0
    "残り時間",                                        // 6  result panel; ranking table 1
    "クリア時間",                                      // 7  result panel; ranking table 2
    "残りHP",                                          // 8  result panel; ranking table 3
    "残りSP",                                          // 9  result panel; ranking table 4
    "ステージに挑む",                                  // 10 world-map confirmation (10, 11)
    "やっぱりやめる",                                  // 11
    "セーブする",                                      // 12 save confirmation (12, 13)
    "やっぱりやめる",                                  // 13
    "オートセーブＯＮ",                                // 14 autosave choice (14, 15)
    "オートセーブＯＦＦ",                              // 15
    "保存先が不明です！一度は「セーブ」して下さい！",  // 16 autosave without a save slot
    "タイトルへ戻る",                                  // 17 return-to-title confirmation (17, 18)
    "やっぱりやめる",                                  // 18
    "しゅうりょう",                                    // 19 play scene menu (19 to 22)
    "つづける",                                        // 20
    "リトライ",                                        // 21
    "マップへ戻る",                                    // 22
    "リトライ",                                        // 23 game-over box (23, 24)
    "マップへ戻る",                                    // 24
    "Vキーでジャンルの切り替え",                       // 25 ranking display hint
    "スペースキーでタイトルへ戻る",                    // 26 play screen hints
    "スペースキーで終了",                              // 27
    "F3キーでランキングへ登録",                        // 28 result screen hint
};

template <size_t N>
void SetLabels(cCmdList& list, const char* const (&labels)[N]) {
  list.resize(N);
  for (size_t i = 0; i < N; ++i) list[i].m_strLabel = labels[i];
}

}  // namespace

void cSystemData::SetDefault() {
  Clear();
  m_nScoreExtendStep = 100;
  m_bPlayDrawLayers = 1;
  m_bReplaySave = 1;
  m_bTitleSwitch = 1;
  m_bNewGameSlot = 1;
  m_bRestoreVarsStory = 1;
  m_bRestoreVarsChallenge = 1;
  m_bRestoreVarsFree = 1;
  m_bStoryRetryRule = 1;
  m_bStoryMapRule = 1;
  m_bChallengeRetryRule = 1;
  m_nFont = 60;
  m_nPaletteCycleParam = 16;

  m_vCarryOver.resize(25);
  for (int i = 0; i < 25; ++i) m_vCarryOver.At(i) = kCarryOver[i];
  m_vCarryReset.assign(25, 0);
  m_vCarryReset.At(11) = 1;
  m_vCarryReset.At(12) = 1;

  m_vItem.resize(5);
  for (int i = 0; i < 5; ++i) {
    cSysItem& item = m_vItem.At(i);
    item.m_bShow = kItems[i].bShow;
    item.m_bIcon = kItems[i].bIcon;
    item.m_nDigits = kItems[i].nDigits;
    item.m_strName = kItems[i].name;
  }

  m_vRankSetting.resize(4);
  for (int i = 0; i < 4; ++i) {
    cRankSetting& setting = m_vRankSetting.At(i);
    const uint8_t on = i < 3 ? 1 : 0;
    setting.m_bOn = on;
    setting.m_vShow.assign(5, on);
  }

  SetLabels(m_vTitleCmd, kTitleCmd);
  SetLabels(m_vMapMenuCmd, kMapMenuCmd);
  SetLabels(m_vOptionCmd, kOptionCmd);
  m_vRankRegText.assign(std::begin(kRankRegText), std::end(kRankRegText));

  m_bMapStageLife = 1;
  m_bDeathToMap = 1;
  m_bMapShowLife = 1;
  m_nChallengeNum = 40;
  m_bChallengeAllOpen = 1;
  m_vStartLife.assign({5, 5, 5, 99});
  m_vLifeUnlimited.assign({1, 1, 1, 1});
  m_bMapShow280 = 1;
  m_bMapMenuShow284 = 1;
  m_bSelectShow300 = 1;
  m_bSelectShow304 = 1;

  m_vText.assign(std::begin(kText), std::end(kText));
  m_vSysSound.assign(17, std::string());
  m_vMenuBgm.assign(4, 0);
  m_vMenuBgmContinue.assign(4, 1);

  m_vIniKey.resize(11);
  m_vIniKey.At(0).SetValue("Direct3D", 2);
  m_vIniKey.At(1).SetValue("WindowMode", 0);
  m_vIniKey.At(2).SetValue("Bpp", 0);
  m_vIniKey.At(3).SetValue("VSync", 2);
  m_vIniKey.At(4).SetValue("D3D_FontCache", 0);
  m_vIniKey.At(5).SetValue("DD_FontCache", 1);
  m_vIniKey.At(6).SetValue("DD_VideoStretch", 0);
  m_vIniKey.At(7).SetValue("ShowFps", 1);
  m_vIniKey.At(8).SetText("FreeStage", "");
  m_vIniKey.At(9).SetValue("English", 0);
  m_vIniKey.At(10).SetValue("Midi_DirectMusic", 1);

  m_nDepthD3D = 0;
  m_nDepthDD = 2;
  m_bStartStagePlain = 0;
}
