#include "scenes/app.h"

#include <new>

#include "core/log.h"
#include "core/timing.h"
#include "gamedata/input.h"
#include "gamedata/systemini.h"
#include "gfx/bitmap.h"
#include "gfx/blit.h"
#include "gfx/font.h"
#include "gfx/globals.h"
#include "gfx/present.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"
#include "scenes/scene.h"
#include "scenes/sceneoption.h"
#include "scenes/sceneplay.h"
#include "scenes/scenemap.h"
#include "scenes/scenemapmenu.h"
#include "scenes/scenestage.h"
#include "scenes/scenetitle.h"
#include "scenes/surfacesets.h"
#include "core/mainwnd.h"
#include "stagedata/stagedata.h"

int g_bNoFlip = 0;

namespace {

// Slot of each scene id: the options slot comes before the play slot.
constexpr int kSlotOfId[6] = {0, 1, 2, 3, 5, 4};
constexpr int kRingSize = 16;

uint32_t g_FrameTimes[kRingSize] = {};
int g_FrameTimeIndex = 0;
uint32_t g_FrameTimeAverage = 0;

// The play scene exists and the stage runs faster than the screen: no vertical-blank wait, no flip.
bool FastStagePlaying() { return cApp::SceneOf(SCENE_PLAY) && g_StageData.m_nFps > 60; }

bool SurfaceIsLost(DDSURFACEDATA* sd) {
  return sd->lpDDData && sd->lpDDData->lpDDSurface && sd->lpDDData->lpDDSurface->IsLost() == DDERR_SURFACELOST;
}

}  // namespace

cScene* cApp::SceneOf(int id) {
  if (id < 0 || id > 5) return nullptr;
  return m_pScene[kSlotOfId[id]];
}

uint32_t cApp::FrameTimeAverage() { return g_FrameTimeAverage; }

int cApp::Frame() {
  WaitFrame();
  StopwatchStart();
  if (lpDDCon && !CheckSurfaceLost()) return 0;
  ReadInput(g_vInput);
  try {
    SwitchScene(m_nScene);
  } catch (const char* text) {
    SceneFatal(text);
  }
  if (cScene* scene = SceneOf(m_nScene)) scene->Run();
  const uint32_t fps = FpsCount(1);
  const uint32_t frameTime = StopwatchLap(1);
  if (SceneOf(SCENE_PLAY) && g_pScenePlay) g_pScenePlay->m_nShownFps = static_cast<int>(fps);
  if (g_SystemIni.ShowFps) {
    g_FrameTimes[g_FrameTimeIndex] = frameTime;
    if (++g_FrameTimeIndex == kRingSize) {
      g_FrameTimeIndex = 0;
      uint32_t sum = 0;
      for (uint32_t t : g_FrameTimes) sum += t;
      g_FrameTimeAverage = sum >> 4;
    }
    DrawFpsText(g_SystemIni.ShowFps, fps, g_FrameTimeAverage);
  }
  Present();
  return 1;
}

void cApp::SwitchScene(int id) {
  static constexpr int kDeleteOrder[6] = {SCENE_TITLE,       SCENE_MAPMENU, SCENE_WORLDMAP,
                                          SCENE_STAGESELECT, SCENE_PLAY,    SCENE_OPTION};
  for (int other : kDeleteOrder) {
    if (other == id) continue;
    cScene*& slot = m_pScene[kSlotOfId[other]];
    delete slot;
    slot = nullptr;
  }
  if (id < 0 || id > 5) return;
  cScene*& slot = m_pScene[kSlotOfId[id]];
  if (slot) return;
  if (id == SCENE_PLAY) {
    cScenePlay* play = new (std::nothrow) cScenePlay;
    if (!play) {
      OutOfMemoryExit();
      return;
    }
    slot = play;
    g_pScenePlay = play;
    return;
  }
  switch (id) {
    case SCENE_TITLE: slot = new (std::nothrow) cSceneTitle; break;
    case SCENE_WORLDMAP: slot = new (std::nothrow) cSceneWorldMap; break;
    case SCENE_MAPMENU: slot = new (std::nothrow) cSceneMapMenu; break;
    case SCENE_STAGESELECT: slot = new (std::nothrow) cSceneStageSelect; break;
    case SCENE_OPTION: slot = new (std::nothrow) cSceneOption; break;
    default: break;
  }
  if (!slot) OutOfMemoryExit();
}

void cApp::DeleteScenes() {
  for (cScene*& slot : m_pScene) {
    delete slot;
    slot = nullptr;
  }
}

void cApp::WaitFrame() {
  if (lpDTCon || !lpDDCon) return;
  while (!FrameTimer(static_cast<uint32_t>(m_nFps))) Sleep(1);
}

