#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/mainwnd.h"
#include "core/timing.h"
#include "gamedata/input.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gfx/draw_fixture.h"
#include "objects/item.h"
#include "objects/objdraw.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/blockdata.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

namespace {

std::vector<int> g_sounds;
LRESULT RecordSounds(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WMU_PLAYSOUND) g_sounds.push_back(static_cast<int>(wParam));
  return 0;
}

// The play screen's drawing on a stage built in the test, in 32 bits in both back ends.
class PlayDrawTest : public DrawModeTest {
 protected:
  void SetUp() override {
    DrawModeTest::SetUp();
    StartMode(GetParam());
    g_StageData = cStageData();
    g_SystemData = cSystemData();
    g_SaveData = cSaveData();
    g_MapCells.clear();
    g_lstChara.clear();
    g_vHero.clear();
    g_pScenePlay = &scene_;
    g_hMainWnd = CreateWindowStandIn("PlayDrawMain");
    SetWindowProcStandIn(g_hMainWnd, &RecordSounds);
    g_sounds.clear();
    ResetTimingForTest();
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_AppSurface) DDReleaseSurface(&sd);
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    g_pScenePlay = nullptr;
    g_MapCells.clear();
    g_lstChara.clear();
    g_StageData = cStageData();
    DrawModeTest::TearDown();
  }
  // A map of w x h stage cells at the view's top-left corner of the stage.
  void Map(int w, int h) {
    scene_.m_ScrollX.SetGeometry(0, w, 0);
    scene_.m_ScrollY.SetGeometry(1, h, 0);
    scene_.m_ScrollX.m_dPos = 320;
    scene_.m_ScrollY.m_dPos = 320;
    g_MapCells.assign(static_cast<size_t>(scene_.m_ScrollX.m_nRowStride) * scene_.m_ScrollY.m_nMapCells, cMapCell());
  }
  cMapCell& Cell(int x, int y) { return g_MapCells[(static_cast<size_t>(y + 10) << scene_.m_ScrollX.m_nShift) + x + 10]; }
  // The block sheet: cell n (column n / 15, row n % 15) filled with a letter, 2 x 15 cells.
  void BlockSheet() {
    std::vector<std::string> rows(480, std::string(64, 'K'));
    for (int n = 0; n < 30; ++n)
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) rows[OverlayCellY(n) + y][OverlayCellX(n) + x] = "RGBWYC"[n % 6];
    LoadPicture(&g_AppSurface[2], "block.bmp", rows, 1);
    // The mark sheet: overlay cells 14 and 16 show a mark in their top-left pixel only.
    std::vector<std::string> marks(480, std::string(64, 'K'));
    for (int n : {14, 16}) marks[OverlayCellY(n)][OverlayCellX(n)] = 'N';
    LoadPicture(&g_AppSurface[kMarkSheet], "mark.bmp", marks, 1);
  }
  cScenePlay scene_;
};

TEST_P(PlayDrawTest, CellsBeyondTheMapOrWithFailingConditionsAreNotDrawn) {
  BlockSheet();
  Map(2, 1);
  DDFillSurfaceColour(&BackBuffer, 'W');
  Cell(0, 0).m_sGraphic = 1;  // G
  Cell(1, 0).m_sGraphic = 2;  // B, hidden by a condition that fails
  Cell(1, 0).m_vCond.resize(1);
  Cell(0, 0).m_cOverlay = 1;
  Cell(0, 0).m_sOverlay = 16;
  RegisterScenePlayChecks();
  scene_.DrawBlocks(&BackBuffer, 0);
  SetBlockCondCheck(nullptr);
  // The view starts at stage cell (0, 0); the cell right of the map stays as it was.
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 3, 1), (std::vector<std::string>{"NGG"}));
  EXPECT_EQ(Grid(&BackBuffer, 31, 0, 3, 1), (std::vector<std::string>{"GWW"}));
  EXPECT_EQ(Grid(&BackBuffer, 64, 0, 2, 1), (std::vector<std::string>{"WW"}));
  // Overlay cell 14 comes from (0, 448).
  Cell(0, 0).m_sOverlay = 14;
  Cell(0, 0).m_bFront = 1;
  scene_.DrawBlocks(&BackBuffer, 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 2, 1), (std::vector<std::string>{"NG"}));
}

