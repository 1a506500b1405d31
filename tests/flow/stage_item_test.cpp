// The stage clear, item get, change-flow, sound and music commands and the item command set, on a
// play scene without drawing. Requests to the main window are recorded as the window serves them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/exectable.h"
#include "flow/executors.h"
#include "gamedata/savedata.h"
#include "gamedata/worldmap.h"
#include "objects/hero.h"
#include "scenes/requests.h"
#include "stagedata/itemdata.h"
#include "stagedata/palette.h"
#include "support/status_fixture.h"

namespace {

struct Request {
  UINT msg;
  WPARAM w;
  LPARAM l;
  bool operator==(const Request&) const = default;
};
std::vector<Request> g_requests;
LRESULT RecordRequests(HWND, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WMU_PLAYSOUND || msg == WMU_CHANGEBGM) g_requests.push_back({msg, w, l});
  return 0;
}

// Counts the runs of the item set's sound-effect kind, which the tests use as a marker.
int g_marks = 0;
int CountMark(cCharaBase*, const cFlowCmd*) {
  ++g_marks;
  return 0;
}
int KillHero(cCharaBase* subject, const cFlowCmd*) {
  subject->m_nHP = 0;
  return 0;
}

class StageItemTest : public StatusTest {
 protected:
  void SetUp() override {
    StatusTest::SetUp();
    SetWindowProcStandIn(g_hMainWnd, &RecordRequests);
    g_requests.clear();
    g_marks = 0;
    g_WorldMapData.m_nWidth = 20;
    g_WorldMapData.m_nHeight = 15;
    g_CommonPalette.m_vItem.assign(4, cItemData());
    g_StageData.m_vItem.assign(2, cItemData());
    hero_ = &AddHero(1);
    hero_->m_nHP = 10;
  }
  void TearDown() override {
    g_CommonPalette.m_vItem.clear();
    StatusTest::TearDown();
  }

  // An item command of the kind with the given leading parameters.
  static cFlowCmd Item(int kind, std::vector<int32_t> params = {}) {
    cFlowCmd c = Cmd(kind);
    c.m_nCategory = CMD_CATEGORY_ITEM;
    for (size_t i = 0; i < params.size(); ++i) c.m_vParam[i] = params[i];
    return c;
  }
  static cFlowCmd Obj(int kind, std::vector<int32_t> params = {}) {
    cFlowCmd c = Cmd(kind);
    for (size_t i = 0; i < params.size(); ++i) c.m_vParam[i] = params[i];
    return c;
  }
  static void Give(cItemData& item, std::vector<cFlowCmd> cmds) { item.m_vCmd.assign(cmds.begin(), cmds.end()); }
  // The command run through the object command table, as a flow runs it.
  static int RunAsFlowCmd(cCharaBase* subject, const cFlowCmd& c) {
    cCmdInstance inst;
    inst.m_pCmd = &c;
    return g_CmdExecDefaults[static_cast<size_t>(c.m_nKind)](subject, &inst);
  }

  cHero* hero_ = nullptr;
};