void cApp::Present() {
  if (lpDTCon) {
    if (!DDPresent(static_cast<unsigned>(m_nFps), 0, nullptr) && lpDTCon && DDWindowMode)
      TrySendMessage(g_hMainWnd, WMU_RESTOREDEVICE, 0, 0, nullptr);
    return;
  }
  if (!lpDDCon || !PrimarySD.lpDDData || !PrimarySD.lpDDData->lpDDSurface) return;
  IDirectDrawSurface7* primary = PrimarySD.lpDDData->lpDDSurface;
  if (DDWindowMode) {
    if (!FastStagePlaying() && lpDD) lpDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    if (BackBuffer.lpDDData && BackBuffer.lpDDData->lpDDSurface)
      primary->Blt(&DDClientRect, BackBuffer.lpDDData->lpDDSurface, nullptr, DDBLT_WAIT, nullptr);
  } else if (g_bNoFlip || FastStagePlaying()) {
    DDBlt(&PrimarySD, 0, 0, 640, 480, &BackBuffer, 0, 0, 0);
  } else {
    primary->Flip(nullptr, DDFLIP_WAIT);
  }
}

int cApp::CheckSurfaceLost() {
  if (!lpDDCon) return 1;
  if (!SurfaceIsLost(&PrimarySD)) return 1;
  if (!DDRestore()) return 0;
  if (!RestoreSurface(g_vCharaBmpSD) || !RestoreSurface(g_vEffectSD) || !RestoreSurface(g_vSwordSD) ||
      !RestoreSurface(g_lstPictureSD) || !RestoreSurface(g_vMenuSD) || !RestoreSurface(Off_Msg))
    return 0;
  // The fonts' digit strips are restored here with RestoreFontSurfaces once the fonts exist.
  if (!Off_Msg.empty()) DebugLogF("if ( !RestoreSurface(Off_Msg) ) Off_Msg[0].bLost = %d", Off_Msg.front().bLost);
  return 1;
}

bool cApp::RestoreOneSurface(DDSURFACEDATA* surface) {
  if (!SurfaceIsLost(surface)) return true;
  surface->lpDDData->lpDDSurface->Restore();
  if (surface->nDDMemType != 0) return true;  // system memory keeps its pixels
  surface->bLost = 1;
  return DDReloadBitmap(surface, DDScreenBpp) != FALSE;
}

bool cApp::RestoreSurface(cCheckedVector<DDSURFACEDATA>& surfaces) {
  for (int i = 0; i < surfaces.Size(); ++i)
    if (!RestoreOneSurface(&surfaces.At(i))) return false;
  return true;
}

bool cApp::RestoreSurface(cCheckedList<DDSURFACEDATA>& surfaces) {
  for (DDSURFACEDATA& sd : surfaces)
    if (!RestoreOneSurface(&sd)) return false;
  return true;
}

bool cApp::RestoreFontSurfaces(DDSURFACEDATA* sheets, int count) {
  for (int i = 0; i < count; ++i) {
    DDSURFACEDATA* sd = &sheets[i];
    if (!SurfaceIsLost(sd)) continue;
    sd->lpDDData->lpDDSurface->Restore();
    if (sd->nDDMemType == 0) sd->bLost = 1;  // its digits are drawn again with its font once fonts exist
  }
  return true;
}

void cApp::RequestBGM(int music, uint8_t keep, int situation) {
  if (music != 0 && keep && music == m_nCurBgm && m_bCurBgmKeep) return;
  m_nCurBgm = music;
  m_bCurBgmKeep = keep ? 1 : 0;
  TrySendMessage(g_hMainWnd, WMU_CHANGEBGM, static_cast<WPARAM>(situation), 0, nullptr);
}

void cApp::ReadInput(cCheckedVector<cInput>& inputs) {
  if (inputs.empty()) return;
  cInput& in = inputs.At(0);
  if (g_KeyConfig.bUse) in.ReadConfig(1, 60);
  else in.ReadDefault(0, 3, 60);
}

void cApp::ResetForTest() {
  DeleteScenes();
  m_nScene = m_nNextScene = m_nPrevScene = 0;
  m_nPlayMode = m_nGameType = 0;
  m_nSelectCursor = m_nSelectTop = 0;
  m_bRanking = 0;
  m_nFps = m_nFadeSpeed = 0;
  m_nCurBgm = m_bCurBgmKeep = 0;
  for (uint32_t& t : g_FrameTimes) t = 0;
  g_FrameTimeIndex = 0;
  g_FrameTimeAverage = 0;
  g_bNoFlip = 0;
}

void PresentBackdrop() {
  DDSURFACEDATA& loading = g_AppSurface[kLoadingPicture];
  const bool exists = lpDTCon ? loading.lpDT != nullptr : (loading.lpDDData && loading.lpDDData->lpDDSurface);
  if (!exists || (!lpDTCon && !lpDDCon)) return;
  DDBlt(&BackBuffer, 0, 0, 640, 480, &loading, 0, 0, 1);
  cApp::Present();
}

void DrawFpsText(int showFps, uint32_t fps, uint32_t average) {
  // Setting 2: the small font, plain, in the bottom-right corner; any other: the menu font, boxed.
  Font& font = g_Font[showFps == 2 ? 0 : 1];
  if (!font.m_hFont && !font.m_lpD3DXFont) return;  // the fonts do not exist yet
  const int shownFps = static_cast<int>(fps), shownAverage = static_cast<int>(average);
  if (showFps == 2)
    font.Printf(&BackBuffer, 549, 469, "FPS%2d(%2d)", shownFps, shownAverage);
  else
    font.PrintfBox(&BackBuffer, 495, 463, 0, 0, "FPS%2d(%2d)", shownFps, shownAverage);
}
