// A temp game folder with the player's folders, and the game-wide records the progress consults
// (system data, world map, slot list, options) in their start-up state before and after each test.
#pragma once
#include <gtest/gtest.h>

#include "gamedata/option.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/win/msgbox.h"
#include "stagedata/database.h"
#include "support/tempdir.h"

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
    g_SystemData = cSystemData();
    g_WorldMapData = cWorldMapData();
    g_OptionData = cOptionData();
    g_Database.SetDefaults();
    g_SaveSlotList.assign(kSaveSlotCount, cSaveSlotEntry());
    g_SaveData.Reset(0);
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
