#include "scenes/scenemapmenu.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/saveslot.h"
#include "menu_fixture.h"

namespace {

class MapMenuTest : public MenuSceneTest {
 protected:
  cSceneMapMenu* EnterMenu() { return static_cast<cSceneMapMenu*>(Enter(SCENE_MAPMENU)); }
  // Moves the menu cursor onto the kind's row and accepts it.
  void Choose(int kind) {
    auto* menu = static_cast<cSceneMapMenu*>(cApp::SceneOf(SCENE_MAPMENU));
    for (int i = 0; i < 8 && menu->m_vEntry[Row()] != kind; ++i) Press(0, kDown);
    ASSERT_EQ(menu->m_vEntry[Row()], kind);
    Press(kKeyAccept);
  }
  static int State() { return cApp::SceneOf(SCENE_MAPMENU)->m_nState; }
};

TEST_F(MapMenuTest, SavingToTheThirdSlotWritesItsFileAndRefreshesItsEntry) {
  g_SaveData.m_nSlot = 0;
  EnterMenu();
  Choose(MAPMENU_SAVE);
  EXPECT_EQ(State(), 2);
  Press(0, kDown);
  Press(0, kDown);
  Press(kKeyAccept);  // the confirmation opens on "no"
  EXPECT_EQ(Row(), 1);
  EXPECT_FALSE(g_SaveSlotList.At(2).m_bUsed);
  Press(0, kUp);
  Script().sounds.clear();
  Press(kKeyAccept);
  EXPECT_EQ(Script().sounds, std::vector<int>{5});
  EXPECT_TRUE(std::filesystem::exists("user_data/story/Story03.dat"));
  EXPECT_TRUE(g_SaveSlotList.At(2).m_bUsed);
  EXPECT_EQ(g_SaveData.m_nSlot, 2);
  EXPECT_EQ(Row(), 2);  // back on the list
  Press(kKeyCancel);
  EXPECT_EQ(State(), 1);
}

TEST_F(MapMenuTest, TheSlotListOpensScrolledToTheCurrentSlotAndStaysFull) {
  for (const auto& [slot, scroll] : {std::pair{5, 5}, std::pair{98, 89}}) {
    cApp::ResetForTest();
    g_SaveData.m_nSlot = slot;
    auto* menu = EnterMenu();
    Choose(MAPMENU_SAVE);
    EXPECT_EQ(Row(), slot);
    EXPECT_EQ(menu->m_nSlotScroll, scroll);
  }
}

TEST_F(MapMenuTest, AutoSave) {
  // No slot yet: only the message, and the switch stays.
  g_SaveData.m_nSlot = -1;
  g_SaveData.m_bAutoSave = 0;
  EnterMenu();
  Choose(MAPMENU_AUTOSAVE);
  EXPECT_EQ(cApp::SceneOf(SCENE_MAPMENU)->m_nSubState, 2);
  Press(kKeyAccept);
  EXPECT_EQ(State(), 1);
  EXPECT_EQ(g_SaveData.m_bAutoSave, 0);

  // With a slot, "on" writes it at once; the file still holds the switch as it was.
  g_SaveData.m_nSlot = 1;
  Choose(MAPMENU_AUTOSAVE);
  EXPECT_EQ(Row(), 1);
  Press(0, kUp);
  Press(kKeyAccept);
  EXPECT_EQ(g_SaveData.m_bAutoSave, 1);
  ASSERT_TRUE(std::filesystem::exists("user_data/story/Story02.dat"));
  cSaveData written;
  ASSERT_EQ(written.LoadStory(1), 1);
  EXPECT_EQ(written.m_bAutoSave, 0);
}

TEST_F(MapMenuTest, QuittingToTheTitleAsksFirst) {
  EnterMenu();
  Choose(MAPMENU_TITLE);
  EXPECT_EQ(State(), 5);
  EXPECT_EQ(Row(), 1);
  Press(kKeyAccept);  // "no"
  EXPECT_EQ(State(), 1);
  Choose(MAPMENU_TITLE);
  Press(0, kUp);
  Frame(kKeyAccept);
  RunUntilSwitched(SCENE_MAPMENU);
  EXPECT_EQ(cApp::m_nScene, SCENE_TITLE);
  EXPECT_EQ(cApp::m_nPrevScene, SCENE_MAPMENU);
}

TEST_F(MapMenuTest, CommandsBeyondTheKnownKindsEnterNoState) {
  g_SystemData.m_vMapMenuCmd.resize(6);
  for (cCmd& cmd : g_SystemData.m_vMapMenuCmd) cmd.m_bEnable = 1;
  auto* menu = EnterMenu();
  EXPECT_EQ(menu->m_vEntry.size(), 6u);
  Choose(5);
  EXPECT_EQ(State(), 1);
  EXPECT_EQ(g_MenuCursor.m_vState.Size(), 1);
}

}  // namespace
