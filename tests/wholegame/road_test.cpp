// The whole road of a story game, run from the program's entry with scripted keys: the title's new
// game in an empty slot, the world map, a stage entered from its node and cleared, the map again with
// its auto-save, the map menu and back to the title. A script that reacts to the scene and its state
// presses the keys, so the road does not depend on how many frames a fade takes. Also the title's
// free stage, chosen in the file chooser as the main window serves it, up to the stage's play.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "authoring/stageauthor.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "gamefolder/gamefolder.h"
#include "platform/fs/path.h"
#include "platform/win/dialogs.h"
#include "platform/win/winapp.h"
#include "scenes/menucursor.h"
#include "scenes/requests.h"
#include "scenes/scenemapmenu.h"
#include "scenes/scenetitle.h"
#include "shell/appdialogs.h"
#include "stagedata/database.h"
#include "support/game_reset.h"
#include "support/headless_run.h"
#include "support/tempdir.h"
#include "support/test_logs.h"

namespace {

constexpr const char* kRoadStage = "data\\stg4\\Road.stg4_914";
constexpr int kTitleMusic = 1, kMapMusic = 2, kStageMusic = 3;
constexpr int kHeroHp = 7;

// A stage that is cleared as soon as it runs: the hero stands on an item worth 100 points whose
// commands then clear the stage with no next stage. No banners, and a result that ends by itself.
void RoadStage(cStageData& stage) {
  stage.Reset();
  stage.m_vVarName.clear();
  stage.m_strName = "Road";
  SetStageSize(stage, 20, 15);
  PlaceFloor(stage, 14, 0, 19);
  PlaceHero(stage, 2, 13).m_nMaxHP = kHeroHp;
  cItemData& prize = PlaceItem(stage, 2, 13, 3);
  prize.m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STATUS - kItemCmdKindOffset,
                                     {0, 0, 0, kStatusSubjectSystem, SYSVAL_SCORE, CALC_ADD, 0, 100}));
  prize.m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STAGE_CLEAR - kItemCmdKindOffset, {3}));
  stage.m_bStageBanner = stage.m_bStartBanner = stage.m_bClearBanner = 0;
  stage.m_bResultAuto = 1;
  stage.m_nBgm = kStageMusic;
}

// The basic world map (start (1, 5), the stage's node at (4, 5), a road between), limited lives, and a
// music of its own for the title, the map and the stage.
GameFolder RoadGame() {
  GameFolder f = BasicGameFolder(kRoadStage);
  RoadStage(f.stages.at(0).second);
  f.database.m_vBgm.resize(1);
  cSystemData& sys = f.system;
  sys.m_vLifeUnlimited.At(0) = 0;
  sys.m_vStartLife.At(0) = 3;
  f.tune = "bgm\\Road.mid";
  for (const char* name : {"Title", "Map", "Stage"}) {
    cBgmData& bgm = f.database.m_vBgm.emplace_back();
    bgm.m_strName = name;
    bgm.m_strFile = f.tune;
  }
  sys.m_vMenuBgm.At(0) = kTitleMusic;
  sys.m_vMenuBgm.At(1) = kMapMusic;
  for (int s = 0; s < 4; ++s) sys.m_vMenuBgmContinue.At(s) = 1;  // the map menu keeps the map's music
  return f;
}

struct Step {
  int scene, state;
  bool operator==(const Step&) const = default;
};

// What the game held at a point of the road, read on the game thread.
struct Progress {
  int slot = -9, autoSave = -9, mapX = -9, mapY = -9, mapDir = -9, lap = -9;
  int startLife = -9, life = -9, stageNo = -9, part = -9, cleared = -9;
  int totalScore = -9, totalHp = -9, bestTotal = -9;
  std::string stage;
  static Progress Of(const cSaveData& s) {
    Progress p;
    p.slot = s.m_nSlot;
    p.autoSave = s.m_bAutoSave;
    p.mapX = s.m_nMapX;
    p.mapY = s.m_nMapY;
    p.mapDir = s.m_nMapDir;
    p.lap = s.m_nLap;
    p.startLife = s.m_nStartLife;
    p.life = s.m_nLife;
    p.stageNo = s.m_nStageNo;
    p.part = s.m_nPart;
    p.cleared = s.m_vFlag.Size() > 1 ? s.m_vFlag.At(1) : -1;
    p.totalScore = s.m_nTotalScore;
    p.totalHp = s.m_nTotalHP;
    p.bestTotal = s.m_nBestTotal;
    p.stage = s.m_strStage;
    return p;
  }
};

