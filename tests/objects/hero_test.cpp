#include <gtest/gtest.h>

#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/meswindow.h"
#include "support/play_fixture.h"

namespace {

class HeroTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    for (cScrollAxis* a : {&scene_.m_ScrollX, &scene_.m_ScrollY}) {
      a->m_nOuterRange = 32 * 100;
      a->m_nStageMin = a->m_nMin = 320;
      a->m_nStageMax = a->m_nMax = 32 * 90;
      a->m_nMarginCells = 10;
    }
    g_StageData.m_dMaxSpeed = 100;
    g_StageData.Layout(LAYOUT_HERO_PIC_W) = 24;
    g_StageData.Layout(LAYOUT_HERO_PIC_H) = 30;
    g_StageData.Layout(LAYOUT_HERO_PIC_ALIGN) = 1;
    g_StageData.Layout(LAYOUT_HERO_PIC_W_FLY) = 32;
    g_StageData.Layout(LAYOUT_HERO_PIC_H_FLY) = 20;
    g_StageData.Layout(LAYOUT_HERO_BODY_W) = 16;
    g_StageData.Layout(LAYOUT_HERO_BODY_H) = 28;
    g_StageData.Layout(LAYOUT_HERO_BODY_ALIGN) = 1;
    g_StageData.Layout(LAYOUT_HERO_SHOT_BOX_W) = 12;
    g_StageData.Layout(LAYOUT_HERO_SHOT_BOX_H) = 12;
    g_StageData.Layout(LAYOUT_HERO_ITEM_BOX_W) = 20;
    g_StageData.Layout(LAYOUT_HERO_ITEM_BOX_H) = 20;
    def_ = cCharaData();
    def_.m_cOperation = 0;
    def_.m_cScale = 0;
    cHero& h = g_vHero.emplace_back();
    h.Init(def_, 0, 0, 0);
    hero_ = &h;
    hero_->m_dX = hero_->m_dY = 1000;
    hero_->CheckBoundsX(1);
    hero_->CheckBoundsY(1);
  }
  void TearDown() override {
    g_ItemCmdExecTable.fill(nullptr);
    PlayTest::TearDown();
  }
  cCharaData def_;
  cHero* hero_ = nullptr;
};

TEST_F(HeroTest, InitTakesLayoutAndNumberApart) {
  EXPECT_EQ(hero_->m_nObjNo, kHeroObjNo);
  EXPECT_EQ(hero_->m_Chara.m_cScale, 1) << "scale 0 counts as 1";
  EXPECT_EQ(hero_->m_nHitW, 24);
  EXPECT_EQ(hero_->m_PicRect.m_nOfsX, 4);
  EXPECT_EQ(hero_->m_PicRect.m_nOfsY, 2) << "bottom-aligned: 32 - 30";
  EXPECT_EQ(hero_->m_bJumpHoldOpen, 1);
  EXPECT_DOUBLE_EQ(hero_->m_dFloorUnitSpeed, 4.0);
  EXPECT_EQ(hero_->m_BodyRect.m_nOfsY, 32 - 2 - 28);
  EXPECT_EQ(hero_->m_ShotRect.m_nOfsX, 16 - 6 - 4);
  EXPECT_EQ(hero_->m_ItemRect.m_nW, 20);
  ASSERT_EQ(hero_->m_vDrawLayers.size(), 4u);
  EXPECT_EQ(hero_->m_vDrawLayers[0].m_nType, 0) << "24 x 30 box first";
  EXPECT_EQ(hero_->m_vDrawLayers[1].m_nType, 1) << "then the 16 x 28 body";
  EXPECT_EQ(hero_->m_vDrawLayers[2].m_nType, 2) << "then the 20 x 20 item box";
  EXPECT_EQ(hero_->m_vDrawLayers[3].m_nType, 3) << "the 12 x 12 shot box last";
}

