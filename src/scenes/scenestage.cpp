#include "scenes/scenestage.h"

#include <algorithm>

#include "core/text.h"
#include "gamedata/datapath.h"
#include "gamedata/panel.h"
#include "gamedata/ranking.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/surface.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/menucursor.h"
#include "scenes/menuscene.h"
#include "scenes/requests.h"
#include "scenes/surfacesets.h"
#include "sound/effects.h"
#include "stagedata/stageload.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kWindowSheet = 46;
constexpr int kMaxRows = 10;
constexpr int kListY = 160;

constexpr uint16_t kAccept = 1;
constexpr uint16_t kCancel = 2;
constexpr uint16_t kRankToggle = 4;
constexpr uint16_t kRankTable = 8;

const std::string& HeadingLabel() {
  static const std::string kEmpty;
  const cCmdList& list = g_SystemData.m_vTitleCmd;
  return list.Size() > 2 ? list.At(2).m_strLabel : kEmpty;
}

}  // namespace

std::string ChallengeStagePath(int n) {
  return StrPrintf("%s%02d-1.%s", g_DataPath[DATAPATH_CHALLENGE_STAGE], n, "stg4");
}

int (cSceneStageSelect::*const cSceneStageSelect::kHandlers[3])() = {
    &cSceneStageSelect::FadeIn, &cSceneStageSelect::StateList, &cSceneStageSelect::FadeOut};

cSceneStageSelect::cSceneStageSelect() { m_nState = -1; }

cSceneStageSelect::~cSceneStageSelect() {
  ReleaseSceneBitmaps({kAccessorySheet, kWindowSheet});
  DDReleaseSurfaceVector(m_vWorkSD);
}

void cSceneStageSelect::Run() {
  ReadMenuInput(15);
  RunStates(*this, kHandlers);
}

void cSceneStageSelect::SelectStage(int n) {
  cSaveData& save = g_SaveData;
  save.SetStage(ChallengeStagePath(n).c_str(), 0, 0, 0);
  if (cApp::m_bRanking)
    g_RankingData.LoadFile(cApp::m_nGameType, save.m_strStage.c_str(), save.m_bVarSet, save.m_nVarIndex,
                           save.m_nVarValue);
}

void cSceneStageSelect::UpdateCounts() {
  m_nStageCount = g_SystemData.m_bChallengeAllOpen ? g_SystemData.m_nChallengeNum : g_SaveData.m_nChallengeOpen;
  m_nStageCount = std::max(m_nStageCount, 0);
  m_nRows = std::clamp(m_nStageCount - m_nScroll, 0, kMaxRows);
}

void cSceneStageSelect::Init() {
  cApp::RequestBGM(g_SystemData.m_vMenuBgm.At(2), g_SystemData.m_vMenuBgmContinue.At(2), 2);
  ReloadSceneBitmaps({kAccessorySheet, kWindowSheet});
  g_MenuCursor.Reset();
  g_MenuCursor.m_pCur->m_nRow = cApp::m_nSelectCursor;
  m_nScroll = cApp::m_nSelectTop;
  SelectStage(cApp::m_nSelectCursor + 1);
  BuildPage();
  m_nSubState = 0;
}

void cSceneStageSelect::BuildPage() {
  DDReleaseSurfaceVector(m_vWorkSD);
  m_vWorkSD.clear();
  m_vWorkBD.clear();
  if (!DDAddSurface(m_vWorkSD, m_vWorkBD, 640, 480, 0, 1, 0, nullptr)) {
    PostClose();
    return;
  }
  DrawPage(&m_vWorkSD.At(0));
}

void cSceneStageSelect::RedrawPage() {
  if (!m_vWorkSD.empty()) DrawPage(&m_vWorkSD.At(0));
}

