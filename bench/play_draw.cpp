// The drawing of one play frame, cScenePlay::Draw as the play step calls it, on a busy screen: a 400 x
// 60 stage with floors every 6 rows and scattered blocks, and 200 characters of three sides walking
// and shooting by their flows in pens on three floors of the screen around the hero, with their shots
// in flight; four background layers (three behind, one in front), blocks of both planes, the status
// bar and the stage time, at 32 bits in each back end; and the same with the lens, turn and mosaic
// screen effects running. The game is started from a game folder written by the game-folder writer,
// as the program starts, headless and on a fake clock, and played for three seconds; the frames
// measured draw that same scene, whose characters on screen and shots are counters. Goal: a median
// of 8 ms a frame or less in every case.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "authoring/stageauthor.h"
#include "core/mainwnd.h"
#include "core/timing.h"
#include "gamedata/input.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemini.h"
#include "gamefolder/gamefolder.h"
#include "gfx/globals.h"
#include "objects/objlists.h"
#include "platform/audio/mixer.h"
#include "platform/time/clock.h"
#include "platform/video/bmp.h"
#include "platform/video/display.h"
#include "platform/video/window.h"
#include "platform/win/messages.h"
#include "platform/win/msgbox.h"
#include "scenes/app.h"
#include "scenes/colorcycle.h"
#include "scenes/sceneplay.h"
#include "shell/appinit.h"
#include "shell/globals.h"
#include "stagedata/cmdtable.h"
#include "stagedata/edshot.h"
#include "stagedata/mapcell.h"

namespace {

constexpr int kStageW = 400;
constexpr int kStageH = 60;
constexpr int kCharas = 200;
constexpr int kFloorEvery = 6;
// The crowd's pens: walls at these columns around the hero, on the bands of these floors.
constexpr int kPenLeft = kStageW / 2 - 10, kPenRight = kStageW / 2 + 9;
constexpr int kCrowdBands[3] = {3, 4, 5};
const char* const kStagePath = "data\\stg4\\Busy.stg4_914";
const char* const kBackdrops[3] = {"bmp\\back\\Far.bmp", "bmp\\back\\Middle.bmp", "bmp\\back\\Near.bmp"};
const char* const kFrontPicture = "bmp\\back\\Front.bmp";

enum Effect { kNoEffect = 0, kLens = 1, kTurn = 2, kMosaic = 3 };

cFlowCmd ShotEvery(int16_t time) {
  cFlowCmd cmd = MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT, {}, time);
  cEdShot& s = *cmd.m_pEdShot;
  s.m_nCount = 1;
  s.m_sSpeed = 4;
  s.m_sGraphic = 1;
  s.m_bRangeOn = 1;
  s.m_sRange = 8;  // half-blocks: about half a second of flight, some 150 shots in the air
  s.m_nPower = 0;  // nobody is hurt: the crowd stays
  return cmd;
}