TEST_F(HeroTest, ViewModeSizesAndRestoreWindow) {
  hero_->m_dSpeedX = hero_->m_dInertiaX = 3;
  hero_->SetViewMode(1, 0, 1, 1);
  EXPECT_EQ(hero_->m_nHitH, 20);
  EXPECT_EQ(hero_->m_bInAir, 1);
  EXPECT_EQ(hero_->m_nJumpCount, g_StageData.m_nSteps8);
  hero_->m_dX = 1200;
  EXPECT_EQ(hero_->RestorePosAfterModeChange(), 1);
  EXPECT_EQ(hero_->m_dX, 1000) << "restored within the countdown";
  hero_->SetViewMode(0, 0, 0, 0);
  EXPECT_EQ(hero_->m_dSpeedX, 0) << "leaving flight stops the hero";
  EXPECT_EQ(hero_->m_dInertiaX, 0);
  hero_->RunFlows(0);
  hero_->RunFlows(0);
  EXPECT_EQ(hero_->RestorePosAfterModeChange(), 0) << "the countdown has run out";
  const struct {
    int choice, w, h;
  } boxes[] = {{0, 16, 28}, {1, 12, 12}, {3, 32, 32}};
  for (auto b : boxes) {
    hero_->m_Chara.m_cBoxChoice = static_cast<int8_t>(b.choice);
    hero_->SetViewMode(0, 0, 0, 0);
    EXPECT_EQ(hero_->m_BodyRect.m_nW, b.w) << b.choice;
    EXPECT_EQ(hero_->m_BodyRect.m_nH, b.h) << b.choice;
  }
}

TEST_F(HeroTest, ImpactMovesAloneAndSlidingFloorNeverReverses) {
  hero_->m_dImpactX = 2;
  hero_->m_dInertiaX = 5;
  hero_->m_bOnSpecialFloor = 1;
  hero_->m_nFloorKind = 3;
  hero_->m_dFloorRate = 3;
  hero_->MoveX();
  EXPECT_EQ(hero_->m_dX, 1002);
  EXPECT_EQ(hero_->m_dInertiaX, 5) << "inertia untouched while an impact runs";
  hero_->m_dImpactX = 0;
  hero_->m_dInertiaX = -0.1;
  hero_->m_dFloorRate = 0;  // slows by 4 / 60 per sub-step
  for (int i = 0; i < 3; ++i) {
    hero_->m_dSpeedX = 0;
    hero_->MoveX();
    EXPECT_LE(hero_->m_dInertiaX, 0) << i;
  }
  EXPECT_EQ(hero_->m_dInertiaX, 0) << "stopped at 0, not turned round";
  hero_->m_dInertiaX = 0.5;
  hero_->m_dFloorRate = 2;
  hero_->m_dSpeedX = 0;
  hero_->MoveX();
  EXPECT_NEAR(hero_->m_dInertiaX, 0.5 + 4.0 / 60, 1e-12);
}

TEST_F(HeroTest, ScrollFollowsWithinTheStage) {
  const struct {
    double x, scroll;
  } cases[] = {{330, 320}, {1500, 1500 - (320 - 12)}, {2850, 2880 - 640}};
  for (auto c : cases) {
    hero_->m_dX = c.x;
    hero_->AfterMoveX();
    EXPECT_EQ(scene_.m_ScrollX.m_dPos, c.scroll) << c.x;
  }
  scene_.m_ScrollX.m_bAutoScroll = 1;
  scene_.m_ScrollX.m_dPos = 700;
  hero_->m_dX = 1500;
  hero_->AfterMoveX();
  EXPECT_EQ(scene_.m_ScrollX.m_dPos, 700) << "an auto-scrolling axis is left alone";
}

TEST_F(HeroTest, FallingOutOfTheStageIsCode7ForAWalker) {
  scene_.m_ScrollY.m_nStageMax = 32 * 80;
  hero_->m_dY = 32 * 80;
  hero_->m_dSpeedY = 1;
  EXPECT_EQ(hero_->MoveY(), 7);
  hero_->SetViewMode(1, 0, 0, 0);
  hero_->m_dY = 32 * 80;
  hero_->m_dSpeedY = 1;
  EXPECT_NE(hero_->MoveY(), 7) << "a flyer keeps the raw code";
}

int g_calls = 0;
int KillingExec(cCharaBase* subject, const cFlowCmd*) {
  ++g_calls;
  subject->m_nHP = 0;
  return 0;
}
int CountingExec(cCharaBase*, const cFlowCmd*) {
  ++g_calls;
  return 0;
}
int SelfTakingExec(cCharaBase* subject, const cFlowCmd* cmd) {
  ++g_calls;
  cCheckedVector<cFlowCmd> again(1, *cmd);
  return static_cast<cHero*>(subject)->RunItemCommands(again);
}

