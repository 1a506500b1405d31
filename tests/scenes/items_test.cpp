#include <gtest/gtest.h>

#include "flow/exectable.h"
#include "objects/item.h"
#include "objects/objlists.h"
#include "scenes/map_fixture.h"
#include "stagedata/edshot.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"

namespace {

int g_runs = 0;
int Counting(cCharaBase*, const cFlowCmd*) {
  ++g_runs;
  return 0;
}
int Clearing(cCharaBase*, const cFlowCmd*) {
  ++g_runs;
  return 1;
}
int ErasingAll(cCharaBase*, const cFlowCmd*) {
  ++g_runs;
  g_lstItem.clear();
  return 0;
}

class ItemTest : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    g_runs = 0;
    g_ItemCmdExecTable.fill(nullptr);
    g_ItemCmdExecTable[3] = Counting;
    g_ItemCmdExecTable[4] = Clearing;
    g_ItemCmdExecTable[5] = ErasingAll;
    hero_ = &Place(AddHero(), 400, 400);
    hero_->m_nHP = 10;
    Touch(400, 400);
  }
  void TearDown() override {
    g_ItemCmdExecTable.fill(nullptr);
    g_lstItem.clear();
    MapTest::TearDown();
  }
  // The hero's item rectangle, 20 x 20 at (x, y).
  void Touch(double x, double y) { hero_->m_ItemRect = {x, y, x + 19, y + 19}; }
  static cItemData Def(int takeMode, int cmdKind = 3) {
    cItemData d;
    d.m_sGraphic = 3;
    d.m_cTakeMode = static_cast<int8_t>(takeMode);
    d.m_bPopup = 0;
    cFlowCmd c = Cmd(cmdKind);
    c.m_nCategory = CMD_CATEGORY_ITEM;
    d.m_vCmd = {c};
    return d;
  }
  cItem& AddItem(int no, const cItemData& def, double x = 405, double y = 405) {
    cItem& i = g_lstItem.emplace_back();
    i.m_nObjNo = no;
    i.m_Item = def;
    i.m_dX = x;
    i.m_dY = y;
    i.m_dRight = x + 15;
    i.m_dBottom = y + 15;
    return i;
  }

  cHero* hero_ = nullptr;
};

TEST_F(ItemTest, TakeModes) {
  AddItem(1, Def(ITEM_TAKE_ONCE));
  AddItem(2, Def(ITEM_TAKE_ALWAYS));
  AddItem(3, Def(ITEM_TAKE_NEVER));
  cItemData noPicture = Def(ITEM_TAKE_ONCE);
  noPicture.m_sGraphic = 0;
  AddItem(4, noPicture);
  AddItem(5, Def(ITEM_TAKE_ONCE)).m_bCarried = 1;  // a character's held item lies where it is
  AddItem(6, Def(ITEM_TAKE_ONCE), 600, 600);      // out of reach

  EXPECT_EQ(scene_.TakeItems(hero_), 0);
  EXPECT_EQ(g_runs, 2) << "the take-once and the take-always item";
  EXPECT_EQ(g_lstItem.size(), 5u) << "only the take-once item leaves the list";
  EXPECT_EQ(g_lstItem.front().m_nObjNo, 2);

  // Still touching: the take-always item waits until the hero leaves it.
  EXPECT_EQ(scene_.TakeItems(hero_), 0);
  EXPECT_EQ(g_runs, 2);
  Touch(100, 100);
  EXPECT_EQ(scene_.TakeItems(hero_), 0);
  EXPECT_TRUE(hero_->IsNotInContactList(2));
  Touch(400, 400);
  EXPECT_EQ(scene_.TakeItems(hero_), 0);
  EXPECT_EQ(g_runs, 3) << "touched anew";
}

TEST_F(ItemTest, TouchTriggerOnlyForItemsThatCanBeTaken) {
  Install(*hero_, {Flow(FLOW_TRIG_TOUCH_ITEM, {Cmd(CMD_WAIT, 10)})});
  AddItem(1, Def(ITEM_TAKE_NEVER));
  scene_.TakeItems(hero_);
  EXPECT_EQ(hero_->m_vFlowInst[0].m_bStarted, 0);
  AddItem(2, Def(ITEM_TAKE_ONCE));
  scene_.TakeItems(hero_);
  EXPECT_EQ(hero_->m_vFlowInst[0].m_bStarted, 1);
}

