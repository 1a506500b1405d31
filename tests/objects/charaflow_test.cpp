#include <gtest/gtest.h>

#include <string>

#include "support/play_fixture.h"

namespace {

class CharaFlowTest : public PlayTest {
 protected:
  // A loop command of the object or item set.
  static cFlowCmd Loop(int count, int length, int category = 0) {
    cFlowCmd c = Cmd(category ? 24 : CMD_LOOP);
    c.m_nCategory = static_cast<int8_t>(category);
    c.m_vParam = {count, length};
    return c;
  }
  // The commands as letters: kind 1 is 'A', 2 'B' and so on; loops as 'L'.
  static std::string Letters(const cCheckedVector<cFlowCmd>& cmds) {
    std::string s;
    for (const cFlowCmd& c : cmds) s += c.m_nKind == CMD_LOOP || c.m_nKind == 24 ? 'L' : static_cast<char>('A' + c.m_nKind - 1);
    return s;
  }
  static void ExpectLinked(const cCharaBase& c) {
    ASSERT_EQ(c.m_vFlowInst.Size(), c.m_Chara.m_vFlow.Size());
    for (int i = 0; i < c.m_vFlowInst.Size(); ++i) {
      const cFlowInstance& inst = c.m_vFlowInst[i];
      EXPECT_EQ(inst.m_nIndex, i);
      EXPECT_EQ(inst.m_pFlow, &c.m_Chara.m_vFlow[i]);
      for (int j = 0; j < inst.m_vCmd.Size(); ++j) EXPECT_EQ(inst.m_vCmd[j].m_pCmd, &c.m_Chara.m_vFlow[i].m_vCmd[j]);
    }
  }
};

TEST_F(CharaFlowTest, LoopExpansion) {
  const cFlowCmd A = Cmd(1), B = Cmd(2), C = Cmd(3);
  const struct {
    std::vector<cFlowCmd> cmds;
    std::string want;
  } cases[] = {
      {{Loop(3, 2), A, B, C}, "ABABABC"},
      {{Loop(1, 2), A, B, C}, "ABC"},
      {{Loop(0, 1), A, B}, "AB"},             // a count below 1 acts as 1
      {{Loop(3, 0), A, B}, "AB"},             // a length below 1 copies nothing
      {{Loop(3, -4), A, B}, "AB"},
      {{A, Loop(2, 9), B, C}, "ABCBC"},       // cut at the end of the list
      {{Loop(2, 1), A, Loop(2, 1), B}, "AABB"},
      {{Loop(2, 3), A, Loop(2, 1), B}, "ABBABB"},  // the inner loop expanded in every copy
      {{Loop(2, 1, 1), A}, "AA"},             // the item set's loop
      {{Loop(3, 3), A, Loop(2, 1), B}, "ABBABBABB"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    cCheckedVector<cFlowCmd> cmds(cases[i].cmds.begin(), cases[i].cmds.end());
    cCharaBase::ExpandLoopCmds(cmds);
    EXPECT_EQ(Letters(cmds), cases[i].want) << "case " << i;
  }
}

TEST_F(CharaFlowTest, HugeAndNestedLoopCountsStopAtTheBound) {
  cCheckedVector<cFlowCmd> cmds = {Loop(1000000, 2), Cmd(1), Loop(1000000, 1), Cmd(2)};
  EXPECT_EQ(cCharaBase::ExpandLoopCmds(cmds), 1);
  EXPECT_LE(cmds.size(), 65536u);
  EXPECT_GE(cmds.size(), 65530u / 2);
  EXPECT_EQ(Letters(cmds).find('L'), std::string::npos) << "no loop command is left";
  // A loop over a loop only copies loop commands: the expansion still ends.
  cmds = {Loop(2, 1), Loop(2, 1), Cmd(1)};
  cCharaBase::ExpandLoopCmds(cmds);
  EXPECT_EQ(Letters(cmds), "A");
}

TEST_F(CharaFlowTest, InsertedFlowsGoWhereAskedAndEverythingIsRelinked) {
  cChara& c = AddChara(4);
  Install(c, {Flow(FLOW_TRIG_NONE, {Cmd(1)}), Flow(FLOW_TRIG_NONE, {Cmd(2), Cmd(3)})});
  EXPECT_EQ(c.m_vFlowInst[0].m_nSerial, 0);
  EXPECT_EQ(c.m_vFlowInst[1].m_nSerial, 1);
  EXPECT_EQ(c.m_vFlowInst[0].m_bKeyHeld, 0) << "own flows are not waiting for a release";
  c.m_vFlowInst[1].m_bRunning = 1;

  cFlow edge = Flow(FLOW_TRIG_NONE, {Cmd(4)});
  cFlow repeat = Flow(FLOW_TRIG_NONE, {Cmd(5)});
  repeat.m_bKeyLatch = 1;
  cCheckedVector<cFlow> add = {edge, repeat};
  EXPECT_EQ(c.AddFlows(add, 1, 0), 2);
  EXPECT_EQ(Letters(c.m_Chara.m_vFlow[0].m_vCmd) + Letters(c.m_Chara.m_vFlow[1].m_vCmd), "DE");
  EXPECT_EQ(c.m_vFlowInst[3].m_bRunning, 1) << "the old instances moved up with their flows";
  EXPECT_EQ(c.m_vFlowInst[0].m_nSerial, 2);
  EXPECT_EQ(c.m_vFlowInst[0].m_bKeyHeld, 1) << "an inserted edge flow waits for a release";
  EXPECT_EQ(c.m_vFlowInst[1].m_bKeyHeld, 0);
  ExpectLinked(c);

  cCheckedVector<cFlow> one = {Flow(FLOW_TRIG_NONE, {Cmd(6)})};
  c.AddFlows(one, 1, 2);
  EXPECT_EQ(Letters(c.m_Chara.m_vFlow[2].m_vCmd), "F");
  EXPECT_EQ(c.m_vFlowInst[2].m_nSerial, 4);
  c.AddFlows(one, 1, static_cast<unsigned>(-1));
  c.AddFlows(one, 1, 99);
  EXPECT_EQ(c.m_vFlowInst.Size(), 7);
  EXPECT_EQ(c.m_vFlowInst[6].m_nSerial, 6);
  ExpectLinked(c);
  cCheckedVector<cFlow> none;
  EXPECT_EQ(c.AddFlows(none, 1, 0), 0);
}

TEST_F(CharaFlowTest, UsageTimesAndSpeedsByLevelAndSubSteps) {
  for (int n : {1, 5}) {
    for (int level : {0, 2}) {
      SCOPED_TRACE(testing::Message() << "n " << n << " level " << level);
      SetSteps(n);
      cChara& c = AddChara(8);
      c.m_sParamLevel = static_cast<int16_t>(level);
      cFlowCmd move = Cmd(CMD_MOVE_STRAIGHT, 3);
      move.m_sTimeStep = 2;
      CreateEdMove(move.m_pEdMove);
      move.m_pEdMove->m_sMoveSpeed = 30;
      move.m_pEdMove->m_sMoveSpeedStep = 5;
      move.m_pEdMove->m_bAccel = 1;
      move.m_pEdMove->m_sMaxSpeed = 40;
      move.m_pEdMove->m_nDir = 7;
      Install(c, {Flow(FLOW_TRIG_NONE, {move})});
      const cCmdInstance& inst = c.m_vFlowInst[0].m_vCmd[0];
      EXPECT_EQ(inst.m_nUseTime, (2 * level + 3) * n * 6);
      EXPECT_DOUBLE_EQ(inst.m_dSpeed, (5 * level + 30) * 0.1 / n);
      EXPECT_DOUBLE_EQ(inst.m_dMaxSpeed, 40 * 0.1 / n);
      EXPECT_EQ(inst.m_cMoveDir, 7);
    }
  }
}

TEST_F(CharaFlowTest, CircleSetUp) {
  SetSteps(2);
  const struct {
    int facing, mirrorX, mirrorY, mode;
    int wantSense, wantStart, wantEnd;
    double wantSpeed;
    int wantTime;
  } cases[] = {
      // Radius 3 hbl, start 10, end 100 (+ half-turn); time 1 unit = 12 passes.
      {0, 1, 1, 0, 0, 20, 200, (200.0 - 20) / 12 / 2, 12},
      {1, 1, 0, 0, 1, 380, 560, (560.0 - 380) / 12 / 2, 12},
      {1, 1, 1, 0, 0, 380, 560, (560.0 - 380) / 12 / 2, 12},
      {1, 0, 1, 1, 1, 20, 200, 1.5, 60},  // speed given: time |180 / 1.5 / 2|
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& tc = cases[i];
    SCOPED_TRACE(i);
    cChara& c = AddChara(9);
    c.m_Chara.m_cFacing = static_cast<int8_t>(tc.facing);
    cFlowCmd cmd = Cmd(CMD_MOVE_CIRCLE, 1);
    CreateEdMove(cmd.m_pEdMove);
    cEdMove& m = *cmd.m_pEdMove;
    m.m_sDist = 3;
    m.m_sAngle = 10;
    m.m_sHomingLag = 100;
    m.m_bMirrorX = static_cast<int8_t>(tc.mirrorX);
    m.m_bMirrorY = static_cast<int8_t>(tc.mirrorY);
    m.m_nSpeedMode = static_cast<int8_t>(tc.mode);
    m.m_sMoveSpeed = 30;  // 3 px per frame = 1.5 per sub-step
    Install(c, {Flow(FLOW_TRIG_NONE, {cmd})});
    const cCmdInstance& inst = c.m_vFlowInst[0].m_vCmd[0];
    EXPECT_EQ(inst.m_nMoveSetup[MOVESETUP_RADIUS], 3 * 16 * 2);
    EXPECT_EQ(inst.m_cMoveDir, tc.wantSense);
    EXPECT_EQ(inst.m_nMoveSetup[MOVESETUP_START_ANGLE], tc.wantStart);
    EXPECT_EQ(inst.m_nMoveSetup[MOVESETUP_END_ANGLE], tc.wantEnd);
    if (tc.mode == 0) {
      EXPECT_DOUBLE_EQ(inst.m_dSpeed, tc.wantSpeed);
    } else {
      EXPECT_EQ(inst.m_nUseTime, tc.wantTime);
    }
  }
  // The radius stays within 0..20 hbl; a time of 0 never divides by zero.
  cChara& c = AddChara(10);
  cFlowCmd cmd = Cmd(CMD_MOVE_CIRCLE, 0);
  CreateEdMove(cmd.m_pEdMove);
  cmd.m_pEdMove->m_sDist = 99;
  cmd.m_pEdMove->m_sHomingLag = 90;
  cFlowCmd still = cmd;
  still.m_pEdMove->m_nSpeedMode = 1;
  still.m_pEdMove->m_sMoveSpeed = 0;
  Install(c, {Flow(FLOW_TRIG_NONE, {cmd, still})});
  EXPECT_EQ(c.m_vFlowInst[0].m_vCmd[0].m_nMoveSetup[MOVESETUP_RADIUS], 20 * 16 * 2);
  EXPECT_DOUBLE_EQ(c.m_vFlowInst[0].m_vCmd[0].m_dSpeed, 180.0 / 2);
  EXPECT_EQ(c.m_vFlowInst[0].m_vCmd[1].m_nUseTime, 0);
}

TEST_F(CharaFlowTest, JumpSetUpWritesTheObjectsOwnCopy) {
  SetSteps(2);
  g_StageData.m_dGravitySetting = 0.5;
  g_StageData.SetCollisionLevel(2);
  cChara& c = AddChara(11);
  cFlowCmd jump = Cmd(CMD_JUMP, 1);
  jump.m_vParam.At(2) = 4;
  cFlow shared = Flow(FLOW_TRIG_NONE, {jump});
  Install(c, {shared});
  const cCmdInstance& inst = c.m_vFlowInst[0].m_vCmd[0];
  EXPECT_EQ(c.m_Chara.m_vFlow[0].m_vCmd[0].m_sTime, c.JumpHeightToFrames(4));
  EXPECT_EQ(inst.m_nUseTime, c.JumpHeightToFrames(4) * 2 * 6);
  EXPECT_DOUBLE_EQ(inst.m_dSpeed, c.JumpHeightToSpeed(4));
  EXPECT_EQ(shared.m_vCmd[0].m_sTime, 1) << "the definition given stays as it was";
}

TEST_F(CharaFlowTest, AnimationCuesReachTheHoldFrameWhenTheirCommandStarts) {
  SetSteps(2);
  // Animation 1: 6 + 12 ticks before its held frame (E = 18).
  g_AnimeFrameTables.assign(2, {});
  g_AnimeFrameTables[1] = {{5, 6, 0}, {6, 12, 0}, {7, 6, 1}, {ANIMSEQ_HOLD, 0, 0}};
  cFlowCmd wait = Cmd(CMD_WAIT, 4);  // 48 passes
  cFlowCmd anim = Cmd(CMD_WAIT, 2);
  anim.m_sAnime = 1;
  cFlowCmd early = anim;
  cFlowCmd jump = Cmd(CMD_JUMP, 0);
  jump.m_sAnime = 1;
  cFlowCmd sword = Cmd(CMD_SWORD, 3);
  sword.m_sAnime = 1;
  cFlowCmd moving = Cmd(CMD_MOVE_STRAIGHT, 1);
  moving.m_sAnime = 1;
  CreateEdMove(moving.m_pEdMove);  // its animation choice is the moving animation: no cue
  cChara& c = AddChara(12);
  Install(c, {Flow(FLOW_TRIG_NONE, {wait, anim}), Flow(FLOW_TRIG_NONE, {Cmd(CMD_WAIT, 1), early, moving, sword, jump})});
  // s = 48 >= L = 36: starts at 12 without a skip.
  EXPECT_EQ(c.m_vFlowInst[0].m_vAnimCue, (cCheckedVector<cAnimCue>{{12, 1, 0, 18, 12, 1}}));
  const cCheckedVector<cAnimCue>& cues = c.m_vFlowInst[1].m_vAnimCue;
  ASSERT_EQ(cues.Size(), 3);
  // s = 12 < 36: starts at 0 skipping (36 - 12) / 2 = 12 frames.
  EXPECT_EQ(cues[0], (cAnimCue{0, 1, 12, 6, 12, 1}));
  // The sword after 12 + 24 + 12 = 48 passes; the jump after the sword's 36 more; neither holds longer.
  EXPECT_EQ(cues[1], (cAnimCue{12, 1, 0, 18, 18, 0}));
  EXPECT_EQ(cues[2].m_nStartFrame, 48);
  EXPECT_EQ(cues[2].m_bHoldSwitch, 0);

  // The cue of the first flow starts its animation at flow frame 12, keyed by the flow's serial.
  cFlowInstance& f = c.m_vFlowInst[0];
  f.m_bRunning = 1;
  f.m_nFrame = 11;
  c.RunAnimCues();
  EXPECT_TRUE(c.m_lRunAnim.empty());
  f.m_nFrame = 12;
  c.RunAnimCues();
  ASSERT_EQ(c.m_lRunAnim.size(), 1u);
  EXPECT_EQ(c.m_lRunAnim.front().m_nFlowKey, f.m_nSerial);
  EXPECT_EQ(c.m_lRunAnim.front().m_nCountdown, 18);
  EXPECT_EQ(g_AnimeFrameTables[1][2].m_nTicks, 6) << "the shared table keeps its ticks";
}

TEST_F(CharaFlowTest, RemovingFlows) {
  cChara& c = AddChara(13);
  Install(c, {Flow(FLOW_TRIG_NONE, {Cmd(1)}, 0, 2), Flow(FLOW_TRIG_NONE, {Cmd(2)}, 0, 3),
              Flow(FLOW_TRIG_NONE, {Cmd(3)}, 0, 2), Flow(FLOW_TRIG_NONE, {Cmd(4)}, 4, 2)});
  c.m_vFlowInst[3].m_bRunning = 1;
  c.m_lRunAnim.emplace_back().m_nFlowKey = c.m_vFlowInst[3].m_nSerial;
  c.m_lRunAnim.emplace_back().m_nFlowKey = c.m_vFlowInst[1].m_nSerial;
  EXPECT_EQ(c.RemoveFlowsById(2), 0);
  ASSERT_EQ(c.m_vFlowInst.Size(), 1);
  EXPECT_EQ(c.m_Chara.m_vFlow[0].m_nKey, 3);
  EXPECT_EQ(c.m_vFlowIdEnded[4], 1) << "the running flow was ended first";
  EXPECT_EQ(c.m_lRunAnim.size(), 1u) << "its animations went with it";
  ExpectLinked(c);
  EXPECT_EQ(c.RemoveFlowsById(9), -1);
  c.RemoveFlow(0);
  EXPECT_TRUE(c.m_vFlowInst.empty());
  EXPECT_TRUE(c.m_lRunAnim.empty());
  Install(c, {Flow(FLOW_TRIG_NONE, {Cmd(1)}, 0, 5)});
  c.m_lRunAnim.emplace_back().m_nFlowKey = 77;
  EXPECT_EQ(c.RemoveFlowsById(0), 0);
  EXPECT_TRUE(c.m_Chara.m_vFlow.empty());
  EXPECT_TRUE(c.m_lRunAnim.empty()) << "key 0 empties the running animations";
}

// ---- Triggers ----

class TriggerTest : public CharaFlowTest {
 protected:
  // A condition on character variable 0 being 1.
  static cCond VarIsOne() {
    cCond c;
    c.m_nKind = COND_CHARA_VAR;
    c.m_nValue = 1;
    return c;
  }
};

TEST_F(TriggerTest, TriedThisFrameSwitches) {
  const struct {
    int once, free, markFirst, startsOnSecondRaise;
  } cases[] = {
      {1, 0, 0, 0}, {1, 0, 1, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 1, 1},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.once << tc.free << tc.markFirst);
    g_SystemData.m_bTriggerOnce = tc.once;
    g_SystemData.m_bTriggerFree = tc.free;
    g_SystemData.m_bTriggerMarkFirst = tc.markFirst;
    cChara& c = AddChara(20);
    cFlow f = Flow(FLOW_TRIG_TOUCH_CHARA, {Cmd(1)});
    f.m_vCond.assign(1, VarIsOne());
    Install(c, {f});
    c.RaiseTrigger(FLOW_TRIG_TOUCH_CHARA);
    EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 0);
    c.m_vCharaVar[0] = 1;
    c.RaiseTrigger(FLOW_TRIG_TOUCH_CHARA);
    EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, tc.startsOnSecondRaise);
    c.ResetTriggerFlags();
    c.RaiseTrigger(FLOW_TRIG_TOUCH_CHARA);
    EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 1) << "a new frame tries again";
    EXPECT_EQ(g_pScenePlay->m_pCurObj, nullptr);
  }
}

