// The end of a cleared stage: the totals and extra lives, the ranking places and the registration
// of a new record, the result panel, and the scene that follows.
#include <algorithm>
#include <string>

#include "core/mainwnd.h"
#include "core/text.h"
#include "gamedata/datapath.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "objects/meswindow.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "platform/time/clock.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/result.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "core/paths.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"
#include "stagedata/stageload.h"

namespace {

constexpr int kMaxLives = 99;

// The ranking tables of a game type that has them; null for a game type without a setting.
bool HasRankSetting(int gameType) { return gameType >= 0 && gameType < g_SystemData.m_vRankSetting.Size(); }

// The action of the world-map node the stage was entered from.
int EnteredNodeAction() {
  const cMapPlace* place = g_WorldMapData.FindPlace(g_SaveData.m_nMapX, g_SaveData.m_nMapY);
  const int node = g_SaveData.m_nEnteredNode;
  if (!place || node < 0 || node >= place->m_vNode.Size()) return MAPCLEAR_NONE;
  return place->m_vNode[node].m_nAfterClear;
}

// The stage's map of bests and clear flags: the stage is cleared and its best recorded.
void RecordStoryClear() {
  cSaveData& save = g_SaveData;
  if (save.m_nStageNo >= 0 && save.m_nStageNo < save.m_vFlag.Size()) save.m_vFlag[save.m_nStageNo] = 1;
  save.SetStageBest(save.m_strStage, save.m_strStageKey, save.m_bVarSet, save.m_nVarIndex, save.m_nVarValue,
                    save.m_nTotalScore);
}

}  // namespace

void cScenePlay::AddStageTotals() {
  cSaveData& save = g_SaveData;
  const int old = save.m_nTotalScore;
  save.m_nTotalScore += save.m_nScore;
  if (!m_bTimeStopped) save.m_nTotalTimeLeft += m_nStageTime;
  save.m_nTotalPlayTime += m_nPlayTime;
  if (const cCharaBase* hero = GetHero()) {
    save.m_nTotalHP += hero->m_nHP;
    save.m_nTotalSP += hero->m_nSP;
  }
  const int step = g_SystemData.m_nScoreExtendStep;
  if (save.m_nLife == kUnlimitedLife || !g_SystemData.m_bScoreExtend || step == 0) return;
  const int gained = save.m_nTotalScore / step - old / step;
  for (int i = 0; i < gained; ++i) {
    // Lives above the most a life can bring are kept as they are.
    if (save.m_nLife < kMaxLives) ++save.m_nLife;
    PlaySystemSound(15);
    // The extra-life mark over the hero for 30 frames, shown by the modal wait and removed after it.
    const cCharaBase* hero = GetHero();
    m_lMesWindow.emplace_back(MESWIN_FIXED_ICON, std::string(), 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 1, MESTIME_BY_TIME, 30,
                              0, hero ? hero->m_nObjNo : 0, 0, 0, 0, 0, 0, 0, 0);
    const cMesWindow* popup = &m_lMesWindow.back();
    SetDisplayWait(&m_Wait, 4, 0, 30, 0);
    RunModalLoop(&cScenePlay::WaitKeyLoop);
    // Removed by identity; a finished mark the wait left for it goes too, as its address may be reused.
    std::erase(m_vFinishedDisplay, static_cast<const void*>(popup));
    for (auto it = m_lMesWindow.begin(); it != m_lMesWindow.end(); ++it) {
      if (&*it == popup) {
        m_lMesWindow.erase(it);
        break;
      }
    }
    if (m_bQuit) {
      PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
      return;
    }
    while (!g_bAppActive && !ShutdownBegun()) Sleep(1);
  }
}

void cScenePlay::FinishStage() {
  PlaySystemSound(14);
  AddStageTotals();
  m_bRankEntered = 0;
  m_bNewRecord = 0;
  m_vRankPos.assign(kRankRows, -1);
  if (!g_bFreeStagePlay && !(cApp::m_bRanking && IsLastStage(m_nNextStage))) return;
  m_vRankValue.assign(kRankRows, 0);
  for (int i = 0; i < kRankRows; ++i) m_vRankValue[i] = GetRankValue(g_SaveData, i);
  if (g_bEditorLaunched || !HasRankSetting(cApp::m_nGameType)) return;
  int places[kRankTableCount];
  m_bNewRecord = g_RankingData.FindResultPlaces(g_SaveData, cApp::m_nGameType, g_StageData, places);
  for (int i = 0; i < kRankRows; ++i) m_vRankPos[i] = places[i];
}

