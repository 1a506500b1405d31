// The play scene's states around the play step: set-up on entry, fading in and out, the banners, the
// pause menu, the result, the retry window and the game-over screen, and the end of the hero's death
// that leads to one of them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/mainwnd.h"
#include "core/text.h"
#include "gamedata/cmdwindow.h"
#include "gamedata/input.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/blit.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/screenfx.h"
#include "gfx/surface.h"
#include "objects/hero.h"
#include "objects/item.h"
#include "objects/objdraw.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/menucursor.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "sound/effects.h"
#include "stagedata/flow.h"
#include "stagedata/stagedata.h"

namespace {

constexpr int kBannerFrames = 80;  // a banner shows while its counter is below this: 79 frames
constexpr int kResultFrames = 200;
constexpr int kLayerPictures = 8;
constexpr int kPauseTextFirst = 19;  // the pause menu's four labels
constexpr int kRetryTextFirst = 23;  // the retry window's two lines
constexpr int kRankHintText = 28;    // the result's "F3 enters the ranking" line

bool IsReplay() { return cApp::m_nPlayMode == 4; }

cInput& Input0() { return g_vInput.At(0); }

bool Confirmed() { return (Input0().m_wButton & 1) != 0; }

// The menu cursor arrow at the cursor's position.
void DrawCursorArrow() {
  const cMenuCursorState& c = *g_MenuCursor.m_pCur;
  DDBlt(&BackBuffer, c.m_nX, c.m_nY, 16, 16, &g_AppSurface[kAccessorySheet], 64, 0, 1);
}

// A system text, or an empty one when the list is shorter.
const std::string& SystemText(int index) {
  static const std::string empty;
  return index >= 0 && index < g_SystemData.m_vText.Size() ? g_SystemData.m_vText[index] : empty;
}

// The save data's clear flag of the current stage.
bool CurrentStageCleared() {
  const int n = g_SaveData.m_nStageNo;
  return n >= 0 && n < g_SaveData.m_vFlag.Size() && g_SaveData.m_vFlag[n] != 0;
}

// The challenge record of the current stage has its cleared flag.
bool CurrentChallengeCleared() {
  const int i = g_SaveData.m_nStageNo - 1;
  return i >= 0 && i < g_SaveData.m_vChallenge.Size() && g_SaveData.m_vChallenge[i].m_nFirst != 0;
}

bool RankEntryByKey() { return g_OptionData.m_nRankMode == 0 || g_OptionData.m_nRankMode == 1; }

}  // namespace

void cScenePlay::Init() {
  PresentBackdrop();
  m_vRankPos.resize(kRankRows, 0);
  m_vRankValue.resize(kRankRows, 0);
  SelectObjSurfaces();
  // The stage's picture layers take the eight background entries of the fixed set; a picture larger
  // than the screen is held in system memory.
  int layerEntries[kLayerPictures];
  for (int i = 0; i < kLayerPictures; ++i) {
    const int entry = kLayerPicture + i;
    layerEntries[i] = entry;
    DDBITMAPDATA& bd = g_BitmapSet[entry];
    const bool picture = i < g_StageData.m_vBackLayer.Size() && !g_StageData.m_vBackLayer[i].m_bFill;
    if (!picture) {
      bd.szFileName[0] = '\0';
      continue;
    }
    std::snprintf(bd.szFileName, sizeof bd.szFileName, "%s", g_StageData.m_vBackLayer[i].m_strPicture.c_str());
    int large = 0;
    if (DDCheckBitmapSize(&large, bd.szFileName, 640, 480)) bd.nDDMemType = large;
  }
  if (cApp::m_nPrevScene != SCENE_PLAY) {
    int entries[kAppSurfaceCount];
    int count = 0;
    for (int i = 0; i < kAppSurfaceCount; ++i)
      if (IsPlaySceneSurface(i)) entries[count++] = i;
    if (!DDReloadBitmaps(g_AppSurface, entries, count)) {
      PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
      return;
    }
    BuildShotSheets();
    LoadCharaBitmaps();
    LoadSwordBitmaps();
    LoadEffectBitmaps();
    ResetPlayCounters();
    UseLife(g_SaveData);
  } else if (!DDReloadBitmaps(g_AppSurface, layerEntries, kLayerPictures)) {
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    return;
  }
  SetupStage(cApp::m_nPrevScene == SCENE_PLAY, 1);
  g_MenuCursor.Reset();
  m_nSubState = 0;
}