TEST_F(TriggerTest, AlwaysFlowsOfOneIdExcludeEachOther) {
  cChara& c = AddChara(21);
  Install(c, {Flow(FLOW_TRIG_ALWAYS, {Cmd(1)}, 3), Flow(FLOW_TRIG_ALWAYS, {Cmd(2)}, 3), Flow(FLOW_TRIG_ALWAYS, {Cmd(3)}, 4),
              Flow(FLOW_TRIG_DEATH, {Cmd(4)}, 3)});
  c.RaiseTrigger(FLOW_TRIG_ALWAYS);
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 1);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0);
  EXPECT_EQ(c.m_vFlowInst[2].m_bRunning, 1);
  // The first ends within the frame: the ID stays taken until the next frame and the release.
  c.m_vFlowInst[0].End(&c);
  c.RaiseTrigger(FLOW_TRIG_ALWAYS);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0);
  c.ResetTriggerFlags();
  c.RaiseTrigger(FLOW_TRIG_ALWAYS);
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0) << "still blocked until released";
  EXPECT_EQ(c.m_vFlowIdEnded[3], 1);
  c.m_vFlowIdBlocked[3] = c.m_vFlowIdEnded[3] = 0;  // the flow pass releases ended IDs
  c.RaiseTrigger(FLOW_TRIG_ALWAYS);
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 1) << "the first in order runs";
  EXPECT_EQ(c.m_vFlowInst[1].m_bRunning, 0);
  c.RaiseTrigger(FLOW_TRIG_DEATH);
  EXPECT_EQ(c.m_vFlowInst[3].m_bRunning, 1) << "IDs exclude always flows only";
}

