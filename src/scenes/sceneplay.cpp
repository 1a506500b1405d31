#include "scenes/sceneplay.h"

#include "objects/shot.h"

#include "core/timing.h"
#include "gamedata/savedata.h"
#include "gamedata/systemswitches.h"
#include "gfx/surface.h"
#include "platform/win/keys.h"
#include "scenes/app.h"
#include "scenes/requests.h"
#include "scenes/surfacesets.h"

POINT g_PauseAnchor = {320, 272};
POINT g_RetryAnchor = {320, 272};
POINT g_RankAnchor = {184, 64};
int g_bFreeStagePlay = 0;
int g_bFreeStageTitle = 0;

int (cScenePlay::*const cScenePlay::kHandlers[8])() = {
    &cScenePlay::FadeIn,      &cScenePlay::StateBanner, &cScenePlay::StatePlay,     &cScenePlay::StatePause,
    &cScenePlay::StateResult, &cScenePlay::StateRetry,  &cScenePlay::StateGameOver, &cScenePlay::FadeOut,
};

void SetDisplayWait(cDisplayWait* wait, int mode, int waitKey, int frames, int noDelay) {
  wait->m_nMode = mode;
  wait->m_bWaitKey = waitKey;
  wait->m_nFrames = frames;
  wait->m_nCounter = 0;
  wait->m_nKeyDelay = waitKey && mode == 1 && !noDelay ? 10 : 0;
}

cScenePlay::cScenePlay() : m_vSideChara(kSideCount), m_vSideShot(kSideCount), m_vStageVar(kStageVarCount), m_vSwitch(kSwitchCount) {
  m_ScreenColor.m_nStrength = 255;
  g_nStageBgm = 0;
  // A map laid before this scene is read from its records until the scene builds its own.
  g_MapHits.Clear();
}

cScenePlay::~cScenePlay() {
  g_MapHits.Clear();
  for (int i = 0; i < kAppSurfaceCount; ++i)
    if (IsPlaySceneSurface(i)) DDReleaseSurface(&g_AppSurface[i]);
  DDReleaseSurfaceVector(g_vCharaBmpSD);
  DDReleaseSurfaceVector(g_vSwordSD);
  DDReleaseSurfaceVector(g_vEffectSD);
  FreePictureSurfaces();
  DDReleaseSurfaceVector(g_vMenuSD);
  // The message surfaces go with their descriptors: the next play scene starts with no window.
  FreeMessageSurfaces();
  if (g_pScenePlay == this) g_pScenePlay = nullptr;
}

void cScenePlay::Run() { RunStates(*this, kHandlers); }

int cScenePlay::UseLife(cSaveData& save) {
  if (g_bFreeStagePlay) return 1;
  if (save.m_nLife == kUnlimitedLife) return 1;
  if (save.m_nLife >= 1) {
    --save.m_nLife;
    return 1;
  }
  return 0;
}

int cScenePlay::CheckPauseKey() {
  // Where the help line says that Space leads out (through the pause menu, whose first entry ends a
  // single-stage play), Space pauses whether or not the game turned its pause switch on.
  const bool pauses = PauseKeyOn() || HelpLineText() >= 0;
  if (!pauses || !(GetAsyncKeyState(VK_SPACE) & 0x8000)) return 0;
  PlaySystemSound(4);
  m_nPausedState = m_nState;
  m_nPausedSubState = m_nSubState;
  return 1;
}

int cScenePlay::TickStageTime(int delta) {
  if (m_bTimeStopped || !EveryNFrames(1, 60)) return 0;
  m_nStageTime += delta;
  if (m_nStageTime > 999) {
    m_nStageTime = 999;
    return 0;
  }
  if (m_nStageTime <= 0) {
    m_nStageTime = 0;
    return 1;
  }
  return 0;
}

void cScenePlay::TickPlayTimer() {
  if (m_nPlayTime >= kPlayTimeMax) return;
  ++m_nPlayTimeFrames;
  const int64_t t = static_cast<int64_t>(m_nPlayTimeFrames) * 100 / 60;
  m_nPlayTime = t > kPlayTimeMax ? kPlayTimeMax : static_cast<int>(t);
}

void RegisterScenePlayChecks() {
  SetBlockCondCheck([](cMapCell& cell) { return g_pScenePlay ? g_pScenePlay->CheckBlockCond(cell) : 0; });
}