TEST_F(HeroTest, ItemCommandsStopAtHpZeroAndNestingIsBounded) {
  cFlowCmd kill = Cmd(2), count = Cmd(3);
  kill.m_nCategory = count.m_nCategory = CMD_CATEGORY_ITEM;
  g_ItemCmdExecTable[2] = KillingExec;
  g_ItemCmdExecTable[3] = CountingExec;
  hero_->m_nHP = 10;
  g_calls = 0;
  EXPECT_EQ(hero_->RunItemCommands(cCheckedVector<cFlowCmd>{count, kill, count}), 2);
  EXPECT_EQ(g_calls, 2) << "nothing runs after HP reached 0";
  hero_->m_nHP = 10;
  g_ItemCmdExecTable[3] = SelfTakingExec;
  g_calls = 0;
  EXPECT_EQ(hero_->RunItemCommands(cCheckedVector<cFlowCmd>{count}), 0);
  EXPECT_EQ(g_calls, kItemCmdNestMax);
  EXPECT_EQ(hero_->m_nItemCmdDepth, 0);
}

TEST_F(HeroTest, PopupFollowsTheHeroFor30Frames) {
  hero_->ShowPopup(2, 7, 1);
  ASSERT_EQ(scene_.m_lMesWindow.size(), 1u);
  const cMesWindow& w = scene_.m_lMesWindow.back();
  EXPECT_EQ(w.m_nKind, MESWIN_ITEM_ICON);
  EXPECT_EQ(w.m_nIconIndex, 7);
  EXPECT_EQ(w.m_nOwnerNo, kHeroObjNo);
  EXPECT_EQ(w.m_nPosMode, 4);
  EXPECT_EQ(w.m_nTimeLeft, 30);
  scene_.m_lMesWindow.clear();
}

class HeroJumpTest : public HeroTest {
 protected:
  void SetUp() override {
    HeroTest::SetUp();
    rec_ = Cmd(CMD_JUMP);
    cmd_.m_pCmd = &rec_;
    cmd_.m_nUseTime = 20;
    cmd_.m_dSpeed = -5;
    hero_->m_bInAir = 0;
  }
  void Pass() {
    hero_->m_bJumpRan = 0;
    hero_->Jump(cmd_);
  }
  cFlowCmd rec_;
  cCmdInstance cmd_;
};

TEST_F(HeroJumpTest, FixedJumpTakesOffOncePerPass) {
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, -5);
  EXPECT_EQ(hero_->m_bJumping, 1);
  hero_->m_dSpeedY = -1;
  hero_->Jump(cmd_);
  EXPECT_EQ(hero_->m_nJumpHoldFrames, 1) << "a second jump command in the pass does nothing";
}

TEST_F(HeroJumpTest, NoJumpFloorRefusesTakeOff) {
  hero_->m_bNoJump = 1;
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, 0);
  EXPECT_EQ(hero_->m_bJumping, 0);
}

TEST_F(HeroJumpTest, TakeOffWindowIsTheFirstFrame) {
  SetSteps(2);
  hero_->m_nJumpHoldFrames = 2;
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, 0) << "the third sub-step of the hold is too late";
}

TEST_F(HeroJumpTest, RidingTakesOffInTheLastSubStep) {
  SetSteps(2);
  cChara& ride = AddChara(3);
  hero_->m_pRide = &ride;
  scene_.m_nSubStep = 1;
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, 0);
  hero_->m_nJumpHoldFrames = 0;
  scene_.m_nSubStep = 2;
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, -5);
  EXPECT_EQ(hero_->m_pRide, nullptr);
  g_SystemData.m_bCompat845A = 1;
  hero_->m_pRide = &ride;
  hero_->m_nJumpHoldFrames = 0;
  hero_->m_dSpeedY = 0;
  cmd_.m_bTookOff = 0;
  Pass();
  EXPECT_EQ(hero_->m_dSpeedY, -5 * static_cast<double>(1.02f));
}