void cSceneStageSelect::DrawPage(DDSURFACEDATA* surface) {
  const cSaveData& save = g_SaveData;
  Font& big = g_Font[2];
  g_Font[2].DrawWindow(surface, 1, 1, 638, 478);
  const std::string& heading = HeadingLabel();
  big.Printf(surface, 320 - SjisCharCount(heading) * 16, 32, "%s", heading.c_str());
  if (SelectShowTotalOn() && save.m_nBestTotal > 0) {
    const std::string& label = SystemText(4);
    g_Font[1].Printf(surface, 320 - LabelNumberWidth(label, save.m_nBestTotal) / 2, 88, "%s%d", label.c_str(),
                     save.m_nBestTotal);
  }
  if (!save.m_bRankShow && SelectShowBestOn()) big.Printf(surface, 32, 128, "         %s", SystemText(3).c_str());
  UpdateCounts();
  const std::string& rowLabel = SystemText(0);
  const int markX = (SjisCharCount(rowLabel) + 4) * 32;
  for (int i = 0; i < m_nRows; ++i) {
    const int s = m_nScroll + i;
    const int y = kListY + 32 * i;
    big.Printf(surface, 64, y, "%s%d", rowLabel.c_str(), s + 1);
    if (s >= save.m_vChallenge.Size()) continue;
    const cIntPairRec& record = save.m_vChallenge.At(s);
    if (record.m_nFirst) DDBlt(surface, markX, y, 32, 32, &g_AppSurface[kAccessorySheet], 96, 0, 1);
    if (SelectShowBestOn()) big.Printf(surface, markX + 64, y, "%d", record.m_nSecond);
  }
  if (RankingOn(GAMETYPE_CHALLENGE) && save.m_bRankShow)
    DrawPanelLayout(surface, g_RankingData.GetTableLayout(292, 108, save.m_nRankTable, -1, cApp::m_nGameType),
                    g_Font[1], &g_AppSurface[kAccessorySheet]);
}

void cSceneStageSelect::Show() {
  if (m_vWorkSD.empty()) return;
  DDSURFACEDATA* page = &m_vWorkSD.At(0);
  if (page->bLost) {
    DrawPage(page);
    page->bLost = 0;
  }
  DDBlt(&BackBuffer, 0, 0, 640, 480, page, 0, 0, 0);
  StepColorCycle();
}

int cSceneStageSelect::FadeIn() {
  if (DDScreenBpp == 8) RedrawPage();
  Show();
  if (MenuFadeInStep()) m_nState = 1;
  return 0;
}

int cSceneStageSelect::StateList() {
  cSaveData& save = g_SaveData;
  UpdateCounts();
  const uint16_t* dir = MenuDir();
  g_MenuCursor.MoveList(dir, 1, &m_nScroll, kListY, 32, 32, m_nRows, m_nStageCount, 1);
  DS_PlayCursorSound(dir, 3, 0);
  const int row = g_MenuCursor.m_pCur->m_nRow;
  if (*dir) {
    SelectStage(row + 1);
    RedrawPage();
  }
  const uint16_t buttons = MenuButtons();
  if (buttons & kAccept) {
    const std::string path = ChallengeStagePath(row + 1);
    if (!LoadStageForPlay(path.c_str(), 1, &g_PlayStageData, &g_HeroCharaData)) {
      PlaySystemSound(3);
      ReportStageLoadFailure(path.c_str());
      return 0;
    }
    PlaySystemSound(1);
    save.SetStage(g_StageData.m_strPath.c_str(), 0, 0, 0);
    save.m_nPart = 1;
    save.m_nStageNo = row + 1;
    SetStartLives(GAMETYPE_CHALLENGE, false);
    save.m_bMultiPart = 1;
    cApp::m_nSelectCursor = row;
    cApp::m_nSelectTop = m_nScroll;
    cApp::m_nNextScene = SCENE_PLAY;
    cApp::m_nPrevScene = SCENE_STAGESELECT;
    m_nState = 2;
    return 0;
  }
  if (buttons & kCancel) {
    PlaySystemSound(2);
    cApp::m_nNextScene = SCENE_TITLE;
    cApp::m_nPrevScene = SCENE_STAGESELECT;
    m_nState = 2;
    return 0;
  }
  const bool on = RankingOn(GAMETYPE_CHALLENGE) != 0;
  if (buttons & kRankToggle) {
    if (on) {
      PlaySystemSound(6);
      save.m_bRankShow = !save.m_bRankShow;
      RedrawPage();
    } else {
      save.m_bRankShow = 0;
    }
  } else if ((buttons & kRankTable) && on) {
    if (g_SystemData.GetRankTableNum(cApp::m_nGameType) >= 2) {
      PlaySystemSound(6);
      save.MoveRankTableCursor(cApp::m_nGameType, 1);
    }
    RedrawPage();
  }
  Show();
  DrawAccessoryCell(0, 0, 32, g_MenuCursor.m_pCur->m_nX, g_MenuCursor.m_pCur->m_nY);
  return 0;
}

int cSceneStageSelect::FadeOut() {
  if (MenuFadeOutStep()) FinishMenuFadeOut(SCENE_STAGESELECT);
  return 0;
}
