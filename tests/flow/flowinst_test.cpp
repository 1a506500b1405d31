#include <gtest/gtest.h>

#include <climits>

#include "support/play_fixture.h"

namespace {

class FlowRunTest : public PlayTest {
 protected:
  // Installs one flow on a new character and sets the commands' usage times in passes.
  cChara& WithFlow(cFlow flow, std::vector<int> times) {
    cChara& c = AddChara(7);
    Install(c, {flow});
    for (size_t i = 0; i < times.size(); ++i) c.m_vFlowInst[0].m_vCmd.At(static_cast<int>(i)).m_nUseTime = times[i];
    return c;
  }
  // Starts the flow and runs passes until it ends; the kinds run in each pass.
  std::vector<std::vector<int>> RunToEnd(cChara& c, int maxPasses = 50) {
    c.m_vFlowInst[0].Start(&c);
    std::vector<std::vector<int>> passes;
    for (int i = 0; i < maxPasses && c.m_vFlowInst[0].m_bRunning; ++i) {
      Calls().clear();
      Pass(c);
      passes.push_back(KindsCalled());
    }
    return passes;
  }
};

TEST_F(FlowRunTest, SequentialCommandsRunOneAfterAnotherAndTheFlowEndsWithItsLast) {
  cChara& c = WithFlow(Flow(FLOW_TRIG_NONE, {Cmd(1), Cmd(2), Cmd(3)}), {3, 0, 2});
  const std::vector<std::vector<int>> expected = {{1}, {1}, {1}, {2}, {3}, {3}};
  EXPECT_EQ(RunToEnd(c), expected);
  EXPECT_EQ(c.m_vFlowInst[0].m_nFrame, 5) << "the finishing pass is not counted";
}

TEST_F(FlowRunTest, GoOnAtOnceRunsAlongsideAndIsCutOffWhenTheLastCommandEnds) {
  cChara& c = WithFlow(Flow(FLOW_TRIG_NONE, {Cmd(1, 0, 1), Cmd(2)}), {10, 2});
  const std::vector<std::vector<int>> expected = {{1, 2}, {1, 2}};
  EXPECT_EQ(RunToEnd(c), expected);
  EXPECT_EQ(c.m_vFlowInst[0].m_vCmd[0].m_nRemain, 0) << "End cuts the running command off";
}

TEST_F(FlowRunTest, ACommandThatRestartsItsOwnFlowEndsThePassAndTheFlowBeginsAgain) {
  // Command 2 restarts the flow the first time it runs.
  int restarts = 0;
  Actions()[2] = [&](cCharaBase* s, cCmdInstance*) {
    if (restarts++) return;
    cFlowInstance& f = *g_pScenePlay->m_pCurFlow;
    f.End(s);
    f.Start(s);
    f.m_bAbort = 1;
  };
  cChara& c = WithFlow(Flow(FLOW_TRIG_NONE, {Cmd(1), Cmd(2), Cmd(3)}), {1, 0, 1});
  const std::vector<std::vector<int>> expected = {{1}, {2}, {1}, {2}, {3}};
  EXPECT_EQ(RunToEnd(c), expected);
}

TEST_F(FlowRunTest, AFlowThatPausesItselfGoesOnAfterThePauseWhenResumed) {
  Actions()[2] = [](cCharaBase*, cCmdInstance*) {
    g_pScenePlay->m_pCurFlow->m_bPaused = 1;
    g_pScenePlay->m_pCurFlow->m_bAbort = 1;
  };
  cChara& c = WithFlow(Flow(FLOW_TRIG_NONE, {Cmd(1), Cmd(2), Cmd(3)}), {1, 0, 1});
  cFlowInstance& f = c.m_vFlowInst[0];
  f.Start(&c);
  Pass(c);
  Pass(c);
  EXPECT_EQ(KindsCalled(), (std::vector<int>{1, 2}));
  Pass(c);
  EXPECT_EQ(Calls().size(), 2u) << "a paused flow is not stepped";
  f.m_bPaused = 0;
  Pass(c);
  EXPECT_EQ(KindsCalled(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(f.m_bRunning, 0);
}

TEST_F(FlowRunTest, AlwaysFlowIdsAreMarkedOnTheOwnerAtStartAndEnd) {
  cChara& subject = AddChara(1);
  cChara& other = AddChara(2);
  Install(other, {Flow(FLOW_TRIG_ALWAYS, {Cmd(1)}, 3)});
  // The subject's pass starts the other object's flow.
  g_pScenePlay->m_pCurObj = &subject;
  other.m_vFlowInst[0].Start(&other);
  EXPECT_EQ(other.m_vFlowIdBlocked[3], 1);
  EXPECT_EQ(other.m_vFlowIdStartedNow[3], 1);
  EXPECT_EQ(subject.m_vFlowIdBlocked[3], 0) << "not the subject's";
  EXPECT_EQ(other.m_vFlowInst[0].End(&other), 1);
  EXPECT_EQ(other.m_vFlowIdEnded[3], 1);
  EXPECT_EQ(other.m_bFlowIdEvent, 1);
  EXPECT_EQ(other.m_vFlowInst[0].End(&other), 0) << "ending an ended flow does nothing";
}

TEST_F(FlowRunTest, EndClearsTheKeyHoldUnlessOldDataKeepsIt) {
  for (int compat : {0, 1}) {
    for (int trigger : {FLOW_TRIG_ALWAYS, FLOW_TRIG_NONE}) {
      SCOPED_TRACE(testing::Message() << "compat " << compat << " trigger " << trigger);
      g_SystemData.m_bCompat875 = compat;
      cFlowInstance f;
      cFlow flow = Flow(trigger, {Cmd(1)});
      f.m_pFlow = &flow;
      f.m_bRunning = 1;
      f.m_bKeyHeld = 1;
      f.End(nullptr);
      EXPECT_EQ(f.m_bKeyHeld, compat || trigger == FLOW_TRIG_ALWAYS ? 1 : 0);
    }
  }
}

TEST_F(FlowRunTest, ABeforeStartFlowRunsItsLaterKindsGoingOnAtOnceOnItsOwnerAndEnds) {
  cChara& owner = AddChara(5);
  cChara& outer = AddChara(6);
  Install(owner, {Flow(FLOW_TRIG_BEFORE_START,
                       {Cmd(CMD_FLOW_OP, 0, 1), Cmd(CMD_MOVE_CHARGE, 0, 1), Cmd(CMD_WARP, 0, 0), Cmd(CMD_STATUS, 0, 1)})});
  cFlowInstance dummy;
  g_pScenePlay->m_pCurObj = &outer;
  g_pScenePlay->m_pCurFlow = &dummy;
  owner.m_vFlowInst[0].Start(&owner);
  EXPECT_EQ(Calls(), (std::vector<ExecCall>{{5, CMD_FLOW_OP}, {5, CMD_STATUS}}));
  EXPECT_EQ(owner.m_vFlowInst[0].m_bRunning, 0);
  EXPECT_EQ(g_pScenePlay->m_pCurObj, &outer) << "the context is put back";
  EXPECT_EQ(g_pScenePlay->m_pCurFlow, &dummy);
}

TEST_F(FlowRunTest, BeforeStartFlowsThatStartThemselvesOrEachOtherEnd) {
  cChara& c = AddChara(5);
  Install(c, {Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_FLOW_OP, 0, 1)}), Flow(FLOW_TRIG_BEFORE_START, {Cmd(CMD_FLOW_OP, 0, 1)})});
  // Each flow-operation command starts the flow itself and the other one.
  Actions()[CMD_FLOW_OP] = [&](cCharaBase* s, cCmdInstance*) {
    for (cFlowInstance& f : s->m_vFlowInst) f.Start(s);
  };
  c.m_vFlowInst[0].Start(&c);
  EXPECT_EQ(Calls().size(), 2u) << "each flow ran once";
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 0);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0);
}