TEST_P(PlayDrawTest, CellsOfOtherGraphicKindsComeFromTheirSheets) {
  // Character picture 1 (sheet row 1), frame 2 (column 2), and frame 22: the same cell mirrored.
  std::vector<std::string> plain(480, std::string(256, 'K')), mirrored(480, std::string(256, 'K'));
  plain[32][64] = 'R';
  mirrored[32][64] = 'B';
  LoadPicture(&g_AppSurface[4], "chara.bmp", plain, 1);
  LoadPicture(&g_AppSurface[5], "chara_m.bmp", mirrored, 1);
  Map(2, 1);
  DDFillSurfaceColour(&BackBuffer, 'W');
  for (int x : {0, 1}) {
    Cell(x, 0).m_cGraphicKind = GRAPHIC_CHARA;
    Cell(x, 0).m_sGraphic = 1;
  }
  Cell(0, 0).m_sGraphicSub = 2;
  Cell(1, 0).m_sGraphicSub = 22;
  scene_.DrawBlocks(&BackBuffer, 0);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 2, 1), (std::vector<std::string>{"RW"}));
  EXPECT_EQ(Grid(&BackBuffer, 32, 0, 2, 1), (std::vector<std::string>{"BW"}));
}

TEST_P(PlayDrawTest, ItemsAndShotsAreVisitedOnTheirOwnPlaneOnly) {
  // The shot sheet's first 16 x 16 cell is red, in the sheet and in its stand-in copy.
  std::vector<std::string> shots(480, std::string(128, 'K'));
  for (int y = 0; y < 16; ++y) shots[y].replace(0, 16, 16, 'R');
  for (int e : {kShotSheet, kShotSheet + 18}) LoadPicture(&g_AppSurface[e], "shot.bmp", shots, 1);
  struct Case {
    const char* name;
    int layered, itemLayer, itemHidden, shotZ, onScreen;
    bool itemVisited, shotDrawn;
  };
  const Case cases[] = {
      {"one plane: any layer", 0, 9, 0, 9, 1, true, true},
      {"layered, plane 5", 1, 5, 0, 5, 1, true, true},
      {"layered, outside 0..7", 1, 8, 0, -1, 1, false, false},
      {"hidden item", 1, 5, 1, 5, 1, false, true},
      {"off screen", 0, 0, 0, 0, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Map(40, 30);
    g_StageData.m_bDrawByLayer = static_cast<int8_t>(c.layered);
    const double at = c.onScreen ? 400 : 2000;
    g_lstItem.clear();
    cItem& item = g_lstItem.emplace_back();
    item.m_Item.m_cLayer = static_cast<int8_t>(c.itemLayer);
    item.m_Item.m_bHidden = static_cast<int8_t>(c.itemHidden);
    scene_.m_lShot.clear();
    cShot& shot = scene_.m_lShot.emplace_back();
    shot.m_bIsShot = 1;
    shot.m_Shot.m_nZ = static_cast<int8_t>(c.shotZ);
    for (cGameObj* o : {static_cast<cGameObj*>(&item), static_cast<cGameObj*>(&shot)}) {
      o->m_dX = o->m_dY = at;
      o->m_dRight = o->m_dBottom = at + 15;
      o->m_PicRect.m_nW = o->m_PicRect.m_nH = 16;
      o->m_PicRect.m_nLeft = -1000;  // not placed yet
    }
    DDFillSurfaceColour(&BackBuffer, 'W');
    scene_.Draw(1, 0, 1, 1);
    EXPECT_EQ(item.m_PicRect.m_nLeft != -1000, c.itemVisited);
    const bool placed = shot.m_PicRect.m_nLeft != -1000;
    EXPECT_EQ(placed, c.shotDrawn);
    if (placed) {
      EXPECT_EQ(Grid(&BackBuffer, shot.m_PicRect.m_nLeft, shot.m_PicRect.m_nTop, 1, 1)[0], "R");
    }
  }
  g_lstItem.clear();
  scene_.m_lShot.clear();
}

TEST_P(PlayDrawTest, TheZoomsWorkSurfaceIsVideoMemoryOnlyForDirectDrawWithVideoStretch) {
  // Entries for the video stretch setting off and on: 68 in video memory, 69 in system memory.
  const int expected[2][2] = {{69, 68}, {69, 69}};  // DirectDraw, Direct3D
  for (int stretch : {0, 1}) {
    g_SystemIni.DD_VideoStretch = stretch;
    SelectObjSurfaces();
    EXPECT_EQ(g_pStretchWork, &g_AppSurface[expected[GetParam().backEnd][stretch]]) << stretch;
  }
  g_SystemIni.DD_VideoStretch = 0;
  SelectObjSurfaces();
}

TEST_P(PlayDrawTest, LayersFillTheEmptyViewAndScrollWithinTheirPicture) {
  DDFillSurfaceColour(&BackBuffer, 'W');
  Map(40, 30);
  g_StageData.m_vBackLayer.assign(2, cBackLayerData());
  for (cBackLayerData& l : g_StageData.m_vBackLayer) l.m_bShow = 0;
  EXPECT_EQ(scene_.DrawLayers(&BackBuffer, 0), 0);
  EXPECT_NE(Grid(&BackBuffer, 0, 0, 1, 1), (std::vector<std::string>{"W"})) << "colour 16 over the view";

  LoadPicture(&g_AppSurface[kLayerPicture], "back.bmp", {"RGBY", "RGBY"}, 1);
  cBackLayerData& l = g_StageData.m_vBackLayer[0];
  l.m_bShow = 1;
  l.m_dRateX = l.m_dRateY = 0;
  l.m_bAutoX = 1;
  l.m_dAutoSpeedX = 3;
  for (int frame = 0; frame < 50; ++frame) {
    scene_.ScrollLayers();
    ASSERT_GE(l.m_dAutoPosX, 0);
    ASSERT_LT(l.m_dAutoPosX, 4);
  }
  // Offset 50 x -3 wrapped: 2, so the view starts at the picture's column 2.
  EXPECT_EQ(l.m_dAutoPosX, 2);
  EXPECT_EQ(scene_.DrawLayers(&BackBuffer, 0), 1);
  EXPECT_EQ(Grid(&BackBuffer, 0, 0, 6, 1), (std::vector<std::string>{"BYRGBY"}));
  EXPECT_EQ(Grid(&BackBuffer, 636, 479, 4, 1), (std::vector<std::string>{"BYRG"}));
}

TEST_P(PlayDrawTest, GaugesAreClampedAndEmptyWithoutAMaximum) {
  // Accessory sheet: gauge frame at (0, 128) 'K' (transparent), fill rows 144 'G' and 160 'R'.
  std::vector<std::string> rows(176, std::string(128, 'K'));
  for (int y = 144; y < 176; ++y)
    for (int x = 0; x < 128; ++x) rows[y][x] = y < 160 ? 'G' : 'R';
  LoadPicture(&g_AppSurface[kAccessorySheet], "acc.bmp", rows, 1);
  LoadPicture(&g_AppSurface[kStatusWindow], "status.bmp", std::vector<std::string>(20, std::string(640, 'K')), 1);
  g_SystemData.m_vItem.resize(5);
  for (cSysItem& item : g_SystemData.m_vItem) item.m_bShow = 0;
  cSysItem& hp = g_SystemData.m_vItem[2];
  hp.m_bShow = 1;
  hp.m_bIcon = 1;
  scene_.m_bShowStatus = 1;
  cHero& hero = g_vHero.emplace_back();
  struct Case {
    int value, max;
    std::string row;  // the gauge's 50 pixels, sampled every 10
  };
  // One shown row of width 16 + 50: the gap is (638 - 66) / 2 = 286, the gauge at 302.
  const Case cases[] = {{5, 10, "GGGWW"}, {20, 10, "GGGGG"}, {-3, 10, "WWWWW"}, {5, 0, "WWWWW"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << "/" << c.max);
    DDFillSurfaceColour(&BackBuffer, 'W');
    hero.m_nHP = c.value;
    hero.m_Chara.m_nMaxHP = c.max;
    scene_.DrawStatusBar(&BackBuffer);
    std::string sampled;
    for (int x = 302; x < 352; x += 10) sampled += Grid(&BackBuffer, x, 10, 1, 1)[0];
    EXPECT_EQ(sampled, c.row);
    EXPECT_EQ(Grid(&BackBuffer, 301, 10, 1, 1)[0], "W");
  }
}

TEST_P(PlayDrawTest, TheTimeWarningSoundsOncePerSecondDownToOne) {
  LoadPicture(&g_AppSurface[kWordSheet], "word.bmp", std::vector<std::string>(192, std::string(320, 'R')), 1);
  g_StageData.m_nTimeWarning = 3;
  scene_.m_nStageTime = 5;
  cApp::m_nFps = 60;
  std::vector<int> soundAt;
  for (int frame = 0; frame < 60 * 7; ++frame) {
    scene_.TickStageTime(-1);
    const size_t before = g_sounds.size();
    scene_.DrawStageTime(&BackBuffer, 1);
    scene_.DrawStageTime(&BackBuffer, 0);  // a frozen frame in between plays nothing
    if (g_sounds.size() != before) soundAt.push_back(scene_.m_nStageTime);
  }
  EXPECT_EQ(soundAt, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(g_sounds, (std::vector<int>{13, 13, 13}));
}

TEST_P(PlayDrawTest, FrozenDrawingInAModalLoopOnlyMarksWhatEnded) {
  // A computer character whose death is over is removed by the frame that finds it; during a modal
  // loop the frame only marks it and the next top-level frame removes it.
  Map(20, 15);
  DDFillSurfaceColour(&BackBuffer, 'W');
  cChara& dying = g_lstChara.emplace_back();
  dying.m_bDead = 1;
  dying.m_nDeadFrames = 1000;  // its death is over
  cChara& living = g_lstChara.emplace_back();
  scene_.m_vSideChara[1].push_back(&dying);
  scene_.m_nModalDepth = 1;
  scene_.Draw(0, 1, 0, 1);
  scene_.Draw(0, 1, 0, 1);
  EXPECT_EQ(g_lstChara.size(), 2u);
  EXPECT_EQ(scene_.m_vFinishedChara.size(), 1u);
  scene_.m_nModalDepth = 0;
  scene_.Draw(1, 0, 1, 1);
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(&g_lstChara.front(), &living);
  EXPECT_TRUE(scene_.m_vSideChara[1].empty());
  EXPECT_TRUE(scene_.m_vFinishedChara.empty());
}

TEST_P(PlayDrawTest, APlayFrameDrawsUnlessItEndsEarly) {
  // The drawing removes a character whose death is over: the observable that a frame was drawn.
  Map(20, 15);
  g_vInput.assign(1, cInput());
  g_StageData.SetCollisionLevel(2);
  scene_.m_nState = PLAY_MAIN;
  scene_.m_bTimeStopped = 1;
  cChara& dying = g_lstChara.emplace_back();
  dying.m_bDead = 1;
  dying.m_nDeadFrames = 1000;
  dying.m_nLifeTime = kLifeUnlimited;
  scene_.m_bQuit = 1;  // the frame only posts the close
  scene_.StatePlay();
  EXPECT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(scene_.m_nStepCount, 0);
  scene_.m_bQuit = 0;
  scene_.StatePlay();
  EXPECT_EQ(scene_.m_nStepCount, 2);
  EXPECT_TRUE(g_lstChara.empty());
}

TEST_P(PlayDrawTest, LostShotSheetsAreRebuiltOnTheNextFrame) {
  LoadPicture(&g_AppSurface[kShotSheet], "shot.bmp", std::vector<std::string>(480, std::string(128, 'R')), 1);
  LoadPicture(&g_AppSurface[kShotSheet + 1], "shot.bmp", std::vector<std::string>(480, std::string(128, 'G')), 1);
  Blank(&g_AppSurface[kBuiltShotSheet], 256, 960, 'W', 1);
  Blank(&g_AppSurface[kBuiltShotSheet + 1], 256, 960, 'W', 1);
  Map(20, 15);
  scene_.Draw(1, 0, 1, 1);
  EXPECT_EQ(Grid(&g_AppSurface[kBuiltShotSheet], 8, 8, 1, 1)[0], "W") << "not lost: left alone";
  g_AppSurface[kBuiltShotSheet + 1].bLost = 1;
  scene_.Draw(1, 0, 1, 1);
  EXPECT_EQ(Grid(&g_AppSurface[kBuiltShotSheet], 8, 8, 1, 1)[0], "R");
  EXPECT_EQ(Grid(&g_AppSurface[kBuiltShotSheet + 1], 8, 8, 1, 1)[0], "G");
  EXPECT_EQ(g_AppSurface[kBuiltShotSheet + 1].bLost, 0);
}

const DrawMode kModes[] = {{"D3D32", 1, 32}, {"DD32", 0, 32}};
INSTANTIATE_TEST_SUITE_P(Modes, PlayDrawTest, testing::ValuesIn(kModes), DrawModeName);

}  // namespace
