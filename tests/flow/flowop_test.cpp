#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "flow/exec_fixture.h"
#include "objects/objlists.h"
#include "objects/chara.h"
#include "stagedata/cond.h"

namespace {

enum { OP_START, OP_END, OP_PAUSE, OP_RESUME, OP_DELETE, OP_STOP };
enum { THIS_FLOW, OTHER_FLOWS, BY_ID };

class FlowOpTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    Log().clear();
    g_CmdExecTable[CMD_CODE] = &Logged;
  }
  static std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
  }
  // A code command logs "<subject>:<text>" instead of running.
  static int Logged(cCharaBase* s, cCmdInstance* c) {
    Log().push_back(StrPrintf("%d:%s", s->m_nObjNo, c->m_pCmd->m_strText.c_str()));
    return 0;
  }
  static std::string Joined() {
    std::string s;
    for (const std::string& e : Log()) s += (s.empty() ? "" : " ") + e;
    Log().clear();
    return s;
  }
  static cFlowCmd Mark(const char* text, int goOn = 0) {
    cFlowCmd c = Cmd(CMD_CODE, 0, goOn);
    c.m_strText = text;
    return c;
  }
  static cFlowCmd Op(int op, int which, int id = 0, int whose = 0, int goOn = 0) {
    cFlowCmd c = Cmd(CMD_FLOW_OP, 0, goOn);
    c.m_vParam[0] = op;
    c.m_vParam[1] = which;
    c.m_vParam[2] = id;
    c.m_vParam[3] = whose;
    return c;
  }
  static cFlow Keyed(int trigger, std::vector<cFlowCmd> cmds, int key, int flowId = 0) {
    return Flow(trigger, std::move(cmds), flowId, key);
  }
  // A character with the flows installed and every flow of trigger "none" started.
  cChara& With(int objNo, std::vector<cFlow> flows) {
    cChara& c = Body(objNo, 400, 400);
    Install(c, std::move(flows));
    for (cFlowInstance& f : c.m_vFlowInst)
      if (f.m_pFlow->m_nTrigger == FLOW_TRIG_NONE) f.Start(&c);
    return c;
  }
  static void Passes(cCharaBase& c, int n) {
    for (int i = 0; i < n; ++i) c.RunFlows(0);
  }
};

TEST_F(FlowOpTest, OperationsOnThisFlow) {
  // Restart: command 0 again in the next pass, also when the restart is the last command.
  cChara& a = With(1, {Flow(FLOW_TRIG_NONE, {Mark("A"), Op(OP_START, THIS_FLOW), Mark("B")}),
                       Flow(FLOW_TRIG_NONE, {Mark("C"), Op(OP_START, THIS_FLOW)})});
  Passes(a, 5);
  EXPECT_EQ(Joined(), "1:A 1:C 1:A 1:C 1:A 1:C");
  EXPECT_EQ(a.m_vFlowInst[0].m_bRunning + a.m_vFlowInst[1].m_bRunning, 2);
  // End, delete and stop end the pass at once; the command after them never runs.
  g_lstChara.clear();
  cChara& b = With(2, {Flow(FLOW_TRIG_NONE, {Op(OP_END, THIS_FLOW, 0, 0, 1), Mark("x")}),
                       Flow(FLOW_TRIG_NONE, {Op(OP_DELETE, THIS_FLOW, 0, 0, 1), Mark("y")}),
                       Flow(FLOW_TRIG_NONE, {Op(OP_STOP, THIS_FLOW, 0, 0, 1), Mark("z")}),
                       Flow(FLOW_TRIG_NONE, {Mark("kept")})});
  Passes(b, 2);
  EXPECT_EQ(Joined(), "2:kept");
  ASSERT_EQ(b.m_vFlowInst.Size(), 3) << "the deleted flow is removed after the pass";
  EXPECT_EQ(b.m_vFlowInst[0].m_bRunning, 0);
  EXPECT_EQ(b.m_vFlowInst[1].m_bStopped, 1);
  // A pause of itself goes on after the pause command once resumed.
  g_lstChara.clear();
  cChara& c = With(3, {Flow(FLOW_TRIG_NONE, {Op(OP_PAUSE, THIS_FLOW), Mark("after"), Mark("end")})});
  Passes(c, 2);
  EXPECT_EQ(Joined(), "");
  c.m_vFlowInst[0].Resume();
  Passes(c, 1);
  EXPECT_EQ(Joined(), "3:after");
}