TEST_F(TriggerTest, TheBoundPartnerIsKeptOnSuccessAndPutBackOnFailure) {
  cChara& c = AddChara(22);
  cChara& old = AddChara(23);
  cChara& partner = AddChara(24);
  SetCharaTarget(&c, 2, &old, 1);
  cFlow f = Flow(FLOW_TRIG_TOUCH_CHARA, {Cmd(1)});
  f.m_bBindPartner = 1;
  f.m_nPartnerTarget = 2;
  cCond exists;  // target 3 (slot 2) exists and lives
  exists.m_nKind = COND_STATUS3;
  exists.m_nOwner = 3;
  exists.m_nItem = 4;
  f.m_vCond.assign(1, exists);
  Install(c, {f});
  partner.m_bDead = 1;
  c.RaiseTriggerEx(FLOW_TRIG_TOUCH_CHARA, &partner, 0);
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 0);
  EXPECT_EQ(c.m_pTarget[2], &old);
  EXPECT_TRUE(partner.m_vBackLink.empty());
  EXPECT_EQ(old.m_vBackLink, (cCheckedVector<cObjLink>{{&c, 2}}));
  partner.m_bDead = 0;
  c.ResetTriggerFlags();
  c.RaiseTriggerEx(FLOW_TRIG_TOUCH_CHARA, &partner, 0);
  EXPECT_EQ(c.m_vFlowInst[0].m_bRunning, 1);
  EXPECT_EQ(c.m_pTarget[2], &partner);
  EXPECT_EQ(partner.m_vBackLink, (cCheckedVector<cObjLink>{{&c, 2}}));
  EXPECT_TRUE(old.m_vBackLink.empty());
}