int cScenePlay::FadeIn() {
  Draw(0, 1, 0, 1);
  if (DDFadeIn(DDWorkPalette, 0, 255, 0, 0, 0, cApp::m_nFadeSpeed, DDPalette, 0)) m_nState = PLAY_BANNER;
  return 0;
}

int cScenePlay::FadeOut() {
  if (!DDFadeOut(DDWorkPalette, 0, 255, 0, 0, 0, cApp::m_nFadeSpeed, DDPalette, 0)) return 0;
  DDFillSurface(&BackBuffer, 16);
  if (g_bFreeStageTitle) cApp::m_nNextScene = SCENE_TITLE;
  if ((cApp::m_nPlayMode == 3 && !g_SaveData.m_bMultiPart) || g_bFreeStagePlay) {
    g_SaveData.m_bMultiPart = 0;
    // The loader replaces the loaded stage, path included.
    const std::string path = g_StageData.m_strPath;
    if (!LoadStageAndPlay(path.c_str(), 0)) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  }
  cApp::m_nFps = 60;
  cApp::m_nScene = cApp::m_nNextScene;
  cApp::m_nPrevScene = SCENE_PLAY;
  m_nState = -1;
  return 1;
}

int cScenePlay::StateBanner() {
  Draw(0, 1, 0, 1);
  DDSURFACEDATA* word = &g_AppSurface[kWordSheet];
  if (!(g_bEditorLaunched && g_bFreeStagePlay)) {
    if (IsReplay()) {
      if (++m_nStateFrames < kBannerFrames) {
        DDBlt(&BackBuffer, 256, 224, 128, 32, word, 0, 32, 1);
        return 0;
      }
    } else {
      if (g_StageData.m_bStageBanner && ++m_nStateFrames < kBannerFrames) {
        DDBlt(&BackBuffer, 256, 224, 128, 32, word, 0, 0, 1);
        DDDrawNumber(&BackBuffer, 384, 224, 32, 32, word, 0, 128, 1, g_SaveData.m_nStageNo, 0, 0, 0);
        return 0;
      }
      if (g_StageData.m_bStartBanner && ++m_nBanner2Frames < kBannerFrames) {
        DDBlt(&BackBuffer, 280, 224, 80, 32, word, 160, 0, 1);
        return 0;
      }
    }
  }
  if (!g_vHero.empty()) {
    cHero& hero = g_vHero[0];
    hero.m_AnimSeq.Set(hero.m_bFlying ? 2 : 0, 1);
  }
  m_nStateFrames = 0;
  m_nState = PLAY_MAIN;
  return 0;
}

void cScenePlay::BuildPauseMenu() {
  m_vPauseCmd.resize(4);
  for (int i = 0; i < 4; ++i) {
    m_vPauseCmd[i].m_bEnable = 1;
    m_vPauseCmd[i].m_strLabel = SystemText(kPauseTextFirst + i);
  }
  switch (cApp::m_nGameType) {
    case GAMETYPE_STORY:
      m_vPauseCmd[2].m_bEnable = StoryRestartOn() && CurrentStageCleared();
      m_vPauseCmd[3].m_bEnable = StoryLeaveOn() && CurrentStageCleared();
      break;
    case GAMETYPE_CHALLENGE:
      m_vPauseCmd[2].m_bEnable = ChallengeRestartOn() && CurrentChallengeCleared();
      m_vPauseCmd[3].m_bEnable = 0;
      break;
    default:
      m_vPauseCmd[3].m_bEnable = 0;
      break;
  }
}