TEST_F(FlowOpTest, OperationsOnTheOtherFlowsAndTheirAnimations) {
  cChara& c = With(1, {Flow(FLOW_TRIG_NONE, {Mark("other0")}), Flow(FLOW_TRIG_NONE, {Op(OP_PAUSE, OTHER_FLOWS)}),
                       Flow(FLOW_TRIG_NONE, {Mark("other2")})});
  for (cFlowInstance& f : c.m_vFlowInst) f.m_vCmd[0].m_nUseTime = 10;
  auto anim = [&](int flow) {
    cRunAnim& r = c.m_lRunAnim.emplace_back();
    r.m_nFlowKey = c.m_vFlowInst[flow].m_nSerial;
  };
  anim(0);
  anim(1);
  anim(2);
  Passes(c, 1);
  EXPECT_EQ(c.m_vFlowInst[0].m_bPaused + c.m_vFlowInst[2].m_bPaused, 2);
  EXPECT_EQ(c.m_vFlowInst[1].m_bPaused, 0);
  std::vector<int> paused;
  for (const cRunAnim& r : c.m_lRunAnim) paused.push_back(r.m_bPaused);
  EXPECT_EQ(paused, (std::vector<int>{1, 0, 1}));
  // Resume: running again, animations too, and the pass of the resuming flow goes on.
  const cFlowCmd resume = Op(OP_RESUME, OTHER_FLOWS);
  cCmdInstance inst = Running(resume);
  scene_.m_pCurObj = &c;
  scene_.m_pCurFlow = &c.m_vFlowInst[1];
  c.m_vFlowInst[1].m_bAbort = 0;
  g_CmdExecTable[CMD_FLOW_OP](&c, &inst);
  EXPECT_EQ(c.m_vFlowInst[0].m_bPaused + c.m_vFlowInst[2].m_bPaused, 0);
  EXPECT_EQ(c.m_vFlowInst[1].m_bAbort, 0);
  for (const cRunAnim& r : c.m_lRunAnim) EXPECT_EQ(r.m_bPaused, 0);
  // End: the other flows' animations go.
  const cFlowCmd end = Op(OP_END, OTHER_FLOWS);
  inst = Running(end);
  g_CmdExecTable[CMD_FLOW_OP](&c, &inst);
  ASSERT_EQ(c.m_lRunAnim.size(), 1u);
  EXPECT_EQ(c.m_lRunAnim.front().m_nFlowKey, c.m_vFlowInst[1].m_nSerial);
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning + c.m_vFlowInst[2].m_bRunning, 0);
  scene_.m_pCurObj = nullptr;
  scene_.m_pCurFlow = nullptr;
}

TEST_F(FlowOpTest, ByIdOnTheSubjectAndOnATarget) {
  const int kA = 1, kB = 2;
  cChara& t = With(2, {Keyed(FLOW_TRIG_NONE, {Mark("t0")}, kA), Keyed(FLOW_TRIG_NONE, {Mark("t1")}, kA),
                       Keyed(FLOW_TRIG_NONE, {Mark("t2")}, kB), Keyed(FLOW_TRIG_NONE, {Mark("t3")}, 0)});
  for (cFlowInstance& f : t.m_vFlowInst) f.m_vCmd[0].m_nUseTime = 10;
  // Delete by ID on a target: both adjacent flows go at once.
  cChara& s = With(1, {Keyed(FLOW_TRIG_NONE, {Op(OP_DELETE, BY_ID, kA, 2, 1), Op(OP_DELETE, BY_ID, kA, 0, 1),
                                               Mark("after")}, kA)});
  SetCharaTarget(&s, 1, &t, 1);
  Passes(s, 1);
  ASSERT_EQ(t.m_vFlowInst.Size(), 2);
  EXPECT_EQ(t.m_vFlowInst[0].m_pFlow->m_nKey, kB);
  // On the subject by its own ID it only marks, and the pass ends; the flow goes after the pass.
  EXPECT_EQ(s.m_vFlowInst.Size(), 0);
  EXPECT_EQ(Joined(), "");
  // ID 0 selects nothing, not even the flows without an ID.
  g_lstChara.remove_if([&](const cChara& c) { return &c == &s; });
  cChara& z = With(3, {Flow(FLOW_TRIG_NONE, {Op(OP_END, BY_ID, 0, 2)})});
  SetCharaTarget(&z, 1, &t, 1);
  Passes(z, 1);
  EXPECT_EQ(t.m_vFlowInst[0].m_bRunning + t.m_vFlowInst[1].m_bRunning, 2);
}

