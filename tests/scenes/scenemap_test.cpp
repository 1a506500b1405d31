#include "scenes/scenemap.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/worldmap.h"
#include "menu_fixture.h"

namespace {

// A 3 x 3 map: a wall node above the start cell (1, 1), a blocked tile left of it, and a stage
// entrance that does not ask on its right (its first node never active, the second the entrance).
class WorldMapTest : public MenuSceneTest {
 protected:
  void SetUp() override {
    MenuSceneTest::SetUp();
    cWorldMapData& map = g_WorldMapData;
    map.SetDefault();
    map.SetSize(3, 3);
    map.m_vTileKind.resize(2);
    map.m_vTileKind.At(1).m_bBlocked = 1;
    map.m_vCell.At(MapCellIndex(0, 1)) = 1;
    map.m_vPlace.resize(2);
    cMapPlace& wall = map.m_vPlace.At(0);
    wall.m_nX = 1;
    wall.m_nY = 0;
    wall.m_vNode.At(0).m_nKind = MAPNODE_WALL;
    cMapPlace& stage = map.m_vPlace.At(1);
    stage.m_nX = 2;
    stage.m_nY = 1;
    stage.m_vNode.resize(2);
    stage.m_vNode.At(0).m_nNeedFlag = 9;  // never set
    cMapNode& node = stage.m_vNode.At(1);
    node.m_nKind = MAPNODE_STAGE;
    node.m_nStageNo = 7;
    node.m_strStage = "data\\stg4\\s1.stg4";
    node.m_strCaption = "Forest";
    ASSERT_TRUE(SaveSampleStage("data\\stg4\\s1.stg4_914"));
    g_SaveData.Reset(0);
    PlaceHero(1, 1);
    g_SystemData.m_vStartLife.At(0) = 3;
    cApp::m_nGameType = GAMETYPE_STORY;
  }
  static void PlaceHero(int x, int y) {
    g_SaveData.m_nMapX = x;
    g_SaveData.m_nMapY = y;
  }
  static cMapNode& Entrance() { return g_WorldMapData.m_vPlace.At(1).m_vNode.At(1); }
  cSceneWorldMap* EnterMap() {
    auto* map = static_cast<cSceneWorldMap*>(Enter(SCENE_WORLDMAP));
    Closes();  // the headless screen cannot make the ranking surface
    return map;
  }
  static std::pair<int, int> Hero() { return {g_MenuCursor.m_pCur->m_nColumn, g_MenuCursor.m_pCur->m_nRow}; }
};

TEST_F(WorldMapTest, WallsAndBlockedTilesTurnTheHeroWithoutMovingHim) {
  const struct {
    uint16_t dir;
    int facing;
  } cases[] = {{kLeft, 2}, {kUp, 1}};
  for (const auto& c : cases) {
    cApp::ResetForTest();
    g_SaveData.m_nMapDir = 0;
    cSceneWorldMap* map = EnterMap();
    ASSERT_EQ(map->m_nState, 1);
    Press(0, c.dir);
    EXPECT_EQ(Hero(), std::make_pair(1, 1));
    EXPECT_EQ(map->m_nFacing, c.facing);
    EXPECT_EQ(g_SaveData.m_nMapDir, 0);
  }
  // A free cell is walked onto, and the saved facing follows.
  Press(0, kDown);
  EXPECT_EQ(Hero(), std::make_pair(1, 2));
  EXPECT_EQ(g_SaveData.m_nMapDir, 0);
  Press(0, kUp);
  EXPECT_EQ(g_SaveData.m_nMapDir, 1);
}

TEST_F(WorldMapTest, SteppingOntoAnEntranceOpensTheBoxOnNoAndDecliningStepsBack) {
  cSceneWorldMap* map = EnterMap();
  Press(0, kRight);
  EXPECT_EQ(map->m_nState, 2);
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\s1.");  // selected
  Press(kKeyAccept);
  EXPECT_EQ(map->m_nState, 1);
  EXPECT_EQ(Hero(), std::make_pair(1, 1));
  EXPECT_EQ(g_MenuCursor.m_vState.Size(), 1);
}

TEST_F(WorldMapTest, YesEntersTheStageWithTheLivesOfItsRule) {
  const struct {
    int unlimited, carry, lives, start;
  } cases[] = {{1, 0, 4, kUnlimitedLife}, {0, 1, 4, 5}, {0, 0, 4, 3}};
  for (const auto& c : cases) {
    cApp::ResetForTest();
    g_SystemData.m_vLifeUnlimited.At(0) = c.unlimited;
    g_SystemData.m_bMapStageLife = c.carry;
    g_SaveData.m_nLife = c.lives;
    PlaceHero(1, 1);
    EnterMap();
    Press(0, kRight);
    Press(0, kUp);
    Frame(kKeyAccept);
    RunUntilSwitched(SCENE_WORLDMAP);
    ASSERT_EQ(cApp::m_nScene, SCENE_PLAY);
    EXPECT_EQ(g_SaveData.m_nStartLife, c.start);
    EXPECT_EQ(g_SaveData.m_nStageNo, 7);
    EXPECT_EQ(g_SaveData.m_nPart, 1);
    EXPECT_EQ(g_SaveData.m_nEnteredNode, 1);
    EXPECT_EQ(g_SaveData.m_nMapDir, 3);
    EXPECT_EQ(g_SaveData.m_nMapX, 2);
    EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\s1.");
    EXPECT_EQ(cApp::m_nPrevScene, SCENE_WORLDMAP);
  }
}

TEST_F(WorldMapTest, AClearedEntranceTakesAcceptOnlyWithReplay) {
  g_SaveData.m_vFlag.At(7) = 1;
  PlaceHero(2, 1);
  cSceneWorldMap* map = EnterMap();
  ASSERT_EQ(map->m_nState, 1);
  Press(kKeyAccept);
  EXPECT_EQ(map->m_nState, 1);
  Entrance().m_bReplay = 1;
  Press(kKeyAccept);
  EXPECT_EQ(map->m_nState, 2);
}

TEST_F(WorldMapTest, ArrivingOnAnEntranceThatDoesNotAskStartsItOrClosesWhenItCannotLoad) {
  PlaceHero(2, 1);
  cApp::m_nPrevScene = SCENE_TITLE;
  cSceneWorldMap* map = EnterMap();
  EXPECT_EQ(map->m_nState, 3);
  EXPECT_EQ(cApp::m_nNextScene, SCENE_PLAY);
  EXPECT_EQ(g_SaveData.m_nMapPrevX, 2);

  cApp::ResetForTest();
  Entrance().m_strStage = "data\\stg4\\missing.stg4";
  Enter(SCENE_WORLDMAP);
  EXPECT_GE(Closes(), 1);
  EXPECT_EQ(BoxTexts().back(), "ステージファイル data\\stg4\\missing.stg4 が読み込めません！");
  EXPECT_EQ(cApp::m_nScene, SCENE_WORLDMAP);
  Frame();
  EXPECT_TRUE(BoxTexts().empty());  // nothing runs after the close request
}

TEST_F(WorldMapTest, AStageLeftUnfinishedPutsTheHeroBackUnlessItsEntranceWasCleared) {
  for (int cleared : {0, 1}) {
    cApp::ResetForTest();
    g_SaveData.m_vFlag.At(7) = cleared;
    g_SaveData.m_bMapReturn = 1;
    PlaceHero(2, 1);
    g_SaveData.m_nMapPrevX = 1;
    g_SaveData.m_nMapPrevY = 1;
    cSceneWorldMap* map = EnterMap();
    EXPECT_EQ(map->m_nState, 1);
    EXPECT_EQ(g_SaveData.m_bMapReturn, 0);
    EXPECT_EQ(Hero(), cleared ? std::make_pair(2, 1) : std::make_pair(1, 1));
  }
}

TEST_F(WorldMapTest, AutoSaveWritesTheSlotOnlyAfterPlay) {
  g_SaveData.m_bAutoSave = 1;
  g_SaveData.m_nSlot = 2;
  cApp::m_nPrevScene = SCENE_MAPMENU;
  EnterMap();
  EXPECT_FALSE(std::filesystem::exists("user_data/story/Story03.dat"));
  cApp::ResetForTest();
  cApp::m_nPrevScene = SCENE_PLAY;
  EnterMap();
  EXPECT_TRUE(std::filesystem::exists("user_data/story/Story03.dat"));
}

TEST_F(WorldMapTest, PositionsOffTheMapFallBackToTheStartAndCellIndexesClamp) {
  g_WorldMapData.m_nStartX = 0;
  g_WorldMapData.m_nStartY = 2;
  PlaceHero(-1, 1);  // a stage clear may store a negative position
  EnterMap();
  EXPECT_EQ(Hero(), std::make_pair(0, 1));
  EXPECT_EQ(FindPlaceAt(g_MenuCursor), nullptr);
  g_MenuCursor.m_pCur->m_nColumn = 2;
  EXPECT_EQ(FindPlaceAt(g_MenuCursor), &g_WorldMapData.m_vPlace.At(1));

  const int shift = g_WorldMapData.m_nShift;
  EXPECT_EQ(MapCellIndex(-3, 1), 1 << shift);
  EXPECT_EQ(MapCellIndex(5, -1), 2);
  EXPECT_EQ(MapCellIndex(1, 9), 1 + (2 << shift));
}

TEST_F(WorldMapTest, ActiveNodeConditions) {
  g_SaveData.m_vCommonVar.At(1) = -6;
  g_SaveData.m_nBestTotal = 50;
  const struct {
    const char* name;
    int op, value, needFlag, needBest;
    bool active;
  } cases[] = {
      {"multiple of 0 always holds", 6, 0, 0, 0, true},
      {"not a multiple of 0 never holds", 7, 0, 0, 0, false},
      {"multiple on the absolute value", 6, 3, 0, 0, true},
      {"not a multiple", 7, 4, 0, 0, true},
      {"greater or equal", 2, -6, 0, 0, true},
      {"less", 5, -6, 0, 0, false},
      {"unknown operator", 8, 0, 0, 0, false},
      {"flag not set", 0, -6, 3, 0, false},
      {"total of bests too low", 0, -6, 0, 51, false},
  };
  for (const auto& c : cases) {
    cMapPlace place;
    cMapNode& node = place.m_vNode.At(0);
    node.m_nCondVar = 1;
    node.m_nCondOp = c.op;
    node.m_nCondValue = c.value;
    node.m_nNeedFlag = c.needFlag;
    node.m_nNeedBest = c.needBest;
    EXPECT_EQ(cSceneWorldMap::FindActiveNode(&place) != nullptr, c.active) << c.name;
  }
}

TEST_F(WorldMapTest, LivesBox) {
  const struct {
    int lives, x, width;
    const char* text;
  } cases[] = {{12345, 525, 96, "12345"}, {kUnlimitedLife, 589, 32, "∞"}, {3, 589, 32, "3"}};
  for (const auto& c : cases) {
    const cLifeBoxLayout box = GetLifeBoxLayout(c.lives);
    EXPECT_EQ(box.m_nX, c.x);
    EXPECT_EQ(box.m_nWidth, c.width);
    EXPECT_EQ(box.m_strText, c.text);
  }
}

TEST_F(WorldMapTest, CancelOpensTheMapMenuWithTheMapMusicKept) {
  g_SystemData.m_vMenuBgm.At(1) = 2;
  g_SystemData.m_vMenuBgmContinue.At(1) = 1;
  EnterMap();
  Press(0, kDown);
  Frame(kKeyCancel);
  EXPECT_EQ(Script().sounds.back(), 4);
  RunUntilSwitched(SCENE_WORLDMAP);
  ASSERT_EQ(cApp::m_nScene, SCENE_MAPMENU);
  EXPECT_EQ(g_SaveData.m_nMapY, 2);
  Frame();
  Frame(kKeyCancel);  // back to the map
  RunUntilSwitched(SCENE_MAPMENU);
  ASSERT_EQ(cApp::m_nScene, SCENE_WORLDMAP);
  Frame();
  EXPECT_EQ(Script().musicSituations, std::vector<int>{1});
  EXPECT_EQ(Hero(), std::make_pair(1, 2));
}

}  // namespace