TEST_F(TriggerTest, KeysAndTheStartDirection) {
  g_vInput[0].m_wDir = 2;  // right on device 0
  g_vInput[0].RecordEdges();
  g_vInput[1].m_wDir = 8;  // down on device 1
  g_vInput[1].RecordEdges();
  cChara& cpu = AddChara(25);
  cChara& player = AddChara(26);
  player.m_nOperation = 0;
  player.m_nController = 1;
  for (cChara* c : {&cpu, &player}) Install(*c, {Flow(FLOW_TRIG_TOUCH_ITEM, {Cmd(1)}, 0, 5), Flow(FLOW_TRIG_TOUCH_ITEM, {Cmd(1)}, 0, 6)});
  cpu.RaiseTriggerEx(FLOW_TRIG_TOUCH_ITEM, nullptr, 6);
  player.RaiseTriggerEx(FLOW_TRIG_TOUCH_ITEM, nullptr, 0);
  EXPECT_EQ(cpu.m_vFlowInst[0].m_bRunning, 0) << "another key";
  EXPECT_EQ(cpu.m_vFlowInst[1].m_nStartDir, 2);
  EXPECT_EQ(player.m_vFlowInst[0].m_nStartDir, 4);
  EXPECT_EQ(player.m_vFlowInst[1].m_nStartDir, 4);
}

