// The story and challenge targets: a live progress that a failed load must leave as it was, and
// the use the game makes of one that loaded.
#pragma once
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "authoring/stageauthor.h"
#include "support.h"

// The game-wide records a progress is read against, and a live progress of a game in play.
inline void SetLiveProgress() {
  static const cSaveData kLive = [] {
    g_SystemData = cSystemData();
    g_SystemData.m_nChallengeNum = 6;
    g_WorldMapData = cWorldMapData();
    cSaveData save;
    save.Reset(g_SystemData.m_nChallengeNum);
    save.m_vCharaSave.assign(1, cCharaSaveData());
    save.m_vCharaSave[0].m_nHP = 30;
    save.SetStage("data\\stg4\\Town.stg4_914", 0, 0, 0);
    save.SetStageBest("data\\stg4\\Town.", "data\\stg4\\Town.", 0, 0, 0, 500);
    save.m_nTotalScore = 77;
    return save;
  }();
  g_SaveData = kLive;
}

// What a progress that loaded must hold for the game's indexes, and that it saves and reads again.
inline void UseLoadedProgress(cSaveData& save) {
  FUZZ_CHECK(save.m_vCommonVar.Size() >= kCommonVarCount);
  FUZZ_CHECK(save.m_vCarrySwitch.Size() >= kCarryGroupCount);
  FUZZ_CHECK(save.m_vChallenge.Size() == g_SystemData.m_nChallengeNum);
  FUZZ_CHECK(save.m_nChallengeOpen <= g_SystemData.m_nChallengeNum);
  FUZZ_CHECK(save.m_nMapX >= 0 && save.m_nMapX < g_WorldMapData.m_nWidth);
  FUZZ_CHECK(save.m_nMapY >= 0 && save.m_nMapY < g_WorldMapData.m_nHeight);
  save.UpdateTotal();
  for (int type : {GAMETYPE_STORY, GAMETYPE_CHALLENGE, GAMETYPE_FREE}) {
    save.MoveRankTableCursor(type, 1);
    save.MoveRankTableCursor(type, -1);
  }
  save.GetStageBest(save.m_strStageKey);
  FUZZ_CHECK(save.SaveStory(5) == 1);
  cSaveData again;
  FUZZ_CHECK(again.LoadStory(5) == 1);
  FuzzTakeMessages();
}
