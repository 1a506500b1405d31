#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/text.h"
#include "flow/code.h"
#include "flow/condeval.h"
#include "flow/executors.h"
#include "gamedata/savedata.h"
#include "support/status_fixture.h"

namespace {

// One command of a flow in the table: a code line counting its runs in stage variable `var`, a plain
// message (var 0), or another kind; its usage time in passes.
struct CmdSpec {
  int var;
  int time;
  int goOn = 0;
  int kind = CMD_CODE;
};
struct FlowSpec {
  int trigger;
  std::vector<CmdSpec> cmds;
  int flowId = 0;
  int onlyWhileS9Is0 = 0;  // a condition: stage variable 9 is 0
};

class RuntimeTest : public StatusTest {
 protected:
  void SetUp() override {
    StatusTest::SetUp();
    Log().clear();
    pass_ = 0;
    g_CmdExecTable[CMD_CODE] = &LoggedCode;
    g_CmdExecTable[CMD_MESSAGE] = &LoggedMessage;
  }

  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  static inline int pass_ = 0;
  // The code line runs, and the pass and its variable are logged.
  static int LoggedCode(cCharaBase* s, cCmdInstance* c) {
    Log().push_back(StrPrintf("%d:%s", pass_, c->m_pCmd->m_strText.substr(1, c->m_pCmd->m_strText.find(' ') - 1).c_str()));
    return g_CmdExecDefaults[CMD_CODE](s, c);
  }
  // A message logs the after-message flag it is handed.
  static int LoggedMessage(cCharaBase*, cCmdInstance*) {
    const cFlowInstance* f = g_pScenePlay->m_pCurFlow;
    Log().push_back(StrPrintf("%d:M%d", pass_, f ? f->m_bAfterMessage : -1));
    return 0;
  }