TEST_F(FlowOpTest, StartingATargetsFlowsActsOnTheTarget) {
  const int key = 4;
  cChara& t = With(2, {Keyed(FLOW_TRIG_NONE, {Mark("idle")}, key)});
  cFlow always = Keyed(FLOW_TRIG_ALWAYS, {Mark("always")}, key, 5);
  cFlow before = Keyed(FLOW_TRIG_BEFORE_START, {Mark("before", 1), Op(OP_START, BY_ID, key, 0, 1)}, key);
  t.m_Chara.m_vFlow.push_back(always);
  t.m_Chara.m_vFlow.push_back(before);
  t.AddFlows(t.m_Chara.m_vFlow, 0, 0);
  t.m_vFlowInst[0].End(&t);
  cChara& s = With(1, {Flow(FLOW_TRIG_ALWAYS, {})});
  SetCharaTarget(&s, 0, &t, 1);
  // The command runs inside the subject's pass; the context is the subject's before and after.
  const cFlowCmd start = Op(OP_START, BY_ID, key, 1);
  cCmdInstance inst = Running(start);
  scene_.m_pCurObj = &s;
  scene_.m_pCurFlow = &s.m_vFlowInst[0];
  g_CmdExecTable[CMD_FLOW_OP](&s, &inst);
  EXPECT_EQ(scene_.m_pCurObj, &s);
  EXPECT_EQ(scene_.m_pCurFlow, &s.m_vFlowInst[0]);
  scene_.m_pCurObj = nullptr;
  scene_.m_pCurFlow = nullptr;
  // The idle flow of trigger "none" runs; the before-start flow ran on the target and, starting
  // itself again, ended; the always flow's ID is marked in the target's tables only.
  EXPECT_EQ(t.m_vFlowInst[0].m_bRunning, 1);
  EXPECT_EQ(t.m_vFlowInst[2].m_bRunning, 0);
  EXPECT_EQ(t.m_vFlowIdBlocked.At(5), 1);
  EXPECT_EQ(s.m_vFlowIdBlocked.At(5), 0);
  EXPECT_EQ(Joined(), "2:before");
  // A flow stopped for good that is started runs for ever.
  t.m_vFlowInst[0].End(&t);
  t.m_vFlowInst[0].StopForever(&t);
  inst = Running(start);
  g_CmdExecTable[CMD_FLOW_OP](&s, &inst);
  EXPECT_EQ(t.m_vFlowInst[0].m_bRunning, 1);
  EXPECT_EQ(t.m_vFlowInst[0].m_bStopped, 1);
}

TEST_F(FlowOpTest, BeforeStartFlowsThatStartEachOtherEnd) {
  const int a = 1, b = 2;
  cChara& c = With(1, {Keyed(FLOW_TRIG_BEFORE_START, {Mark("a", 1), Op(OP_START, BY_ID, b, 0, 1)}, a),
                       Keyed(FLOW_TRIG_BEFORE_START, {Mark("b", 1), Op(OP_START, BY_ID, a, 0, 1)}, b)});
  cFlowContextGuard guard;
  scene_.m_pCurObj = &c;
  c.m_vFlowInst[0].Start(&c);
  EXPECT_EQ(Joined(), "1:a 1:b");
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning + c.m_vFlowInst[1].m_bRunning, 0);
}

TEST_F(FlowOpTest, TheConditionGateIsTriedEveryPassAndAnEmptySlotDoesNothing) {
  cFlowCmd op = Op(OP_END, OTHER_FLOWS);
  CreateCondList(op.m_pCondList);
  op.m_pCondList->m_bEnabled = 1;
  cCond cond;
  cond.m_nKind = COND_STAGE_VAR;
  cond.m_sIndex = 9;
  cond.m_nValue = 0;
  op.m_pCondList->m_vCond.push_back(cond);
  cChara& c = With(1, {Flow(FLOW_TRIG_NONE, {op}), Flow(FLOW_TRIG_NONE, {Mark("other")})});
  c.m_vFlowInst[0].m_vCmd[0].m_nUseTime = 5;
  c.m_vFlowInst[1].m_vCmd[0].m_nUseTime = 10;
  scene_.m_vStageVar[9] = 1;
  Passes(c, 2);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 1);
  scene_.m_vStageVar[9] = 0;
  Passes(c, 1);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0) << "the third pass of the same run";
  Log().clear();
  // A target slot named and empty: nothing, whatever flows are chosen.
  g_lstChara.clear();
  cChara& d = With(2, {Flow(FLOW_TRIG_NONE, {Op(OP_END, THIS_FLOW, 0, 3), Mark("on")})});
  Passes(d, 2);
  EXPECT_EQ(Joined(), "2:on");
}

}  // namespace