// Jump mode 1: the last key condition of the running flow decides the hold.
class HeroKeyJumpTest : public HeroJumpTest {
 protected:
  void SetUp() override {
    HeroJumpTest::SetUp();
    rec_.m_vParam[0] = 1;
    cond_.Reset();
    cond_.m_vKeyState.At(kDirKeyCount) = 1;  // button 0 held
    flow_.m_vKeyCond = {&cond_};
    scene_.m_pCurFlow = &flow_;
    Hold(1);
  }
  void Hold(int held) { g_vInput[0].m_vButtonRuns.At(0).At(0).m_nState = held; }
  // One sub-step: the jump command, then the rise under gravity 0.
  void Step() {
    Pass();
    hero_->m_bInAir = 1;
  }
  cKeyCond cond_;
  cFlowInstance flow_;
};

TEST_F(HeroKeyJumpTest, TapCutsTheRiseOnceHoldKeepsIt) {
  Step();
  ASSERT_EQ(hero_->m_dSpeedY, -5);
  Step();
  Hold(0);
  Step();
  EXPECT_DOUBLE_EQ(hero_->m_dSpeedY, -1.5) << "released during the rise: x 0.3";
  EXPECT_EQ(hero_->m_bJumpEnded, 1);
  Step();
  EXPECT_DOUBLE_EQ(hero_->m_dSpeedY, -1.5) << "only once";
}

TEST_F(HeroKeyJumpTest, HoldingToTheRiseTimeGivesTheFullHeight) {
  for (int i = 0; i < 20; ++i) Step();
  EXPECT_EQ(hero_->m_bJumpEnded, 1);
  EXPECT_EQ(hero_->m_bJumpHoldOpen, 0);
  Hold(0);
  Step();
  EXPECT_EQ(hero_->m_dSpeedY, -5) << "released after the rise time: no cut";
}

TEST_F(HeroKeyJumpTest, KeyedJumpEndsOnLanding) {
  Step();
  hero_->m_dSpeedY = 0;
  cMapCell floor;
  floor.m_cHit = 1;
  hero_->m_pCellBelow = &floor;
  Hold(0);
  cmd_.m_nRemain = 10;
  Pass();
  EXPECT_EQ(cmd_.m_nRemain, 0);
  EXPECT_EQ(hero_->m_bJumpHoldOpen, 1);
  hero_->m_pCellBelow = nullptr;
}

TEST_F(HeroJumpTest, ModeTwoHeightFollowsRunSpeed) {
  rec_.m_vParam[0] = 2;
  rec_.m_vParam[1] = 40;  // t1 = 4 px per sub-step
  rec_.m_vParam[2] = 6;
  rec_.m_vParam[3] = 10;  // t3 = 1
  rec_.m_vParam[4] = 2;
  g_StageData.m_dGravity = 0.5;
  Pass();
  EXPECT_DOUBLE_EQ(cmd_.m_dSpeed, hero_->JumpSpeedFromDots(2 * 16.0)) << "at rest: parameter 4";
  hero_->m_bJumping = 0;
  hero_->m_dInertiaX = 4;
  cmd_.m_bTookOff = 0;
  Pass();
  EXPECT_DOUBLE_EQ(cmd_.m_dSpeed, hero_->JumpSpeedFromDots(6 * 16.0)) << "at t1: parameter 2";
}

// ---- Other characters ----

class CharaTest : public HeroTest {};

TEST_F(CharaTest, FlowPassStopsOnHpAndVanishAndClearsContext) {
  cChara& c = AddChara(5);
  c.m_nHP = 5;
  Install(c, {Flow(FLOW_TRIG_ALWAYS, {Cmd(CMD_WAIT, 10)}), Flow(FLOW_TRIG_DEATH, {Cmd(CMD_SE, 10)})});
  c.m_vFlowInst[0].Start(&c);
  c.m_vFlowInst[1].Start(&c);
  Actions()[CMD_WAIT] = [](cCharaBase* s, cCmdInstance*) { s->m_nHP = 0; };
  EXPECT_EQ(c.RunFlows(0), 1);
  EXPECT_EQ(KindsCalled(), (std::vector<int>{CMD_WAIT})) << "the HP exit comes before the next flow";
  EXPECT_EQ(scene_.m_pCurObj, nullptr);
  EXPECT_EQ(scene_.m_pCurFlow, nullptr);
  Calls().clear();
  c.RunFlows(1);
  EXPECT_EQ(KindsCalled(), (std::vector<int>{CMD_SE})) << "dying: death flows only";
  c.m_nHP = 5;
  Calls().clear();
  Actions()[CMD_WAIT] = [](cCharaBase* s, cCmdInstance*) { s->m_bVanished = 1; };
  EXPECT_EQ(c.RunFlows(0), 1);
  EXPECT_EQ(KindsCalled(), (std::vector<int>{CMD_WAIT}));
  EXPECT_EQ(scene_.m_pCurCmd, nullptr);
}