TEST_F(TriggerTest, ATriggerRaisedInsideAnotherObjectsPassKeepsThatPassContext) {
  cChara& outer = AddChara(30);
  cChara& inner = AddChara(31);
  Install(inner, {Flow(FLOW_TRIG_DEATH, {Cmd(2)})});
  Install(outer, {Flow(FLOW_TRIG_NONE, {Cmd(1), Cmd(3)})});
  cFlowInstance* seenFlow = nullptr;
  cCharaBase* seenObj = nullptr;
  Actions()[1] = [&](cCharaBase*, cCmdInstance*) {
    inner.RaiseTrigger(FLOW_TRIG_DEATH);
    seenObj = g_pScenePlay->m_pCurObj;
    seenFlow = g_pScenePlay->m_pCurFlow;
  };
  outer.m_vFlowInst[0].m_vCmd[0].m_nUseTime = 1;
  outer.m_vFlowInst[0].Start(&outer);
  Pass(outer);
  EXPECT_EQ(inner.m_vFlowInst[0].m_bRunning, 1);
  EXPECT_EQ(seenObj, &outer);
  EXPECT_EQ(seenFlow, &outer.m_vFlowInst[0]);
  Pass(outer);
  EXPECT_EQ(Calls().back(), (ExecCall{30, 3}));
}