// The stage: floors every 6 rows, blocks scattered over them (every other one in front of the
// objects) outside the pens, walls at both ends and at the pens' sides, the hero in the middle, 200
// walking and shooting characters in the pens.
cStageData BusyStage() {
  cStageData s;
  s.Reset();
  s.m_vVarName.clear();
  s.m_strName = "Busy";
  SetStageSize(s, kStageW, kStageH);
  int scattered = 0;
  for (int row = 0; row < kStageH; ++row)
    for (int col = 0; col < kStageW; ++col) {
      const bool crowdRow = row % kFloorEvery == kFloorEvery - 2 &&
                            std::find(std::begin(kCrowdBands), std::end(kCrowdBands), row / kFloorEvery) !=
                                std::end(kCrowdBands);
      const bool inPen = crowdRow && col > kPenLeft && col < kPenRight;
      const bool wall = col == 0 || col == kStageW - 1 || row == kStageH - 1 ||
                        (crowdRow && (col == kPenLeft || col == kPenRight));
      const bool floor = row % kFloorEvery == kFloorEvery - 1;
      const bool block = row % kFloorEvery == kFloorEvery - 2 && (col * 7 + row * 3) % 23 == 0 && !inPen;
      if (wall || floor) PlaceBlock(s, static_cast<int16_t>(col), static_cast<int16_t>(row), 1);
      else if (block) PlaceBlock(s, static_cast<int16_t>(col), static_cast<int16_t>(row), 4).m_bFront = ++scattered % 2;
    }
  PlaceHero(s, kStageW / 2, 4 * kFloorEvery + 4, 1).m_nMaxHP = 10;
  constexpr int kPenWidth = kPenRight - kPenLeft - 1;
  for (int i = 0; i < kCharas; ++i) {
    const int col = kPenLeft + 1 + (i / 3) % kPenWidth, band = kCrowdBands[i % 3];
    cCharaData& c = PlaceComChara(s, static_cast<int16_t>(col), static_cast<int16_t>(band * kFloorEvery + 4),
                                  static_cast<int16_t>(2 + i % 3));
    c.m_cSide = static_cast<int8_t>(1 + i % 3);
    c.m_nMaxHP = 1000;
    // One shared start switch: the crowd starts as soon as any of it comes into view, and keeps
    // running wherever it is.
    c.m_bAppearSwitch = 1;
    c.m_sAppearSwitch = 1;
    c.m_cKeepActive = 1;
    c.m_vFlow.push_back(MakeFlow(
        FLOW_TRIG_ALWAYS, {ShotEvery(1), MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_GROUND_TURN, {}, 40)}));
  }
  // The shots fly their range wherever they are.
  s.m_Area[AREA_COM_SHOT].Set(0, 0, 0, 0, 0, 0, 0, 0);
  s.m_bTimeLimit = 1;
  s.m_nTimeLimit = 999;
  s.ResizeBackLayer(4);
  const double rates[3] = {0.1, 0.3, 0.6};
  for (int i = 0; i < 4; ++i) {
    cBackLayerData& l = s.m_vBackLayer.At(i);
    l.m_bShow = 1;
    l.m_bFill = 0;
    l.m_nPass = i == 3 ? 1 : 0;
    l.m_dRateX = l.m_dRateY = i == 3 ? 1.0 : rates[i];
    l.m_strPicture = i == 3 ? kFrontPicture : kBackdrops[i];
  }
  return s;
}

// The front layer: mostly transparent, with columns of colour every 160 pixels.
bool WriteFrontPicture() {
  std::vector<uint8_t> indices(640 * 480, 0);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      if (x % 160 < 24) indices[y * 640 + x] = static_cast<uint8_t>(6 + (x / 160));
  std::vector<RGBQUAD> colours(256);
  for (int i = 0; i < 256; ++i) {
    const PaletteColour c = GamePaletteColour(i);
    colours[i] = RGBQUAD{c.b, c.g, c.r, 0};
  }
  return video::SaveBmpFile(kFrontPicture, video::BmpImage::FromIndices(640, 480, 8, indices, colours));
}

GameFolder BusyGame(int direct3d) {
  GameFolder f = BasicGameFolder(kStagePath);
  f.stages.clear();
  f.stages.emplace_back(kStagePath, BusyStage());
  f.backgrounds.assign(std::begin(kBackdrops), std::end(kBackdrops));
  f.systemIni = std::string("WindowMode=1\r\nBpp=32\r\nDirect3D=") + (direct3d ? "1" : "0") + "\r\n";
  // Screen effects 1-3, each looping over ten seconds: a lens, a full turn and a mosaic of 8.
  cDatabase& db = f.database;
  if (db.m_vScrEffect.Size() < 4) db.m_vScrEffect.resize(4);
  const int kinds[4] = {0, 12, 9, 13};
  const int params[4][5] = {{}, {100, 40, 80, 0, 0}, {100, 0, 360, 0, 0}, {100, 8, 8, 0, 0}};
  for (int e = 1; e <= 3; ++e) {
    db.m_vScrEffect.At(e).m_nKind = kinds[e];
    std::copy(std::begin(params[e]), std::end(params[e]), db.m_vScrEffect.At(e).m_nParam);
  }
  return f;
}

LRESULT IgnoreRequests(HWND, UINT, WPARAM, LPARAM) { return 0; }