TEST_F(StageItemTest, StageClearSaysWherePlayGoesNext) {
  g_SaveData.m_nStageNo = 4;
  const struct {
    const char* name;
    int mode;
    std::string text;
    int wantNumber;
    std::string wantFile;
    bool box;
  } cases[] = {
      {"next", 0, "", 5, "", false},
      {"by number", 1, "", 9, "", false},
      {"by path", 2, "data\\stg4\\castle.stg4_914", 4, "data\\stg4\\castle.", false},
      {"by an empty path", 2, "", 4, "", true},
      {"world clear", 3, "", 0, "", false},
      {"unknown mode", 7, "", 77, "keep", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    scene_.m_nNextStage = 77;
    scene_.m_strNextStage = "keep";
    cFlowCmd cmd = Obj(CMD_STAGE_CLEAR, {c.mode, 9});
    cmd.m_strText = c.text;
    EXPECT_EQ(ExecStageClear(nullptr, cmd), 1);
    EXPECT_EQ(scene_.m_nNextStage, c.wantNumber);
    EXPECT_EQ(scene_.m_strNextStage, c.wantFile);
    const std::vector<std::string> boxes = Boxes();
    if (c.box)
      EXPECT_EQ(boxes, std::vector<std::string>{
                           "ステージファイル  が不正です。\nステージファイルとして認識できません。"});
    else
      EXPECT_TRUE(boxes.empty());
  }
}

TEST_F(StageItemTest, StageClearSetsTheMapPlaceAndTheNextStart) {
  g_SaveData.m_bMapReturn = 1;
  ExecStageClear(nullptr, Obj(CMD_STAGE_CLEAR, {0, 0, 1, 100, -3}));
  EXPECT_EQ(g_SaveData.m_nMapX, 19) << "clamped to the map from above";
  EXPECT_EQ(g_SaveData.m_nMapY, -3) << "a negative place is kept";
  EXPECT_EQ(g_SaveData.m_bMapReturn, 0);
  ExecStageClear(nullptr, Obj(CMD_STAGE_CLEAR, {0, 0, 0, 5, 5}));
  EXPECT_EQ(g_SaveData.m_nMapX, 19) << "parameter 2 off leaves the place";

  for (int facing : {0, 1}) {
    hero_->m_nFacing = facing;
    ExecStageClear(nullptr, Obj(CMD_STAGE_CLEAR, {0, 0, 0, 0, 0, 1, 3, 4, 2}));
    EXPECT_EQ(g_SaveData.m_bNextStart, 1);
    EXPECT_EQ(g_SaveData.m_nNextStartX, 3);
    EXPECT_EQ(g_SaveData.m_nNextStartY, 4);
    EXPECT_EQ(g_SaveData.m_nNextStartDir, facing) << "facing 2 takes the hero's";
  }
  ExecStageClear(nullptr, Obj(CMD_STAGE_CLEAR, {0, 0, 0, 0, 0, 1, 3, 4, 0}));
  EXPECT_EQ(g_SaveData.m_nNextStartDir, 0);
  ExecStageClear(nullptr, Obj(CMD_STAGE_CLEAR, {0, 0, 0, 0, 0, 0, 3, 4, 1}));
  EXPECT_EQ(g_SaveData.m_bNextStart, 0);
}

TEST_F(StageItemTest, OnlyTheFlowCommandsStageClearEndsTheStageByItself) {
  EXPECT_EQ(RunAsFlowCmd(nullptr, Obj(CMD_STAGE_CLEAR)), 1);
  EXPECT_EQ(scene_.m_nStageEnd, 1);
  scene_.m_nStageEnd = 0;
  const cFlowCmd item = Item(ICMD_STAGE_CLEAR);
  EXPECT_EQ(DispatchItemCmd(hero_, &item), 1);
  EXPECT_EQ(scene_.m_nStageEnd, 0) << "the item list's runner takes the 1";
}

TEST_F(StageItemTest, ItemGetRunsThePaletteItemAndRaisesTheStageEnd) {
  g_ItemCmdExecTable[ICMD_SE] = &CountMark;
  g_ItemCmdExecTable[ICMD_BGM] = &KillHero;
  Give(g_CommonPalette.m_vItem[1], {Item(ICMD_SE), Item(ICMD_STAGE_CLEAR), Item(ICMD_SE)});
  Give(g_StageData.m_vItem[1], {Item(ICMD_BGM), Item(ICMD_SE)});
  Give(g_CommonPalette.m_vItem[2], {Item(ICMD_SE)});

  RunAsFlowCmd(hero_, Obj(CMD_ITEM_GET, {0, 1}));
  EXPECT_EQ(scene_.m_nStageEnd, 1) << "cleared in the same frame";
  EXPECT_EQ(g_marks, 1) << "the list stops at the clear";

  scene_.m_nStageEnd = 0;
  RunAsFlowCmd(hero_, Obj(CMD_ITEM_GET, {1, 1}));
  EXPECT_EQ(scene_.m_nStageEnd, 2) << "the stage's own palette; the hero died";
  EXPECT_EQ(g_marks, 1) << "nothing runs after HP 0";

  hero_->m_nHP = 10;
  scene_.m_nStageEnd = 1;
  RunAsFlowCmd(hero_, Obj(CMD_ITEM_GET, {0, 2}));
  EXPECT_EQ(g_marks, 2);
  EXPECT_EQ(scene_.m_nStageEnd, 1) << "a result of 0 keeps an earlier request";
  RunAsFlowCmd(hero_, Obj(CMD_ITEM_GET, {2, 2}));
  EXPECT_EQ(g_marks, 2) << "no such palette";
}

TEST_F(StageItemTest, ItemsThatGetThemselvesStopAtTheNestingBound) {
  g_ItemCmdExecTable[ICMD_SE] = &CountMark;
  Give(g_CommonPalette.m_vItem[0], {Item(ICMD_SE), Item(ICMD_ITEM_GET, {0, 0})});
  ExecItemGet(hero_, Obj(CMD_ITEM_GET, {0, 0}));
  EXPECT_EQ(g_marks, kItemCmdNestMax);
  g_marks = 0;
  Give(g_CommonPalette.m_vItem[1], {Item(ICMD_SE), Item(ICMD_ITEM_GET, {1, 0})});
  Give(g_StageData.m_vItem[0], {Item(ICMD_SE), Item(ICMD_ITEM_GET, {0, 1})});
  ExecItemGet(hero_, Obj(CMD_ITEM_GET, {0, 1}));
  EXPECT_EQ(g_marks, kItemCmdNestMax);
  EXPECT_EQ(hero_->m_nItemCmdDepth, 0);
}

TEST_F(StageItemTest, ItemGetUnrollsLoopsInItsOwnCopy) {
  g_ItemCmdExecTable[ICMD_SE] = &CountMark;
  cFlowCmd loop = Item(ICMD_LOOP, {3, 1});
  Give(g_CommonPalette.m_vItem[3], {loop, Item(ICMD_SE)});
  ExecItemGet(hero_, Obj(CMD_ITEM_GET, {0, 3}));
  EXPECT_EQ(g_marks, 3);
  ASSERT_EQ(g_CommonPalette.m_vItem[3].m_vCmd.Size(), 2) << "the shared definition is untouched";
  EXPECT_EQ(g_CommonPalette.m_vItem[3].m_vCmd[0].m_nKind, ICMD_LOOP);
  // Reached at run time, a loop does nothing and the list goes on.
  const cCheckedVector<cFlowCmd> raw = {loop, Item(ICMD_SE)};
  EXPECT_EQ(hero_->RunItemCommands(raw), 0);
  EXPECT_EQ(g_marks, 4);
}

TEST_F(StageItemTest, ChangeFlowAddsReplacesAndDeletes) {
  cChara& other = Body(2, 100, 100);
  auto withFlows = [](int mode, int id, std::vector<int> keys) {
    cFlowCmd c = Item(ICMD_CHANGE_FLOW, {mode, id});
    for (int k : keys) c.m_vFlow.push_back(Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, k));
    return c;
  };
  auto keys = [](const cCharaBase& c) {
    std::vector<int> v;
    for (const cFlow& f : c.m_Chara.m_vFlow) v.push_back(f.m_nKey);
    return v;
  };
  const struct {
    const char* name;
    cFlowCmd cmd;
    std::vector<int> want;
  } cases[] = {
      {"add", withFlows(0, 0, {7}), {1, 2, 1, 7}},
      {"change A", withFlows(1, 1, {8, 9}), {8, 9, 2}},
      {"change every flow", withFlows(1, 0, {8}), {8}},
      {"change an unknown ID appends", withFlows(1, 5, {8}), {1, 2, 1, 8}},
      {"delete A", withFlows(2, 1, {}), {2}},
      {"delete every flow", withFlows(2, 0, {}), {}},
      {"another mode", withFlows(3, 1, {8}), {1, 2, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Install(*hero_, {Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, 1), Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, 2),
                     Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, 1)});
    // From another object's flow the change is made at once.
    scene_.m_pCurObj = &other;
    EXPECT_EQ(DispatchItemCmd(hero_, &c.cmd), 0);
    EXPECT_EQ(keys(*hero_), c.want);
    ASSERT_EQ(hero_->m_vFlowInst.Size(), hero_->m_Chara.m_vFlow.Size());
    for (const cFlowInstance& inst : hero_->m_vFlowInst) EXPECT_FALSE(inst.m_bRunning) << "installed, not running";
  }
}