// ---- Links ----

TEST_F(CharaFlowTest, UnlinkingLeavesNoLinkOnEitherSide) {
  cHero& hero = AddHero(1);
  cChara& a = AddChara(40);
  cChara& b = AddChara(41);
  a.InitLinks(nullptr);
  b.InitLinks(&a);
  SetCharaTarget(&b, 1, &a, 1);
  SetCharaTarget(&a, 3, &b, 1);
  SetCharaTarget(&a, 2, &a, 1);
  SetCharaTarget(&a, 2, &a, 1);
  EXPECT_EQ(a.m_vBackLink, (cCheckedVector<cObjLink>{{&b, 4}, {&b, 1}, {&a, 2}})) << "one pair per link";
  EXPECT_EQ(hero.m_vBackLink, (cCheckedVector<cObjLink>{{&a, 0}, {&b, 0}}));
  a.UnlinkAll();
  EXPECT_EQ(b.m_pOwner, nullptr);
  EXPECT_EQ(b.m_pTarget[1], nullptr);
  EXPECT_TRUE(b.m_vBackLink.empty());
  EXPECT_EQ(hero.m_vBackLink, (cCheckedVector<cObjLink>{{&b, 0}}));
  for (cCharaBase* t : a.m_pTarget) EXPECT_EQ(t, nullptr);
  EXPECT_TRUE(a.m_vBackLink.empty());

  // A removed object is found no more, and its links went with it.
  SetCharaTarget(&b, 3, &a, 1);
  EXPECT_EQ(FindObjById(40), &a);
  EXPECT_EQ(FindObjById(1), &hero);
  g_lstChara.pop_front();
  EXPECT_EQ(FindObjById(40), nullptr);
  EXPECT_EQ(b.m_pTarget[3], nullptr);
  EXPECT_EQ(FindObjById(41), &b);
}

