#include <gtest/gtest.h>

#include <climits>

#include "flow/condeval.h"
#include "support/play_fixture.h"

namespace {

TEST(CompareByOp, Operators) {
  const struct {
    int32_t a, b, op, want;
  } cases[] = {
      {3, 3, CMP_EQ, 1},  {3, 4, CMP_NE, 1},  {4, 4, CMP_GE, 1},   {5, 4, CMP_LE, 0},  {5, 4, CMP_GT, 1},
      {4, 4, CMP_LT, 0},  {-7, 7, CMP_MULTIPLE, 1}, {7, -7, CMP_MULTIPLE, 1}, {7, 3, CMP_MULTIPLE, 0},
      {7, 0, CMP_MULTIPLE, 1}, {7, 0, CMP_NOT_MULTIPLE, 0}, {7, 3, CMP_NOT_MULTIPLE, 1},
      {INT_MIN, -1, CMP_MULTIPLE, 1}, {INT_MIN, -1, CMP_NOT_MULTIPLE, 0}, {INT_MIN, 1, CMP_MULTIPLE, 1},
      {1, 1, 8, 0},       {1, 1, -1, 0},
  };
  for (const auto& tc : cases) EXPECT_EQ(CompareByOp(tc.a, tc.b, tc.op), tc.want) << tc.a << " op " << tc.op << " " << tc.b;
}

class CondTest : public PlayTest {
 protected:
  // Character variable 0 of the subject compared with value.
  static cCond CharaVar(int op, int value) {
    cCond c;
    c.m_nKind = COND_CHARA_VAR;
    c.m_nOp = static_cast<int8_t>(op);
    c.m_nValue = value;
    return c;
  }
};

TEST_F(CondTest, ListLogicOverTheKinds) {
  cChara& c = AddChara(2);
  c.m_vCharaVar[0] = 5;
  g_SaveData.m_vCommonVar.At(3) = 9;
  scene_.m_vStageVar[4] = -2;
  cCond common;
  common.m_nKind = COND_COMMON_VAR;
  common.m_sIndex = 3;
  common.m_nValue = 9;
  cCond stage;
  stage.m_nKind = COND_STAGE_VAR;
  stage.m_sIndex = 4;
  stage.m_nOp = CMP_LT;
  const cCond yes = CharaVar(CMP_EQ, 5), no = CharaVar(CMP_NE, 5);
  cCond none, unknown;
  unknown.m_nKind = 8;
  const struct {
    std::vector<cCond> conds;
    int logic, want;
  } cases[] = {
      {{}, 0, 1},           {{}, 1, 0},          {{yes}, 2, 0},         {{common, stage, yes}, 0, 1},
      {{common, no}, 0, 0}, {{no, stage}, 1, 1}, {{no, none}, 1, 0},    {{yes, unknown}, 0, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    cCheckedVector<cCond> conds(cases[i].conds.begin(), cases[i].conds.end());
    EXPECT_EQ(scene_.CheckCondList(conds, cases[i].logic, &c), cases[i].want) << "case " << i;
  }
  EXPECT_EQ(scene_.EvalCond(yes, nullptr), 0) << "no subject, no character variables";
}

TEST_F(CondTest, BlockCellConditionsAreTestedOnTheHeroAndLatch) {
  cHero& hero = AddHero();
  for (int keep : {0, 1}) {
    SCOPED_TRACE(keep);
    cMapCell cell(cBlockData{});
    cell.m_vCond.assign(1, CharaVar(CMP_EQ, 1));
    cell.m_bCondLatch = static_cast<int8_t>(keep);
    hero.m_vCharaVar[0] = 0;
    EXPECT_EQ(scene_.CheckBlockCond(cell), 0);
    hero.m_vCharaVar[0] = 1;
    EXPECT_EQ(scene_.CheckBlockCond(cell), 1);
    EXPECT_EQ(cell.m_bCondLatched, 1);
    hero.m_vCharaVar[0] = 0;
    EXPECT_EQ(scene_.CheckBlockCond(cell), keep);
  }
}

TEST_F(CondTest, FlowConditionsLatchOnTheInstance) {
  cChara& c = AddChara(2);
  cFlow f = Flow(FLOW_TRIG_NONE, {Cmd(1)});
  f.m_vCond.assign(1, CharaVar(CMP_EQ, 1));
  f.m_nCondLogic = 1;
  f.m_bCondLatch = 1;
  Install(c, {f});
  cFlowInstance& inst = c.m_vFlowInst[0];
  EXPECT_EQ(scene_.CheckFlowCond(&inst, &c), 0);
  c.m_vCharaVar[0] = 1;
  EXPECT_EQ(scene_.CheckFlowCond(&inst, &c), 1);
  c.m_vCharaVar[0] = 0;
  EXPECT_EQ(scene_.CheckFlowCond(&inst, &c), 1) << "latched";
  c.m_Chara.m_vFlow[0].m_vCond.clear();
  inst.m_bCondLatch = 0;
  EXPECT_EQ(scene_.CheckFlowCond(&inst, &c), 1) << "an empty list holds whatever the logic";
}

}  // namespace