TEST_F(ItemTest, ResultEndsTheWalkAndTheTakenItemIsStillRemoved) {
  AddItem(1, Def(ITEM_TAKE_ONCE, 4));
  AddItem(2, Def(ITEM_TAKE_ONCE));
  EXPECT_EQ(scene_.TakeItems(hero_), 1);
  EXPECT_EQ(g_runs, 1) << "the second item is not taken once the stage is cleared";
  ASSERT_EQ(g_lstItem.size(), 1u);
  EXPECT_EQ(g_lstItem.front().m_nObjNo, 2);
}

TEST_F(ItemTest, CommandsThatEraseItemsDuringTheWalk) {
  AddItem(1, Def(ITEM_TAKE_ALWAYS, 5));
  AddItem(2, Def(ITEM_TAKE_ONCE));
  AddItem(3, Def(ITEM_TAKE_ONCE, 5));
  EXPECT_EQ(scene_.TakeItems(hero_), 0);
  EXPECT_EQ(g_runs, 1) << "the erased items are not visited";
  EXPECT_TRUE(g_lstItem.empty());
}

TEST_F(ItemTest, ApplyItemRefusesAndRuns) {
  EXPECT_EQ(ApplyItem(nullptr, hero_), 0);
  cItem never = AddItem(1, Def(ITEM_TAKE_NEVER));
  EXPECT_EQ(ApplyItem(&never, hero_), 0);
  EXPECT_EQ(g_runs, 0);

  cItemData d = Def(ITEM_TAKE_ONCE, 4);
  d.m_bPopup = 1;
  d.m_sSound = 2;
  cItem item = AddItem(2, d);
  EXPECT_EQ(ApplyItem(&item, hero_), 1);
  EXPECT_EQ(g_runs, 1);
  ASSERT_EQ(scene_.m_lMesWindow.size(), 1u) << "the popup";
  EXPECT_EQ(scene_.m_lMesWindow.back().m_nIconIndex, 3);
  EXPECT_EQ(Sounds(), std::vector<int>{2 + 16}) << "the item's data sound";

  // A block's palette item is taken through a temporary item.
  EXPECT_EQ(ApplyPaletteItem(Def(ITEM_TAKE_ONCE), hero_), 0);
  EXPECT_EQ(g_runs, 2);
  hero_->m_nHP = 0;
  EXPECT_EQ(ApplyPaletteItem(Def(ITEM_TAKE_ONCE), hero_), 2) << "the hero's HP ran out";
}

TEST_F(ItemTest, ADyingCharacterGivesItsHeldItemToTheHero) {
  cChara& plain = AddChara(5);  // holds nothing: its item slot has no picture
  EXPECT_EQ(plain.Die(), 0);
  EXPECT_EQ(g_runs, 0);
  EXPECT_EQ(plain.m_bDead, 1);

  cChara& holder = AddChara(6);
  holder.m_HeldItem.m_Item = Def(ITEM_TAKE_ONCE);
  EXPECT_EQ(holder.Die(), 0);
  EXPECT_EQ(g_runs, 1) << "the item's commands ran for the hero";
  EXPECT_EQ(holder.m_bDead, 1);

  cChara& clearer = AddChara(7);
  clearer.m_HeldItem.m_Item = Def(ITEM_TAKE_ONCE, 4);
  EXPECT_EQ(clearer.Die(), 1) << "the item cleared the stage";
  EXPECT_EQ(g_runs, 2);
  EXPECT_EQ(clearer.m_bDead, 0);
}

TEST_F(ItemTest, SpawnItemInsideTheStageOnly) {
  g_StageData.m_nStepsPerFrame = 2;
  cFlowCmd summon;
  CreateEdShot(summon.m_pEdShot);
  summon.m_pEdShot->m_bLifeOn = 1;
  summon.m_pEdShot->m_sLife = 5;
  cItemData def = Def(ITEM_TAKE_ONCE);
  int next = 7;
  EXPECT_EQ(SpawnItem(g_lstItem, 400, 400, summon, def, &next), 1);
  ASSERT_EQ(g_lstItem.size(), 1u);
  const cItem& made = g_lstItem.back();
  EXPECT_EQ(made.m_nObjNo, 7);
  EXPECT_EQ(next, 8);
  EXPECT_EQ(made.m_nLifeTime, 5 * 2 * 6);
  EXPECT_DOUBLE_EQ(made.m_dRight, made.m_dX + made.m_nHitW - 1);
  EXPECT_GE(made.m_dX, 400);

  EXPECT_EQ(SpawnItem(g_lstItem, -40, 400, summon, def, &next), 0);
  EXPECT_EQ(SpawnItem(g_lstItem, 400, 5000, summon, def, &next), 0);
  EXPECT_EQ(g_lstItem.size(), 1u);
  EXPECT_EQ(next, 8);
}

}  // namespace
