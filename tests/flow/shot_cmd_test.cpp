#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "flow/exec_fixture.h"
#include "objects/chara.h"
#include "objects/hero.h"
#include "objects/item.h"
#include "objects/objlists.h"
#include "stagedata/database.h"
#include "stagedata/palette.h"

namespace {

class ShotCmdTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    saved_ = g_CommonPalette;
    g_Database.m_vSwordType.resize(3);
    g_Database.m_vSwordType[1].m_vPart.resize(1);
    g_Database.m_vSwordType[1].m_vPart[0].m_nWidth = 40;
    g_Database.m_vSwordType[1].m_vPart[0].m_nHeight = 20;
    g_Database.m_vSwordType[2].m_vPart.clear();
  }
  void TearDown() override {
    g_lstItem.clear();
    g_CommonPalette = saved_;
    ExecTest::TearDown();
  }
  // A character on screen at (400, 400), filed in its side's list.
  cChara& Shooter() {
    cChara& c = Body(1, 400, 400);
    c.m_bActive = c.m_bOnScreen = 1;
    scene_.m_vSideChara[0].push_back(&c);
    return c;
  }
  static cFlowCmd Sword(int type) {
    cFlowCmd c = ShotCmd(CMD_SWORD, [&](cEdShot& s) { s.m_nMoveKind = static_cast<int8_t>(type); });
    c.m_sSound = 3;
    return c;
  }
  cCommonPaletteData saved_;
};

TEST_F(ShotCmdTest, ShotsFireInTheFirstPassAndEverySixFrames) {
  for (int n : {1, 2}) {
    SCOPED_TRACE(n);
    SetSteps(n);
    scene_.m_lShot.clear();
    g_lstChara.clear();
    cChara& c = Shooter();
    cFlowCmd cmd = ShotCmd(CMD_SHOT, [](cEdShot& s) {
      s.m_nCount = 1;
      s.m_sSpeed = 10;
    });
    cCmdInstance inst = Running(cmd);
    std::vector<int> firing;
    for (int pass = 1; pass <= 13 * n; ++pass) {
      const size_t before = scene_.m_lShot.size();
      RunPass(c, inst);
      if (scene_.m_lShot.size() > before) firing.push_back(pass);
    }
    EXPECT_EQ(firing, (std::vector<int>{1, 6 * n + 1, 12 * n + 1}));
  }
}

TEST_F(ShotCmdTest, TheSoundWaitsForAnActiveSubjectWhenTheRecordAsks) {
  const struct {
    const char* what;
    int onScreenOnly, onScreen;
    bool hero;
    bool heard;
  } cases[] = {
      {"on screen", 1, 1, false, true},
      {"off screen, sound only while active", 1, 0, false, false},
      {"off screen, sound always", 0, 0, false, true},
      {"the hero counts as active", 1, 0, true, true},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.what);
    scene_.m_lShot.clear();
    g_lstChara.clear();
    g_vHero.clear();
    Sounds().clear();
    cCharaBase* s = &Shooter();
    if (t.hero) {
      cHero& h = AddHero(9);
      Place(h, 400, 400);
      s = &h;
    }
    s->m_bOnScreen = t.onScreen;
    cFlowCmd cmd = ShotCmd(CMD_SHOT, [](cEdShot& r) { r.m_nCount = 1; });
    cmd.m_sSound = 5;
    cmd.m_bSoundOnScreen = static_cast<int8_t>(t.onScreenOnly);
    cCmdInstance inst = Running(cmd);
    RunPass(*s, inst);
    EXPECT_EQ(Sounds(), t.heard ? std::vector<int>{5} : std::vector<int>{});
    EXPECT_EQ(scene_.m_lShot.size(), 1u) << "the shot is fired either way";
  }
}