// The game started on the busy stage in a folder of its own, played for three seconds so that shots fly;
// everything undone when it goes.
class BusyPlay {
 public:
  explicit BusyPlay(int direct3d) {
    dir_ = std::filesystem::temp_directory_path() / ("play_draw_bench_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    oldCwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    video::test::ResetMachine();
    video::test::ResetWindows();
    clock_ = std::make_unique<FakeClock>(0);
    msgbox::SetHeadless(true);
    audio::Configure(audio::Backend::Null, 22050);
    g_hMainWnd = CreateWindowStandIn("PlayDrawBench");
    SetWindowProcStandIn(g_hMainWnd, &IgnoreRequests);
    ResetGame();
    BuildGlobalTables();
    GameFolder folder = BusyGame(direct3d);
    ok_ = WriteGameFolder(folder) && WriteFrontPicture() && AppInit("", SW_SHOWNORMAL);
    started_ = true;
    if (!ok_) return;
    g_bFreeStagePlay = 1;
    ok_ = LoadStageAndPlay(kStagePath, 1) != 0;
    if (!ok_) return;
    g_SaveData.m_bMultiPart = 0;
    cApp::m_nGameType = 2;
    cApp::m_nPlayMode = 3;
    cApp::m_nScene = SCENE_PLAY;
    cApp::m_nPrevScene = 0;
    for (int i = 0; i < 600 && ok_; ++i) {
      ok_ = cApp::Frame() != 0;
      if (g_pScenePlay && g_pScenePlay->m_nState == PLAY_MAIN) break;
    }
    for (int i = 0; i < 180 && ok_; ++i) ok_ = cApp::Frame() != 0;
    ok_ = ok_ && g_pScenePlay && g_pScenePlay->m_nState == PLAY_MAIN;
  }
  ~BusyPlay() {
    if (started_) AppExit();
    ResetGame();
    DestroyWindowStandIn(g_hMainWnd);
    g_hMainWnd = nullptr;
    clock_.reset();
    video::test::ResetMachine();
    video::test::ResetWindows();
    std::filesystem::current_path(oldCwd_);
    std::filesystem::remove_all(dir_);
  }
  bool ok() const { return ok_; }

 private:
  static void ResetGame() {
    cApp::ResetForTest();
    g_pScenePlay = nullptr;
    g_bFreeStagePlay = 0;
    g_bFreeStageTitle = 0;
    ResetTimingForTest();
    g_vInput.assign(1, cInput());
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
  }

  std::filesystem::path dir_, oldCwd_;
  std::unique_ptr<FakeClock> clock_;
  bool ok_ = false;
  bool started_ = false;
};

// Arguments: the back end (1 Direct3D, 0 DirectDraw) and the screen effect running.
void BM_PlayDraw(benchmark::State& state) {
  BusyPlay play(static_cast<int>(state.range(0)));
  if (!play.ok()) {
    state.SkipWithError("the busy stage did not start");
    return;
  }
  cScenePlay& scene = *g_pScenePlay;
  const int effect = static_cast<int>(state.range(1));
  if (effect != kNoEffect) scene.m_ScrEffect.Start(effect, 0, 1);
  long charasOnScreen = 0, shots = 0, frames = 0;
  for (auto _ : state) {
    scene.Draw(1, 0, 0, 1);
    state.PauseTiming();
    cApp::Present();
    for (const cChara& c : g_lstChara) charasOnScreen += c.IsOnScreen();
    shots += static_cast<long>(scene.m_lShot.size());
    ++frames;
    state.ResumeTiming();
  }
  if (effect != kNoEffect && scene.m_ScrEffect.m_nIndex != effect) state.SkipWithError("the screen effect ended");
  const double n = frames ? static_cast<double>(frames) : 1;
  state.counters["charas_on_screen"] = static_cast<double>(charasOnScreen) / n;
  state.counters["shots"] = static_cast<double>(shots) / n;
  state.counters["charas"] = static_cast<double>(g_lstChara.size());
}
BENCHMARK(BM_PlayDraw)
    ->ArgNames({"d3d", "effect"})
    ->ArgsProduct({{1, 0}, {kNoEffect, kLens, kTurn, kMosaic}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(120);

}  // namespace