int cScenePlay::MakeNextStagePath(std::string* name, int part) {
  name->clear();
  if (!g_SaveData.m_bMultiPart || m_nNextStage == 0) return 0;
  const char* ext = g_FileExt[1];
  std::string base;
  if (!m_strNextStage.empty()) {
    base = StrPrintf("%s.%s", m_strNextStage.substr(0, m_strNextStage.size() - 1).c_str(), ext);
  } else {
    const std::string& stage = g_SaveData.m_strStage;
    if (stage.empty()) return 0;
    base = StrPrintf("%s-%d.%s", stage.substr(0, stage.size() - 1).c_str(), part, ext);
  }
  return FindLastNumberedFile(*name, base, ext) ? 1 : 0;
}

int cScenePlay::IsLastStage(int part) {
  std::string name;
  return MakeNextStagePath(&name, part) ? 0 : 1;
}

void cScenePlay::EnterRanking() {
  if (!cApp::m_bRanking || !m_bNewRecord || m_bRankEntered || !HasRankSetting(cApp::m_nGameType)) return;
  const std::string last = g_SaveData.m_strName;
  const int mode = g_OptionData.m_nRankMode;
  if (mode == 0 || mode == 2) {
    m_strRankName = last;
    g_bNameEntryDone = 0;
    if (TrySendMessage(g_hMainWnd, WMU_NAMEENTRY, 0, 0, nullptr))
      while (!g_bNameEntryDone && !ShutdownBegun()) Sleep(1);
  } else {
    m_strRankName = g_OptionData.m_strRankName;
  }
  PlaySystemSound(16);
  int places[kRankTableCount];
  g_RankingData.RegisterResult(g_SaveData, cApp::m_nGameType, g_StageData, m_strRankName, places);
  // An empty name leaves the last name for the next entry.
  if (m_strRankName.empty()) g_SaveData.m_strName = last;
  m_bRankEntered = 1;
  RunModalLoop(&cScenePlay::RankingLoop);
}

int cScenePlay::NextSceneAfterClear() {
  cSaveData& save = g_SaveData;
  if (g_StageData.m_bCarryStore) {
    for (int i = 0; i < g_vHero.Size() && i < save.m_vCharaSave.Size(); ++i) {
      const cHero& hero = g_vHero[i];
      const cCharaEffectState& fx = hero.m_CharaEffect;
      save.StoreCharaParams(i, hero.m_Chara, hero.m_nHP, hero.m_nSP, fx.m_nIndex, fx.m_nStartType, fx.m_bLoop,
                            m_nStageTime, save.m_nLife, g_nStageBgm);
    }
  }
  const int savedPart = save.m_nPart;
  // The next part of a stage made of several files, loaded for play.
  auto loadNext = [&] {
    if (!save.m_bMultiPart || m_nNextStage == 0) return false;
    save.m_nPart = m_nNextStage;
    std::string path;
    if (!MakeNextStagePath(&path, m_nNextStage)) return false;
    if (!LoadStageForPlay(path.c_str(), 0, &g_PlayStageData, &g_HeroCharaData)) return false;
    g_lstChara.clear();
    for (auto& list : m_vSideChara) list.clear();
    ClearSideShots(m_vSideShot, m_lShot);
    return true;
  };
  switch (cApp::m_nPlayMode) {
    case 0:
    case 1: {
      if (loadNext()) return 4;
      RecordStoryClear();
      switch (EnteredNodeAction()) {
        case MAPCLEAR_NEXT_LAP:
          save.NextLap();
          save.m_nPart = savedPart;
          return 1;
        case MAPCLEAR_TITLE:
          return 0;
        default:
          save.m_nPart = savedPart;
          return 1;
      }
    }
    case 2: {
      if (loadNext()) return 4;
      const int record = save.m_nStageNo - 1;
      if (!save.m_vChallenge.empty() && record >= 0 && record < save.m_vChallenge.Size()) {
        cIntPairRec& rec = save.m_vChallenge[record];
        rec.m_nFirst = 1;
        if (save.m_nTotalScore > rec.m_nSecond) {
          save.m_nBestTotal += save.m_nTotalScore - rec.m_nSecond;
          rec.m_nSecond = save.m_nTotalScore;
        }
        if (save.m_nChallengeOpen <= save.m_nStageNo)
          save.m_nChallengeOpen = std::min(save.m_nStageNo + 1, g_SystemData.m_nChallengeNum);
      }
      save.SaveChallenge();
      save.m_nPart = savedPart;
      return 3;
    }
    case 3:
      if (!save.m_bMultiPart || g_bFreeStagePlay) {
        save.m_bNextStart = 0;
        return 4;
      }
      if (loadNext()) return 4;
      save.m_nPart = savedPart;
      return 0;
    case 4:
      save.RestoreVars(1, cApp::m_nGameType, g_bFreeStagePlay);
      return 4;
    default:
      return 3;
  }
}