TEST_F(ShotCmdTest, SummonsPlaceCharactersItemsAndBlocks) {
  cChara& c = Shooter();
  c.m_bOnScreen = 0;
  cCharaData def;
  def.m_cOperation = 1;
  def.m_cSide = 3;
  CommonPalette().List<cCharaData>().assign(2, def);
  cItemData item;
  CommonPalette().List<cItemData>().assign(2, item);
  cBlockData block;
  CommonPalette().List<cBlockData>().assign(2, block);
  CommonPalette().List<cBlockData>()[1].m_sGraphic = 5;
  auto summon = [&](int kind, int mode = 0) {
    cFlowCmd cmd = ShotCmd(kind, [&](cEdShot& s) {
      s.m_nCount = 1;
      s.m_sSummon = 1;
      s.m_nBlockMode = static_cast<int8_t>(mode);
    });
    cmd.m_sSound = 6;
    cCmdInstance inst = Running(cmd);
    RunPass(c, inst);
  };
  summon(CMD_SUMMON_CHARA);
  ASSERT_EQ(g_lstChara.size(), 2u);
  EXPECT_EQ(g_lstChara.back().m_pOwner, &c);
  EXPECT_EQ(scene_.m_vSideChara[3].size(), 1u);
  summon(CMD_SUMMON_ITEM);
  EXPECT_EQ(g_lstItem.size(), 1u);
  EXPECT_TRUE(Sounds().empty()) << "summoned silently by a subject off screen";
  // A toggling summon changes its cell; the next toggling summon puts it back.
  auto shown = [] {
    return std::count_if(g_MapCells.begin(), g_MapCells.end(), [](const cMapCell& m) { return m.m_sGraphic == 5; });
  };
  summon(CMD_SUMMON_BLOCK, 2);
  EXPECT_EQ(shown(), 1);
  summon(CMD_SUMMON_BLOCK, 2);
  EXPECT_EQ(shown(), 0);
}

TEST_F(ShotCmdTest, OneSwordPerRunBuiltInTheList) {
  cChara& c = Shooter();
  cChara& other = Body(2, 600, 400);
  c.m_pTarget[0] = &other;
  const cFlowCmd cmd = Sword(1);
  scene_.m_nNextShotId = 50;
  cCmdInstance inst = Running(cmd);
  for (int pass = 0; pass < 20; ++pass) RunPass(c, inst);
  ASSERT_EQ(scene_.m_lShot.size(), 1u);
  cShot& sword = scene_.m_lShot.front();
  EXPECT_EQ(sword.m_bIsShot, 0);
  EXPECT_EQ(sword.m_nObjNo, 50);
  EXPECT_EQ(sword.m_HitBox.m_nW, 40);
  EXPECT_EQ(sword.m_pShotTarget, nullptr);
  EXPECT_EQ(sword.m_pShotOwner, &c);
  EXPECT_EQ(c.m_vShotLink, (cCheckedVector<cShotLink>{{&sword, kLinkSlotOwner}}));
  EXPECT_EQ(Sounds(), std::vector<int>{3});
  // A new run makes another.
  inst.Reset();
  RunPass(c, inst);
  EXPECT_EQ(scene_.m_lShot.size(), 2u);
  EXPECT_EQ(c.m_vShotLink.size(), 2u);
  // Two sword commands at once: consecutive numbers.
  cCmdInstance a = Running(cmd), b = Running(cmd);
  RunPass(c, a);
  RunPass(c, b);
  EXPECT_EQ(std::next(scene_.m_lShot.begin(), 2)->m_nObjNo, 52);
  EXPECT_EQ(scene_.m_lShot.back().m_nObjNo, 53);
  EXPECT_EQ(scene_.m_nNextShotId, 54);
}

TEST_F(ShotCmdTest, ASwordTypeWithoutFramesMakesNoSword) {
  cChara& c = Shooter();
  for (int type : {2, 7, -1}) {
    SCOPED_TRACE(type);
    const cFlowCmd cmd = Sword(type);
    cCmdInstance inst = Running(cmd);
    RunPass(c, inst);
    EXPECT_TRUE(scene_.m_lShot.empty());
    EXPECT_EQ(TakeCloseRequests(), 1) << "reported, and the program asked to close";
  }
}

}  // namespace
