// Every game-wide state of the play back as at program start, for the fixtures of tests that run
// scenes: the application object and its scenes, the menu cursor stack, the music request globals,
// the single-stage flags, the timing counters, the colour cycling, the input devices, the key and
// joystick state, the key configuration, the object containers and the game-wide records, with the
// definitions' state the data tests restore (database, palettes, test-play switches).
// Header only: the support library sits below the game layer.
#pragma once
#include "core/timing.h"
#include "gamedata/input.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/worldmap.h"
#include "platform/win/keys.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/menucursor.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "objects/objlists.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "stagedata/stageload.h"
#include "support/definitions.h"
#include "support/flow_fixture.h"

inline void ResetGameGlobals() {
  cApp::ResetForTest();
  g_pScenePlay = nullptr;
  g_MenuCursor.Reset();
  g_nStageBgm = 0;
  g_bStageBgmLoop = 0;
  g_bRequestDone = 0;
  g_bRequestResult = 0;
  g_nReplayKeyWait = 0;
  g_bFreeStagePlay = 0;
  g_bFreeStageTitle = 0;
  ResetTimingForTest();
  g_vInput.assign(1, cInput());
  DefaultKeyConfig(&g_KeyConfig);
  ResetKeyStateStandIn();
  g_bAppActive = 1;
  ResetColorCycle();
  g_lstChara.clear();
  g_lstItem.clear();
  g_vHero.clear();
  g_MapCells.clear();
  g_SystemData = cSystemData();
  g_SystemIni = cSystemIni();
  g_StageData = cStageData();
  g_PlayStageData = cStageData();
  g_SaveData = cSaveData();
  g_OptionData = cOptionData();
  g_ReplayData = cReplayData();
  g_PrevReplayData = cReplayData();
  g_RankingData = cRankingData();
  g_WorldMapData = cWorldMapData();
  g_HeroCharaData = cCharaData();
  ResetFlowRecordState();
  ResetPalettes();
}
