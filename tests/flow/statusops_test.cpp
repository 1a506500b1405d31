#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "flow/condeval.h"
#include "flow/executors.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "objects/item.h"
#include "stagedata/cond.h"
#include "support/status_fixture.h"

namespace {

TEST(CalcOp, WideOperatorsClampAndNeverOverflow) {
  const struct {
    int32_t v, x, op, lo, hi, want;
  } cases[] = {
      {5, 9, CALC_SET, 0, 100, 9},
      {10, INT_MAX, CALC_ADD, 0, 999999, 999999},  // no wrap to a small value
      {10, INT_MIN, CALC_SUB, -999999, 999999, 999999},
      {100000, 100000, CALC_MUL, -999999, 999999, 999999},   // same signs: the maximum
      {-100000, 100000, CALC_MUL, -999999, 999999, -999999}, // different signs: the minimum
      {-7, 2, CALC_DIV, -100, 100, -3},
      {-7, 2, CALC_MOD, -100, 100, -1},
      {2000000, 0, CALC_DIV, 0, 999999, 999999},  // division by 0 keeps v, the clamp applies
      {-5, 0, CALC_MOD, 0, 999999, 0},
      {INT_MIN, -1, CALC_DIV, INT_MIN, INT_MAX, INT_MAX},
      {INT_MIN, -1, CALC_MOD, INT_MIN, INT_MAX, 0},
      {999999, 5000, CALC_PERCENT, 0, INT_MAX, 49999950},
      {5, 50, CALC_PERCENT, -10, 10, 3},   // 2.5 away from zero
      {-5, 50, CALC_PERCENT, -10, 10, -3},
      {500, 7, 9, 0, 100, 100},            // unknown operator: the clamp alone
  };
  for (const auto& c : cases) {
    int32_t v = c.v;
    ApplyCalcOp(&v, c.x, c.op, c.lo, c.hi);
    EXPECT_EQ(v, c.want) << c.v << " op " << c.op << " " << c.x;
  }
  EXPECT_EQ(PercentOf(999999, 5000), 49999950);
  EXPECT_EQ(PercentOf(INT_MAX, 200), INT_MAX);
  EXPECT_EQ(PercentOf(-3, 50), -2);
}

TEST(CalcOp, NarrowOperatorsWrapBeforeTheClamp) {
  int8_t resist = 5;
  ApplyCalcOp8(&resist, 100, CALC_MUL, 0, 20);
  EXPECT_EQ(resist, 0) << "500 is stored as -12, then clamped";
  int8_t impact = 100;
  ApplyCalcOp8(&impact, 100, CALC_ADD, -20, 20);
  EXPECT_EQ(impact, -20);
  int8_t id = 7;
  ApplyCalcOp8(&id, 0, CALC_DIV, 0, 5);
  EXPECT_EQ(id, 5);
  int16_t stop = 30000;
  ApplyCalcOp16(&stop, 30000, CALC_ADD, 0, 200);
  EXPECT_EQ(stop, 0) << "60000 wraps to -5536";
  int16_t mark = 50;
  ApplyCalcOp16(&mark, 50, CALC_PERCENT, 0, 119);
  EXPECT_EQ(mark, 25);
  EXPECT_EQ(PercentOf8(100, 200), -56);
  EXPECT_EQ(PercentOf16(20000, 200), -25536);
  EXPECT_EQ(CompareByOp8(44, static_cast<int8_t>(300), CMP_EQ), 1);
  EXPECT_EQ(CompareByOp16(4, static_cast<int16_t>(65540), CMP_EQ), 1);
}

class StatusCondTest : public StatusTest {
 protected:
  // Status `item` of subject `who` compared by op with a constant.
  static cCond Status(int who, int item, int op, int32_t value, int percent = 0) {
    cCond c;
    c.m_nKind = COND_STATUS;
    c.m_nOwner = static_cast<int8_t>(who);
    c.m_nItem = static_cast<int8_t>(item);
    c.m_nOp = static_cast<int8_t>(op);
    c.m_nValue = value;
    c.m_bPercent = static_cast<int8_t>(percent);
    return c;
  }
};

TEST_F(StatusCondTest, LeftSidesWidthsAndPercent) {
  cChara& me = Body(1, 400, 400, 60, 200);
  cChara& other = Body(2, 500, 400);
  me.m_pTarget[1] = &other;
  const struct {
    const char* what;
    std::function<void()> setUp;
    cCond cond;
    int want;
  } cases[] = {
      {"HP 60 <= 30% of 200", [] {}, Status(0, STATUS_HP, CMP_LE, 30, 1), 1},
      {"HP 61 > 30% of 200", [&] { me.m_nHP = 61; }, Status(0, STATUS_HP, CMP_LE, 30, 1), 0},
      {"maximum HP 0 gives 0", [&] { me.m_Chara.m_nMaxHP = 0; me.m_nHP = 0; }, Status(0, STATUS_HP, CMP_EQ, 30, 1), 1},
      {"percent of defence is 0", [&] { me.m_Chara.m_nDefence = 0; }, Status(0, STATUS_DEFENCE, CMP_EQ, 50, 1), 1},
      {"int8 compares the low byte", [&] { me.m_Chara.m_cCharaId = 44; }, Status(0, STATUS_CHARA_ID, CMP_EQ, 300), 1},
      {"int16 compares the low 16 bits", [&] { me.m_Chara.m_sMark = 4; }, Status(0, STATUS_MARK, CMP_EQ, 65540), 1},
      {"target 2", [] {}, Status(2, STATUS_HP, CMP_EQ, 50), 1},
      {"empty target 3", [] {}, Status(3, STATUS_HP, CMP_GE, INT_MIN), 0},
      {"subject outside 0-5", [] {}, Status(7, STATUS_HP, CMP_GE, INT_MIN), 0},
      {"time as stored without a limit", [&] { scene_.m_nStageTime = 50; }, Status(5, SYSVAL_TIME, CMP_EQ, 50), 1},
      {"unlimited lives read 100", [] { g_SaveData.m_nLife = kLivesUnlimited; }, Status(5, SYSVAL_LIFE, CMP_EQ, 100), 1},
      {"unlimited lives false under the switch",
       [] {
         g_SaveData.m_nLife = kLivesUnlimited;
         g_SystemData.m_bCompat896 = 1;
       },
       Status(5, SYSVAL_LIFE, CMP_NE, 5), 0},
      {"screen X in mode 2", [] {}, Status(0, STATUS_X, CMP_EQ, 400 - 320 + 16), 1},
      {"target X relative in mode 0", [] {}, Status(2, STATUS_X, CMP_EQ, 100), 1},
      {"coordinate mode 3 reads 0", [] {}, Status(0, STATUS_X, CMP_EQ, 0), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    me.m_nHP = 60;
    me.m_Chara = cCharaData();
    me.m_Chara.m_nMaxHP = 200;
    g_SaveData.m_nLife = 3;
    g_SystemData.m_bCompat896 = 0;
    c.setUp();
    cCond cond = c.cond;
    if (cond.m_nItem == STATUS_X) cond.m_nLeftCoord = cond.m_nOwner == 2 ? 0 : cond.m_nValue == 0 ? 3 : 2;
    EXPECT_EQ(scene_.EvalCond(cond, &me), c.want);
  }
}

TEST_F(StatusCondTest, ValueSources) {
  cChara& me = Body(1, 400, 400);
  me.m_Chara.m_sFriction = 50;
  g_StageData.m_bTimeLimit = 0;
  scene_.m_nStageTime = 77;
  scene_.m_vStageVar[12] = 9;
  cValueSource time{2, 0, 0, 0, 0, 0, 5, SYSVAL_TIME};
  int32_t v = -1;
  EXPECT_EQ(ReadValueSource(time, &me, &v), 1);
  EXPECT_EQ(v, 0) << "no time limit";
  g_StageData.m_bTimeLimit = 1;
  ReadValueSource(time, &me, &v);
  EXPECT_EQ(v, 77);
  cValueSource stageVar{3, 0, 0, 0, 1, 12};
  ReadValueSource(stageVar, &me, &v);
  EXPECT_EQ(v, 9);
  cValueSource badScope{3, 0, 0, 0, 4, 12};
  ReadValueSource(badScope, &me, &v);
  EXPECT_EQ(v, 0);
  cValueSource friction{2, 0, 0, 0, 0, 0, 0, STATUS_FRICTION};
  me.m_dFriction = 0;
  ReadValueSource(friction, &me, &v);
  EXPECT_EQ(v, 50);
  EXPECT_DOUBLE_EQ(me.m_dFriction, SpeedParamToDots(50)) << "reading the stopping ease refreshes the friction";
  cValueSource sight{2, 0, 0, 0, 0, 0, 0, STATUS_SIGHT};
  me.m_nInitCleared = 1;
  EXPECT_EQ(ReadValueSource(sight, &me, &v), 0) << "creation flag set";
  cValueSource emptySlot{2, 0, 0, 0, 0, 0, 4, STATUS_HP};
  EXPECT_EQ(ReadValueSource(emptySlot, &me, &v), 0);
  for (int i = 0; i < 50; ++i) {
    cValueSource rnd{1, 0, 10, 3};
    ReadValueSource(rnd, &me, &v);
    EXPECT_TRUE(v >= 3 && v <= 10) << v;
  }
}

TEST_F(StatusCondTest, AFalseConditionStopsTheListBeforeARandomSource) {
  cChara& me = Body(1, 400, 400);
  cCond never = Status(0, STATUS_HP, CMP_EQ, -1);
  cCond random = Status(0, STATUS_HP, CMP_GE, 0);
  random.m_nRightSource = 1;
  random.m_nRandMin = 1;
  random.m_nRandMax = 6;
  cCheckedVector<cCond> list{never, random};
  RandSeed(5);
  EXPECT_EQ(scene_.CheckCondList(list, 0, &me), 0);
  const int next = RandNext();
  RandSeed(5);
  EXPECT_EQ(RandNext(), next) << "no number drawn";
  // Under logic 1 the false one is passed and the random one is reached.
  RandSeed(5);
  EXPECT_EQ(scene_.CheckCondList(list, 1, &me), 1);
  EXPECT_NE(RandNext(), next);
}

TEST_F(StatusCondTest, AVariableIndexOutsideItsTableTakesTheCheckedPath) {
  cChara& me = Body(1, 400, 400);
  for (int kind : {COND_COMMON_VAR, COND_STAGE_VAR, COND_CHARA_VAR}) {
    cCond c;
    c.m_nKind = static_cast<int8_t>(kind);
    c.m_sIndex = 5000;
    scene_.EvalCond(c, &me);
    EXPECT_EQ(TakeCloseRequests(), 1) << kind;
  }
}

TEST_F(StatusCondTest, CharacterAppearanceLatches) {
  cChara& c = Body(1, 400, 400);
  c.m_Chara.m_vCond.push_back(Status(0, STATUS_HP, CMP_GE, 50));
  c.m_Chara.m_cCondLogic = 0;
  c.m_Chara.m_bCondLatch = 1;
  EXPECT_EQ(scene_.CheckCharaCond(&c), 1);
  EXPECT_EQ(c.m_bAppearLatched, 1);
  c.m_nHP = 10;
  EXPECT_EQ(scene_.CheckCharaCond(&c), 1) << "latched";
  c.m_Chara.m_bCondLatch = 0;
  EXPECT_EQ(scene_.CheckCharaCond(&c), 0);
  c.m_Chara.m_vCond.clear();
  c.m_Chara.m_cCondLogic = 1;
  EXPECT_EQ(scene_.CheckCharaCond(&c), 1) << "an empty list holds through the entry point";
  EXPECT_EQ(scene_.CheckCondList(c.m_Chara.m_vCond, 1, &c), 0) << "but not when tested directly";
}

TEST_F(StatusCondTest, ItemAppearanceIsTestedOnTheHeroAndLatches) {
  cHero& hero = AddHero();
  hero.m_nHP = 80;
  cChara& bystander = Body(2, 400, 400);
  bystander.m_nHP = 5;
  cItem item;
  item.m_Item.m_vCond.push_back(Status(0, STATUS_HP, CMP_GE, 50));
  item.m_Item.m_cCondLogic = 0;
  item.m_Item.m_bCondLatch = 1;
  EXPECT_EQ(scene_.CheckItemCond(&item), 1) << "the hero's HP, not another character's";
  hero.m_nHP = 10;
  EXPECT_EQ(scene_.CheckItemCond(&item), 1) << "latched";
  item.m_Item.m_bCondLatch = 0;
  EXPECT_EQ(scene_.CheckItemCond(&item), 0);
  EXPECT_EQ(scene_.CheckItemCond(nullptr), 0);
}

// The status operation, as (set-up, parameters) against the result.
class ExecStatusTest : public StatusTest {
 protected:
  static cFlowCmd Op(int who, int selector, int op, int32_t value) {
    cFlowCmd c = Cmd(CMD_STATUS);
    c.m_vParam.assign(22, 0);
    c.m_vParam[3] = who;
    c.m_vParam[4] = selector;
    c.m_vParam[5] = op;
    c.m_vParam[7] = value;
    return c;
  }
  static cFlowCmd With(cFlowCmd c, int index, int32_t value) {
    c.m_vParam[index] = value;
    return c;
  }
};

TEST_F(ExecStatusTest, ObjectStatuses) {
  cChara& me = Body(1, 400, 400, 50, 100);
  cChara& other = Body(2, 500, 400, 30, 100);
  me.m_pTarget[0] = &other;
  const struct {
    const char* what;
    std::function<void()> setUp;
    cFlowCmd cmd;
    std::function<int32_t()> read;
    int32_t want;
  } cases[] = {
      {"HP mode 0", [] {}, Op(0, STATUS_HP, CALC_SUB, 10), [&] { return me.m_nHP; }, 40},
      {"HP mode 1: percent of the maximum", [] {}, With(Op(0, STATUS_HP, CALC_ADD, 20), 15, 1),
       [&] { return me.m_nHP; }, 70},
      {"HP mode 2: percent of the current value", [] {}, With(Op(0, STATUS_HP, CALC_SUB, 50), 15, 2),
       [&] { return me.m_nHP; }, 25},
      {"HP ignores the percent flag", [] {}, With(Op(0, STATUS_HP, CALC_SUB, 10), 14, 1), [&] { return me.m_nHP; }, 40},
      {"HP + INT_MAX reaches the maximum", [] {}, Op(0, STATUS_HP, CALC_ADD, INT_MAX), [&] { return me.m_nHP; }, 100},
      {"SP", [&] { me.m_Chara.m_nMaxSP = 10; }, Op(0, STATUS_SP, CALC_SET, 7), [&] { return me.m_nSP; }, 7},
      {"invulnerable spared with 17", [&] { other.m_Chara.m_cInvincible = 1; },
       With(Op(1, STATUS_HP, CALC_SUB, 10), 17, 1), [&] { return other.m_nHP; }, 30},
      {"invulnerable forced without 17", [&] { other.m_Chara.m_cInvincible = 1; }, Op(1, STATUS_HP, CALC_SUB, 10),
       [&] { return other.m_nHP; }, 20},
      {"maximum raised keeps HP", [] {}, Op(0, STATUS_MAX_HP, CALC_SET, 500), [&] { return me.m_nHP; }, 50},
      {"maximum lowered cuts HP", [] {}, Op(0, STATUS_MAX_HP, CALC_SET, 20), [&] { return me.m_nHP; }, 20},
      {"maximum by percent", [] {}, With(Op(0, STATUS_MAX_HP, CALC_SET, 150), 14, 1),
       [&] { return me.m_Chara.m_nMaxHP; }, 150},
      {"character ID 300 stores 44", [] {}, Op(0, STATUS_CHARA_ID, CALC_SET, 300),
       [&] { return int32_t{me.m_Chara.m_cCharaId}; }, 44},
      {"impact resistance 5 x 100 stores 0", [&] { me.m_Chara.m_cImpactResist = 5; },
       Op(0, STATUS_IMPACT_RESIST, CALC_MUL, 100), [&] { return int32_t{me.m_Chara.m_cImpactResist}; }, 0},
      {"division by 0 still clamps", [&] { me.m_Chara.m_sMark = 500; }, Op(0, STATUS_MARK, CALC_DIV, 0),
       [&] { return int32_t{me.m_Chara.m_sMark}; }, 119},
      {"int8 percent of the current value", [&] { me.m_Chara.m_cLayer = 6; }, With(Op(0, STATUS_Z, CALC_SET, 50), 14, 1),
       [&] { return int32_t{me.m_Chara.m_cLayer}; }, 3},
      {"character variable with its index", [] {}, With(Op(0, STATUS_CHARA_VAR, CALC_ADD, 7), 2, 3),
       [&] { return me.m_vCharaVar[3]; }, 7},
      {"score by percent of 2000000 clamps", [&] { me.m_Chara.m_nScore = 999999; },
       With(Op(0, STATUS_SCORE, CALC_SET, 200), 14, 1), [&] { return me.m_Chara.m_nScore; }, 999999},
      {"empty slot does nothing", [] {}, Op(3, STATUS_HP, CALC_SET, 1), [&] { return me.m_nHP; }, 50},
      {"subject outside 0-5 does nothing", [] {}, Op(9, STATUS_HP, CALC_SET, 1), [&] { return me.m_nHP; }, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    me.m_Chara = cCharaData();
    me.m_Chara.m_nMaxHP = 100;
    me.m_nHP = 50;
    me.m_nSP = 0;
    me.m_vCharaVar.Fill(0);
    other.m_Chara = cCharaData();
    other.m_Chara.m_nMaxHP = 100;
    other.m_nHP = 30;
    c.setUp();
    ExecStatus(&me, c.cmd);
    EXPECT_EQ(c.read(), c.want);
  }
}

TEST_F(ExecStatusTest, FollowUps) {
  cChara& me = Body(1, 400, 400, 50, 100);
  cChara& other = Body(2, 500, 400, 30, 100);
  me.m_pTarget[0] = &other;
  // The subject's HP gauge follows the change, with the gauge parameter.
  ExecStatus(&me, With(Op(0, STATUS_HP, CALC_ADD, 10), 16, 1));
  EXPECT_EQ(me.m_GaugeHP.m_nTimer, 120);
  EXPECT_DOUBLE_EQ(me.m_GaugeHP.m_dChange, 5.0);
  // Another object brought to 0 is left to the play step.
  ExecStatus(&me, Op(1, STATUS_HP, CALC_SET, 0));
  EXPECT_EQ(other.m_nHP, 0);
  EXPECT_EQ(scene_.m_bDeathPending, 1);
  scene_.m_bDeathPending = 0;
  ExecStatus(&me, Op(0, STATUS_HP, CALC_SET, 0));
  EXPECT_EQ(scene_.m_bDeathPending, 0) << "not for the subject itself";
  // Sight range: dots and, under the creation flag, no change.
  ExecStatus(&me, Op(0, STATUS_SIGHT, CALC_SET, 5));
  EXPECT_EQ(me.m_nSight, 80);
  me.m_nInitCleared = 1;
  ExecStatus(&me, Op(0, STATUS_SIGHT, CALC_SET, 9));
  EXPECT_EQ(me.m_Chara.m_cSight, 5);
  // Stopping ease recomputes the friction.
  ExecStatus(&me, Op(0, STATUS_FRICTION, CALC_SET, 120));
  EXPECT_DOUBLE_EQ(me.m_dFriction, SpeedParamToDots(120));
}

TEST_F(ExecStatusTest, VariablesAndSystemValues) {
  cChara& me = Body(1, 400, 400);
  g_SaveData.m_vCommonVar[5] = 200;
  cFlowCmd var = With(With(With(Op(0, 0, CALC_ADD, 50), 0, 1), 2, 5), 14, 0x100);  // low byte 0: no percent
  ExecStatus(&me, var);
  EXPECT_EQ(g_SaveData.m_vCommonVar[5], 250);
  ExecStatus(&me, With(var, 14, 1));
  EXPECT_EQ(g_SaveData.m_vCommonVar[5], 375);
  ExecStatus(&me, With(With(var, 1, 1), 7, 2000000));
  EXPECT_EQ(scene_.m_vStageVar[5], 999999);

  g_SaveData.m_nLife = kLivesUnlimited;
  ExecStatus(&me, Op(5, SYSVAL_LIFE, CALC_ADD, 1));
  EXPECT_EQ(g_SaveData.m_nLife, kLivesUnlimited);
  g_SaveData.m_nLife = 98;
  ExecStatus(&me, Op(5, SYSVAL_LIFE, CALC_ADD, 5));
  EXPECT_EQ(g_SaveData.m_nLife, 99);
  scene_.m_nStageTime = 10;
  ExecStatus(&me, Op(5, SYSVAL_TIME, CALC_ADD, 5000));
  EXPECT_EQ(scene_.m_nStageTime, 999);

  g_StageData.m_bAutoScrollX = 1;
  ExecStatus(&me, Op(5, SYSVAL_SCROLL_X, CALC_SET, 600));
  EXPECT_EQ(g_StageData.m_nAutoScrollSpeedX, 480);
  EXPECT_EQ(scene_.m_ScrollX.m_bAutoScroll, 1);
  EXPECT_NE(scene_.m_ScrollX.m_dAutoSpeed, 0.0);
  g_StageData.m_bAutoScrollY = 0;
  ExecStatus(&me, Op(5, SYSVAL_SCROLL_Y, CALC_SET, 100));
  EXPECT_EQ(scene_.m_ScrollY.m_dAutoSpeed, 0.0) << "the stored switch is off";
}

TEST_F(ExecStatusTest, CoordinatesReadAsTheScreenCentreAndWriteThroughTheWarp) {
  cChara& me = Body(1, 400, 400);
  scene_.m_ScrollX.m_dPos = 330.7;
  me.UpdateScreenPos();
  // Reading in the three modes (the view is 10.7 pixels right of the stage's left edge).
  int32_t x = -5;
  EXPECT_EQ(GetObjPosX(&x, &me, 2, nullptr), 1);
  EXPECT_EQ(x, 400 - 330 + 16);
  EXPECT_EQ(GetObjPosX(&x, &me, 1, nullptr), 1);
  EXPECT_EQ(x, 330 - 320 + 86);
  EXPECT_EQ(GetObjPosX(&x, &me, 0, nullptr), 0) << "relative without a subject";
  x = -5;
  EXPECT_EQ(GetObjPosX(&x, &me, 7, nullptr), 1);
  EXPECT_EQ(x, -5);
  me.m_PicRect.m_nH = 48;
  me.UpdateScreenPos();
  int32_t y = 0;
  GetObjPosY(&y, &me, 2, 1, nullptr);
  EXPECT_EQ(y, me.m_PicRect.m_nBottom - 15);
  GetObjPosY(&y, &me, 2, 2, nullptr);
  EXPECT_EQ(y, me.m_PicRect.m_nBottom - 15) << "walking: the foot";
  me.m_bFlying = 1;
  GetObjPosY(&y, &me, 2, 2, nullptr);
  EXPECT_EQ(y, me.m_PicRect.CentreY());
  me.m_bFlying = 0;
  me.m_PicRect.m_nH = 32;

  // SET X in screen mode: the centre goes to 200 on screen.
  scene_.m_ScrollX.m_dPos = 320;
  me.UpdateScreenPos();
  cFlowCmd setX = With(Op(0, STATUS_X, CALC_SET, 200), 18, 2);
  ExecStatus(&me, setX);
  EXPECT_DOUBLE_EQ(me.m_dX, 200 + 320 - 16 + 0.5);
  EXPECT_EQ(me.m_bFixedX, 1) << "a write to screen coordinates pins the object";
  // ADD in relative mode adds to the screen centre and warps by the sum (the current value is the
  // screen centre whatever the mode).
  Place(me, 400, 400);
  ExecStatus(&me, With(Op(0, STATUS_X, CALC_ADD, 4), 18, 0));
  EXPECT_DOUBLE_EQ(me.m_dX, 400 + (80 + 16 + 4));
  // Under the centred-writes switch the stage target is 16 lower.
  Place(me, 400, 400);
  g_SystemData.m_bCompat819 = 1;
  ExecStatus(&me, With(Op(0, STATUS_X, CALC_SET, 100), 18, 1));
  EXPECT_DOUBLE_EQ(me.m_dX, 320 + 100 - 16 - 16 + 0.5);
  g_SystemData.m_bCompat819 = 0;
  // Y in stage coordinates with the foot reference.
  Place(me, 400, 400);
  ExecStatus(&me, With(With(Op(0, STATUS_Y, CALC_SET, 100), 18, 1), 20, 1));
  EXPECT_DOUBLE_EQ(me.m_dY, 320 + 100 - 32 + 16 + 0.5);
  // A mode outside 0-2 writes nothing.
  Place(me, 400, 400);
  ExecStatus(&me, With(Op(0, STATUS_X, CALC_SET, 100), 18, 3));
  EXPECT_DOUBLE_EQ(me.m_dX, 400);
}

}  // namespace