TEST_F(CharaTest, MoveCodes) {
  cChara& c = AddChara(5);
  c.m_nHitW = c.m_nHitH = 32;
  c.m_dX = 32 * 100 - 33;
  c.m_dSpeedX = 4;
  EXPECT_EQ(c.MoveX(), 4) << "the grid's end removes it";
  c.m_bFlying = 1;
  c.m_dY = 2;
  c.m_dSpeedY = -4;
  EXPECT_EQ(c.MoveY(), 8);
  c.m_bFlying = 0;
  c.m_dY = 32 * 90;
  c.m_dSpeedY = 1;
  EXPECT_EQ(c.MoveY(), 7);
}

TEST_F(CharaTest, SleepsUntilViewOrSwitchThenKeepsActive) {
  cChara& c = AddChara(5);
  c.m_bFlying = 1;
  c.m_Chara.m_bAppearSwitch = 1;
  c.m_Chara.m_sAppearSwitch = 3;
  c.m_Chara.m_cKeepActive = 1;
  cCheckedVector<uint8_t> switches(10, 0);
  c.m_dX = c.m_dRight = 5000;
  c.m_dY = c.m_dBottom = 5000;
  EXPECT_EQ(c.UpdateActive(switches), 0);
  EXPECT_EQ(c.CheckStart(switches), 0) << "off screen and switch off";
  switches[3] = 1;
  EXPECT_EQ(c.CheckStart(switches), 1);
  EXPECT_EQ(c.m_bIgnoreViewX, 1);
  EXPECT_EQ(c.UpdateActive(switches), 1) << "on screen everywhere from now on";
}

TEST_F(CharaTest, BlockCharaRectanglesAndHeldItem) {
  cCharaData def;
  def.m_bBlockChara = 1;
  def.m_cScale = 2;
  def.m_cViewAxes = 2;
  cChara& c = g_lstChara.emplace_back();
  c.Init(4, def, nullptr, 0, 0, 0, 0, nullptr);
  EXPECT_EQ(c.m_BodyRect.m_nW, 64);
  EXPECT_EQ(c.m_ShotRect.m_nW, 64) << "the whole (scaled) cell";
  EXPECT_EQ(c.m_ShotRect.m_nOfsX, 0);
  EXPECT_EQ(c.m_HeldItem.m_Item.m_sGraphic, 0) << "no item to hand over";
  EXPECT_EQ(c.m_bIgnoreViewX, 1);
  EXPECT_EQ(c.m_bIgnoreViewY, 0);
}

// The jump command as a game runs it: in a flow of its object, stepped by the object's flow pass
// once a sub-step, two sub-steps a displayed frame, through the command table's own executor.
class FlowJumpTest : public HeroTest {
 protected:
  void SetUp() override {
    HeroTest::SetUp();
    SetSteps(2);
    g_CmdExecTable[CMD_JUMP] = g_CmdExecDefaults[CMD_JUMP];
  }
  // Gives the object one running flow of a fixed-height jump command with this usage time.
  static void JumpFlow(cCharaBase& obj, int useTime) {
    obj.m_nHP = 10;
    Install(obj, {Flow(FLOW_TRIG_ALWAYS, {Cmd(CMD_JUMP)})});
    cCmdInstance& cmd = obj.m_vFlowInst[0].m_vCmd[0];
    cmd.m_nUseTime = useTime;
    cmd.m_dSpeed = -4;
    obj.m_vFlowInst[0].Start(&obj);
  }
  // The object's flow pass of sub-step n (counted from 1); true while the jump command still runs.
  bool SubStep(cCharaBase& obj, int n) {
    scene_.m_nSubStep = (n - 1) % g_StageData.m_nStepsPerFrame + 1;
    obj.RunFlows(0);
    return obj.m_vFlowInst[0].m_bRunning != 0;
  }
  cMapCell floor_ = [] {
    cMapCell c;
    c.m_cHit = 1;
    return c;
  }();
};