TEST_F(CharaFlowTest, CopiesKeepTheirFlowsAndOnlyCopyStateKeepsLinks) {
  cChara& a = AddChara(50);
  cChara& b = AddChara(51);
  SetCharaTarget(&a, 0, &b, 1);
  Install(a, {Flow(FLOW_TRIG_NONE, {Cmd(1)})});
  cChara copy(a);
  EXPECT_EQ(copy.m_pTarget[0], nullptr);
  ExpectLinked(copy);
  // Another object with the same flows takes over their states, pointing at its own flows.
  cChara& twin = AddChara(53);
  Install(twin, {Flow(FLOW_TRIG_NONE, {Cmd(1)})});
  a.m_vFlowInst[0].m_bRunning = 1;
  twin.AssignFlowStates(a.m_vFlowInst);
  EXPECT_EQ(twin.m_vFlowInst[0].m_bRunning, 1);
  ExpectLinked(twin);
  cChara& state = AddChara(52);
  state.CopyState(a);
  EXPECT_EQ(state.m_pTarget[0], &b) << "copied as it is";
  ExpectLinked(state);
  state.m_pTarget[0] = nullptr;  // not registered with b: drop before it goes
  SetCharaTarget(&b, 1, &state, 0);
  SetCharaTarget(&b, 1, nullptr, 0);
  EXPECT_EQ(b.m_pTarget[1], &state) << "without clearing first, no object keeps the slot";
  SetCharaTarget(&b, 1, nullptr, 1);
  EXPECT_EQ(b.m_pTarget[1], nullptr);
  EXPECT_TRUE(state.m_vBackLink.empty());
}

}  // namespace