int cScenePlay::StatePause() {
  if (CheckReplaySaveKey()) return 0;
  BuildPauseMenu();
  if (m_nSubState == 0) {
    g_MenuCursor.m_pCur->m_nRow = 1;
    m_nSubState = 1;
  } else if (m_nSubState != 1) {
    return 0;
  }
  cInput& in = Input0();
  in.LatchButtons(0);
  in.ApplyRepeat();
  g_PauseAnchor.x = GetCmdWindowX(320, m_vPauseCmd);
  g_MenuCursor.MoveGrid(&in.m_wDir, g_PauseAnchor.x, g_PauseAnchor.y, 16, 16, 1, cCmd::GetEnableNum(m_vPauseCmd));
  DS_PlayCursorSound(&in.m_wDir, 2, 0);
  if (Confirmed()) {
    PlaySystemSound(1);
    switch (cCmd::GetCmdNum(g_MenuCursor.m_pCur->m_nRow, m_vPauseCmd)) {
      case 0:  // leave the game
        m_nState = PLAY_FADEOUT;
        if (g_bFreeStagePlay) {
          PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
        } else {
          cApp::m_nNextScene = SCENE_TITLE;
          g_MenuCursor.m_pCur->m_nRow = cApp::m_nPlayMode;  // the title shows the mode that was played
          m_nSubState = 0;
        }
        break;
      case 1:  // resume
        m_bPauseRelease = 1;
        m_nState = m_nPausedState;
        m_nSubState = m_nPausedSubState;
        break;
      case 2:  // restart the stage
        m_bPauseRelease = 1;
        g_SaveData.RestoreVars(1, cApp::m_nGameType, g_bFreeStagePlay);
        SetupStage(1, 0);
        m_nState = PLAY_BANNER;
        m_nSubState = 0;
        break;
      case 3:  // leave the stage for the world map
        m_bPauseRelease = 1;
        g_SaveData.RestoreVars(0, cApp::m_nGameType, g_bFreeStagePlay);
        g_SaveData.m_bMapReturn = 1;
        cApp::m_nNextScene = SCENE_WORLDMAP;
        m_nSubState = 0;
        m_nState = PLAY_FADEOUT;
        break;
      default:
        break;
    }
    return 0;
  }
  if (in.m_wButton & 2) {
    PlaySystemSound(2);
    m_bPauseRelease = 1;
    m_nState = m_nPausedState;
    m_nSubState = m_nPausedSubState;
    return 0;
  }
  Draw(0, 1, 0, 1);
  DrawCmdWindow(&BackBuffer, g_PauseAnchor.x, g_PauseAnchor.y, m_vPauseCmd);
  DrawCursorArrow();
  return 0;
}

