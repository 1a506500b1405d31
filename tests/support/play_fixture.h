// Flow-driven objects in a play scene without drawing: the game-wide records, the stage's sub-step
// values, the object containers, the input devices and the command tables back in a known state.
// The command executors are replaced by one that records each call (subject, kind, flow pass) and
// runs an optional action per kind.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "flow/exectable.h"
#include "flow/executors.h"
#include "flow/flowinst.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"
#include "stagedata/anime.h"
#include "stagedata/database.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"

struct ExecCall {
  int objNo;
  int kind;
  bool operator==(const ExecCall&) const = default;
};

class PlayTest : public ::testing::Test {
 protected:
  // What a command of the kind does when it runs, besides being recorded.
  static std::map<int, std::function<void(cCharaBase*, cCmdInstance*)>>& Actions() {
    static std::map<int, std::function<void(cCharaBase*, cCmdInstance*)>> actions;
    return actions;
  }
  static std::vector<ExecCall>& Calls() {
    static std::vector<ExecCall> calls;
    return calls;
  }
  static int RecordingExec(cCharaBase* subject, cCmdInstance* cmd) {
    const int kind = cmd->m_pCmd->m_nKind;
    Calls().push_back({subject ? subject->m_nObjNo : -1, kind});
    auto it = Actions().find(kind);
    if (it != Actions().end()) it->second(subject, cmd);
    return 0;
  }

  void SetUp() override {
    g_SystemData = cSystemData();
    g_StageData = cStageData();
    SetSteps(1);
    g_Database.SetDefaults();
    g_SaveData.Reset(0);
    g_bReplayPlayback = 0;
    g_vInput.assign(2, cInput());
    g_lstChara.clear();
    g_vHero.clear();
    g_vHero.reserve(1);
    g_MapCells.clear();
    g_AnimeFrameTables.clear();
    g_pScenePlay = &scene_;
    // A stage wide enough that the characters' bounds hold no object of a test.
    scene_.m_ScrollX.m_nOuterRange = scene_.m_ScrollY.m_nOuterRange = 4096;
    g_CmdExecTable.fill(&RecordingExec);
    g_ItemCmdExecTable = g_ItemCmdExecDefaults;
    Calls().clear();
    Actions().clear();
  }

  void TearDown() override {
    g_lstChara.clear();
    g_vHero.clear();
    g_pScenePlay = nullptr;
    g_CmdExecTable = g_CmdExecDefaults;
    g_ItemCmdExecTable = g_ItemCmdExecDefaults;
    Actions().clear();
  }

  // n sub-steps per frame.
  static void SetSteps(int n) { g_StageData.SetCollisionLevel(n); }

  // A character of the list with the object number; computer-operated, facing right.
  static cChara& AddChara(int objNo) {
    cChara& c = g_lstChara.emplace_back();
    c.m_nObjNo = objNo;
    c.m_nOperation = 1;
    c.m_nFacing = 1;
    return c;
  }
  static cHero& AddHero(int objNo = 1) {
    cHero& h = g_vHero.emplace_back();
    h.m_nObjNo = objNo;
    h.m_nOperation = 0;
    h.m_nFacing = 1;
    return h;
  }

  static cFlowCmd Cmd(int kind, int16_t time = 0, int goOn = 0) {
    cFlowCmd c;
    c.m_nKind = static_cast<int8_t>(kind);
    c.m_sTime = time;
    c.m_bGoOn = static_cast<int8_t>(goOn);
    c.m_vParam.assign(32, 0);
    return c;
  }
  static cFlow Flow(int trigger, std::vector<cFlowCmd> cmds, int flowId = 0, int key = 0) {
    cFlow f;
    f.m_nTrigger = static_cast<int8_t>(trigger);
    f.m_nFlowId = static_cast<int8_t>(flowId);
    f.m_nKey = static_cast<int8_t>(key);
    f.m_vCmd.assign(cmds.begin(), cmds.end());
    return f;
  }
  // Gives the object these flows as its own, installed.
  static void Install(cCharaBase& obj, std::vector<cFlow> flows) {
    obj.m_Chara.m_vFlow.assign(flows.begin(), flows.end());
    obj.AddFlows(obj.m_Chara.m_vFlow, 0, 0);
  }

  // One flow pass of the object as the objects' flow pass runs it: the running flows are stepped in
  // order and ended when finished.
  static void Pass(cCharaBase& obj) {
    cFlowContextGuard guard;
    g_pScenePlay->m_pCurObj = &obj;
    for (int i = 0; i < obj.m_vFlowInst.Size(); ++i) {
      cFlowInstance& inst = obj.m_vFlowInst[i];
      if (!inst.m_bRunning || inst.m_bPaused || inst.m_bStopped) continue;
      if (inst.Step()) obj.m_vFlowInst[i].End(&obj);
    }
  }

  static std::vector<int> KindsCalled() {
    std::vector<int> kinds;
    for (const ExecCall& c : Calls()) kinds.push_back(c.kind);
    return kinds;
  }

  cScenePlay scene_;
};