namespace {

TEST_F(CharaFlowTest, SetUpFromADefinition) {
  cHero& hero = AddHero(1);
  cChara& owner = AddChara(60);
  cChara& c = AddChara(61);
  c.m_vCharaVar[3] = 7;
  c.m_nFlowSerial = 9;
  c.m_vFlowIdBlocked.assign(3, 1);
  cCharaData def;
  def.m_nMaxHP = 30;
  def.m_nMaxSP = 5;
  def.m_cSight = 3;
  def.m_sFriction = 20;
  def.m_bScrollSync = 1;
  def.m_vFlow.assign(2, Flow(FLOW_TRIG_NONE, {Cmd(1)}));
  c.Init(&def, 64, 96, 2);
  EXPECT_EQ(c.m_sParamLevel, 2);
  EXPECT_EQ(c.m_nHP, 30);
  EXPECT_EQ(c.m_nSP, 5);
  EXPECT_EQ(c.m_nSight, 48);
  EXPECT_DOUBLE_EQ(c.m_dFriction, SpeedParamToDots(20));
  EXPECT_EQ(c.m_bScrollSync, 1);
  EXPECT_EQ(c.m_bInAir, 1);
  EXPECT_EQ(c.m_dHomeX, 64);
  EXPECT_EQ(c.m_dHomeY, 96);
  EXPECT_EQ(c.m_nFlowSerial, 0);
  EXPECT_EQ(c.m_vFlowIdBlocked, cCheckedVector<uint8_t>(27, 0));
  EXPECT_EQ(c.m_vCharaVar, cCheckedVector<int32_t>(9, 0));
  c.InitLinks(&owner);
  EXPECT_EQ(c.m_pTarget[0], &hero);
  EXPECT_EQ(c.m_pOwner, &owner);
  c.InitLinks(&owner);
  EXPECT_EQ(hero.m_vBackLink.size(), 1u) << "listed once";
  EXPECT_EQ(owner.m_vBackLink, (cCheckedVector<cObjLink>{{&c, 4}}));
  EXPECT_EQ(c.AddFlows(c.m_Chara.m_vFlow, 0, 0), 2);
  ExpectLinked(c);
  EXPECT_EQ(c.m_vFlowInst[1].m_nSerial, 1);
}

TEST_F(CharaFlowTest, PlacementCentresScaleAndBody) {
  for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
    a->m_nMax = a->m_nStageMax = a->m_nOuterRange = 2000;
    a->m_nMapCells = 2000 / 32;
  }
  cChara& c = AddChara(62);
  cPicRect& p = c.m_PicRect;
  p.m_nBaseOfsX = p.m_nOfsX = 8;
  p.m_nBaseOfsY = p.m_nOfsY = 16;
  p.m_nBaseW = p.m_nW = p.m_nBaseH = p.m_nH = 32;
  c.m_nBaseHitW = c.m_nHitW = 16;
  c.m_nBaseHitH = c.m_nHitH = 20;
  c.m_Chara.m_cScale = 1;
  c.SetCellPos(2, 3, 0);
  EXPECT_EQ(c.m_dX, 12 * 32 + 8 + 0.5);
  EXPECT_EQ(c.m_dY, 13 * 32 + 16);

  // The feet stay put: the box bottom moves y by the box height, the picture bottom by its height
  // below the offset.
  const struct {
    int modeSwitch, keepBox, flag;
    double dy;
  } cases[] = {{0, 0, 1, -16}, {0, 1, 0, -20}, {1, 0, 0, -16}, {1, 1, 1, -20}};
  for (const auto& tc : cases) {
    g_SystemData.m_bScaleModeSwitch = tc.modeSwitch;
    g_SystemData.m_bScaleKeepBox = tc.keepBox;
    c.m_dY = 100;
    c.AdjustYForScale(2, 1, tc.flag);
    EXPECT_EQ(c.m_dY, 100 + tc.dy) << tc.modeSwitch << tc.keepBox << tc.flag;
    c.AdjustYForScale(2, 2, tc.flag);
    EXPECT_EQ(c.m_dY, 100 + tc.dy) << "equal scales change nothing";
  }

  p.m_nLeft = 100;
  p.m_nTop = 50;
  c.m_dX = 300;
  c.m_dY = 200;
  cCmdInstance cmd;
  cmd.m_dMoveX = cmd.m_dMoveY = 3;
  c.SetCentreAndClear(120, 60, cmd);
  EXPECT_EQ(c.m_dX, 304);
  EXPECT_EQ(c.m_dY, 194);
  EXPECT_EQ(cmd.m_dMoveX, 0);
  EXPECT_EQ(cmd.m_dMoveY, 0);

  c.SetBodyRect(1, 20, 10);
  EXPECT_EQ(c.m_BodyRect.m_nOfsX, -2);
  EXPECT_EQ(c.m_BodyRect.m_nOfsY, 6);
  EXPECT_EQ(c.m_BodyRect.m_nBaseW, 20);
  c.SetBodyRect(0, 20, 10);
  EXPECT_EQ(c.m_BodyRect.m_nBaseOfsY, -5);
}

}  // namespace