// The music requests the main window served, in order: situation and music (situation 4 only).
std::mutex g_musicMutex;
std::vector<std::pair<WPARAM, LPARAM>> g_music;
WNDPROC g_mainProc = nullptr;
LRESULT MusicRecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WMU_CHANGEBGM) {
    std::lock_guard<std::mutex> lock(g_musicMutex);
    g_music.emplace_back(wParam, lParam);
  }
  return g_mainProc(hwnd, msg, wParam, lParam);
}

// A script for HeadlessRun::onPoll: it keeps each change of scene and state, and asks `choose` for
// the key of the poll from the scene's state after the frame before. A key is held for one poll and
// released in the next, so that each press is new to the one-shot buttons.
class RoadDriver {
 public:
  struct View {
    int scene, state, sub;
    cScene* object;
    const cMenuCursorState& cursor;
  };
  // The key to press (0 for none); it may also look at the game or post a close.
  std::function<int(const View&)> choose;
  // Called once per change of scene or state, on the game thread.
  std::function<void(const View&)> onStep;
  std::vector<Step> steps;

  void Attach(HeadlessRun& run) {
    run.onPoll = [this, &run](int poll) {
      const int scene = cApp::m_nScene;
      cScene* object = cApp::SceneOf(scene);
      const View v{scene, object ? object->m_nState : -1, object ? object->m_nSubState : 0, object,
                   *g_MenuCursor.m_pCur};
      if (steps.empty() || !(steps.back() == Step{v.scene, v.state})) {
        steps.push_back({v.scene, v.state});
        if (onStep) onStep(v);
      }
      if (pressed_) {
        pressed_ = false;
        return;
      }
      if (int key = choose ? choose(v) : 0) {
        run.keysAtPoll[poll] = {key};
        pressed_ = true;
      }
    };
  }
  bool Passed(Step s) const { return std::find(steps.begin(), steps.end(), s) != steps.end(); }
  // The scenes in the order they were entered.
  std::vector<int> Scenes() const {
    std::vector<int> out;
    for (const Step& s : steps)
      if (out.empty() || out.back() != s.scene) out.push_back(s.scene);
    return out;
  }

 private:
  bool pressed_ = false;
};

// Down the menu to the row whose kind is `kind`, then accept.
int ChooseKind(const std::vector<int>& entries, int row, int kind) {
  return row < static_cast<int>(entries.size()) && entries[row] == kind ? 'Z' : VK_DOWN;
}

std::vector<std::string> BoxTexts(const HeadlessRun& run) {
  std::vector<std::string> texts;
  for (const MessageBoxRecord& box : run.Boxes()) texts.push_back(box.text);
  return texts;
}

class RoadTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    SetMutexFolderStandIn(dir_.c_str());
    ResetGameGlobals();
    dlg::ResetForTest();
    g_music.clear();
    g_mainProc = nullptr;
  }
  void TearDown() override {
    ResetGameGlobals();
    dlg::ResetForTest();
    SetMutexFolderStandIn("");
    TempDirTest::TearDown();
  }
};