int cScenePlay::StateResult() {
  const bool autoEnd = g_StageData.m_bResultAuto != 0;
  if (!autoEnd) {
    if (CheckPauseKey()) {
      m_nSubState = 0;
      m_nState = PLAY_PAUSE;
      return 0;
    }
    CheckReplaySaveKey();
    if (RankEntryByKey() && (GetAsyncKeyState(VK_F3) & 0x8000)) EnterRanking();
  }
  if (m_nSubState == 0) {
    m_nStateFrames = 0;
    m_nSubState = 1;
  } else if (m_nSubState != 1) {
    return 0;
  }
  cInput& in = Input0();
  in.LatchButtons(0);
  in.ApplyRepeat();
  const bool end = m_nStateFrames >= kResultFrames && (autoEnd || Confirmed());
  if (end) {
    if (m_bNewRecord && (g_OptionData.m_nRankMode == 2 || g_OptionData.m_nRankMode == 3)) EnterRanking();
    else PlaySystemSound(1);
    cApp::m_nNextScene = NextSceneAfterClear();
    m_nStateFrames = 0;
    m_nSubState = 0;
    m_nState = PLAY_FADEOUT;
    return 0;
  }
  const bool placed = std::any_of(m_vRankPos.begin(), m_vRankPos.end(), [](int32_t p) { return p != -1; });
  if (!autoEnd && !m_bRankEntered && placed && RankEntryByKey()) {
    Draw(0, 1, 0, 0);
    const std::string& hint = SystemText(kRankHintText);
    g_Font[1].Printf(&BackBuffer, 320 - SjisCharCount(hint) * 16 / 2, 456, "%s", hint.c_str());
  } else {
    Draw(0, 1, 0, 1);
  }
  if (g_StageData.m_bClearBanner) {
    m_nStateFrames += 4;
    DDSURFACEDATA* word = &g_AppSurface[kWordSheet];
    if (m_nStateFrames < 100) DDCombBlt(&BackBuffer, 256, 192, 128, 32, 4, 100 - m_nStateFrames, word, 0, 64, 1, 0);
    else DDBlt(&BackBuffer, 256, 192, 128, 32, word, 0, 64, 1);
  } else {
    m_nStateFrames = kResultFrames;
  }
  if (m_nStateFrames >= kResultFrames && cApp::m_bRanking && !autoEnd) DrawResultPanel(&BackBuffer, 336, 224, m_vRankPos);
  return 0;
}

int cScenePlay::StateRetry() {
  if (CheckReplaySaveKey()) return 0;
  if (m_nSubState == 0) {
    g_MenuCursor.m_pCur->m_nRow = 0;
    m_nSubState = 1;
  } else if (m_nSubState != 1) {
    return 0;
  }
  cInput& in = Input0();
  in.LatchButtons(0);
  in.ApplyRepeat();
  g_RetryAnchor.x = GetTextBoxX(320, kRetryTextFirst, 2, 1);
  g_MenuCursor.MoveGrid(&in.m_wDir, g_RetryAnchor.x, g_RetryAnchor.y, 16, 16, 1, 2);
  DS_PlayCursorSound(&in.m_wDir, 2, 0);
  if (Confirmed()) {
    PlaySystemSound(1);
    if (g_MenuCursor.m_pCur->m_nRow == 0) {
      SetupStage(1, 0);
      m_nState = PLAY_BANNER;
    } else {
      g_SaveData.m_bMapReturn = 1;
      cApp::m_nNextScene = SCENE_WORLDMAP;
      m_nSubState = 0;
      m_nState = PLAY_FADEOUT;
    }
    return 0;
  }
  Draw(0, 1, 0, 1);
  DrawTextBox(g_RetryAnchor.x, g_RetryAnchor.y, kRetryTextFirst, 2, 1);
  DrawCursorArrow();
  return 0;
}

int cScenePlay::StateGameOver() {
  if (CheckPauseKey()) {
    m_nSubState = 0;
    m_nState = PLAY_PAUSE;
    return 0;
  }
  if (CheckReplaySaveKey()) return 0;
  if (Confirmed()) {
    PlaySystemSound(1);
    m_nState = PLAY_FADEOUT;
    cApp::m_nNextScene = SCENE_TITLE;
    return 0;
  }
  Draw(0, 1, 0, 1);
  if (g_StageData.m_bGameOverBanner)
    DDBlt(&BackBuffer, 248, 224, 144, 32, &g_AppSurface[kWordSheet], 0, 96, 1);
  return 0;
}