TEST_F(StageItemTest, ChangeFlowInTheHerosOwnPassWaitsForTheEndOfThePass) {
  Install(*hero_, {Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, 1)});
  cFlowCmd change = Item(ICMD_CHANGE_FLOW, {0, 0});
  change.m_vFlow.push_back(Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT)}, 0, 3));
  scene_.m_pCurObj = hero_;
  DispatchItemCmd(hero_, &change);
  EXPECT_EQ(hero_->m_Chara.m_vFlow.Size(), 1);
  ASSERT_EQ(hero_->m_vPendingFlowCmds.size(), 1u);
  // The pass runs the deferred record itself.
  ExecChangeFlow(hero_, &hero_->m_vPendingFlowCmds[0], 1);
  EXPECT_EQ(hero_->m_Chara.m_vFlow.Size(), 2);
}

TEST_F(StageItemTest, SoundAndMusicGoToTheMainWindow) {
  cChara& c = Body(2, 100, 100);
  cFlowCmd se = Obj(CMD_SE, {5});
  se.m_bSoundOnScreen = 1;
  c.m_bOnScreen = 0;
  ExecPlaySE(&c, se);
  EXPECT_TRUE(g_requests.empty()) << "off screen, a screen sound stays silent";
  c.m_bOnScreen = 1;
  ExecPlaySE(&c, se);
  se.m_bSoundOnScreen = 0;
  c.m_bOnScreen = 0;
  ExecPlaySE(&c, se);
  ExecPlaySE(&c, Obj(CMD_SE, {0}));
  // Through the item set too.
  cFlowCmd itemSe = Item(ICMD_SE, {2});
  itemSe.m_bSoundOnScreen = 0;
  DispatchItemCmd(hero_, &itemSe);
  const std::vector<Request> sounds = {{WMU_PLAYSOUND, 21, 0}, {WMU_PLAYSOUND, 21, 0}, {WMU_PLAYSOUND, 18, 0}};
  EXPECT_EQ(g_requests, sounds);

  g_requests.clear();
  ExecPlayBGM(nullptr, Obj(CMD_BGM, {7, 1}));
  EXPECT_EQ(g_bStageBgmLoop, 1);
  const cFlowCmd stop = Item(ICMD_BGM, {0, 0});
  DispatchItemCmd(hero_, &stop);
  EXPECT_EQ(g_bStageBgmLoop, 0);
  EXPECT_EQ(g_requests, (std::vector<Request>{{WMU_CHANGEBGM, 4, 7}, {WMU_CHANGEBGM, 4, 0}}));
}

TEST_F(StageItemTest, ItemListOfMessagesClearAndSound) {
  // Two messages, a clear and a sound: the sound never plays. The messages run while closing here,
  // so that they make no windows; their continuation flags are the scene's item-set flag.
  scene_.m_bQuit = 1;
  const cCheckedVector<cFlowCmd> list = {Item(ICMD_MESSAGE), Item(ICMD_MESSAGE), Item(ICMD_STAGE_CLEAR),
                                         Item(ICMD_SE, {3})};
  scene_.m_bItemSetMessage = 1;
  EXPECT_EQ(hero_->RunItemCommands(list), 1);
  EXPECT_EQ(scene_.m_bItemSetMessage, 1);
  EXPECT_TRUE(g_requests.empty());
  EXPECT_TRUE(scene_.m_lMesWindow.empty());
}

}  // namespace