TEST_F(RoadTest, NewGameStageClearAutoSaveMapMenuAndBackToTheTitle) {
  GameFolder game = RoadGame();
  ASSERT_TRUE(WriteGameFolder(game));
  const std::string slotFile = GetStoryPath(0);
  ASSERT_EQ(slotFile, "user_data\\story\\Story01.dat");

  Progress atFirstMap, atPlay, afterClear;
  bool slotWrittenBeforeClear = true, slotWrittenAfterClear = false;
  bool closed = false;
  int mapVisits = 0;

  HeadlessRun run;
  run.frameLimit = 1500;  // a guard: the script closes the program at the end of the road
  RoadDriver road;
  road.onStep = [&](const RoadDriver::View& v) {
    if (!g_mainProc) {
      g_mainProc = GetWindowProcStandIn(g_hMainWnd);
      SetWindowProcStandIn(g_hMainWnd, &MusicRecordingProc);
    }
    if (v.scene == SCENE_WORLDMAP && v.state == 0 && ++mapVisits == 1) {
      atFirstMap = Progress::Of(g_SaveData);
      slotWrittenBeforeClear = GamePathIsFile(slotFile);
    }
    if (v.scene == SCENE_PLAY && v.state == 0) atPlay = Progress::Of(g_SaveData);
    if (v.scene == SCENE_WORLDMAP && v.state == 0 && mapVisits == 2) {
      afterClear = Progress::Of(g_SaveData);
      slotWrittenAfterClear = GamePathIsFile(slotFile);
    }
  };
  road.choose = [&](const RoadDriver::View& v) -> int {
    if (v.scene == SCENE_TITLE && v.state == 1) {
      if (mapVisits == 0) return 'Z';  // "はじめから", on the row of the last play mode (0)
      if (!closed) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
      closed = true;
    } else if (v.scene == SCENE_TITLE && v.state == 2 && v.sub == 1) {
      return 'Z';  // slot 0, empty
    } else if (v.scene == SCENE_WORLDMAP && v.state == 1) {
      return mapVisits == 1 ? VK_RIGHT : 'X';  // walk onto the node; after the clear, open the menu
    } else if (v.scene == SCENE_WORLDMAP && v.state == 2 && v.sub == 1) {
      return v.cursor.m_nRow == 1 ? VK_UP : 'Z';  // from "やっぱりやめる" up to "ステージに挑む"
    } else if (v.scene == SCENE_MAPMENU && v.state == 1) {
      return ChooseKind(static_cast<cSceneMapMenu*>(v.object)->m_vEntry, v.cursor.m_nRow, 3);  // "タイトルへ"
    } else if (v.scene == SCENE_MAPMENU && v.state == 5 && v.sub == 1) {
      return v.cursor.m_nRow == 1 ? VK_UP : 'Z';  // "タイトルへ戻る"
    }
    return 0;
  };
  road.Attach(run);
  EXPECT_EQ(run.Run(), 0);
  ASSERT_TRUE(closed) << "the road did not come back to the title; report: "
                      << ::testing::PrintToString(LogLines("Report_Game.txt"));
  EXPECT_TRUE(BoxTexts(run).empty()) << ::testing::PrintToString(BoxTexts(run));

  // The scenes in order, and the states the road passed through in each.
  EXPECT_EQ(road.Scenes(), (std::vector<int>{SCENE_TITLE, SCENE_WORLDMAP, SCENE_PLAY, SCENE_WORLDMAP, SCENE_MAPMENU,
                                             SCENE_TITLE}));
  for (Step s : {Step{SCENE_TITLE, 2}, Step{SCENE_TITLE, 4}, Step{SCENE_WORLDMAP, 2}, Step{SCENE_WORLDMAP, 3},
                 Step{SCENE_MAPMENU, 5}, Step{SCENE_MAPMENU, 6}})
    EXPECT_TRUE(road.Passed(s)) << s.scene << "/" << s.state;
  // The play scene went through its main state to the result and out, without a pause or a retry.
  std::vector<int> playStates;
  for (const Step& s : road.steps)
    if (s.scene == SCENE_PLAY && s.state >= 0 && (playStates.empty() || playStates.back() != s.state))
      playStates.push_back(s.state);
  EXPECT_EQ(playStates, (std::vector<int>{PLAY_FADEIN, PLAY_BANNER, PLAY_MAIN, PLAY_RESULT, PLAY_FADEOUT}));

  // The new game in slot 0: a fresh progress at the map's start, lives of the story, auto-save on.
  EXPECT_EQ(atFirstMap.slot, 0);
  EXPECT_EQ(atFirstMap.autoSave, 1);
  EXPECT_EQ(std::make_pair(atFirstMap.mapX, atFirstMap.mapY), std::make_pair(1, 5));
  EXPECT_EQ(atFirstMap.lap, 0);
  EXPECT_EQ(atFirstMap.startLife, 3);
  EXPECT_EQ(atFirstMap.life, 2);
  EXPECT_EQ(atFirstMap.cleared, 0);
  EXPECT_FALSE(slotWrittenBeforeClear);  // nothing is saved before a stage was played

  // Entering the node: the map position is the node's cell, facing right, and the stage is the node's.
  EXPECT_EQ(std::make_pair(atPlay.mapX, atPlay.mapY), std::make_pair(4, 5));
  EXPECT_EQ(atPlay.mapDir, 3);
  EXPECT_EQ(atPlay.stageNo, 1);
  EXPECT_EQ(atPlay.part, 1);
  EXPECT_EQ(atPlay.startLife, 3);
  EXPECT_EQ(atPlay.stage, "data\\stg4\\Road.");

  // The clear: the node's flag, the result counters and the best, and the slot auto-saved by the map.
  EXPECT_EQ(afterClear.cleared, 1);
  EXPECT_EQ(afterClear.totalScore, 100);
  EXPECT_EQ(afterClear.totalHp, kHeroHp);
  EXPECT_EQ(afterClear.bestTotal, 100);
  EXPECT_EQ(std::make_pair(afterClear.mapX, afterClear.mapY), std::make_pair(4, 5));
  EXPECT_TRUE(slotWrittenAfterClear);
  cSaveData saved;
  ASSERT_EQ(saved.Load(slotFile.c_str()), 1);
  EXPECT_EQ(saved.m_vFlag.At(1), 1);
  EXPECT_EQ(saved.m_bAutoSave, 1);
  EXPECT_EQ(saved.m_nTotalScore, 100);
  EXPECT_EQ(std::make_pair(saved.m_nMapX, saved.m_nMapY), std::make_pair(4, 5));

  // Music: the title, the map, the stage (set-up forgets the menu music), the map again; the map menu
  // keeps the map's music, and the title asks for its own.
  std::lock_guard<std::mutex> lock(g_musicMutex);
  EXPECT_EQ(g_music, (std::vector<std::pair<WPARAM, LPARAM>>{{0, 0}, {1, 0}, {4, kStageMusic}, {1, 0}, {0, 0}}));
}

}  // namespace