TEST_F(FlowJumpTest, CharaThatCannotTakeOffGivesUpAfterFourFrames) {
  cChara& c = AddChara(5);
  c.m_bInAir = 1;
  JumpFlow(c, 48);
  int steps = 1;
  while (SubStep(c, steps) && steps < 48) ++steps;
  EXPECT_EQ(steps, 9) << "eight sub-steps of waiting, then the command ends";
  EXPECT_EQ(c.m_bJumping, 0);
  EXPECT_EQ(c.m_dSpeedY, 0);
}

TEST_F(FlowJumpTest, CharaLandingWhileItWaitsTakesOffThen) {
  cChara& c = AddChara(5);
  c.m_bInAir = 1;
  JumpFlow(c, 48);
  ASSERT_TRUE(SubStep(c, 1));
  ASSERT_TRUE(SubStep(c, 2));
  EXPECT_EQ(c.m_bJumping, 0);
  // It lands in the moves after sub-step 2.
  c.m_bInAir = 0;
  c.m_pCellBelow = &floor_;
  EXPECT_TRUE(SubStep(c, 3));
  EXPECT_EQ(c.m_bJumping, 1);
  EXPECT_EQ(c.m_dSpeedY, -4);
  // In the air the jump goes on; standing again, it ends.
  c.m_pCellBelow = nullptr;
  EXPECT_TRUE(SubStep(c, 4));
  EXPECT_TRUE(SubStep(c, 5));
  c.m_pCellBelow = &floor_;
  EXPECT_FALSE(SubStep(c, 6));
  c.m_pCellBelow = nullptr;
}

TEST_F(FlowJumpTest, RidingHeroHoldingJumpTakesOffInTheFramesLastSubStep) {
  cChara& ride = AddChara(3);
  hero_->m_pRide = &ride;
  hero_->m_bInAir = 0;
  JumpFlow(*hero_, 20);  // a fixed-height jump counts as held
  EXPECT_TRUE(SubStep(*hero_, 1));
  EXPECT_EQ(hero_->m_dSpeedY, 0) << "riding, it waits for the last sub-step of the frame";
  EXPECT_TRUE(SubStep(*hero_, 2));
  EXPECT_EQ(hero_->m_dSpeedY, -4);
  EXPECT_EQ(hero_->m_bJumping, 1);
  EXPECT_EQ(hero_->m_pRide, nullptr);
}

TEST_F(CharaTest, BlinkMarkShowsFrames64To95) {
  cChara& c = AddChara(5);
  c.m_HeldItem.m_bCarried = 1;
  c.m_bOnScreen = 1;
  int shown = 0;
  for (int f = 0; f < 192; ++f) {
    c.DrawBlinkMark(nullptr);
    if (c.m_nBlinkCount >= 64) {
      ++shown;
      EXPECT_GE(f % 96, 63) << f;  // the 64th call and later
    }
  }
  EXPECT_EQ(shown, 64);
  c.m_HeldItem.m_bCarried = 0;
  c.DrawBlinkMark(nullptr);
  EXPECT_EQ(c.m_nBlinkCount, 0) << "no carried item, no counting";
}

TEST_F(CharaTest, ItemScaleZeroIsOne) {
  cItemData def;
  def.m_cScale = 0;
  def.m_sGraphic = 5;
  cItem item;
  item.Init(3, def, 0);
  EXPECT_EQ(item.m_Item.m_cScale, 1);
  cItem carried;
  def.m_cScale = 3;
  carried.Init(4, def, 1);
  EXPECT_EQ(carried.m_bAppearLatched, 1);
  EXPECT_EQ(carried.m_PicRect.m_nW, 32) << "a carried item is not scaled";
}

}  // namespace