int cScenePlay::OnHeroDown(int noAdvance) {
  if (g_vHero.empty()) return 0;
  cHero& hero = g_vHero[0];
  hero.UpdateScreenRect();
  if (!hero.m_bDead) {
    hero.DrawLayers(&BackBuffer, noAdvance);
    hero.DrawHPGauge(&BackBuffer);
    hero.DrawSPGauge(&BackBuffer);
    return 0;
  }
  if (!hero.DrawDead(&BackBuffer, noAdvance)) return 0;
  // A frozen frame of a modal loop leaves the lists alone: the next top-level frame ends the death.
  if (m_nModalDepth > 0) return 0;
  // The death ends once, while the stage is played: the retry window, the game-over screen and the
  // other states that follow it keep drawing the dead hero, which must not cost a life every frame.
  if (m_nState != PLAY_MAIN) return 0;
  if (IsReplay()) {
    g_SaveData.RestoreVars(1, cApp::m_nGameType, g_bFreeStagePlay);
    SetupStage(1, 1);
    m_nState = PLAY_BANNER;
    return 1;
  }
  if (!UseLife(g_SaveData)) {
    m_nState = PLAY_GAMEOVER;
    return 1;
  }
  if (g_StageData.m_bCarryOver) g_SaveData.ClearCarryOver();
  g_SaveData.RestoreVars(0, cApp::m_nGameType, g_bFreeStagePlay);
  if (cApp::m_nGameType == GAMETYPE_STORY && RetryWindowOn()) {
    m_nSubState = 0;
    m_nState = PLAY_RETRY;
  } else {
    SetupStage(1, 0);
    m_nState = PLAY_BANNER;
  }
  return 1;
}

void cScenePlay::ResetPlayCounters() {
  cSaveData& save = g_SaveData;
  if (!IsReplay() && save.m_bVarSet && save.m_nVarIndex >= 0 && save.m_nVarIndex < save.m_vCommonVar.Size())
    save.m_vCommonVar[save.m_nVarIndex] = save.m_nVarValue;
  save.m_nLife = save.m_nStartLife;
  save.m_nScore = 0;
  save.m_nTotalScore = save.m_nTotalTimeLeft = save.m_nTotalPlayTime = save.m_nTotalHP = save.m_nTotalSP = 0;
  save.m_bNextStart = 0;
  m_ScrollX.m_dPos = 0;
  m_ScrollY.m_dPos = 0;
  m_nSubState = m_nStateFrames = m_nBanner2Frames = 0;
  m_bPauseRelease = m_nStageTime = m_bRankEntered = 0;
  m_lMesWindow.clear();
  if (!IsReplay()) {
    for (cReplayData* replay : {&g_ReplayData, &g_PrevReplayData}) {
      replay->ClearRecording();
      replay->m_nSeed = 0;
    }
  }
  if (g_bFreeStagePlay) save.m_nStageNo = 1;
  if (cApp::m_bRanking)
    g_RankingData.LoadFile(cApp::m_nGameType, save.m_strStage.c_str(), save.m_bVarSet, save.m_nVarIndex,
                           save.m_nVarValue);
}

void cScenePlay::RefreshAppearance() {
  if (!g_vHero.empty()) {
    cHero& hero = g_vHero[0];
    hero.m_bActive = 1;
    hero.m_bOnScreen = 1;
  }
  m_vSwitch.assign(kSwitchCount, 0);
  for (cChara& c : g_lstChara) {
    if (CheckCharaCond(&c)) {
      c.m_bActive = 1;
      c.m_bOnScreen = c.IsOnScreen();
      c.UpdateActive(m_vSwitch);
    } else {
      c.m_bActive = c.m_bOnScreen = 0;
    }
  }
  // Starts only after every character has set its switches: any of them counts for every start.
  for (cChara& c : g_lstChara) c.m_bStarted = c.m_bActive && c.CheckStart(m_vSwitch);
  for (cItem& item : g_lstItem) {
    const bool appears = CheckItemCond(&item) != 0;
    item.m_bActive = appears;
    item.m_bOnScreen = appears && item.IsOnScreen();
  }
  for (cShot& shot : m_lShot) {
    shot.m_bActive = 1;
    shot.m_bOnScreen = shot.IsOnScreen();
  }
}