cResultPanel LayoutResultPanel(int x, int y, const cCheckedVector<int32_t>& places) {
  cResultPanel panel;
  const cSaveData& save = g_SaveData;
  const int gameType = cApp::m_nGameType;
  const cRankSetting* setting = HasRankSetting(gameType) ? &g_SystemData.m_vRankSetting[gameType] : nullptr;
  std::vector<int> rows;
  for (int i = 0; i < kRankRows; ++i) {
    const bool staged = i < g_StageData.m_vResultLine.Size() && g_StageData.m_vResultLine[i];
    const bool offered = setting && i < setting->m_vShow.Size() && setting->m_vShow[i];
    if (staged && (g_bFreeStagePlay || offered)) rows.push_back(i);
  }
  if (rows.empty()) return panel;
  std::vector<std::string> labels, values;
  int labelWidth = 1, valueWidth = 1;
  for (int row : rows) {
    const int text = 5 + row;
    labels.push_back(text < g_SystemData.m_vText.Size() ? g_SystemData.m_vText[text] : std::string());
    labelWidth = std::max(labelWidth, SjisCharCount(labels.back()));
    if (row == kRankTablePlayTime) {
      std::string time;
      FormatRankTime(time, save.m_nTotalPlayTime);
      values.push_back(time);
      valueWidth = std::max(valueWidth, 8);
    } else {
      values.push_back(StrPrintf("%d", GetRankValue(save, row)));
      valueWidth = std::max(valueWidth, static_cast<int>(values.back().size()));
    }
  }
  panel.m_bShown = true;
  panel.m_Window = {x, y, (labelWidth + valueWidth + 3) * 16, static_cast<int>(rows.size()) * 16};
  for (size_t r = 0; r < rows.size(); ++r) {
    const int rowY = y + 16 * static_cast<int>(r);
    panel.m_vText.push_back({x + 16, rowY, labels[r], false});
    panel.m_vText.push_back({x + (labelWidth + 1) * 16 + 16, rowY, values[r], false});
  }
  int markY = y;
  for (int i = 0; i < places.Size(); ++i) {
    if (places[i] == -1) continue;
    panel.m_vMarkY.push_back(markY);
    markY += 16;
  }
  return panel;
}

void cScenePlay::DrawResultPanel(DDSURFACEDATA* target, int x, int y, const cCheckedVector<int32_t>& places) {
  const cResultPanel panel = LayoutResultPanel(x, y, places);
  if (!panel.m_bShown) return;
  Font& font = g_Font[1];
  font.DrawWindow(target, panel.m_Window.m_nX, panel.m_Window.m_nY, panel.m_Window.m_nW, panel.m_Window.m_nH);
  for (const cPanelText& t : panel.m_vText) font.Printf(target, t.m_nX, t.m_nY, "%s", t.m_strText.c_str());
  for (int markY : panel.m_vMarkY) DDBlt(target, x, markY, 16, 16, &g_AppSurface[kAccessoryPicture], 16, 48, 1);
}
