#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "flow/arrange.h"
#include "flow/exec_fixture.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "stagedata/cmdtable.h"
#include "stagedata/database.h"

namespace {

class ArrangeTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    BuildCmdParamTable();
    g_Database.m_vSound.resize(10);
    g_SaveData.m_vCommonVar[0] = 3;
    g_SaveData.m_vCommonVar[5] = 4;
    g_SaveData.m_vCommonVar[6] = 2;
    scene_.m_vStageVar[2] = 5;
  }
  static cFlowCmd Arr(int kind, int param, int op, int scope, int index) {
    cFlowCmd c = Cmd(CMD_ARRANGE, 0, 1);
    const int p[] = {kind, param, op, scope, index};
    for (int i = 0; i < 5; ++i) c.m_vParam[i] = p[i];
    return c;
  }
  static cFlowCmd Se(int sound = 1) {
    cFlowCmd c = Cmd(CMD_SE);
    c.m_vParam[0] = sound;
    return c;
  }
  static cFlowCmd Shot(int formation, int moveKind) {
    cFlowCmd c = ShotCmd(CMD_SHOT, [&](cEdShot& s) {
      s.m_nFormation = static_cast<int8_t>(formation);
      s.m_nMoveKind = static_cast<int8_t>(moveKind);
    });
    return c;
  }
  static cFlowCmd Summon(int formation) {
    return ShotCmd(CMD_SUMMON_BLOCK, [&](cEdShot& s) { s.m_nFormation = static_cast<int8_t>(formation); });
  }
};

TEST_F(ArrangeTest, TheValueTheCommandGetsInTheOwnersCopy) {
  using Read = std::function<int(const cFlowCmd&)>;
  const Read sound = [](const cFlowCmd& c) { return c.m_vParam[0]; };
  const Read form0 = [](const cFlowCmd& c) { return c.m_pEdShot->m_sFormParam[0]; };
  const Read move0 = [](const cFlowCmd& c) { return c.m_pEdShot->m_sMoveParam[0]; };
  const int SET = CALC_SET, ADD = CALC_ADD;
  const struct {
    const char* what;
    std::vector<cFlowCmd> cmds;
    Read read;
    int want;
  } cases[] = {
      {"set from common variable 5", {Arr(35, 0, SET, 0, 5), Se()}, sound, 4},
      {"a wait spends the entry", {Arr(35, 0, SET, 0, 5), Cmd(CMD_WAIT), Se()}, sound, 1},
      {"two in a row both apply", {Arr(35, 0, ADD, 0, 5), Arr(35, 0, ADD, 0, 6), Se()}, sound, 7},
      {"common variable 0 is never a source", {Arr(35, 0, SET, 0, 0), Se()}, sound, 1},
      {"character variable 0 is", {Arr(35, 0, SET, 2, 0), Se()}, sound, 6},
      {"stage variable 2", {Arr(35, 0, SET, 1, 2), Se()}, sound, 5},
      {"a sound beyond the list is skipped", {Arr(35, 0, ADD, 0, 5), Se(6)}, sound, 6},
      {"the last sound of the list", {Arr(35, 0, ADD, 0, 5), Se(5)}, sound, 9},
      {"another kind's entry is dropped", {Arr(36, 0, SET, 0, 5), Se()}, sound, 1},
      {"an unknown scope", {Arr(35, 0, SET, 3, 5), Se()}, sound, 1},
      {"spread formation: bounded by 180", {Arr(11, 2, SET, 0, 7), Shot(2, 0)}, form0, 180},
      {"lightning formation: bounded by 40", {Arr(11, 2, SET, 0, 7), Shot(3, 0)}, form0, 40},
      {"block summon, surround: bounded by 40", {Arr(13, 1, SET, 0, 7), Summon(5)}, form0, 40},
      {"wave movement: bounded by 100", {Arr(11, 16, SET, 0, 7), Shot(0, 8)}, move0, 100},
      {"straight movement: no such parameter", {Arr(11, 16, SET, 0, 7), Shot(0, 0)}, move0, 0},
  };
  g_SaveData.m_vCommonVar[7] = 500;
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    g_lstChara.clear();
    cChara& c = Body(1, 400, 400);
    c.m_vCharaVar.assign(9, 0);
    c.m_vCharaVar[0] = 6;
    const cFlow source = Flow(FLOW_TRIG_NONE, t.cmds);
    Install(c, {source});
    c.m_vFlowInst[0].Start(&c);
    for (int pass = 0; pass < 3; ++pass) c.RunFlows(0);
    EXPECT_EQ(t.read(c.m_Chara.m_vFlow[0].m_vCmd.back()), t.want);
    EXPECT_TRUE(c.m_vFlowInst[0].m_lstArrange.empty());
  }
}

TEST_F(ArrangeTest, RunsAccumulateInTheObjectsCopyOnly) {
  cChara& c = Body(1, 400, 400);
  const cFlow source = Flow(FLOW_TRIG_NONE, {Arr(35, 0, CALC_ADD, 0, 6), Se()});
  Install(c, {source});
  for (int run = 0; run < 3; ++run) {
    c.m_vFlowInst[0].Start(&c);
    c.RunFlows(0);
  }
  EXPECT_EQ(c.m_Chara.m_vFlow[0].m_vCmd[1].m_vParam[0], 7);
  EXPECT_EQ(source.m_vCmd[1].m_vParam[0], 1) << "the definition is unchanged";
}

TEST_F(ArrangeTest, ItemCommandsQueueOnTheHero) {
  cHero& hero = AddHero(9);
  cFlowCmd arrange = Arr(35, 0, CALC_SET, 0, 5);
  arrange.m_nCategory = CMD_CATEGORY_ITEM;
  cCmdInstance inst = Running(arrange);
  g_CmdExecTable[CMD_ARRANGE](&hero, &inst);
  ASSERT_EQ(hero.m_lArranges.size(), 1u);
  // An item sound command (item kind 20 stands for object kind 35) takes it.
  cFlowCmd se = Se();
  se.m_nCategory = CMD_CATEGORY_ITEM;
  se.m_nKind = 20;
  ApplyCharaArranges(se, &hero);
  EXPECT_EQ(se.m_vParam[0], 4);
  // An object command outside any flow queues nothing.
  arrange.m_nCategory = CMD_CATEGORY_OBJECT;
  g_CmdExecTable[CMD_ARRANGE](&hero, &inst);
  EXPECT_EQ(hero.m_lArranges.size(), 1u);
}

}  // namespace
