#include <gtest/gtest.h>

#include "gamedata/systemdata.h"
#include "scenes/map_fixture.h"

namespace {

class BlockCharaTest : public MapTest {
 protected:
  // A 32 x 32 block character of the list at (x, y), standing still where it was last frame.
  cChara& Block(int objNo, double x, double y) {
    cChara& c = Place(g_lstChara.emplace_back(), x, y, 32, 32);
    c.m_nObjNo = objNo;
    c.m_Chara.m_bBlockChara = 1;
    Still(c);
    return c;
  }
  static void Still(cCharaBase& c) { c.m_PrevPos = {c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom}; }
  static void MoveBlock(cChara& c, double dx, double dy) {
    Still(c);
    c.m_dSpeedX = dx;
    c.m_dSpeedY = dy;
    c.m_dX += dx;
    c.m_dY += dy;
    c.CheckBoundsX(2);
    c.CheckBoundsY(2);
  }
};

TEST_F(BlockCharaTest, LandsOnABlockCharacterAndIsCarried) {
  cChara& block = Block(5, 400, 600);
  TestHero hero;
  Place(hero, 408, 576);
  Still(hero);
  hero.m_dY += 3;  // falls 3 pixels into it
  hero.m_dSpeedY = 3;
  hero.CheckBoundsY(2);
  hero.m_bInAir = 1;
  EXPECT_EQ(scene_.CollideBlockCharas(&hero, g_lstChara), 0);
  EXPECT_DOUBLE_EQ(hero.m_dY, 576);
  EXPECT_EQ(hero.m_pRide, &block);
  EXPECT_EQ(hero.m_nRideObjNo, 5);
  EXPECT_EQ(hero.m_dSpeedY, 0);
  EXPECT_EQ(hero.m_bInAir, 0);

  struct Case {
    int followAirborne, blockAirborne;
    double wantSpeedY;
  };
  // Vertically the rider follows a walking block character only while that one is airborne when the
  // ride-follows-airborne switch is on.
  const Case cases[] = {{0, 0, -2}, {1, 0, 0}, {1, 1, -2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.followAirborne << c.blockAirborne);
    g_SystemData.m_bCompat845D = c.followAirborne;
    block.m_bInAir = c.blockAirborne;
    hero.m_RideRect = {block.m_dX, block.m_dY, block.m_dRight, block.m_dBottom};
    MoveBlock(block, 3, -2);
    hero.m_dSpeedX = 1;
    hero.m_dSpeedY = 0;
    EXPECT_EQ(scene_.CarryRider(&hero, g_lstChara), 0);
    EXPECT_DOUBLE_EQ(hero.m_dSpeedX, 4);
    EXPECT_DOUBLE_EQ(hero.m_dSpeedY, c.wantSpeedY);
  }
}

TEST_F(BlockCharaTest, LeavesTheRide) {
  cChara& block = Block(5, 400, 600);
  TestHero hero;
  Place(hero, 408, 576);  // bottom 599, on the block's top
  Still(hero);
  hero.m_pRide = &block;
  hero.m_nRideObjNo = 5;
  // Still under the feet: the ride is kept and refreshed.
  MoveBlock(block, 0, 4);
  EXPECT_EQ(scene_.CollideBlockCharas(&hero, g_lstChara), 0);
  EXPECT_EQ(hero.m_pRide, &block);
  EXPECT_DOUBLE_EQ(hero.m_RideRect.m_dTop, 604);
  // A rising impact ends it.
  hero.m_dImpactY = -2;
  scene_.CollideBlockCharas(&hero, g_lstChara);
  EXPECT_EQ(hero.m_pRide, nullptr);
  EXPECT_EQ(hero.m_bTurnBack, 1);
  // Nothing left under the feet ends it; another block character there takes over.
  hero.m_dImpactY = 0;
  hero.m_pRide = &block;
  MoveBlock(block, 0, 10);  // top 614: more than 5 below the feet
  cChara& other = Block(6, 416, 603);
  scene_.CollideBlockCharas(&hero, g_lstChara);
  EXPECT_EQ(hero.m_pRide, &other);
  EXPECT_EQ(hero.m_nRideObjNo, 6);
  other.m_bDead = 1;
  scene_.CollideBlockCharas(&hero, g_lstChara);
  EXPECT_EQ(hero.m_pRide, nullptr);
}

TEST_F(BlockCharaTest, CrushedBetweenTwoBlockCharacters) {
  TestHero hero;
  Place(hero, 408, 576);
  Still(hero);
  cChara& left = Block(5, 378, 576);
  cChara& right = Block(6, 420, 576);
  MoveBlock(left, 2, 0);   // right edge 411
  MoveBlock(right, -2, 0);  // left edge 418
  EXPECT_EQ(scene_.CollideBlockCharas(&hero, g_lstChara), 2);
  // One of them alone pushes the hero aside and does not crush it.
  right.m_bDead = 1;
  TestHero free;
  Place(free, 408, 576);
  Still(free);
  EXPECT_EQ(scene_.CollideBlockCharas(&free, g_lstChara), 0);
  EXPECT_DOUBLE_EQ(free.m_dX, 411 + 1.5);
  EXPECT_EQ(free.m_bContactLeft, 1);
  EXPECT_EQ(free.m_bPushed, 1);
}

TEST_F(BlockCharaTest, CrushedBetweenABlockCharacterAndTheFloor) {
  Solid(12, 19);  // floor 608..639
  TestHero hero;
  Place(hero, 408, 584);  // bottom 607, standing on it
  Still(hero);
  hero.m_bContactBottom = 1;
  cChara& block = Block(5, 400, 556);
  MoveBlock(block, 0, 4);  // 560..591, coming down on the head
  EXPECT_EQ(scene_.CollideBlockCharas(&hero, g_lstChara), 2);
  EXPECT_EQ(hero.m_bContactTop, 1);
}

TEST_F(BlockCharaTest, FlyingObjectsArePushedOrDie) {
  cChara& block = Block(5, 400, 600);
  TestChara flyer;
  Place(flyer, 430, 610);  // overlaps the block's right edge by 2 pixels
  flyer.SetMoveMode(2);
  MoveBlock(block, 1, 0);
  block.m_dX -= 1;  // only its speed matters: it moves toward the flyer
  block.CheckBoundsX(2);
  EXPECT_EQ(scene_.CollideBlockCharas(&flyer, g_lstChara), 0);
  EXPECT_DOUBLE_EQ(flyer.m_dX, 432);
  EXPECT_EQ(flyer.m_bPushed, 1);
  // Moving away from a block character that moves away: not pushed, realigned instead.
  Place(flyer, 430, 610);
  flyer.SetMoveMode(2);
  flyer.m_bPushed = 0;
  block.m_dSpeedX = -1;
  flyer.m_dSpeedX = 1;
  EXPECT_EQ(scene_.CollideBlockCharas(&flyer, g_lstChara), 0);
  EXPECT_EQ(flyer.m_bPushed, 1);  // the realignment pushes it out all the same
  EXPECT_DOUBLE_EQ(flyer.m_dX, 432);
  // Move mode 3 dies; move mode 1 passes.
  Place(flyer, 430, 610);
  flyer.SetMoveMode(3);
  EXPECT_EQ(scene_.CollideBlockCharas(&flyer, g_lstChara), 2);
  flyer.SetMoveMode(1);
  EXPECT_EQ(scene_.CollideBlockCharas(&flyer, g_lstChara), 0);
  EXPECT_DOUBLE_EQ(flyer.m_dX, 430);
}

TEST_F(BlockCharaTest, NudgesFollowTheContactsOnlyWithTheNudgeByContactSwitch) {
  // A walker inside a solid cell with a left contact from the blocks, and no block character pushing it.
  Solid(12, 12);
  for (const int byContact : {0, 1}) {
    SCOPED_TRACE(byContact);
    g_SystemData.m_bCompat818A = byContact;
    TestChara walker;
    Place(walker, 392, 392);
    walker.m_bContactLeft = 1;
    EXPECT_EQ(scene_.CollideBlockCharas(&walker, g_lstChara), 0);
    EXPECT_NEAR(walker.m_dX, byContact ? 392 - 1.5 : 392, 1e-9) << "15 nudges of 0.1 while still in the block";
  }
  g_SystemData.m_bCompat818A = 0;
}

TEST_F(BlockCharaTest, ATallFallerLandsOnlyWithTheLooseTest) {
  // Last frame the walker's feet were already below the block character's bottom: the strict test
  // does not take that as a landing from above, the loose one does.
  for (const int loose : {0, 1}) {
    SCOPED_TRACE(loose);
    g_SystemData.m_bCompat839 = loose;
    g_lstChara.clear();
    cChara& block = Block(5, 400, 400);
    TestChara walker;
    Place(walker, 404, 383, 16, 64);
    walker.m_PrevPos = {404, 380, 419, 443};
    walker.m_dSpeedY = 3;
    EXPECT_EQ(scene_.CollideBlockCharas(&walker, g_lstChara), 0);
    if (loose) {
      EXPECT_DOUBLE_EQ(walker.m_dY, 400 - 64);
      EXPECT_EQ(walker.m_pRide, &block);
    } else {
      EXPECT_GT(walker.m_dY, 380);
      EXPECT_EQ(walker.m_pRide, nullptr);
    }
  }
  g_SystemData.m_bCompat839 = 0;
}

TEST_F(BlockCharaTest, DeathsAndRemovals) {
  cHero& hero = AddHero();
  hero.m_nHP = 5;
  cChara& dead = AddChara(7);
  cChara& gone = AddChara(8);
  AddChara(9).m_nHP = 3;
  gone.m_bRemove = 1;
  gone.m_nSide = 1;
  scene_.m_vSideChara[1].push_back(&gone);
  EXPECT_EQ(scene_.KillObject(&hero), 2);
  EXPECT_EQ(scene_.CheckDeaths(), 0);
  EXPECT_EQ(g_lstChara.size(), 1u);  // removed, and killed with HP 0 without keeping the dead
  EXPECT_TRUE(scene_.m_vSideChara[1].empty());
  EXPECT_EQ(g_lstChara.front().m_nObjNo, 9);
  (void)dead;

  // Kept while its death plays, with sound 9.
  g_SystemData.m_bCompat808 = 1;
  cChara& kept = AddChara(10);
  EXPECT_EQ(scene_.CheckDeaths(), 0);
  EXPECT_EQ(g_lstChara.size(), 2u);
  EXPECT_EQ(kept.m_bDead, 1);
  EXPECT_EQ(Sounds(), std::vector<int>{9});
  EXPECT_EQ(scene_.CheckDeaths(), 0);  // killed once only
  EXPECT_EQ(Sounds().size(), 1u);

  // The hero out of HP: sound 8 and the sub-step stops.
  hero.m_nHP = 0;
  EXPECT_EQ(scene_.CheckDeaths(), 1);
  EXPECT_EQ(Sounds().back(), 8);
}

}  // namespace
