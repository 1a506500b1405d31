#include <gtest/gtest.h>

#include <algorithm>

#include "flow/exec_fixture.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/objlists.h"

namespace {

class TargetTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    hero_ = &AddHero(9);
    Place(*hero_, 100, 100);
    me_ = &At(1, 400, 0);
    near_ = &At(2, 500, 1);
    far_ = &At(3, 800, 1);
    other_ = &At(4, 450, 2);
  }
  // An active character on screen at (x, 400), filed in its side's list.
  cChara& At(int objNo, double x, int side) {
    cChara& c = Body(objNo, x, 400);
    c.m_bActive = c.m_bOnScreen = 1;
    c.m_nSide = side;
    scene_.m_vSideChara[side].push_back(&c);
    return c;
  }
  // A target command for slot 0; the subject excluded by number.
  static cFlowCmd SetTarget(int choice, int side = 0, int allLists = 0, int whenNone = 0) {
    cFlowCmd c = Cmd(CMD_SET_TARGET);
    c.m_vParam[1] = choice;
    c.m_vParam[2] = side;
    c.m_vParam[3] = allLists;
    c.m_vParam[5] = 1;
    c.m_vParam[15] = whenNone;
    return c;
  }
  static cFlowCmd ById(cFlowCmd c, int id) {
    c.m_vParam[9] = 1;
    c.m_vParam[10] = id;
    return c;
  }
  cCharaBase* Run(const cFlowCmd& cmd) {
    cCmdInstance inst = Running(cmd);
    g_CmdExecTable[CMD_SET_TARGET](me_, &inst);
    return me_->m_pTarget[0];
  }
  cHero* hero_ = nullptr;
  cChara *me_ = nullptr, *near_ = nullptr, *far_ = nullptr, *other_ = nullptr;
};

TEST_F(TargetTest, EveryChoice) {
  far_->m_Chara.m_cCharaId = 7;
  cChara& later = At(5, 900, 3);
  later.m_Chara.m_cCharaId = 7;
  cChara& child1 = At(6, 600, 1);
  cChara& child2 = At(7, 700, 1);
  child1.InitLinks(me_);
  child2.InitLinks(me_);
  child1.m_Chara.m_cCharaId = 8;
  SetCharaTarget(me_, 2, far_, 1);
  const struct {
    const char* what;
    cFlowCmd cmd;
    cCharaBase* want;
  } cases[] = {
      {"hero", SetTarget(0), hero_},
      {"itself", SetTarget(1), me_},
      {"nearest of side 1", SetTarget(2, 1), near_},
      {"nearest of the side winners", SetTarget(2, 0, 1), other_},
      {"by ID in side 1", ById(SetTarget(3, 1), 7), far_},
      {"by ID over the lists in order", ById(SetTarget(3, 0, 1), 7), far_},
      {"by ID, none", ById(SetTarget(3, 1), 9), nullptr},
      {"newest child", SetTarget(5), &child2},
      {"newest child passing the filters", ById(SetTarget(6, 0, 1), 8), &child1},
      {"child of side 1", SetTarget(6, 1, 0), &child2},
      {"target 3", SetTarget(9), far_},
      {"empty target 4", SetTarget(10), nullptr},
      {"unknown choice", SetTarget(11), nullptr},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    EXPECT_EQ(Run(t.cmd), t.want);
  }
  // The parent: the object that summoned the subject.
  SetCharaTarget(&child2, 0, nullptr, 1);
  const cFlowCmd parent = SetTarget(4);
  cCmdInstance inst = Running(parent);
  g_CmdExecTable[CMD_SET_TARGET](&child2, &inst);
  EXPECT_EQ(child2.m_pTarget[0], me_);
}

TEST_F(TargetTest, NothingFoundClearsOrKeepsTheSlot) {
  Run(SetTarget(0));
  EXPECT_EQ(Run(SetTarget(10, 0, 0, 1)), hero_) << "kept";
  EXPECT_EQ(Run(SetTarget(1, 0, 0, 2)), hero_) << "any other value changes nothing";
  EXPECT_EQ(Run(SetTarget(10, 0, 0, 0)), nullptr) << "cleared";
  EXPECT_TRUE(std::none_of(hero_->m_vBackLink.begin(), hero_->m_vBackLink.end(),
                           [&](const cObjLink& l) { return l.m_pObj == me_ && l.m_nSlot == 0; }));
}

TEST_F(TargetTest, OneBackLinkPairWhateverTheRepeats) {
  for (int i = 0; i < 3; ++i) Run(SetTarget(2, 1));
  EXPECT_EQ(std::count(near_->m_vBackLink.begin(), near_->m_vBackLink.end(), cObjLink{me_, 0}), 1);
  Run(SetTarget(1));
  EXPECT_EQ(std::count(me_->m_vBackLink.begin(), me_->m_vBackLink.end(), cObjLink{me_, 0}), 1);
  EXPECT_EQ(std::count(near_->m_vBackLink.begin(), near_->m_vBackLink.end(), cObjLink{me_, 0}), 0);
}

TEST_F(TargetTest, ASlotOutsideTheFourIsReported) {
  cFlowCmd cmd = SetTarget(1);
  cmd.m_vParam[0] = 4;
  Run(cmd);
  EXPECT_EQ(TakeCloseRequests(), 1);
  EXPECT_EQ(me_->m_pTarget[0], nullptr);
  EXPECT_TRUE(me_->m_vBackLink.empty());
}

}  // namespace