  static cFlow MakeFlow(const FlowSpec& flowDef) {
    std::vector<cFlowCmd> cmds;
    for (const CmdSpec& c : flowDef.cmds) {
      cFlowCmd cmd = Cmd(c.var == 0 ? CMD_MESSAGE : c.kind, 0, c.goOn);
      cmd.m_vParam.assign(32, 0);
      cmd.m_strText = StrPrintf("S%d = S%d + 1", c.var, c.var);
      cmds.push_back(cmd);
    }
    cFlow f = Flow(flowDef.trigger, cmds, flowDef.flowId);
    if (flowDef.onlyWhileS9Is0) {
      cCond c;
      c.m_nKind = COND_STAGE_VAR;
      c.m_sIndex = 9;
      c.m_nOp = CMP_EQ;
      f.m_vCond.push_back(c);
    }
    return f;
  }
  // Installs the flows with their usage times in passes.
  static void InstallSpecs(cCharaBase& obj, const std::vector<FlowSpec>& specs) {
    std::vector<cFlow> flows;
    for (const FlowSpec& s : specs) flows.push_back(MakeFlow(s));
    Install(obj, flows);
    for (size_t i = 0; i < specs.size(); ++i)
      for (size_t j = 0; j < specs[i].cmds.size(); ++j) obj.m_vFlowInst[i].m_vCmd[j].m_nUseTime = specs[i].cmds[j].time;
  }
  // A displayed frame of the flows: the trigger flags reset, then per sub-step the always trigger
  // and the flow pass; every flow that stops running in a pass is logged as "pass:E<index>".
  void Frame(cCharaBase& obj, const std::function<void(int)>& beforePass = nullptr) {
    obj.ResetTriggerFlags();
    for (int s = 0; s < g_StageData.m_nStepsPerFrame; ++s) {
      ++pass_;
      if (beforePass) beforePass(pass_);
      std::vector<int> running;
      for (const cFlowInstance& f : obj.m_vFlowInst) running.push_back(f.m_bRunning);
      obj.RaiseTrigger(FLOW_TRIG_ALWAYS);
      for (size_t i = 0; i < running.size(); ++i)
        if (!running[i] && obj.m_vFlowInst[i].m_bRunning) running[i] = 1;
      obj.RunFlows(0);
      for (size_t i = 0; i < running.size(); ++i)
        if (running[i] && !obj.m_vFlowInst[i].m_bRunning) Log().push_back(StrPrintf("%d:E%zu", pass_, i));
    }
  }
  static std::string Joined() {
    std::string s;
    for (const std::string& e : Log()) s += (s.empty() ? "" : " ") + e;
    return s;
  }
};

TEST_F(RuntimeTest, PassesOfEachCommandAndTheEndOfEachFlow) {
  const int A = FLOW_TRIG_ALWAYS;
  const struct {
    const char* what;
    int steps, frames;
    std::vector<FlowSpec> flows;
    const char* want;
  } cases[] = {
      {"sequential 3, 0, 2", 1, 6, {{A, {{1, 3}, {2, 0}, {3, 2}}}}, "1:1 2:1 3:1 4:2 5:3 6:3 6:E0"},
      {"the same in passes at 2 sub-steps", 2, 3, {{A, {{1, 3}, {2, 0}, {3, 2}}}}, "1:1 2:1 3:1 4:2 5:3 6:3 6:E0"},
      {"go on at once, cut off by the last", 1, 2, {{A, {{1, 10, 1}, {2, 2}}}}, "1:1 1:2 2:1 2:2 2:E0"},
      {"a one-pass always flow runs once per displayed frame", 2, 2, {{A, {{1, 1}}}}, "1:1 1:E0 3:1 3:E0"},
      {"a flow without commands ends unstepped", 2, 2, {{A, {}}}, "1:E0 3:E0"},
      {"after a sequential command, a go-on command and the next start in one pass", 1, 3,
       {{A, {{1, 2}, {2, 1, 1}, {3, 1}}}}, "1:1 2:1 3:2 3:3 3:E0"},
      {"one flow number: the second waits for the next frame", 1, 4,
       {{A, {{9, 2}}, 1, 1}, {A, {{2, 1}}, 1}}, "1:9 2:9 2:E0 3:2 3:E1 4:2 4:E1"},
      {"one flow number at 2 sub-steps: released in a pass, started in the next frame", 2, 2,
       {{A, {{9, 1}}, 1, 1}, {A, {{2, 1}}, 1}}, "1:9 1:E0 3:2 3:E1"},
      {"other flow numbers run side by side", 1, 1, {{A, {{1, 1}}, 1}, {A, {{2, 1}}, 2}}, "1:1 1:2 1:E0 1:E1"},
      {"a plain message sets the flag for the next message only", 1, 6,
       {{A, {{0, 1}, {0, 1}, {1, 1}, {0, 1}, {0, 1, 1}, {0, 1}}}},
       "1:M0 2:M1 3:1 4:M0 5:M1 5:M1 5:E0 6:M0"},  // a new start clears it
      {"a never-raised flow never runs", 1, 2, {{FLOW_TRIG_NONE, {{1, 1}}}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_lstChara.clear();
    scene_.m_vStageVar.Fill(0);
    Log().clear();
    pass_ = 0;
    SetSteps(c.steps);
    cChara& obj = Body(1, 400, 400);
    InstallSpecs(obj, c.flows);
    for (int f = 0; f < c.frames; ++f) Frame(obj);
    EXPECT_EQ(Joined(), c.want);
  }
}

TEST_F(RuntimeTest, CodeLinesCountThePasses) {
  SetSteps(2);
  cChara& obj = Body(1, 400, 400);
  InstallSpecs(obj, {{FLOW_TRIG_ALWAYS, {{1, 0, 1}, {2, 3}}}});
  for (int f = 0; f < 5; ++f) Frame(obj);
  // Each run lasts 3 passes; a run that started in an earlier frame may start again in the pass
  // after it ended: runs start in passes 1, 4, 7 and 10.
  EXPECT_EQ(scene_.m_vStageVar[1], 4);
  EXPECT_EQ(scene_.m_vStageVar[2], 10);
}

TEST_F(RuntimeTest, PauseResumeAndStopForGood) {
  cChara& obj = Body(1, 400, 400);
  InstallSpecs(obj, {{FLOW_TRIG_ALWAYS, {{1, 3}, {2, 1}}, 4}});
  cFlowInstance& f = obj.m_vFlowInst[0];
  Frame(obj);
  f.Pause();
  Frame(obj);
  Frame(obj);
  EXPECT_EQ(Joined(), "1:1") << "paused: not stepped, not restarted";
  f.Resume();
  Frame(obj);
  Frame(obj);
  Frame(obj);
  EXPECT_EQ(Joined(), "1:1 4:1 5:1 6:2 6:E0") << "resumed with the time it had";

  // A paused flow that is ended keeps its pause and is not started by the trigger.
  Log().clear();
  Frame(obj);  // pass 7: started again
  f.Pause();
  f.End(&obj);
  EXPECT_EQ(f.m_bPaused, 1);
  EXPECT_EQ(f.m_bRunning, 0);
  Frame(obj);
  EXPECT_EQ(Joined(), "7:1");
  f.Resume();
  Frame(obj);
  EXPECT_EQ(Joined(), "7:1 9:1");

  // Stopped for good while running: the flow number is released, m_bRunning stays, nothing clears
  // the stop, and a start marks it running without it ever being stepped.
  Log().clear();
  f.StopForever(&obj);
  EXPECT_EQ(f.m_bRunning, 1);
  EXPECT_EQ(f.m_bStopped, 1);
  EXPECT_EQ(f.m_vCmd[0].m_nRemain, 0);
  EXPECT_EQ(obj.m_vFlowIdEnded[4], 1);
  Frame(obj);
  EXPECT_EQ(obj.m_vFlowIdBlocked[4], 0) << "released after the pass";
  f.Start(&obj);
  EXPECT_EQ(obj.m_vFlowIdBlocked[4], 1) << "its number stays in use for good";
  Frame(obj);
  Frame(obj);
  EXPECT_EQ(Joined(), "");
  EXPECT_EQ(f.m_bStopped, 1);
  // Stopping an idle flow releases nothing.
  cFlowInstance& g = obj.m_vFlowInst[0];
  g.m_bRunning = 0;
  obj.m_vFlowIdEnded.Fill(0);
  g.StopForever(&obj);
  EXPECT_EQ(obj.m_vFlowIdEnded[4], 0);
}

TEST_F(RuntimeTest, BeforeStartFlowsRunTheirLaterKindsGoingOnAtOnce) {
  cChara& obj = Body(1, 400, 400);
  InstallSpecs(obj, {{FLOW_TRIG_BEFORE_START, {{1, 0, 1}, {2, 0, 0}, {3, 0, 1, CMD_WAIT}, {4, 0, 1}}}});
  obj.RaiseTrigger(FLOW_TRIG_BEFORE_START);
  EXPECT_EQ(Joined(), "0:1 0:4");
  EXPECT_EQ(obj.m_vFlowInst[0].m_bRunning, 0);
  EXPECT_TRUE(Boxes().empty());
  // A command that would not finish in its one step is reported (with the debug switch) and the
  // run goes on.
  Log().clear();
  obj.m_vFlowInst[0].m_vCmd[0].m_nUseTime = 5;
  obj.m_vFlowInst[0].Start(&obj);
  EXPECT_EQ(Joined(), "0:1 0:4");
}

TEST_F(RuntimeTest, WhileDyingOnlyDeathFlowsRun) {
  cChara& obj = Body(1, 400, 400);
  InstallSpecs(obj, {{FLOW_TRIG_ALWAYS, {{1, 5}}}, {FLOW_TRIG_DEATH, {{2, 1}}}});
  Frame(obj);
  obj.RaiseTrigger(FLOW_TRIG_DEATH);
  ++pass_;
  obj.RunFlows(1);
  EXPECT_EQ(Joined(), "1:1 2:2");
  EXPECT_EQ(obj.m_vFlowInst[0].m_bRunning, 1) << "frozen, not ended";
  EXPECT_EQ(obj.m_vFlowInst[0].m_vCmd[0].m_nRemain, 4);
}

TEST_F(RuntimeTest, ASubjectBroughtToZeroEndsItsPass) {
  cChara& obj = Body(1, 400, 400, 5);
  InstallSpecs(obj, {{FLOW_TRIG_ALWAYS, {{1, 1}}}, {FLOW_TRIG_ALWAYS, {{2, 1}}}});
  cFlowCmd kill = Cmd(CMD_CODE);
  kill.m_strText = "hp = 0";
  obj.m_vFlowInst[0].m_vCmd[0].m_pCmd = &kill;
  obj.ResetTriggerFlags();
  obj.RaiseTrigger(FLOW_TRIG_ALWAYS);
  EXPECT_EQ(obj.RunFlows(0), 1);
  EXPECT_EQ(scene_.m_vStageVar[2], 0) << "the second flow was not stepped";
}

TEST_F(RuntimeTest, AnAbortedPassIsNotCounted) {
  cChara& obj = Body(1, 400, 400);
  InstallSpecs(obj, {{FLOW_TRIG_ALWAYS, {{1, 5}}}});
  Frame(obj);
  Frame(obj);
  EXPECT_EQ(obj.m_vFlowInst[0].m_nFrame, 2);
  // A command that changes its own flow ends the pass, which does not count.
  g_CmdExecTable[CMD_CODE] = [](cCharaBase*, cCmdInstance*) {
    g_pScenePlay->m_pCurFlow->m_bAbort = 1;
    return 0;
  };
  Frame(obj);
  EXPECT_EQ(obj.m_vFlowInst[0].m_nFrame, 2);
  EXPECT_EQ(obj.m_vFlowInst[0].m_vCmd[0].m_nRemain, 2) << "the command itself ran";
}

TEST_F(RuntimeTest, TheAdaptersHandOverTheirExtraArguments) {
  cChara& obj = Body(1, 400, 400);
  // The stage clear's result becomes the stage-end request; its body called alone leaves it.
  cFlowCmd clear = Cmd(CMD_STAGE_CLEAR);
  cCmdInstance inst;
  inst.m_pCmd = &clear;
  scene_.m_nStageEnd = 2;
  g_CmdExecDefaults[CMD_STAGE_CLEAR](&obj, &inst);
  EXPECT_EQ(scene_.m_nStageEnd, ExecStageClear(&obj, clear));
  scene_.m_nStageEnd = 2;
  ExecStageClear(&obj, clear);
  EXPECT_EQ(scene_.m_nStageEnd, 2);
  // The code adapter returns the line's result.
  cFlowCmd code = Cmd(CMD_CODE);
  code.m_strText = "C3 = 3";
  inst.m_pCmd = &code;
  EXPECT_EQ(g_CmdExecDefaults[CMD_CODE](&obj, &inst), 1);
  code.m_strText = "C3 = ";
  EXPECT_EQ(g_CmdExecDefaults[CMD_CODE](&obj, &inst), 0);
  Boxes();
  // Kinds 0, 1 and 39 do nothing, and every kind has an executor.
  for (int k : {CMD_NONE, CMD_WAIT, CMD_LOOP}) {
    cFlowCmd c = Cmd(k);
    inst.m_pCmd = &c;
    EXPECT_EQ(g_CmdExecDefaults[k](&obj, &inst), 0);
  }
  for (CmdExecFn fn : g_CmdExecDefaults) EXPECT_NE(fn, nullptr);
}

TEST_F(RuntimeTest, RepeatingCommandsActEverySixDisplayedFrames) {
  for (int n : {1, 3}) {
    SetSteps(n);
    cCmdInstance inst;
    std::vector<int> acted;
    for (int p = 1; p <= 30 * n; ++p)
      if (RepeatCounterActs(&inst)) acted.push_back(p);
    std::vector<int> want;
    for (int p = 1; p <= 30 * n; p += 6 * n) want.push_back(p);
    EXPECT_EQ(acted, want) << n << " sub-steps";
  }
}

TEST_F(RuntimeTest, RandomFlowsAreDeterministicFromTheSeed) {
  auto run = [this](uint32_t seed) {
    g_lstChara.clear();
    scene_.m_vStageVar.Fill(0);
    g_SaveData.m_vCommonVar.Fill(0);
    RandSeed(seed);
    SetSteps(2);
    cChara& obj = Body(1, 400, 400);
    cFlow rnd = MakeFlow({FLOW_TRIG_ALWAYS, {{1, 1}}});
    rnd.m_vCmd[0].m_strText = "C1 = C1 + rand(1, 6) * 2";
    cCond chance;
    chance.m_nKind = COND_STATUS;
    chance.m_nLeftSource = 1;
    chance.m_nLeftScope = 1;
    chance.m_sIndex = 5;
    chance.m_nRightSource = 1;
    chance.m_nRandMin = 0;
    chance.m_nRandMax = 3;
    chance.m_nOp = CMP_EQ;
    rnd.m_vCond.push_back(chance);  // S5 (always 0) equals a random 0..3
    cFlow count = MakeFlow({FLOW_TRIG_ALWAYS, {{2, 1}}});
    count.m_vCmd[0].m_strText = "C2 = C2 + rand(0, 1)";
    Install(obj, {rnd, count});
    for (int f = 0; f < 300; ++f) Frame(obj);
    return std::make_pair(g_SaveData.m_vCommonVar[1], g_SaveData.m_vCommonVar[2]);
  };
  const auto first = run(99);
  EXPECT_EQ(run(99), first);
  EXPECT_GT(first.first, 0);
  EXPECT_GT(first.second, 0);
  EXPECT_NE(run(100), first);
}

}  // namespace