TEST_F(FlowRunTest, UnknownKindsAndEmptyEntriesDoNothing) {
  cChara& c = AddChara(3);
  Install(c, {Flow(FLOW_TRIG_NONE, {Cmd(1), Cmd(45), Cmd(-3)})});
  g_CmdExecTable[1] = nullptr;
  EXPECT_EQ(RunToEnd(c).size(), 3u);
  EXPECT_TRUE(Calls().empty());
  cFlowCmd item = Cmd(99);
  EXPECT_EQ(DispatchItemCmd(&c, &item), 0);
  g_ItemCmdExecTable[2] = [](cCharaBase*, const cFlowCmd*) { return 1; };
  item.m_nKind = 2;
  EXPECT_EQ(DispatchItemCmd(&c, &item), 1);
}

TEST_F(FlowRunTest, MoveSpeedAndTimeSolvedFromTheDistance) {
  const struct {
    int mode, unit, dist, distStep, level, useTime;
    double speed;
    int compat;
    double wantSpeed;
    int wantTime;
  } cases[] = {
      {1, 0, 4, 0, 0, 16, 0, 0, 4.0, 16},        // 4 hbl = 64 px over 16 passes
      {1, 1, 10, 2, 3, 4, 0, 0, 4.0, 4},         // (10 + 2 x 3) px over 4 passes
      {1, 1, 10, 0, 0, 0, 0, 0, 10.0, 0},        // time 0: the whole distance in one pass
      {2, 1, 100, 0, 0, 0, 3.0, 0, 3.0, 33},     // speed given: time truncated
      {2, 1, -100, 0, 0, 0, 3.0, 0, 3.0, 33},    // negative time made positive
      {2, 1, -100, 0, 0, 0, 3.0, 1, 3.0, -33},   // ...unless old data allows it
      {2, 1, 100, 0, 0, 7, 0.0, 0, 0.0, 0},      // speed 0: no time
      {2, 1, 30000, 0, 0, 0, 1e-300, 0, 1e-300, INT_MAX},
      {0, 1, 100, 0, 0, 9, 2.0, 0, 2.0, 9},      // neither solved
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << tc.mode << " dist " << tc.dist);
    cFlowCmd cmd = Cmd(CMD_MOVE_STRAIGHT);
    CreateEdMove(cmd.m_pEdMove);
    cmd.m_pEdMove->m_nSpeedMode = static_cast<int8_t>(tc.mode);
    cmd.m_pEdMove->m_nDistUnit = static_cast<int8_t>(tc.unit);
    cmd.m_pEdMove->m_sDist = static_cast<int16_t>(tc.dist);
    cmd.m_pEdMove->m_sDistStep = static_cast<int16_t>(tc.distStep);
    g_SystemData.m_bCompat695 = tc.compat;
    cCmdInstance inst;
    inst.m_nUseTime = tc.useTime;
    inst.m_dSpeed = tc.speed;
    inst.SolveMoveSpeedTime(cmd, static_cast<int16_t>(tc.level));
    EXPECT_DOUBLE_EQ(inst.m_dSpeed, tc.wantSpeed);
    EXPECT_EQ(inst.m_nUseTime, tc.wantTime);
  }
}

}  // namespace
