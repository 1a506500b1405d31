// A temp game folder with the player's folders, and the game-wide records in their start-up state
// before and after each test.
#pragma once
#include <gtest/gtest.h>

#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/win/msgbox.h"
#include "stagedata/database.h"
#include "support/tempdir.h"

// The game-wide records and the player's records in their start-up state.
inline void ResetGameWideData() {
  g_SystemData = cSystemData();
  g_WorldMapData = cWorldMapData();
  g_OptionData = cOptionData();
  g_SystemIni = cSystemIni();
  g_SaveSlotList.assign(kSaveSlotCount, cSaveSlotEntry());
  for (cSaveData* save : {&g_SaveData, &g_ReplaySaveData, &g_PrevReplaySaveData}) save->Reset(0);
  g_RankingData.Reset();
  for (cReplayData* rec : {&g_ReplayData, &g_PrevReplayData}) {
    rec->ClearRecording();
    rec->m_nSeed = 0;
  }
}

class ProgressTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    ResetGlobals();
    for (const char* dir : {"user_data", "user_data\\story", "user_data\\challenge", "user_data\\free"})
      ASSERT_TRUE(MakeGameDirectory(dir));
  }
  void TearDown() override {
    ResetGlobals();
    TempDirTest::TearDown();
  }
  static void ResetGlobals() {
    ResetGameWideData();
    g_Database.SetDefaults();
    msgbox::TakeRecords();
  }
};

inline SYSTEMTIME MakeTime(int year, int month, int day, int hour, int minute) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = 30;
  return t;
}