// The title's free stage: the main window serves the request with the file chooser (run by the dialog
// script, or answered whole), loads the chosen stage for play and the title switches to it.
TEST_F(RoadTest, AFreeStageChosenInTheChooserIsLoadedAndPlayed) {
  struct Case {
    const char* name;
    std::function<void(HeadlessRun&)> answer;
    bool plays;
    std::vector<std::string> boxes;  // in order
  };
  const std::string kQuitAsk = "終了しますか？\n";  // closing outside the title asks
  const auto pick = [](HeadlessRun& run, const char* name) {
    run.dialogSteps = {{dlg::ScriptStep::Pick, 0, true, true, name, 0, nullptr},
                       {dlg::ScriptStep::Click, 0, true, true, "", IDOK, nullptr}};
  };
  const auto whole = [](HeadlessRun& run, const char* path) {
    run.dialogAnswers = {{IDD_FILESELECT, 1, path}};
  };
  const Case cases[] = {
      {"picked in the chooser", [&](HeadlessRun& run) { pick(run, "Sample.stg4_914"); }, true, {kQuitAsk}},
      {"answered whole", [&](HeadlessRun& run) { whole(run, "data\\stg4\\Sample.stg4_914"); }, true, {kQuitAsk}},
      {"cancelled",
       [](HeadlessRun& run) { run.dialogSteps = {{dlg::ScriptStep::Click, 0, true, true, "", IDCANCEL, nullptr}}; },
       false, {}},
      // Chosen, then gone before its load: the load's own message, and the program closes by itself.
      {"gone", [&](HeadlessRun& run) { whole(run, "data\\stg4\\Gone.stg4_914"); }, false,
       {"ステージファイル data\\stg4\\Gone.stg4_914 の読み込みに失敗しました！"}},
  };
  GameFolder game = BasicGameFolder();
  game.system.m_vLifeUnlimited.At(2) = 0;
  game.system.m_vStartLife.At(2) = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteGameFolder(game));
    bool requested = false, closed = false;
    Progress atPlay;
    int gameType = -1, playMode = -1;
    HeadlessRun run;
    run.frameLimit = 600;
    c.answer(run);
    RoadDriver road;
    road.onStep = [&](const RoadDriver::View& v) {
      if (v.scene == SCENE_PLAY && v.state == -1) {
        atPlay = Progress::Of(g_SaveData);
        gameType = cApp::m_nGameType;
        playMode = cApp::m_nPlayMode;
      }
    };
    road.choose = [&](const RoadDriver::View& v) -> int {
      const bool end = (v.scene == SCENE_TITLE && v.state == 1 && requested) ||
                       (v.scene == SCENE_PLAY && v.state >= 0);  // the play scene has set the stage up
      if (end && !closed) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
      closed |= end;
      if (closed || v.scene != SCENE_TITLE || v.state != 1) return 0;
      const int key = ChooseKind(static_cast<cSceneTitle*>(v.object)->m_vEntry, v.cursor.m_nRow, 3);  // "フリー"
      requested = key == 'Z';
      return key;
    };
    road.Attach(run);
    EXPECT_EQ(run.Run(), 0);
    EXPECT_EQ(BoxTexts(run), c.boxes);
    const bool loadFailed = !c.plays && !c.boxes.empty();
    EXPECT_EQ(closed, !loadFailed);  // the script closed the program, or the failed load did
    if (c.plays) {
      EXPECT_EQ(road.Scenes(), (std::vector<int>{SCENE_TITLE, SCENE_PLAY}));
      EXPECT_EQ(gameType, GAMETYPE_FREE);
      EXPECT_EQ(playMode, 3);
      EXPECT_EQ(atPlay.stage, "data\\stg4\\Sample.");
      EXPECT_EQ(atPlay.stageNo, 1);
      EXPECT_EQ(atPlay.part, 1);
      EXPECT_EQ(atPlay.startLife, 4);
      EXPECT_EQ(atPlay.life, 3);
    } else {
      EXPECT_EQ(road.Scenes(), std::vector<int>{SCENE_TITLE});
    }
    ResetGameGlobals();
    dlg::ResetForTest();
  }
}
